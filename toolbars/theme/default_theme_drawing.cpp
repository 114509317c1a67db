#include "toolbars/theme/default_theme_drawing.h"

#include <array>
#include <memory>
#include <vector>

#include "framework/startup.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/stock_objects.h"
#include "toolbars/theme/theme_registry.h"

namespace toolbars {

namespace {

// Each row one word, the eight pixels in its low byte, leftmost in the top bit.
constexpr std::array<std::array<WORD, 8>, 4> kGlyphRows{{
    {0xCC, 0x66, 0x33, 0x66, 0xCC, 0x00, 0x00, 0x00},
    {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20},
    {0xC6, 0x6C, 0x38, 0x38, 0x6C, 0xC6, 0x00, 0x00},
    {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00},
}};
// Paints the brush where the source bit is set (blitted as the DC's white background colour) and leaves the
// destination where it is not.
constexpr DWORD kRopBrushThroughSetBits = 0x00E20746;

struct TDefaultThemeObjects {
  std::unique_ptr<TFont> CaptionFont;
  std::array<HBITMAP, 4> Glyphs{};
  ~TDefaultThemeObjects() {
    for (HBITMAP glyph : Glyphs)
      if (glyph) DeleteObject(glyph);
  }
};

std::unique_ptr<TDefaultThemeObjects> objects;

void StartDefaultTheme() {
  objects = std::make_unique<TDefaultThemeObjects>();
  objects->CaptionFont = CreateSmallCaptionFont();
  for (size_t i = 0; i < kGlyphRows.size(); ++i) objects->Glyphs[i] = CreateBitmap(8, 8, 1, 1, kGlyphRows[i].data());
  RegisterTheme(L"Default", TStyledThemeClass::Of<TStyledDefaultTheme>());
}

void StopDefaultTheme() { objects.reset(); }

TDefaultThemeObjects& Objects() {
  if (!objects) InitializeUnit(DefaultThemeUnit());
  return *objects;
}

}  // namespace

const TUnit& DefaultThemeUnit() {
  static const TUnit unit{L"toolbars.defaulttheme", &StartDefaultTheme, &StopDefaultTheme, {&ThemeManagerUnit()}};
  return unit;
}

namespace default_theme {

const TThemeData* Styled(TThemeStyle style) { return UseThemes ? ThemeStyle(style) : nullptr; }

void DrawGlyph(HDC dc, TGlyph glyph, int x, int y, int width, int height, TColor systemColor) {
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ oldBitmap = SelectObject(source, Objects().Glyphs[static_cast<size_t>(glyph)]);
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(systemColor & 0xFF));
  BitBlt(dc, x, y, width, height, source, 0, 0, kRopBrushThroughSetBits);
  SelectObject(dc, oldBrush);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  SelectObject(source, oldBitmap);
  DeleteDC(source);
}

void DrawCaptionCross(HDC dc, const RECT& rect, int shift) {
  DrawGlyph(dc, TGlyph::gCaptionCross, (rect.left + rect.right - 7) / 2 + shift,
            (rect.top + rect.bottom - 6) / 2 + shift, 7, 6, clBtnText);
}

void DrawToolbarCross(HDC dc, const RECT& rect, int shift) {
  DrawGlyph(dc, TGlyph::gToolbarCross, (rect.left + rect.right - 6) / 2 + shift,
            (rect.top + rect.bottom - 7) / 2 + shift, 7, 7, clBtnText);
}

void DrawArrow(TCanvas* canvas, int x, int y, int width, TArrowDirection direction, TColor color) {
  const int half = width / 2;
  const int depth = (width + 1) / 2;
  std::vector<POINT> points;
  switch (direction) {
    case TArrowDirection::adDown:
      points = {{x - half, y - depth / 2}, {x + half, y - depth / 2}, {x, y - depth / 2 + half}};
      break;
    case TArrowDirection::adUp:
      points = {{x - half, y + depth / 2}, {x + half, y + depth / 2}, {x, y + depth / 2 - half}};
      break;
    case TArrowDirection::adRight:
      points = {{x - depth / 2, y - half}, {x - depth / 2, y + half}, {x - depth / 2 + half, y}};
      break;
    case TArrowDirection::adLeft:
      points = {{x + depth / 2, y - half}, {x + depth / 2, y + half}, {x + depth / 2 - half, y}};
      break;
  }
  canvas->Pen()->SetColor(color);
  canvas->Brush()->SetColor(color);
  canvas->Polygon(points);
}

void Edge(TCanvas* canvas, RECT rect, UINT edge, UINT flags) { DrawEdge(canvas->Handle(), &rect, edge, flags); }

void EdgeAdjust(TCanvas* canvas, RECT& rect, UINT edge, UINT flags) {
  DrawEdge(canvas->Handle(), &rect, edge, flags | BF_ADJUST);
}

TFont* CaptionFont() { return Objects().CaptionFont.get(); }

}  // namespace default_theme

}  // namespace toolbars
