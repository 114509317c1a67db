#include <windows.h>
// clang-format off
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <utility>

#include "framework/streams.h"
#include "tree/tree_error.h"
#include "tree_fixture.h"

namespace tree_test {
namespace {

using AM = TTreeNodeAttachMode;

std::unique_ptr<TTestTree> MakeTree(int dataSize = sizeof(void*)) {
  auto tree = std::make_unique<TTestTree>();
  EXPECT_TRUE(tree->SetNodeDataSize(dataSize).Alive());
  return tree;
}

std::vector<int> KeysOf(TBaseTree& tree, PTreeNode parent) {
  std::vector<int> keys;
  for (PTreeNode n = parent ? parent->FirstChild : tree.GetFirstNoInit(); n; n = n->NextSibling)
    keys.push_back(Key(tree, n));
  return keys;
}

// The answers that depend on where a node lies, against the links and flags: each node's visible parent (the
// parent of its outermost closed or hidden ancestor) and its order against another node picked at random.
std::string CheckPlaces(TBaseTree& tree, std::mt19937& random) {
  const std::vector<PTreeNode> nodes = AllNodes(tree);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    PTreeNode visibleParent = nodes[i]->Parent;
    for (PTreeNode p = nodes[i]->Parent; p != tree.RootNode(); p = p->Parent)
      if (!p->Has(nsExpanded) || !p->Has(nsVisible)) visibleParent = p->Parent;
    if (tree.GetVisibleParent(nodes[i]) != visibleParent) return "visible parent of node " + std::to_string(i);
    const std::size_t j = random() % nodes.size();
    const int order = tree.CompareNodePositions(nodes[i], nodes[j]);
    if ((order < 0) != (i < j) || (order == 0) != (i == j))
      return "node " + std::to_string(i) + " against node " + std::to_string(j) + ": " + std::to_string(order);
  }
  return {};
}

// Random sequences of every structural operation; the cached totals must match a recount after each step.
TEST(NodeStore, InvariantsHoldOverRandomSequences) {
  for (unsigned sample : {1u, 2u, 3u, 4u, 5u, 6u}) {
    std::mt19937 random(sample);
    auto tree = MakeTree();
    tree->OnCompareNodes = [&](TBaseTree*, PTreeNode a, PTreeNode b, TColumnIndex, int& result) {
      result = Key(*tree, a) - Key(*tree, b);
    };
    int nextKey = 0;
    for (int step = 0; step < 600; ++step) {
      std::vector<PTreeNode> nodes = AllNodes(*tree);
      auto pick = [&]() -> PTreeNode { return nodes.empty() ? nullptr : nodes[random() % nodes.size()]; };
      bool bracket = random() % 7 == 0;
      if (bracket) EXPECT_TRUE(tree->BeginUpdate().Alive());
      switch (random() % 9) {
        case 0:
        case 1:
          Key(*tree, tree->AddChild(random() % 3 ? pick() : nullptr)) = nextKey++;
          break;
        case 2:
          if (PTreeNode node = tree->InsertNode(pick(), static_cast<AM>(1 + random() % 4)))
            Key(*tree, node) = nextKey++;
          break;
        case 3:
          EXPECT_TRUE(tree->DeleteNode(pick()).Alive());
          break;
        case 4: {
          PTreeNode source = pick(), target = pick();
          try {
            EXPECT_FALSE(tree->MoveTo(source, target, static_cast<AM>(1 + random() % 4), random() % 4 == 0).TreeGone());
          } catch (const ETreeError& e) {
            EXPECT_EQ(e.HelpContext(), teMoveIntoOwnSubtree);
            EXPECT_TRUE(tree->HasAsParent(target, source));
          }
          break;
        }
        case 5:
          EXPECT_FALSE(tree->ToggleNode(pick()).TreeGone());
          break;
        case 6:
          tree->Sort(random() % 4 ? pick() : nullptr, 0, static_cast<TSortDirection>(random() % 2), false);
          break;
        case 7:
          if (PTreeNode node = pick()) tree->SetIsVisible(node, !node->Has(nsVisible));
          break;
        case 8:
          if (PTreeNode node = pick()) tree->SetNodeHeight(node, static_cast<std::uint16_t>(10 + random() % 20));
          break;
      }
      if (bracket) EXPECT_TRUE(tree->EndUpdate().Alive());
      std::string fault = CheckInvariants(*tree);
      if (fault.empty()) fault = CheckPlaces(*tree, random);
      ASSERT_EQ(fault, "") << "sample " << sample << " step " << step;
    }
  }
}

TEST(NodeStore, EdgeCasesOfCreationAndDeletion) {
  auto tree = MakeTree();
  EXPECT_EQ(tree->GetNodeData(nullptr), nullptr);
  EXPECT_EQ(tree->GetNodeData(tree->RootNode()), nullptr);

  std::vector<std::pair<PTreeNode, TChangeReason>> changes;
  tree->OnStructureChange = [&](TBaseTree*, PTreeNode n, TChangeReason r) { changes.push_back({n, r}); };
  PTreeNode top = tree->AddChild(nullptr);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].first, nullptr);
  EXPECT_EQ(changes[0].second, TChangeReason::crChildAdded);

  PTreeNode first = tree->InsertNode(nullptr, AM::amInsertBefore);
  EXPECT_EQ(tree->GetFirstNoInit(), first);
  EXPECT_EQ(tree->NodeIndex(top), 1u);
  EXPECT_EQ(tree->InsertNode(top, AM::amNoWhere), nullptr);
  EXPECT_EQ(tree->RootNodeCount(), 2u);

  PTreeNode child = tree->AddChild(top);
  PTreeNode grandchild = tree->AddChild(child);
  EXPECT_EQ(tree->GetNodeLevel(top), 0u);
  EXPECT_EQ(tree->GetNodeLevel(child), 1u);
  EXPECT_EQ(tree->GetNodeLevel(grandchild), 2u);
  EXPECT_FALSE(tree->ToggleNode(top).TreeGone());
  ASSERT_TRUE(top->Has(nsExpanded));
  EXPECT_FALSE(tree->DeleteChildren(top).TreeGone());
  EXPECT_FALSE(top->Has(nsExpanded));
  EXPECT_TRUE(top->Has(nsHasChildren));
  EXPECT_FALSE(tree->DeleteChildren(top, true).TreeGone());
  EXPECT_FALSE(top->Has(nsHasChildren));

  EXPECT_TRUE(tree->SetRootNodeCount(10).Alive());
  EXPECT_TRUE(tree->SetRootNodeCount(3).Alive());
  EXPECT_EQ(tree->RootNodeCount(), 3u);
  EXPECT_TRUE(tree->SetRootNodeCount(10).Alive());
  std::vector<std::uint32_t> indexes;
  for (PTreeNode n = tree->GetFirstNoInit(); n; n = n->NextSibling) indexes.push_back(tree->NodeIndex(n));
  EXPECT_EQ(indexes, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_FALSE(tree->RootNode()->LastChild->Has(nsInitialized));
  EXPECT_EQ(CheckInvariants(*tree), "");
}

