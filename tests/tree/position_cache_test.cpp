#include <random>
#include <string>

#include "tree/worker_thread.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

// A tree of several levels with varied heights, some folders collapsed and some nodes hidden.
void BuildRandomTree(TTestTree& tree, std::mt19937& random, int count) {
  EXPECT_TRUE(tree.BeginUpdate().Alive());
  std::vector<PTreeNode> folders{nullptr};
  for (int i = 0; i < count; ++i) {
    PTreeNode node = tree.AddChild(folders[random() % folders.size()]);
    tree.SetNodeHeight(node, static_cast<std::uint16_t>(12 + random() % 16));
    if (random() % 8 == 0) folders.push_back(node);
  }
  for (PTreeNode folder : folders)
    if (folder && random() % 5) EXPECT_FALSE(tree.ToggleNode(folder).TreeGone());
  for (PTreeNode node : AllNodes(tree))
    if (random() % 40 == 0) tree.SetIsVisible(node, false);
  EXPECT_TRUE(tree.EndUpdate().Alive());
}

// Look-ups through the cache answer exactly what a walk from the first row answers.
TEST(PositionCache, LookupsAgreeWithAndWithoutCache) {
  std::mt19937 random(11);
  TTestTree tree;
  BuildRandomTree(tree, random, 30000);
  ASSERT_GT(tree.VisibleCount(), CacheThreshold);
  std::vector<std::pair<PTreeNode, int>> walked;
  int height = static_cast<int>(tree.RootNode()->TotalHeight - tree.RootNode()->NodeHeight);
  std::vector<int> probes{-5, 0, height - 1, height, height + 100};
  for (int i = 0; i < 3000; ++i) probes.push_back(static_cast<int>(random() % height));
  ASSERT_TRUE(WaitForCache(tree));
  tree.DoStateChange({TTreeState::stValidationNeeded}, {TTreeState::stUseCache});
  std::vector<int> tops;
  for (PTreeNode n = tree.GetFirstVisibleNoInit(); n; n = tree.GetNextVisibleNoInit(n))
    tops.push_back(tree.GetNodeTop(n));
  for (int y : probes) {
    int top = -1;
    PTreeNode node = tree.GetNodeAt(0, y, false, top);
    walked.push_back({node, top});
  }
  tree.StartCacheValidation();
  ASSERT_TRUE(WaitForCache(tree));
  for (std::size_t i = 0; i < probes.size(); ++i) {
    int top = -1;
    PTreeNode node = tree.GetNodeAt(0, probes[i], false, top);
    EXPECT_EQ(node, walked[i].first) << "y " << probes[i];
    EXPECT_EQ(top, walked[i].second) << "y " << probes[i];
    if (node) {
      EXPECT_TRUE(probes[i] < 0 || (probes[i] >= top && probes[i] < top + node->NodeHeight));
    }
  }
  EXPECT_EQ(tree.GetNodeAt(0, height + 1), nullptr);
  std::size_t i = 0;
  for (PTreeNode n = tree.GetFirstVisibleNoInit(); n; n = tree.GetNextVisibleNoInit(n), ++i) {
    ASSERT_EQ(tree.GetNodeTop(n), tops[i]) << "row " << i;
  }
}

TEST(PositionCache, NoCacheForSmallTrees) {
  TTestTree tree;
  EXPECT_TRUE(tree.SetRootNodeCount(CacheThreshold).Alive());
  tree.StartCacheValidation();
  ASSERT_TRUE(WaitForValidationToEnd(tree));
  EXPECT_FALSE(tree.TreeStates().Contains(TTreeState::stUseCache));
  TTestTree empty;
  int top = 7;
  EXPECT_EQ(empty.GetNodeAt(0, 10, false, top), nullptr);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(empty.GetFirst(), nullptr);
  EXPECT_EQ(empty.GetLastVisible(), nullptr);
  EXPECT_EQ(empty.GetNext(empty.GetFirstNoInit()), nullptr);
}

// The node a position falls on, by a walk over every visible row.
PTreeNode WalkToRow(TBaseTree& tree, std::uint32_t y) {
  std::uint32_t rowTop = 0;
  for (PTreeNode n = tree.GetFirstVisibleNoInit(); n; n = tree.GetNextVisibleNoInit(n)) {
    if (y < rowTop + n->NodeHeight) return n;
    rowTop += n->NodeHeight;
  }
  return nullptr;
}

