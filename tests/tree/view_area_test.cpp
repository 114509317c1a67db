// Where the nodes lie in the window: scrolling a node into view both ways.
#include <gtest/gtest.h>

#include <cstdint>

#include "paint_tree.h"

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

}  // namespace tree_test