// A node whose shown height passes 32 bits is still whole when OnFreeNode reports it, however it goes.
TEST(NodeStore, FreedNodeOfATallSubtreeIsWholeInItsHandler) {
  const std::pair<const char*, void (*)(TBaseTree&, PTreeNode)> ways[] = {
      {"its parent deleted", [](TBaseTree& t, PTreeNode parent) { EXPECT_TRUE(t.DeleteNode(parent).Alive()); }},
      {"the tree cleared", [](TBaseTree& t, PTreeNode) { EXPECT_TRUE(t.Clear().Alive()); }},
  };
  for (const auto& [name, free] : ways) {
    auto tree = MakeTree();
    tree->SetDefaultNodeHeight(65535);
    PTreeNode parent = tree->AddChild(nullptr);
    PTreeNode tall = tree->AddChild(parent);
    EXPECT_FALSE(tree->SetChildCount(tall, 70000).TreeGone());
    EXPECT_FALSE(tree->SetExpanded(tall, true).TreeGone());
    tree->ValidateNode(tall, false);
    std::uint64_t reported = 0;
    tree->OnFreeNode = [&](TBaseTree* sender, PTreeNode node) {
      if (node == tall) reported = sender->NodeTotalHeight(node);
    };
    free(*tree, parent);
    EXPECT_EQ(reported, std::uint64_t{70001} * 65535) << name;
  }
}

