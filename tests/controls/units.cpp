#include "support/test_units.h"

void StartAreaUnits() {}
