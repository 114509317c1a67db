#include "framework/actions.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/startup.h"
#include "framework/std_actions.h"
#include "framework/timer.h"
#include "support/test_units.h"

void StartAreaUnits() {
  InitializeUnit(ControlsUnit());
  InitializeUnit(ActionsUnit());
  InitializeUnit(StdActionsUnit());
  InitializeUnit(TimerUnit());
  InitializeUnit(ImageListUnit());
  InitializeUnit(MenusUnit());
}
