#include "themes/styled_adaptive_theme.h"

#include "framework/startup.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/draw_utils.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

int adaptiveUnitCounter = 0;
TAdaptiveColors adaptiveUnitColors;

void StartAdaptiveTheme() {
  RegisterThemeOnce(adaptiveUnitCounter, L"Adaptive", TStyledThemeClass::Of<TStyledAdaptiveTheme>());
}

void StopAdaptiveTheme() { ++adaptiveUnitCounter; }

bool IsGradientView(int viewType) {
  return IsViewType(viewType, vtToolbar) || IsViewType(viewType, vtToolWindow) || IsViewType(viewType, vtMenuBar);
}

void SetupUnitColors() {
  TAdaptiveColors& u = adaptiveUnitColors;
  if (UseThemes) {
    const TColor v = BlendColorsNearest(clHighlight, clWhite, 64);
    u.GradDark = BlendColorsNearest(clHighlight, v, 136);
    u.GradLight = BlendColorsNearest(clHighlight, clWhite, 8);
    u.GripBase = BlendColorsNearest(clHighlight, clWhite, 48);
    u.GripDark = MixColorsPercent(clHighlight, clBlack, 50);
    u.GripLight = v;
    u.EdgeDark = clHighlight;
    u.EdgeLight = MixColorsPercent(u.GradDark, u.GradLight, 50);
    u.MenuBar = u.EdgeLight;
  } else {
    u.GradDark = MixColorsPercent(clBtnShadow, clBtnFace, 10);
    u.GradLight = clWhite;
    u.GripBase = clBtnFace;
    u.GripDark = 0x808080;
    u.GripLight = clWhite;
    u.EdgeDark = BlendColorsNearest(clBtnShadow, u.GradDark, 48);
    u.EdgeLight = clBtnFace;
    u.MenuBar = clBtnFace;
  }
}

}  // namespace

const TAdaptiveColors& AdaptiveColors() { return adaptiveUnitColors; }

TStockGlyphs& AdaptiveStockGlyphs() {
  static TStockGlyphs glyphs;
  return glyphs;
}

const TUnit& AdaptiveThemeUnit() {
  static const TUnit unit{L"themes.adaptive", &StartAdaptiveTheme, &StopAdaptiveTheme, {&DefaultThemeUnit()}};
  return unit;
}

TStyledAdaptiveTheme::TStyledAdaptiveTheme(const String& name) : TStyledPastelLook(name, AdaptiveStockGlyphs()) {
  SetupColorCache();
}

void TStyledAdaptiveTheme::SetupColorCache() {
  SetupUnitColors();
  TPastelColors& c = EditColors();
  const TColor g = MixColorsPercent(clBtnShadow, clWindow, 90);
  c.Toolbar = adaptiveUnitColors.GradLight;
  c.MenuBar = adaptiveUnitColors.MenuBar;
  c.Popup = MixColorsPercent(clBtnFace, clWindow, 143);
  c.Dock = c.Popup;
  c.PopupFrame = Contrasted(MixColorsPercent(clBtnText, clHighlight, 20), c.Popup, 100);
  const TColor hot = Contrasted(MixColorsPercent(clHighlight, clWindow, 70), c.Toolbar, 50);
  const TColor border = Contrasted(MixColorsPercent(clBtnText, adaptiveUnitColors.GradDark, 15), c.Toolbar, 120);
  const TColor inactiveText = Contrasted(g, clBtnFace, 120);
  c.Floating[0] = {{{border, adaptiveUnitColors.MenuBar, clBtnText}, {border, clBtnFace, inactiveText}}};
  c.Floating[1] = {
      {{adaptiveUnitColors.GradDark, adaptiveUnitColors.MenuBar, clBtnText}, {clBtnShadow, clBtnFace, inactiveText}}};
  SetupItemTables(hot, clHighlightText);
  c.Separator = Contrasted(MixColorsPercent(clBtnShadow, clWindow, 70), c.Toolbar, 50);
  c.ImageColumnSeparator = c.Separator;
  c.StatusPaneFrame = Contrasted(MixColorsPercent(clWindow, clBtnFace, 30), clBtnFace, 30);
  adaptiveUnitColors.MenuBar = NearestColor(adaptiveUnitColors.MenuBar);
  MakeColorsNearest();
}

TColor TStyledAdaptiveTheme::DockedCaptionColor() const { return adaptiveUnitColors.MenuBar; }

void TStyledAdaptiveTheme::PaintViewBackground(TCanvas* canvas, const RECT& viewRect, const RECT& paintRect,
                                               const RECT& clipRect, TColor color, bool transparent, int viewType) {
  if (transparent) return;
  if (!IsGradientView(viewType)) {
    TStyledPastelLook::PaintViewBackground(canvas, viewRect, paintRect, clipRect, color, transparent, viewType);
    return;
  }
  RECT area{};
  if (!IntersectRect(&area, &paintRect, &clipRect)) return;
  if (ViewRunsWide(viewRect, paintRect, area)) {
    ++area.bottom;
    GradientFill(canvas, area, adaptiveUnitColors.GradDark, adaptiveUnitColors.GradLight, false);
  } else {
    ++area.right;
    GradientFill(canvas, area, adaptiveUnitColors.GradDark, adaptiveUnitColors.GradLight, true);
  }
}

