// Access keys in the gallery: a control on a page that is not shown takes none, so the menu bar gets its keys; the
// Standard bar's buttons run by theirs, and every menu item has one of its own.
#include <gtest/gtest.h>

#include <cwctype>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "controls/tabs/page_control.h"
#include "controls/xp_check_box.h"
#include "framework/accelerators.h"
#include "framework/combo_box.h"
#include "framework/edit.h"
#include "framework/messages.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "support/modal_input.h"
#include "text_view.h"
#include "support/message_pump.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/docks/dock.h"
#include "toolbars/docks/dockable_window.h"
#include "toolbars/items/item.h"
#include "toolbars/views/view.h"
#include "tree/string_tree.h"
#include "tree_page.h"

namespace {

controls::TXP_CheckBox* FindCheckBox(TWinControl* parent, const String& caption) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* child = parent->Controls(i);
    if (auto* box = ObjectAs<controls::TXP_CheckBox>(child); box && box->Caption() == caption) return box;
    if (auto* windowed = ObjectAs<TWinControl>(child))
      if (controls::TXP_CheckBox* found = FindCheckBox(windowed, caption)) return found;
  }
  return nullptr;
}

}  // namespace

TEST_F(GalleryTest, ACheckBoxTakesItsAccessKeyOnlyWhileItsPageIsShown) {
  controls::TXP_CheckBox* title = FindCheckBox(Form(), L"Tit&le");
  ASSERT_NE(title, nullptr);
  // The check box takes the focus with its key; the next tests expect it where it was.
  const HWND focused = GetFocus();
  for (bool pageShown : {false, true}) {
    SCOPED_TRACE(pageShown ? "its page shown" : "another page shown");
    for (int page = 0; page < Form()->Pages()->PageCount(); ++page) {
      Form()->ShowPage(page);
      Settle();
      if (title->Showing() == pageShown) break;
    }
    ASSERT_EQ(title->Showing(), pageShown);
    const bool checked = title->Checked();
    // Alt+L: the form offers the key to its controls before its menu bar gets it.
    EXPECT_EQ(Form()->Perform(CM_DIALOGCHAR, L'l', 0) != 0, pageShown);
    EXPECT_EQ(title->Checked(), pageShown ? !checked : checked);
    title->SetChecked(checked);
    SetFocus(focused);
  }
}

// Alt and a letter no control on the form claims open the menu bar's menu whichever child has the keyboard focus,
// not only while the form itself has it.
TEST_F(GalleryTest, AltHOpensTheHelpMenuWhateverChildHasTheFocus) {
  struct TFocusCase {
    const char* Name;
    const wchar_t* Page;
    std::function<TWinControl*()> Control;
  };
  const TFocusCase cases[] = {
      {"the large tree", L"tree", [] { return Form()->TreePage()->LargeTree(); }},
      {"the small tree", L"tree", [] { return Form()->TreePage()->SmallTree(); }},
      {"the export text", L"tree", [] { return Form()->TreePage()->ExportText(); }},
      {"an edit box", L"framework",
       []() -> TWinControl* {
         for (TEdit* edit : OwnedBelow<TEdit>(Form()))
           if (edit->Showing() && edit->Enabled()) return edit;
         return nullptr;
       }},
      {"the edit of a combo box", L"controls",
       []() -> TWinControl* {
         for (TCustomComboBox* combo : OwnedBelow<TCustomComboBox>(Form()))
           if (combo->Showing() && combo->Enabled()) return combo;
         return nullptr;
       }},
  };
  for (const TFocusCase& each : cases) {
    SCOPED_TRACE(each.Name);
    ASSERT_TRUE(Form()->ShowPage(FindGalleryPage(each.Page)));
    Settle();
    TWinControl* control = each.Control();
    ASSERT_NE(control, nullptr);
    SetForegroundWindow(Form()->Handle());
    EXPECT_TRUE(control->SetFocus().Alive());
    Settle();
    ASSERT_TRUE(GetFocus() == control->Handle() || IsChild(control->Handle(), GetFocus()));
    EXPECT_EQ(MenuOpenedByAltKey(L'H'), L"&Help");
    EXPECT_EQ(MenuOpenedByAltKey(L'F'), L"&File");
  }
}

