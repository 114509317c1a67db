#include "bar_host.h"
#include "framework/startup.h"
#include "support/test_environment.h"
#include "support/test_units.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/theme/theme_manager.h"

void StartAreaUnits() {
  // The toolbar set alone, as an application starts it: pop-ups, menu tracking and the themes come with it.
  InitializeUnit(toolbars::ToolbarsUnit());
  // The theme manager's own switch follows the environment's; an unchanged switch still re-reads the shared values,
  // since the framework's classic switch may have moved.
  TTestEnvironment::AddVisualStylesHook([](bool on) {
    const bool previous = toolbars::GetThemeManagerSetting(toolbars::tmsVisualStyles) == toolbars::vsOn;
    toolbars::SetThemeManagerSetting(toolbars::tmsVisualStyles, on ? toolbars::vsOn : toolbars::vsOff);
    if (previous == on) {
      toolbars::ThemeManager()->UpdateVariables();
      toolbars::ThemeManager()->NotifyChange();
    }
    return previous;
  });
}
