#include "bar_host.h"
#include "framework/startup.h"
#include "support/test_units.h"
#include "toolbars/items/bar_image_list.h"

void StartAreaUnits() {
  InitializeUnit(toolbars::ToolbarsUnit());
  // The pop-up windows of items are the test host's until the framework has its own.
  toolbars::SetDefaultPopupWindowClass(bar_host::PopupHostClass());
}
