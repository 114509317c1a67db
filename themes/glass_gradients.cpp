#include "themes/glass_gradients.h"

#include <algorithm>
#include <array>

#include "framework/bitmap.h"
#include "themes/theme_drawing.h"
#include "toolbars/theme/draw_utils.h"

namespace themes {

namespace {

// Longer gradients are sampled into this many steps.
constexpr int kMaxStripLength = 4096;

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
TChannels Step(const TChannels& from, const TChannels& to, long long i, long long n) {
  const auto channel = [&](int a, int b) { return static_cast<int>(a + (b - a) * i / n); };
  return {channel(from.R, to.R), channel(from.G, to.G), channel(from.B, to.B)};
}

// Beyond c1, 15 / reach of the way from c2 (two thirds again for a reach of 9), clamped to black and white; c1
// itself when c1 is redder than c2.
TChannels Overshoot(const TChannels& c1, const TChannels& c2, int reach = 9) {
  if (c1.R > c2.R) return c1;
  const auto channel = [reach](int a, int b) { return std::clamp(b + (a - b) * 15 / reach, 0, 255); };
  return {channel(c1.R, c2.R), channel(c1.G, c2.G), channel(c1.B, c2.B)};
}

// The colour of step i of n of a glossy gradient: from c2 towards c1 in the first half, then the second half's
// run between c1 and the overshoot. n > 0.
TChannels GlassStep(const TChannels& c1, const TChannels& c2, const TChannels& c3, long long i, long long n,
                    bool vertical) {
  const long long half = n / 2;
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
  const long long n =
      (vertical ? static_cast<long long>(rect.bottom) - rect.top : static_cast<long long>(rect.right) - rect.left) - 1;
  if (n == 0) {
    toolbars::FillRectEx(canvas, rect, c1);
    return;
  }
  const TChannels from = Split(c1);
  const TChannels to = Split(c2);
  const TChannels beyond = Overshoot(from, to);
  // The strip keeps the longest run asked for; it is reshaped only when the direction changes.
  const int length = static_cast<int>(std::min<long long>(n, kMaxStripLength));
  const int kept = std::max(std::max(strip->Width(), strip->Height()), length);
  if (vertical ? strip->Width() != 1 || strip->Height() < length : strip->Height() != 1 || strip->Width() < length)
    strip->SetSize(vertical ? 1 : kept, vertical ? kept : 1);
  auto* first = static_cast<BYTE*>(strip->ScanLine(0));
  const ptrdiff_t step =
      vertical ? (strip->Height() > 1 ? static_cast<BYTE*>(strip->ScanLine(1)) - first : 0) : ptrdiff_t{3};
  for (int j = 0; j < length; ++j) {
    // A run longer than the strip is sampled evenly.
    const TChannels c = GlassStep(from, to, beyond, j * n / length, n, vertical);
    BYTE* pixel = first + step * j;
    pixel[0] = static_cast<BYTE>(c.B);
    pixel[1] = static_cast<BYTE>(c.G);
    pixel[2] = static_cast<BYTE>(c.R);
  }
  HDC dc = canvas->Handle();
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, strip->Canvas()->Handle(), 0, 0,
             vertical ? 1 : length, vertical ? length : 1, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
}

void RoundGradient(TCanvas* canvas, const RECT& rect, TColor c1, bool glass, TColor c2) {
  const RECT visible = VisiblePart(canvas, rect);
  if (IsRectEmpty(&visible)) return;
  const long long n = static_cast<long long>(rect.bottom) - rect.top - 1;
  const TChannels from = Split(c1);
  const TChannels to = Split(c2);
  const TChannels beyond = Overshoot(from, to);
  HDC dc = canvas->Handle();
  const COLORREF oldBack = GetBkColor(dc);
  for (int y = visible.top; y < visible.bottom; ++y) {
    const long long i = y - static_cast<long long>(rect.top);
    // Rows nearer an edge than the disc's middle keep the disc's insets; a taller disc has full rows between.
    const long long fromEdge = std::min(i, n - i);
    const int inset = fromEdge < 5 ? kDiscInsets[static_cast<size_t>(fromEdge)] : 0;
    TChannels c = from;
    if (n > 0) c = glass ? GlassStep(from, to, beyond, i, n, true) : Step(from, to, n - i, n);
    const RECT row{std::max(visible.left, rect.left + inset), y, std::min(visible.right, rect.right - inset), y + 1};
    if (row.right <= row.left) continue;
    SetBkColor(dc, Rgb(c));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);
  }
  SetBkColor(dc, oldBack);
}

void GlassBand(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2, bool rows) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const long long n =
      (rows ? static_cast<long long>(rect.bottom) - rect.top : static_cast<long long>(rect.right) - rect.left) - 1;
  const TChannels from = Split(c1);
  const TChannels to = Split(c2);
  const TChannels beyond = Overshoot(from, to, 8);
  const RECT visible = VisiblePart(canvas, rect);
  if (IsRectEmpty(&visible)) return;
  HDC dc = canvas->Handle();
  const COLORREF oldBack = GetBkColor(dc);
  for (int at = rows ? visible.top : visible.left; at < (rows ? visible.bottom : visible.right); ++at) {
    const long long i = at - static_cast<long long>(rows ? rect.top : rect.left);
    const TChannels c = n == 0 ? from : GlassStep(from, to, beyond, i, n, true);
    const RECT line =
        rows ? RECT{visible.left, at, visible.right, at + 1} : RECT{at, visible.top, at + 1, visible.bottom};
    SetBkColor(dc, Rgb(c));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
  }
  SetBkColor(dc, oldBack);
}

void ButtonGradient(TCanvas* canvas, const RECT& rect) {
  const RECT visible = VisiblePart(canvas, rect);
  if (IsRectEmpty(&visible)) return;
  const long long last = static_cast<long long>(rect.bottom) - rect.top - 1;
  const long long third = last / 3;
  // Each band from its start level to its end level over its rows; a band without rows keeps its start level.
  const auto level = [](int from, int to, long long row, long long rows) {
    return rows == 0 ? from : static_cast<int>(from + (to - from) * row / rows);
  };
  HDC dc = canvas->Handle();
  const COLORREF oldBack = GetBkColor(dc);
  for (int y = visible.top; y < visible.bottom; ++y) {
    const long long row = y - static_cast<long long>(rect.top);
    int g = 0;
    if (row <= third)
      g = level(248, 216, row, third);
    else if (row <= 2 * third)
      g = level(216, 240, row - third, third);
    else
      g = level(240, 248, row - 2 * third, last - 2 * third);
    const RECT line{visible.left, y, visible.right, y + 1};
    SetBkColor(dc, RGB(g, g, g));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
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

void DrawControlOutline(TCanvas* canvas, const RECT& rect, int kind, TColor pen) {
  if (kind != toolbars::scRadioButton) {
    CutCornerFrame(canvas, rect, 1, 1, pen);
    return;
  }
  canvas->Pen()->SetColor(pen);
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->Polygon(RadioCirclePoints(rect.left, rect.top));
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
}

}  // namespace themes
