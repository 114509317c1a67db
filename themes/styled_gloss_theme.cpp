#include "themes/styled_gloss_theme.h"

#include "framework/startup.h"
#include "themes/glass_gradients.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

int glossUnitCounter = 0;

TColor HighlightBase() { return MixColorsPercent(clHighlight, clWindow, 40); }

void StartGlossTheme() {
  GlossBaseColor = HighlightBase();
  GlossPushedColor = 0x00C0C0C0;
  RegisterThemeOnce(glossUnitCounter, L"Gloss", TStyledThemeClass::Of<TStyledGlossTheme>());
}

void StopGlossTheme() { ++glossUnitCounter; }

}  // namespace

TColor GlossBaseColor = clNone;
TColor GlossPushedColor = 0x00C0C0C0;
TColor GlossGradientColor = clNone;
TColor GlossGradientEndColor = clWhite;
TColor GlossGripShadeColor = 0x00C0C0C0;
TColor GlossGripDarkColor = 0x00808080;

TStockGlyphs& GlossStockGlyphs() {
  static TStockGlyphs glyphs(&MakeGradientStrip);
  return glyphs;
}

const TUnit& GlossThemeUnit() {
  static const TUnit unit{L"themes.gloss", &StartGlossTheme, &StopGlossTheme, {&DefaultThemeUnit()}};
  return unit;
}

TStyledGlossTheme::TStyledGlossTheme(const String& name) : TStyledTableTheme(name, GlossStockGlyphs()) {
  SetupColorCache();
}

void TStyledGlossTheme::SetupColorCache() {
  // The highlight family follows the system's highlight colour as it is now, like every other colour here.
  GlossBaseColor = HighlightBase();
  const TColor base = GlossBaseColor;
  GlossGradientColor = MixColorsPercent(base, clWhite, 80);
  GlossGradientEndColor = clWhite;
  GlossGripShadeColor = 0x00C0C0C0;
  GlossGripDarkColor = 0x00808080;

  TGlossColors& c = colors_;
  c.MenuBarColor = 0x00F4F4F4;
  c.ToolbarColor = 0x00F4F4F4;
  c.PopupColor = clWhite;
  c.DockColor = clWhite;
  c.ToolbarEdgeColor = 0x00A0A0A0;
  c.EditFrameColor = MixColorsPercent(0x00C0C0C0, clWhite, 80);
  c.PopupFrameColor = 0x00C0C0C0;
  c.MenuSplitColor = clBlack;
  c.StatusDotColor = clBlack;
  const TColor floatActive = MixColorsPercent(0x00808080, clWhite, 80);
  c.FloatFrameColors = {{{floatActive, floatActive}, {floatActive, 0x00808080}}};

  const TColor g = MixColorsPercent(base, clWhite, 80);
  const TColor l = MixColorsPercent(base, clWhite, 25);
  const TColor lightGray = MixColorsPercent(0x00C0C0C0, clWhite, 50);
  const TColor grayText = MixColorsPercent(0x00808080, clWhite, 70);
  const TColor normalText = Contrasted(CaptionTextColor, c.ToolbarColor, 180);
  const TColor hotFill = Contrasted(g, c.ToolbarColor, 50);
  const TColor checkedHotFill = Contrasted(l, c.ToolbarColor, 30);
  auto& toolbar = EditToolbarItems();
  toolbar[tsNormal] = {clNone, normalText, clNone};
  toolbar[tsDisabled] = {clWhite, Contrasted(grayText, c.ToolbarColor, 80), lightGray};
  toolbar[tsChecked] = {Contrasted(0x00C0C0C0, c.ToolbarColor, 5), normalText, lightGray};
  toolbar[tsPushed] = {g, clBlack, base};
  toolbar[tsHot] = {hotFill, clBlack, Contrasted(g, c.ToolbarColor, 100)};
  toolbar[tsDisabledHot] = {hotFill, MixColorsPercent(clBtnShadow, clWindow, 90), clNone};
  toolbar[tsCheckedHot] = {checkedHotFill, clWhite, Contrasted(l, checkedHotFill, 100)};
  toolbar[tsSubmenuOpen] = {g, clWhite, base};
  auto& popup = EditPopupItems();
  popup[psNormal] = {clNone, Contrasted(clBlack, c.PopupColor, 180), clNone};
  popup[psDisabled] = {clNone, Contrasted(grayText, c.PopupColor, 80), clNone};
  popup[psHot] = {base, clWhite, toolbar[tsHot].Frame};
  popup[psDisabledHot] = {c.PopupColor, MixColorsPercent(0x00808080, clWhite, 50), clNone};

  const auto nearest = [](TColor& color) {
    if (color != clNone) color = NearestColor(color);
  };
  for (TColor* color : {&c.MenuBarColor, &c.ToolbarColor, &c.PopupColor, &c.DockColor, &c.ToolbarEdgeColor,
                        &c.EditFrameColor, &c.PopupFrameColor, &c.MenuSplitColor, &c.StatusDotColor})
    nearest(*color);
  for (auto& pair : c.FloatFrameColors)
    for (TColor& color : pair) nearest(color);
  MakeItemColorsNearest();
}

void TStyledGlossTheme::MarginsById(int marginId, TStyledMargins& margins) {
  if (marginId == miToolbarButton)
    margins = {2, 2, 2, 2};
  else if (marginId == miStatusBarPanel)
    margins = {3, 1, 3, 1};
  else
    margins = {};
}

void TStyledGlossTheme::ViewBorderSize(int viewType, POINT& size) {
  if (IsViewType(viewType, vtPopupFamily))
    size = POINT{2, 2};
  else
    TStyledTableTheme::ViewBorderSize(viewType, size);
}

TColor TStyledGlossTheme::ViewBackColor(int viewType) {
  if (IsViewType(viewType, vtToolbarFamily))
    return IsViewType(viewType, vtMenuBar) ? colors_.MenuBarColor : colors_.ToolbarColor;
  if (IsViewType(viewType, vtPopupFamily)) return IsViewType(viewType, vtListPopup) ? clWindow : colors_.PopupColor;
  if (IsViewType(viewType, vtDock)) return colors_.DockColor;
  return clBtnFace;
}

int TStyledGlossTheme::IntegerMetric(int index) { return index == 50 ? 5 : FlatLookMetric(index); }

bool TStyledGlossTheme::BooleanMetric(int index) { return index == 3; }

}  // namespace themes
