#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "framework/edit.h"
#include "support/message_pump.h"
#include "support/message_recorder.h"
#include "support/modal_input.h"

namespace {

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// The window the platform tells of the mouse leaving its client area, if any.
HWND LeaveTrackedWindow() {
  TRACKMOUSEEVENT track{sizeof track, TME_QUERY, nullptr, 0};
  TrackMouseEvent(&track);
  return (track.dwFlags & TME_LEAVE) && !(track.dwFlags & TME_NONCLIENT) ? track.hwndTrack : nullptr;
}

}  // namespace

using GraphicMouse = ControlTest;

TEST_F(GraphicMouse, ParentRoutesEveryButtonInTheControlsCoordinates) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* graphic = Make<TTestGraphic>(panel, {20, 30, 70, 60});
  EXPECT_TRUE(Form()->Show().Alive());
  HWND wnd = panel->Handle();
  SendMouseMessage(wnd, WM_RBUTTONDOWN, MK_RBUTTON, At(25, 35));
  SendMouseMessage(wnd, WM_RBUTTONUP, 0, At(25, 35));
  SendMouseMessage(wnd, WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT, At(69, 59));
  SendMouseMessage(wnd, WM_MBUTTONUP, 0, At(69, 59));
  SendMouseMessage(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(100, 100));  // outside: not the graphic's
  SendMouseMessage(wnd, WM_LBUTTONUP, 0, At(100, 100));
  ASSERT_EQ(graphic->Mouse.size(), 4u);
  EXPECT_EQ(graphic->Mouse[0].Button, TMouseButton::mbRight);
  EXPECT_EQ(graphic->Mouse[0].X, 5);
  EXPECT_EQ(graphic->Mouse[0].Y, 5);
  EXPECT_EQ(graphic->Mouse[1].Msg, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(graphic->Mouse[2].Button, TMouseButton::mbMiddle);
  EXPECT_TRUE(graphic->Mouse[2].Shift.Contains(TShiftStateItem::ssShift));
  EXPECT_EQ(graphic->Mouse[2].X, 49);
  EXPECT_EQ(graphic->Mouse[3].Button, TMouseButton::mbMiddle);
  EXPECT_EQ(graphic->Clicks, 0);
}

TEST_F(GraphicMouse, PressCapturesTheMouseUntilRelease) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* graphic = Make<TTestGraphic>(panel, {20, 30, 70, 60});
  auto* other = Make<TTestGraphic>(panel, {100, 100, 150, 150});
  EXPECT_TRUE(Form()->Show().Alive());
  HWND wnd = panel->Handle();
  SendMouseMessage(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(30, 40));
  EXPECT_EQ(GetCapture(), wnd);
  EXPECT_EQ(GetCaptureControl(), graphic);
  EXPECT_TRUE(graphic->MouseCapture());
  // While captured, moves over another control still go to the pressed one.
  SendMouseMessage(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(120, 120));
  ASSERT_EQ(graphic->Mouse.size(), 2u);
  EXPECT_EQ(graphic->Mouse[1].Msg, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(graphic->Mouse[1].X, 100);
  EXPECT_EQ(graphic->Mouse[1].Y, 90);
  EXPECT_TRUE(other->Mouse.empty());
  // Released outside: no click.
  SendMouseMessage(wnd, WM_LBUTTONUP, 0, At(120, 120));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(graphic->Clicks, 0);
  // Released inside: a click.
  SendMouseMessage(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(30, 40));
  SendMouseMessage(wnd, WM_LBUTTONUP, 0, At(31, 41));
  EXPECT_EQ(graphic->Clicks, 1);
  EXPECT_TRUE(other->Mouse.empty());
}

