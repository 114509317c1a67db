// Trees as deep as they are wide: a chain of a million nested nodes goes through every walk of the public API
// (build, save, load, sort, expand, collapse, validate, move, delete, showing a node, checking, walking the
// visible path, position look-ups) with the stack a test starts with, and a million siblings through the
// operations that once took a pass over all of them per node. They run at scale, without the heap checks: the
// walks of a million levels free tens of megabytes of the heap, and the checks refill the free space beside each
// block that a later allocation cuts from it, which made a later test of many small allocations take half a minute.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/streams.h"
#include "support/test_window.h"
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
  EXPECT_TRUE(tree.LoadFromStream(stream).Alive());
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

TEST(DeepTreesAtScale, MillionLevelChainThroughThePublicApi) {
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
  EXPECT_TRUE(copy.SortTree(0, TSortDirection::sdDescending, true).Alive());
  EXPECT_EQ(compares, 0) << "single children need no comparison";
  EXPECT_EQ(ChainLength(copy), ChainDepth);

  copy.ValidateNode(nullptr, true);
  EXPECT_TRUE(copy.FullExpand().Alive());
  EXPECT_EQ(copy.VisibleCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(copy.RootNode()->TotalHeight, copy.RootNode()->NodeHeight + ChainDepth * copy.DefaultNodeHeight());
  EXPECT_EQ(CheckInvariants(copy), "");
  EXPECT_TRUE(copy.FullCollapse().Alive());
  EXPECT_EQ(copy.VisibleCount(), 1u);
  EXPECT_EQ(CheckInvariants(copy), "");

  // The lower half moves up to the top level, then everything goes.
  PTreeNode middle = copy.GetFirstNoInit();
  for (int level = 0; level < ChainDepth / 2; ++level) middle = middle->FirstChild;
  EXPECT_FALSE(copy.MoveTo(middle, nullptr, TTreeNodeAttachMode::amAddChildLast, false).TreeGone());
  EXPECT_EQ(copy.RootNode()->ChildCount, 2u);
  EXPECT_EQ(copy.TotalCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(CheckInvariants(copy), "");
  EXPECT_TRUE(copy.DeleteNode(copy.GetFirstNoInit()).Alive());
  EXPECT_EQ(copy.TotalCount(), static_cast<std::uint32_t>(ChainDepth / 2));
  EXPECT_FALSE(copy.DeleteChildren(copy.GetFirstNoInit()).TreeGone());
  EXPECT_EQ(copy.TotalCount(), 1u);
  EXPECT_EQ(CheckInvariants(copy), "");

  int freed = 0;
  tree.OnFreeNode = [&](TBaseTree*, PTreeNode) { ++freed; };
  EXPECT_TRUE(tree.DeleteNode(tree.GetFirstNoInit()).Alive());
  tree.OnFreeNode = nullptr;
  EXPECT_EQ(tree.TotalCount(), 0u);
  // Saving initialized the deepest node too: every node gets its last event.
  EXPECT_EQ(freed, ChainDepth);
}

namespace {

// The node levels below top, or null.
PTreeNode Descend(PTreeNode top, int levels) {
  for (; top && levels > 0; --levels) top = top->FirstChild;
  return top;
}

void SetOption(TBaseTree& tree, TTreeAutoOption option) {
  tree.TreeOptions()->SetAutoOptions(tree.TreeOptions()->AutoOptions() + option);
}

}  // namespace

// Finding, focusing, scrolling to or making top a node under a million collapsed ancestors opens every one of them
// and shows the node, also with the option that scrolls an opened node's children into view.
TEST(DeepTreesAtScale, ShowingTheDeepestNodeOpensEveryAncestor) {
  TTestWindow host;
  TKeyedTree tree(host.Handle());
  SetOption(tree, TTreeAutoOption::toAutoScrollOnExpand);
  // Built in a bracket: outside one, a shown tree updates its scroll bars after every node.
  EXPECT_TRUE(tree.BeginUpdate().Alive());
  PTreeNode deepest = BuildChain(tree, ChainDepth);
  EXPECT_TRUE(tree.EndUpdate().Alive());
  tree.SetIncrementalSearch(TIncrementalSearch::isAll);
  tree.OnIncrementalSearch = [&](TBaseTree*, PTreeNode node, const String&, int& result) {
    result = node == deepest ? 0 : 1;
  };
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"incremental search",
       [&] {
         BYTE none[256]{};
         SetKeyboardState(none);
         SendMessageW(tree.Handle(), WM_KEYDOWN, 'Z', 1);
         SendMessageW(tree.Handle(), WM_CHAR, L'z', 1);
         EXPECT_EQ(tree.FocusedNode(), deepest);
       }},
      {"FocusedNode", [&] { EXPECT_FALSE(tree.SetFocusedNode(deepest).TreeGone()); }},
      {"ScrollIntoView", [&] { tree.ScrollIntoView(deepest, true); }},
      {"TopNode", [&] { EXPECT_TRUE(tree.SetTopNode(deepest).Alive()); }},
  };
  for (const auto& [name, show] : ways) {
    EXPECT_TRUE(tree.FullCollapse().Alive());
    ASSERT_EQ(tree.VisibleCount(), 1u) << name;
    show();
    EXPECT_EQ(tree.VisibleCount(), static_cast<std::uint32_t>(ChainDepth)) << name;
    RECT row = tree.GetDisplayRect(deepest, NoColumn, false);
    EXPECT_GE(row.top, 0) << name;
    EXPECT_LT(row.top, tree.ClientHeight()) << name;
  }
  EXPECT_EQ(CheckInvariants(tree), "");

  // End and Home go along the whole expanded chain.
  SendMessageW(tree.Handle(), WM_KEYDOWN, VK_HOME, 1);
  EXPECT_EQ(tree.FocusedNode(), tree.GetFirstNoInit());
  SendMessageW(tree.Handle(), WM_KEYDOWN, VK_END, 1);
  EXPECT_EQ(tree.FocusedNode(), deepest);
  EXPECT_EQ(tree.GetNodeAt(0, tree.GetDisplayRect(deepest, NoColumn, false).top), deepest);
}

