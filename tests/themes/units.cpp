#include "framework/startup.h"
#include "support/test_environment.h"
#include "support/test_units.h"
#include "themes/themes_unit.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/theme/default_theme.h"
#include "toolbars/theme/theme_manager.h"

void StartAreaUnits() {
  // The toolbar set as an application starts it, so that themed windows can be made; then the theme units.
  InitializeUnit(toolbars::ToolbarsUnit());
  InitializeUnit(toolbars::DefaultThemeUnit());
  InitializeUnit(themes::ThemesUnit());
  // The theme manager follows the environment's visual-styles switch and tells the themes.
  TTestEnvironment::AddVisualStylesHook([](bool on) {
    const bool previous = toolbars::GetThemeManagerSetting(toolbars::tmsVisualStyles) == toolbars::vsOn;
    toolbars::SetThemeManagerSetting(toolbars::tmsVisualStyles, on ? toolbars::vsOn : toolbars::vsOff);
    toolbars::ThemeManager()->UpdateVariables();
    toolbars::ThemeManager()->NotifyChange();
    return previous;
  });
}