// Alt and the key of a button on the Standard bar runs the button; Back's too, whose arrow opens its list.
TEST_F(GalleryTest, TheStandardBarsButtonsRunByTheirAccessKeys) {
  toolbars::TBarCustomToolbar* standard = nullptr;
  for (toolbars::TBarCustomToolbar* bar : OwnedBelow<toolbars::TBarCustomToolbar>(Form()))
    if (bar->Caption() == L"Standard") standard = bar;
  ASSERT_NE(standard, nullptr);
  struct TCase {
    WORD Key;
    const wchar_t* Command;
  };
  for (const TCase& c : {TCase{L'S', L"Stop"}, TCase{L'R', L"Reload"}, TCase{L'M', L"Home"}, TCase{L'B', L"Back"}}) {
    SCOPED_TRACE(testing::PrintToString(c.Command));
    ASSERT_NE(Form()->LastCommand(), c.Command);
    bool listOpened = false;
    SeenInLoop([&] { SendKeyPress(c.Key, false, false, true); },
               [&] {
                 listOpened = listOpened || standard->View()->OpenViewerView() != nullptr;
                 return listOpened || Form()->LastCommand() == c.Command;
               });
    EXPECT_EQ(Form()->LastCommand(), c.Command);
    EXPECT_FALSE(listOpened) << "the key opened the button's list";
  }
}

// Every item of the menu bar and of every menu below it has an access key that no other item of its menu has; one
// of them, chosen in View > Go to page by keys alone, shows its page.
TEST_F(GalleryTest, EveryMenuItemHasAnAccessKeyOfItsOwn) {
  std::vector<toolbars::TBarCustomItem*> menus{Form()->MenuBar()->Items()};
  for (size_t next = 0; next < menus.size(); ++next) {
    toolbars::TBarCustomItem* menu = menus[next];
    SCOPED_TRACE(testing::PrintToString(menu->Caption()));
    std::map<wchar_t, String> owners;
    for (int i = 0; i < menu->Count(); ++i) {
      toolbars::TBarCustomItem* item = menu->ItemAt(i);
      if (item->HasStyle(toolbars::isSeparator)) continue;
      if (item->HasStyle(toolbars::isSubmenu) && item->Count() > 0) menus.push_back(item);
      const wchar_t key = static_cast<wchar_t>(towupper(FindAccelChar(item->Caption())));
      EXPECT_NE(key, 0) << testing::PrintToString(item->Caption()) << " has no key";
      if (key == 0) continue;
      auto [owner, added] = owners.emplace(key, item->Caption());
      EXPECT_TRUE(added) << testing::PrintToString(item->Caption()) << " and " << testing::PrintToString(owner->second);
    }
  }
  EXPECT_GT(menus.size(), 6u);
  controls::TPcPageControl* pages = Form()->Pages();
  const int tree = FindGalleryPage(L"tree");
  ASSERT_NE(pages->ActivePageIndex(), tree);
  ASSERT_TRUE(ChooseFromMenu(L'V', {L'G', L'T'}));
  EXPECT_EQ(pages->ActivePageIndex(), tree);
}

// The Favorites window floated and one of its entries clicked, so that the keyboard's focus is in the floating
// window: Alt and a menu's key open the menu bar's menu, as they do while the window is docked.
TEST_F(GalleryTest, TheMenuBarsKeysWorkFromAFloatingToolWindow) {
  toolbars::TBarCustomDockableWindow* favorites = nullptr;
  for (auto* window : OwnedBelow<toolbars::TBarCustomDockableWindow>(Form()))
    if (window->Caption() == L"Favorites") favorites = window;
  ASSERT_NE(favorites, nullptr);
  tree::TStringTree* entries = nullptr;
  for (tree::TStringTree* tree : OwnedBelow<tree::TStringTree>(Form()))
    if (tree->Parent() == favorites) entries = tree;
  ASSERT_NE(entries, nullptr);
  toolbars::TBarDock* dock = favorites->CurrentDock();
  EXPECT_TRUE(favorites->FloatOrDock(true).Alive());
  ASSERT_TRUE(favorites->Floating());
  Settle();
  SendMouseClick(RowPoint(entries, entries->GetNextSibling(entries->GetFirst())));
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == entries->Handle(); }));
  for (auto [key, menu] : {std::pair{L'V', L"&View"}, std::pair{L'T', L"&Themes"}}) {
    EXPECT_EQ(MenuOpenedByAltKey(key, false), menu);
    EXPECT_EQ(GetFocus(), entries->Handle()) << "the keyboard's focus went elsewhere";
  }
  EXPECT_TRUE(favorites->SetCurrentDock(dock).Alive());
  Settle();
}
