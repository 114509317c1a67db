#include "shell/dragdrop/url_drop_components.h"

namespace shell {

TDropURLTarget::TDropURLTarget(TComponent* owner)
    : TCustomDropMultiTarget(owner), urlFormat_(new TURLDataFormat(this)) {
  SetDragtypes({TDragType::dtCopy, TDragType::dtLink});
  SetGetDataOnEnter(true);
}

TDropURLTarget::~TDropURLTarget() {
  RetireTransfer();
  delete urlFormat_;
}

DWORD TDropURLTarget::GetPreferredDropEffect() {
  DWORD preferred = TCustomDropMultiTarget::GetPreferredDropEffect();
  return preferred != DROPEFFECT_NONE ? preferred : DROPEFFECT_LINK;
}

TDropURLSource::TDropURLSource(TComponent* owner)
    : TCustomDropMultiSource(owner), urlFormat_(new TURLDataFormat(this)) {
  SetDragTypes({TDragType::dtCopy, TDragType::dtLink});
  // No handler is assigned yet.
  static_cast<void>(SetPreferredDropEffect(DROPEFFECT_COPY));
}

TDropURLSource::~TDropURLSource() { delete urlFormat_; }

}  // namespace shell
