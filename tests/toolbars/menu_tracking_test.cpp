#include <gtest/gtest.h>

#include <utility>

#include "bar_host.h"
#include "framework/application.h"
#include "support/hostile_input.h"
#include "tracked_menu.h"

using namespace toolbars;
using bar_host::TBarHostWindow;
using bar_host::TFixedItem;
using tracked_menu::EntryCentre;
using tracked_menu::MovePointer;
using tracked_menu::SendButton;
using tracked_menu::TrackedRoot;
using tracked_menu::WhenInLoop;

namespace {

// One keystroke: a key press (WM_KEYDOWN and WM_KEYUP) or a typed character (WM_CHAR).
struct TStroke {
  UINT Msg;
  WPARAM Code;
};
TStroke K(WORD key) { return TStroke{WM_KEYDOWN, key}; }
TStroke C(wchar_t ch) { return TStroke{WM_CHAR, ch}; }

void PostStrokes(HWND wnd, const std::vector<TStroke>& strokes) {
  for (const TStroke& stroke : strokes) {
    if (stroke.Msg == WM_KEYDOWN)
      PostKeyPress(wnd, static_cast<WORD>(stroke.Code));
    else
      PostMessageW(wnd, WM_CHAR, stroke.Code, 1);
  }
}

std::wstring Joined(const std::vector<std::wstring>& names) {
  std::wstring joined;
  for (const std::wstring& name : names) joined += (joined.empty() ? L"" : L",") + name;
  return joined;
}

// Open, Save, More (Alpha, Beta), Export, Exit.
class MenuTracking : public tracked_menu::TrackedMenu {
 protected:
  void SetUp() override {
    TrackedMenu::SetUp();
    AddEntry(root_, L"&Open");
    AddEntry(root_, L"&Save");
    more_ = AddEntry(root_, L"&More", isSubmenu);
    AddEntry(more_, L"&Alpha");
    AddEntry(more_, L"&Beta");
    AddEntry(root_, L"E&xport");
    AddEntry(root_, L"E&xit");
  }
  TFixedItem* more_ = nullptr;
};

}  // namespace

TEST_F(MenuTracking, KeysChooseInAPopupMenu) {
  struct TCase {
    std::vector<TStroke> Strokes;
    const wchar_t* Chosen;
  };
  const TCase cases[] = {
      {{K(VK_DOWN), K(VK_RETURN)}, L"&Open"},
      {{K(VK_DOWN), K(VK_DOWN), K(VK_RETURN)}, L"&Save"},
      {{K(VK_UP), K(VK_RETURN)}, L"E&xit"},
      {{K(VK_END), K(VK_UP), K(VK_RETURN)}, L"E&xport"},
      // A unique accelerator clicks its entry, a shared one only moves the selection.
      {{C(L's')}, L"&Save"},
      {{C(L'X'), C(L'x'), K(VK_RETURN)}, L"E&xit"},
      // Into a submenu and out again.
      {{C(L'm'), C(L'b')}, L"&Beta"},
      {{K(VK_HOME), K(VK_DOWN), K(VK_DOWN), K(VK_RIGHT), K(VK_DOWN), K(VK_RETURN)}, L"&Beta"},
      {{K(VK_HOME), K(VK_DOWN), K(VK_DOWN), K(VK_RETURN), K(VK_RETURN)}, L"&Alpha"},
      {{C(L'm'), K(VK_LEFT), K(VK_DOWN), K(VK_RETURN)}, L"E&xport"},
      {{C(L'm'), K(VK_ESCAPE), K(VK_UP), K(VK_RETURN)}, L"&Save"},
      {{C(L'm'), K(VK_ESCAPE), K(VK_ESCAPE)}, L""},
      {{K(VK_ESCAPE)}, L""},
  };
  for (const TCase& c : cases) {
    clicked_.clear();
    RunPopup([&] { PostStrokes(frame_->Handle(), c.Strokes); });
    EXPECT_EQ(Joined(clicked_), c.Chosen) << "case chosing " << testing::PrintToString(std::wstring(c.Chosen));
    EXPECT_EQ(TrackedRoot(), nullptr);
  }
}

