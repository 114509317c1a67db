#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "dock_fixture.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "support/window_capture.h"
#include "framework/edit.h"
#include "toolbars/common/bar_common.h"
#include "toolbars/common/bar_hook.h"

using namespace toolbars;

namespace {

class FloatingBar : public DockFormTest {
 protected:
  TPlainBar* Floated(POINT at = {200, 200}) {
    TPlainBar* bar = AddBar(Top(), SIZE{80, 30}, 0, 0, L"FloatedBar");
    EXPECT_TRUE(bar->SetCaption(L"Floating bar").Alive());
    EXPECT_TRUE(bar->PlaceFloating(at).Alive());
    EXPECT_TRUE(bar->FloatOrDock(true).Alive());
    ProcessPendingMessages();
    return bar;
  }
  static HWND Frame(TPlainBar* bar) { return bar->FloatParent()->Handle(); }
  static LRESULT HitTest(HWND frame, POINT windowPoint) {
    RECT rect = ScreenRect(frame);
    return SendMessageW(frame, WM_NCHITTEST, 0, MAKELPARAM(rect.left + windowPoint.x, rect.top + windowPoint.y));
  }
};

}  // namespace

TEST_F(FloatingBar, FloatsInAFrameSizedToItsClientArea) {
  TPlainBar* bar = Floated();
  ASSERT_TRUE(bar->Floating());
  TBarFloatingWindowParent* frame = bar->FloatParent();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->ParentForm(), Form());
  EXPECT_EQ(bar->Parent(), frame);
  EXPECT_EQ(frame->Caption(), L"Floating bar");
  EXPECT_EQ(GetWindowLongPtrW(frame->Handle(), GWL_EXSTYLE) & ~(WS_EX_TOPMOST | WS_EX_WINDOWEDGE), WS_EX_TOOLWINDOW);
  EXPECT_EQ(frame->ClientWidth(), 80);
  EXPECT_EQ(frame->ClientHeight(), 30);
  EXPECT_EQ(bar->Left(), 0);
  EXPECT_EQ(bar->Top(), 0);
  RECT rect = ScreenRect(frame->Handle());
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.top, 200);
  SIZE border = bar->FloatingBorderSize();
  EXPECT_EQ(rect.bottom - rect.top, 30 + 2 * border.cy + GetSystemMetrics(SM_CYSMCAPTION));
  EXPECT_TRUE(IsWindowVisible(frame->Handle()));
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
  // Floating keeps the list of the dock it came from, so it can go back.
  EXPECT_EQ(bar->LastDock(), Top());
  EXPECT_EQ(Top()->ToolbarCount(), 0);
  EXPECT_EQ(Top()->Height(), 0);
}

TEST_F(FloatingBar, FrameAnswersCaptionCloseAndSizingZones) {
  TPlainBar* bar = Floated();
  HWND frame = Frame(bar);
  RECT rect = ScreenRect(frame);
  int w = rect.right - rect.left;
  int h = rect.bottom - rect.top;
  SIZE b = bar->FloatingBorderSize();
  int caption = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  struct TCase {
    POINT At;
    LRESULT Code;
  } cases[] = {
      {{b.cx + 5, b.cy + 2}, HT_BAR_CAPTION},
      {{w - b.cx - 3, b.cy + 2}, HT_BAR_CLOSE},
      {{0, h / 2}, HTLEFT},
      {{w - 1, h / 2}, HTRIGHT},
      {{w / 2, 0}, HTTOP},
      {{w / 2, h - 1}, HTBOTTOM},
      {{0, 0}, HTTOPLEFT},
      {{w - 1, h - 1}, HTBOTTOMRIGHT},
      {{b.cx + 10, b.cy + caption + 5}, HTCLIENT},
  };
  for (const TCase& c : cases) EXPECT_EQ(HitTest(frame, c.At), c.Code) << c.At.x << "," << c.At.y;
  bar->SetCloseButton(false);
  EXPECT_EQ(HitTest(frame, {w - b.cx - 3, b.cy + 2}), HT_BAR_CAPTION);
  EXPECT_TRUE(bar->SetShowCaption(false).Alive());
  EXPECT_EQ(HitTest(frame, {w / 2, 0}), HTTOP);
  bar->SetResizable(false);
  ProcessPendingMessages();
  frame = Frame(bar);
  EXPECT_EQ(HitTest(frame, {0, h / 2}), HTNOWHERE);
}

