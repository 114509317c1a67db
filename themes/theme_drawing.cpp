#include "themes/theme_drawing.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/stock_objects.h"
#include "toolbars/theme/theme.h"

namespace themes {

namespace {

// Paints the brush where the source bit is set (blitted as the DC's white background colour) and leaves the
// destination where it is not.
constexpr DWORD kRopBrushThroughSetBits = 0x00E20746;

// Copies the set bits of the monochrome source's width x height block at source (sx, sy) to dc at (x, y) in color.
void CopyMonochrome(HDC dc, HDC source, int sx, int sy, int x, int y, int width, int height, TColor color) {
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color)));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  BitBlt(dc, x, y, width, height, source, sx, sy, kRopBrushThroughSetBits);
  SelectObject(dc, oldBrush);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  DeleteObject(brush);
}

constexpr TGlyphPattern kCloseCross{0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3, 0};

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// The lines of rect (rows, or else columns) that the DC's clip lets through, as offsets from rect's top or left:
// first up to but not including last. A gradient far larger than the surface only works out the lines it shows.
struct TLineSpan {
  int First = 0;
  int Last = 0;
};

TLineSpan VisibleLines(HDC dc, const RECT& rect, bool rows) {
  RECT clip{};
  if (GetClipBox(dc, &clip) == NULLREGION) return {};
  const int start = rows ? rect.top : rect.left;
  const int end = rows ? rect.bottom : rect.right;
  const int from = std::max<int>(start, rows ? clip.top : clip.left);
  const int to = std::min<int>(end, rows ? clip.bottom : clip.right);
  if (from >= to) return {};
  return {from - start, to - start};
}

struct TChannels {
  int R, G, B;
};

TChannels Channels(TColor color) {
  const COLORREF rgb = static_cast<COLORREF>(ColorToRGB(color));
  return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

// The colours of a glass gradient: a, b and the overshoot beyond a, seen from b, 15 / reach of the way from b to
// a (flat a when a is redder). A channel past black or white stays there.
struct TGlass {
  TChannels A, B, C;
};

TGlass GlassColors(TColor a, TColor b, int reach) {
  TGlass glass{Channels(a), Channels(b), {}};
  const auto overshoot = [reach](int from, int to) { return std::clamp(to + (from - to) * 15 / reach, 0, 255); };
  glass.C = glass.A.R > glass.B.R ? glass.A
                                  : TChannels{overshoot(glass.A.R, glass.B.R), overshoot(glass.A.G, glass.B.G),
                                              overshoot(glass.A.B, glass.B.B)};
  return glass;
}

// Line i of a glass strip n lines long (n > 0): the first half from b towards a, the second half from the
// middle of a and the overshoot back to a (towards the end) or on to the overshoot.
COLORREF GlassLine(const TGlass& glass, int i, int n, bool backToA) {
  const int half = n / 2;
  const auto channel = [&](int a, int b, int c) {
    if (i < half) return b + (a - b) * i / half;
    return backToA ? c + (a - c) * i / n : a + (c - a) * i / n;
  };
  return RGB(channel(glass.A.R, glass.B.R, glass.C.R), channel(glass.A.G, glass.B.G, glass.C.G),
             channel(glass.A.B, glass.B.B, glass.C.B));
}

}  // namespace

void DrawPatternGlyph(TCanvas* canvas, const TGlyphPattern& pattern, int x, int y, int width, int height,
                      TColor color) {
  if (color == clNone) return;
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, pattern.data());
  HDC source = CreateCompatibleDC(canvas->Handle());
  HGDIOBJ old = SelectObject(source, bitmap);
  CopyMonochrome(canvas->Handle(), source, 0, 0, x, y, width, height, color);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(bitmap);
}

void DrawListGlyph(TCanvas* canvas, TImageList* glyphs, int index, int x, int y, TColor color) {
  if (color == clNone || !glyphs || !glyphs->HandleAllocated()) return;
  // The list keeps its mask selected in a DC of its own, so the glyph is taken out by drawing the mask: it keeps
  // what lies under a glyph pixel and blackens the rest, so on white the glyph stays set.
  HBITMAP bitmap = CreateBitmap(glyphs->Width(), glyphs->Height(), 1, 1, nullptr);
  HDC source = CreateCompatibleDC(canvas->Handle());
  HGDIOBJ old = SelectObject(source, bitmap);
  PatBlt(source, 0, 0, glyphs->Width(), glyphs->Height(), WHITENESS);
  if (ImageList_Draw(glyphs->Handle(), index, source, 0, 0, ILD_MASK))
    CopyMonochrome(canvas->Handle(), source, 0, 0, x, y, glyphs->Width(), glyphs->Height(), color);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(bitmap);
}