TEST(NodeStore, DeletionsInsideABracketReportOneAccumulatedChange) {
  auto tree = MakeTree();
  EXPECT_TRUE(tree->SetRootNodeCount(5).Alive());
  std::vector<TChangeReason> reasons;
  tree->OnStructureChange = [&](TBaseTree*, PTreeNode, TChangeReason r) { reasons.push_back(r); };
  EXPECT_TRUE(tree->BeginUpdate().Alive());
  EXPECT_TRUE(tree->DeleteNode(tree->GetFirstNoInit()).Alive());
  EXPECT_TRUE(reasons.empty());
  EXPECT_TRUE(tree->DeleteNode(tree->GetFirstNoInit()).Alive());
  EXPECT_TRUE(tree->EndUpdate().Alive());
  EXPECT_EQ(reasons, std::vector<TChangeReason>{TChangeReason::crAccumulated});
  reasons.clear();
  EXPECT_TRUE(tree->BeginUpdate().Alive());
  tree->AddChild(nullptr);
  EXPECT_TRUE(tree->EndUpdate().Alive());
  EXPECT_EQ(reasons, std::vector<TChangeReason>{TChangeReason::crChildAdded});
}

// Nodes exist before anyone asks for them: only the nodes a walk hands out are initialized.
TEST(NodeStore, NodesAreInitializedOnlyWhenReached) {
  auto tree = MakeTree();
  std::vector<PTreeNode> initialized, freed;
  tree->OnInitNode = [&](TBaseTree*, PTreeNode, PTreeNode n, TTreeNodeInitStates& s) {
    initialized.push_back(n);
    if (n->Index == 0) s |= ivsHasChildren;
  };
  tree->OnInitChildren = [&](TBaseTree*, PTreeNode, std::uint32_t& count) { count = 4; };
  tree->OnFreeNode = [&](TBaseTree*, PTreeNode n) { freed.push_back(n); };
  EXPECT_TRUE(tree->SetRootNodeCount(1000).Alive());
  EXPECT_TRUE(initialized.empty());
  EXPECT_EQ(tree->GetNodeAt(0, 5 * 18 + 1),
            tree->RootNode()->FirstChild->NextSibling->NextSibling->NextSibling->NextSibling->NextSibling);
  EXPECT_TRUE(initialized.empty()) << "a position look-up raised OnInitNode";
  PTreeNode first = tree->GetFirst();
  EXPECT_EQ(initialized, std::vector<PTreeNode>{first});
  EXPECT_EQ(first->ChildCount, 0u);
  PTreeNode next = tree->GetNext(first);
  EXPECT_EQ(first->ChildCount, 4u);
  EXPECT_EQ(next, first->FirstChild);
  EXPECT_EQ(initialized.size(), 2u);
  tree->AddChild(nullptr, reinterpret_cast<void*>(0x1234));
  EXPECT_TRUE(tree->Clear().Alive());
  EXPECT_EQ(freed.size(), 3u) << "OnFreeNode for two initialized nodes and one with user data";
  EXPECT_EQ(tree->TotalCount(), 0u);
  EXPECT_EQ(CheckInvariants(*tree), "");
}

TEST(NodeStore, RootCountFromAStoredFormWaitsForLoaded) {
  TTestTree tree;
  tree.SetLoading(true);
  EXPECT_TRUE(tree.SetRootNodeCount(5).Alive());
  EXPECT_EQ(tree.RootNodeCount(), 0u);
  EXPECT_EQ(CheckInvariants(tree), "");
  EXPECT_TRUE(tree.Loaded().Alive());
  EXPECT_EQ(tree.RootNodeCount(), 5u);
  EXPECT_EQ(CheckInvariants(tree), "");
}