TEST_F(FloatingBar, CloseButtonClosesTheBarByMouse) {
  TPlainBar* bar = Floated();
  int closed = 0;
  bar->OnClose = [&](TObject*) { ++closed; };
  RECT close = bar->FloatParent()->CloseButtonRect(true);
  RECT rect = ScreenRect(Frame(bar));
  SendMouseClick(POINT{rect.left + (close.left + close.right) / 2, rect.top + (close.top + close.bottom) / 2});
  ProcessPendingMessages();
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(bar->Visible());
  EXPECT_FALSE(IsWindowVisible(Frame(bar)));
  EXPECT_FALSE(bar->FloatParent()->CloseButtonDown());
  EXPECT_NE(GetActiveWindow(), Frame(bar));
}

TEST_F(FloatingBar, PaintsCaptionAndCloseButton) {
  TPlainBar* bar = Floated();
  TWindowCapture capture = TWindowCapture::OfWindow(Frame(bar));
  KeepCaptureForViewing(capture, L"floating_frame");
  SIZE b = bar->FloatingBorderSize();
  BOOL gradient = FALSE;
  SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
  COLORREF captionColour = GetSysColor(COLOR_ACTIVECAPTION);
  EXPECT_EQ(capture.Pixel(b.cx + 1, b.cy + 1), captionColour);
  RECT close = bar->FloatParent()->CloseButtonRect(true);
  // The close button is a raised frame control: its face is the button face colour.
  EXPECT_GT(capture.CountPixels(GetSysColor(COLOR_BTNFACE), &close), 10);
  EXPECT_GT(capture.CountPixels(GetSysColor(COLOR_BTNTEXT), &close), 4);
}

TEST_F(FloatingBar, SizingEdgesFollowTheMouse) {
  TPlainBar* bar = Floated();
  HWND frame = Frame(bar);
  RECT rect = ScreenRect(frame);
  struct TCase {
    bool Smooth;
    int Grow;
  } cases[] = {{true, 30}, {false, 45}};
  for (const TCase& c : cases) {
    bar->SetSmoothDrag(c.Smooth);
    rect = ScreenRect(frame);
    POINT edge{rect.right - 1, (rect.top + rect.bottom) / 2};
    SendMouseDrag(edge, {POINT{edge.x + 10, edge.y}, POINT{edge.x + c.Grow, edge.y}});
    RECT after = ScreenRect(frame);
    EXPECT_EQ(after.right - after.left, rect.right - rect.left + c.Grow) << c.Smooth;
    EXPECT_EQ(after.left, rect.left);
    EXPECT_EQ(bar->Width(), bar->FloatParent()->ClientWidth());
  }
  // A drag that shrinks beyond nothing stops at one pixel of client area.
  rect = ScreenRect(frame);
  POINT edge{rect.right - 1, (rect.top + rect.bottom) / 2};
  SendMouseDrag(edge, {POINT{rect.left - 50, edge.y}});
  EXPECT_GE(bar->FloatParent()->ClientWidth(), 0);
  EXPECT_GE(ScreenRect(frame).right - ScreenRect(frame).left, 2 * bar->FloatingBorderSize().cx);
}

TEST_F(FloatingBar, CaptionDoubleClickDocksAtTheDefaultDock) {
  TPlainBar* bar = Floated();
  EXPECT_TRUE(bar->SetUseLastDock(false).Alive());
  bar->SetDefaultDock(Bottom());
  AddBar(Bottom(), SIZE{60, 20}, 0, 100);
  SendMessageW(Frame(bar), WM_NCLBUTTONDBLCLK, HT_BAR_CAPTION, 0);
  EXPECT_EQ(bar->CurrentDock(), Bottom());
  EXPECT_EQ(bar->EffectiveDockRow(), 0);
  EXPECT_EQ(bar->Left(), 0);
}

namespace {

// A floating form that repaints its caption after every caption click, as a themed form that shows the pressed
// caption does: it touches itself once the inherited handler has returned.
class TRepaintingFloatingForm : public TBarFloatingWindowParent {
  BC_CLASS(TRepaintingFloatingForm, TBarFloatingWindowParent)
  using TBarFloatingWindowParent::TBarFloatingWindowParent;
  void Dispatch(TMessage& message) override {
    TBarFloatingWindowParent::Dispatch(message);
    if (message.Msg == WM_NCLBUTTONDOWN || message.Msg == WM_NCLBUTTONDBLCLK) RedrawNCArea(kFloatingFrameCaption);
  }
};

class TRepaintingFrameBar : public TPlainBar {
  BC_CLASS(TRepaintingFrameBar, TPlainBar)
  using TPlainBar::TPlainBar;
  const TClass* GetFloatingWindowParentClass() const override { return TRepaintingFloatingForm::StaticClass(); }
};

}  // namespace

