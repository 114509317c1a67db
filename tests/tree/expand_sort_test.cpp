#include "support/test_window.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

struct TSortCase {
  TSortDirection direction;
  std::vector<int> keys;
  std::vector<int> expected;  // the original positions in sorted order
};

TEST(NodeSort, StableInBothDirections) {
  const TSortCase cases[] = {
      {TSortDirection::sdAscending, {3, 1, 2, 1, 3, 0}, {5, 1, 3, 2, 0, 4}},
      {TSortDirection::sdDescending, {3, 1, 2, 1, 3, 0}, {0, 4, 2, 1, 3, 5}},
      {TSortDirection::sdAscending, {5, 5, 5}, {0, 1, 2}},
      {TSortDirection::sdDescending, {5, 5, 5}, {0, 1, 2}},
  };
  for (const TSortCase& c : cases) {
    TTestTree tree;
    EXPECT_TRUE(tree.SetNodeDataSize(sizeof(int) * 2).Alive());
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
      PTreeNode node = tree.AddChild(nullptr);
      Key(tree, node) = c.keys[i];
      tree.GetNodeData<int>(node)[1] = static_cast<int>(i);
    }
    tree.OnCompareNodes = [&](TBaseTree*, PTreeNode a, PTreeNode b, TColumnIndex, int& result) {
      result = Key(tree, a) - Key(tree, b);
    };
    tree.Sort(nullptr, 0, c.direction);
    std::vector<int> order;
    for (PTreeNode n = tree.GetFirstNoInit(); n; n = n->NextSibling) order.push_back(tree.GetNodeData<int>(n)[1]);
    EXPECT_EQ(order, c.expected);
    EXPECT_EQ(CheckInvariants(tree), "");
  }
}

TEST(NodeSort, SingleChildIsNotCompared) {
  TTestTree tree;
  PTreeNode parent = tree.AddChild(nullptr);
  tree.AddChild(parent);
  int compares = 0;
  tree.OnCompareNodes = [&](TBaseTree*, PTreeNode, PTreeNode, TColumnIndex, int&) { ++compares; };
  tree.Sort(parent, 0, TSortDirection::sdAscending);
  EXPECT_EQ(compares, 0);
}

TEST(ExpandCollapse, ChildlessAndRefusedToggles) {
  TTestTree tree;
  tree.OnInitNode = [](TBaseTree*, PTreeNode, PTreeNode, TTreeNodeInitStates& s) { s |= ivsHasChildren; };
  tree.OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = 0; };
  EXPECT_TRUE(tree.SetRootNodeCount(2).Alive());
  PTreeNode node = tree.GetFirst();
  EXPECT_FALSE(tree.ToggleNode(node).TreeGone());
  EXPECT_FALSE(node->Has(nsExpanded));
  EXPECT_FALSE(node->Has(nsHasChildren));

  PTreeNode other = node->NextSibling;
  tree.OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = 3; };
  tree.OnExpanding = [](TBaseTree*, PTreeNode, bool& allowed) { allowed = false; };
  std::uint32_t height = tree.RootNode()->TotalHeight;
  EXPECT_FALSE(tree.ToggleNode(other).TreeGone());
  EXPECT_FALSE(other->Has(nsExpanded));
  EXPECT_EQ(tree.RootNode()->TotalHeight, height);
  EXPECT_EQ(tree.VisibleCount(), 2u);
}

TEST(ExpandCollapse, CollapsedParentKeepsChainButNodeShrinks) {
  TTestTree tree;
  PTreeNode parent = tree.AddChild(nullptr);
  PTreeNode child = tree.AddChild(parent);
  tree.AddChild(child);
  EXPECT_FALSE(tree.ToggleNode(child).TreeGone());
  std::uint32_t rootHeight = tree.RootNode()->TotalHeight;
  EXPECT_FALSE(tree.ToggleNode(child).TreeGone());
  EXPECT_EQ(child->TotalHeight, child->NodeHeight);
  EXPECT_EQ(tree.RootNode()->TotalHeight, rootHeight);
  EXPECT_EQ(CheckInvariants(tree), "");
}