// Every row's top, as GetNodeTop and GetNodeAt answer it, against the tops the shown rows' heights add up to.
std::string CheckEveryRow(TBaseTree& tree) {
  int top = 0;
  int row = 0;
  for (PTreeNode n = tree.GetFirstVisibleNoInit(); n; n = tree.GetNextVisibleNoInit(n), ++row) {
    int found = -1;
    if (tree.GetNodeTop(n) != top || tree.GetNodeAt(0, top, false, found) != n || found != top)
      return "row " + std::to_string(row) + " at " + std::to_string(top);
    top += n->NodeHeight;
  }
  return tree.GetNodeAt(0, top) ? "a row below the last" : "";
}

// A cache built again after changes keeps the entries above the first row the changes moved and goes on after
// them: every row is where the tree says, for changes of every kind near the start, in the middle and near the
// end, alone and several at a time, a later one before or after an earlier one.
TEST(PositionCache, RebuiltFromTheFirstMovedRow) {
  using TChange = std::function<void(TTestTree&, PTreeNode)>;
  const std::pair<const char*, TChange> changes[] = {
      {"toggle", [](TTestTree& t, PTreeNode n) { EXPECT_FALSE(t.ToggleNode(n->Parent).TreeGone()); }},
      {"height", [](TTestTree& t, PTreeNode n) { t.SetNodeHeight(n, static_cast<std::uint16_t>(n->NodeHeight + 9)); }},
      {"hide", [](TTestTree& t, PTreeNode n) { t.SetIsVisible(n, false); }},
      {"insert before", [](TTestTree& t, PTreeNode n) { t.InsertNode(n, TTreeNodeAttachMode::amInsertBefore); }},
      {"add child", [](TTestTree& t, PTreeNode n) { t.AddChild(n); }},
      {"delete", [](TTestTree& t, PTreeNode n) { EXPECT_TRUE(t.DeleteNode(n).Alive()); }},
      {"sort", [](TTestTree& t, PTreeNode n) { t.Sort(n, 0, TSortDirection::sdDescending, false); }},
  };
  std::mt19937 random(3);
  TTestTree tree;
  BuildRandomTree(tree, random, 20000);
  tree.OnCompareNodes = [](TBaseTree*, PTreeNode a, PTreeNode b, TColumnIndex, int& result) {
    result = a->NodeHeight - b->NodeHeight;
  };
  auto shownAt = [&](double fraction) {
    const std::vector<PTreeNode> shown = ShownNodes(tree);
    return shown[std::min(shown.size() - 1, static_cast<std::size_t>(fraction * static_cast<double>(shown.size())))];
  };
  // The last run is longer than the changes a build keeps entries for: the one near the start comes after them.
  const std::vector<std::vector<double>> placings = {{0},
                                                     {0.5},
                                                     {0.999},
                                                     {0.9, 0.1},
                                                     {0.1, 0.9},
                                                     {0.6, 0.6},
                                                     {0.95, 0.95, 0.95, 0.95, 0.95, 0.95, 0.95, 0.95, 0.95, 0.2}};
  for (const auto& [name, change] : changes)
    for (const std::vector<double>& placing : placings) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(placing.front()) + " of " +
                   std::to_string(placing.size()));
      tree.StartCacheValidation();
      ASSERT_TRUE(WaitForCache(tree));
      for (double fraction : placing) change(tree, shownAt(fraction));
      ASSERT_GT(tree.VisibleCount(), CacheThreshold);
      tree.StartCacheValidation();
      ASSERT_TRUE(WaitForCache(tree));
      ASSERT_EQ(CheckEveryRow(tree), "");
    }
  EXPECT_EQ(CheckInvariants(tree), "");
}

