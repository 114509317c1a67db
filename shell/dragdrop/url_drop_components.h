// The components that carry one web address with its title by OLE drag and drop: a target that accepts an
// address from any program that offers one, and a source that offers one so that the shell makes a shortcut of
// it and browsers and editors take the address.
#pragma once

#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/drop_target.h"
#include "shell/dragdrop/url_formats.h"

namespace shell {

class TDropURLTarget : public TCustomDropMultiTarget {
  BC_CLASS(TDropURLTarget, TCustomDropMultiTarget)
  explicit TDropURLTarget(TComponent* owner);
  ~TDropURLTarget() override;

  // Valid inside OnDrop: the target clears its data after the event.
  const String& URL() const { return urlFormat_->URL(); }

 protected:
  // The effect the data object prefers, else a link.
  DWORD GetPreferredDropEffect() override;

 private:
  // Owned here; its destructor leaves the component's list.
  TURLDataFormat* urlFormat_;
};

class TDropURLSource : public TCustomDropMultiSource {
  BC_CLASS(TDropURLSource, TCustomDropMultiSource)
  explicit TDropURLSource(TComponent* owner);
  ~TDropURLSource() override;

  const String& URL() const { return urlFormat_->URL(); }
  // Each answers whether the source outlived the format's OnChanging.
  TRaised SetURL(const String& value) {
    const TLifeWatch life = LifeWatch();
    return AnswerFor(life, urlFormat_->SetURL(value));
  }
  const String& Title() const { return urlFormat_->Title(); }
  TRaised SetTitle(const String& value) {
    const TLifeWatch life = LifeWatch();
    return AnswerFor(life, urlFormat_->SetTitle(value));
  }

 private:
  TURLDataFormat* urlFormat_;
};

}  // namespace shell
