#include "gallery_pages.h"

#include "controls_section.h"
#include "drag_drop_section.h"
#include "feeds_page.h"
#include "flat_xp_section.h"
#include "framework/sys_utils.h"
#include "framework_section.h"
#include "sample_lost.h"
#include "section_sheet.h"
#include "shell_section.h"
#include "standard_controls_section.h"
#include "system_section.h"
#include "tabs_section.h"
#include "theme_parts_section.h"
#include "toolbars_section.h"
#include "tree_page.h"

using controls::TPcPageControl;
using controls::TPcTabSheet;

namespace {

template <const std::vector<TGallerySectionInfo>& (*Sections)()>
TPcTabSheet* CreateSectionSheet(TComponent* owner, TPcPageControl* control) {
  auto* sheet = new TSectionSheet(owner);
  if (sheet->SetPageControl(control).Gone() || sheet->AddSections(Sections()).Gone()) SampleLost();
  return sheet;
}

template <class TPage>
TPcTabSheet* CreatePage(TComponent* owner, TPcPageControl* control) {
  auto* page = new TPage(owner);
  if (page->SetPageControl(control).Gone() || page->Populate().Gone()) SampleLost();
  return page;
}

const std::vector<TGallerySectionInfo>& FrameworkSections() {
  static const std::vector<TGallerySectionInfo> sections{
      {L"Controls, canvas and image list", &BuildFrameworkSection},
      {L"The platform's controls, speed buttons and a splitter", &BuildStandardControlsSection},
  };
  return sections;
}

const std::vector<TGallerySectionInfo>& ControlsSections() {
  static const std::vector<TGallerySectionInfo> sections{
      {L"Address box and page buttons", &BuildControlsSection},
      {L"Splitter, flat look and XP look", &BuildFlatXPSection},
      {L"Tabbed page controls", &BuildTabsSection},
  };
  return sections;
}

const std::vector<TGallerySectionInfo>& ToolbarSections() {
  static const std::vector<TGallerySectionInfo> sections{
      {L"One item tree as a toolbar, a vertical bar and a menu", &BuildToolbarsSection},
      {L"Parts of the current theme", &BuildThemePartsSection},
  };
  return sections;
}

const std::vector<TGallerySectionInfo>& ShellSections() {
  static const std::vector<TGallerySectionInfo> sections{
      {L"Drag and drop of files and addresses", &BuildDragDropSection},
      {L"Colour names, colour picker and tray icon", &BuildShellSection},
      {L"This machine and its processes", &BuildSystemSection},
  };
  return sections;
}

}  // namespace

const std::vector<TGalleryPageInfo>& GalleryPages() {
  static const std::vector<TGalleryPageInfo> pages{
      {L"framework", L"Framework", &CreateSectionSheet<&FrameworkSections>},
      {L"feeds", L"Feed reader", &CreatePage<TFeedsPage>},
      {L"controls", L"Window controls", &CreateSectionSheet<&ControlsSections>},
      {L"tree", L"Tree", &CreatePage<TTreePage>},
      {L"toolbars", L"Toolbars and themes", &CreateSectionSheet<&ToolbarSections>},
      {L"shell", L"Shell and system", &CreateSectionSheet<&ShellSections>},
  };
  return pages;
}

int FindGalleryPage(const String& name) {
  const auto& pages = GalleryPages();
  for (size_t i = 0; i < pages.size(); ++i)
    if (SameText(pages[i].Name, name)) return static_cast<int>(i);
  return -1;
}