// The user-interface thread changes the tree while the worker builds its cache over and over; whenever the
// worker has let go, a cache it published must describe the tree as it is now.
TEST(PositionCache, MutationsWhileTheWorkerBuilds) {
  std::mt19937 random(5);
  TTestTree tree;
  BuildRandomTree(tree, random, 20000);
  std::vector<PTreeNode> nodes;  // kept, so that the steps allocate nothing the heap checks must fill when freed
  for (int step = 0; step < 400; ++step) {
    tree.StartCacheValidation();
    for (int spin = 0; spin < 2000 && !tree.TreeStates().Contains(TTreeState::stValidating); ++spin) YieldProcessor();
    nodes.clear();
    for (PTreeNode run = tree.GetFirstNoInit(); run; run = tree.GetNextNoInit(run)) nodes.push_back(run);
    PTreeNode node = nodes[random() % nodes.size()];
    switch (random() % 8) {
      case 0:
        tree.InsertNode(node, TTreeNodeAttachMode::amInsertAfter);
        break;
      case 1:
        EXPECT_FALSE(tree.ToggleNode(node).TreeGone());
        break;
      case 2:
        EXPECT_FALSE(tree.MoveTo(node, nullptr, TTreeNodeAttachMode::amAddChildFirst, false).TreeGone());
        break;
      case 3:
        tree.Sort(node->Parent == tree.RootNode() ? nullptr : node->Parent, 0, TSortDirection::sdDescending, false);
        break;
      case 4:
        tree.AddChild(node);
        break;
      default:
        while (node->FirstChild) node = node->FirstChild;
        EXPECT_TRUE(tree.DeleteNode(node).Alive());
        break;
    }
    if (step % 50 == 0) {
      ASSERT_EQ(CheckInvariants(tree), "") << "step " << step;
    }
    if (step % 3 == 0) {
      // A tree the steps left small, or changed since, has no cache to probe.
      ASSERT_TRUE(WaitForValidationToEnd(tree)) << "step " << step;
      if (tree.TreeStates().Contains(TTreeState::stUseCache)) {
        for (int probe = 0; probe < 4; ++probe) {
          auto y = static_cast<std::uint32_t>(random() % (tree.RootNode()->TotalHeight - tree.RootNode()->NodeHeight));
          int top = 0;
          ASSERT_EQ(tree.GetNodeAt(0, static_cast<int>(y), false, top), WalkToRow(tree, y)) << "step " << step;
        }
      }
    }
  }
  tree.StartCacheValidation();
  ASSERT_TRUE(WaitForCache(tree));
  int top = 0;
  for (PTreeNode n = tree.GetFirstVisibleNoInit(); n; n = tree.GetNextVisibleNoInit(n)) {
    ASSERT_EQ(tree.GetNodeAt(0, top, false, top), n);
    top += n->NodeHeight;
  }
}

// Every change to links, flags or heights stops a running build first, also inside an update bracket where
// nothing validates the cache afterwards.
TEST(WorkerThreadFaults, EveryStructuralChangeStopsARunningBuild) {
  using Change = std::function<void(TTestTree&, PTreeNode)>;
  const std::pair<const char*, Change> changes[] = {
      {"delete leaf", [](TTestTree& t, PTreeNode n) { EXPECT_TRUE(t.DeleteNode(n).Alive()); }},
      {"insert", [](TTestTree& t, PTreeNode n) { t.InsertNode(n, TTreeNodeAttachMode::amInsertBefore); }},
      {"move",
       [](TTestTree& t, PTreeNode n) {
         EXPECT_FALSE(t.MoveTo(n, nullptr, TTreeNodeAttachMode::amAddChildFirst, false).TreeGone());
       }},
      {"toggle", [](TTestTree& t, PTreeNode n) { EXPECT_FALSE(t.ToggleNode(n->Parent).TreeGone()); }},
      {"sort", [](TTestTree& t, PTreeNode) { t.Sort(nullptr, 0, TSortDirection::sdDescending, false); }},
      {"auto-sorted add",
       [](TTestTree& t, PTreeNode n) {
         t.TreeOptions()->SetAutoOptions(t.TreeOptions()->AutoOptions() + TTreeAutoOption::toAutoSort);
         t.SetSortColumn(0);
         t.AddChild(n);
       }},
      {"height", [](TTestTree& t, PTreeNode n) { t.SetNodeHeight(n, 40); }},
      {"hide", [](TTestTree& t, PTreeNode n) { t.SetIsVisible(n, false); }},
  };
  for (auto& [name, change] : changes) {
    TTestTree tree;
    EXPECT_TRUE(tree.SetRootNodeCount(1000000).Alive());
    ASSERT_TRUE(WaitForCache(tree));
    PTreeNode node = tree.GetFirstNoInit()->NextSibling;
    tree.AddChild(node);
    // A changed first row: the build goes over every row again, long enough to be caught running.
    tree.SetNodeHeight(tree.GetFirstNoInit(), 30);
    tree.DoStateChange({TTreeState::stValidationNeeded}, {TTreeState::stUseCache});
    tree.StartCacheValidation();
    for (int spin = 0; spin < 1000000 && !tree.TreeStates().Contains(TTreeState::stValidating); ++spin)
      YieldProcessor();
    EXPECT_TRUE(tree.BeginUpdate().Alive());
    change(tree, node->FirstChild ? node->FirstChild : node);
    TTreeStates states = tree.TreeStates();
    EXPECT_FALSE(states.Contains(TTreeState::stValidating)) << name;
    EXPECT_FALSE(states.Contains(TTreeState::stUseCache)) << name;
    EXPECT_TRUE(states.Contains(TTreeState::stValidationNeeded)) << name;
    EXPECT_TRUE(tree.EndUpdate().Alive());
  }
}

