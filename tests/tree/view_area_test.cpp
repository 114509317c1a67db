// Where the nodes lie in the window: scrolling a node into view both ways, and trees taller than a 32-bit
// coordinate reaches, scrolled by bar and keys and painted at their far end.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "paint_tree.h"
#include "support/modal_input.h"
#include "tree/scroll_bar_options.h"

namespace tree_test {
namespace {

using ViewArea = TPaintFixture;

// The last node of a chain of depth levels below one top-level node, everything expanded.
PTreeNode Chain(TBaseTree& tree, int depth) {
  PTreeNode node = tree.GetFirst();
  for (int level = 0; level < depth; ++level) node = tree.AddChild(node);
  EXPECT_TRUE(tree.FullExpand().Alive());
  return node;
}

}  // namespace

// A change outside an update bracket that moves shown rows leaves them to be drawn again (a deleted row stayed on
// the screen until something else repainted it), and the vertical bar follows the rows once the window's messages
// are served.
TEST_F(ViewArea, RowsAChangeMovedAreDrawnAgainAndTheBarFollows) {
  struct TCase {
    const char* name;
    std::function<void(TPaintTree& tree)> change;
    int firstMovedRow;  // the first row of the view whose content changed
    std::uint32_t rowsAfter;
  };
  auto row = [](TPaintTree& tree, int index) {
    PTreeNode node = tree.GetFirst();
    for (int i = 0; i < index; ++i) node = tree.GetNextVisible(node);
    return node;
  };
  const TCase cases[] = {
      {"the first row deleted", [&](TPaintTree& tree) { EXPECT_TRUE(tree.DeleteNode(row(tree, 0)).Alive()); }, 0, 31},
      {"a row below the first deleted", [&](TPaintTree& tree) { EXPECT_TRUE(tree.DeleteNode(row(tree, 5)).Alive()); },
       5, 31},
      {"an open row's children deleted",
       [&](TPaintTree& tree) { EXPECT_FALSE(tree.DeleteChildren(row(tree, 3)).TreeGone()); }, 3, 30},
      {"every row deleted", [](TPaintTree& tree) { EXPECT_FALSE(tree.DeleteChildren(nullptr).TreeGone()); }, 0, 0},
      {"a row appended", [](TPaintTree& tree) { tree.AddChild(nullptr); }, 0, 33},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TPaintTree tree(host.Handle(), 200, 200, 30);
    PTreeNode open = row(tree, 3);
    tree.AddChild(open);
    tree.AddChild(open);
    EXPECT_FALSE(tree.SetExpanded(open, true).TreeGone());
    ProcessPendingMessages();
    UpdateWindow(tree.Handle());
    c.change(tree);
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(tree.Handle(), &update, FALSE)) << "nothing is drawn again";
    EXPECT_LE(update.top, c.firstMovedRow * tree.DefaultNodeHeight());
    EXPECT_EQ(update.bottom, tree.ClientHeight());
    ProcessPendingMessages();
    EXPECT_EQ(tree.VisibleCount(), c.rowsAfter);
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    const bool shown = GetScrollInfo(tree.Handle(), SB_VERT, &bar) && bar.nMax > static_cast<int>(bar.nPage);
    EXPECT_EQ(shown, c.rowsAfter * tree.DefaultNodeHeight() > static_cast<std::uint32_t>(tree.ClientHeight()));
    if (shown) {
      EXPECT_EQ(bar.nMax, static_cast<int>(c.rowsAfter * tree.DefaultNodeHeight()));
    }
  }
}

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
  EXPECT_TRUE(tree.SetTopNode(deep).Alive());
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

// Rows of 65,535 pixels: 34,000 of them pass 2^31 pixels, 100,000 pass the 2^32 a node's own record holds. Both
// scroll by bar, keys and calls to their last row, answer positions there and paint it.
TEST_F(ViewArea, TreesTallerThanThirtyTwoBitsScrollAndPaint) {
  const std::int64_t rowHeight = 65535;
  for (const std::int64_t rows : {34000, 100000}) {
    SCOPED_TRACE(rows);
    TPaintTree tree(host.Handle(), 200, 120, 0);
    tree.SetDefaultNodeHeight(65535);
    EXPECT_TRUE(tree.SetRootNodeCount(static_cast<std::uint32_t>(rows)).Alive());
    const std::int64_t total = rows * rowHeight;
    EXPECT_EQ(tree.NodeTotalHeight(nullptr), static_cast<std::uint64_t>(total + rowHeight)) << "the root's own row";
    EXPECT_TRUE(GetWindowLongW(tree.Handle(), GWL_STYLE) & WS_VSCROLL) << "the bar is shown";
    PTreeNode last = tree.GetLastVisible();
    PTreeNode middle = tree.GetFirst();
    for (std::int64_t i = 0; i < rows / 2; ++i) middle = tree.GetNextVisible(middle);
    EXPECT_EQ(tree.GetNodeTop(middle), rows / 2 * rowHeight);
    EXPECT_EQ(tree.GetNodeTop(last), total - rowHeight);
    TTreePosition top = 0;
    EXPECT_EQ(tree.GetNodeAtPosition(total - 1, top), last);
    EXPECT_EQ(top, total - rowHeight);
    EXPECT_EQ(tree.GetNodeAtPosition(total, top), nullptr);

    struct TCase {
      const char* name;
      std::function<void()> scroll;
      std::int64_t offset;  // expected OffsetY afterwards
    };
    const std::int64_t bottom = tree.ClientHeight() - total;
    auto bar = [&](UINT code) { return [&tree, code] { SendMessageW(tree.Handle(), WM_VSCROLL, code, 0); }; };
    const TCase cases[] = {
        {"to the bottom", bar(SB_BOTTOM), bottom},
        {"a line up", bar(SB_LINEUP), bottom + tree.ScrollBarOptions()->VerticalIncrement()},
        {"to the top", bar(SB_TOP), 0},
        {"End", [&] { tree.Press(VK_END); }, bottom},
        {"Home", [&] { tree.Press(VK_HOME); }, 0},
        {"ScrollIntoView", [&] { tree.ScrollIntoView(last, false); }, bottom},
        {"SetOffsetY to the top", [&] { EXPECT_TRUE(tree.SetOffsetY(0).Alive()); }, 0},
        {"SetOffsetY past the end", [&] { EXPECT_TRUE(tree.SetOffsetY(-2 * total).Alive()); }, bottom},
    };
    for (const TCase& c : cases) {
      c.scroll();
      EXPECT_EQ(tree.OffsetY(), c.offset) << c.name;
    }
    EXPECT_EQ(tree.FocusedNode(), tree.GetFirst()) << "Home after End";
    EXPECT_TRUE(tree.SetTopNode(middle).Alive());
    EXPECT_EQ(tree.OffsetY(), -rows / 2 * rowHeight);
    EXPECT_EQ(tree.GetTopNode(), middle);
    EXPECT_EQ(tree.GetDisplayRect(middle, NoColumn, false).top, 0);

    // The bar's thumb follows: sent to its end it sits there.
    SendMessageW(tree.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(tree.Handle(), SB_VERT, &info);
    EXPECT_GT(info.nMax, 0);
    EXPECT_GE(info.nPos + static_cast<int>(info.nPage), info.nMax) << "the thumb sits at the end";

    // Scrolled to the end, the window paints the last row's content.
    EXPECT_TRUE(tree.SetTopNode(last).Alive());
    EXPECT_EQ(tree.GetNodeAt(0, 0), last);
    EXPECT_GT(tree.Capture().CountPixels(tree.contentColor), 0);
  }
}

}  // namespace tree_test
