#include "themes/styled_ridge_theme.h"

#include "framework/startup.h"
#include "themes/glass_gradients.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

// The image band at the left of pop-up menus.
constexpr int kImageBandWidth = 24;
// How far the band of a split button's main part runs on under its arrow part.
constexpr int kSplitBandOverlap = 12;

int ridgeUnitCounter = 0;
TRidgeColors ridgeUnitColors;
bool bandsRunAcross = false;

void StartRidgeTheme() { RegisterThemeOnce(ridgeUnitCounter, L"Ridge", TStyledThemeClass::Of<TStyledRidgeTheme>()); }

void StopRidgeTheme() { ++ridgeUnitCounter; }

bool IsBandView(int viewType) {
  const bool bar = IsViewType(viewType, vtToolbar) || IsViewType(viewType, vtMenuBar);
  return (bar && !(viewType & vtOpaque)) || IsViewType(viewType, vtToolWindow);
}

bool HasImageBand(int viewType) {
  return IsViewType(viewType, vtPopupFamily) && !IsViewType(viewType, vtChevronPopup) &&
         !IsViewType(viewType, vtToolBoxPopup);
}

// A band in the direction the last view background ran, stretched over the arrow part for a split button's main
// part when it runs across.
void PaintFaceBand(TCanvas* canvas, RECT rect, TColor a, TColor b, const TStyledItemPaintInfo& itemInfo) {
  if (a == clNone || b == clNone) return;
  if (bandsRunAcross && itemInfo.ButtonPart == cpMainOfCombo) rect.right += kSplitBandOverlap;
  GlassBand(canvas, rect, a, b, !bandsRunAcross);
}

}  // namespace

const TRidgeColors& RidgeColors() { return ridgeUnitColors; }

bool RidgeBandsRunAcross() { return bandsRunAcross; }

TStockGlyphs& RidgeStockGlyphs() {
  static TStockGlyphs glyphs;
  return glyphs;
}

const TUnit& RidgeThemeUnit() {
  static const TUnit unit{L"themes.ridge", &StartRidgeTheme, &StopRidgeTheme, {&DefaultThemeUnit()}};
  return unit;
}

TStyledRidgeTheme::TStyledRidgeTheme(const String& name) : TStyledPastelLook(name, RidgeStockGlyphs()) {
  SetupColorCache();
}

void TStyledRidgeTheme::SetupColorCache() {
  TRidgeColors& u = ridgeUnitColors;
  u.BandDark = BlendColorsNearest(clBtnShadow, clBtnFace, 48);
  u.BandLight = clWhite;
  u.DotBase = clBtnFace;
  u.DotDark = 0x808080;
  u.DotLight = clWhite;
  u.Edge = BlendColorsNearest(clBtnShadow, u.BandDark, 64);

  TPastelColors& c = EditColors();
  const TColor g = MixColorsPercent(clBtnShadow, clWindow, 90);
  c.MenuBar = clBtnFace;
  c.Toolbar = u.BandLight;
  c.Popup = clWindow;
  c.Dock = clWindow;
  c.PopupFrame = Contrasted(MixColorsPercent(clBtnText, clBtnShadow, 20), c.Popup, 100);
  const TColor hot = Contrasted(MixColorsPercent(clHighlight, clWindow, 30), c.Toolbar, 50);
  const TColor border = Contrasted(MixColorsPercent(clBtnText, clBtnShadow, 15), c.Toolbar, 120);
  const TColor inactiveText = Contrasted(g, clBtnFace, 120);
  // The caption text stands on a band from white: kept apart from the shadow colour it would fade into it, so it
  // keeps apart from the band's light end.
  c.Floating[0] = {{{border, clBtnShadow, Contrasted(clBtnText, u.BandLight, 180)}, {border, clBtnFace, inactiveText}}};
  c.Floating[1] = {{{clBtnShadow, clBtnFace, clBtnText}, {clBtnShadow, clBtnFace, inactiveText}}};
  SetupItemTables(hot, Contrasted(clMenuText, hot, 180));
  EditToolbarItems()[tsPushed].Text = clHighlight;
  c.Grip = Contrasted(MixColorsPercent(clBtnShadow, clWindow, 75), c.Toolbar, 85);
  c.Separator = Contrasted(MixColorsPercent(clBtnShadow, clWindow, 70), c.Toolbar, 50);
  c.ImageColumnSeparator = c.Separator;
  c.StatusPaneFrame = Contrasted(MixColorsPercent(clWindow, clBtnFace, 30), clBtnFace, 30);
  MakeColorsNearest();
}

