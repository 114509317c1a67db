#include "gallery_units.h"

#include "controls/address_icons.h"
#include "controls/flat_controls_unit.h"
#include "controls/tab_button.h"
#include "controls/tabs/page_control.h"
#include "controls/xp_unit.h"
#include "feeds/feed.h"
#include "framework/startup.h"
#include "shell/dragdrop/file_formats.h"
#include "shell/dragdrop/url_formats.h"
#include "shell/system_unit.h"
#include "themes/themes_unit.h"
#include "toolbars/edit/edit_item.h"
#include "toolbars/items/bar_image_list.h"
#include "toolbars/popups/popup_window.h"
#include "toolbars/styled/styled_item.h"
#include "toolbars/theme/default_theme.h"
#include "tree/tree_unit.h"

const TUnit& GalleryUnit() {
  static const TUnit unit{
      L"gallery",
      nullptr,
      nullptr,
      {&ControlsUnit(), &toolbars::ToolbarsUnit(), &toolbars::PopupsUnit(), &toolbars::EditItemUnit(),
       &toolbars::StyledItemsUnit(), &toolbars::DefaultThemeUnit(), &themes::ThemesUnit(), &tree::TreeUnit(),
       &controls::PageControlUnit(), &controls::AddressBoxUnit(), &controls::TabButtonUnit(), &controls::XPUnit(),
       &controls::FlatControlsUnit(), &feeds::FeedsUnit(), &shell::SystemRoutinesUnit(), &shell::FileFormatsUnit(),
       &shell::URLFormatsUnit()}};
  return unit;
}
