#include <gtest/gtest.h>

#include <memory>

#include "bar_host.h"
#include "fixed_items.h"
#include "support/test_window.h"
#include "toolbars/popups/done_action.h"

using namespace toolbars;
using bar_host::TBarHostWindow;
using bar_host::TFixedItem;

namespace {

// A toolbar at a known screen place; the pointer is moved over its buttons for real, so that the views see it
// where a user's mouse would be.
class ViewerMouse : public testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TTestWindow>(RECT{200, 200, 500, 230});
    root_ = new TBarRootItem(&owner_);
    button_ = new TFixedItem(&owner_, SIZE{40, 20});
    menu_ = new TFixedItem(&owner_, SIZE{40, 20}, isSubmenu);
    menu_->Add(new TFixedItem(&owner_, SIZE{80, 20}));
    disabled_ = new TFixedItem(&owner_, SIZE{40, 20});
    disabled_->SetEnabled(false);
    for (TBarCustomItem* item : {static_cast<TBarCustomItem*>(button_), static_cast<TBarCustomItem*>(menu_),
                                 static_cast<TBarCustomItem*>(disabled_)})
      root_->Add(item);
    bar_ = new TBarHostWindow(&owner_, frame_->Handle(), RECT{0, 0, 300, 30}, root_, true);
    state_.RootView = bar_->View();
    state_.DoneRecord = &done_;
  }
  void TearDown() override { bar_->View()->CloseChildPopups(); }

  // Puts the pointer over the item and selects it as the tracking would.
  TBarItemViewer* PointAt(TBarCustomItem* item) {
    TBarItemViewer* viewer = bar_->View()->Find(item);
    POINT centre{(viewer->BoundsRect().left + viewer->BoundsRect().right) / 2,
                 (viewer->BoundsRect().top + viewer->BoundsRect().bottom) / 2};
    ClientToScreen(bar_->Handle(), &centre);
    SetCursorPos(centre.x, centre.y);
    // The views read the pointer from the last message's position.
    PostMessageW(frame_->Handle(), WM_NULL, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    bar_->View()->IncludeState(vsModal);
    EXPECT_TRUE(bar_->View()->UpdateSelection(&centre, true).Alive());
    return viewer;
  }

  TComponent owner_{nullptr};
  std::unique_ptr<TTestWindow> frame_;
  TBarCustomItem* root_ = nullptr;
  TFixedItem* button_ = nullptr;
  TFixedItem* menu_ = nullptr;
  TFixedItem* disabled_ = nullptr;
  TBarHostWindow* bar_ = nullptr;
  TBarDoneActionData done_;
  TBarTrackingState state_;
};

}  // namespace

TEST_F(ViewerMouse, PressAndReleaseOnAButtonClicksItWithoutTheMenuSound) {
  TBarItemViewer* viewer = PointAt(button_);
  ASSERT_EQ(bar_->View()->Selected(), viewer);
  EXPECT_TRUE(bar_->View()->MouseOverSelected());
  EXPECT_TRUE(viewer->MouseDown({}, 5, 5, state_).Alive());
  EXPECT_TRUE(bar_->View()->MouseButtonDown());
  EXPECT_FALSE(state_.Done);
  EXPECT_TRUE(viewer->MouseUp(5, 5, state_).Alive());
  EXPECT_FALSE(bar_->View()->MouseButtonDown());
  EXPECT_TRUE(state_.Done);
  EXPECT_EQ(done_.Kind, TBarDoneActionKind::tbdaClickItem);
  EXPECT_EQ(done_.ClickItem, button_);
  EXPECT_EQ(done_.Flag, 0u) << "a plain toolbar button plays no menu sound";
}

TEST_F(ViewerMouse, AReleaseWithoutAPressOnAButtonDoesNothing) {
  TBarItemViewer* viewer = PointAt(button_);
  EXPECT_TRUE(viewer->MouseUp(5, 5, state_).Alive());
  EXPECT_FALSE(state_.Done);
  EXPECT_EQ(done_.Kind, TBarDoneActionKind::tbdaNone);
}

TEST_F(ViewerMouse, PressOnASubmenuOpensItAndASecondPressClosesOnRelease) {
  TBarItemViewer* viewer = PointAt(menu_);
  EXPECT_TRUE(viewer->MouseDown({}, 5, 5, state_).Alive());
  ASSERT_NE(bar_->View()->OpenViewerView(), nullptr);
  EXPECT_TRUE(bar_->View()->HasState(vsKeyMode)) << "the toolbar is in menu mode";
  EXPECT_FALSE(state_.Again);
  EXPECT_TRUE(viewer->MouseUp(5, 5, state_).Alive());
  EXPECT_FALSE(state_.Done) << "the release of the opening press leaves the menu open";
  EXPECT_TRUE(viewer->MouseDown({}, 5, 5, state_).Alive());
  EXPECT_TRUE(state_.Again);
  EXPECT_TRUE(viewer->MouseUp(5, 5, state_).Alive());
  EXPECT_TRUE(state_.Done);
}

TEST_F(ViewerMouse, PressOnADisabledToolbarButtonEndsTheTracking) {
  TBarItemViewer* viewer = bar_->View()->Find(disabled_);
  EXPECT_TRUE(viewer->MouseDown({}, 5, 5, state_).Alive());
  EXPECT_TRUE(state_.Done);
  EXPECT_EQ(done_.Kind, TBarDoneActionKind::tbdaNone);
}
