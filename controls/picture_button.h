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

  // The lists are not owned and only stored: nothing is repainted and no free notification is asked for.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value) { images_ = value; }
  TCustomImageList* HotImages() const { return hotImages_; }
  void SetHotImages(TCustomImageList* value) { hotImages_ = value; }
  TCustomImageList* DownImages() const { return downImages_; }
  void SetDownImages(TCustomImageList* value) { downImages_ = value; }
  TCustomImageList* DisableImages() const { return disableImages_; }
  void SetDisableImages(TCustomImageList* value) { disableImages_ = value; }
  // The image shown, from whichever list the state picks.
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value) { imageIndex_ = value; }
  // Stored with the form and nothing else.
  int Index() const { return index_; }
  void SetIndex(int value) { index_ = value; }

  void Dispatch(TMessage& message) override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  void Paint() override;

 private:
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
