#include <gtest/gtest.h>

#include "dock_fixture.h"
#include "framework/exceptions.h"
#include "support/hostile_input.h"

using namespace toolbars;

namespace {

// Frame along a dock with the single drag handle: 2 + 2 + 6; across it: 2 + 2.
constexpr int kFrameAlong = 10;
constexpr int kFrameAcross = 4;

class DockRows : public DockFormTest, public testing::WithParamInterface<int> {
 protected:
  TBarDock* UnderTest() const { return Dock(GetParam()); }
  bool Vertical() const { return UnderTest()->IsVertical(); }
  int Available() const { return Vertical() ? UnderTest()->ClientHeight() : UnderTest()->ClientWidth(); }
  int Along(const TControl* bar) const { return Vertical() ? bar->Top() : bar->Left(); }
  int Across(const TControl* bar) const { return Vertical() ? bar->Left() : bar->Top(); }
  int Length(const TControl* bar) const { return Vertical() ? bar->Height() : bar->Width(); }
  TPlainBar* Bar(int length, int row, int pos, TBarShrinkMode shrink = TBarShrinkMode::tbsmNone, int minShrink = 0) {
    TPlainBar* bar = AddBar(nullptr, SIZE{length, 20}, row, pos);
    bar->Turns = true;
    bar->Shrink = shrink;
    bar->MinShrink = minShrink;
    EXPECT_TRUE(bar->SetCurrentDock(UnderTest()).Alive());
    return bar;
  }
};

}  // namespace

TEST_P(DockRows, WindowsPushTheirNeighboursAlongTheRow) {
  TPlainBar* first = Bar(60, 0, 0);
  TPlainBar* second = Bar(60, 0, 30);
  TPlainBar* apart = Bar(60, 0, 250);
  EXPECT_EQ(Along(first), 0);
  EXPECT_EQ(Along(second), 60 + kFrameAlong);
  EXPECT_EQ(Along(apart), 250);
  EXPECT_EQ(Length(second), 60 + kFrameAlong);
  EXPECT_EQ(Across(second), 0);
  // The dock is as deep as its row: the deepest client area plus the frame.
  EXPECT_EQ(Vertical() ? UnderTest()->Width() : UnderTest()->Height(), 20 + kFrameAcross);
}

TEST_P(DockRows, AWindowThatDoesNotFitWrapsToTheNextRow) {
  int length = Available() * 4 / 10;
  TPlainBar* first = Bar(length, 0, 0);
  TPlainBar* second = Bar(length, 0, 0);
  TPlainBar* third = Bar(length, 0, 0);
  TPlainBar* below = Bar(60, 1, 0);
  EXPECT_EQ(first->EffectiveDockRow(), 0);
  EXPECT_EQ(second->EffectiveDockRow(), 0);
  EXPECT_EQ(third->EffectiveDockRow(), 1);
  EXPECT_EQ(below->EffectiveDockRow(), 2);
  EXPECT_EQ(Across(third), 20 + kFrameAcross);
  EXPECT_EQ(Across(below), 2 * (20 + kFrameAcross));
  EXPECT_EQ(Along(third), 0);
}

TEST_P(DockRows, AChevronWindowShrinksToWhatIsLeftOfTheRow) {
  int available = Available();
  TPlainBar* fixed = Bar(available / 2, 0, 0);
  TPlainBar* shrinking = Bar(available * 7 / 10, 0, 0, TBarShrinkMode::tbsmChevron, 30);
  EXPECT_EQ(shrinking->EffectiveDockRow(), 0);
  EXPECT_EQ(Along(shrinking), Length(fixed));
  EXPECT_EQ(Length(shrinking), available - Length(fixed));
  // Shrunk below its minimum it would wrap instead.
  TPlainBar* third = Bar(available / 2, 0, 0);
  EXPECT_EQ(third->EffectiveDockRow(), 1);
}

TEST_P(DockRows, OneRowHoldsEveryWindowAndOverflows) {
  EXPECT_TRUE(UnderTest()->SetLimitToOneRow(true).Alive());
  int length = Available() * 4 / 10;
  TPlainBar* bars[] = {Bar(length, 0, 0), Bar(length, 3, 0), Bar(length, 0, 0)};
  int expected = 0;
  for (TPlainBar* bar : bars) {
    EXPECT_EQ(bar->EffectiveDockRow(), 0);
    EXPECT_EQ(Along(bar), expected);
    expected += length + kFrameAlong;
  }
  EXPECT_GT(expected, Available());
}

TEST_P(DockRows, FullSizeAndStretchedWindowsFillTheirSpace) {
  TPlainBar* left = Bar(60, 0, 0);
  TPlainBar* stretched = Bar(60, 0, 100);
  EXPECT_TRUE(stretched->SetStretch(true).Alive());
  TPlainBar* right = Bar(60, 0, 300);
  EXPECT_EQ(Along(stretched), Along(left) + Length(left));
  EXPECT_EQ(Along(stretched) + Length(stretched), Along(right));
  TPlainBar* full = Bar(60, 0, 50);
  EXPECT_TRUE(full->SetFullSize(true).Alive());
  EXPECT_EQ(Length(full), Available());
  EXPECT_EQ(Along(full), 0);
  int sharing = 0;
  for (TPlainBar* bar : {left, stretched, right})
    if (bar->EffectiveDockRow() == full->EffectiveDockRow()) ++sharing;
  EXPECT_EQ(sharing, 0);
}

TEST_P(DockRows, MissingRowsCloseUp) {
  TPlainBar* first = Bar(60, 0, 0);
  TPlainBar* fifth = Bar(60, 5, 0);
  EXPECT_EQ(first->EffectiveDockRow(), 0);
  EXPECT_EQ(fifth->EffectiveDockRow(), 1);
  UnderTest()->SetCommitNewPositions(true);
  EXPECT_TRUE(UnderTest()->ArrangeToolbars().Alive());
  EXPECT_EQ(fifth->DockRow(), 1);
}

