#include "controls/tab_button.h"

#include <algorithm>

#include "framework/win_control.h"

namespace controls {

TTabButtonDownProc TabButtonDownProc = nullptr;

namespace {

constexpr TColor kLightEdge = static_cast<TColor>(0xFFFFFF);
constexpr TColor kDarkEdge = static_cast<TColor>(0x6A6A6A);
constexpr TColor kHotCaptionColor = static_cast<TColor>(0xFF0000);
constexpr UINT kCaptionFormat = DT_END_ELLIPSIS | DT_VCENTER;
// The part of the tab that RedrawTab paints again: the icon, inside the frame.
constexpr int kIconAreaRight = 22;

bool IsPressed(TButtonState state) { return state == TButtonState::bsDown || state == TButtonState::bsExclusive; }

}  // namespace

TTabButton::TTabButton(TComponent* owner) : TSpeedButton(owner), pageIcon_(std::make_unique<TIcon>()) {}

TTabButton::~TTabButton() = default;

void TTabButton::SetDown(bool value) {
  if (value != Down()) {
    StoreDown(value);
    if (value) {
      if (State() == TButtonState::bsUp) Invalidate();
      SetState(TButtonState::bsExclusive);
    } else {
      if (IsPressed(State())) Invalidate();
      SetState(TButtonState::bsUp);
      Repaint();
    }
  }
  if (value && TabButtonDownProc) TabButtonDownProc(tabIndex_);
}

void TTabButton::SettleTabState() {
  SettleState();
  TFontStyles style = Font()->Style();
  if (IsPressed(State()))
    style += TFontStyle::fsBold;
  else
    style -= TFontStyle::fsBold;
  Font()->SetStyle(style);
}

TRaised TTabButton::Paint() {
  SettleTabState();
  PaintFace(Canvas(), true, true);
  return TRaised(true);
}

void TTabButton::PaintFace(TCanvas* canvas, bool frame, bool caption) {
  if (!Visible()) return;
  const bool pressed = IsPressed(State()) && Enabled();
  const int d = pressed ? 1 : 0;
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  if (frame) {
    canvas->Pen()->SetColor(pressed ? kDarkEdge : kLightEdge);
    canvas->MoveTo(0, Height() - 1);
    canvas->LineTo(0, 0);
    canvas->LineTo(Width() - 1, 0);
    canvas->Pen()->SetColor(pressed ? kLightEdge : kDarkEdge);
    canvas->LineTo(Width() - 1, Height() - 1);
    canvas->LineTo(0, Height() - 1);
  }
  const int glyphWidth = NumGlyphs() > 0 ? Glyph()->Width() / NumGlyphs() : 0;
  if (caption) {
    canvas->SetFont(Font());
    if (hot_ && hotCaption_) canvas->Font()->SetColor(kHotCaptionColor);
    int textWidth = Width() - 8;
    if (glyphWidth > 0) textWidth -= glyphWidth + 4;
    textWidth = std::max(textWidth, 0);
    const String text = Caption();
    RECT measure{0, 0, textWidth, 0};
    DrawTextW(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &measure, DT_CALCRECT);
    const int textHeight = measure.bottom - measure.top;
    const int x = d + 4 + (glyphWidth > 0 ? glyphWidth + 4 : 0);
    const int y = (Height() - textHeight) / 2 + d;
    RECT target{x, y, x + textWidth, y + textHeight};
    DrawTextW(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &target, kCaptionFormat);
  }
  PaintGlyph(canvas);
}

void TTabButton::PaintGlyph(TCanvas* canvas) {
  const bool pressed = IsPressed(State()) && Enabled();
  const int d = pressed ? 1 : 0;
  const int x = d + 4;
  const int y = (Height() - Glyph()->Height()) / 2 + d;
  // In page-icon mode a tab said to have its page's icon shows that icon, even one still empty, never the glyph.
  if (glyphKind_ == PageIconGlyphKind && hasPageIcon_) {
    canvas->Draw(x + 1, y + 1, pageIcon_.get());
    return;
  }
  if (std::unique_ptr<TBitmap> image = GlyphImage(TButtonState::bsUp)) canvas->Draw(x, y, image.get());
}

void TTabButton::RedrawTab() {
  TWinControl* parent = Parent();
  if (!parent || !parent->HandleAllocated() || !Visible()) return;
  HWND parentWindow = parent->Handle();
  HDC dc = GetDC(parentWindow);
  HRGN clip = CreateRectRgn(Left() + 1, Top() + 1, Left() + kIconAreaRight, Top() + Height() - 2);
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  SendMessageW(parentWindow, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SetWindowOrgEx(dc, -Left(), -Top(), nullptr);
  SettleTabState();
  TCanvas canvas;
  canvas.SetHandle(dc);
  PaintGlyph(&canvas);
  canvas.SetHandle(nullptr);
  ReleaseDC(parentWindow, dc);
}

TRaised TTabButton::ButtonUp(TMessage& message, bool& pressed, const TNotifyEvent& event) {
  if (!pressed) return TRaised(true);
  pressed = false;
  const POINT point = MessagePoint(message.LParam);
  const RECT client = ClientRect();
  if (!PtInRect(&client, point)) return TRaised(true);
  return RaiseEvent(event, this);
}

void TTabButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
      TSpeedButton::Dispatch(message);
      hot_ = true;
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      TSpeedButton::Dispatch(message);
      middleDown_ = false;
      rightDown_ = false;
      hot_ = false;
      Invalidate();
      break;
    // The second press of a quick pair comes as a double click (the parent windows take double clicks): it is a
    // press like the first, or a person closing tabs with quick clicks closes every second one.
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP: {
      // OnMouseDown and OnMouseUp may free the tab.
      const TLifeWatch life = LifeWatch();
      TSpeedButton::Dispatch(message);
      if (life.Ended()) break;
      if (message.Msg != WM_RBUTTONUP)
        rightDown_ = true;
      else if (ButtonUp(message, rightDown_, OnRightClick).Gone())
        return;
      break;
    }
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      middleDown_ = true;
      break;
    case WM_MBUTTONUP:
      if (ButtonUp(message, middleDown_, OnMiddleClick).Gone()) return;
      break;
    default:
      TSpeedButton::Dispatch(message);
  }
}

namespace {

void RegisterTabButton() { RegisterPersistentClass(TTabButton::StaticClass()); }
void UnregisterTabButton() { UnregisterPersistentClass(TTabButton::StaticClass()); }

}  // namespace

const TUnit& TabButtonUnit() {
  static const TUnit unit{L"TabButton", &RegisterTabButton, &UnregisterTabButton, {&ControlsUnit()}};
  return unit;
}

}  // namespace controls