// Changes one node at a time down and up a million-level chain inside update brackets, as an application restoring
// a saved expanded state does: each costs its own level, not one step per open level above it.
TEST(DeepTreesAtScale, BracketedChangesRunTheWholeChain) {
  TKeyedTree tree;
  PTreeNode deepest = BuildChain(tree, ChainDepth);
  const int height = tree.DefaultNodeHeight();
  auto restoreTopDown = [&] {
    EXPECT_TRUE(tree.BeginUpdate().Alive());
    for (PTreeNode node = tree.GetFirst(); node; node = tree.GetNext(node))
      EXPECT_FALSE(tree.SetExpanded(node, true).TreeGone());
  };
  restoreTopDown();
  EXPECT_EQ(tree.GetNodeTop(deepest), static_cast<TTreePosition>(ChainDepth - 1) * height) << "inside the bracket";
  for (PTreeNode node = tree.GetFirst(); node; node = tree.GetNext(node))
    tree.SetNodeHeight(node, static_cast<std::uint16_t>(height + 1));
  EXPECT_TRUE(tree.EndUpdate().Alive());
  EXPECT_EQ(tree.VisibleCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(tree.GetNodeAt(0, (ChainDepth - 1) * (height + 1)), deepest);
  EXPECT_EQ(CheckInvariants(tree), "");

  EXPECT_TRUE(tree.BeginUpdate().Alive());
  for (PTreeNode node = deepest; node != tree.GetFirstNoInit(); node = node->Parent) tree.SetIsVisible(node, false);
  EXPECT_EQ(tree.GetNodeAt(0, height + 1), nullptr) << "one row left inside the bracket";
  for (PTreeNode node = tree.GetFirstNoInit()->FirstChild; node; node = node->FirstChild) tree.SetIsVisible(node, true);
  EXPECT_TRUE(tree.EndUpdate().Alive());
  EXPECT_EQ(tree.VisibleCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(CheckInvariants(tree), "");

  EXPECT_TRUE(tree.BeginUpdate().Alive());
  for (PTreeNode node = deepest; node; node = tree.GetPrevious(node))
    EXPECT_FALSE(tree.SetExpanded(node, false).TreeGone());
  EXPECT_TRUE(tree.EndUpdate().Alive());
  EXPECT_EQ(tree.VisibleCount(), 1u);
  EXPECT_EQ(CheckInvariants(tree), "");

  restoreTopDown();
  for (PTreeNode node = deepest; node;) {
    PTreeNode parent = node->Parent == tree.RootNode() ? nullptr : node->Parent;
    EXPECT_TRUE(tree.DeleteNode(node).Alive());
    node = parent;
  }
  EXPECT_TRUE(tree.EndUpdate().Alive());
  EXPECT_EQ(tree.TotalCount(), 0u);
  EXPECT_EQ(CheckInvariants(tree), "");
}

// A chain of the tallest rows: every level above the lowest 65,537 shows more than 32 bits of pixels below it.
// Opening, closing, hiding, a restore inside a bracket, a save and load and deleting keep every total whole. Each of
// those levels keeps its total in a table of its own, so the chain is only a few hundred levels taller: with tens of
// thousands of such levels, the table's work took tens of seconds under the heap checks.
TEST(DeepTreesAtScale, ChainOfTheTallestRowsKeepsWholeTotals) {
  constexpr int depth = 66000;
  constexpr TTreePosition rowHeight = 65535;
  TKeyedTree tree;
  tree.SetDefaultNodeHeight(static_cast<std::uint16_t>(rowHeight));
  EXPECT_TRUE(tree.BeginUpdate().Alive());
  PTreeNode deepest = BuildChain(tree, depth);
  EXPECT_TRUE(tree.EndUpdate().Alive());
  EXPECT_TRUE(tree.FullExpand().Alive());
  EXPECT_EQ(tree.GetNodeTop(deepest), (depth - 1) * rowHeight);
  EXPECT_EQ(CheckInvariants(tree), "");
  PTreeNode middle = Descend(tree.GetFirstNoInit(), depth / 2);
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"closed half-way", [&] { EXPECT_FALSE(tree.ToggleNode(middle).TreeGone()); }},
      {"opened again", [&] { EXPECT_FALSE(tree.ToggleNode(middle).TreeGone()); }},
      {"hidden half-way", [&] { tree.SetIsVisible(middle, false); }},
      {"shown again", [&] { tree.SetIsVisible(middle, true); }},
      {"restored from the top down in a bracket",
       [&] {
         EXPECT_TRUE(tree.FullCollapse().Alive());
         EXPECT_TRUE(tree.BeginUpdate().Alive());
         for (PTreeNode node = tree.GetFirst(); node; node = tree.GetNext(node))
           EXPECT_FALSE(tree.SetExpanded(node, true).TreeGone());
         EXPECT_TRUE(tree.EndUpdate().Alive());
       }},
      {"the deepest row lower", [&] { tree.SetNodeHeight(deepest, 1); }},
  };
  for (const auto& [name, change] : changes) {
    change();
    EXPECT_EQ(CheckInvariants(tree), "") << name;
  }
  EXPECT_EQ(tree.GetNodeTop(deepest), (depth - 1) * rowHeight);
  EXPECT_EQ(tree.NodeTotalHeight(nullptr), static_cast<std::uint64_t>(depth * rowHeight + 1));

  TKeyedTree copy;
  copy.SetDefaultNodeHeight(static_cast<std::uint16_t>(rowHeight));
  Load(copy, Saved(tree));
  EXPECT_EQ(copy.NodeTotalHeight(nullptr), tree.NodeTotalHeight(nullptr));
  EXPECT_EQ(CheckInvariants(copy), "");
  EXPECT_TRUE(tree.DeleteNode(middle).Alive());
  EXPECT_EQ(tree.NodeTotalHeight(nullptr), static_cast<std::uint64_t>((depth / 2 + 1) * rowHeight));
  EXPECT_EQ(CheckInvariants(tree), "");
}

