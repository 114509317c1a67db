#include "controls/align_controls.h"

#include <algorithm>

#include "controls/address_icons.h"
#include "controls/flat_look.h"
#include "framework/bitmap.h"
#include "framework/properties.h"
#include "framework/window_dc.h"

namespace controls {

namespace {

constexpr int kLogoLeft = 6;
constexpr int kLogoTop = 3;

// A device context of the whole window that is not clipped by child windows, so that the frame and the logo can
// be drawn over the edit child of a combo box.
TWindowDC WholeWindowDC(HWND window) { return TWindowDC(window, GetDCEx(window, nullptr, DCX_WINDOW | DCX_CACHE)); }

// The window's current image in a bitmap of the control's size; Flush copies it back.
class TPaintBuffer {
 public:
  TPaintBuffer(HDC target, int width, int height) : target_(target), width_(width), height_(height) {
    bitmap_.SetSize(width, height);
    BitBlt(bitmap_.Canvas()->Handle(), 0, 0, width, height, target, 0, 0, SRCCOPY);
  }
  TCanvas* Canvas() { return bitmap_.Canvas(); }
  void Flush() { BitBlt(target_, 0, 0, width_, height_, bitmap_.Canvas()->Handle(), 0, 0, SRCCOPY); }

 private:
  HDC target_;
  int width_;
  int height_;
  TBitmap bitmap_;
};

TColor OuterFrameColor(const TControl* control, TCanvas* buffer) {
  if (control->Parent()) return DarkenColor(control->Parent()->Brush()->Color(), 60);
  return buffer->Brush()->Color();
}

// The flat look over a window printed into dc. The system edit leaves its own clipping in the DC after printing,
// so the whole window is made reachable again while the frames are drawn.
template <class Paint>
void PaintOverPrinted(HDC dc, Paint paint) {
  const int saved = SaveDC(dc);
  SelectClipRgn(dc, nullptr);
  paint(dc);
  RestoreDC(dc, saved);
}

// The DC a message paints into when it is not the window's own: printing, or painting into a given DC.
HDC PrintTarget(const TMessage& message) {
  if (message.Msg == WM_PRINT || message.Msg == WM_PAINT) return reinterpret_cast<HDC>(message.WParam);
  return nullptr;
}

bool IsFlatRepaintMessage(UINT msg) {
  switch (msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_FOCUSCHANGED:
    case CM_EXIT:
    case CM_ENABLEDCHANGED:
    case WM_PAINT:
      return true;
    default:
      return false;
  }
}

}  // namespace

TAlignEdit::TAlignEdit(TComponent* owner) : TEdit(owner) { SetCtl3D(false); }

void TAlignEdit::Dispatch(TMessage& message) {
  TEdit::Dispatch(message);
  if (HDC dc = PrintTarget(message)) {
    PaintOverPrinted(dc, [this](HDC target) { PaintFlat(target); });
    return;
  }
  if (message.Msg == CM_MOUSEENTER) mouseIn_ = true;
  if (message.Msg == CM_MOUSELEAVE) mouseIn_ = false;
  // The flat frames replace the sunken edge, which is switched off again whenever it is switched on; here rather
  // than while painting, since switching makes a new window.
  if (message.Msg == CM_CTL3DCHANGED && Ctl3D()) SetCtl3D(false);
  if (IsFlatRepaintMessage(message.Msg)) PaintFlatOnWindow();
}

TRaised TAlignEdit::Change() {
  const TRaised raised = TEdit::Change();
  if (raised.Gone()) return raised;
  if (!IsDesigning()) PaintFlatOnWindow();
  return raised;
}

void TAlignEdit::PaintFlatOnWindow() {
  if (!HandleAllocated()) return;
  const TWindowDC dc = WholeWindowDC(WindowHandle());
  PaintFlat(dc.Handle());
}

void TAlignEdit::PaintFlat(HDC dc) {
  if (!HandleAllocated() || !dc) return;
  TPaintBuffer buffer(dc, Width(), Height());
  TCanvas* canvas = buffer.Canvas();
  RECT r{0, 0, Width(), Height()};
  const bool focused = Focused();
  PaintFlatFrames(canvas, r, OuterFrameColor(this, canvas), Color(),
                  FlatFrameColor(canvas->Handle(), mouseIn_, focused, Color()), mouseIn_ || focused);
  buffer.Flush();
}

const TPublishedTable& TAlignEdit::PublishedTable() const {
  using P = TPublished<TAlignEdit>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"Align", &TAlignEdit::Align, &TAlignEdit::SetAlign,
                         {L"alNone", L"alTop", L"alBottom", L"alLeft", L"alRight", L"alClient"})
              .Default(TAlign::alNone),
      });
  return table;
}

TCustomAlignComboBox::TCustomAlignComboBox(TComponent* owner) : TCustomComboBox(owner) {}

