#include "themes/styled_pastel_theme.h"

#include "framework/startup.h"
#include "toolbars/theme/color_utils.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/theme_manager.h"

namespace themes {

using namespace toolbars;

namespace {

int pastelUnitCounter = 0;

void StartPastelTheme() {
  RegisterThemeOnce(pastelUnitCounter, L"Pastel", TStyledThemeClass::Of<TStyledPastelTheme>());
}

void StopPastelTheme() { ++pastelUnitCounter; }

}  // namespace

TStockGlyphs& PastelStockGlyphs() {
  static TStockGlyphs glyphs;
  return glyphs;
}

const TUnit& PastelThemeUnit() {
  static const TUnit unit{L"themes.pastel", &StartPastelTheme, &StopPastelTheme, {&DefaultThemeUnit()}};
  return unit;
}

TStyledPastelTheme::TStyledPastelTheme(const String& name) : TStyledPastelLook(name, PastelStockGlyphs()) {
  SetupColorCache();
}

void TStyledPastelTheme::SetupColorCache() {
  TPastelColors& c = EditColors();
  auto& toolbar = EditToolbarItems();
  auto& popup = EditPopupItems();
  if (LowColor) {
    c.MenuBar = clBtnFace;
    c.Toolbar = clBtnFace;
    c.Popup = clWindow;
    c.Dock = clWindow;
    c.PopupFrame = clBtnText;
    c.Floating[0] = {{{clBtnShadow, clBtnShadow, clBtnHighlight}, {clBtnShadow, clBtnShadow, clBtnHighlight}}};
    c.Floating[1] = {{{clBtnShadow, clBtnFace, clBtnText}, {clBtnShadow, clBtnFace, clBtnText}}};
    toolbar = {{{clNone, clBtnText, clNone},
                {clNone, clBtnShadow, clNone},
                {clWindow, clWindowText, clHighlight},
                {clHighlight, clHighlightText, clHighlight},
                {clWindow, clWindowText, clHighlight},
                {clWindow, clBtnShadow, clHighlight},
                {clHighlight, clHighlightText, clHighlight},
                {clBtnFace, clBtnText, clBtnText}}};
    popup = {{{clNone, clWindowText, clNone},
              {clNone, clGrayText, clNone},
              {clWindow, clWindowText, clHighlight},
              {clWindow, clGrayText, clHighlight}}};
    c.Grip = clBtnText;
    c.ImageColumnSeparator = clBtnShadow;
    c.Separator = clBtnShadow;
    c.StatusPaneFrame = clBtnShadow;
    return;
  }
  const TColor g = MixColorsPercent(clBtnShadow, clWindow, 90);
  c.MenuBar = clBtnFace;
  c.Toolbar = MixColorsPercent(clWindow, clBtnFace, 165);
  c.Popup = MixColorsPercent(clBtnFace, clWindow, 143);
  c.Dock = c.Popup;
  c.PopupFrame = Contrasted(MixColorsPercent(clBtnText, clBtnShadow, 20), c.Popup, 100);
  const TColor hot = Contrasted(MixColorsPercent(clHighlight, clWindow, 30), c.Toolbar, 50);
  const TColor border = Contrasted(MixColorsPercent(clBtnText, clBtnShadow, 15), c.Toolbar, 120);
  const TColor inactiveText = Contrasted(g, clBtnFace, 120);
  c.Floating[0] = {{{border, clBtnShadow, Contrasted(clBtnHighlight, clBtnShadow, 180)},
                    {border, clBtnFace, inactiveText}}};
  c.Floating[1] = {{{clBtnShadow, clBtnFace, clBtnText}, {clBtnShadow, clBtnFace, inactiveText}}};
  SetupItemTables(hot, Contrasted(clMenuText, hot, 180));
  c.Grip = Contrasted(MixColorsPercent(clBtnShadow, clWindow, 75), c.Toolbar, 85);
  c.Separator = Contrasted(MixColorsPercent(clBtnShadow, clWindow, 70), c.Toolbar, 50);
  c.ImageColumnSeparator = c.Separator;
  c.StatusPaneFrame = Contrasted(MixColorsPercent(clWindow, clBtnFace, 30), clBtnFace, 30);
  MakeColorsNearest();
}

}  // namespace themes