// Tri-state tracking carries a check up from the leaf of a million-level chain and down from its top.
TEST(DeepTreesAtScale, TriStateChecksRunTheWholeChain) {
  TKeyedTree tree;
  tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toCheckSupport);
  SetOption(tree, TTreeAutoOption::toAutoTristateTracking);
  PTreeNode deepest = BuildChain(tree, ChainDepth);
  for (PTreeNode node = tree.GetFirstNoInit(); node; node = node->FirstChild)
    tree.SetCheckType(node, TCheckType::ctTriStateCheckBox);
  int checked = 0;
  tree.OnChecked = [&](TBaseTree*, PTreeNode) { ++checked; };
  auto countIn = [&](TCheckState state) {
    int count = 0;
    for (PTreeNode node = tree.GetFirstNoInit(); node; node = node->FirstChild) count += node->CheckState == state;
    return count;
  };

  EXPECT_FALSE(tree.SetCheckState(deepest, TCheckState::csCheckedNormal).TreeGone());
  EXPECT_EQ(countIn(TCheckState::csCheckedNormal), ChainDepth);
  EXPECT_EQ(checked, ChainDepth) << "each level reports its change";

  checked = 0;
  EXPECT_FALSE(tree.SetCheckState(tree.GetFirstNoInit(), TCheckState::csUncheckedNormal).TreeGone());
  EXPECT_EQ(countIn(TCheckState::csUncheckedNormal), ChainDepth);
  EXPECT_EQ(checked, 1) << "the boxes below take the state silently";

  // A refusal half-way up stops the change there: the levels below it change, the refusing one does not.
  PTreeNode middle = Descend(tree.GetFirstNoInit(), ChainDepth / 2);
  tree.OnChecking = [&](TBaseTree*, PTreeNode node, TCheckState&, bool& allowed) { allowed = node != middle; };
  EXPECT_FALSE(tree.SetCheckState(deepest, TCheckState::csCheckedNormal).TreeGone());
  EXPECT_EQ(countIn(TCheckState::csCheckedNormal), ChainDepth - (ChainDepth / 2 + 2)) << "the levels below its child";
  EXPECT_EQ(middle->CheckState, TCheckState::csUncheckedNormal);
  EXPECT_EQ(middle->FirstChild->CheckState, TCheckState::csUncheckedNormal)
      << "the child whose parent refused keeps its state";
}

