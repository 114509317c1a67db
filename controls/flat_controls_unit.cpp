#include "controls/flat_controls_unit.h"

#include <array>

#include "controls/flat_gauge.h"
#include "controls/flat_panel.h"
#include "controls/flat_progress_bar.h"

namespace controls {

namespace {

std::array<const TClass*, 3> FlatClasses() {
  return {TFlatPanel::StaticClass(), TFlatGauge::StaticClass(), TFlatProgressBar::StaticClass()};
}

void RegisterFlatControls() {
  for (const TClass* c : FlatClasses()) RegisterPersistentClass(c);
}

void UnregisterFlatControls() {
  for (const TClass* c : FlatClasses()) UnregisterPersistentClass(c);
}

}  // namespace

const TUnit& FlatControlsUnit() {
  static const TUnit unit{L"FlatControls", &RegisterFlatControls, &UnregisterFlatControls, {&ControlsUnit()}};
  return unit;
}

}  // namespace controls
