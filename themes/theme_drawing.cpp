#include "themes/theme_drawing.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/stock_objects.h"
#include "toolbars/theme/theme.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

namespace {

// Paints the brush where the source bit is set (blitted as the DC's white background colour) and leaves the
// destination where it is not.
constexpr DWORD kRopBrushThroughSetBits = 0x00E20746;

constexpr TGlyphPattern kCloseCross{0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3, 0};

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

void DrawCloseGlyph(TCanvas* canvas, const RECT& rect, TColor color) {
  DrawPatternGlyph(canvas, kCloseCross, (rect.left + rect.right - 7) / 2, (rect.top + rect.bottom - 7) / 2, 8, 7,
                   color);
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

void DrawCheckMark(TCanvas* canvas, const RECT& rect, TColor color) {
  if (color == clNone) return;
  const int x = (rect.left + rect.right) / 2 - 2;
  const int y = (rect.top + rect.bottom) / 2;
  canvas->Pen()->SetColor(color);
  canvas->Polyline(
      {{x - 2, y - 1}, {x, y + 1}, {x + 4, y - 3}, {x + 4, y - 2}, {x, y + 2}, {x - 2, y}, {x - 2, y - 1}});
}

void CutCornerFrame(TCanvas* canvas, const RECT& rect, int leftCut, int rightCut, TColor color) {
  if (color == clNone) return;
  canvas->Pen()->SetColor(color);
  CutCornerFrame(canvas, rect, leftCut, rightCut);
}

HBRUSH CreateCheckerBrush(TColor c1, TColor c2) {
  TBitmap* pattern = AllocPatternBitmap(ColorToRGB(c1), ColorToRGB(c2));
  return CreatePatternBrush(pattern->Handle());
}

RECT VisiblePart(TCanvas* canvas, const RECT& rect) {
  RECT clip{};
  RECT part{};
  if (GetClipBox(canvas->Handle(), &clip) == ERROR) return part;
  IntersectRect(&part, &rect, &clip);
  return part;
}

std::vector<int> DotsAlong(int start, int from, int to) {
  std::vector<int> dots;
  if (from >= to) return dots;
  // The first dot at or after from on the run of every third pixel from start.
  long long at = std::max<long long>(start, from);
  at += (3 - (at - start) % 3) % 3;
  for (; at < to; at += 3) dots.push_back(static_cast<int>(at));
  return dots;
}

void GradientFill(TCanvas* canvas, const RECT& rect, TColor c1, TColor c2, bool horizontal) {
  const RECT visible = VisiblePart(canvas, rect);
  if (IsRectEmpty(&visible)) return;
  const COLORREF from = static_cast<COLORREF>(ColorToRGB(c1));
  const COLORREF to = static_cast<COLORREF>(ColorToRGB(c2));
  // Line i lies i lines before the far edge; only the visible ones are painted.
  const int edge = horizontal ? rect.right : rect.bottom;
  const long long n = static_cast<long long>(edge) - (horizontal ? rect.left : rect.top) - 1;
  const int firstLine = edge - (horizontal ? visible.right : visible.bottom);
  const int lastLine = edge - 1 - (horizontal ? visible.left : visible.top);
  HDC dc = canvas->Handle();
  const COLORREF oldBack = GetBkColor(dc);
  for (int i = firstLine; i <= lastLine; ++i) {
    const auto channel = [&](int a, int b) {
      return n == 0 ? a : static_cast<int>(a + (b - a) * static_cast<long long>(i) / n);
    };
    const COLORREF color = RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
                               channel(GetBValue(from), GetBValue(to)));
    const RECT line = horizontal ? RECT{edge - 1 - i, visible.top, edge - i, visible.bottom}
                                 : RECT{visible.left, edge - 1 - i, visible.right, edge - i};
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
  }
  SetBkColor(dc, oldBack);
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

void DrawPaneDivider(TCanvas* canvas, const RECT& rect, bool lastPane) {
  const int x = lastPane ? rect.right : rect.right - 3;
  toolbars::DrawLineEx(canvas, x, rect.top + 4, x, rect.bottom - 3, clBtnShadow);
  toolbars::DrawLineEx(canvas, x + 1, rect.top + 5, x + 1, rect.bottom - 2, clBtnHighlight);
}

TColor NearestColor(TColor color) {
  return static_cast<TColor>(
      GetNearestColor(toolbars::StockNearestColorDC(), static_cast<COLORREF>(ColorToRGB(color))));
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

RECT DragHandleRect(const RECT& area, const toolbars::TStyledToolbarPaintInfo& toolbarInfo) {
  const int size = toolbars::GetDragHandleSize(toolbarInfo);
  return toolbarInfo.IsVertical ? RECT{area.left, area.top, area.right, area.top + size}
                                : RECT{area.left, area.top, area.left + size, area.bottom};
}

RECT HandleCloseButtonRect(const RECT& handle, bool vertical) {
  RECT button = handle;
  if (!vertical) {
    button.right -= 1;
    button.bottom = button.top + (button.right - button.left);
  } else {
    button.bottom -= 1;
    button.left = button.right - (button.bottom - button.top);
  }
  return button;
}

void DrawGripBumps(TCanvas* canvas, const RECT& handle, const toolbars::TStyledToolbarPaintInfo& toolbarInfo,
                   const TGripDotStyle& style) {
  const int size = toolbars::GetDragHandleSize(toolbarInfo);
  const bool closeShown = (toolbarInfo.CloseButtonState & toolbars::cbsShown) != 0;
  const bool twoRuns = toolbarInfo.DragHandleStyle == toolbars::dhDouble;
  if (!toolbarInfo.IsVertical) {
    const int x = handle.left + (closeShown ? 5 : 1);
    for (int y = handle.top + 4 + (closeShown ? size - 2 : 0); y < handle.bottom - 2 - 3; y += 4) {
      DrawGripDot(canvas, x, y, style);
      if (twoRuns) DrawGripDot(canvas, x + 4, y, style);
    }
  } else {
    const int y = handle.top + (closeShown ? 5 : 1);
    const int end = handle.right - (closeShown ? size - 2 : 0);
    for (int x = handle.left + 4; x < end - 2 - 3; x += 4) {
      DrawGripDot(canvas, x, y, style);
      if (twoRuns) DrawGripDot(canvas, x, y + 4, style);
    }
  }
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
  const POINT anchors[] = {{r - 12, b - 4}, {r - 8, b - 4}, {r - 4, b - 4},
                           {r - 8, b - 8},  {r - 4, b - 8}, {r - 4, b - 12}};
  for (const POINT& at : anchors) DrawGripDot(canvas, at.x, at.y, style);
}

void DrawSizeGripLines(TCanvas* canvas, const RECT& rect, TColor first, TColor second) {
  const int size = std::min<int>(rect.right - rect.left, rect.bottom - rect.top);
  int k = 2;
  const auto line = [&](TColor color) {
    toolbars::DrawLineEx(canvas, rect.right - 1 - k, rect.bottom - 1, rect.right, rect.bottom - 2 - k, color);
    ++k;
  };
  for (int pass = 0; pass < 3; ++pass) {
    line(first);
    if (size >= 13) ++k;
    line(second);
    if (size >= 9) ++k;
  }
}

void PaintDockedCaptionEdge(TCanvas* canvas, const RECT& rect, TColor brush, TColor outer, bool horizontal) {
  const int luminance = toolbars::ColorLuminance(clBtnFace);
  RECT border = rect;
  const auto roundCorners = [&](TColor color) {
    canvas->SetPixels(border.left, border.top, color);
    if (horizontal)
      canvas->SetPixels(border.right - 1, border.top, color);
    else
      canvas->SetPixels(border.left, border.bottom - 1, color);
  };
  if (toolbars::LowColor || luminance < 64 || luminance > 250) {
    toolbars::FrameRectEx(canvas, border, brush, true);
    HBRUSH checker = CreateCheckerBrush(brush, luminance < 64 ? clWhite : clBtnShadow);
    FrameRect(canvas->Handle(), &border, checker);
    DeleteObject(checker);
    roundCorners(brush);
    InflateRect(&border, -1, -1);
    toolbars::FrameRectEx(canvas, border, brush, false);
  } else {
    toolbars::FrameRectEx(canvas, border, outer, true);
    toolbars::FrameRectEx(canvas, border, brush, false);
    roundCorners(clBtnFace);
  }
}

void PaintFloatingBorder(TCanvas* canvas, const RECT& rect, const RECT& client, TColor fill, TColor outline,
                         bool dockFamily) {
  HDC dc = canvas->Handle();
  if (IsRectEmpty(&client)) {
    // A window too small for a client area is all border.
    toolbars::FillRectEx(canvas, rect, fill);
    return;
  }
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  toolbars::FillRectEx(canvas, rect, fill);
  RestoreDC(dc, saved);
  canvas->Refresh();
  const int l = client.left;
  const int t = client.top;
  const int r = client.right;
  const int b = client.bottom;
  canvas->Pen()->SetColor(outline);
  if (dockFamily)
    canvas->Polyline({{l, t - 1}, {r - 1, t - 1}, {r, t}, {r, b}, {l - 1, b}, {l - 1, t}, {l, t - 1}});
  else
    canvas->Polyline(
        {{l, t - 1}, {r - 1, t - 1}, {r, t}, {r, b - 1}, {r - 1, b}, {l, b}, {l - 1, b - 1}, {l - 1, t}, {l, t - 1}});
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
