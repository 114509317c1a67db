// A submenu button of a docked toolbar whose handlers free the button, its bar, its dock or the form, raised by a
// real click, a real mouse move, a timer while its menu is open, or the update of an entry's action as the menu is
// made: nothing freed is touched again, and no menu stays open on what went. The bars and items are made under guarded allocations, so that a touch faults.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "dock_fixture.h"
#include "fixed_items.h"
#include "framework/actions.h"
#include "framework/image.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/test_environment.h"
#include "toolbars/bars/toolbar.h"
#include "toolbars/items/item_memory.h"
#include "tracked_menu.h"

using namespace toolbars;
using bar_host::TFixedItem;
using tracked_menu::MovePointer;
using tracked_menu::TrackedRoot;
using tracked_menu::WhenInLoop;

namespace {

// What raises the handler that frees.
enum class TRaise { Popup, Click, SelectByMove, TimerWhileOpen, EntryActionUpdate };
// What it frees.
enum class TFrees { Button, Bar, Dock, Form };

const char* const kFreedNames[] = {"TheButton", "TheBar", "TheDock", "TheForm"};

struct TCase {
  TRaise Raise;
  TFrees Frees;
};

std::string Named(const testing::TestParamInfo<TCase>& info) {
  static const char* const raises[] = {"OnPopup", "OnClick", "OnSelectByAMove", "ATimerWhileItsMenuIsOpen",
                                       "OnUpdateOfAnEntrysActionAsItsMenuIsMade"};
  return std::string(raises[static_cast<int>(info.param.Raise)]) + "Frees" +
         kFreedNames[static_cast<int>(info.param.Frees)];
}

// The dock form, with the tracking loop that records its root, and no menu left open at the end.
class TrackedDockFormTest : public DockFormTest {
 protected:
  void SetUp() override {
    DockFormTest::SetUp();
    previousLoop_ = SetTrackingLoop(&tracked_menu::RecordingLoop);
  }
  void TearDown() override {
    PostThreadMessageW(GetCurrentThreadId(), WM_BAR_CLOSEALLMENUS, 0, 0);
    ProcessPendingMessages();
    SetTrackingLoop(previousLoop_);
    DockFormTest::TearDown();
  }

 private:
  TTrackingLoopProc previousLoop_ = nullptr;
};

class ToolbarHandlersThatFree : public TrackedDockFormTest, public testing::WithParamInterface<TCase> {
 protected:
  void SetUp() override {
    TrackedDockFormTest::SetUp();
    environment_.SetMenuShowDelay(300);
  }
  void TearDown() override {
    environment_.Restore();
    TrackedDockFormTest::TearDown();
  }

  // A docked bar with a plain button and the submenu button "&File" over Open and Save.
  void Build() {
    bar_ = new TBarCustomToolbar(Form());
    bar_->SetHideWhenInactive(false);
    auto* plain = new TFixedItem(Form(), SIZE{30, 20});
    bar_->Items()->Add(plain);
    file_ = new TFixedItem(Form(), SIZE{40, 20}, isSubmenu);
    file_->SetCaption(L"&File");
    bar_->Items()->Add(file_);
    for (const wchar_t* caption : {L"&Open", L"&Save"}) {
      auto* entry = new TFixedItem(Form(), SIZE{80, 20});
      entry->SetCaption(caption);
      file_->Add(entry);
    }
    dock_ = Top();
    EXPECT_TRUE(bar_->SetCurrentDock(dock_).Alive());
    ProcessPendingMessages();
  }
  void Free(TFrees what) {
    freed_ = true;
    switch (what) {
      case TFrees::Button:
        delete std::exchange(file_, nullptr);
        break;
      case TFrees::Bar:
        delete std::exchange(bar_, nullptr);
        break;
      case TFrees::Dock:
        delete std::exchange(dock_, nullptr);
        break;
      case TFrees::Form:
        FreeForm();
        break;
    }
  }
  POINT FileCentre() const {
    const RECT r = bar_->View()->Find(file_)->BoundsRect();
    const POINT origin = bar_->ClientOrigin();
    return POINT{origin.x + (r.left + r.right) / 2, origin.y + (r.top + r.bottom) / 2};
  }
  // Serves the thread's messages until the handler has freed and no menu is tracked.
  bool SettleAfterFreeing() {
    return PumpUntil([this] { return freed_ && TrackedRoot() == nullptr; }, 3000);
  }