void TStyledRidgeTheme::PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect,
                                            const RECT& clipRect, TColor color, bool transparent, int viewType) {
  if (transparent) return;
  RECT area{};
  if (!IntersectRect(&area, &paintRect, &clipRect)) return;
  if (IsBandView(viewType)) {
    const bool wide = ViewRunsWide(viewRect, paintRect, area);
    bandsRunAcross = !wide;
    GlassBand(canvas, area, ridgeUnitColors.BandDark, ridgeUnitColors.BandLight, wide);
    return;
  }
  bandsRunAcross = false;
  FillRectEx(canvas, area, color);
  if (!HasImageBand(viewType)) return;
  // The band belongs to the view's left edge, so a repaint of a piece further right leaves it alone.
  const RECT band{paintRect.left, paintRect.top, paintRect.left + kImageBandWidth, paintRect.bottom};
  RECT visible{};
  if (!IntersectRect(&visible, &band, &area)) return;
  const int saved = SaveDC(canvas->Handle());
  IntersectClipRect(canvas->Handle(), visible.left, visible.top, visible.right, visible.bottom);
  GlassBand(canvas, band, ridgeUnitColors.BandDark, ridgeUnitColors.BandLight, false);
  RestoreDC(canvas->Handle(), saved);
}

void TStyledRidgeTheme::PaintButtonFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  RECT face = rect;
  if (itemInfo.Checked) InflateRect(&face, -1, -1);
  TStyledPastelLook::PaintButtonFace(canvas, face, itemInfo);
}

bool TStyledRidgeTheme::PaintsPlainFace(const TStyledItemPaintInfo& itemInfo) const {
  (void)itemInfo;
  return true;
}

void TStyledRidgeTheme::FillFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const TColor fill = ImageAreaColor(itemInfo, TColorKind::ckFill);
  const bool bar = IsViewType(itemInfo.ViewType, vtToolbarFamily);
  if (itemInfo.Checked && bar) {
    PaintFaceBand(canvas, rect, fill, ridgeUnitColors.BandLight, itemInfo);
  } else if (itemInfo.HoverKind != hkNone && (bar || IsViewType(itemInfo.ViewType, vtPopupFamily))) {
    if (itemInfo.Pushed) {
      PaintFaceBand(canvas, rect, ridgeUnitColors.BandLight, ridgeUnitColors.BandDark, itemInfo);
    } else if (bandsRunAcross && itemInfo.ButtonPart == cpComboArrow) {
      // The main part's band already runs under the arrow part.
      DrawLineEx(canvas, rect.left, rect.top, rect.left, rect.bottom, ImageAreaColor(itemInfo, TColorKind::ckFrame));
    } else {
      PaintFaceBand(canvas, rect, fill, ridgeUnitColors.BandLight, itemInfo);
    }
  } else {
    FillRectEx(canvas, rect, fill);
  }
}

void TStyledRidgeTheme::PaintItemFrame(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const TColor fill = ItemColor(itemInfo, TColorKind::ckFill);
  if (itemInfo.Enabled && itemInfo.HoverKind != hkNone && fill != clNone)
    GlassBand(canvas, rect, fill, ridgeUnitColors.BandLight, true);
  RECT frame = rect;
  FrameRectEx(canvas, frame, ItemColor(itemInfo, TColorKind::ckFrame), true);
}

void TStyledRidgeTheme::FillImageColumn(TCanvas* canvas, const RECT& rect) {
  // The pop-up's own background carries the image band.
  (void)canvas;
  (void)rect;
}

void TStyledRidgeTheme::PaintCheckBox(TCanvas* canvas, RECT box, const TStyledItemPaintInfo& itemInfo) {
  const TColor frame = ImageAreaColor(itemInfo, TColorKind::ckFrame);
  if (itemInfo.HoverKind != hkNone) {
    DrawLineEx(canvas, box.right - 1, box.top, box.right - 1, box.bottom, frame);
    --box.right;
  } else {
    FrameRectEx(canvas, box, frame, true);
  }
  const TColor fill = ImageAreaColor(itemInfo, TColorKind::ckFill);
  if (fill != clNone) GlassBand(canvas, box, fill, ridgeUnitColors.BandLight, true);
}

