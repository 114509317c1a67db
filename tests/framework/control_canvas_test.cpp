// A control's canvas outside painting: the DC of the control's window, or of the parent's window moved and clipped
// to a windowless control, given back once the window has handled a message.
#include <gtest/gtest.h>

#include "control_fixtures.h"

using ControlCanvas = ControlTest;

TEST_F(ControlCanvas, WindowlessControlDrawsOnItsPartOfTheParent) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* graphic = Make<TTestGraphic>(panel, {20, 30, 70, 60});
  EXPECT_TRUE(Form()->Show().Alive());

  HDC dc = graphic->Canvas()->Handle();
  EXPECT_EQ(WindowFromDC(dc), panel->Handle());
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 20);
  EXPECT_EQ(origin.y, 30);
  RECT clip{};
  GetClipBox(dc, &clip);
  EXPECT_EQ(clip.right - clip.left, 50);
  EXPECT_EQ(clip.bottom - clip.top, 30);
}

TEST_F(ControlCanvas, WindowDCIsGivenBackAfterTheNextMessage) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  EXPECT_TRUE(Form()->Show().Alive());

  HDC dc = panel->Canvas()->Handle();
  EXPECT_EQ(WindowFromDC(dc), panel->Handle());
  EXPECT_TRUE(panel->Canvas()->HandleAllocated());
  SendMessageW(panel->Handle(), WM_NULL, 0, 0);
  EXPECT_FALSE(panel->Canvas()->HandleAllocated());

  // A canvas in use keeps its DC across messages.
  panel->Canvas()->Lock();
  panel->Canvas()->Handle();
  SendMessageW(panel->Handle(), WM_NULL, 0, 0);
  EXPECT_TRUE(panel->Canvas()->HandleAllocated());
  panel->Canvas()->Unlock();
  SendMessageW(panel->Handle(), WM_NULL, 0, 0);
  EXPECT_FALSE(panel->Canvas()->HandleAllocated());
}
