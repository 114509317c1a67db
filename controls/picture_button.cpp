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

bool TPictureButton::HoldsList(const TCustomImageList* list) const {
  return images_ == list || hotImages_ == list || downImages_ == list || disableImages_ == list;
}

void TPictureButton::SetList(TCustomImageList*& slot, TCustomImageList* value) {
  if (slot == value) return;
  TCustomImageList* old = slot;
  slot = value;
  // One list may fill several slots: the notice is needed until the last of them lets go.
  if (old && !HoldsList(old)) old->RemoveFreeNotification(this);
  if (value) value->FreeNotification(this);
}

void TPictureButton::Notification(TComponent* component, TOperation operation) {
  TImage::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  for (TCustomImageList** slot : {&images_, &hotImages_, &downImages_, &disableImages_})
    if (*slot == component) *slot = nullptr;
}

TRaised TPictureButton::Paint() {
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
  return TImage::Paint();
}

void TPictureButton::Dispatch(TMessage& message) {
  // The mouse handlers may free the button.
  const TLifeWatch life = LifeWatch();
  TImage::Dispatch(message);
  if (life.Ended()) return;
  switch (message.Msg) {
    case CM_MOUSEENTER:
      hot_ = true;
      break;
    case CM_MOUSELEAVE:
      hot_ = false;
      break;
    // The second press of a quick pair comes as a double click.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
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