// A record too small for the user value: the node stays, without the value, and the tree is not left updating.
TEST(NodeStoreFaults, TooSmallRecordReportsAfterFinishingTheNode) {
  auto tree = MakeTree(2);
  int changes = 0;
  tree->OnStructureChange = [&](TBaseTree*, PTreeNode, TChangeReason) { ++changes; };
  for (int kind = 0; kind < 2; ++kind) {
    changes = 0;
    try {
      if (kind == 0)
        tree->AddChild(nullptr, reinterpret_cast<void*>(7));
      else
        tree->InsertNode(nullptr, AM::amAddChildLast, reinterpret_cast<void*>(7));
      ADD_FAILURE() << "no error";
    } catch (const ETreeError& e) {
      EXPECT_EQ(e.HelpContext(), teInitialUserDataSpace);
      EXPECT_EQ(e.Message(), L"Cannot set initial user data because there is not enough user data space allocated.");
    }
    EXPECT_EQ(tree->UpdateCount(), 0);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(tree->RootNode()->LastChild->Has(nsInitialUserData));
    changes = 0;
    tree->AddChild(nullptr);
    EXPECT_EQ(changes, 1) << "later changes still fire";
  }
  EXPECT_EQ(tree->RootNodeCount(), 4u);
}

// Null stands for the root in an order; a node of another tree has none in this one. Asked for it, the tree
// raises, and writes nothing into the other tree: not into its nodes, not into the tree object above its root.
// The root's children deleted with their mark: the root keeps it, so that the nodes a load brings later are
// sorted.
TEST(NodeStoreFaults, TheRootKeepsItsMarkWhenItsChildrenGoWithTheirs) {
  TKeyedTree source, tree;
  for (int key : {3, 1, 2}) source.Add(key);
  TMemoryStream stream;
  source.SaveToStream(stream);
  tree.OnCompareNodes = [&](TBaseTree*, PTreeNode a, PTreeNode b, TColumnIndex, int& result) {
    result = Key(tree, a) - Key(tree, b);
  };
  EXPECT_TRUE(tree.SetRootNodeCount(2).Alive());
  EXPECT_FALSE(tree.DeleteChildren(nullptr, true).TreeGone());
  stream.SetPosition(0);
  EXPECT_TRUE(tree.LoadFromStream(stream).Alive());
  EXPECT_EQ(CheckInvariants(tree), "");
  EXPECT_TRUE(tree.SortTree(0, TSortDirection::sdAscending, false).Alive());
  EXPECT_EQ(tree.Keys(), (std::vector<int>{1, 2, 3}));
}

TEST(NodeStoreFaults, OrderOfANodeOfAnotherTreeOrOfNull) {
  auto tree = MakeTree(), other = MakeTree();
  PTreeNode child = tree->AddChild(tree->AddChild(nullptr));
  PTreeNode foreign = other->AddChild(other->AddChild(nullptr));
  EXPECT_EQ(tree->CompareNodePositions(child, nullptr), 1);
  EXPECT_EQ(tree->CompareNodePositions(nullptr, child), -1);
  EXPECT_EQ(tree->CompareNodePositions(nullptr, tree->RootNode()), 0);
  auto bytes = [](const void* start, std::size_t size) { return std::string(static_cast<const char*>(start), size); };
  const std::string treeObject = bytes(other.get(), sizeof(TTestTree));
  std::vector<std::string> records;
  for (PTreeNode node : {foreign, foreign->Parent, other->RootNode()})
    records.push_back(bytes(node, sizeof(TTreeNode)));
  for (auto [a, b] : {std::pair{child, foreign}, std::pair{foreign, child}}) {
    try {
      tree->CompareNodePositions(a, b);
      ADD_FAILURE() << "no error";
    } catch (const ETreeError& e) {
      EXPECT_EQ(e.HelpContext(), teNodeOfOtherTree);
    }
  }
  EXPECT_EQ(bytes(other.get(), sizeof(TTestTree)), treeObject);
  std::size_t i = 0;
  for (PTreeNode node : {foreign, foreign->Parent, other->RootNode()})
    EXPECT_EQ(bytes(node, sizeof(TTreeNode)), records[i++]);
}

