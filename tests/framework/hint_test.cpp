#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "framework/hint_window.h"
#include "support/message_pump.h"

namespace {

// A hint window class of a test's own, to see that a control's answer to CM_HINTSHOW picks the class.
class TOtherHintWindow : public THintWindow {
  BC_CLASS(TOtherHintWindow, THintWindow)
  explicit TOtherHintWindow(TComponent* owner) : THintWindow(owner) {}
};

class HintTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Application->SetShowHint(true);
    Application->SetHintPause(0);
  }
  void TearDown() override {
    Application->CancelHint();
    Application->SetShowHint(false);
    Application->SetHintPause(500);
    ControlTest::TearDown();
  }
  // Moves the real cursor over the control; the hint timer starts from the move, and the test waits for what it
  // expects to follow.
  void HoverOver(TControl* control, POINT clientPoint) {
    POINT screen = control->ClientToScreen(clientPoint);
    SetCursorPos(screen.x, screen.y);
    TWinControl* window = ObjectAs<TWinControl>(control);
    if (!window) {
      window = control->Parent();
      clientPoint.x += control->Left();
      clientPoint.y += control->Top();
    }
    SendMessageW(window->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(clientPoint.x, clientPoint.y));
  }
  static bool HintShowing() {
    THintWindow* window = Application->HintWindow();
    return window && window->HandleAllocated() && IsWindowVisible(window->Handle());
  }
};

}  // namespace

TEST_F(HintTest, ShortHintShowsBelowTheCursorAndLongHintBecomesTheStatus) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  auto* graphic = Make<TTestGraphic>(panel, {20, 20, 100, 60});
  graphic->SetHint(L"Short|Long text");
  graphic->SetShowHint(true);
  EXPECT_TRUE(Form()->Show().Alive());
  SetForegroundWindow(Form()->Handle());
  HoverOver(graphic, {10, 10});
  ASSERT_TRUE(PumpUntil(HintShowing));
  EXPECT_EQ(Application->HintWindow()->Caption(), L"Short");
  EXPECT_EQ(Application->Hint(), L"Long text");
  RECT rect;
  GetWindowRect(Application->HintWindow()->Handle(), &rect);
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_GT(rect.top, cursor.y);

  // A click ends the hint.
  PostMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
  PostMessageW(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
  Application->ProcessMessages();
  EXPECT_FALSE(HintShowing());
}

TEST_F(HintTest, ControlDecidesThroughHintShowAndPause) {
  class TDecidingPanel : public TTestPanel {
   public:
    using TTestPanel::TTestPanel;
    bool Refuse = false;
    int PauseAsked = -1;
    int ShowsAsked = 0;
    THintInfo Seen;
    void Dispatch(TMessage& message) override {
      if (message.Msg == CM_HINTSHOWPAUSE) {
        PauseAsked = *reinterpret_cast<int*>(message.LParam);
        *reinterpret_cast<int*>(message.LParam) = 0;
      } else if (message.Msg == CM_HINTSHOW) {
        auto* info = reinterpret_cast<THintInfo*>(message.LParam);
        ++ShowsAsked;
        Seen = *info;
        info->HintStr = L"Changed";
        info->HintWindowClass = TOtherHintWindow::StaticClass();
        message.Result = Refuse ? 1 : 0;
        return;
      }
      TTestPanel::Dispatch(message);
    }
  };
  Application->SetHintPause(123);
  auto* panel = Make<TDecidingPanel>(Form(), {0, 0, 200, 200});
  panel->SetHint(L"Original");
  panel->SetShowHint(true);
  EXPECT_TRUE(Form()->Show().Alive());
  SetForegroundWindow(Form()->Handle());
  HoverOver(panel, {50, 50});
  ASSERT_TRUE(PumpUntil(HintShowing));
  EXPECT_EQ(panel->PauseAsked, 123);
  EXPECT_EQ(panel->Seen.HintControl, panel);
  EXPECT_EQ(panel->Seen.HintStr, L"Original");
  EXPECT_EQ(panel->Seen.CursorPos.x, 50);
  EXPECT_TRUE(Application->HintWindow()->Is<TOtherHintWindow>());
  EXPECT_EQ(Application->HintWindow()->Caption(), L"Changed");

  Application->CancelHint();
  EXPECT_FALSE(HintShowing());
  panel->Refuse = true;
  const int asked = panel->ShowsAsked;
  HoverOver(panel, {60, 60});
  ASSERT_TRUE(PumpUntil([&] { return panel->ShowsAsked > asked; }));
  EXPECT_FALSE(HintShowing());
}

TEST_F(HintTest, ShownHintHidesAfterTheHidePause) {
  auto* panel = Make<TTestPanel>(Form(), {0, 0, 200, 200});
  panel->SetHint(L"Going soon");
  panel->SetShowHint(true);
  Application->SetHintHidePause(100);
  int shown = 0;
  Application->OnShowHint = [&](String&, bool&, THintInfo& info) { shown += info.HideTimeout == 100 ? 1 : 0; };
  EXPECT_TRUE(Form()->Show().Alive());
  SetForegroundWindow(Form()->Handle());
  HoverOver(panel, {40, 40});
  EXPECT_TRUE(PumpUntil([&] { return shown == 1 && !HintShowing(); }))
      << "shown after no pause, hidden again 100 ms later";
  Application->SetHintHidePause(2500);
  Application->OnShowHint = nullptr;
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(Application->HintControl(), panel) << "the control keeps its hint until the mouse leaves it";
}

TEST_F(HintTest, HintWindowStaysOnTheDesktop) {
  THintWindow window(nullptr);
  RECT size = window.CalcHintRect(300, L"A hint text", nullptr);
  EXPECT_GT(size.right, 6);
  EXPECT_GT(size.bottom, 2);
  RECT desktop = Screen->DesktopRect();
  RECT rect = size;
  OffsetRect(&rect, desktop.right - 5, desktop.bottom - 5);
  EXPECT_TRUE(window.ActivateHint(rect, L"A hint text").Alive());
  RECT placed;
  GetWindowRect(window.Handle(), &placed);
  EXPECT_EQ(placed.right, desktop.right);
  EXPECT_EQ(placed.bottom, desktop.bottom);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_TRUE(GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}
