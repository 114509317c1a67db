#include "framework/splitter.h"

#include <gtest/gtest.h>

#include "control_fixtures.h"

namespace {

// A left panel 100 wide, the splitter beside it and a client panel, on the 400 x 300 form; the splitter is
// dragged with real mouse messages to the form.
class SplitterDrag : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Form()->HandleNeeded();
    side_ = Make<TTestPanel>(Form(), {0, 0, 100, 300});
    side_->SetAlign(TAlign::alLeft);
    splitter_ = Make<TSplitter>(Form(), {100, 0, 103, 300});
    Make<TTestPanel>(Form(), {0, 0, 10, 10})->SetAlign(TAlign::alClient);
  }
  void Drag(int fromX, int toX) {
    HWND form = Form()->Handle();
    SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromX, 50));
    SendMessageW(form, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, 50));
    SendMessageW(form, WM_LBUTTONUP, 0, MAKELPARAM(toX, 50));
  }

  TTestPanel* side_ = nullptr;
  TSplitter* splitter_ = nullptr;
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
    side_->SetWidth(100);
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
  splitter_->SetAlign(TAlign::alTop);
  EXPECT_EQ(splitter_->Cursor(), crVSplit);
}