TEST_F(GraphicMouse, DoubleClicksNeedTheDoubleClickStyle) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* graphic = Make<TTestGraphic>(panel, {0, 0, 50, 50});
  EXPECT_TRUE(Form()->Show().Alive());
  HWND wnd = panel->Handle();
  SendMouseMessage(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(10, 10));
  SendMouseMessage(wnd, WM_LBUTTONUP, 0, At(10, 10));
  EXPECT_EQ(graphic->DoubleClicks, 1);
  ASSERT_FALSE(graphic->Mouse.empty());
  EXPECT_TRUE(graphic->Mouse[0].Shift.Contains(TShiftStateItem::ssDouble));

  graphic->SetControlStyle(graphic->ControlStyle() - TControlStyleItem::csDoubleClicks);
  graphic->Mouse.clear();
  SendMouseMessage(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(10, 10));
  SendMouseMessage(wnd, WM_LBUTTONUP, 0, At(10, 10));
  EXPECT_EQ(graphic->DoubleClicks, 1);
  EXPECT_EQ(graphic->Clicks, 1);
  ASSERT_FALSE(graphic->Mouse.empty());
  EXPECT_FALSE(graphic->Mouse[0].Shift.Contains(TShiftStateItem::ssDouble));
}

using MouseEnterLeave = ControlTest;

TEST_F(MouseEnterLeave, ChildrenCountAsInsideTheirParent) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* inner = Make<TTestPanel>(panel, {100, 100, 180, 180});
  auto* graphic = Make<TTestGraphic>(panel, {10, 10, 60, 60});
  panel->Watched = {CM_MOUSEENTER, CM_MOUSELEAVE};
  inner->Watched = {CM_MOUSEENTER, CM_MOUSELEAVE};
  EXPECT_TRUE(Form()->Show().Alive());
  Application->SetMouseControl(nullptr);

  SendMessageW(panel->Handle(), WM_MOUSEMOVE, 0, At(150, 20));
  EXPECT_EQ(panel->Received, std::vector<UINT>{CM_MOUSEENTER});
  SendMessageW(panel->Handle(), WM_MOUSEMOVE, 0, At(20, 20));
  EXPECT_EQ(graphic->Notices, std::vector<UINT>{CM_MOUSEENTER});
  SendMessageW(inner->Handle(), WM_MOUSEMOVE, 0, At(5, 5));
  EXPECT_EQ(graphic->Notices, (std::vector<UINT>{CM_MOUSEENTER, CM_MOUSELEAVE}));
  EXPECT_EQ(inner->Received, std::vector<UINT>{CM_MOUSEENTER});
  // Moving between the panel's own children never leaves the panel.
  EXPECT_EQ(panel->Received, std::vector<UINT>{CM_MOUSEENTER});
  Application->SetMouseControl(nullptr);
  EXPECT_EQ(inner->Received, (std::vector<UINT>{CM_MOUSEENTER, CM_MOUSELEAVE}));
  EXPECT_EQ(panel->Received, (std::vector<UINT>{CM_MOUSEENTER, CM_MOUSELEAVE}));
}

// Moves inside a control ask the platform nothing: the leave notice is asked for once as the mouse comes in, and
// again after each leave, which the platform tells as the mouse goes.
TEST_F(MouseEnterLeave, TheLeaveNoticeIsAskedForOncePerEntry) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  panel->Watched = {CM_MOUSEENTER, CM_MOUSELEAVE};
  EXPECT_TRUE(Form()->Show().Alive());
  Application->SetMouseControl(nullptr);
  const POINT inside = panel->ClientToScreen(POINT{100, 100});
  const POINT outside = panel->ClientToScreen(POINT{300, 100});
  const HWND wnd = panel->Handle();
  for (int entry = 1; entry <= 2; ++entry) {
    SetCursorPos(inside.x, inside.y);
    EXPECT_TRUE(PumpUntil([&] { return panel->Received.size() == 2u * entry - 1; })) << "entry " << entry;
    EXPECT_EQ(LeaveTrackedWindow(), wnd);
    TMessageRecorder recorder;
    recorder.HookThread([wnd](HWND to) { return to == wnd; });
    for (int i = 0; i < 20; ++i) SendMouseMessage(wnd, WM_MOUSEMOVE, 0, At(100 + i, 100));
    recorder.Unhook();
    EXPECT_EQ(recorder.Count(WM_MOUSEMOVE), static_cast<int>(recorder.Messages().size())) << recorder.Describe();
    SetCursorPos(outside.x, outside.y);
    EXPECT_TRUE(PumpUntil([&] { return panel->Received.size() == 2u * entry; })) << "entry " << entry;
  }
  EXPECT_EQ(panel->Received, (std::vector<UINT>{CM_MOUSEENTER, CM_MOUSELEAVE, CM_MOUSEENTER, CM_MOUSELEAVE}));
}