TEST(ExpandCollapse, FullExpandReachesEveryLevelCreatedOnDemand) {
  TTestTree tree;
  EXPECT_TRUE(tree.FullExpand(nullptr).Alive());
  tree.OnInitNode = [&](TBaseTree* t, PTreeNode, PTreeNode n, TTreeNodeInitStates& s) {
    if (t->GetNodeLevel(n) < 3) s |= ivsHasChildren;
  };
  tree.OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = 2; };
  EXPECT_TRUE(tree.SetRootNodeCount(2).Alive());
  EXPECT_TRUE(tree.FullExpand(nullptr).Alive());
  EXPECT_EQ(tree.TotalCount(), 2u + 4u + 8u + 16u);
  EXPECT_EQ(tree.VisibleCount(), tree.TotalCount());
  EXPECT_EQ(CheckInvariants(tree), "");
  EXPECT_TRUE(tree.FullCollapse(nullptr).Alive());
  EXPECT_EQ(tree.VisibleCount(), 2u);
  EXPECT_EQ(CheckInvariants(tree), "");
}

// A handler that raises in the middle of bulk work leaves the tree out of its update bracket and out of the work's
// state, so that it paints and answers again; the nodes done so far stay done.
TEST(ExpandCollapse, BulkWorkEndsItsBracketWhenAHandlerRaises) {
  enum class TWork { FullExpand, FullCollapse, DeleteSelection };
  for (TWork work : {TWork::FullExpand, TWork::FullCollapse, TWork::DeleteSelection}) {
    SCOPED_TRACE(static_cast<int>(work));
    TTestTree tree;
    TCustomTreeOptions* options = tree.TreeOptions();
    EXPECT_TRUE(
        options->SetSelectionOptions(options->SelectionOptions() + TTreeSelectionOption::toMultiSelect).Alive());
    EXPECT_TRUE(tree.SetRootNodeCount(4).Alive());
    for (PTreeNode node = tree.GetFirst(); node; node = tree.GetNextSibling(node)) {
      EXPECT_FALSE(tree.SetChildCount(node, 2).TreeGone());
      EXPECT_FALSE(tree.SetSelected(node, true).TreeGone());
    }
    if (work == TWork::FullCollapse) EXPECT_TRUE(tree.FullExpand(nullptr).Alive());
    int calls = 0;
    auto raiseAtTheThird = [&calls] {
      if (++calls == 3) throw Exception(L"raised");
    };
    tree.OnExpanding = [&](TBaseTree*, PTreeNode, bool&) { raiseAtTheThird(); };
    tree.OnCollapsing = [&](TBaseTree*, PTreeNode, bool&) { raiseAtTheThird(); };
    tree.OnFreeNode = [&](TBaseTree*, PTreeNode) { raiseAtTheThird(); };
    EXPECT_THROW(work == TWork::FullExpand     ? tree.FullExpand(nullptr)
                 : work == TWork::FullCollapse ? tree.FullCollapse(nullptr)
                                               : tree.DeleteSelectedNodes(),
                 Exception);
    EXPECT_EQ(tree.UpdateCount(), 0);
    EXPECT_FALSE(tree.TreeStates().Contains(TTreeState::stFullExpand));
    EXPECT_FALSE(tree.TreeStates().Contains(TTreeState::stFullCollapse));
    EXPECT_EQ(CheckInvariants(tree), "");
  }
}

