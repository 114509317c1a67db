#include "controls/flat_framed_control.h"

#include "controls/flat_utils.h"

namespace controls {

TFlatFramedControl::TFlatFramedControl(TComponent* owner, int advColorBorder)
    : TGraphicControl(owner), advColorBorder_(advColorBorder) {
  SetParentColor(true);
}

void TFlatFramedControl::SetTransparent(bool value) { SetAndInvalidate(transparent_, value); }

void TFlatFramedControl::SetColorBorder(TColor value) { SetAndInvalidate(colorBorder_, value); }

void TFlatFramedControl::SetUseAdvColors(bool value) {
  if (useAdvColors_ == value) return;
  useAdvColors_ = value;
  SetParentColor(value);
  CalcAdvColors();
  Invalidate();
}

void TFlatFramedControl::SetAdvColorBorder(int value) {
  if (advColorBorder_ == value) return;
  advColorBorder_ = value;
  CalcAdvColors();
  Invalidate();
}

void TFlatFramedControl::CalcAdvColors() {
  if (useAdvColors_) colorBorder_ = CalcAdvancedColor(Color(), colorBorder_, advColorBorder_, true);
}

void TFlatFramedControl::PaintFrame(TCanvas* canvas) {
  const RECT client = ClientRect();
  if (!transparent_) {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
  }
  canvas->Brush()->SetColor(colorBorder_);
  canvas->FrameRect(client);
}

void TFlatFramedControl::Dispatch(TMessage& message) {
  TGraphicControl::Dispatch(message);
  if ((message.Msg == CM_SYSCOLORCHANGE || message.Msg == CM_PARENTCOLORCHANGED) && useAdvColors_) {
    SetParentColor(true);
    CalcAdvColors();
    Invalidate();
  }
}

}  // namespace controls
