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
TGlossUnitColors glossUnitColors;

TColor HighlightBase() { return MixColorsPercent(clHighlight, clWindow, 40); }

void StartGlossTheme() {
  glossUnitColors.Base = HighlightBase();
  RegisterThemeOnce(glossUnitCounter, L"Gloss", TStyledThemeClass::Of<TStyledGlossTheme>());
}

void StopGlossTheme() { ++glossUnitCounter; }

TColor Contrasted(TColor color, TColor base, int distance) {
  EnsureContrast(color, base, distance);
  return color;
}

}  // namespace

const TGlossUnitColors& GlossColors() { return glossUnitColors; }

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
  glossUnitColors.Base = HighlightBase();
  const TColor base = glossUnitColors.Base;
  glossUnitColors.Gradient = MixColorsPercent(base, clWhite, 80);

  TGlossColors& c = colors_;
  c.MenuBar = 0x00F4F4F4;
  c.Toolbar = 0x00F4F4F4;
  c.Popup = clWhite;
  c.Dock = clWhite;
  c.ToolbarEdge = 0x00A0A0A0;
  c.EditFrame = MixColorsPercent(0x00C0C0C0, clWhite, 80);
  c.PopupFrame = 0x00C0C0C0;
  c.MenuSplit = clBlack;
  c.StatusDot = clBlack;
  const TColor floatActive = MixColorsPercent(0x00808080, clWhite, 80);
  c.FloatFrame = {{{floatActive, floatActive}, {floatActive, 0x00808080}}};

  const TColor g = MixColorsPercent(base, clWhite, 80);
  const TColor l = MixColorsPercent(base, clWhite, 25);
  const TColor lightGray = MixColorsPercent(0x00C0C0C0, clWhite, 50);
  const TColor grayText = MixColorsPercent(0x00808080, clWhite, 70);
  const TColor normalText = Contrasted(CaptionTextColor, c.Toolbar, 180);
  const TColor hotFill = Contrasted(g, c.Toolbar, 50);
  const TColor checkedHotFill = Contrasted(l, c.Toolbar, 30);
  auto& toolbar = EditToolbarItems();
  toolbar[tsNormal] = {clNone, normalText, clNone};
  toolbar[tsDisabled] = {clWhite, Contrasted(grayText, c.Toolbar, 80), lightGray};
  toolbar[tsChecked] = {Contrasted(0x00C0C0C0, c.Toolbar, 5), normalText, lightGray};
  toolbar[tsPushed] = {g, clBlack, base};
  toolbar[tsHot] = {hotFill, clBlack, Contrasted(g, c.Toolbar, 100)};
  toolbar[tsDisabledHot] = {hotFill, MixColorsPercent(clBtnShadow, clWindow, 90), clNone};
  toolbar[tsCheckedHot] = {checkedHotFill, clWhite, Contrasted(l, checkedHotFill, 100)};
  toolbar[tsSubmenuOpen] = {g, clWhite, base};
  auto& popup = EditPopupItems();
  popup[psNormal] = {clNone, Contrasted(clBlack, c.Popup, 180), clNone};
  popup[psDisabled] = {clNone, Contrasted(grayText, c.Popup, 80), clNone};
  popup[psHot] = {base, clWhite, toolbar[tsHot].Frame};
  popup[psDisabledHot] = {c.Popup, MixColorsPercent(0x00808080, clWhite, 50), clNone};

  const auto nearest = [](TColor& color) {
    if (color != clNone) color = NearestColor(color);
  };
  for (TColor* color : {&c.MenuBar, &c.Toolbar, &c.Popup, &c.Dock, &c.ToolbarEdge, &c.EditFrame, &c.PopupFrame,
                        &c.MenuSplit, &c.StatusDot})
    nearest(*color);
  for (auto& pair : c.FloatFrame)
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
  if (IsViewType(viewType, vtToolbarFamily)) return IsViewType(viewType, vtMenuBar) ? colors_.MenuBar : colors_.Toolbar;
  if (IsViewType(viewType, vtPopupFamily)) return IsViewType(viewType, vtListPopup) ? clWindow : colors_.Popup;
  if (IsViewType(viewType, vtDock)) return colors_.Dock;
  return clBtnFace;
}

int TStyledGlossTheme::IntegerMetric(int index) {
  switch (index) {
    case 10:
      return 12;
    case 20:
    case 33:
      return 8;
    case 21:
    case 30:
    case 34:
    case 35:
      return 3;
    case 31:
    case 60:
      return 1;
    case 32:
    case 64:
      return 0;
    case 36:
    case 37:
    case 61:
    case 62:
      return 2;
    case 40:
      return 6;
    case 50:
      return 5;
    case 65:
      return 14;
    default:
      return -1;
  }
}

bool TStyledGlossTheme::BooleanMetric(int index) { return index == 3; }

}  // namespace themes