void FillPolygon(TCanvas* canvas, const std::vector<POINT>& points, TColor color) {
  if (color == clNone) return;
  canvas->Pen()->SetColor(color);
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->Polygon(points);
}

void CutCornerFrame(TCanvas* canvas, const RECT& rect, int leftCut, int rightCut) {
  const int l = rect.left;
  const int t = rect.top;
  const int r = rect.right - 1;
  const int b = rect.bottom - 1;
  canvas->Polyline({{l + leftCut, t},
                    {r - rightCut, t},
                    {r, t + rightCut},
                    {r, b - rightCut},
                    {r - rightCut, b},
                    {l + leftCut, b},
                    {l, b - leftCut},
                    {l, t + leftCut},
                    {l + leftCut, t}});
}

HBRUSH CreateCheckerBrush(TColor c1, TColor c2) {
  TBitmap* pattern = AllocPatternBitmap(ColorToRGB(c1), ColorToRGB(c2));
  return CreatePatternBrush(pattern->Handle());
}

void GradientFill(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2, bool horizontal) {
  const int extent = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
  if (extent <= 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
  const COLORREF from = static_cast<COLORREF>(ColorToRGB(c1));
  const COLORREF to = static_cast<COLORREF>(ColorToRGB(c2));
  const int n = extent - 1;
  HDC dc = canvas->Handle();
  // Line i lies at offset extent - 1 - i from the top or left.
  const TLineSpan visible = VisibleLines(dc, rect, !horizontal);
  for (int i = extent - visible.Last; i < extent - visible.First; ++i) {
    const auto channel = [&](int a, int b) { return n == 0 ? a : a + (b - a) * i / n; };
    const COLORREF color = RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
                               channel(GetBValue(from), GetBValue(to)));
    const RECT line = horizontal ? RECT{rect.right - 1 - i, rect.top, rect.right - i, rect.bottom}
                                 : RECT{rect.left, rect.bottom - 1 - i, rect.right, rect.bottom - i};
    FillSolid(dc, line, color);
  }
}

void GlassGradient(TCanvas* canvas, const RECT& rect, TColor a, TColor b, bool vertical) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  HDC dc = canvas->Handle();
  const TGlass glass = GlassColors(a, b, 9);
  const int extent = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  // The gradient is a strip one line shorter than the rectangle, stretched over it.
  const int n = extent - 1;
  const TLineSpan visible = VisibleLines(dc, rect, vertical);
  for (int line = visible.First; line < visible.Last; ++line) {
    const COLORREF color =
        n == 0 ? RGB(glass.B.R, glass.B.G, glass.B.B) : GlassLine(glass, static_cast<int>(static_cast<long long>(line) * n / extent), n, vertical);
    const RECT at = vertical ? RECT{rect.left, rect.top + line, rect.right, rect.top + line + 1}
                             : RECT{rect.left + line, rect.top, rect.left + line + 1, rect.bottom};
    FillSolid(dc, at, color);
  }
}

void GlassBand(TCanvas* canvas, const RECT& rect, TColor a, TColor b, bool rows) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  HDC dc = canvas->Handle();
  const TGlass glass = GlassColors(a, b, 8);
  const int extent = rows ? rect.bottom - rect.top : rect.right - rect.left;
  const int n = extent - 1;
  const TLineSpan visible = VisibleLines(dc, rect, rows);
  for (int line = visible.First; line < visible.Last; ++line) {
    const COLORREF color = n == 0 ? RGB(glass.B.R, glass.B.G, glass.B.B) : GlassLine(glass, line, n, true);
    const RECT at = rows ? RECT{rect.left, rect.top + line, rect.right, rect.top + line + 1}
                         : RECT{rect.left + line, rect.top, rect.left + line + 1, rect.bottom};
    FillSolid(dc, at, color);
  }
}

void ButtonGradient(TCanvas* canvas, const RECT& rect) {
  const int height = rect.bottom - rect.top;
  if (height <= 0 || rect.right <= rect.left) return;
  HDC dc = canvas->Handle();
  const int last = height - 1;
  const int third = last / 3;
  // Each band from its start level to its end level over its rows; a band without rows keeps its start level.
  const auto level = [](int from, int to, int row, int rows) { return rows == 0 ? from : from + (to - from) * row / rows; };
  const TLineSpan visible = VisibleLines(dc, rect, true);
  for (int row = visible.First; row < visible.Last; ++row) {
    int g = 0;
    if (row <= third)
      g = level(248, 216, row, third);
    else if (row <= 2 * third)
      g = level(216, 240, row - third, third);
    else
      g = level(240, 248, row - 2 * third, last - 2 * third);
    FillSolid(dc, {rect.left, rect.top + row, rect.right, rect.top + row + 1}, RGB(g, g, g));
  }
}

