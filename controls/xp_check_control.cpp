#include "controls/xp_check_control.h"

#include "framework/accelerators.h"
#include "framework/properties.h"

namespace controls {

namespace {

constexpr TColor kDefaultColor = 0x00E6F6F8;
// The caption starts this far from the box, and its focus rectangle one pixel before that.
constexpr int kCaptionGap = 4;

}  // namespace

TXP_CheckControl::TXP_CheckControl(TComponent* owner, TXPSkin skin) : TXP_Control(owner), skin_(skin) {
  // OnClick comes on every release of the button, also outside the control, so the framework's own click on a
  // release inside it stays off.
  SetControlStyle(ControlStyle() - TControlStyleItem::csClickEvents);
  // Nothing handles the events of a control in the making.
  (void)SetBounds(Left(), Top(), 121, 17);
  SetParentFont(true);
  SetColor(kDefaultColor);
}

bool TXP_CheckControl::StoreChecked(bool value) {
  if (checked_ == value) return false;
  checked_ = value;
  Repaint();
  return true;
}

TRaised TXP_CheckControl::Paint() {
  int frame = hot_ ? (checked_ ? 6 : 5) : 1;
  if (!Enabled())
    frame = checked_ ? 4 : 3;
  else if (checked_ && frame != 6)
    frame = 2;

  const RECT client = ClientRect();
  TBitmap bitmap;
  bitmap.SetSize(client.right, client.bottom);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(client);
  const RECT box = XPSkinFrame(skin_, frame);
  const int boxTop = (Height() - kXPBoxFrame) / 2;
  canvas->CopyRect(RECT{0, boxTop, kXPBoxFrame, boxTop + kXPBoxFrame}, XPSkin(skin_)->Canvas(), box);

  canvas->SetFont(Font());
  if (!Enabled()) canvas->Font()->SetColor(kDisabledText);
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  const String caption = Caption();
  RECT captionRect{kXPBoxFrame + kCaptionGap, 0, client.right, client.bottom};
  canvas->TextRect(captionRect, caption, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  if (Focused() && Enabled()) {
    const SIZE text = canvas->TextExtent(StripAccelChars(caption));
    const int left = kXPBoxFrame + kCaptionGap - 1;
    const int top = (Height() - text.cy) / 2 - 1;
    canvas->DrawFocusRect(RECT{left, top, left + text.cx + 1, top + text.cy + 1});
  }
  Canvas()->Draw(0, 0, &bitmap);
  return TRaised(true);
}

TRaised TXP_CheckControl::ChooseAndClick() {
  Choose();
  return Click();
}

void TXP_CheckControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      TXP_Control::Dispatch(message);
      hot_ = message.Msg == CM_MOUSEENTER;
      Repaint();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
      // OnMouseDown and OnMouseUp, and the OnExit and OnEnter that taking the focus raises, may free the box.
      const TLifeWatch life = LifeWatch();
      TXP_Control::Dispatch(message);
      if (life.Ended()) return;
      if (message.Msg == WM_LBUTTONUP) {
        if (Click().Gone()) return;
        return;
      }
      if (CanFocus() && SetFocus().Gone()) return;
      Choose();
      return;
    }
    case WM_KEYDOWN:
      if (IsDesigning()) {
        TXP_Control::Dispatch(message);
        return;
      }
      if ((message.WParam == VK_RETURN || message.WParam == VK_SPACE) && ChooseAndClick().Gone()) return;
      return;
    case CM_FOCUSCHANGED:
    case CM_ENABLEDCHANGED:
      TXP_Control::Dispatch(message);
      Repaint();
      return;
    default:
      TXP_Control::Dispatch(message);
  }
}

const TPublishedTable& TXP_CheckControl::PublishedTable() const {
  static const TPublishedTable table(&inherited::PublishedTable(), {
                                                                       ControlProperty(L"Color"),
                                                                   });
  return table;
}

}  // namespace controls
