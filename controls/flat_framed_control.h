// The common part of the flat gauge and progress bar: a windowless control with a one-pixel border whose colour
// can follow the parent's colour (UseAdvColors: a darker shade, AdvColorBorder percent), and an optionally
// transparent background.
#pragma once

#include "controls/flat_utils.h"
#include "framework/control.h"

namespace controls {

class TFlatFramedControl : public TGraphicControl {
  BC_CLASS(TFlatFramedControl, TGraphicControl)

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // Switching it also makes the control take (or stop taking) its parent's colour.
  bool UseAdvColors() const { return useAdvColors_; }
  void SetUseAdvColors(bool value);
  int AdvColorBorder() const { return advColorBorder_; }
  void SetAdvColorBorder(int value);
  TColor ColorBorder() const { return colorBorder_; }
  void SetColorBorder(TColor value);

  void Dispatch(TMessage& message) override;

 protected:
  TFlatFramedControl(TComponent* owner, int advColorBorder);
  // Fills the client rectangle with Color unless Transparent, then frames it in ColorBorder.
  void PaintFrame(TCanvas* canvas);
  // Stores value in field and invalidates when it changed.
  template <class T>
  void SetAndInvalidate(T& field, T value) {
    if (StoreChanged(field, value)) Invalidate();
  }

 private:
  void CalcAdvColors();

  bool transparent_ = false;
  bool useAdvColors_ = false;
  int advColorBorder_;
  TColor colorBorder_ = 0x8396A0;
};

}  // namespace controls
