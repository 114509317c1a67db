// The tree's hint window: its text from the caller or the tree, its size with and without the shadow, placement on
// the desktop, right-to-left columns, the fade and slide steps driven through its timer, and the messages that end
// it.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_screen.h"
#include "framework/screen.h"
#include "header_tree.h"
#include "support/window_capture.h"
#include "tree/tree_hint_window.h"
#include "tree/tree_unit.h"

namespace tree_test {
namespace {

// A tree whose hints and tooltips name the column asked for.
struct THintingTree : THeaderTree {
  using THeaderTree::THeaderTree;
  TNodeRaised DoGetNodeHint(PTreeNode, TColumnIndex column, String& hint) override {
    hint = L"hint " + std::to_wstring(column);
    return TNodeRaised(true, true);
  }
  TNodeRaised DoGetNodeTooltip(PTreeNode, TColumnIndex column, String& tooltip) override {
    tooltip = L"tip " + std::to_wstring(column);
    return TNodeRaised(true, true);
  }
};

struct THintFixture : ::testing::Test {
  TFakeScreen screen;
  TTestWindow host{RECT{100, 100, 500, 400}};
  THintingTree tree{host.Handle(), 300, 200, {100, 150}};
  TTreeHintWindow hint{nullptr};

  TTreeHintData Data(TColumnIndex column, const String& text = {}) {
    TTreeHintData data;
    data.Tree = &tree;
    data.TreeLife = tree.LifeWatch();
    data.Column = column;
    data.DefaultHint = text;
    return data;
  }
  int TextWidth(const String& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Screen->HintFont()->Handle());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
  }
  // Shows the hint at the screen point with the animation asked for.
  void Show(TTreeHintData data, POINT at, THintAnimationType animation = THintAnimationType::hatNone,
            int extraWidth = 0) {
    tree.SetHintAnimation(animation);
    RECT r = hint.CalcHintRect(400, L"", &data);
    r.right += extraWidth;
    OffsetRect(&r, at.x, at.y);
    EXPECT_TRUE(hint.ActivateHint(r, hint.HintData().HintText).Alive());
  }
};

TEST_F(THintFixture, TextAndSize) {
  struct TCase {
    String defaultHint;
    TTreeHintMode mode;
    String shown;
  };
  const TCase cases[] = {{L"given text", TTreeHintMode::hmDefault, L"given text"},
                         {L"", TTreeHintMode::hmDefault, L"hint 1"},
                         {L"", TTreeHintMode::hmHint, L"hint 1"},
                         {L"", TTreeHintMode::hmTooltip, L"tip 1"}};
  bool hadMMX = tree::HasMMX;
  for (bool mmx : {true, false}) {
    tree::HasMMX = mmx;
    for (const TCase& c : cases) {
      tree.SetHintMode(c.mode);
      TTreeHintData data = Data(1, c.defaultHint);
      RECT r = hint.CalcHintRect(400, L"", &data);
      EXPECT_EQ(hint.HintData().HintText, c.shown);
      int shadow = mmx ? 5 : 0;
      EXPECT_EQ(r.right - r.left, TextWidth(c.shown) + 2 * tree.TextMargin() + 2 + shadow) << c.shown;
      EXPECT_EQ(r.bottom - r.top, hint.TextHeight() + 6 + shadow);
    }
  }
  tree::HasMMX = hadMMX;
  // Nothing to say: no hint.
  tree.SetHintMode(TTreeHintMode::hmDefault);
  struct TSilentTree : TTestTree {
    TNodeRaised DoGetNodeHint(PTreeNode, TColumnIndex, String& hint) override {
      hint.clear();
      return TNodeRaised(true, true);
    }
  } silent;
  TTreeHintData data;
  data.Tree = &silent;
  data.TreeLife = silent.LifeWatch();
  RECT r = hint.CalcHintRect(400, L"", &data);
  EXPECT_TRUE(IsRectEmpty(&r));
}

TEST_F(THintFixture, StaysOnTheDesktop) {
  RECT desktop = Screen->DesktopRect();
  struct TCase {
    POINT at;
  };
  for (POINT at : {POINT{desktop.right - 3, desktop.bottom - 2}, POINT{desktop.left - 50, desktop.top - 40},
                   POINT{desktop.left + 10, desktop.top + 10}}) {
    Show(Data(0, L"a hint near the edge"), at);
    RECT window{};
    GetWindowRect(hint.Handle(), &window);
    EXPECT_TRUE(IsWindowVisible(hint.Handle()));
    EXPECT_GE(window.left, desktop.left);
    EXPECT_GE(window.top, desktop.top);
    EXPECT_LE(window.right, desktop.right);
    EXPECT_LE(window.bottom, desktop.bottom);
    if (at.x > desktop.left && at.y > desktop.top && at.x < desktop.left + 100) {
      EXPECT_EQ(window.left, at.x);
      EXPECT_EQ(window.top, at.y);
    }
  }
}

// Without a column the hint takes the tree's alignment, mirrored for right-to-left reading like a column's.
TEST_F(THintFixture, WithoutAColumnTheTreesAlignmentHolds) {
  struct TCase {
    TAlignment tree;
    TBiDiMode bidi;
    TAlignment hint;
  };
  const TCase cases[] = {
      {TAlignment::taLeftJustify, TBiDiMode::bdLeftToRight, TAlignment::taLeftJustify},
      {TAlignment::taRightJustify, TBiDiMode::bdLeftToRight, TAlignment::taRightJustify},
      {TAlignment::taCenter, TBiDiMode::bdLeftToRight, TAlignment::taCenter},
      {TAlignment::taRightJustify, TBiDiMode::bdRightToLeft, TAlignment::taLeftJustify},
  };
  for (const TCase& c : cases) {
    tree.SetAlignment(c.tree);
    tree.SetBiDiMode(c.bidi);
    TTreeHintData data = Data(NoColumn, L"a hint");
    hint.CalcHintRect(400, L"", &data);
    EXPECT_EQ(hint.HintData().Alignment, c.hint) << static_cast<int>(c.tree) << " " << static_cast<int>(c.bidi);
  }
  tree.SetBiDiMode(TBiDiMode::bdLeftToRight);
}

// A right-to-left column puts its text against the right edge.
TEST_F(THintFixture, RightToLeftColumnAlignsRight) {
  for (bool rightToLeft : {false, true}) {
    tree.Header()->Columns()->Items(1)->SetBiDiMode(rightToLeft ? TBiDiMode::bdRightToLeft : TBiDiMode::bdLeftToRight);
    Show(Data(1, L"iii"), POINT{50, 50}, THintAnimationType::hatNone, 100);
    EXPECT_EQ(hint.HintData().BidiMode, rightToLeft ? TBiDiMode::bdRightToLeft : TBiDiMode::bdLeftToRight);
    TWindowCapture capture = TWindowCapture::OfClient(hint.Handle());
    KeepCaptureForViewing(capture, rightToLeft ? L"tree_hint_rtl" : L"tree_hint_ltr");
    int width = capture.Width() - TTreeHintWindow::ShadowSize();
    // The text's extent inside the frame.
    RECT text{width, 0, 0, 0};
    for (int y = 2; y < capture.Height() - TTreeHintWindow::ShadowSize() - 2; ++y)
      for (int x = 2; x < width - 2; ++x)
        if (capture.Pixel(x, y) != GetSysColor(COLOR_INFOBK)) {
          text.left = std::min<LONG>(text.left, x);
          text.right = std::max<LONG>(text.right, x + 1);
        }
    ASSERT_LT(text.left, text.right);
    if (rightToLeft)
      EXPECT_GT(text.left, width / 2);
    else
      EXPECT_LT(text.right, width / 2);
    // The frame is black, the inside the info colour, the shadow darker than the screen behind it.
    EXPECT_EQ(capture.Pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(capture.Pixel(2, 1), GetSysColor(COLOR_INFOBK));
    if (TTreeHintWindow::ShadowSize()) {
      RECT window{};
      GetWindowRect(hint.Handle(), &window);
      int x = capture.Width() - 1, y = capture.Height() / 2;
      COLORREF behind = TFakeScreen::Original(window.left + x, window.top + y);
      COLORREF shadow = capture.Pixel(x, y);
      EXPECT_LE(GetRValue(shadow), GetRValue(behind));
      EXPECT_LT(GetRValue(shadow) + GetGValue(shadow) + GetBValue(shadow),
                GetRValue(behind) + GetGValue(behind) + GetBValue(behind));
    }
  }
}

TEST_F(THintFixture, FadeAndSlideStepsOnTheTimer) {
  tree.SetAnimationDuration(100);
  Show(Data(0, L"fading"), POINT{60, 70}, THintAnimationType::hatFade);
  ASSERT_EQ(hint.Animation(), THintAnimationType::hatFade);
  RECT window{};
  GetWindowRect(hint.Handle(), &window);
  int ticks = 0;
  while (hint.Animation() == THintAnimationType::hatFade && ticks < 300) {
    int step = hint.AnimationStep();
    TWindowCapture capture = TWindowCapture::OfClient(hint.Handle());
    COLORREF expected =
        Blend(TFakeScreen::Original(window.left + 2, window.top + 1), GetSysColor(COLOR_INFOBK), step * 256 / 255);
    EXPECT_TRUE(Near(capture.Pixel(2, 1), expected)) << step;
    SendMessageW(hint.Handle(), WM_TIMER, HintAnimationTimer, 0);
    ++ticks;
  }
  // Twice the animation duration in ticks of the timer's interval, give or take rounding.
  EXPECT_GE(ticks, 15);
  EXPECT_LE(ticks, 30);
  EXPECT_EQ(TWindowCapture::OfClient(hint.Handle()).Pixel(2, 1), GetSysColor(COLOR_INFOBK));

  Show(Data(0, L"sliding"), POINT{60, 70}, THintAnimationType::hatSlide);
  ASSERT_EQ(hint.Animation(), THintAnimationType::hatSlide);
  SendMessageW(hint.Handle(), WM_TIMER, HintAnimationTimer, 0);
  int step = hint.AnimationStep();
  ASSERT_GT(step, 1);
  TWindowCapture capture = TWindowCapture::OfClient(hint.Handle());
  GetWindowRect(hint.Handle(), &window);
  // The bottom rows of the hint (ending in the frame) have come down; below them the screen still shows.
  EXPECT_EQ(capture.Pixel(5, step - 1), RGB(0, 0, 0));
  EXPECT_EQ(capture.Pixel(5, step + 1), TFakeScreen::Original(window.left + 5, window.top + step + 1));
  // Hidden mid-way, the animation stops at the next tick.
  ShowWindow(hint.Handle(), SW_HIDE);
  SendMessageW(hint.Handle(), WM_TIMER, HintAnimationTimer, 0);
  EXPECT_EQ(hint.Animation(), THintAnimationType::hatNone);
}

TEST_F(THintFixture, AnotherHintWindowGoneEndsTheAnimationWhole) {
  tree.SetAnimationDuration(1000);
  Show(Data(0, L"sliding"), POINT{60, 70}, THintAnimationType::hatSlide);
  SendMessageW(hint.Handle(), WM_TIMER, HintAnimationTimer, 0);
  ASSERT_EQ(hint.Animation(), THintAnimationType::hatSlide);
  { TTreeHintWindow gone(nullptr); }
  EXPECT_TRUE(HintWindowDestroyed);
  SendMessageW(hint.Handle(), WM_TIMER, HintAnimationTimer, 0);
  EXPECT_EQ(hint.Animation(), THintAnimationType::hatNone);
  EXPECT_EQ(TWindowCapture::OfClient(hint.Handle()).Pixel(2, 1), GetSysColor(COLOR_INFOBK)) << "the whole hint shows";
  // A new hint window lets animations run again.
  TTreeHintWindow next(nullptr);
  EXPECT_FALSE(HintWindowDestroyed);
  Show(Data(0, L"sliding"), POINT{60, 70}, THintAnimationType::hatSlide);
  SendMessageW(hint.Handle(), WM_TIMER, HintAnimationTimer, 0);
  EXPECT_EQ(hint.Animation(), THintAnimationType::hatSlide);
}

TEST_F(THintFixture, MessagesThatEndTheHint) {
  Show(Data(0, L"shown"), POINT{60, 70});
  struct TCase {
    UINT message;
    bool ends;
  };
  const TCase cases[] = {{WM_NCMOUSEMOVE, false}, {WM_LBUTTONDOWN, true}, {WM_KEYDOWN, true}, {WM_MOUSEMOVE, false}};
  for (const TCase& c : cases) {
    MSG msg{tree.Handle(), c.message, 0, 0, 0, {}};
    EXPECT_EQ(hint.IsHintMsg(msg), c.ends) << c.message;
  }
  ShowWindow(hint.Handle(), SW_HIDE);
  MSG click{tree.Handle(), WM_LBUTTONDOWN, 0, 0, 0, {}};
  EXPECT_FALSE(hint.IsHintMsg(click));
  // While the tree animates, no hint is shown.
  tree.DoStateChange({TTreeState::stInAnimation});
  Show(Data(0, L"not now"), POINT{60, 70});
  EXPECT_FALSE(IsWindowVisible(hint.Handle()));
  tree.DoStateChange({}, {TTreeState::stInAnimation});
}

}  // namespace
}  // namespace tree_test
