// Font changes made by event handlers while cells paint reach the tree, and still reach the canvas.
#include <gtest/gtest.h>

#include <vector>

#include "paint_tree.h"

namespace tree_test {
namespace {

// Records per painted cell whether the font changed since the cell began, and the height of a line of text.
struct TFontWatchingTree : TPaintTree {
  using TPaintTree::TPaintTree;
  std::vector<bool> changed;
  std::vector<int> textHeights;

 protected:
  TNodeRaised PaintNode(TNodePaintInfo& info) override {
    changed.push_back(CellFontChanged());
    textHeights.push_back(info.Canvas->TextHeight(L"Ag"));
    return TPaintTree::PaintNode(info);
  }
};

}  // namespace

TEST_F(TPaintFixture, FontChangedByACellHandlerIsNoticed) {
  TFontWatchingTree tree(host.Handle(), 200, 100, 3);
  PTreeNode second = tree.GetNextSibling(tree.GetFirst());
  tree.OnBeforeCellPaint = [&](TBaseTree*, TCanvas* canvas, PTreeNode node, TColumnIndex, const RECT&) {
    if (node == second) canvas->Font()->SetSize(canvas->Font()->Size() * 3);
  };
  for (int pass = 0; pass < 2; ++pass) {
    tree.changed.clear();
    tree.textHeights.clear();
    tree.Capture();
    ASSERT_EQ(tree.changed.size(), 3u) << "pass " << pass;
    EXPECT_EQ(tree.changed, (std::vector<bool>{false, true, false})) << "pass " << pass;
    EXPECT_GT(tree.textHeights[1], tree.textHeights[0]) << "the canvas still takes the new font, pass " << pass;
  }
}

}  // namespace tree_test
