// TBarCustomImageList: an image list that draws an item's image from a list of its own for the disabled, checked
// or pressed state, and that can be filled from one bitmap with a transparent colour. The unit also keeps the
// framework's menu font and its item drag cursors.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "framework/image_list.h"

namespace toolbars {

class TBarCustomImageList : public TImageList {
  BC_CLASS(TBarCustomImageList, TImageList)
  explicit TBarCustomImageList(TComponent* owner = nullptr);
  ~TBarCustomImageList() override;

  // A list set to itself counts as none.
  TCustomImageList* CheckedImageList() const { return checked_; }
  void SetCheckedImageList(TCustomImageList* value) { SetStateList(checked_, *checkedLink_, value); }
  TCustomImageList* DisabledImageList() const { return disabled_; }
  void SetDisabledImageList(TCustomImageList* value) { SetStateList(disabled_, *disabledLink_, value); }
  TCustomImageList* PressedImageList() const { return pressed_; }
  void SetPressedImageList(TCustomImageList* value) { SetStateList(pressed_, *pressedLink_, value); }
  // While not empty, the bitmap is what the list holds: it is cut into images and stored with forms instead.
  TBitmap* SourceBitmap() const { return sourceBitmap_.get(); }
  TColor SourceBitmapMaskColor() const { return sourceBitmapMaskColor_; }
  void SetSourceBitmapMaskColor(TColor value) { sourceBitmapMaskColor_ = value; }

  // Draws image index from the list of the state (disabled first, then checked, then pressed), else from this one.
  virtual void DrawForState(TCanvas* canvas, int x, int y, int index, bool enabled, bool pressed, bool checked);

  void DefineProperties(TFiler& filer) override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void SetStateList(TCustomImageList*& field, TChangeLink& link, TCustomImageList* value);
  void StateListChanged(TObject* sender);
  void SourceBitmapChanged(TObject* sender);

  TCustomImageList* checked_ = nullptr;
  TCustomImageList* disabled_ = nullptr;
  TCustomImageList* pressed_ = nullptr;
  std::unique_ptr<TChangeLink> checkedLink_;
  std::unique_ptr<TChangeLink> disabledLink_;
  std::unique_ptr<TChangeLink> pressedLink_;
  std::unique_ptr<TBitmap> sourceBitmap_;
  TColor sourceBitmapMaskColor_ = clFuchsia;
};

// The font of menus, from the system's non-client metrics.
TFont* BarMenuFont();
// Takes the menu font again from the system's non-client metrics (after they changed).
void ReloadBarMenuFont();

}  // namespace toolbars

struct TUnit;

namespace toolbars {

// The toolbar framework: its process-wide objects (menu font, drag cursors, the click window, the shared hooks),
// with the pop-up windows and menu tracking, and the theme nexus with "Default" as the current theme. Starting it
// is all an application does for menus, pop-ups and themed windows to work.
const TUnit& ToolbarsUnit();

}  // namespace toolbars
