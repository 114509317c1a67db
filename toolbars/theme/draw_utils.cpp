#include "toolbars/theme/draw_utils.h"

#include <algorithm>
#include <cstring>

#include "framework/bitmap.h"

namespace toolbars {

namespace {

// A brush of the colour for one call: the system's own for a system colour (not to be deleted), else a new one.
class TColorBrush {
 public:
  explicit TColorBrush(TColor color)
      : brush_(IsSystemColor(color) ? GetSysColorBrush(color & 0xFF)
                                    : CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)))),
        owned_(!IsSystemColor(color)) {}
  ~TColorBrush() {
    if (owned_ && brush_) DeleteObject(brush_);
  }
  TColorBrush(const TColorBrush&) = delete;
  TColorBrush& operator=(const TColorBrush&) = delete;
  HBRUSH Handle() const { return brush_; }

 private:
  HBRUSH brush_;
  bool owned_;
};

}  // namespace

bool FillRectEx(TCanvas* canvas, const RECT& rect, TColor color) { return FillRectDCEx(canvas->Handle(), rect, color); }

bool FillRectDCEx(HDC dc, const RECT& rect, TColor color) {
  if (color == clNone) return false;
  TColorBrush brush(color);
  return brush.Handle() && FillRect(dc, &rect, brush.Handle()) != 0;
}

bool FrameRectEx(TCanvas* canvas, RECT& rect, TColor color, bool shrink) {
  bool painted = false;
  if (color != clNone) {
    TColorBrush brush(color);
    painted = brush.Handle() && FrameRect(canvas->Handle(), &rect, brush.Handle()) != 0;
  }
  if (shrink) InflateRect(&rect, -1, -1);
  return painted;
}

void DrawLineEx(TCanvas* canvas, int x1, int y1, int x2, int y2, TColor color) {
  canvas->Pen()->SetColor(color);
  canvas->MoveTo(x1, y1);
  canvas->LineTo(x2, y2);
}

void DitherRect(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2) {
  // The shared pattern bitmaps are kept per colour pair, so they are asked for with resolved colours.
  TBitmap* pattern = AllocPatternBitmap(ColorToRGB(c1), ColorToRGB(c2));
  HBRUSH brush = CreatePatternBrush(pattern->Handle());
  if (!brush) return;
  FillRect(canvas->Handle(), &rect, brush);
  DeleteObject(brush);
}

void DrawFrame3D(TCanvas* canvas, RECT& rect, TColor topLeft, TColor bottomRight) {
  canvas->Pen()->SetWidth(1);
  --rect.right;
  --rect.bottom;
  canvas->Pen()->SetColor(topLeft);
  canvas->MoveTo(rect.left, rect.bottom);
  canvas->LineTo(rect.left, rect.top);
  canvas->LineTo(rect.right, rect.top);
  canvas->Pen()->SetColor(bottomRight);
  canvas->LineTo(rect.right, rect.bottom);
  canvas->LineTo(rect.left - 1, rect.bottom);
  ++rect.left;
  ++rect.top;
}

std::uint32_t* PixelRow(TBitmap* bitmap, int y) { return static_cast<std::uint32_t*>(bitmap->ScanLine(y)); }

void FillLongwords(std::uint32_t* dest, int count, std::uint32_t value) {
  if (count < 1) return;
  std::fill_n(dest, count, value);
}

void MoveLongwords(const std::uint32_t* source, std::uint32_t* dest, int count) {
  if (count < 1 || source == dest) return;
  std::memmove(dest, source, static_cast<size_t>(count) * sizeof(std::uint32_t));
}

}  // namespace toolbars