// A million siblings, checked or selected one at a time, cost one step each.
TEST(DeepTreesAtScale, MillionSiblingsCheckedAndSelectedOneByOne) {
  TKeyedTree tree;
  tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toCheckSupport);
  EXPECT_TRUE(tree.TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toMultiSelect}).Alive());
  SetOption(tree, TTreeAutoOption::toAutoTristateTracking);
  PTreeNode parent = tree.Add(0);
  tree.SetCheckType(parent, TCheckType::ctTriStateCheckBox);
  EXPECT_FALSE(tree.SetChildCount(parent, ChainDepth).TreeGone());
  for (PTreeNode child = parent->FirstChild; child; child = child->NextSibling)
    tree.SetCheckType(child, TCheckType::ctCheckBox);

  for (PTreeNode child = parent->FirstChild; child->NextSibling; child = child->NextSibling) {
    EXPECT_FALSE(tree.SetCheckState(child, TCheckState::csCheckedNormal).TreeGone());
    ASSERT_EQ(parent->CheckState, TCheckState::csMixedNormal);
  }
  EXPECT_FALSE(tree.SetCheckState(parent->LastChild, TCheckState::csCheckedNormal).TreeGone());
  EXPECT_EQ(parent->CheckState, TCheckState::csCheckedNormal);
  EXPECT_FALSE(tree.SetCheckState(parent->FirstChild->NextSibling, TCheckState::csUncheckedNormal).TreeGone());
  EXPECT_EQ(parent->CheckState, TCheckState::csMixedNormal);

  for (PTreeNode child = parent->FirstChild; child; child = child->NextSibling)
    EXPECT_FALSE(tree.SetSelected(child, true).TreeGone());
  EXPECT_EQ(tree.SelectedCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(tree.GetSortedSelection(false).size(), static_cast<std::size_t>(ChainDepth));
}

