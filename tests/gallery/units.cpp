#include "framework/startup.h"
#include "gallery_units.h"
#include "support/test_units.h"

void StartAreaUnits() { InitializeUnit(GalleryUnit()); }
