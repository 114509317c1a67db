#include "support/test_units.h"

// The feed reader needs nothing started beyond the framework's own unit (OLE for the XML documents).
void StartAreaUnits() {}