// Rows deleted give their memory back, whichever way they go: the memory the process committed for a tree of
// 300,000 rows goes down again to within a quarter of what it took.
TEST(NodeStoreAtScale, DeletedRowsGiveTheirMemoryBack) {
  auto committed = [] {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<int64_t>(counters.PagefileUsage);
  };
  const struct {
    const char* Name;
    std::function<void(TBaseTree&)> Delete;
  } ways[] = {
      {"the selection of every row deleted",
       [](TBaseTree& tree) {
         EXPECT_TRUE(tree.SelectAll(false).Alive());
         EXPECT_TRUE(tree.DeleteSelectedNodes().Alive());
       }},
      {"the root's children deleted", [](TBaseTree& tree) { EXPECT_FALSE(tree.DeleteChildren(nullptr).TreeGone()); }},
      {"the root's count set to 0", [](TBaseTree& tree) { EXPECT_TRUE(tree.SetRootNodeCount(0).Alive()); }},
      {"all but the last row deleted one by one",
       [](TBaseTree& tree) {
         while (tree.RootNodeCount() > 1) EXPECT_TRUE(tree.DeleteNode(tree.GetFirstNoInit()).Alive());
       }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.Name);
    auto tree = MakeTree(64);
    TCustomTreeOptions* options = tree->TreeOptions();
    EXPECT_TRUE(
        options->SetSelectionOptions(options->SelectionOptions() + TTreeSelectionOption::toMultiSelect).Alive());
    const int64_t before = committed();
    EXPECT_TRUE(tree->SetRootNodeCount(300000).Alive());
    const int64_t built = committed();
    way.Delete(*tree);
    EXPECT_LT(committed() - before, (built - before) / 4) << (built - before) / 1000000 << " MB for the rows";
    EXPECT_EQ(CheckInvariants(*tree), "");
  }
}

// The selection finds the entry of each node deselected from where it found the last one, and sorts the entries
// added since by merging their ascending runs. Rows selected in their order (a run for each chunk of node memory,
// whose chunks need not follow each other in memory), every other one and then the rest, backwards or at random,
// deselected in each of these orders (some selected again meanwhile), with and without a bracket, leave the rows
// selected that should be; the deselected rows are then deleted, with their freed blocks guarded, and clearing the
// selection touches none of them: an entry a deselection missed would still name its row.
TEST(NodeStore, SelectionFollowsDeselectionsInAnyOrder) {
  enum class TOrder { Forwards, EvensThenOdds, Backwards, AtRandom };
  constexpr std::uint32_t kRows = 6000;  // more than one chunk of guarded node memory
  std::mt19937 random(7);
  auto ordered = [&](TOrder order) {
    std::vector<std::size_t> indexes(kRows);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
      indexes[i] = order == TOrder::Backwards ? kRows - 1 - i : i;
      if (order == TOrder::EvensThenOdds) indexes[i] = i < kRows / 2 ? 2 * i : 2 * (i - kRows / 2) + 1;
    }
    if (order == TOrder::AtRandom) std::shuffle(indexes.begin(), indexes.end(), random);
    return indexes;
  };
  for (TOrder adding : {TOrder::Forwards, TOrder::EvensThenOdds, TOrder::Backwards, TOrder::AtRandom}) {
    for (TOrder removing : {TOrder::Forwards, TOrder::EvensThenOdds, TOrder::Backwards, TOrder::AtRandom}) {
      for (bool bracket : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "adding " << static_cast<int>(adding) << ", removing "
                                          << static_cast<int>(removing) << (bracket ? ", in a bracket" : ""));
        TNodeSlab::SetGuardFreedBlocks(true);
        auto tree = MakeTree();
        TNodeSlab::SetGuardFreedBlocks(false);
        TCustomTreeOptions* options = tree->TreeOptions();
        EXPECT_TRUE(
            options->SetSelectionOptions(options->SelectionOptions() + TTreeSelectionOption::toMultiSelect).Alive());
        EXPECT_TRUE(tree->SetRootNodeCount(kRows).Alive());
        std::vector<PTreeNode> rows;
        for (PTreeNode node = tree->GetFirstNoInit(); node; node = node->NextSibling) rows.push_back(node);
        ASSERT_EQ(rows.size(), kRows);
        std::vector<bool> selected(kRows, false);
        for (std::size_t i : ordered(adding)) {
          ASSERT_FALSE(tree->AddToSelection(rows[i]).Gone());
          selected[i] = true;
        }
        if (bracket) {
          EXPECT_TRUE(tree->BeginUpdate().Alive());
        }
        std::size_t removed = 0;
        for (std::size_t i : ordered(removing)) {
          if (i % 4 == 0) continue;
          ASSERT_FALSE(tree->RemoveFromSelection(rows[i]).Gone());
          selected[i] = false;
          // Every tenth row deselected is selected again: its marked entry lies beside its new one.
          if (++removed % 10 == 0) {
            ASSERT_FALSE(tree->AddToSelection(rows[i]).Gone());
            selected[i] = true;
          }
        }
        if (bracket) {
          EXPECT_TRUE(tree->EndUpdate().Alive());
        }
        std::uint32_t count = 0, wrong = 0;
        for (std::size_t i = 0; i < kRows; ++i) {
          count += selected[i];
          wrong += rows[i]->Has(nsSelected) != selected[i];
        }
        EXPECT_EQ(wrong, 0u);
        EXPECT_EQ(tree->SelectedCount(), count);
        EXPECT_TRUE(tree->BeginUpdate().Alive());
        for (std::size_t i = 0; i < kRows; ++i)
          if (!selected[i]) EXPECT_TRUE(tree->DeleteNode(rows[i]).Alive());
        EXPECT_TRUE(tree->EndUpdate().Alive());
        EXPECT_TRUE(tree->ClearSelection().Alive());
        EXPECT_EQ(tree->SelectedCount(), 0u);
        EXPECT_EQ(tree->GetFirstSelected(), nullptr);
      }
    }
  }
}