TEST_F(MenuTracking, AClickRunsAfterTheMenuHasClosed) {
  bool returned = false;
  HWND popupWindow = nullptr;
  bool windowGoneAtClick = false;
  root_->ItemAt(0)->OnClick = TNotifyEvent([&](TObject*) {
    windowGoneAtClick = !IsWindow(popupWindow);
    clicked_.push_back(returned ? L"after" : L"inside");
  });
  const POINT at = MenuOrigin();
  RunModalWithInput(
      [&] {
        WhenInLoop([] { return TrackedRoot() != nullptr; },
                   [&] {
                     popupWindow = TrackedRoot()->Window()->Handle();
                     PostStrokes(frame_->Handle(), {K(VK_DOWN), K(VK_RETURN)});
                   });
      },
      [&] { EXPECT_TRUE(root_->Popup(at.x, at.y, false).Alive()); });
  returned = true;
  EXPECT_TRUE(clicked_.empty()) << "the click waits for the application's loop";
  ProcessPendingMessages();
  EXPECT_EQ(Joined(clicked_), L"after");
  EXPECT_TRUE(windowGoneAtClick);
}

TEST_F(MenuTracking, AnEntryFreedByItsClickThatThenRaisesIsReportedWithNoSender) {
  TFixedItem* entry = nullptr;
  {
    // The entry's block stays unreadable once freed.
    TGuardedAllocations guard;
    entry = AddEntry(root_, L"&Gone");
  }
  entry->OnClick = TNotifyEvent([&entry](TObject*) {
    delete std::exchange(entry, nullptr);
    throw Exception(L"Raised after freeing the entry");
  });
  std::vector<TObject*> senders;
  Application->OnException = [&senders](TObject* sender, const Exception&) { senders.push_back(sender); };
  RunPopup([&] { PostStrokes(frame_->Handle(), {C(L'g')}); });
  Application->OnException = nullptr;
  EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(senders, std::vector<TObject*>{nullptr});
}

