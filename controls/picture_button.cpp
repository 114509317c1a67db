#include "controls/picture_button.h"

#include "framework/properties.h"

namespace controls {

namespace {

constexpr TColor kTransparentKey = clFuchsia;

}  // namespace

TPictureButton::TPictureButton(TComponent* owner) : TImage(owner) {}

TCustomImageList* TPictureButton::StateImages() const {
  if (!Enabled()) return disableImages_;
  if (!hot_) return images_;
  return down_ ? downImages_ : hotImages_;
}

void TPictureButton::Paint() {
  if (TCustomImageList* list = StateImages()) {
    // The list draws over what the bitmap holds: a key colour underneath keeps the last image from showing
    // through the transparent parts of this one, and is itself what Transparent leaves out.
    TBitmap* bitmap = Picture()->Bitmap();
    bitmap->SetSize(list->Width(), list->Height());
    bitmap->Canvas()->Brush()->SetColor(kTransparentKey);
    bitmap->Canvas()->FillRect(RECT{0, 0, list->Width(), list->Height()});
    list->GetBitmap(imageIndex_, bitmap);
    bitmap->SetTransparentColor(kTransparentKey);
  }
  TImage::Paint();
}

void TPictureButton::Dispatch(TMessage& message) {
  TImage::Dispatch(message);
  switch (message.Msg) {
    case CM_MOUSEENTER:
      hot_ = true;
      break;
    case CM_MOUSELEAVE:
      hot_ = false;
      break;
    case WM_LBUTTONDOWN:
      down_ = true;
      break;
    case WM_LBUTTONUP:
      down_ = false;
      break;
    default:
      return;
  }
  Invalidate();
}

const TPublishedTable& TPictureButton::PublishedTable() const {
  using P = TPublished<TPictureButton>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Component(L"Images", &TPictureButton::Images, &TPictureButton::SetImages),
          P::Component(L"HotImages", &TPictureButton::HotImages, &TPictureButton::SetHotImages),
          P::Component(L"DownImages", &TPictureButton::DownImages, &TPictureButton::SetDownImages),
          P::Component(L"DisableImages", &TPictureButton::DisableImages, &TPictureButton::SetDisableImages),
          P::Integer(L"ImageIndex", &TPictureButton::ImageIndex, &TPictureButton::SetImageIndex).Default(0),
          P::Integer(L"Index", &TPictureButton::Index, &TPictureButton::SetIndex).Default(0),
      });
  return table;
}

namespace {

void RegisterPictureButton() { RegisterPersistentClass(TPictureButton::StaticClass()); }
void UnregisterPictureButton() { UnregisterPersistentClass(TPictureButton::StaticClass()); }

}  // namespace

const TUnit& PictureButtonUnit() {
  static const TUnit unit{
      L"PictureButton", &RegisterPictureButton, &UnregisterPictureButton, {&ControlsUnit(), &ImageListUnit()}};
  return unit;
}

}  // namespace controls
