#include "framework/menus.h"
#include "framework/startup.h"
#include "shell/system_unit.h"
#include "support/test_units.h"

void StartAreaUnits() {
  InitializeUnit(ControlsUnit());
  InitializeUnit(MenusUnit());
  InitializeUnit(shell::SystemRoutinesUnit());
}
