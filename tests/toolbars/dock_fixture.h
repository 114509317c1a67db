// A shown form with a dock on each edge, plain dockable windows of a fixed or content-sized area to put on them,
// and mouse input through the system's queue.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "framework/form.h"
#include "support/modal_input.h"
#include "toolbars/docks/dock.h"
#include "toolbars/docks/dockable_window.h"
#include "toolbars/docks/floating_window_parent.h"

// A dockable window whose client area is Content: the same on every dock, or, when Turns, turned on a left or
// right dock (as a bar of buttons is).
class TPlainBar : public toolbars::TBarCustomDockableWindow {
  BC_CLASS(TPlainBar, toolbars::TBarCustomDockableWindow)
  explicit TPlainBar(TComponent* owner) : TBarCustomDockableWindow(owner) {}

  SIZE Content{60, 20};
  bool Turns = false;
  toolbars::TBarShrinkMode Shrink = toolbars::TBarShrinkMode::tbsmNone;
  int MinShrink = 0;

  TRaised LayoutForDock(bool, toolbars::TBarDockType, SIZE& size, toolbars::TBarDock* dockingTo, bool) override {
    size = Turns && dockingTo && dockingTo->IsVertical() ? SIZE{Content.cy, Content.cx} : Content;
    return TRaised(true);
  }
  TRaised BaseSize(SIZE& size) override {
    return LayoutForDock(false, toolbars::TBarDockType::dtNotDocked, size, CurrentDock(), Floating());
  }
  toolbars::TBarShrinkMode GetShrinkMode() const override { return Shrink; }
  TRaised GetMinShrinkSize(int& size) override {
    size = MinShrink;
    return TRaised(true);
  }
};

class DockFormTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetName(L"DockForm");
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_TRUE(form_->SetBounds(40, 40, 600, 400).Alive());
    form_->SetColor(clWindow);
    static constexpr toolbars::TBarDockPosition positions[] = {
        toolbars::TBarDockPosition::dpTop, toolbars::TBarDockPosition::dpBottom, toolbars::TBarDockPosition::dpLeft,
        toolbars::TBarDockPosition::dpRight};
    static constexpr const wchar_t* names[] = {L"TopDock", L"BottomDock", L"LeftDock", L"RightDock"};
    for (int i = 0; i < 4; ++i) {
      docks_[i] = new toolbars::TBarDock(form_.get());
      docks_[i]->SetName(names[i]);
      EXPECT_TRUE(docks_[i]->SetPosition(positions[i]).Alive());
      EXPECT_TRUE(docks_[i]->SetParent(form_.get()).Alive());
    }
    EXPECT_TRUE(form_->Show().Alive());
    SetForegroundWindow(form_->Handle());
    SetActiveWindow(form_->Handle());
    ProcessPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    ProcessPendingMessages();
  }

  TForm* Form() const { return form_.get(); }
  // Frees the form, its docks and bars with it, as an application's handler may.
  void FreeForm() { form_.reset(); }
  toolbars::TBarDock* Dock(int index) const { return docks_[index]; }
  toolbars::TBarDock* Top() const { return docks_[0]; }
  toolbars::TBarDock* Bottom() const { return docks_[1]; }

  TPlainBar* AddBar(toolbars::TBarDock* dock, SIZE content, int row = 0, int pos = 0, const wchar_t* name = nullptr) {
    auto* bar = new TPlainBar(form_.get());
    if (name) bar->SetName(name);
    bar->Content = content;
    bar->SetHideWhenInactive(false);
    EXPECT_TRUE(bar->SetDockRow(row).Alive());
    EXPECT_TRUE(bar->SetDockPos(pos).Alive());
    if (dock)
      EXPECT_TRUE(bar->SetCurrentDock(dock).Alive());
    else
      EXPECT_TRUE(bar->SetParent(form_.get()).Alive());
    return bar;
  }

  static RECT ScreenRect(HWND wnd) {
    RECT rect{};
    GetWindowRect(wnd, &rect);
    return rect;
  }
  static POINT Centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

 private:
  std::unique_ptr<TForm> form_;
  toolbars::TBarDock* docks_[4] = {};
};

// Presses the left button at from, moves through the points, and releases at the last one, all through the
// system's input queue, one step at a time; the messages are then handled (a drag loop the press starts takes the
// rest). Escape can come before the release, and Ctrl can be held throughout. beforeRelease runs from inside the
// loop, as a timer's code would, once the last move was handled.
void SendMouseDrag(POINT from, std::initializer_list<POINT> path, bool escapeFirst = false, bool holdControl = false,
                   const std::function<void()>& beforeRelease = nullptr);