// A floating window stays on the list of the dock it came from, to come back to its place there.
TEST_P(DockRows, AFloatingWindowFreedLeavesTheDockItCameFrom) {
  TPlainBar* docked = Bar(60, 0, 0);
  // A freed window stays unreadable.
  TGuardedAllocations guard;
  TPlainBar* floating = Bar(60, 1, 0);
  EXPECT_TRUE(floating->PlaceFloating(POINT{700, 100}).Alive());
  EXPECT_TRUE(floating->FloatOrDock(true).Alive());
  delete floating;
  UnderTest()->SetCommitNewPositions(true);
  EXPECT_TRUE(UnderTest()->ArrangeToolbars().Alive());
  EXPECT_EQ(UnderTest()->GetHighestRow(false), docked->DockRow());
}

INSTANTIATE_TEST_SUITE_P(EachDock, DockRows, testing::Values(0, 1, 2, 3));

TEST_F(DockFormTest, EmptyDocksKeepTheirFixedDepth) {
  EXPECT_EQ(Top()->Height(), 0);
  EXPECT_TRUE(Top()->SetFixAlign(true).Alive());
  EXPECT_EQ(Top()->Height(), 1);
  TPlainBar* bar = AddBar(Top(), SIZE{60, 20});
  EXPECT_EQ(Top()->Height(), 24);
  EXPECT_TRUE(bar->Hide().Alive());
  EXPECT_EQ(Top()->Height(), 1);
  EXPECT_EQ(Top()->ToolbarCount(), 0);
}

TEST_F(DockFormTest, BoundLinesFrameTheRows) {
  EXPECT_TRUE(Top()
                  ->SetBoundLines({TBarDockBoundLine::blTop, TBarDockBoundLine::blBottom, TBarDockBoundLine::blLeft,
                                   TBarDockBoundLine::blRight})
                  .Alive());
  TPlainBar* bar = AddBar(Top(), SIZE{60, 20});
  EXPECT_EQ(Top()->Height(), 20 + kFrameAcross + 2);
  EXPECT_EQ(Top()->ClientWidth(), Top()->Width() - 2);
  EXPECT_EQ(bar->Height(), 24);
}

TEST_F(DockFormTest, ADockRefusesWhatCannotHoldIt) {
  AddBar(Top(), SIZE{60, 20});
  try {
    EXPECT_TRUE(Top()->SetPosition(TBarDockPosition::dpLeft).Alive());
    FAIL() << "the position changed under a toolbar";
  } catch (const EInvalidOperation& error) {
    EXPECT_EQ(error.Message(), L"Cannot change Position of a TBarDock if it already contains controls");
  }
  auto* inner = new TBarDock(Form());
  TPlainBar* bar = AddBar(nullptr, SIZE{60, 20});
  try {
    EXPECT_TRUE(inner->SetParent(bar).Alive());
    FAIL() << "a dock went into a dockable window";
  } catch (const EInvalidOperation& error) {
    EXPECT_EQ(error.Message(), L"A TBarDock control cannot be placed inside a tool window or another TBarDock");
  }
}

TEST_F(DockFormTest, DockedFrameFollowsHandleAndCloseButton) {
  struct TCase {
    TBarDragHandleStyle Style;
    bool Close;
    int Width;
  } cases[] = {{TBarDragHandleStyle::dhSingle, false, 10},
               {TBarDragHandleStyle::dhDouble, false, 13},
               {TBarDragHandleStyle::dhNone, false, 4},
               {TBarDragHandleStyle::dhNone, true, 18}};
  TPlainBar* bar = AddBar(Top(), SIZE{60, 20});
  for (const TCase& c : cases) {
    EXPECT_TRUE(bar->SetDragHandleStyle(c.Style).Alive());
    EXPECT_TRUE(bar->SetCloseButtonWhenDocked(c.Close).Alive());
    EXPECT_EQ(bar->NonClientWidth(), c.Width);
    EXPECT_EQ(bar->NonClientHeight(), 4);
    EXPECT_EQ(bar->Width(), 60 + c.Width);
    EXPECT_EQ(bar->ClientWidth(), 60);
  }
  EXPECT_TRUE(Top()->SetAllowDrag(false).Alive());
  EXPECT_EQ(bar->NonClientWidth(), 4);
  EXPECT_EQ(bar->ClientWidth(), 60);
}

TEST_P(DockRows, WindowsThatMovePaintAgainWhole) {
  TPlainBar* first = Bar(60, 0, 0);
  TPlainBar* second = Bar(60, 0, 100);
  ProcessPendingMessages();
  const RECT before = second->BoundsRect();
  // A window docked in front of them pushes them along.
  TPlainBar* arriving = AddBar(nullptr, SIZE{80, 20}, 0, 0);
  arriving->Turns = true;
  EXPECT_TRUE(arriving->SetCurrentDock(UnderTest()).Alive());
  const RECT after = second->BoundsRect();
  ASSERT_FALSE(EqualRect(&before, &after));
  for (TPlainBar* bar : {first, second}) {
    RECT update{};
    GetUpdateRect(bar->Handle(), &update, FALSE);
    const RECT client = bar->ClientRect();
    EXPECT_TRUE(EqualRect(&update, &client)) << "update " << update.left << "," << update.top << "," << update.right
                                             << "," << update.bottom;
  }
  RECT dockUpdate{};
  GetUpdateRect(UnderTest()->Handle(), &dockUpdate, FALSE);
  const RECT dockClient = UnderTest()->ClientRect();
  EXPECT_TRUE(EqualRect(&dockUpdate, &dockClient));
}