// A deletion of the selection whose handler deletes a selected node further up the list than the next one passes
// over it; the tree guards its freed blocks, so that a touch of one faults.
TEST(NodeStoreFaults, DeletingTheSelectionPassesOverNodesItsHandlersDelete) {
  TNodeSlab::SetGuardFreedBlocks(true);
  auto tree = MakeTree();
  TNodeSlab::SetGuardFreedBlocks(false);
  TCustomTreeOptions* options = tree->TreeOptions();
  EXPECT_TRUE(options->SetSelectionOptions(options->SelectionOptions() + TTreeSelectionOption::toMultiSelect).Alive());
  EXPECT_TRUE(tree->SetRootNodeCount(4).Alive());
  std::vector<PTreeNode> top;
  for (PTreeNode node = tree->GetFirst(); node; node = tree->GetNextSibling(node)) top.push_back(node);
  for (int i : {0, 1, 3}) EXPECT_FALSE(tree->SetSelected(top[i], true).TreeGone());
  // The last selected goes first; its free takes the first selected with it.
  tree->OnFreeNode = [&](TBaseTree*, PTreeNode node) {
    if (node == top[3]) EXPECT_TRUE(tree->DeleteNode(top[0]).Alive());
  };
  EXPECT_TRUE(tree->DeleteSelectedNodes().Alive());
  ASSERT_EQ(tree->RootNodeCount(), 1u);
  EXPECT_EQ(tree->GetFirstNoInit(), top[2]);
  EXPECT_EQ(tree->SelectedCount(), 0u);
  EXPECT_EQ(CheckInvariants(*tree), "");
}

// Moving several nodes keeps their order in every attach mode.
TEST(NodeStoreFaults, MovingChildrenKeepsTheirOrderInEveryMode) {
  for (AM mode : {AM::amInsertBefore, AM::amInsertAfter, AM::amAddChildFirst, AM::amAddChildLast}) {
    auto tree = MakeTree();
    PTreeNode source = tree->AddChild(nullptr);
    PTreeNode target = tree->AddChild(nullptr);
    Key(*tree, source) = 100;
    Key(*tree, target) = 200;
    for (int i = 0; i < 4; ++i) Key(*tree, tree->AddChild(source)) = i;
    Key(*tree, tree->AddChild(target)) = 50;
    EXPECT_FALSE(tree->MoveTo(source, target, mode, true).TreeGone());
    std::vector<int> moved;
    PTreeNode parent = mode == AM::amInsertBefore || mode == AM::amInsertAfter ? nullptr : target;
    for (int key : KeysOf(*tree, parent))
      if (key < 4) moved.push_back(key);
    EXPECT_EQ(moved, (std::vector<int>{0, 1, 2, 3})) << "mode " << static_cast<int>(mode);
    EXPECT_EQ(CheckInvariants(*tree), "");
  }
}