void TStyledRidgeTheme::PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                       bool horizontal, bool lineOnly) {
  (void)lineOnly;
  // The middle of the separator itself, wherever the view placed it.
  if (!horizontal) {
    DrawEtchedLine(canvas, rect, false, (rect.left + rect.right) / 2, ridgeUnitColors.BandDark);
    return;
  }
  const int y = (rect.top + rect.bottom) / 2;
  if (IsViewType(itemInfo.ViewType, vtToolbarFamily)) {
    DrawEtchedLine(canvas, rect, true, y, ridgeUnitColors.BandDark);
    return;
  }
  const bool popupItem = IsPopupMenuItem(itemInfo);
  const int start = popupItem ? rect.left + itemInfo.ImageColumnWidth + 9 : rect.left;
  DrawLineEx(canvas, start, y, rect.right - 2, y, popupItem ? Colors().ImageColumnSeparator : Colors().Separator);
}

void TStyledRidgeTheme::FillCaptionBand(TCanvas* canvas, const RECT& band, bool rows, TColor color) {
  (void)color;
  GlassBand(canvas, band, ridgeUnitColors.BandDark, ridgeUnitColors.BandLight, rows);
}

TColor TStyledRidgeTheme::CaptionBandLineColor(TColor brushColor) const {
  (void)brushColor;
  return clNone;
}

bool TStyledRidgeTheme::TakesToolbarCaptionColors(int viewType) const { return IsViewType(viewType, vtToolbarFamily); }

void TStyledRidgeTheme::PaintSpinFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                      bool hot) {
  const TColor fill = ImageAreaColor(itemInfo, TColorKind::ckFill);
  if (fill != clNone) {
    if (itemInfo.Pushed)
      GlassBand(canvas, rect, ridgeUnitColors.BandLight, fill, true);
    else if (hot)
      GlassBand(canvas, rect, fill, ridgeUnitColors.BandLight, true);
  }
  RECT frame = rect;
  FrameRectEx(canvas, frame, ImageAreaColor(itemInfo, TColorKind::ckFrame), true);
}

void TStyledRidgeTheme::PaintToolbarBorder(TCanvas* canvas, RECT& area, const TStyledToolbarPaintInfo& toolbarInfo) {
  (void)toolbarInfo;
  const TRidgeColors& u = ridgeUnitColors;
  const int l = area.left;
  const int t = area.top;
  const int r = area.right;
  const int b = area.bottom;
  // Measured on the frame itself, wherever its window's origin lies.
  if (r - l <= b - t) {
    GlassBand(canvas, area, u.BandDark, u.BandLight, false);
    GlassBand(canvas, {l, b - 1, r, b}, u.Edge, u.BandDark, false);
    DrawLineEx(canvas, r - 1, t + 1, r - 1, b - 1, u.Edge);
    for (const POINT at : {POINT{l, t}, POINT{l, b - 2}, POINT{l, b - 1}, POINT{r - 1, b - 1}})
      canvas->SetPixels(at.x, at.y, u.BandDark);
  } else {
    GlassBand(canvas, area, u.BandDark, u.BandLight, true);
    GlassBand(canvas, {r - 1, t, r, b}, u.Edge, clBtnFace, true);
    DrawLineEx(canvas, l + 1, b - 1, r - 1, b - 1, u.Edge);
    canvas->SetPixels(l, t, clBtnFace);
    canvas->SetPixels(r - 2, t, clBtnFace);
    canvas->SetPixels(r - 1, b - 1, u.BandDark);
  }
  InflateRect(&area, -2, -2);
}

void TStyledRidgeTheme::PaintGrip(TCanvas* canvas, const RECT& handle, const TStyledToolbarPaintInfo& toolbarInfo) {
  DrawGripBumps(canvas, handle, toolbarInfo,
                {ridgeUnitColors.DotBase, ridgeUnitColors.DotDark, ridgeUnitColors.DotLight, {64, 32, 48, 16}});
}

void TStyledRidgeTheme::PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) {
  switch (part) {
    case spBackground: {
      FillRectEx(canvas, rect, clBtnFace);
      const struct {
        int Y, Weight;
      } shades[] = {{rect.top, 200},    {rect.top + 1, 128},  {rect.top + 2, 64},    {rect.top + 3, 32},
                    {rect.top + 4, 12}, {rect.bottom - 3, 8}, {rect.bottom - 2, 16}, {rect.bottom - 1, 24}};
      for (const auto& shade : shades)
        if (shade.Y >= rect.top && shade.Y < rect.bottom)
          DrawLineEx(canvas, rect.left, shade.Y, rect.right, shade.Y,
                     BlendColorsNearest(clBtnShadow, clBtnFace, shade.Weight));
      break;
    }
    case spPane:
    case spLastPane:
      DrawPaneDivider(canvas, rect, part == spLastPane);
      break;
    case spSizeGrip:
      DrawSizeGripDots(canvas, rect);
      break;
    default:
      break;
  }
}

bool TStyledRidgeTheme::BooleanMetric(int index) { return index == 3; }

}  // namespace themes