// The visible path of an expanded million-level chain, walked both ways, selected, searched by position.
TEST(DeepTreesAtScale, VisiblePathOfAnExpandedChain) {
  TKeyedTree tree;
  EXPECT_TRUE(tree.TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toMultiSelect}).Alive());
  PTreeNode deepest = BuildChain(tree, ChainDepth);
  EXPECT_TRUE(tree.FullExpand().Alive());
  EXPECT_EQ(tree.GetLastVisible(), deepest);
  EXPECT_EQ(tree.GetLastVisibleNoInit(), deepest);
  int rows = 0;
  for (PTreeNode node = tree.GetFirstVisible(); node; node = tree.GetNextVisible(node)) ++rows;
  EXPECT_EQ(rows, ChainDepth);
  rows = 0;
  for (PTreeNode node = deepest; node; node = tree.GetPreviousVisible(node)) ++rows;
  EXPECT_EQ(rows, ChainDepth);
  EXPECT_TRUE(tree.SelectAll(true).Alive());
  EXPECT_EQ(tree.SelectedCount(), static_cast<std::uint32_t>(ChainDepth));
  EXPECT_EQ(CheckInvariants(tree), "");

  ASSERT_TRUE(WaitForCache(tree));
  for (int level : {0, 1, 1999, 2000, ChainDepth / 3, ChainDepth - 1}) {
    PTreeNode node = Descend(tree.GetFirstNoInit(), level);
    const int top = level * tree.DefaultNodeHeight();
    int found = -1;
    EXPECT_EQ(tree.GetNodeAt(0, top + 1, false, found), node) << level;
    EXPECT_EQ(found, top) << level;
    EXPECT_EQ(tree.GetNodeTop(node), top) << level;
  }

  // Climbing to the root by visible parents, and ordering each node against its parent, cost a step a level.
  int levels = 0;
  for (PTreeNode node = deepest; node != tree.RootNode(); node = tree.GetVisibleParent(node)) ++levels;
  EXPECT_EQ(levels, ChainDepth);
  int misordered = 0;
  for (PTreeNode node = deepest; node->Parent != tree.RootNode(); node = node->Parent)
    if (tree.CompareNodePositions(node->Parent, node) != -1 || tree.CompareNodePositions(node, node->Parent) != 1)
      ++misordered;
  EXPECT_EQ(misordered, 0);

  // Collapsed half-way down: the lower half leaves the path, and a walk from inside it goes on after it.
  PTreeNode middle = Descend(tree.GetFirstNoInit(), ChainDepth / 2);
  EXPECT_FALSE(tree.ToggleNode(middle).TreeGone());
  EXPECT_EQ(tree.VisibleCount(), static_cast<std::uint32_t>(ChainDepth / 2 + 1));
  EXPECT_EQ(tree.GetVisibleParent(deepest), middle->Parent);
  EXPECT_EQ(tree.GetNextVisible(deepest), nullptr);
  EXPECT_EQ(tree.GetPreviousVisible(deepest), middle);
  EXPECT_EQ(tree.GetLastVisible(), middle);
  EXPECT_EQ(CheckInvariants(tree), "");
}

}  // namespace tree_test