// A modal menu whose handlers free the item it shows: its own OnPopup before it opens, an entry's OnSelect as a
// key moves onto it, a submenu's OnPopup as a key opens it. Popup answers that the item went, the tracking ends
// with the mouse let go, and nothing is clicked. The items are made under guarded allocations, so that a touch
// faults.
TEST_F(MenuTracking, AMenuWhoseHandlersFreeItsItemAnswersThatItWent) {
  enum class TRaise { OwnPopup, EntrySelect, SubmenuPopup };
  struct TCase {
    const char* Name;
    TRaise Raise;
    std::vector<TStroke> Strokes;
  } cases[] = {
      {"the menu's OnPopup", TRaise::OwnPopup, {}},
      {"an entry's OnSelect", TRaise::EntrySelect, {K(VK_DOWN), K(VK_ESCAPE), K(VK_ESCAPE)}},
      {"a submenu's OnPopup", TRaise::SubmenuPopup, {C(L'm'), K(VK_ESCAPE), K(VK_ESCAPE)}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    TBarRootItem* menu = new TBarRootItem(&owner_);
    TFixedItem* open = AddEntry(menu, L"&Open");
    TFixedItem* more = AddEntry(menu, L"&More", isSubmenu);
    AddEntry(more, L"&Alpha");
    const auto freeMenu = [&menu] { delete std::exchange(menu, nullptr); };
    switch (c.Raise) {
      case TRaise::OwnPopup:
        menu->OnPopup = [&](TBarCustomItem*, bool) { freeMenu(); };
        break;
      case TRaise::EntrySelect:
        open->OnSelect = [&](TBarCustomItem*, TBarItemViewer*, bool selecting) {
          if (selecting && menu) freeMenu();
        };
        break;
      case TRaise::SubmenuPopup:
        more->OnPopup = [&](TBarCustomItem*, bool) { freeMenu(); };
        break;
    }
    const POINT at = MenuOrigin();
    bool outlived = true;
    EXPECT_TRUE(RunModalWithInput([&] { PostStrokes(frame_->Handle(), c.Strokes); },
                                  [&] { outlived = menu->Popup(at.x, at.y, false).Alive(); }));
    EXPECT_EQ(menu, nullptr) << "the handler did not run";
    EXPECT_FALSE(outlived);
    EXPECT_EQ(TrackedRoot(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr) << "the mouse is let go";
    ProcessPendingMessages();
    EXPECT_TRUE(clicked_.empty());
  }
}

TEST_F(MenuTracking, TheMouseChoosesEntriesOfTheMenuAndItsSubmenu) {
  const POINT at = MenuOrigin();
  // Pressing and releasing on an entry clicks it.
  RunPopup([&] { WhenInLoop([] { return TrackedRoot() != nullptr; }, [&] { SendMouseClick(EntryCentre(at, 1)); }); });
  EXPECT_EQ(Joined(clicked_), L"&Save");

  // Resting on the submenu entry opens its submenu after the show delay, not before.
  clicked_.clear();
  DWORD movedAt = 0;
  DWORD openedAt = 0;
  bool openBeforeTheDelay = true;
  RunPopup([&] {
    WhenInLoop([] { return TrackedRoot() != nullptr; },
               [&] {
                 movedAt = GetTickCount();
                 MovePointer(EntryCentre(at, 2));
                 WhenInLoop(
                     [] {
                       TBarView* root = TrackedRoot();
                       return root->Selected() && root->Selected()->Item()->Caption() == L"&More";
                     },
                     [&] {
                       TBarView* root = TrackedRoot();
                       openBeforeTheDelay =
                           root->OpenViewerView() != nullptr || !root->TimerActive(TBarViewTimer::tiOpen);
                       WhenInLoop([] { return TrackedRoot()->OpenViewerView() != nullptr; },
                                  [&] {
                                    openedAt = GetTickCount();
                                    TBarView* sub = TrackedRoot()->OpenViewerView();
                                    RECT subBounds{};
                                    GetWindowRect(sub->Window()->Handle(), &subBounds);
                                    SendMouseClick(EntryCentre(POINT{subBounds.left, subBounds.top}, 1));
                                  });
                     });
               });
  });
  EXPECT_FALSE(openBeforeTheDelay);
  EXPECT_GE(openedAt - movedAt, kShowDelay - 50) << "opened after the show delay";
  EXPECT_EQ(Joined(clicked_), L"&Beta");
}

TEST_F(MenuTracking, AClickOutsideClosesTheMenuAndReachesItsWindow) {
  int clicksOnTarget = 0;
  const RECT targetBounds{work_.left + 500, work_.top + 400, work_.left + 600, work_.top + 450};
  TTestWindow target(targetBounds, [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_LBUTTONDOWN) ++clicksOnTarget;
    return std::nullopt;
  });
  RunPopup([&] {
    WhenInLoop([] { return TrackedRoot() != nullptr; },
               [&] {
                 SendMouseClick(POINT{targetBounds.left + 20, targetBounds.top + 20});
               });
  });
  EXPECT_TRUE(clicked_.empty());
  EXPECT_EQ(clicksOnTarget, 1);
}

TEST_F(MenuTracking, TheReleaseOfTheOpeningPressIsIgnoredOnce) {
  const POINT outside{work_.left + 520, work_.top + 420};
  bool openAfterFirstRelease = false;
  bool flagClearedAfterFirstRelease = false;
  RunPopup([&] {
    WhenInLoop([] { return TrackedRoot() != nullptr; },
               [&] {
                 SetCursorPos(outside.x, outside.y);
                 SendButton(false);
                 // Timers come after queued input: this runs once the release was handled.
                 PostInputFromLoop([&] {
                   openAfterFirstRelease = TrackedRoot() != nullptr;
                   flagClearedAfterFirstRelease = TrackedRoot() && !TrackedRoot()->HasState(vsModalPopup);
                   SendButton(false);
                 });
               });
  });
  EXPECT_TRUE(openAfterFirstRelease);
  EXPECT_TRUE(flagClearedAfterFirstRelease);
  EXPECT_TRUE(clicked_.empty());
}

TEST_F(MenuTracking, OwnerMessagesOpenAndCloseMenus) {
  bool subOpened = false;
  bool subClosed = false;
  RunPopup([&] {
    WhenInLoop([] { return TrackedRoot() != nullptr; },
               [&] {
                 EXPECT_TRUE(TrackedRoot()->SetSelected(TrackedRoot()->Find(more_)).Alive());
                 PostThreadMessageW(GetCurrentThreadId(), WM_BAR_OPENSUBMENU, 0, 0);
                 WhenInLoop([] { return TrackedRoot()->OpenViewerView() != nullptr; },
                            [&] {
                              subOpened = true;
                              PostThreadMessageW(GetCurrentThreadId(), WM_BAR_CLOSESUBMENU, 0, 0);
                              WhenInLoop([] { return TrackedRoot()->OpenViewerView() == nullptr; },
                                         [&] {
                                           subClosed = true;
                                           PostThreadMessageW(GetCurrentThreadId(), WM_BAR_CLOSEALLMENUS, 0, 0);
                                         });
                            });
               });
  });
  EXPECT_TRUE(subOpened);
  EXPECT_TRUE(subClosed);
  EXPECT_TRUE(clicked_.empty());
}

namespace {

// A menu bar (a toolbar view in a window of the test program): File (Open, Save), Edit (Cut, Copy), Help.
class MenuBarTracking : public tracked_menu::TrackedMenu {
 protected:
  void SetUp() override {
    TrackedMenu::SetUp();
    file_ = AddEntry(root_, L"&File", isSubmenu);
    AddEntry(file_, L"&Open");
    AddEntry(file_, L"&Save");
    edit_ = AddEntry(root_, L"&Edit", isSubmenu);
    AddEntry(edit_, L"Cu&t");
    AddEntry(edit_, L"&Copy");
    AddEntry(root_, L"&Help");
    barWindow_ =
        std::make_unique<TTestWindow>(RECT{work_.left + 100, work_.top + 300, work_.left + 500, work_.top + 320});
    bar_ = new TBarHostWindow(&owner_, barWindow_->Handle(), RECT{0, 0, 400, 20}, root_, true);
    SetForegroundWindow(frame_->Handle());
    SetActiveWindow(frame_->Handle());
  }
  // Menu mode with File selected, as the menu key enters it.
  void RunMenuMode(const std::function<void()>& input) {
    TBarView* view = bar_->View();
    EXPECT_TRUE(view->SetSelected(view->Find(file_)).Alive());
    RunModalWithInput(input, [&] { EXPECT_TRUE(view->EnterToolbarLoop(false, true, true).Alive()); });
    ProcessPendingMessages();
  }
  POINT BarEntryCentre(int index) const {
    return POINT{work_.left + 100 + index * tracked_menu::kEntrySize.cx + tracked_menu::kEntrySize.cx / 2,
                 work_.top + 310};
  }

  std::unique_ptr<TTestWindow> barWindow_;
  TBarHostWindow* bar_ = nullptr;
  TFixedItem* file_ = nullptr;
  TFixedItem* edit_ = nullptr;
};

}  // namespace

TEST_F(MenuBarTracking, KeysWalkTheBarAndItsMenus) {
  struct TCase {
    std::vector<TStroke> Strokes;
    const wchar_t* Chosen;
  };
  const TCase cases[] = {
      {{K(VK_RETURN)}, L"&Open"},
      {{K(VK_DOWN), K(VK_RETURN)}, L"&Save"},
      {{K(VK_RIGHT), K(VK_RETURN)}, L"Cu&t"},
      {{K(VK_RIGHT), K(VK_LEFT), K(VK_DOWN), K(VK_RETURN)}, L"&Save"},
      {{K(VK_RIGHT), K(VK_RIGHT), K(VK_RETURN)}, L"&Help"},
      {{K(VK_LEFT), K(VK_RETURN)}, L"&Help"},
      // Accelerators belong to the innermost menu: the bar's once File's menu has closed.
      {{C(L'c'), K(VK_ESCAPE), K(VK_ESCAPE)}, L""},
      {{K(VK_ESCAPE), C(L'e'), C(L'c')}, L"&Copy"},
      {{K(VK_ESCAPE), C(L'h')}, L"&Help"},
      {{K(VK_ESCAPE), K(VK_ESCAPE)}, L""},
  };
  for (const TCase& c : cases) {
    clicked_.clear();
    RunMenuMode([&] { PostStrokes(frame_->Handle(), c.Strokes); });
    EXPECT_EQ(Joined(clicked_), c.Chosen) << testing::PrintToString(std::wstring(c.Chosen));
    EXPECT_EQ(bar_->View()->OpenViewerView(), nullptr) << "every menu closed";
    EXPECT_FALSE(bar_->View()->HasState(vsModal));
  }
}

TEST_F(MenuBarTracking, ASpaceOnTheBarOpensTheWindowMenuOfTheActiveWindow) {
  RunMenuMode([&] { PostStrokes(frame_->Handle(), {K(VK_ESCAPE), C(L' ')}); });
  ASSERT_EQ(sysCommands_.size(), 1u);
  EXPECT_EQ(sysCommands_[0] & 0xFFF0, static_cast<WPARAM>(SC_KEYMENU));
  EXPECT_TRUE(clicked_.empty());
}

TEST_F(MenuBarTracking, MovingToAnotherBarEntryOpensItsMenuAtOnce) {
  bool openedWithTheSelection = false;
  RunMenuMode([&] {
    WhenInLoop([] { return TrackedRoot() && TrackedRoot()->OpenViewerView(); },
               [&] {
                 MovePointer(BarEntryCentre(1));
                 WhenInLoop([&] { return bar_->View()->Selected() == bar_->View()->Find(edit_); },
                            [&] {
                              openedWithTheSelection = bar_->View()->OpenViewer() == bar_->View()->Find(edit_);
                              PostStrokes(frame_->Handle(), {K(VK_DOWN), K(VK_DOWN), K(VK_RETURN)});
                            });
               });
  });
  EXPECT_TRUE(openedWithTheSelection);
  EXPECT_EQ(Joined(clicked_), L"&Copy");
}

TEST_F(MenuTracking, TheRightButtonChoosesOnlyWhenItIsTracked) {
  const POINT at = MenuOrigin();
  for (const bool trackRight : {true, false}) {
    clicked_.clear();
    // The escape below may come after this run has ended; it must not end the next one.
    auto running = std::make_shared<bool>(true);
    RunPopup(
        [&] {
          WhenInLoop([] { return TrackedRoot() != nullptr; },
                     [&, running] {
                       SendMouseClick(EntryCentre(at, 1), true);
                       // Timers come after queued input: this runs once the click was handled, if the loop goes on.
                       PostInputFromLoop([this, running] {
                         if (*running) PostKeyPress(frame_->Handle(), VK_ESCAPE);
                       });
                     });
        },
        trackRight);
    *running = false;
    EXPECT_EQ(Joined(clicked_), trackRight ? L"&Save" : L"") << "tracking the right button: " << trackRight;
  }
}

TEST_F(MenuTracking, TheStatusHintFollowsTheSelectedEntry) {
  root_->ItemAt(1)->SetHint(L"Save|Saves the page");
  more_->ItemAt(1)->SetHint(L"|Second letter");
  std::vector<std::wstring> hints;
  auto recordHint = [&] { hints.push_back(Application->Hint()); };
  RunPopup([&] {
    WhenInLoop([] { return TrackedRoot() != nullptr; },
               [&] {
                 recordHint();
                 PostStrokes(frame_->Handle(), {K(VK_DOWN), K(VK_DOWN)});
                 WhenInLoop([] { return TrackedRoot()->Selected() && TrackedRoot()->Selected()->Index() == 1; },
                            [&] {
                              recordHint();
                              PostStrokes(frame_->Handle(), {K(VK_DOWN), K(VK_RIGHT), K(VK_DOWN)});
                              WhenInLoop(
                                  [] {
                                    TBarView* sub = TrackedRoot()->OpenViewerView();
                                    return sub && sub->Selected() && sub->Selected()->Index() == 1;
                                  },
                                  [&] {
                                    recordHint();
                                    PostStrokes(frame_->Handle(), {K(VK_ESCAPE), K(VK_ESCAPE)});
                                  });
                            });
               });
  });
  recordHint();
  const std::vector<std::wstring> expected{L"", L"Saves the page", L"Second letter", L""};
  EXPECT_EQ(hints, expected);
}

TEST_F(MenuTracking, OutsideEventsEndTheTracking) {
  struct TCase {
    const wchar_t* Name;
    std::function<void()> Event;
    bool QuitStaysQueued;
  };
  const TCase cases[] = {
      {L"another window takes the capture",
       [this] {
         SetCapture(frame_->Handle());
         PostMessageW(frame_->Handle(), WM_NULL, 0, 0);
       },
       false},
      {L"the application quits", [] { PostQuitMessage(7); }, true},
  };
  for (const TCase& c : cases) {
    RunPopup([&] {
      WhenInLoop([] { return TrackedRoot() != nullptr; },
                 [&] {
                   PostKeyPress(frame_->Handle(), VK_DOWN);
                   c.Event();
                 });
    });
    if (GetCapture() == frame_->Handle()) ReleaseCapture();
    MSG quit{};
    const bool quitQueued = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    EXPECT_EQ(quitQueued, c.QuitStaysQueued) << testing::PrintToString(std::wstring(c.Name));
    if (quitQueued) {
      EXPECT_EQ(quit.wParam, 7u);
    }
    EXPECT_TRUE(clicked_.empty());
  }
}
