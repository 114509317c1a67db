#include <gtest/gtest.h>

#include "dock_fixture.h"

using namespace toolbars;

namespace {

class DockDragging : public DockFormTest, public testing::WithParamInterface<bool> {
 protected:
  TPlainBar* DraggedBar() {
    TPlainBar* bar = AddBar(Top(), SIZE{80, 20}, 0, 0, L"DraggedBar");
    bar->SetSmoothDrag(GetParam());
    AddBar(Top(), SIZE{80, 20}, 0, 200);
    ProcessPendingMessages();
    return bar;
  }
  // A point on the drag handle of a docked bar.
  static POINT Handle(TPlainBar* bar) {
    RECT rect = ScreenRect(bar->Handle());
    return POINT{rect.left + 3, (rect.top + rect.bottom) / 2};
  }
};

}  // namespace

TEST_P(DockDragging, FromOneDockToAnotherAndToFloating) {
  TPlainBar* bar = DraggedBar();
  HWND wnd = bar->Handle();
  POINT from = Handle(bar);
  RECT bottom = ScreenRect(Bottom()->Handle());
  POINT into{bottom.left + 60, bottom.top - 2};
  SendMouseDrag(from, {POINT{from.x + 5, from.y + 40}, POINT{into.x, into.y - 20}, into});
  EXPECT_EQ(bar->CurrentDock(), Bottom());
  EXPECT_EQ(bar->Handle(), wnd);
  EXPECT_EQ(Top()->ToolbarCount(), 1);
  EXPECT_EQ(Bottom()->ToolbarCount(), 1);
  EXPECT_EQ(bar->LastDock(), Bottom());
  EXPECT_EQ(GetCapture(), nullptr);

  RECT form = ScreenRect(Form()->Handle());
  POINT middle = Centre(form);
  from = Handle(bar);
  SendMouseDrag(from, {POINT{from.x, from.y - 50}, middle});
  ASSERT_TRUE(bar->Floating());
  // The grab point keeps its place in the frame: the press was 3 pixels into the handle.
  RECT frame = ScreenRect(bar->FloatParent()->Handle());
  EXPECT_LE(std::abs(frame.left - (middle.x - 3)), 3);
  EXPECT_EQ(bar->LastDock(), Bottom());
  EXPECT_EQ(Bottom()->ToolbarCount(), 0);

  // Back by the caption of the floating frame into the left dock.
  RECT caption = bar->FloatParent()->CaptionRect(true, true);
  POINT grip{frame.left + caption.left + 5, frame.top + caption.top + 3};
  RECT left = ScreenRect(Dock(2)->Handle());
  SendMouseDrag(grip, {POINT{left.left + 30, grip.y}, POINT{left.left + 4, form.top + 100}});
  EXPECT_EQ(bar->CurrentDock(), Dock(2));
  EXPECT_EQ(bar->Handle(), wnd);
  EXPECT_EQ(bar->FloatParent(), nullptr);
}

TEST_P(DockDragging, EscapeCancels) {
  TPlainBar* bar = DraggedBar();
  POINT from = Handle(bar);
  RECT form = ScreenRect(Form()->Handle());
  SendMouseDrag(from, {POINT{from.x + 20, from.y + 10}, Centre(form)}, true);
  if (GetParam()) {
    // A smooth drag keeps what it reached.
    EXPECT_TRUE(bar->Floating());
  } else {
    EXPECT_EQ(bar->CurrentDock(), Top());
    EXPECT_EQ(bar->Left(), 0);
  }
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_P(DockDragging, WithControlHeldTheWindowNeverDocks) {
  TPlainBar* bar = DraggedBar();
  POINT from = Handle(bar);
  RECT bottom = ScreenRect(Bottom()->Handle());
  POINT into{bottom.left + 60, bottom.top - 2};
  SendMouseDrag(from, {POINT{from.x + 5, from.y + 40}, into}, false, true);
  EXPECT_TRUE(bar->Floating());
  EXPECT_EQ(Bottom()->ToolbarCount(), 0);
}

TEST_P(DockDragging, AWindowThatCannotFloatStaysDocked) {
  TPlainBar* bar = DraggedBar();
  bar->SetDockMode(TBarDockMode::dmCannotFloat);
  POINT from = Handle(bar);
  RECT form = ScreenRect(Form()->Handle());
  SendMouseDrag(from, {POINT{from.x + 20, from.y + 60}, Centre(form)});
  EXPECT_FALSE(bar->Floating());
  EXPECT_EQ(bar->CurrentDock(), Top());
}

TEST_P(DockDragging, DroppingOnARowsEdgeMakesANewRow) {
  TPlainBar* bar = DraggedBar();
  TPlainBar* second = AddBar(Top(), SIZE{80, 20}, 1, 0);
  ProcessPendingMessages();
  ASSERT_EQ(second->EffectiveDockRow(), 1);
  int rowHeight = bar->Height();
  // The middle of the next row joins it.
  POINT from = Handle(bar);
  SendMouseDrag(from, {POINT{from.x + 150, from.y + 5}, POINT{from.x + 150, from.y + rowHeight}});
  EXPECT_EQ(bar->EffectiveDockRow(), 1);
  EXPECT_EQ(second->EffectiveDockRow(), 1);
}

INSTANTIATE_TEST_SUITE_P(SmoothAndOutlined, DockDragging, testing::Bool());

TEST_F(DockFormTest, FloatingOutlineStaysBelowTheWorkAreaTop) {
  TPlainBar* bar = AddBar(Top(), SIZE{80, 20});
  EXPECT_TRUE(bar->PlaceFloating(POINT{200, 200}).Alive());
  EXPECT_TRUE(bar->FloatOrDock(true).Alive());
  ProcessPendingMessages();
  RECT frame = ScreenRect(bar->FloatParent()->Handle());
  RECT caption = bar->FloatParent()->CaptionRect(true, true);
  POINT grip{frame.left + caption.left + 5, frame.top + caption.top + 3};
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SendMouseDrag(grip, {POINT{grip.x, grip.y - 100}, POINT{grip.x + 20, work.top + 2}});
  POINT client = bar->ClientToScreen(POINT{0, 0});
  EXPECT_GE(client.y, work.top + 4);
}