void RoundGradient(TCanvas* canvas, const RECT& rect, TColor a, TColor b, bool glass) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  static constexpr int kDiscInsets[] = {3, 1, 1, 0, 0};
  HDC dc = canvas->Handle();
  const TGlass colors = GlassColors(a, b, 9);
  const int height = rect.bottom - rect.top;
  const int n = height - 1;
  const TLineSpan visible = VisibleLines(dc, rect, true);
  for (int row = visible.First; row < visible.Last; ++row) {
    COLORREF color = RGB(colors.B.R, colors.B.G, colors.B.B);
    if (n > 0 && glass) {
      color = GlassLine(colors, row, n, true);
    } else if (n > 0) {
      const int i = n - row;
      color = RGB(colors.A.R + (colors.B.R - colors.A.R) * i / n, colors.A.G + (colors.B.G - colors.A.G) * i / n,
                  colors.A.B + (colors.B.B - colors.A.B) * i / n);
    }
    const int fromEnd = std::min(row, n - row);
    const int inset = fromEnd < static_cast<int>(std::size(kDiscInsets)) ? kDiscInsets[fromEnd] : 0;
    if (rect.left + inset < rect.right - inset)
      FillSolid(dc, {rect.left + inset, rect.top + row, rect.right - inset, rect.top + row + 1}, color);
  }
}

void DrawCloseGlyph(TCanvas* canvas, const RECT& rect, TColor color) {
  DrawPatternGlyph(canvas, kCloseCross, (rect.left + rect.right - 7) / 2, (rect.top + rect.bottom - 7) / 2, 8, 7,
                   color);
}

bool ViewRunsWide(const RECT& viewRect, const RECT& paintRect, const RECT& area) {
  const bool noDock = viewRect.left == 0 && viewRect.top == 0 && viewRect.right == 0 && viewRect.bottom == 0;
  return noDock ? paintRect.right > paintRect.bottom
                : std::abs(area.right - area.left) > std::abs(area.bottom - area.top);
}

void DrawEtchedLine(TCanvas* canvas, const RECT& rect, bool horizontal, int at, TColor dark) {
  if (horizontal) {
    toolbars::DrawLineEx(canvas, rect.left + 4, at, rect.right - 2, at, clWhite);
    toolbars::DrawLineEx(canvas, rect.left + 3, at - 1, rect.right - 3, at - 1, dark);
  } else {
    toolbars::DrawLineEx(canvas, at, rect.top + 4, at, rect.bottom - 2, clWhite);
    toolbars::DrawLineEx(canvas, at - 1, rect.top + 3, at - 1, rect.bottom - 3, dark);
  }
}

void DrawRadioOutline(TCanvas* canvas, int x, int y, TColor color) {
  static constexpr POINT kCircle[] = {{0, 8},   {0, 4},   {1, 3},   {1, 2},   {2, 1},  {3, 1},   {4, 0},  {8, 0},
                                      {9, 1},   {10, 1},  {11, 2},  {11, 3},  {12, 4}, {12, 8},  {11, 9}, {11, 10},
                                      {10, 11}, {9, 11},  {8, 12},  {4, 12},  {3, 11}, {2, 11},  {1, 10}, {1, 9}};
  std::vector<POINT> points;
  for (const POINT& p : kCircle) points.push_back({x + p.x, y + p.y});
  canvas->Pen()->SetColor(color);
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->Polygon(points);
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
}

TColor NearestColor(TColor color) {
  return static_cast<TColor>(GetNearestColor(toolbars::StockNearestColorDC(), static_cast<COLORREF>(ColorToRGB(color))));
}

void DrawGripDot(TCanvas* canvas, int x, int y, const TGripDotStyle& style) {
  const auto dark = [&](int weight) { return NearestColor(toolbars::BlendColors(style.Base, style.Dark, weight)); };
  const auto light = [&](int weight) { return NearestColor(toolbars::BlendColors(style.Base, style.Light, weight)); };
  canvas->SetPixels(x, y, dark(style.DarkWeights[0]));
  canvas->SetPixels(x, y + 1, dark(style.DarkWeights[1]));
  canvas->SetPixels(x + 1, y, dark(style.DarkWeights[2]));
  canvas->SetPixels(x + 1, y + 1, dark(style.DarkWeights[3]));
  canvas->SetPixels(x + 1, y + 2, light(72));
  canvas->SetPixels(x + 2, y + 2, light(128));
  canvas->SetPixels(x + 2, y + 1, light(96));
}