TEST_F(FloatingBar, RedockingFromTheFloatingFrameFreesItAfterItsOwnHandler) {
  enum class TWay { kDoubleClick, kDragOntoADock };
  for (TWay way : {TWay::kDoubleClick, TWay::kDragOntoADock}) {
    SCOPED_TRACE(way == TWay::kDoubleClick ? "double-click on the caption" : "drag from the caption onto a dock");
    TPlainBar* bar = nullptr;
    HWND frame = nullptr;
    {
      // The floating form comes from guarded memory: touched after being freed, it faults.
      TGuardedAllocations guard;
      bar = new TRepaintingFrameBar(Form());
      bar->SetHideWhenInactive(false);
      EXPECT_TRUE(bar->SetCurrentDock(Top()).Alive());
      EXPECT_TRUE(bar->PlaceFloating(POINT{200, 200}).Alive());
      EXPECT_TRUE(bar->FloatOrDock(true).Alive());
      ProcessPendingMessages();
      frame = Frame(bar);
      if (way == TWay::kDoubleClick) {
        SendMessageW(frame, WM_NCLBUTTONDBLCLK, HT_BAR_CAPTION, 0);
      } else {
        const RECT outer = ScreenRect(frame);
        const RECT caption = bar->FloatParent()->CaptionRect(true, true);
        const POINT grip{outer.left + caption.left + 5, outer.top + caption.top + 3};
        const RECT top = ScreenRect(Top()->Handle());
        SendMouseDrag(grip, {POINT{grip.x, top.bottom + 10}, POINT{top.left + 40, top.top + 2}});
      }
    }
    EXPECT_EQ(bar->CurrentDock(), Top());
    EXPECT_EQ(bar->FloatParent(), nullptr);
    EXPECT_FALSE(IsWindowVisible(frame));
    ProcessPendingMessages();
    EXPECT_FALSE(IsWindow(frame)) << "freed once its handler returned";
    delete bar;
  }
}

TEST_F(FloatingBar, LoadingTakesAFloatingFormsPlaceFromTheOwningFormsClientArea) {
  POINT origin{0, 0};
  ClientToScreen(Form()->Handle(), &origin);
  const RECT work = GetRectOfMonitorContainingPoint(origin, true);
  struct TCase {
    POINT Stored;
    bool OnScreenAsStored;
  };
  for (const TCase& c : {TCase{{30, 40}, true}, TCase{{-5000, -5000}, false}, TCase{{30000, 30000}, false}}) {
    TPlainBar* bar = Floated();
    // As the form reader leaves it: the place as stored, then Loaded.
    bar->SetLoading(true);
    EXPECT_TRUE(bar->PlaceFloating(c.Stored).Alive());
    EXPECT_TRUE(static_cast<TComponent*>(bar)->Loaded().Alive());  // the reader calls it through the component
    bar->SetLoading(false);
    const RECT frame = ScreenRect(Frame(bar));
    if (c.OnScreenAsStored) {
      EXPECT_EQ(frame.left, origin.x + c.Stored.x);
      EXPECT_EQ(frame.top, origin.y + c.Stored.y);
    }
    EXPECT_GE(frame.left, work.left) << c.Stored.x;
    EXPECT_GE(frame.top, work.top);
    EXPECT_LE(frame.right, work.right);
    EXPECT_LE(frame.bottom, work.bottom);
    EXPECT_EQ(bar->FloatingPosition().x, frame.left);
    delete bar;
  }
}

TEST_F(FloatingBar, RedockingKeepsTheWindowAndReportsInOrder) {
  TPlainBar* bar = AddBar(Top(), SIZE{60, 20});
  HWND wnd = bar->Handle();
  std::vector<std::string> heard;
  bar->OnDockChanging = [&](TObject*, bool, TBarDock*) { heard.push_back("changing"); };
  bar->OnRecreating = [&](TObject*) { heard.push_back("recreating"); };
  bar->OnRecreated = [&](TObject*) { heard.push_back("recreated"); };
  bar->OnDockChanged = [&](TObject*) { heard.push_back("changed"); };
  EXPECT_TRUE(bar->SetCurrentDock(Bottom()).Alive());
  EXPECT_EQ(bar->Handle(), wnd);
  EXPECT_EQ(GetParent(wnd), Bottom()->Handle());
  EXPECT_EQ(heard, (std::vector<std::string>{"changing", "recreating", "recreated", "changed"}));
  EXPECT_EQ(Top()->ToolbarCount(), 0);
  EXPECT_EQ(Bottom()->ToolbarCount(), 1);
  EXPECT_TRUE(bar->FloatOrDock(true).Alive());
  EXPECT_EQ(bar->Handle(), wnd);
}