TEST_F(MouseEnterLeave, DestroyedControlIsForgotten) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* graphic = Make<TTestGraphic>(panel, {10, 10, 60, 60});
  EXPECT_TRUE(Form()->Show().Alive());
  SendMessageW(panel->Handle(), WM_MOUSEMOVE, 0, At(20, 20));
  EXPECT_EQ(Application->MouseControl(), graphic);
  delete graphic;
  EXPECT_EQ(Application->MouseControl(), panel);
  Application->SetMouseControl(nullptr);
}

using MouseWheel = ControlTest;

TEST_F(MouseWheel, GoesToTheFocusedControlThenUpItsParents) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* inner = Make<TTestPanel>(panel, {10, 10, 100, 100});
  inner->SetTabStop(true);
  EXPECT_TRUE(Form()->Show().Alive());
  EXPECT_TRUE(Form()->SetActiveControl(inner).Alive());
  ASSERT_TRUE(Form()->SetFocusedControl(inner));
  int seenDelta = 0;
  TObject* handledBy = nullptr;
  panel->OnMouseWheel = [&](TObject* sender, TShiftState, int delta, POINT, bool& handled) {
    seenDelta = delta;
    handledBy = sender;
    handled = true;
  };
  LRESULT result = SendMessageW(inner->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), At(50, 50));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(seenDelta, -120);
  EXPECT_EQ(handledBy, panel);
}

using ContextPopup = ControlTest;

TEST_F(ContextPopup, GoesToTheWindowlessChildUnderTheMouseInItsCoordinates) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* graphic = Make<TTestGraphic>(panel, {20, 30, 70, 60});
  EXPECT_TRUE(Form()->Show().Alive());
  POINT seen{-1, -1};
  TObject* sender = nullptr;
  graphic->OnContextPopup = [&](TObject* s, POINT pos, bool& handled) {
    sender = s;
    seen = pos;
    handled = true;
  };
  POINT screen = panel->ClientToScreen(POINT{25, 40});
  LRESULT result =
      SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), PointToLParam(screen));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(sender, graphic);
  EXPECT_EQ(seen.x, 5);
  EXPECT_EQ(seen.y, 10);

  // From the keyboard the point is (-1, -1) and the focused window's own handler decides.
  bool panelAsked = false;
  panel->OnContextPopup = [&](TObject*, POINT pos, bool& handled) {
    panelAsked = pos.x == -1 && pos.y == -1;
    handled = true;
  };
  SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(-1, -1));
  EXPECT_TRUE(panelAsked);
}

using PressCapture = ControlTest;