std::vector<POINT> ScrollArrowPoints(const RECT& rect, int kind) {
  const int cx = (rect.left + rect.right) / 2;
  const int cy = (rect.top + rect.bottom) / 2;
  const int s = std::min<int>(cx - rect.left, cy - rect.top) * 3 / 4;
  switch (kind) {
    case toolbars::sbUp:
      return {{cx + s, cy + s / 2}, {cx, cy + s / 2 - s}, {cx - s, cy + s / 2}};
    case toolbars::sbDown: {
      const int y0 = (rect.top + rect.bottom - 1) / 2 - s / 2;
      return {{cx + s, y0}, {cx, y0 + s}, {cx - s, y0}};
    }
    case toolbars::sbLeft: {
      const int x0 = cx + s / 2;
      return {{x0, cy + s}, {x0 - s, cy}, {x0, cy - s}};
    }
    case toolbars::sbRight: {
      const int x0 = (rect.left + rect.right - 1) / 2 - s / 2;
      return {{x0, cy + s}, {x0 + s, cy}, {x0, cy - s}};
    }
    default:
      return {};
  }
}

void DrawSizeGripDots(TCanvas* canvas, const RECT& rect) {
  const TGripDotStyle style{clBtnFace, clBtnShadow, clBtnHighlight, {16, 32, 48, 64}};
  const int r = rect.right;
  const int b = rect.bottom;
  const POINT anchors[] = {{r - 12, b - 4}, {r - 8, b - 4}, {r - 4, b - 4}, {r - 8, b - 8}, {r - 4, b - 8}, {r - 4, b - 12}};
  for (const POINT& at : anchors) DrawGripDot(canvas, at.x, at.y, style);
}

void DrawGripDiagonals(TCanvas* canvas, const RECT& rect, int first, const std::vector<TColor>& round) {
  int d = first;
  for (int i = 0; i < 3; ++i)
    for (TColor color : round) {
      if (color != clNone)
        toolbars::DrawLineEx(canvas, rect.right - 1 - d, rect.bottom - 1, rect.right, rect.bottom - d - 2, color);
      ++d;
    }
}

void DrawPaneDivider(TCanvas* canvas, const RECT& rect, bool lastPane) {
  const int x = lastPane ? rect.right : rect.right - 3;
  toolbars::DrawLineEx(canvas, x, rect.top + 4, x, rect.bottom - 3, clBtnShadow);
  toolbars::DrawLineEx(canvas, x + 1, rect.top + 5, x + 1, rect.bottom - 2, clBtnHighlight);
}

void DrawControlBox(TCanvas* canvas, const RECT& box, int kind, TColor pen, HBRUSH brush) {
  HDC dc = canvas->Handle();
  HPEN penHandle = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(pen)));
  HGDIOBJ oldPen = SelectObject(dc, penHandle);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  if (kind == toolbars::scCheckBox)
    ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
  else
    ::Ellipse(dc, box.left, box.top, box.right, box.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(penHandle);
  canvas->Refresh();
}

void DrawControlMark(TCanvas* canvas, const RECT& box, int kind, int state, TColor color) {
  if (kind == toolbars::scCheckBox && (state & (toolbars::scsChecked | toolbars::scsMixed))) {
    const int x = (box.left + box.right) / 2 - 1;
    const int y = (box.top + box.bottom) / 2 + 1;
    FillPolygon(canvas, {{x - 2, y}, {x, y + 2}, {x + 4, y - 2}, {x + 4, y - 4}, {x, y}, {x - 2, y - 2}, {x - 2, y}},
                color);
  } else if (kind == toolbars::scRadioButton && (state & toolbars::scsChecked)) {
    canvas->Pen()->SetColor(color);
    canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->Ellipse(box.left + 3, box.top + 3, box.right - 3, box.bottom - 3);
  }
}

void DrawCaption(TCanvas* canvas, RECT rect, const String& caption, UINT format, bool rotated, TColor color) {
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  if (color != clNone) canvas->Font()->SetColor(color);
  if (!rotated) {
    canvas->TextRect(rect, caption, format);
  } else {
    HDC dc = canvas->Handle();
    HGDIOBJ oldFont = SelectObject(dc, canvas->Font()->Handle());
    const COLORREF oldColor = SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(canvas->Font()->Color())));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    toolbars::DrawRotatedText(dc, caption, rect, format);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColor);
    SelectObject(dc, oldFont);
  }
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
}

}  // namespace themes
