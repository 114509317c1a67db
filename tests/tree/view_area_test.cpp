// Where the nodes lie in the window: scrolling a node into view both ways, and trees taller than a 32-bit
// coordinate reaches, scrolled by bar and keys and painted at their far end.
#include <gtest/gtest.h>

#include <cstdint>

#include "paint_tree.h"
#include "tree/scroll_bar_options.h"

namespace tree_test {
namespace {

using ViewArea = TPaintFixture;

// The last node of a chain of depth levels below one top-level node, everything expanded.
PTreeNode Chain(TBaseTree& tree, int depth) {
  PTreeNode node = tree.GetFirst();
  for (int level = 0; level < depth; ++level) node = tree.AddChild(node);
  tree.FullExpand();
  return node;
}

}  // namespace

TEST_F(ViewArea, ScrollIntoViewReachesTextsOutsideTheClientBothWays) {
  TPaintTree tree(host.Handle(), 220, 120, 1);
  PTreeNode deep = Chain(tree, 40);
  PTreeNode top = tree.GetFirst();
  const RECT start = tree.GetDisplayRect(deep, NoColumn, true, true);
  ASSERT_GT(start.left, tree.ClientWidth()) << "the text begins right of the client";
  struct TCase {
    const char* name;
    PTreeNode node;
    bool center;
  };
  const TCase cases[] = {{"deep, to the right", deep, false},
                         {"the top node, back to the left", top, false},
                         {"deep, centred", deep, true}};
  for (const TCase& c : cases) {
    EXPECT_TRUE(tree.ScrollIntoView(c.node, c.center, true)) << c.name;
    const RECT text = tree.GetDisplayRect(c.node, NoColumn, true, true);
    EXPECT_GE(text.left, 0) << c.name;
    EXPECT_LE(text.right, tree.ClientWidth()) << c.name;
    EXPECT_GE(text.top, 0) << c.name;
    EXPECT_LE(text.bottom, tree.ClientHeight()) << c.name;
    EXPECT_FALSE(tree.ScrollIntoView(c.node, c.center, true)) << c.name << ": in view already";
  }
  // The content really shows there.
  TWindowCapture shot = tree.Capture();
  const RECT text = tree.GetDisplayRect(deep, NoColumn, true, true);
  EXPECT_GT(shot.CountPixels(tree.contentColor, &text), 0);
}

// The text of a node indented past the client's right edge lies outside its cell: clipped, nothing of it is left,
// an empty rectangle at the cell's far edge in either reading direction, however far out the indentation goes.
TEST_F(ViewArea, TextOfANodeIndentedPastTheClientIsClippedToNothing) {
  TPaintTree tree(host.Handle(), 220, 120, 1);
  PTreeNode deep = Chain(tree, 40);
  tree.SetTopNode(deep);
  struct TCase {
    int indent;
    TBiDiMode bidi;
  };
  const TCase cases[] = {{18, TBiDiMode::bdLeftToRight},
                         {18, TBiDiMode::bdRightToLeft},
                         {100000000, TBiDiMode::bdLeftToRight},
                         {100000000, TBiDiMode::bdRightToLeft}};
  for (const TCase& c : cases) {
    tree.SetIndent(c.indent);
    tree.SetBiDiMode(c.bidi);
    const bool rtl = c.bidi != TBiDiMode::bdLeftToRight;
    const RECT row = tree.GetDisplayRect(deep, NoColumn, false);
    const RECT text = tree.GetDisplayRect(deep, NoColumn, true, false);
    EXPECT_EQ(text.left, rtl ? row.left : row.right) << c.indent << (rtl ? " right to left" : "");
    EXPECT_EQ(text.right, text.left) << c.indent << (rtl ? " right to left" : "");
    const RECT whole = tree.GetDisplayRect(deep, NoColumn, true, true);
    EXPECT_EQ(whole.right - whole.left, tree.contentWidth) << c.indent << (rtl ? " right to left" : "");
    EXPECT_TRUE(rtl ? whole.right < row.left : whole.left > row.right) << c.indent << (rtl ? " right to left" : "");
  }
}

// 34,000 rows of 65,535 pixels: more than 2^31 pixels, still less than the 2^32 a node's total holds.
TEST_F(ViewArea, TreesTallerThanTwoToTheThirtyFirstScrollAndPaint) {
  TPaintTree tree(host.Handle(), 200, 120, 0);
  tree.SetDefaultNodeHeight(65535);
  tree.SetRootNodeCount(34000);
  const std::int64_t rowHeight = 65535;
  const std::int64_t total = 34000 * rowHeight;
  EXPECT_TRUE(GetWindowLongW(tree.Handle(), GWL_STYLE) & WS_VSCROLL) << "the bar is shown";
  PTreeNode last = tree.GetLastVisible();
  PTreeNode middle = tree.GetFirst();
  for (int i = 0; i < 17000; ++i) middle = tree.GetNextVisible(middle);
  EXPECT_EQ(tree.GetNodeTop(middle), 17000 * rowHeight);
  EXPECT_EQ(tree.GetNodeTop(last), total - rowHeight);

  struct TCase {
    const char* name;
    UINT code;
    std::int64_t offset;  // expected OffsetY afterwards
  };
  const std::int64_t bottom = tree.ClientHeight() - total;
  const TCase cases[] = {{"to the bottom", SB_BOTTOM, bottom},
                         {"a line up", SB_LINEUP, bottom + tree.ScrollBarOptions()->VerticalIncrement()},
                         {"to the top", SB_TOP, 0}};
  for (const TCase& c : cases) {
    SendMessageW(tree.Handle(), WM_VSCROLL, c.code, 0);
    EXPECT_EQ(tree.OffsetY(), c.offset) << c.name;
  }
  tree.SetTopNode(middle);
  EXPECT_EQ(tree.OffsetY(), -17000 * rowHeight);
  EXPECT_EQ(tree.GetTopNode(), middle);
  const RECT row = tree.GetDisplayRect(middle, NoColumn, false);
  EXPECT_EQ(row.top, 0);

  // The bar's thumb follows: dragged to its end it shows the last row.
  SendMessageW(tree.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(tree.Handle(), SB_VERT, &info);
  EXPECT_GT(info.nMax, 0);
  EXPECT_GE(info.nPos + static_cast<int>(info.nPage), info.nMax) << "the thumb sits at the end";
  SendMessageW(tree.Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(tree.OffsetY(), 0);

  // Scrolled to the end, the window paints the last row's content.
  tree.SetTopNode(last);
  EXPECT_EQ(tree.GetNodeAt(0, 0), last);
  EXPECT_GT(tree.Capture().CountPixels(tree.contentColor), 0);
}

}  // namespace tree_test
