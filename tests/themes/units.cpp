#include "framework/startup.h"
#include "support/test_environment.h"
#include "support/test_units.h"
#include "themes/themes_unit.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/theme/theme_manager.h"

void StartAreaUnits() {
  // The toolbar set (with "Default" current) and every theme, as the application starts them.
  InitializeUnit(toolbars::ToolbarsUnit());
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
