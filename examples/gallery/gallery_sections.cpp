// The gallery's sections, one per component set, in the order they appear. A set adds its builder here.
#include "controls_section.h"
#include "default_theme_section.h"
#include "docks_section.h"
#include "flat_xp_section.h"
#include "framework_section.h"
#include "gallery_form.h"
#include "tabs_section.h"
#include "shell_section.h"
#include "toolbars_section.h"
#include "tree_header_section.h"
#include "tree_section.h"

const std::vector<TGallerySectionInfo>& GallerySections() {
  static const std::vector<TGallerySectionInfo> sections{
      {L"Framework: controls, canvas and image list", &BuildFrameworkSection},
      {L"Window controls: address box and page buttons", &BuildControlsSection},
      {L"Window controls: splitter, flat look and XP look", &BuildFlatXPSection},
      {L"Window controls: tabbed page controls", &BuildTabsSection},
      {L"Shell and system: colour names, colour picker and tray icon", &BuildShellSection},
      {L"Toolbar framework: one item tree as a toolbar, a vertical bar and a menu", &BuildToolbarsSection},
      {L"Toolbar framework: default theme", &BuildDefaultThemeSection},
      {L"Toolbars: docks on four edges with dockable bars", &BuildDocksSection},
      {L"Tree control: header and columns", &BuildTreeHeaderSection},
      {L"Tree control: string trees, 100,000 nodes with static texts; a list in columns", &BuildTreeSection},
  };
  return sections;
}