// A real press on an inactive form whose activation (the form's OnActivate) shows a modal form: the modal loop
// takes the release, and the press, handled after the loop, leaves no window holding the mouse for a release that
// never comes, neither a panel that the framework captures the mouse for nor an edit that the platform does.
TEST_F(PressCapture, APressWhoseReleaseAModalLoopTookHoldsNoCapture) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* edit = Make<TEdit>(Form(), {210, 10, 380, 34});
  TForm other(nullptr);
  EXPECT_TRUE(other.SetBounds(500, 50, 200, 150).Alive());
  TForm dialog(nullptr);
  EXPECT_TRUE(dialog.SetBounds(500, 300, 200, 150).Alive());
  Form()->OnActivate = [&dialog](TObject*) {
    PostInputFromLoop([&dialog] { dialog.SetModalResult(mrOk); }, 20);
    dialog.ShowModal();
  };
  EXPECT_TRUE(other.Show().Alive());
  EXPECT_TRUE(Form()->Show().Alive());
  for (TControl* pressed : {static_cast<TControl*>(panel), static_cast<TControl*>(edit)}) {
    SCOPED_TRACE(pressed == panel ? "a panel" : "an edit");
    SetForegroundWindow(other.Handle());
    ProcessPendingMessages();
    dialog.SetModalResult(mrNone);
    SendMouseClick(pressed->ClientToScreen(POINT{20, 10}));
    ProcessPendingMessages();
    EXPECT_TRUE(PumpUntil([] { return !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && GetQueueStatus(QS_INPUT) == 0; }));
    ProcessPendingMessages();
    EXPECT_EQ(dialog.ModalResult(), mrOk) << "the dialog did not show";
    EXPECT_EQ(GetCapture(), nullptr);
  }
  Form()->OnActivate = nullptr;
}

// The same press on the frame of an inactive form. The platform answers a press on the caption, the sizing border
// or a caption button with a loop of its own that waits for the release; the modal loop took it, and the loop would
// wait for ever (a caption button's takes mouse input alone, so no watchdog ends it: the program stops).
TEST_F(PressCapture, APressOnTheFrameWhoseReleaseAModalLoopTookStartsNoLoopThatWaitsForIt) {
  TForm framed(nullptr);
  EXPECT_TRUE(framed.SetBounds(100, 60, 300, 200).Alive());
  TForm other(nullptr);
  EXPECT_TRUE(other.SetBounds(500, 50, 200, 150).Alive());
  TForm dialog(nullptr);
  EXPECT_TRUE(dialog.SetBounds(500, 300, 200, 150).Alive());
  framed.OnActivate = [&dialog](TObject*) {
    PostInputFromLoop([&dialog] { dialog.SetModalResult(mrOk); }, 20);
    dialog.ShowModal();
  };
  EXPECT_TRUE(other.Show().Alive());
  EXPECT_TRUE(framed.Show().Alive());
  RECT frame{};
  GetWindowRect(framed.Handle(), &frame);
  auto hitAt = [&framed](POINT at) {
    return SendMessageW(framed.Handle(), WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  };
  const int captionY = frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  POINT closeBox{};
  for (POINT at{frame.right - 1, captionY}; at.x > frame.left && !closeBox.x; --at.x)
    if (hitAt(at) == HTCLOSE) closeBox = POINT{at.x - GetSystemMetrics(SM_CXSIZE) / 4, captionY};
  const struct {
    const char* Name;
    POINT At;
    LRESULT Hit;
  } presses[] = {{"the caption", {(frame.left + frame.right) / 2, captionY}, HTCAPTION},
                 {"the sizing border", {frame.right - 2, (frame.top + frame.bottom) / 2}, HTRIGHT},
                 {"the close box", closeBox, HTCLOSE}};
  for (const auto& press : presses) {
    SCOPED_TRACE(press.Name);
    ASSERT_EQ(hitAt(press.At), press.Hit);
    SetForegroundWindow(other.Handle());
    ProcessPendingMessages();
    dialog.SetModalResult(mrNone);
    EXPECT_TRUE(RunModalWithInput([&press] { SendMouseClick(press.At); },
                                  [] {
                                    ProcessPendingMessages();
                                    EXPECT_TRUE(PumpUntil([] {
                                      return !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) &&
                                             GetQueueStatus(QS_INPUT) == 0;
                                    }));
                                    ProcessPendingMessages();
                                  },
                                  2000));
    EXPECT_EQ(dialog.ModalResult(), mrOk) << "the dialog did not show";
    EXPECT_EQ(GetCapture(), nullptr);
    RECT now{};
    GetWindowRect(framed.Handle(), &now);
    EXPECT_TRUE(framed.Visible() && EqualRect(&now, &frame)) << "the press moved, sized or closed the form";
  }
}
