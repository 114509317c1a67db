#include "controls/address_icons.h"
#include "controls/desk_band.h"
#include "controls/flat_controls_unit.h"
#include "controls/max_splitter.h"
#include "controls/picture_button.h"
#include "controls/tab_button.h"
#include "controls/tabs/page_control.h"
#include "controls/text_holder.h"
#include "controls/xp_unit.h"
#include "framework/startup.h"
#include "support/test_units.h"
#include "toolbars/items/bar_image_list.h"

using namespace controls;

void StartAreaUnits() {
  InitializeUnit(ControlsUnit());
  InitializeUnit(AddressBoxUnit());
  InitializeUnit(TabButtonUnit());
  InitializeUnit(PictureButtonUnit());
  InitializeUnit(TextHolderUnit());
  InitializeUnit(MaxSplitterUnit());
  InitializeUnit(DeskBandUnit());
  InitializeUnit(FlatControlsUnit());
  InitializeUnit(XPUnit());
  InitializeUnit(PageControlUnit());
  // The toolbar set, for the themed tool window that hosts bands.
  InitializeUnit(toolbars::ToolbarsUnit());
}
