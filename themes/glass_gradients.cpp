#include "themes/glass_gradients.h"

#include <algorithm>
#include <array>

#include "framework/bitmap.h"
#include "toolbars/theme/draw_utils.h"

namespace themes {

namespace {

// The inset of each row of an 11-row radio disc from both sides.
constexpr std::array<int, 11> kDiscInsets{3, 1, 1, 0, 0, 0, 0, 0, 1, 1, 3};

struct TChannels {
  int R, G, B;
};

TChannels Split(TColor color) {
  const COLORREF rgb = static_cast<COLORREF>(ColorToRGB(color));
  return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

// from + (to - from) * i div n per channel; n > 0.
TChannels Step(const TChannels& from, const TChannels& to, int i, int n) {
  return {from.R + (to.R - from.R) * i / n, from.G + (to.G - from.G) * i / n, from.B + (to.B - from.B) * i / n};
}

// Beyond c1 as far again as two thirds of the way from c2, clamped; c1 itself when c1 is redder than c2.
TChannels Overshoot(const TChannels& c1, const TChannels& c2) {
  if (c1.R > c2.R) return c1;
  const auto channel = [](int a, int b) { return std::clamp(b + (a - b) * 15 / 9, 0, 255); };
  return {channel(c1.R, c2.R), channel(c1.G, c2.G), channel(c1.B, c2.B)};
}

// The colour of step i of n of a glossy gradient: from c2 towards c1 in the first half, then the second half's
// run between c1 and the overshoot. n > 0.
TChannels GlassStep(const TChannels& c1, const TChannels& c2, const TChannels& c3, int i, int n, bool vertical) {
  const int half = n / 2;
  if (i < half) return Step(c2, c1, i, half);
  return vertical ? Step(c3, c1, i, n) : Step(c1, c3, i, n);
}

COLORREF Rgb(const TChannels& c) { return RGB(static_cast<BYTE>(c.R), static_cast<BYTE>(c.G), static_cast<BYTE>(c.B)); }

}  // namespace

std::unique_ptr<TBitmap> MakeGradientStrip() {
  auto strip = std::make_unique<TBitmap>();
  strip->SetPixelFormat(TPixelFormat::pf24bit);
  strip->SetSize(1, 1);
  return strip;
}

void GlassGradient(TCanvas* canvas, TBitmap* strip, const RECT& rect, TColor c1, TColor c2, bool vertical) {
  if (rect.right <= rect.left || rect.bottom <= rect.top || !strip) return;
  const int n = (vertical ? rect.bottom - rect.top : rect.right - rect.left) - 1;
  if (n == 0) {
    toolbars::FillRectEx(canvas, rect, c1);
    return;
  }
  const TChannels from = Split(c1);
  const TChannels to = Split(c2);
  const TChannels beyond = Overshoot(from, to);
  if (vertical ? strip->Height() < n : strip->Width() < n)
    strip->SetSize(std::max(strip->Width(), vertical ? 1 : n), std::max(strip->Height(), vertical ? n : 1));
  auto* first = static_cast<BYTE*>(strip->ScanLine(0));
  const ptrdiff_t step =
      vertical ? (strip->Height() > 1 ? static_cast<BYTE*>(strip->ScanLine(1)) - first : 0) : ptrdiff_t{3};
  for (int i = 0; i < n; ++i) {
    const TChannels c = GlassStep(from, to, beyond, i, n, vertical);
    BYTE* pixel = first + step * i;
    pixel[0] = static_cast<BYTE>(c.B);
    pixel[1] = static_cast<BYTE>(c.G);
    pixel[2] = static_cast<BYTE>(c.R);
  }
  HDC dc = canvas->Handle();
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, strip->Canvas()->Handle(), 0, 0,
             vertical ? 1 : n, vertical ? n : 1, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
}

void RoundGradient(TCanvas* canvas, const RECT& rect, TColor c1, bool glass, TColor c2) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const int n = rect.bottom - rect.top - 1;
  const TChannels from = Split(c1);
  const TChannels to = Split(c2);
  const TChannels beyond = Overshoot(from, to);
  HDC dc = canvas->Handle();
  const COLORREF oldBack = GetBkColor(dc);
  for (int i = 0; i <= n; ++i) {
    // Rows nearer an edge than the disc's middle keep the disc's insets; a taller disc has full rows between.
    const int fromEdge = std::min(i, n - i);
    const int inset = fromEdge < 5 ? kDiscInsets[static_cast<size_t>(fromEdge)] : 0;
    TChannels c = from;
    if (n > 0) c = glass ? GlassStep(from, to, beyond, i, n, true) : Step(from, to, n - i, n);
    const RECT row{rect.left + inset, rect.top + i, rect.right - inset, rect.top + i + 1};
    if (row.right <= row.left) continue;
    SetBkColor(dc, Rgb(c));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);
  }
  SetBkColor(dc, oldBack);
}

std::vector<POINT> RadioCirclePoints(int left, int top) {
  static constexpr POINT kCircle[] = {{0, 8},   {0, 4},  {1, 3},  {1, 2},  {2, 1},  {3, 1},  {4, 0},  {8, 0},
                                      {9, 1},   {10, 1}, {11, 2}, {11, 3}, {12, 4}, {12, 8}, {11, 9}, {11, 10},
                                      {10, 11}, {9, 11}, {8, 12}, {4, 12}, {3, 11}, {2, 11}, {1, 10}, {1, 9}};
  std::vector<POINT> points;
  points.reserve(std::size(kCircle));
  for (const POINT& p : kCircle) points.push_back({left + p.x, top + p.y});
  return points;
}

}  // namespace themes