// On 64-bit systems a user value is a pointer and every area after the header starts on a 16-byte boundary.
TEST(NodeStoreFaults, UserValuesArePointerSizedAndAreasAligned) {
  class TAreaTree : public TTestTree {
   public:
    std::size_t Reserve(std::size_t size) { return AllocateInternalDataArea(size); }
  };
  for (std::size_t internal : {0u, 4u, 20u}) {
    TAreaTree tree;
    std::size_t offset = internal ? tree.Reserve(internal) : TreeNodeSize;
    EXPECT_EQ(offset % 16, 0u);
    EXPECT_TRUE(tree.SetNodeDataSize(sizeof(void*)).Alive());
    void* value = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x123456789ABCDEF0ull & UINTPTR_MAX));
    PTreeNode node = tree.AddChild(nullptr, value);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(tree.GetNodeData(node)) % 16, 0u);
    EXPECT_EQ(*tree.GetNodeData<void*>(node), value);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(node) % 16, 0u);
    tree.Reserve(8);
    EXPECT_EQ(tree.RootNodeCount(), 0u) << "nodes made with the smaller area go";
    EXPECT_EQ(*tree.GetNodeData<void*>(tree.AddChild(nullptr, value)), value);
  }
}

TEST(NodeStore, MoveRules) {
  auto tree = MakeTree();
  PTreeNode a = tree->AddChild(nullptr);
  PTreeNode b = tree->AddChild(nullptr);
  PTreeNode grandchild = tree->AddChild(tree->AddChild(a));
  try {
    EXPECT_FALSE(tree->MoveTo(a, grandchild, AM::amAddChildLast, false).TreeGone());
    ADD_FAILURE() << "no error";
  } catch (const ETreeError& e) {
    EXPECT_EQ(e.HelpContext(), teMoveIntoOwnSubtree);
    EXPECT_EQ(e.Message(), L"Target node cannot be a child node of the node to be moved.");
  }
  EXPECT_EQ(grandchild->Parent->Parent, a);
  EXPECT_FALSE(tree->MoveTo(a, tree->RootNode(), AM::amInsertAfter, false).TreeGone());
  EXPECT_EQ(tree->RootNode()->LastChild, a);
  bool allowed = false;
  tree->OnNodeMoving = [&](TBaseTree*, PTreeNode, PTreeNode, bool& ok) { ok = allowed; };
  EXPECT_FALSE(tree->MoveTo(b, a, AM::amAddChildLast, false).TreeGone());
  EXPECT_EQ(b->Parent, tree->RootNode());
  EXPECT_EQ(CheckInvariants(*tree), "");
}

TEST(NodeStore, PasteAfterCutDeletesEveryMarkedNodeOnce) {
  auto tree = MakeTree();
  EXPECT_TRUE(tree->TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toMultiSelect}).Alive());
  PTreeNode a = tree->AddChild(nullptr);
  PTreeNode inner = tree->AddChild(a);
  PTreeNode keep = tree->AddChild(nullptr);
  PTreeNode b = tree->AddChild(nullptr);
  int freed = 0;
  tree->OnInitNode = [](TBaseTree*, PTreeNode, PTreeNode, TTreeNodeInitStates&) {};
  tree->OnFreeNode = [&](TBaseTree*, PTreeNode) { ++freed; };
  for (PTreeNode n : {a, inner, keep, b}) tree->ValidateNode(n, false);
  EXPECT_FALSE(tree->SetSelected(a, true).TreeGone());
  EXPECT_FALSE(tree->SetSelected(inner, true).TreeGone());
  EXPECT_FALSE(tree->SetSelected(b, true).TreeGone());
  tree->MarkCutCopyNodes(true);
  inner->States |= nsCutOrCopy;
  EXPECT_TRUE(tree->FinishCutOrCopy().Alive());
  EXPECT_EQ(tree->RootNodeCount(), 1u);
  EXPECT_EQ(tree->GetFirstNoInit(), keep);
  EXPECT_EQ(freed, 3);
  EXPECT_EQ(tree->SelectedCount(), 0u);
}

}  // namespace
}  // namespace tree_test
