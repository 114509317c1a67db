#include "feeds/feed.h"
#include "framework/startup.h"
#include "support/test_units.h"

using namespace feeds;

void StartAreaUnits() { InitializeUnit(FeedsUnit()); }
