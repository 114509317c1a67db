#include "controls/address_icons.h"
#include "framework/startup.h"
#include "support/test_units.h"

void StartAreaUnits() {
  InitializeUnit(ControlsUnit());
  InitializeUnit(AddressBoxUnit());
}
