#include "themes/styled_emboss_theme.h"

#include "framework/startup.h"
#include "themes/table_theme.h"
#include "themes/theme_drawing.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

int embossUnitCounter = 0;

void StartEmbossTheme() {
  RegisterThemeOnce(embossUnitCounter, L"Emboss", TStyledThemeClass::Of<TStyledEmbossTheme>());
}

void StopEmbossTheme() { ++embossUnitCounter; }

// A dot of the toolbar grip.
void GripDot(TCanvas* canvas, int x, int y) {
  DrawGripDot(canvas, x, y, {clBtnFace, clBtnShadow, clBtnHighlight, {64, 32, 48, 16}});
}

}  // namespace

TStockGlyphs& EmbossStockGlyphs() {
  static TStockGlyphs glyphs;
  return glyphs;
}

const TUnit& EmbossThemeUnit() {
  static const TUnit unit{L"themes.emboss", &StartEmbossTheme, &StopEmbossTheme, {&DefaultThemeUnit()}};
  return unit;
}

TStyledEmbossTheme::TStyledEmbossTheme(const String& name) : TStyledClassicLook(name, EmbossStockGlyphs()) {}

void TStyledEmbossTheme::PaintGrip(TCanvas* canvas, const RECT& area, const TStyledToolbarPaintInfo& toolbarInfo) {
  const int size = GetDragHandleSize(toolbarInfo);
  const bool vertical = toolbarInfo.IsVertical;
  const bool closeShown = (toolbarInfo.CloseButtonState & cbsShown) != 0;
  const bool twoRuns = toolbarInfo.DragHandleStyle == dhDouble;
  const int closeInset = twoRuns ? 2 : 4;
  if (!vertical) {
    const int x = area.left + 1 + (closeShown ? closeInset : 0);
    const int bottom = area.bottom;
    bool shifted = false;
    for (int y = area.top + 4 + (closeShown ? size - 2 : 0); y < bottom - 2 - 3; y += 4) {
      GripDot(canvas, x + (shifted ? 3 : 0), y);
      if (twoRuns) shifted = !shifted;
    }
  } else {
    const int y = area.top + 1 + (closeShown ? closeInset : 0);
    const int right = area.right - (closeShown ? size - 2 : 0);
    bool shifted = false;
    for (int x = area.left + 4; x < right - 2 - 3; x += 4) {
      GripDot(canvas, x, y + (shifted ? 3 : 0));
      if (twoRuns) shifted = !shifted;
    }
  }
}

void TStyledEmbossTheme::PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect,
                                             const RECT& clipRect, TColor color, bool transparent, int viewType) {
  if (LowColor) {
    TStyledDefaultTheme::PaintViewBackground(canvas, viewRect, paintRect, clipRect, color, transparent, viewType);
    return;
  }
  RECT area{};
  if (!IntersectRect(&area, &paintRect, &clipRect)) return;
  const int luminance = ColorLuminance(color);
  const int k = luminance < 200 ? (200 - luminance) / 20 : 0;
  const TColor light = NearestColor(ShiftColorBrightness(color, k + 8));
  const TColor dark = NearestColor(ShiftColorBrightness(color, -8));
  if (!transparent) FillRectEx(canvas, area, color);
  // The stripes keep the phase of the view's top, so that pieces painted apart join up.
  // Only rows inside the clip are drawn: a tall view painted in small pieces costs each piece its own rows.
  for (int y = area.top - ((area.top - paintRect.top) % 3); y < area.bottom; y += 3) {
    if (y >= area.top) DrawLineEx(canvas, area.left, y, area.right, y, dark);
    if (y + 1 >= area.top && y + 1 < area.bottom) DrawLineEx(canvas, area.left, y + 1, area.right, y + 1, light);
  }
}

void TStyledEmbossTheme::PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                        bool horizontal, bool lineOnly) {
  (void)lineOnly;
  // The middle of the separator itself, wherever the view placed it.
  if (horizontal) {
    const bool popupItem = IsViewType(itemInfo.ViewType, vtPopupFamily) && !(itemInfo.ItemOptions & ioToolbarStyle) &&
                           !IsViewType(itemInfo.ViewType, vtToolBoxPopup);
    const int start = popupItem ? rect.left + itemInfo.ImageColumnWidth + 9 : rect.left;
    const int y = (rect.top + rect.bottom) / 2;
    DrawLineEx(canvas, start + 4, y, rect.right - 2, y, clBtnHighlight);
    DrawLineEx(canvas, start + 3, y - 1, rect.right - 3, y - 1, clBtnShadow);
  } else if (itemInfo.Enabled) {
    const int x = (rect.left + rect.right) / 2;
    DrawLineEx(canvas, x, rect.top + 4, x, rect.bottom - 2, clBtnHighlight);
    DrawLineEx(canvas, x - 1, rect.top + 3, x - 1, rect.bottom - 3, clBtnShadow);
  }
}

void TStyledEmbossTheme::PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) {
  switch (part) {
    case spBackground: {
      FillRectEx(canvas, rect, clBtnFace);
      const int weights[] = {200, 128, 64, 32, 12};
      for (int i = 0; i < 5; ++i)
        DrawLineEx(canvas, rect.left, rect.top + i, rect.right, rect.top + i,
                   BlendColorsNearest(clBtnShadow, clBtnFace, weights[i]));
      break;
    }
    case spPane:
    case spLastPane: {
      const int x = part == spPane ? rect.right - 3 : rect.right;
      DrawLineEx(canvas, x, rect.top + 4, x, rect.bottom - 3, FrameColor());
      DrawLineEx(canvas, x + 1, rect.top + 5, x + 1, rect.bottom - 2, clBtnHighlight);
      break;
    }
    case spSizeGrip:
      DrawSizeGripDots(canvas, rect);
      break;
    default:
      break;
  }
}

}  // namespace themes
