// Runs the framework's menu tracking for real inside a test: a pop-up menu of fixed-size entries at a known
// screen place, input posted or sent while the loop runs, polling for states from inside the loop, and the
// entries the user chose, in the order their clicks arrived.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fixed_items.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/test_environment.h"
#include "support/test_window.h"
#include "toolbars/items/item_kinds.h"
#include "toolbars/popups/tracking.h"
#include "toolbars/views/view.h"

namespace tracked_menu {

// Entries measure this much; a pop-up's frame is kFrame on each side.
constexpr SIZE kEntrySize{100, 20};
constexpr int kFrame = 3;

// The root view of the tracking loop now running; null outside it.
inline toolbars::TBarView*& TrackedRoot() {
  static toolbars::TBarView* root = nullptr;
  return root;
}

inline TRaised RecordingLoop(toolbars::TBarView* view, bool startedByMouse, bool menuMode,
                             toolbars::TBarDoneActionData& done, bool trackRightButton, bool selectFirst) {
  toolbars::TBarView* outer = TrackedRoot();
  TrackedRoot() = view;
  try {
    const TRaised tracked = toolbars::TrackingLoop(view, startedByMouse, menuMode, done, trackRightButton, selectFirst);
    TrackedRoot() = outer;
    return tracked;
  } catch (...) {
    TrackedRoot() = outer;
    throw;
  }
}

// Moves the pointer through the system's input queue, so that the loop sees a real mouse move there.
inline void MovePointer(POINT screenPoint) {
  SetCursorPos(screenPoint.x - 1, screenPoint.y);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = 1;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
}

inline void SendButton(bool down, bool rightButton = false) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = rightButton ? (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                                 : (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  SendInput(1, &input, sizeof input);
}

// Polls from inside the running loop until condition holds, then runs then once. Polling stops when it finds no
// tracking running (the run it was meant for has ended).
inline void WhenInLoop(std::function<bool()> condition, std::function<void()> then) {
  PostInputFromLoop(
      [condition, then] {
        if (!TrackedRoot()) return;
        if (condition())
          then();
        else
          WhenInLoop(condition, then);
      },
      10);
}

// The screen point at the centre of entry index of a pop-up whose window lies at origin.
inline POINT EntryCentre(POINT origin, int index) {
  return POINT{origin.x + kFrame + kEntrySize.cx / 2, origin.y + kFrame + index * kEntrySize.cy + kEntrySize.cy / 2};
}

class TrackedMenu : public TEnvironmentTest {
 protected:
  void SetUp() override {
    Environment.SetMenuShowDelay(kShowDelay);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    work_ = work;
    // Away from every menu, so that the pointer selects nothing by itself.
    SetCursorPos(work.right - 2, work.bottom - 2);
    frame_ = std::make_unique<TTestWindow>(RECT{work.left + 10, work.top + 10, work.left + 60, work.top + 40},
                                           [this](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
                                             if (msg == WM_SYSCOMMAND) {
                                               sysCommands_.push_back(wParam);
                                               return 0;
                                             }
                                             return std::nullopt;
                                           });
    // A test before may have left this thread taking the left button for held (its release went to a window of
    // another thread): the menus would read every key as part of a drag. A release captured here sets it right.
    if (GetKeyState(VK_LBUTTON) < 0) {
      SetCapture(frame_->Handle());
      SendMouse(MOUSEEVENTF_LEFTUP);
      EXPECT_TRUE(PumpUntil([] { return GetKeyState(VK_LBUTTON) >= 0; }));
      ReleaseCapture();
    }
    root_ = new toolbars::TBarRootItem(&owner_);
    previousLoop_ = toolbars::SetTrackingLoop(&RecordingLoop);
  }
  void TearDown() override {
    toolbars::SetTrackingLoop(previousLoop_);
    ProcessPendingMessages();
  }

  // An entry that records its clicks; a submenu entry records nothing (it is clicked when it opens).
  bar_host::TFixedItem* AddEntry(toolbars::TBarCustomItem* parent, const wchar_t* caption,
                                 toolbars::TBarItemStyle style = 0) {
    auto* item = new bar_host::TFixedItem(&owner_, kEntrySize, style);
    item->SetCaption(caption);
    if (!(style & toolbars::isSubmenu)) {
      const std::wstring name = caption;
      item->OnClick = TNotifyEvent([this, name](TObject*) { clicked_.push_back(name); });
    }
    parent->Add(item);
    return item;
  }
  POINT MenuOrigin() const { return POINT{work_.left + 200, work_.top + 100}; }

  // Pops the root's menu up at MenuOrigin with the input, and delivers the chosen click afterwards.
  void RunPopup(const std::function<void()>& input, bool trackRightButton = false) {
    const POINT at = MenuOrigin();
    RunModalWithInput(input, [&] { EXPECT_TRUE(root_->Popup(at.x, at.y, trackRightButton).Alive()); });
    ProcessPendingMessages();
  }

  static constexpr DWORD kShowDelay = 300;
  TComponent owner_{nullptr};
  RECT work_{};
  std::unique_ptr<TTestWindow> frame_;
  toolbars::TBarRootItem* root_ = nullptr;
  std::vector<std::wstring> clicked_;
  std::vector<WPARAM> sysCommands_;
  toolbars::TTrackingLoopProc previousLoop_ = nullptr;
};

}  // namespace tracked_menu
