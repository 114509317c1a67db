// The start-up unit of the flat-look panel, gauge and progress bar.
#pragma once

#include "framework/startup.h"

namespace controls {

// Registers TFlatPanel, TFlatGauge and TFlatProgressBar for stored forms.
const TUnit& FlatControlsUnit();

}  // namespace controls
