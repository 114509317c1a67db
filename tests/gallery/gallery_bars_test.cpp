// The bars of the gallery's main form are the sets' own: a menu bar, toolbars in docks, one cut short by its
// chevron, a tool window on the left, a floating bar over the form, and short-cut texts in the menus.
#include <vector>

#include "gallery_fixture.h"
#include "toolbars/bars/tool_window.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/docks/dock.h"
#include "toolbars/docks/floating_window_parent.h"
#include "toolbars/theme/theme_registry.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

using namespace toolbars;

namespace {

template <class T>
std::vector<T*> ComponentsOf(TComponent* owner) {
  std::vector<T*> found;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (auto* component = ObjectAs<T>(owner->Components(i))) found.push_back(component);
  return found;
}

TBarCustomItem* FindItem(TBarCustomItem* parent, const String& caption) {
  for (int i = 0; i < parent->Count(); ++i)
    if (parent->ItemAt(i)->Caption() == caption) return parent->ItemAt(i);
  return nullptr;
}

}  // namespace

TEST_F(GalleryTest, TheFormHasDockedToolbarsAChevronAToolWindowAndAFloatingBar) {
  int docked = 0;
  int floating = 0;
  int chevrons = 0;
  for (TBarCustomToolbar* bar : ComponentsOf<TBarCustomToolbar>(Form())) {
    if (bar->Floating()) {
      ++floating;
      EXPECT_TRUE(IsWindowVisible(bar->FloatParent()->Handle()));
      EXPECT_EQ(GetWindow(bar->FloatParent()->Handle(), GW_OWNER), Form()->Handle());
      continue;
    }
    ASSERT_NE(bar->CurrentDock(), nullptr) << testing::PrintToString(bar->Caption());
    ++docked;
    TBarItemViewer* chevron = bar->View()->Find(bar->ChevronItem());
    if (chevron && chevron->Show()) ++chevrons;
  }
  EXPECT_GE(docked, 4);
  EXPECT_EQ(floating, 1);
  EXPECT_GE(chevrons, 1) << "a bar with more than its row holds";
  const auto windows = ComponentsOf<TBarToolWindow>(Form());
  ASSERT_EQ(windows.size(), 1u);
  ASSERT_NE(windows[0]->CurrentDock(), nullptr);
  EXPECT_EQ(windows[0]->CurrentDock()->Position(), TBarDockPosition::dpLeft);
}

TEST_F(GalleryTest, TheMenusHaveSubmenusShortCutsAndOneThemeEntryPerTheme) {
  TBarCustomItem* root = Form()->MenuBar()->Items();
  TBarCustomItem* file = FindItem(root, L"&File");
  ASSERT_NE(file, nullptr);
  TBarCustomItem* open = FindItem(file, L"&Open sample feed");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->Count(), 3);
  TBarCustomItem* exit = FindItem(file, L"E&xit");
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(exit->GetShortCutText(), L"Ctrl+Q");
  TBarCustomItem* themes = FindItem(root, L"&Themes");
  ASSERT_NE(themes, nullptr);
  int checked = 0;
  int entries = 0;
  for (int i = 0; i < themes->Count(); ++i) {
    if (themes->ItemAt(i)->GroupIndex() != 2) continue;
    ++entries;
    if (themes->ItemAt(i)->Checked()) {
      ++checked;
      EXPECT_EQ(themes->ItemAt(i)->Caption(), Form()->ThemeName());
    }
  }
  EXPECT_EQ(entries, static_cast<int>(toolbars::ThemeRegistry().size()));
  EXPECT_EQ(checked, 1);
}