void TCustomAlignComboBox::Dispatch(TMessage& message) {
  TCustomComboBox::Dispatch(message);
  if (HDC dc = PrintTarget(message)) {
    PaintOverPrinted(dc, [this](HDC target) { PaintFlat(target); });
    return;
  }
  if (message.Msg == CM_MOUSEENTER) mouseIn_ = true;
  if (message.Msg == CM_MOUSELEAVE) mouseIn_ = false;
  if (message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE || message.Msg == WM_PAINT ||
      message.Msg == CM_EDITPAINTED)
    PaintFlatOnWindow();
}

void TCustomAlignComboBox::PaintFlatOnWindow() {
  if (!HandleAllocated()) return;
  const TWindowDC dc = WholeWindowDC(WindowHandle());
  PaintFlat(dc.Handle());
}

void TCustomAlignComboBox::PaintFlat(HDC dc) {
  if (!HandleAllocated() || !dc) return;
  TPaintBuffer buffer(dc, Width(), Height());
  TCanvas* canvas = buffer.Canvas();
  const bool focused = Focused();
  const bool empty = Text().empty();
  TBitmap* logo = LogoBitmap.get();
  const int logoWidth = logo ? std::min(logo->Width(), Width() - 22) : 0;
  if (showLogo_) {
    if (!empty) {
      // Clears what is left of the logo under the text, keeping the text itself.
      const TColor font = ColorToRGB(Font()->Color());
      const TColor highlight = ColorToRGB(clHighlight);
      for (int x = 50; x <= 95 && x < Width(); ++x)
        for (int y = 14; y <= 17 && y < Height(); ++y) {
          const TColor pixel = canvas->Pixels(x, y);
          if (pixel != font && pixel != highlight) canvas->SetPixels(x, y, clWindow);
        }
    } else if (logo) {
      canvas->Brush()->SetColor(clWhite);
      canvas->FillRect(RECT{kLogoLeft, kLogoTop, kLogoLeft + logoWidth, kLogoTop + logo->Height()});
    }
  }
  RECT r{0, 0, Width(), Height()};
  const TColor frameColor = FlatFrameColor(canvas->Handle(), mouseIn_, focused, Color());
  PaintFlatFrames(canvas, r, OuterFrameColor(this, canvas), Color(), frameColor, mouseIn_ || focused);
  if (Style() != TComboBoxStyle::csSimple) PaintDropButton(canvas, r, frameColor);
  if (empty && !focused && showLogo_ && logo && !IsDesigning()) {
    canvas->CopyRect(RECT{kLogoLeft, kLogoTop, kLogoLeft + logoWidth, kLogoTop + logo->Height()}, logo->Canvas(),
                     RECT{0, 0, logoWidth, logo->Height()});
  }
  buffer.Flush();
}

void TCustomAlignComboBox::PaintDropButton(TCanvas* canvas, RECT r, TColor frameColor) {
  const TFlatColors colors = FlatColors(canvas->Handle());
  const bool focused = Focused();
  const bool lit = mouseIn_ || focused;
  TColor arrow = Enabled() ? clBlack : clWhite;
  TColor face = mouseIn_ ? colors.HotLight : focused ? colors.FocusLight : clBtnFace;
  if (DroppedDown()) {
    arrow = clWhite;
    face = colors.Pressed;
  }
  InflateRect(&r, -1, -1);
  const int scrollWidth = GetSystemMetrics(SM_CXVSCROLL);
  const bool rightToLeft = UseRightToLeftScrollBar();
  RECT button{r.right - scrollWidth - 1, r.top, r.right, r.bottom};
  RECT faceRect{r.right - 13 - (lit ? 1 : 0), r.top, r.right, r.bottom};
  if (rightToLeft) {
    button = RECT{r.left, r.top, r.left + scrollWidth + 1 + (lit ? 2 : 0), r.bottom};
    faceRect = RECT{r.left, r.top, r.left + 13, r.bottom};
  } else if (lit) {
    --button.left;
  }
  canvas->Brush()->SetColor(Color());
  if (rightToLeft)
    canvas->FillRect(RECT{faceRect.right, button.top, button.right, button.bottom});
  else
    canvas->FillRect(RECT{button.left, button.top, r.right - 12, button.bottom});
  canvas->Brush()->SetColor(face);
  canvas->FillRect(faceRect);
  const int x0 = faceRect.left + 1 + (faceRect.right - faceRect.left - 5) / 2;
  const int y0 = (Height() - 3) / 2;
  canvas->Pen()->SetColor(arrow);
  for (int row = 0; row < 3; ++row) {
    canvas->MoveTo(x0 + row, y0 + 1 + row);
    canvas->LineTo(x0 + row + 5 - 2 * row, y0 + 1 + row);
  }
  canvas->Pen()->SetColor(frameColor);
  canvas->MoveTo(faceRect.left, faceRect.top);
  canvas->LineTo(faceRect.left, faceRect.bottom);
}

const TPublishedTable& TAlignComboBox::PublishedTable() const {
  using P = TPublished<TAlignComboBox>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Enumeration(L"Align", &TAlignComboBox::Align, &TAlignComboBox::SetAlign,
                         {L"alNone", L"alTop", L"alBottom", L"alLeft", L"alRight", L"alClient"})
              .Default(TAlign::alNone),
      });
  return table;
}

}  // namespace controls
