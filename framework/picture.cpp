#include "framework/picture.h"

#include "framework/exceptions.h"

void TPicture::Assign(const TPersistent* source) {
  if (!source) return SetGraphic(nullptr);
  if (const TPicture* picture = ObjectAs<const TPicture>(source)) {
    if (picture != this) SetGraphic(picture->graphic_.get());
    return;
  }
  if (const TGraphic* graphic = ObjectAs<const TGraphic>(source)) return SetGraphic(const_cast<TGraphic*>(graphic));
  TPersistent::Assign(source);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (!value) return Replace(nullptr);
  if (value == graphic_.get()) return;
  std::unique_ptr<TGraphic> copy(static_cast<TGraphic*>(value->ClassType()->Create()));
  if (!copy) throw EInvalidGraphic(Format(L"Cannot assign a %s to a TPicture", {value->ClassName()}));
  copy->Assign(value);
  Replace(std::move(copy));
}

template <class T>
T* TPicture::Hold() {
  if (T* held = ObjectAs<T>(graphic_.get())) return held;
  Replace(std::make_unique<T>());
  return static_cast<T*>(graphic_.get());
}

TBitmap* TPicture::Bitmap() { return Hold<TBitmap>(); }

TIcon* TPicture::Icon() { return Hold<TIcon>(); }

void TPicture::Replace(std::unique_ptr<TGraphic> graphic) {
  if (!graphic && !graphic_) return;
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = TNotifyEvent(this, &TPicture::Changed);
  Changed(this);
}

void TPicture::Changed(TObject*) {
  // The last act of every caller: each is done with the picture.
  if (RaiseEvent(OnChange, this).Gone()) return;
}