TEST_F(DockFormTest, DockedCloseButtonClosesByMouse) {
  TPlainBar* bar = AddBar(Top(), SIZE{60, 20});
  EXPECT_TRUE(bar->SetCloseButtonWhenDocked(true).Alive());
  ProcessPendingMessages();
  RECT button{};
  bar->CloseButtonRect(false, button);
  RECT rect = ScreenRect(bar->Handle());
  EXPECT_EQ(
      SendMessageW(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(rect.left + button.left + 2, rect.top + button.top + 2)),
      HT_BAR_CLOSE);
  TWindowCapture capture = TWindowCapture::OfWindow(bar->Handle());
  EXPECT_GT(capture.CountPixels(GetSysColor(COLOR_BTNTEXT), &button), 10);
  SendMouseClick(POINT{rect.left + (button.left + button.right) / 2, rect.top + (button.top + button.bottom) / 2});
  ProcessPendingMessages();
  EXPECT_FALSE(bar->Visible());
  EXPECT_EQ(Top()->ToolbarCount(), 0);
}

// ---- when floating windows show ----

namespace {

// A window of another thread that takes the foreground, so this thread's application is deactivated.
class TOtherThreadWindow {
 public:
  TOtherThreadWindow() {
    thread_ = std::thread([this] {
      wnd_ = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 700, 500, 50, 50, nullptr, nullptr, nullptr,
                             nullptr);
      ready_ = true;
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      DestroyWindow(wnd_);
    });
    while (!ready_) Sleep(1);
  }
  ~TOtherThreadWindow() {
    PostThreadMessageW(GetWindowThreadProcessId(wnd_, nullptr), WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND Handle() const { return wnd_; }

 private:
  std::thread thread_;
  HWND wnd_ = nullptr;
  volatile bool ready_ = false;
};

}  // namespace

TEST_F(FloatingBar, FloatingBarsHideWhileTheApplicationIsInactive) {
  TPlainBar* hiding = Floated(POINT{200, 200});
  hiding->SetHideWhenInactive(true);
  TPlainBar* staying = AddBar(Top(), SIZE{50, 20}, 0, 0, L"StayingBar");
  EXPECT_TRUE(staying->PlaceFloating(POINT{350, 200}).Alive());
  EXPECT_TRUE(staying->FloatOrDock(true).Alive());
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(Frame(hiding)) && IsWindowVisible(Frame(staying)); }));
  EXPECT_FALSE(staying->InactiveCaption());
  {
    TOtherThreadWindow other;
    SetForegroundWindow(other.Handle());
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Frame(hiding)) && staying->InactiveCaption(); }));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Frame(staying)));
    SetForegroundWindow(Form()->Handle());
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(Frame(hiding)) && !staying->InactiveCaption(); }));
  }
  EXPECT_TRUE(IsWindowVisible(Frame(hiding)));
  EXPECT_FALSE(staying->InactiveCaption());
}

TEST_F(FloatingBar, FloatingBarsFollowTheirFormBeingHiddenAndMinimised) {
  TPlainBar* bar = Floated();
  auto frameShown = [&] { return IsWindowVisible(Frame(bar)) != FALSE; };
  auto frameHidden = [&] { return !IsWindowVisible(Frame(bar)); };
  ASSERT_TRUE(PumpUntil(frameShown));
  ShowWindow(Form()->Handle(), SW_HIDE);
  EXPECT_TRUE(PumpUntil(frameHidden)) << "hidden with the form";
  ShowWindow(Form()->Handle(), SW_SHOWNOACTIVATE);
  EXPECT_TRUE(PumpUntil(frameShown)) << "shown with the form";
  ShowWindow(Form()->Handle(), SW_MINIMIZE);
  EXPECT_TRUE(PumpUntil(frameHidden)) << "hidden while the form is minimised";
  ShowWindow(Form()->Handle(), SW_RESTORE);
  SetActiveWindow(Form()->Handle());
  EXPECT_TRUE(PumpUntil(frameShown)) << "shown when the form is restored";
}