// Deleting the root's children frees its rows from the last on, and the root stays open meanwhile. A free handler that deletes
// the last top row has the worker build a cache over the rows still there; a later one that starts a build
// without moving a shown row (it deletes a row under a closed one) must find none of the rows freed since kept:
// the build would begin after the last entry kept. Each handler waits until its build has ended.
TEST(WorkerThreadFaults, ABuildStartedByAFreeHandlerKeepsNoRowFreedSince) {
  TNodeSlab::SetGuardFreedBlocks(true);
  {
    TTestTree tree;
    EXPECT_TRUE(tree.SetRootNodeCount(CacheThreshold + 1000).Alive());
    // Every top row holds a closed row.
    for (PTreeNode row = tree.GetFirstNoInit(); row; row = row->NextSibling) tree.AddChild(row);
    ASSERT_TRUE(WaitForCache(tree));
    int calls = 0;
    testing::AssertionResult built = testing::AssertionSuccess();
    tree.OnFreeNode = [&](TBaseTree*, PTreeNode node) {
      ++calls;
      if (calls == 1) {
        EXPECT_TRUE(tree.DeleteNode(node->Parent).Alive());
      } else if (calls == 500) {
        EXPECT_TRUE(tree.DeleteNode(tree.GetFirstNoInit()->FirstChild).Alive());
      } else {
        return;
      }
      if (built) built = WaitForValidationToEnd(tree);
    };
    EXPECT_FALSE(tree.DeleteChildren(nullptr).TreeGone());
    EXPECT_TRUE(built);
    tree.OnFreeNode = nullptr;
    EXPECT_EQ(CheckInvariants(tree), "");
    EXPECT_EQ(tree.GetFirstNoInit(), nullptr);
  }
  TNodeSlab::SetGuardFreedBlocks(false);
}

// One wake-up of the worker serves every tree queued before it.
TEST(WorkerThreadFaults, OneSignalServesEveryQueuedTree) {
  std::vector<std::unique_ptr<TTestTree>> trees;
  for (int i = 0; i < 4; ++i) {
    trees.push_back(std::make_unique<TTestTree>());
    EXPECT_TRUE(trees.back()->SetRootNodeCount(5000).Alive());
    trees.back()->DoStateChange({TTreeState::stValidationNeeded});
  }
  for (auto& tree : trees) WorkerThread()->AddTree(tree.get());
  WorkerThread()->Signal();
  for (auto& tree : trees) EXPECT_TRUE(WaitForCache(*tree));
}

// A tree destroyed while its cache is built stops the build and, as the last tree, the thread; a new tree
// starts a new one.
TEST(WorkerThreadFaults, DestroyDuringBuildAndRestart) {
  for (int round = 0; round < 20; ++round) {
    auto tree = std::make_unique<TTestTree>();
    EXPECT_TRUE(tree->SetRootNodeCount(200000).Alive());
    ASSERT_NE(WorkerThread(), nullptr);
    tree.reset();
    EXPECT_EQ(WorkerThread(), nullptr);
  }
  TTestTree last;
  EXPECT_NE(WorkerThread(), nullptr);
  EXPECT_TRUE(last.SetRootNodeCount(3000).Alive());
  EXPECT_TRUE(WaitForCache(last));
}

}  // namespace
}  // namespace tree_test
