// The gallery's menus run its commands from the keyboard: Alt and a letter open a menu of the menu bar, letters
// choose in it, short-cuts run commands without a menu.
#include <functional>

#include "controls/tabs/page_control.h"
#include "feeds_page.h"
#include "framework/application.h"
#include "gallery_fixture.h"
#include "gallery_pages.h"
#include "support/modal_input.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/items/item.h"
#include "toolbars/views/view.h"

namespace {

// Dispatches messages one at a time until condition holds; a watchdog ends a wait that does not.
bool WaitFor(const std::function<bool()>& condition) {
  bool met = false;
  const bool inTime = RunModalWithInput([] {},
                                        [&] {
                                          while (!(met = condition())) Application->HandleMessage();
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
