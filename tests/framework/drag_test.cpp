#include <gtest/gtest.h>

#include <string>

#include "control_fixtures.h"
#include "support/modal_input.h"

namespace {

class DragTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    panel_ = Make<TTestPanel>(Form(), {0, 0, 300, 200});
    source_ = Make<TTestGraphic>(panel_, {10, 10, 60, 60});
    target_ = Make<TTestPanel>(panel_, {150, 50, 250, 150});
    target_->OnDragOver = [this](TObject*, TObject* source, int x, int y, TDragState state, bool& accept) {
      static const wchar_t* kNames[] = {L"enter", L"leave", L"move"};
      log_ += String(kNames[static_cast<int>(state)]) + L"(" + std::to_wstring(x) + L"," + std::to_wstring(y) + L")" +
              (source == source_ ? L"" : L"?") + L";";
      accept = AcceptDrop;
    };
    target_->OnDragDrop = [this](TObject*, TObject*, int x, int y) {
      log_ += L"drop(" + std::to_wstring(x) + L"," + std::to_wstring(y) + L");";
    };
    source_->OnEndDrag = [this](TObject*, TObject* target, int x, int y) {
      log_ += String(L"end ") +
              (target == target_ ? L"target"
               : target          ? L"other"
                                 : L"none") +
              L"(" + std::to_wstring(x) + L"," + std::to_wstring(y) + L");";
    };
    EXPECT_TRUE(Form()->Show().Alive());
    // Every drag starts with the mouse over the source.
    POINT start = panel_->ClientToScreen(POINT{20, 20});
    SetCursorPos(start.x, start.y);
  }
  // Moves the mouse to a client point of the panel, as the drag's capture window hears it.
  void MoveTo(POINT panelPoint) {
    POINT screen = panel_->ClientToScreen(panelPoint);
    SetCursorPos(screen.x, screen.y);
    HWND capture = GetCapture();
    ASSERT_NE(capture, nullptr);
    POINT client = screen;
    ScreenToClient(capture, &client);
    SendMessageW(capture, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.x, client.y));
  }
  String TakeLog() { return std::exchange(log_, String()); }

  bool AcceptDrop = true;
  TTestPanel* panel_ = nullptr;
  TTestGraphic* source_ = nullptr;
  TTestPanel* target_ = nullptr;

 private:
  String log_;
};

}  // namespace

TEST_F(DragTest, TargetHearsEnterMoveLeaveAndTheDrop) {
  EXPECT_TRUE(source_->BeginDrag(false, 5).Alive());
  EXPECT_TRUE(source_->Dragging());
  EXPECT_EQ(DragControl(), source_);
  MoveTo({20, 20});
  MoveTo({160, 60});
  MoveTo({170, 70});
  EXPECT_EQ(TakeLog(), L"enter(10,10);move(10,10);move(20,20);");
  SendMessageW(GetCapture(), WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(TakeLog(), L"leave(20,20);drop(20,20);end target(20,20);");
  EXPECT_FALSE(source_->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(DragTest, RefusedDropEndsWithoutTarget) {
  AcceptDrop = false;
  EXPECT_TRUE(source_->BeginDrag(true).Alive());
  MoveTo({160, 60});
  SendMessageW(GetCapture(), WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(TakeLog(), L"enter(10,10);move(10,10);leave(10,10);end none(0,0);");
}

TEST_F(DragTest, LeavingTheTargetAndEscapeCancel) {
  EXPECT_TRUE(source_->BeginDrag(true).Alive());
  MoveTo({160, 60});
  MoveTo({100, 100});
  EXPECT_EQ(TakeLog(), L"enter(10,10);move(10,10);leave(10,10);");
  MoveTo({160, 60});
  TakeLog();
  PostKeyPress(panel_->Handle(), VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_FALSE(source_->Dragging());
  EXPECT_EQ(TakeLog(), L"leave(10,10);end none(0,0);");
}

TEST_F(DragTest, AutomaticDragModeStartsOnThePress) {
  source_->SetDragMode(TDragMode::dmAutomatic);
  SendMessageW(panel_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_TRUE(source_->Dragging());
  EXPECT_TRUE(source_->Mouse.empty()) << "the press starts the drag instead of reaching the control";
  source_->EndDrag(false);
  EXPECT_FALSE(source_->Dragging());
}

TEST_F(DragTest, FormsCannotBeDragged) {
  try {
    EXPECT_TRUE(Form()->BeginDrag(true).Alive());
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), L"Cannot drag a form");
  }
}
