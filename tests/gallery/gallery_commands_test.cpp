// The gallery's menus run its commands from the keyboard: Alt and a letter open a menu of the menu bar, letters
// choose in it, short-cuts run commands without a menu, and no two things on the form share an access key.
#include <cwctype>
#include <functional>
#include <map>

#include "controls/tabs/page_control.h"
#include "controls/xp_control.h"
#include "feeds_page.h"
#include "framework/accelerators.h"
#include "framework/application.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "support/modal_input.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/docks/dock.h"
#include "toolbars/items/item.h"
#include "toolbars/views/item_viewer.h"
#include "toolbars/views/view.h"

namespace {

// Dispatches messages one at a time until condition holds; a watchdog ends a wait that does not.
bool WaitFor(const std::function<bool()>& condition) {
  bool met = false;
  const bool inTime = RunModalWithInput([] {},
                                        [&] {
                                          while (!(met = condition()))
                                            EXPECT_TRUE(Application->HandleMessage().Alive());
                                        });
  return inTime && met;
}

}  // namespace

TEST_F(GalleryTest, AltFOpensTheFileMenuAndItsLettersRunACommand) {
  SetForegroundWindow(Form()->Handle());
  Settle();
  String openedMenu;
  // Inside the menu loop: once File's menu is open, O opens "Open sample feed" and A runs "Atom sample".
  std::function<void()> whenOpen = [&] {
    toolbars::TBarView* bar = Form()->MenuBar()->View();
    if (bar->OpenViewer() && bar->OpenViewerView()) {
      openedMenu = bar->OpenViewer()->Item()->Caption();
      SendKeyPress(L'O');
      SendKeyPress(L'A');
      return;
    }
    PostInputFromLoop(whenOpen, 10);
  };
  PostInputFromLoop(whenOpen, 10);
  SendKeyPress(L'F', false, false, true);
  ASSERT_TRUE(WaitFor([&] { return Form()->LastCommand() == L"Atom sample"; }));
  EXPECT_EQ(openedMenu, L"&File");
  EXPECT_EQ(Form()->Pages()->ActivePageIndex(), FindGalleryPage(L"feeds"));
  EXPECT_NE(Form()->FeedsPage()->Status().find(L"Atom sample"), String::npos) << Form()->FeedsPage()->Status();
  EXPECT_EQ(Form()->MenuBar()->View()->OpenViewerView(), nullptr) << "every menu closed";
}

TEST_F(GalleryTest, ShortCutsRunCommandsWithoutAMenu) {
  SetForegroundWindow(Form()->Handle());
  Settle();
  SendKeyPress(L'4', false, true);
  ASSERT_TRUE(WaitFor([&] { return Form()->Pages()->ActivePageIndex() == 3; }));
  EXPECT_EQ(Form()->LastCommand(), GalleryPages()[3].Caption);
}

namespace {

// Who answers Alt and each letter on the form as it shows now: the form's menu bar, the items shown on its other
// bars (which take the key before the menu bar), and the active page's own controls.
std::multimap<wchar_t, String> AccessKeyOwners(TGalleryForm* form) {
  std::multimap<wchar_t, String> owners;
  const auto claim = [&owners](const String& caption, const String& owner) {
    if (const wchar_t key = FindAccelChar(caption)) owners.emplace(towupper(key), owner + L" " + caption);
  };
  for (toolbars::TBarCustomToolbar* bar : OwnedBelow<toolbars::TBarCustomToolbar>(form)) {
    if (!bar->Showing() || !bar->Enabled()) continue;
    for (int i = 0; i < bar->View()->ViewerCount(); ++i) {
      toolbars::TBarItemViewer* viewer = bar->View()->Viewers(i);
      if (viewer->Show() && viewer->Item()->Enabled()) claim(viewer->Item()->Caption(), bar->Caption());
    }
  }
  std::vector<TWinControl*> pending{form->Pages()->ActivePage()};
  for (size_t next = 0; next < pending.size(); ++next)
    for (int i = 0; i < pending[next]->ControlCount(); ++i) {
      auto* control = ObjectAs<TWinControl>(pending[next]->Controls(i));
      if (!control || !control->Showing() || !control->Enabled() || ObjectAs<toolbars::TBarDock>(control)) continue;
      if (ObjectAs<controls::TXP_Control>(control)) claim(control->Caption(), L"page control");
      pending.push_back(control);
    }
  return owners;
}

}  // namespace

TEST_F(GalleryTest, EveryAccessKeyHasOneOwnerOnEveryPage) {
  for (int page = 0; page < Form()->Pages()->PageCount(); ++page) {
    ASSERT_TRUE(Form()->ShowPage(page));
    Settle();
    SCOPED_TRACE(testing::PrintToString(GalleryPages()[static_cast<size_t>(page)].Caption));
    const auto owners = AccessKeyOwners(Form());
    EXPECT_GE(owners.size(), 5u) << "the menu bar's at least";
    for (auto it = owners.begin(); it != owners.end(); it = owners.upper_bound(it->first)) {
      if (owners.count(it->first) == 1) continue;
      String all;
      for (auto [each, end] = owners.equal_range(it->first); each != end; ++each) all += each->second + L"; ";
      ADD_FAILURE() << "Alt+" << static_cast<char>(it->first) << " has " << testing::PrintToString(all);
    }
  }
}

// Alt+H from the keyboard opens the Help menu whatever page shows.
TEST_F(GalleryTest, AltHOpensTheHelpMenuOnEveryPage) {
  for (int page = 0; page < Form()->Pages()->PageCount(); ++page) {
    ASSERT_TRUE(Form()->ShowPage(page));
    SCOPED_TRACE(testing::PrintToString(GalleryPages()[static_cast<size_t>(page)].Caption));
    EXPECT_EQ(MenuOpenedByAltKey(L'H'), L"&Help");
  }
}
