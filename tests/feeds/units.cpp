#include "feeds/feed.h"
#include "framework/startup.h"
#include "support/test_units.h"

void StartAreaUnits() { InitializeUnit(FeedsUnit()); }
