#include "themes/theme_drawing.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/stock_objects.h"

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
  for (int i = 0; i <= n; ++i) {
    const auto channel = [&](int a, int b) { return n == 0 ? a : a + (b - a) * i / n; };
    const COLORREF color = RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
                               channel(GetBValue(from), GetBValue(to)));
    const RECT line = horizontal ? RECT{rect.right - 1 - i, rect.top, rect.right - i, rect.bottom}
                                 : RECT{rect.left, rect.bottom - 1 - i, rect.right, rect.bottom - i};
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
  }
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