// A node whose initialization asks to be open, reached first by the toggle that opens it: opened once, with one
// question and one report, and the rows below where they are painted.
TEST(ExpandCollapse, NodeAskingToOpenWhileBeingOpenedOpensOnce) {
  TTestWindow host(RECT{100, 100, 400, 400});
  struct TCase {
    const char* name;
    bool window;
    void (*open)(TBaseTree&, PTreeNode);
    // OnExpanding asks where the node lies, which initializes it: the node opens inside the handler, which is
    // asked once more by that opening.
    bool askWhere = false;
  };
  const TCase cases[] = {
      {"SetExpanded", false, [](TBaseTree& t, PTreeNode n) { EXPECT_FALSE(t.SetExpanded(n, true).TreeGone()); }},
      {"ToggleNode", false, [](TBaseTree& t, PTreeNode n) { EXPECT_FALSE(t.ToggleNode(n).TreeGone()); }},
      {"ToggleNode in a window", true, [](TBaseTree& t, PTreeNode n) { EXPECT_FALSE(t.ToggleNode(n).TreeGone()); }},
      {"ToggleNode asked where the node lies", true,
       [](TBaseTree& t, PTreeNode n) { EXPECT_FALSE(t.ToggleNode(n).TreeGone()); }, true},
  };
  for (const TCase& c : cases) {
    TTestTree tree;
    if (c.window) {
      EXPECT_TRUE(tree.SetParentWindow(host.Handle()).Alive());
      EXPECT_TRUE(tree.SetBounds(0, 0, 200, 250).Alive());
      tree.HandleNeeded();
      EXPECT_TRUE(tree.SetVisible(true).Alive());
    }
    // The node lies below the window, so nothing but the toggle reaches it first.
    tree.OnInitNode = [](TBaseTree*, PTreeNode parent, PTreeNode node, TTreeNodeInitStates& s) {
      if (!parent) s |= ivsHasChildren;
      if (!parent && node->Index == 20) s |= ivsExpanded;
    };
    tree.OnInitChildren = [](TBaseTree*, PTreeNode, std::uint32_t& count) { count = 5; };
    int asked = 0, reported = 0;
    tree.OnExpanding = [&](TBaseTree* sender, PTreeNode expanding, bool&) {
      ++asked;
      if (c.askWhere) sender->GetDisplayRect(expanding, NoColumn, false);
    };
    tree.OnExpanded = [&](TBaseTree*, PTreeNode) { ++reported; };
    EXPECT_TRUE(tree.SetRootNodeCount(25).Alive());
    PTreeNode node = tree.RootNode()->FirstChild;
    while (node->Index < 20) node = node->NextSibling;
    ASSERT_FALSE(node->Has(nsInitialized)) << c.name;
    c.open(tree, node);
    EXPECT_TRUE(node->Has(nsExpanded)) << c.name;
    EXPECT_EQ(tree.VisibleCount(), 30u) << c.name;
    EXPECT_EQ(node->TotalHeight, 6u * node->NodeHeight) << c.name;
    EXPECT_EQ(tree.GetNodeTop(node->NextSibling), tree.GetNodeTop(node) + 6 * node->NodeHeight) << c.name;
    EXPECT_EQ(asked, c.askWhere ? 2 : 1) << c.name;
    EXPECT_EQ(reported, 1) << c.name;
    EXPECT_EQ(CheckInvariants(tree), "") << c.name;
  }
}

// With a window, toggling slides the rows below when animation is on, and ends in the same state either way.
TEST(ExpandCollapse, AnimatedAndPlainTogglesAgree) {
  TTestWindow host(RECT{100, 100, 400, 400});
  for (UINT duration : {0u, 40u}) {
    TTestTree tree;
    EXPECT_TRUE(tree.SetParentWindow(host.Handle()).Alive());
    EXPECT_TRUE(tree.SetBounds(0, 0, 200, 250).Alive());
    tree.HandleNeeded();
    EXPECT_TRUE(tree.SetVisible(true).Alive());
    tree.SetAnimationDuration(duration);
    EXPECT_TRUE(tree.SetRootNodeCount(3).Alive());
    PTreeNode folder = tree.GetFirst();
    EXPECT_FALSE(tree.SetChildCount(folder, 5).TreeGone());
    EXPECT_FALSE(tree.ToggleNode(folder).TreeGone());
    EXPECT_TRUE(folder->Has(nsExpanded));
    EXPECT_EQ(tree.VisibleCount(), 8u);
    EXPECT_FALSE(tree.ToggleNode(folder).TreeGone());
    EXPECT_FALSE(folder->Has(nsExpanded));
    EXPECT_EQ(tree.VisibleCount(), 3u);
    EXPECT_FALSE(tree.TreeStates().Contains(TTreeState::stInAnimation));
    EXPECT_EQ(CheckInvariants(tree), "");
  }
}

}  // namespace
}  // namespace tree_test
