// A drag driven by the system's mouse input, from a source component through the platform's drag loop to a
// registered control of another window of this program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/bitmap.h"
#include "framework/image_list.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/drop_target.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "support/modal_input.h"
#include "support/test_window.h"

using namespace shell;

namespace {

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(INPUT));
}

// Moves the cursor in steps from one screen point to another, each step after the loop has run.
void MoveInSteps(POINT from, POINT to, int steps, std::function<void()> then) {
  for (int i = 1; i <= steps; ++i) {
    POINT at{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
    PostInputFromLoop([at] { SetCursorPos(at.x, at.y), SendMouse(MOUSEEVENTF_MOVE); }, static_cast<UINT>(40 * i));
  }
  PostInputFromLoop(std::move(then), static_cast<UINT>(40 * (steps + 2)));
}

// The drag loop reads the thread's key state, which follows the input only as the queue hands it out.
void WaitForKeyState(int key, bool down) {
  for (int i = 0; i < 100; ++i) {
    ProcessPendingMessages();
    if ((GetKeyState(key) < 0) == down) return;
    Sleep(10);
  }
}

class RealDrag : public TDragDropTest {
 protected:
  void SetUp() override {
    panel_.SetBounds(0, 0, 200, 150);
    panel_.SetParentWindow(targetHost_.Handle());
    target_.SetDragtypes({TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink});
    target_.RegisterTargetControl(&panel_);
    received_ = new TTextDataFormat(&target_);
    target_.OnDrop = [this](TObject*, TShiftState, POINT, DWORD& effect) {
      dropped_.push_back(received_->Text());
      effects_.push_back(effect);
    };
    offered_ = new TTextDataFormat(&source_);
    offered_->SetText("dragged across");
    source_.SetDragTypes({TDragType::dtCopy, TDragType::dtMove});
    source_.OnAfterDrop = [this](TObject*, TDragResult, bool optimized) { optimized_.push_back(optimized); };
  }

  // Modifier keys sent as input do not reach the drag loop under the test display, so the effect is steered by
  // the drag types here and the keys are covered by direct calls of the target.
  TDragResult Drag(POINT to) {
    POINT from{200, 175};
    SetCursorPos(from.x, from.y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    WaitForKeyState(VK_LBUTTON, true);
    TDragResult result = TDragResult::drUnknown;
    bool inTime = RunModalWithInput([&] { MoveInSteps(from, to, 6, [] { SendMouse(MOUSEEVENTF_LEFTUP); }); },
                                    [&] { result = source_.Execute(); });
    EXPECT_TRUE(inTime);
    WaitForKeyState(VK_LBUTTON, false);
    return result;
  }

  TTestWindow sourceHost_{RECT{100, 100, 300, 250}};
  TTestWindow targetHost_{RECT{400, 100, 600, 250}};
  TDropPanel panel_{nullptr};
  TCustomDropMultiTarget target_{nullptr};
  TCustomDropMultiSource source_{nullptr};
  TTextDataFormat* received_ = nullptr;
  TTextDataFormat* offered_ = nullptr;
  std::vector<std::string> dropped_;
  std::vector<DWORD> effects_;
  std::vector<bool> optimized_;
};

TEST_F(RealDrag, ADropOnTheOtherWindowMovesTheText) {
  EXPECT_EQ(Drag(POINT{500, 175}), TDragResult::drDropMove);
  EXPECT_EQ(dropped_, std::vector<std::string>{"dragged across"});
  EXPECT_EQ(effects_, std::vector<DWORD>{DROPEFFECT_MOVE});
  // The target performed the move itself, so the source has nothing left to delete.
  EXPECT_EQ(source_.GetPerformedDropEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(optimized_, std::vector<bool>{false});
}

TEST_F(RealDrag, ASourceThatOffersOnlyCopiesIsCopied) {
  source_.SetDragTypes({TDragType::dtCopy});
  EXPECT_EQ(Drag(POINT{500, 175}), TDragResult::drDropCopy);
  EXPECT_EQ(effects_, std::vector<DWORD>{DROPEFFECT_COPY});
}

TEST_F(RealDrag, TheDragImageFallsBackToTheImageListDrag) {
  TImageList images;
  images.SetSize(16, 16);
  TBitmap picture;
  picture.SetSize(16, 16);
  images.Add(&picture, nullptr);
  source_.SetImages(&images);
  source_.SetShowImage(true);
  source_.SetImageHotSpotX(3);
  source_.SetImageHotSpotY(5);
  bool imageShown = false;
  POINT hotSpot{};
  source_.OnFeedback = [&](TObject*, DWORD, bool&) {
    imageShown = imageShown || ImageList_GetDragImage(nullptr, &hotSpot) != nullptr;
  };
  EXPECT_EQ(Drag(POINT{500, 175}), TDragResult::drDropMove);
  // The shell's helper here cannot take a bitmap, so the image list draws the image.
  EXPECT_TRUE(imageShown);
  EXPECT_EQ(hotSpot.x, 3);
  EXPECT_EQ(hotSpot.y, 5);
  EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
  source_.SetImages(nullptr);
}

TEST_F(RealDrag, ReleasingOutsideEveryTargetCancels) {
  EXPECT_EQ(Drag(POINT{350, 400}), TDragResult::drCancel);
  EXPECT_TRUE(dropped_.empty());
  EXPECT_EQ(source_.GetPerformedDropEffect(), 0u);
}

}  // namespace
