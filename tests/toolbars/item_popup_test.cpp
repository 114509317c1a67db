#include <gtest/gtest.h>

#include <memory>

#include "bar_host.h"
#include "fixed_items.h"
#include "support/test_window.h"
#include "toolbars/popups/done_action.h"
#include "toolbars/popups/popup_window_base.h"

using namespace toolbars;
using bar_host::TBarHostWindow;
using bar_host::TFixedItem;

namespace {

// The frame of the framework's pop-up windows on each side.
constexpr int kFrame = 3;

RECT WorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT BoundsOf(TWinControl* window) {
  RECT r{};
  GetWindowRect(window->Handle(), &r);
  return r;
}

// A menu bar in a window of its own at a screen position, with one item whose submenu holds rows of a known
// size (and optionally a submenu of its own).
class ItemPopups : public testing::Test {
 protected:
  void MakeBar(RECT screenBounds, bool vertical = false) {
    frame_ = std::make_unique<TTestWindow>(screenBounds);
    root_ = new TBarRootItem(&owner_);
    menu_ = new TFixedItem(&owner_, SIZE{40, 20}, isSubmenu);
    root_->Add(menu_);
    for (int i = 0; i < 4; ++i) menu_->Add(new TFixedItem(&owner_, SIZE{100, 20}));
    deeper_ = new TFixedItem(&owner_, SIZE{100, 20}, isSubmenu);
    menu_->Add(deeper_);
    for (int i = 0; i < 3; ++i) deeper_->Add(new TFixedItem(&owner_, SIZE{120, 20}));
    innermost_ = new TFixedItem(&owner_, SIZE{100, 20}, isSubmenu);
    deeper_->Add(innermost_);
    innermost_->Add(new TFixedItem(&owner_, SIZE{110, 20}));
    const RECT local{0, 0, screenBounds.right - screenBounds.left, screenBounds.bottom - screenBounds.top};
    bar_ = new TBarHostWindow(&owner_, frame_->Handle(), local, root_, true);
    if (vertical) {
      bar_->View()->SetOrientation(TBarViewOrientation::tbvoVertical);
      EXPECT_TRUE(bar_->View()->UpdatePositions().Alive());
    }
  }
  TBarView* OpenMenu() {
    TBarView* view = bar_->View();
    EXPECT_TRUE(view->SetSelected(view->Find(menu_)).Alive());
    EXPECT_TRUE(view->OpenChildPopup(false).Alive());
    return view->OpenViewerView();
  }
  TBarView* OpenSubmenu(TBarView* parent, TBarCustomItem* item) {
    EXPECT_TRUE(parent->SetSelected(parent->Find(item)).Alive());
    EXPECT_TRUE(parent->OpenChildPopup(false).Alive());
    return parent->OpenViewerView();
  }
  RECT ItemRect(TBarView* view, TBarCustomItem* item) {
    RECT r = view->Find(item)->BoundsRect();
    MapWindowPoints(view->Window()->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  void TearDown() override {
    if (bar_) bar_->View()->CloseChildPopups();
  }

  TComponent owner_{nullptr};
  std::unique_ptr<TTestWindow> frame_;
  TBarCustomItem* root_ = nullptr;
  TFixedItem* menu_ = nullptr;
  TFixedItem* deeper_ = nullptr;
  TFixedItem* innermost_ = nullptr;
  TBarHostWindow* bar_ = nullptr;
};

}  // namespace

TEST_F(ItemPopups, DropDownOpensBelowItsItemWithTheFrameAround) {
  const RECT work = WorkArea();
  MakeBar(RECT{work.left + 100, work.top + 200, work.left + 400, work.top + 220});
  TBarView* popup = OpenMenu();
  ASSERT_NE(popup, nullptr);
  const RECT item = ItemRect(bar_->View(), menu_);
  const RECT bounds = BoundsOf(popup->Window());
  EXPECT_EQ(bounds.left, item.left);
  EXPECT_EQ(bounds.top, item.bottom);
  EXPECT_EQ(bounds.right - bounds.left, 100 + 2 * kFrame);
  EXPECT_EQ(bounds.bottom - bounds.top, 5 * 20 + 2 * kFrame);
  EXPECT_EQ(static_cast<TBarPopupWindowBase*>(popup->Window())->AnimateDirection(), adDown);
  EXPECT_TRUE(IsWindowVisible(popup->Window()->Handle()));
  EXPECT_NE(GetActiveWindow(), popup->Window()->Handle()) << "a pop-up never takes the activation";
  EXPECT_EQ(bar_->View()->OpenViewer(), bar_->View()->Find(menu_));
  // Submenus open beside their row, overlapping the frame.
  TBarView* sub = OpenSubmenu(popup, deeper_);
  const RECT row = ItemRect(popup, deeper_);
  const RECT subBounds = BoundsOf(sub->Window());
  EXPECT_EQ(subBounds.left, row.right - kFrame);
  EXPECT_EQ(subBounds.top, row.top - kFrame);
  EXPECT_EQ(static_cast<TBarPopupWindowBase*>(sub->Window())->AnimateDirection(), adRight);
  bar_->View()->CloseChildPopups();
  EXPECT_EQ(bar_->View()->OpenViewerView(), nullptr);
}

TEST_F(ItemPopups, DropDownAtTheBottomOfTheWorkAreaOpensAbove) {
  const RECT work = WorkArea();
  MakeBar(RECT{work.left + 100, work.bottom - 20, work.left + 400, work.bottom});
  TBarView* popup = OpenMenu();
  const RECT item = ItemRect(bar_->View(), menu_);
  const RECT bounds = BoundsOf(popup->Window());
  EXPECT_EQ(bounds.bottom, item.top);
  EXPECT_EQ(bounds.left, item.left);
  EXPECT_EQ(static_cast<TBarPopupWindowBase*>(popup->Window())->AnimateDirection(), adUp);
}

TEST_F(ItemPopups, SubmenusThatDoNotFitOpenOnTheLeftAndKeepGoingLeft) {
  const RECT work = WorkArea();
  // The bar's item sits so that its menu reaches the right edge of the work area.
  MakeBar(RECT{work.right - 60, work.top + 100, work.right - 10, work.top + 120});
  TBarView* popup = OpenMenu();
  const RECT menuBounds = BoundsOf(popup->Window());
  EXPECT_EQ(menuBounds.right, work.right) << "pushed inside the work area";
  TBarView* sub = OpenSubmenu(popup, deeper_);
  const RECT row = ItemRect(popup, deeper_);
  const RECT subBounds = BoundsOf(sub->Window());
  EXPECT_EQ(subBounds.right, row.left + kFrame) << "opened on the left";
  EXPECT_TRUE(sub->HasState(vsOppositePopup));
  EXPECT_EQ(static_cast<TBarPopupWindowBase*>(sub->Window())->AnimateDirection(), adLeft);
  TBarView* innermost = OpenSubmenu(sub, innermost_);
  const RECT innerRow = ItemRect(sub, innermost_);
  EXPECT_EQ(BoundsOf(innermost->Window()).right, innerRow.left + kFrame)
      << "deeper submenus continue on the left although the right would fit";
}

TEST_F(ItemPopups, ASubmenuFittingNeitherSideStaysInsideTheWorkArea) {
  const RECT work = WorkArea();
  const TBarPopupPositionRec start = [&] {
    TBarPopupPositionRec rec;
    rec.PositionAsSubmenu = true;
    rec.Opposite = true;
    rec.MonitorRect = RECT{work.left, work.top, work.left + 250, work.bottom};
    rec.ParentItemRect = RECT{work.left + 20, work.top + 50, work.left + 200, work.top + 70};
    rec.NCSizeX = rec.NCSizeY = 3;
    rec.W = 220;
    rec.H = 60;
    rec.X = rec.ParentItemRect.right - 3;
    rec.Y = rec.ParentItemRect.top - 3;
    return rec;
  }();
  TBarCustomItem item(nullptr);
  TBarPopupPositionRec rec = start;
  item.GetPopupPosition(nullptr, nullptr, rec);
  EXPECT_FALSE(rec.Opposite) << "the left side did not fit, so the side is chosen again";
  EXPECT_GE(rec.X, work.left);
  EXPECT_EQ(rec.Y, start.Y);
}

TEST_F(ItemPopups, PointPopupsStayOnTheWorkArea) {
  const RECT work = WorkArea();
  TBarCustomItem item(nullptr);
  struct TCase {
    POINT Point;
    TBarPopupAlignment Alignment;
    int ExpectedX;  // relative to the point
    int ExpectedY;
  };
  const int w = 120;
  const int h = 80;
  const TCase cases[] = {
      // Right-aligned near the left edge: opens to the right of the point.
      {{work.left + 10, work.top + 100}, TBarPopupAlignment::tbpaRight, 0, 0},
      // Left-aligned near the right edge: opens to the left of the point.
      {{work.right - 10, work.top + 100}, TBarPopupAlignment::tbpaLeft, -w, 0},
      // Near the bottom: above the point.
      {{work.left + 300, work.bottom - 10}, TBarPopupAlignment::tbpaLeft, 0, -h},
      {{work.left + 300, work.top + 100}, TBarPopupAlignment::tbpaCenter, -w / 2, 0},
  };
  for (const TCase& c : cases) {
    TBarPopupPositionRec rec;
    rec.Alignment = c.Alignment;
    rec.MonitorRect = work;
    rec.ParentItemRect = RECT{c.Point.x, c.Point.y, c.Point.x, c.Point.y};
    rec.W = w;
    rec.H = h;
    rec.X = c.Point.x - (c.Alignment == TBarPopupAlignment::tbpaRight    ? w
                         : c.Alignment == TBarPopupAlignment::tbpaCenter ? w / 2
                                                                         : 0);
    rec.Y = c.Point.y;
    item.GetPopupPosition(nullptr, nullptr, rec);
    EXPECT_EQ(rec.X - c.Point.x, c.ExpectedX) << c.Point.x << "," << c.Point.y;
    EXPECT_EQ(rec.Y - c.Point.y, c.ExpectedY) << c.Point.x << "," << c.Point.y;
  }
}

TEST_F(ItemPopups, RoomOfAPopupIsMeasuredOnItsOwnMonitor) {
  const RECT work = WorkArea();
  MakeBar(RECT{work.left + 100, work.top + 520, work.left + 400, work.top + 540});
  // A monitor whose top lies above the item: the item's 40 pixels below that top leave less room.
  const RECT monitor{work.left, work.top + 500, work.left + 1024, work.top + 1268};
  bar_->View()->SetMonitorRect(monitor);
  TBarView* popup = OpenMenu();
  EXPECT_EQ(popup->MaxHeight(), 768 - 2 * kFrame - 40);
  bar_->View()->CloseChildPopups();
  bar_->View()->SetMonitorRect(RECT{});
  popup = OpenMenu();
  EXPECT_EQ(popup->MaxHeight(), (work.bottom - work.top) - 2 * kFrame)
      << "an item far from the top leaves the whole height";
}

namespace {

TBarCustomItem* chosenItem = nullptr;
bool loopSawWindow = false;

TRaised ChooseInLoop(TBarView* view, bool, bool, TBarDoneActionData& done, bool, bool) {
  loopSawWindow = view->Window() && IsWindowVisible(view->Window()->Handle());
  BlockSubmenus = true;
  done.Kind = TBarDoneActionKind::tbdaClickItem;
  done.ClickItem = chosenItem;
  done.ClickItemLife = chosenItem ? chosenItem->LifeWatch() : TLifeWatch();
  return TRaised(true);
}

}  // namespace

TEST_F(ItemPopups, AModalPopupsClickRunsAfterItReturned) {
  TBarRootItem root(nullptr);
  auto* command = new TFixedItem(&owner_);
  root.Add(command);
  int clicks = 0;
  command->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
  chosenItem = command;
  const TTrackingLoopProc previous = SetTrackingLoop(&ChooseInLoop);
  const RECT work = WorkArea();
  EXPECT_TRUE(root.Popup(work.left + 50, work.top + 50, false).Alive());
  SetTrackingLoop(previous);
  EXPECT_TRUE(loopSawWindow);
  EXPECT_EQ(clicks, 0) << "not inside the menu";
  EXPECT_FALSE(BlockSubmenus) << "cleared after every modal pop-up";
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(clicks, 1);
  root.Remove(command);
  delete command;
}