  TTestEnvironment environment_;
  TBarCustomToolbar* bar_ = nullptr;
  TFixedItem* file_ = nullptr;
  TBarDock* dock_ = nullptr;
  bool freed_ = false;
};

TEST_P(ToolbarHandlersThatFree, NothingFreedIsTouchedAgain) {
  const TCase c = GetParam();
  TGuardedAllocations guard;
  Build();
  const POINT at = FileCentre();
  switch (c.Raise) {
    case TRaise::Popup:
      file_->OnPopup = [this, c](TBarCustomItem*, bool) { Free(c.Frees); };
      break;
    case TRaise::Click:
      file_->OnClick = [this, c](TObject*) { Free(c.Frees); };
      break;
    case TRaise::SelectByMove:
      file_->OnSelect = [this, c](TBarCustomItem*, TBarItemViewer*, bool selecting) {
        if (selecting && !freed_) Free(c.Frees);
      };
      break;
    case TRaise::TimerWhileOpen:
      break;
    case TRaise::EntryActionUpdate: {
      auto* action = new TAction(Form());
      action->SetOnUpdate([this, c](TObject*) {
        if (!freed_) Free(c.Frees);
      });
      file_->ItemAt(0)->SetAction(action);
      break;
    }
  }
  bool ended = false;
  if (c.Raise == TRaise::SelectByMove) {
    MovePointer(POINT{at.x - 30, at.y});
    ProcessPendingMessages();
    MovePointer(at);
    ended = SettleAfterFreeing();
  } else {
    ended = RunModalWithInput(
        [&] {
          // The favourites bar rebuilt while its menu is open: from a timer inside the menu's loop.
          // A bar that stays keeps tracking once the freed button's menu has closed, as a menu bar does.
          if (c.Raise == TRaise::TimerWhileOpen)
            WhenInLoop([] { return TrackedRoot()->OpenViewer() != nullptr; },
                       [&] {
                         Free(c.Frees);
                         WhenInLoop([] { return TrackedRoot()->OpenViewer() == nullptr; },
                                    [] { PostThreadMessageW(GetCurrentThreadId(), WM_BAR_CLOSEALLMENUS, 0, 0); });
                       });
        },
        [&] {
          SendMouseClick(at);
          ended = SettleAfterFreeing();
        });
    ended = ended && freed_;
  }
  EXPECT_TRUE(ended) << "the handler freed and no menu stays open";
  // What is left goes on: the form paints and takes a click where the button was.
  if (Form()) {
    RedrawWindow(Form()->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ProcessPendingMessages();
  }
  SetCursorPos(0, 0);
}

constexpr TCase kCases[] = {
    {TRaise::Popup, TFrees::Button},
    {TRaise::Popup, TFrees::Bar},
    {TRaise::Popup, TFrees::Dock},
    {TRaise::Popup, TFrees::Form},
    {TRaise::Click, TFrees::Button},
    {TRaise::Click, TFrees::Bar},
    {TRaise::Click, TFrees::Dock},
    {TRaise::Click, TFrees::Form},
    {TRaise::SelectByMove, TFrees::Bar},
    {TRaise::SelectByMove, TFrees::Form},
    {TRaise::TimerWhileOpen, TFrees::Button},
    {TRaise::TimerWhileOpen, TFrees::Bar},
    {TRaise::TimerWhileOpen, TFrees::Dock},
    {TRaise::TimerWhileOpen, TFrees::Form},
    {TRaise::EntryActionUpdate, TFrees::Button},
    {TRaise::EntryActionUpdate, TFrees::Bar},
    {TRaise::EntryActionUpdate, TFrees::Dock},
    {TRaise::EntryActionUpdate, TFrees::Form},
};

INSTANTIATE_TEST_SUITE_P(Cases, ToolbarHandlersThatFree, testing::ValuesIn(kCases), Named);

// What lays a bar out while it or a control on it has a handler that frees: EndUpdate on a bar not on screen,
// which lays out at once, the button before the control taken off such a bar, the items of a docked bar on a
// hidden form cleared (the bar shrinks), or the start of the tracking on a shown bar whose layout still waits for
// the thread's next message.
enum class TLayoutStep { EndUpdateOffScreen, ButtonRemovedOffScreen, ClearedOnAHiddenForm, TrackingStarts };

struct TLayoutCase {
  TLayoutStep Step;
  TFrees Frees;
};

std::string LayoutNamed(const testing::TestParamInfo<TLayoutCase>& info) {
  static const char* const steps[] = {"EndUpdateOffScreen", "AButtonRemovedOffScreen", "ClearedOnAHiddenForm",
                                      "TheTrackingStarts"};
  return std::string(steps[static_cast<int>(info.param.Step)]) + "Frees" +
         kFreedNames[static_cast<int>(info.param.Frees)];
}

class ToolbarLayoutHandlersThatFree : public TrackedDockFormTest, public testing::WithParamInterface<TLayoutCase> {
 protected:
  void SetUp() override {
    TrackedDockFormTest::SetUp();
    // Items take memory of their own; guarded too, a freed item faults when touched.
    SetGuardFreedItemBlocks(true);
  }
  void TearDown() override {
    TrackedDockFormTest::TearDown();
    SetGuardFreedItemBlocks(false);
  }
};

// The control's OnCanResize, raised as a button put before it (or taken away) moves it, or the bar's as it
// shrinks, frees the bar or the form: the caller hears that the bar went, and the tracking lets the mouse go. Made
// under guarded allocations, so that a touch faults.
TEST_P(ToolbarLayoutHandlersThatFree, TheCallerHearsThatTheBarWent) {
  const TLayoutCase c = GetParam();
  TGuardedAllocations guard;
  TBarCustomToolbar* bar = new TBarCustomToolbar(Form());
  bar->SetHideWhenInactive(false);
  bar->Items()->Add(new TFixedItem(Form(), SIZE{30, 20}));
  auto* image = new TImage(Form());
  EXPECT_TRUE(image->SetBounds(0, 0, 40, 20).Alive());
  EXPECT_TRUE(image->SetParent(bar).Alive());
  const bool docked = c.Step == TLayoutStep::TrackingStarts || c.Step == TLayoutStep::ClearedOnAHiddenForm;
  if (docked) {
    EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
  }
  ProcessPendingMessages();
  if (c.Step == TLayoutStep::ClearedOnAHiddenForm) {
    EXPECT_TRUE(Form()->Hide().Alive());
  }
  const int placed = image->Left();
  bool freed = false;
  const TCanResizeEvent free = [&](TObject*, int&, int&, bool&) {
    if (std::exchange(freed, true)) return;
    if (c.Frees == TFrees::Form)
      FreeForm();
    else
      delete std::exchange(bar, nullptr);
  };
  image->OnCanResize = free;
  bar->OnCanResize = free;
  TRaised answer(true);
  if (c.Step == TLayoutStep::EndUpdateOffScreen) {
    bar->BeginUpdate();
    bar->Items()->Insert(0, new TFixedItem(Form(), SIZE{30, 20}));
    answer = bar->EndUpdate();
  } else if (c.Step == TLayoutStep::ButtonRemovedOffScreen || c.Step == TLayoutStep::ClearedOnAHiddenForm) {
    const TLifeWatch barLife = bar->LifeWatch();
    if (c.Step == TLayoutStep::ClearedOnAHiddenForm)
      bar->Items()->Clear();
    else
      bar->Items()->Delete(0);
    answer = TRaised(!barLife.Ended());
  } else {
    bar->Items()->Insert(0, new TFixedItem(Form(), SIZE{30, 20}));
    EXPECT_EQ(image->Left(), placed) << "the layout waits";
    // A tracking the handler did not end is ended from its loop, and the test fails.
    RunModalWithInput([] { PostThreadMessageW(GetCurrentThreadId(), WM_BAR_CLOSEALLMENUS, 0, 0); },
                      [&] { answer = bar->View()->EnterToolbarLoop(false, true, false); });
  }
  EXPECT_TRUE(freed) << "the handler did not run";
  EXPECT_TRUE(answer.Gone());
  EXPECT_EQ(TrackedRoot(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr) << "the mouse is let go";
  ProcessPendingMessages();
  if (Form()) {
    RedrawWindow(Form()->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ProcessPendingMessages();
  }
}

constexpr TLayoutCase kLayoutCases[] = {
    {TLayoutStep::EndUpdateOffScreen, TFrees::Bar},
    {TLayoutStep::EndUpdateOffScreen, TFrees::Form},
    {TLayoutStep::ButtonRemovedOffScreen, TFrees::Bar},
    {TLayoutStep::ButtonRemovedOffScreen, TFrees::Form},
    {TLayoutStep::ClearedOnAHiddenForm, TFrees::Bar},
    {TLayoutStep::ClearedOnAHiddenForm, TFrees::Form},
    {TLayoutStep::TrackingStarts, TFrees::Bar},
    {TLayoutStep::TrackingStarts, TFrees::Form},
};

INSTANTIATE_TEST_SUITE_P(Cases, ToolbarLayoutHandlersThatFree, testing::ValuesIn(kLayoutCases), LayoutNamed);

}  // namespace
