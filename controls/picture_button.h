// TPictureButton: an image that behaves as a button by showing the image of one of four image lists, by state:
// normal, mouse over, pressed, disabled.
#pragma once

#include "framework/image.h"
#include "framework/image_list.h"
#include "framework/startup.h"

namespace controls {

class TPictureButton : public TImage {
  BC_CLASS(TPictureButton, TImage)
  explicit TPictureButton(TComponent* owner);

  // The lists are not owned and only stored, without a repaint; a list freed first is let go of.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value) { SetList(images_, value); }
  TCustomImageList* HotImages() const { return hotImages_; }
  void SetHotImages(TCustomImageList* value) { SetList(hotImages_, value); }
  TCustomImageList* DownImages() const { return downImages_; }
  void SetDownImages(TCustomImageList* value) { SetList(downImages_, value); }
  TCustomImageList* DisableImages() const { return disableImages_; }
  void SetDisableImages(TCustomImageList* value) { SetList(disableImages_, value); }
  // The image shown, from whichever list the state picks.
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value) { imageIndex_ = value; }
  // Stored with the form and nothing else.
  int Index() const { return index_; }
  void SetIndex(int value) { index_ = value; }

  void Dispatch(TMessage& message) override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  TRaised Paint() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Stores value in one of the four list slots, asking to hear when it is freed.
  void SetList(TCustomImageList*& slot, TCustomImageList* value);
  bool HoldsList(const TCustomImageList* list) const;

  // The list for the current state; null when that list is not assigned.
  TCustomImageList* StateImages() const;

  bool hot_ = false;
  bool down_ = false;
  TCustomImageList* images_ = nullptr;
  TCustomImageList* hotImages_ = nullptr;
  TCustomImageList* downImages_ = nullptr;
  TCustomImageList* disableImages_ = nullptr;
  int imageIndex_ = 0;
  int index_ = 0;
};

// Registers TPictureButton for stored forms, and the image lists they name.
const TUnit& PictureButtonUnit();

}  // namespace controls
