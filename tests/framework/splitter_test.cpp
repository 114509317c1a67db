#include "framework/splitter.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "control_fixtures.h"
#include "support/hostile_input.h"
#include "support/modal_input.h"

namespace {

// A left panel 100 wide, the splitter beside it and a client panel, on the 400 x 300 form; the splitter is
// dragged with real mouse messages to the form.
class SplitterDrag : public ControlTest {
 public:
  void SetUp() override {
    ControlTest::SetUp();
    Form()->HandleNeeded();
    Build();
  }
  void Build() {
    side_ = Make<TTestPanel>(Form(), {0, 0, 100, 300});
    EXPECT_TRUE(side_->SetAlign(TAlign::alLeft).Alive());
    splitter_ = Make<TSplitter>(Form(), {100, 0, 103, 300});
    client_ = Make<TTestPanel>(Form(), {0, 0, 10, 10});
    EXPECT_TRUE(client_->SetAlign(TAlign::alClient).Alive());
  }
  // Frees what Build made and a handler left.
  void FreeAll() {
    delete std::exchange(splitter_, nullptr);
    delete std::exchange(side_, nullptr);
    delete std::exchange(client_, nullptr);
  }
  void Drag(int fromX, int toX) {
    HWND form = Form()->Handle();
    SendMouseMessage(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromX, 50));
    SendMouseMessage(form, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, 50));
    SendMouseMessage(form, WM_LBUTTONUP, 0, MAKELPARAM(toX, 50));
  }

  // The real mouse: a press at x on the form, moves to each x of the path and a release at the last; midway runs
  // after the first move.
  void RealDrag(int fromX, std::initializer_list<int> path, const std::function<void()>& midway) {
    SetForegroundWindow(Form()->Handle());
    std::vector<POINT> screen;
    for (int x : path) screen.push_back(Form()->ClientToScreen(POINT{x, 50}));
    SendMouseDragThrough(Form()->ClientToScreen(POINT{fromX, 50}), screen, [&](size_t move) {
      if (move == 0) midway();
    });
  }

  TTestPanel* side_ = nullptr;
  TSplitter* splitter_ = nullptr;
  TTestPanel* client_ = nullptr;
};

}  // namespace

TEST_F(SplitterDrag, SizesTheNeighbourSnapsBelowMinSizeAndAsksFirst) {
  struct TCase {
    bool AutoSnap;
    int Veto;  // OnCanResize refuses sizes below this
    int ToX;   // where the bar's left edge is dragged
    int Expected;
  } cases[] = {
      {true, 0, 150, 150},    {true, 0, 20, 0},      // below MinSize (30): snapped shut
      {false, 0, 20, 30},     {false, 0, 500, 397},  // held at MinSize; at most the room left
      {false, 120, 110, 100},                        // refused: the size stays
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.ToX);
    EXPECT_TRUE(side_->SetWidth(100).Alive());
    splitter_->SetAutoSnap(c.AutoSnap);
    int moved = 0;
    splitter_->OnMoved = [&](TObject*) { ++moved; };
    splitter_->OnCanResize = [&](TObject*, int& size, bool& accept) {
      if (size < c.Veto) accept = false;
    };
    Drag(101, c.ToX + 1);
    EXPECT_EQ(side_->Width(), c.Expected);
    EXPECT_EQ(splitter_->Left(), side_->Width());
    EXPECT_EQ(moved, 1);
  }
  EXPECT_EQ(splitter_->Cursor(), crHSplit);
  EXPECT_TRUE(splitter_->SetAlign(TAlign::alTop).Alive());
  EXPECT_EQ(splitter_->Cursor(), crVSplit);
}

// The splitter or its neighbour freed during a real drag, everything made under guarded allocations: nothing that
// went is touched again, and a drag whose neighbour went ends without OnMoved.
TEST_F(SplitterDrag, FreedDuringADrag) {
  EXPECT_TRUE(Form()->Show().Alive());
  struct TCase {
    const char* Name;
    std::function<void(SplitterDrag&)> Arm;
    bool FreesNeighbourMidway;  // as a timer would, between two moves
    bool FreesSplitter;
  } cases[] = {
      {"OnCanResize frees the neighbour",
       [](SplitterDrag& t) {
         t.splitter_->OnCanResize = [&t](TObject*, int&, bool&) { delete std::exchange(t.side_, nullptr); };
       },
       false, false},
      {"a timer frees the neighbour between two moves", [](SplitterDrag&) {}, true, false},
      {"OnCanResize frees the splitter",
       [](SplitterDrag& t) {
         t.splitter_->OnCanResize = [&t](TObject*, int&, bool&) { delete std::exchange(t.splitter_, nullptr); };
       },
       false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TGuardedAllocations guard;
    FreeAll();
    Build();
    ProcessQueued();
    int moved = 0;
    splitter_->OnMoved = [&moved](TObject*) { ++moved; };
    c.Arm(*this);
    RealDrag(101, {130, 160, 190}, [&] {
      if (c.FreesNeighbourMidway) delete std::exchange(side_, nullptr);
    });
    EXPECT_EQ(splitter_ == nullptr, c.FreesSplitter);
    EXPECT_EQ(side_ == nullptr, !c.FreesSplitter);
    if (!c.FreesSplitter) {
      EXPECT_EQ(moved, 0);
    }
    FreeAll();
  }
  // The pointer goes where no test's controls are.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}
