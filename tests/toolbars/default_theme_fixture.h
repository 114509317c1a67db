// The default theme under pinned system colours, classic painting and flat menus off unless a test says
// otherwise; everything is restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include "paint_surface.h"
#include "support/test_environment.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/theme_manager.h"
#include "toolbars/theme/theme_registry.h"

constexpr COLORREF kFace = RGB(200, 200, 200);
constexpr COLORREF kShadow = RGB(100, 100, 100);
constexpr COLORREF kLight = RGB(250, 250, 250);
constexpr COLORREF kText = RGB(10, 10, 10);
constexpr COLORREF kSelection = RGB(0, 0, 160);
constexpr COLORREF kSelectionText = RGB(255, 255, 0);
constexpr COLORREF kGray = RGB(130, 130, 130);
constexpr COLORREF kWindow = RGB(254, 254, 254);
constexpr COLORREF kMenu = RGB(230, 230, 230);
constexpr COLORREF kMenuText = RGB(20, 20, 20);
constexpr COLORREF kFrame = RGB(5, 5, 5);
constexpr COLORREF kDarkShadow = RGB(30, 30, 30);
constexpr COLORREF k3DLight = RGB(220, 220, 220);
constexpr COLORREF kCaption = RGB(0, 100, 0);
// The surface under each painter: no system colour has it.
constexpr COLORREF kPaper = RGB(1, 2, 3);

class DefaultThemeTest : public TEnvironmentTest {
 protected:
  void SetUp() override {
    const struct {
      int Element;
      COLORREF Color;
    } colors[] = {
        {COLOR_BTNFACE, kFace},      {COLOR_BTNSHADOW, kShadow},      {COLOR_BTNHIGHLIGHT, kLight},
        {COLOR_BTNTEXT, kText},      {COLOR_HIGHLIGHT, kSelection},   {COLOR_HIGHLIGHTTEXT, kSelectionText},
        {COLOR_GRAYTEXT, kGray},     {COLOR_WINDOW, kWindow},         {COLOR_MENU, kMenu},
        {COLOR_MENUTEXT, kMenuText}, {COLOR_WINDOWFRAME, kFrame},     {COLOR_3DDKSHADOW, kDarkShadow},
        {COLOR_3DLIGHT, k3DLight},   {COLOR_ACTIVECAPTION, kCaption}, {COLOR_GRADIENTACTIVECAPTION, kCaption}};
    for (const auto& c : colors) Environment.SetSysColor(c.Element, c.Color);
    UseClassic(false);
  }
  void TearDown() override {
    toolbars::ReleaseTheme(theme_);
    Environment.Restore();
    toolbars::ThemeManager()->UpdateVariables();
  }

  // Classic painting with or without the system's flat menus; the theme re-reads its colours.
  void UseClassic(bool flatMenus) {
    Environment.SetVisualStyles(false);
    Environment.SetFlatMenus(flatMenus);
    Refresh();
  }
  // The test machine's visual styles; false when it has none.
  bool UseStyles() {
    Environment.SetVisualStyles(true);
    Refresh();
    return toolbars::UseThemes;
  }
  void Refresh() {
    toolbars::ThemeManager()->UpdateVariables();
    toolbars::ThemeManager()->NotifyChange();
  }

  toolbars::TStyledDefaultTheme* Theme() {
    if (!theme_) theme_ = toolbars::AcquireTheme(L"Default");
    return static_cast<toolbars::TStyledDefaultTheme*>(theme_);
  }

  static toolbars::TStyledItemPaintInfo Item(int viewType, int options = 0) {
    toolbars::TStyledItemPaintInfo info{};
    info.ViewType = viewType;
    info.ItemOptions = options;
    info.Enabled = true;
    return info;
  }

 private:
  toolbars::TStyledTheme* theme_ = nullptr;
};
