#include "framework/startup.h"
#include "support/test_units.h"
#include "tree/tree_unit.h"

void StartAreaUnits() {
  InitializeUnit(ControlsUnit());
  InitializeUnit(tree::TreeUnit());
}