bool TStyledAdaptiveTheme::PaintsPlainFace(const TStyledItemPaintInfo& itemInfo) const {
  (void)itemInfo;
  return true;
}

void TStyledAdaptiveTheme::FillFace(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const TColor fill = ImageAreaColor(itemInfo, TColorKind::ckFill);
  if (itemInfo.Checked && IsViewType(itemInfo.ViewType, vtToolbarFamily) && fill != clNone)
    GradientFill(canvas, rect, fill, adaptiveUnitColors.GradLight, itemInfo.Vertical);
  else
    FillRectEx(canvas, rect, fill);
}

void TStyledAdaptiveTheme::FillImageColumn(TCanvas* canvas, const RECT& rect) {
  GradientFill(canvas, rect, adaptiveUnitColors.GradDark, adaptiveUnitColors.GradLight, true);
}

void TStyledAdaptiveTheme::FillCheckBox(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo) {
  const TColor fill = ImageAreaColor(itemInfo, TColorKind::ckFill);
  if (fill != clNone) GradientFill(canvas, rect, fill, adaptiveUnitColors.GradLight, false);
}

void TStyledAdaptiveTheme::PaintSeparator(TCanvas* canvas, const RECT& rect, const TStyledItemPaintInfo& itemInfo,
                                          bool horizontal, bool lineOnly) {
  (void)lineOnly;
  if (!horizontal) {
    DrawEtchedLine(canvas, rect, false, (rect.left + rect.right) / 2, adaptiveUnitColors.GradDark);
    return;
  }
  const bool popupItem = IsPopupMenuItem(itemInfo);
  int start = rect.left;
  TColor color = Colors().Separator;
  if (popupItem) {
    FillImageColumn(canvas, {rect.left, rect.top, rect.left + itemInfo.ImageColumnWidth + 2, rect.bottom});
    start = rect.left + itemInfo.ImageColumnWidth + 9;
    color = Colors().ImageColumnSeparator;
  }
  const int y = (rect.top + rect.bottom) / 2;
  if (!IsViewType(itemInfo.ViewType, vtToolbarFamily)) {
    DrawLineEx(canvas, start, y, rect.right, y, color);
  } else {
    DrawEtchedLine(canvas, rect, true, y, adaptiveUnitColors.GradDark);
  }
}

void TStyledAdaptiveTheme::PaintToolbarBorder(TCanvas* canvas, RECT& area, const TStyledToolbarPaintInfo& toolbarInfo) {
  if (!IsGradientView(toolbarInfo.ViewType)) {
    FillRectEx(canvas, area, adaptiveUnitColors.EdgeLight);
    InflateRect(&area, -2, -2);
    return;
  }
  const int l = area.left;
  const int t = area.top;
  const int r = area.right;
  const int b = area.bottom;
  GradientFill(canvas, area, adaptiveUnitColors.GradDark, adaptiveUnitColors.GradLight, r <= b);
  canvas->Pen()->SetColor(adaptiveUnitColors.EdgeDark);
  canvas->Polyline({{l + 3, b - 1}, {r - 3, b - 1}, {r - 1, b - 3}, {r - 1, t + 1}});
  canvas->Pen()->SetColor(adaptiveUnitColors.EdgeLight);
  canvas->Polyline({{l + 1, b - 2}, {l, b - 3}, {l, t + 2}, {l + 2, t}, {r - 3, t}, {r - 1, t + 2}});
  canvas->Polyline({{l, t}, {l, t + 1}, {l + 2, t - 1}});
  canvas->Polyline({{r - 1, t}, {r - 2, t}, {r, t + 3}});
  canvas->Polyline({{l, b - 1}, {l, b - 2}, {l + 3, b}});
  canvas->Polyline({{r - 1, b - 2}, {r - 2, b - 1}, {r, b - 1}});
  InflateRect(&area, -2, -2);
}

void TStyledAdaptiveTheme::PaintGrip(TCanvas* canvas, const RECT& handle, const TStyledToolbarPaintInfo& toolbarInfo) {
  DrawGripBumps(
      canvas, handle, toolbarInfo,
      {adaptiveUnitColors.GripBase, adaptiveUnitColors.GripDark, adaptiveUnitColors.GripLight, {64, 32, 48, 16}});
}

void TStyledAdaptiveTheme::PaintStatusBarPart(TCanvas* canvas, const RECT& rect, int part) {
  if (part != spSizeGrip) {
    TStyledPastelLook::PaintStatusBarPart(canvas, rect, part);
    return;
  }
  DrawSizeGripDots(canvas, rect);
}

}  // namespace themes
