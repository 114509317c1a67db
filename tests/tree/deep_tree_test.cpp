// Trees as deep as they are wide: a chain of a million nested nodes goes through every walk of the public API
// (build, save, load, sort, expand, collapse, validate, move, delete) with the stack a test starts with.
#include <gtest/gtest.h>

#include <string>

#include "framework/streams.h"
#include "tree/base_tree.h"
#include "tree/tree_fixture.h"

namespace tree_test {

namespace {

constexpr int ChainDepth = 1000000;

std::string Saved(TBaseTree& tree, PTreeNode node = nullptr) {
  TMemoryStream stream;
  tree.SaveToStream(stream, node);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void Load(TBaseTree& tree, const std::string& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  stream.SetPosition(0);
  tree.LoadFromStream(stream);
}

// Keys 0..depth-1 from the top down; answers the deepest node.
PTreeNode BuildChain(TKeyedTree& tree, int depth) {
  PTreeNode node = nullptr;
  for (int key = 0; key < depth; ++key) node = tree.Add(key, node);
  return node;
}

// Walks down the first children, checking the keys run 0, 1, 2, ...; answers the number of levels.
int ChainLength(TKeyedTree& tree) {
  int levels = 0;
  for (PTreeNode node = tree.GetFirstNoInit(); node; node = node->FirstChild) {
    if (Key(tree, node) != levels) return -1;
    ++levels;
  }
  return levels;
}

}  // namespace

TEST(DeepTrees, MillionLevelChainThroughThePublicApi) {
  TKeyedTree tree;
  PTreeNode deepest = BuildChain(tree, ChainDepth);
  ASSERT_EQ(tree.TotalCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(tree.GetNodeLevel(deepest), static_cast<std::uint32_t>(ChainDepth - 1));
  EXPECT_EQ(CheckInvariants(tree), "");

  // Saved and loaded back: the reader is bounded by the data, not by a nesting limit.
  const std::string saved = Saved(tree);
  TKeyedTree copy;
  Load(copy, saved);
  EXPECT_EQ(copy.TotalCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(ChainLength(copy), ChainDepth);
  EXPECT_EQ(CheckInvariants(copy), "");
  EXPECT_EQ(Saved(copy), saved) << "the loaded chain saves the same bytes";

  int compares = 0;
  copy.OnCompareNodes = [&](TBaseTree*, PTreeNode, PTreeNode, TColumnIndex, int& result) {
    ++compares;
    result = 0;
  };
  copy.SortTree(0, TSortDirection::sdDescending, true);
  EXPECT_EQ(compares, 0) << "single children need no comparison";
  EXPECT_EQ(ChainLength(copy), ChainDepth);

  copy.ValidateNode(nullptr, true);
  copy.FullExpand();
  EXPECT_EQ(copy.VisibleCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(copy.RootNode()->TotalHeight, copy.RootNode()->NodeHeight + ChainDepth * copy.DefaultNodeHeight());
  EXPECT_EQ(CheckInvariants(copy), "");
  copy.FullCollapse();
  EXPECT_EQ(copy.VisibleCount(), 1u);
  EXPECT_EQ(CheckInvariants(copy), "");

  // The lower half moves up to the top level, then everything goes.
  PTreeNode middle = copy.GetFirstNoInit();
  for (int level = 0; level < ChainDepth / 2; ++level) middle = middle->FirstChild;
  copy.MoveTo(middle, nullptr, TTreeNodeAttachMode::amAddChildLast, false);
  EXPECT_EQ(copy.RootNode()->ChildCount, 2u);
  EXPECT_EQ(copy.TotalCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(CheckInvariants(copy), "");
  copy.DeleteNode(copy.GetFirstNoInit());
  EXPECT_EQ(copy.TotalCount(), static_cast<std::uint32_t>(ChainDepth / 2));
  copy.DeleteChildren(copy.GetFirstNoInit());
  EXPECT_EQ(copy.TotalCount(), 1u);
  EXPECT_EQ(CheckInvariants(copy), "");

  int freed = 0;
  tree.OnFreeNode = [&](TBaseTree*, PTreeNode) { ++freed; };
  tree.DeleteNode(tree.GetFirstNoInit());
  tree.OnFreeNode = nullptr;
  EXPECT_EQ(tree.TotalCount(), 0u);
  // Saving initialized the deepest node too: every node gets its last event.
  EXPECT_EQ(freed, ChainDepth);
}

}  // namespace tree_test