TEST_F(FloatingBar, FloatingFrameNeverTakesActivation) {
  TPlainBar* bar = Floated();
  RECT rect = ScreenRect(bar->Handle());
  SendMouseClick(Centre(rect));
  ProcessPendingMessages();
  EXPECT_EQ(GetActiveWindow(), Form()->Handle());
  // Closing the frame closes the owning form's way (here: the form gets WM_CLOSE).
  bool formAsked = false;
  Form()->OnCloseQuery = [&](TObject*, bool& canClose) {
    formAsked = true;
    canClose = false;
  };
  SendMessageW(Frame(bar), WM_CLOSE, 0, 0);
  EXPECT_TRUE(formAsked);
  EXPECT_TRUE(IsWindow(Frame(bar)));
}

namespace {

bool FrameAboveForm(HWND frame, HWND form) {
  for (HWND above = GetWindow(form, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV))
    if (above == frame) return true;
  return false;
}

// What MessagesTakenWhileNot watches: the condition, and how many messages were taken while it was false.
const std::function<bool()>* watchedCondition = nullptr;
int messagesTakenWhileNot = 0;

LRESULT CALLBACK CheckAfterTheOtherWatches(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
  if (code == HC_ACTION && watchedCondition && !(*watchedCondition)()) ++messagesTakenWhileNot;
  return result;
}

// Serves the messages for a while, a steady tick among them, and counts those taken while condition is false, once
// every other watch of the messages the thread takes has run. The platform may read the display server's events
// (an exposure that moves a window up) after those watches as it takes a message, and nothing tells a window of such
// a move: what it changes is seen from the next message taken on, not yet after this one's dispatch.
int MessagesTakenWhileNot(const std::function<bool()>& condition, DWORD milliseconds) {
  // Installed last, so called first: it hands each message on to the watches installed before it, then looks.
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, &CheckAfterTheOtherWatches, nullptr, GetCurrentThreadId());
  watchedCondition = &condition;
  messagesTakenWhileNot = 0;
  UINT_PTR tick = SetTimer(nullptr, 0, 10, nullptr);
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (GetTickCount64() < end) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    DispatchMessageW(&message);
  }
  KillTimer(nullptr, tick);
  watchedCondition = nullptr;
  UnhookWindowsHookEx(hook);
  return messagesTakenWhileNot;
}

}  // namespace

// Under an X server, raising the form or an exposure of it reported late moves the form above its floating frame
// without a message to the frame; whatever the user did to the form, the frame is back in front of it by the next
// message the thread takes.
TEST_F(FloatingBar, FloatingFrameStaysInFrontOfItsForm) {
  auto* edit = new TEdit(Form());
  EXPECT_TRUE(edit->SetParent(Form()).Alive());
  EXPECT_TRUE(edit->SetBounds(150, 150, 300, 30).Alive());
  TPlainBar* bar = Floated(POINT{200, 140});
  const struct {
    const char* Name;
    std::function<void()> Act;
  } actions[] = {
      {"shown", [] {}},
      {"owner's edit clicked", [&] { SendMouseClick(Centre(ScreenRect(edit->Handle()))); }},
      {"bar hidden and shown",
       [&] {
         EXPECT_TRUE(bar->SetVisible(false).Alive());
         ProcessPendingMessages();
         EXPECT_TRUE(bar->SetVisible(true).Alive());
       }},
      {"owner hidden and shown",
       [&] {
         ShowWindow(Form()->Handle(), SW_HIDE);
         ProcessPendingMessages();
         ShowWindow(Form()->Handle(), SW_SHOWNOACTIVATE);
         SetActiveWindow(Form()->Handle());
       }},
      {"owner's edit clicked again", [&] { SendMouseClick(Centre(ScreenRect(edit->Handle()))); }},
  };
  auto inFront = [&] {
    HWND hit = WindowFromPoint(Centre(ScreenRect(bar->Handle())));
    return IsWindowVisible(Frame(bar)) && FrameAboveForm(Frame(bar), Form()->Handle()) &&
           (hit == bar->Handle() || hit == Frame(bar));
  };
  for (const auto& action : actions) {
    action.Act();
    EXPECT_TRUE(PumpUntil(inFront)) << action.Name;
    EXPECT_EQ(MessagesTakenWhileNot(inFront, 300), 0) << action.Name;
  }
}
