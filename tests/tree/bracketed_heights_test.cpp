// Heights changed inside an update bracket: every change that moves rows (opening and closing, row heights,
// hiding, adding into open parents, deleting), made one at a time inside a bracket on a chain and on a mixed tree,
// leaves every position the tree answers exact after each single step, and the tree after the bracket equals one
// built the plain way.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tree_fixture.h"

namespace tree_test {
namespace {

// A tree to build: the parent of each node (an earlier one, or -1 for the top level), its row height and whether
// it is hidden.
struct TShape {
  std::vector<int> Parents;
  std::vector<std::uint16_t> Heights;
  std::vector<bool> Hidden;
};

TShape Chain(int depth) {
  TShape shape;
  for (int i = 0; i < depth; ++i) {
    shape.Parents.push_back(i - 1);
    shape.Heights.push_back(static_cast<std::uint16_t>(10 + i % 7));
    shape.Hidden.push_back(false);
  }
  return shape;
}

// Several levels, wide and deep runs, varied heights and a few hidden nodes.
TShape Mixed(int count) {
  std::mt19937 random(7);
  TShape shape;
  for (int i = 0; i < count; ++i) {
    const int choice = static_cast<int>(random() % 10);
    // Mostly below the node just made (deep runs), sometimes below an earlier one or on the top level.
    const int parent = i == 0 || choice == 0 ? -1 : choice < 6 ? i - 1 : static_cast<int>(random() % i);
    shape.Parents.push_back(parent);
    shape.Heights.push_back(static_cast<std::uint16_t>(8 + random() % 30));
    shape.Hidden.push_back(random() % 25 == 0);
  }
  return shape;
}

// Builds shape into tree. Opened, each parent opens outside any bracket as soon as it has its first child, so that
// every later node is added below open parents: the tree as built expanded from the start.
std::vector<PTreeNode> Build(TBaseTree& tree, const TShape& shape, bool opened) {
  std::vector<PTreeNode> nodes;
  for (std::size_t i = 0; i < shape.Parents.size(); ++i) {
    PTreeNode parent = shape.Parents[i] < 0 ? nullptr : nodes[static_cast<std::size_t>(shape.Parents[i])];
    PTreeNode node = tree.AddChild(parent);
    tree.SetNodeHeight(node, shape.Heights[i]);
    if (shape.Hidden[i]) tree.SetIsVisible(node, false);
    if (opened && parent && parent->ChildCount == 1) EXPECT_FALSE(tree.SetExpanded(parent, true).TreeGone());
    nodes.push_back(node);
  }
  return nodes;
}

// Every position the tree answers for node, whose row starts at top.
std::string CheckRow(TBaseTree& tree, PTreeNode node, TTreePosition top) {
  const std::string at = " for the row at " + std::to_string(top);
  if (tree.GetNodeTop(node) != top) return "GetNodeTop " + std::to_string(tree.GetNodeTop(node)) + at;
  int found = -1;
  if (tree.GetNodeAt(0, static_cast<int>(top), false, found) != node || found != top) return "GetNodeAt" + at;
  if (tree.GetNodeAt(0, static_cast<int>(top + node->NodeHeight - 1)) != node) return "GetNodeAt of the last line" + at;
  RECT row = tree.GetDisplayRect(node, NoColumn, false);
  if (row.top != top || row.bottom != top + node->NodeHeight) return "GetDisplayRect" + at;
  return {};
}

// The positions of the first and last rows, of the rows of changed (when shown) and of its first child, and of a
// few rows between, against the tops the shown rows' heights add up to; nothing below the last row.
std::string CheckPositions(TBaseTree& tree, PTreeNode changed) {
  const std::vector<PTreeNode> shown = ShownNodes(tree);
  std::vector<TTreePosition> tops;
  TTreePosition total = 0;
  for (PTreeNode node : shown) {
    tops.push_back(total);
    total += node->NodeHeight;
  }
  if (tree.GetNodeAt(0, static_cast<int>(total)) != nullptr) return "a row below the last at " + std::to_string(total);
  if (shown.empty()) return {};
  std::vector<std::size_t> rows{0, shown.size() / 3, shown.size() / 2, shown.size() - 1};
  for (std::size_t i = 0; i < shown.size(); ++i)
    if (shown[i] == changed || (changed && shown[i] == changed->FirstChild)) rows.push_back(i);
  for (std::size_t i : rows) {
    std::string fault = CheckRow(tree, shown[i], tops[i]);
    if (!fault.empty()) return fault;
  }
  return {};
}

// One run of single changes, each followed by a call of step with the node it changed (or null).
using TChanges = std::function<void(TBaseTree& tree, const TShape& shape, const std::function<void(PTreeNode)>& step)>;

struct TChangeRun {
  const char* Name;
  bool StartsOpened;  // built opened, else closed
  TChanges Changes;
};

const TChangeRun ChangeRuns[] = {
    {"restore top down", false,
     [](TBaseTree& tree, const TShape&, const auto& step) {
       for (PTreeNode node = tree.GetFirst(); node; node = tree.GetNext(node)) {
         EXPECT_FALSE(tree.SetExpanded(node, true).TreeGone());
         step(node);
       }
     }},
    {"collapse bottom up", true,
     [](TBaseTree& tree, const TShape&, const auto& step) {
       for (PTreeNode node = tree.GetLast(); node; node = tree.GetPrevious(node)) {
         EXPECT_FALSE(tree.SetExpanded(node, false).TreeGone());
         step(node);
       }
     }},
    {"row heights top down", true,
     [](TBaseTree& tree, const TShape&, const auto& step) {
       for (PTreeNode node = tree.GetFirst(); node; node = tree.GetNext(node)) {
         tree.SetNodeHeight(node, static_cast<std::uint16_t>(node->NodeHeight + 5));
         step(node);
       }
     }},
    {"hide bottom up, show top down", true,
     [](TBaseTree& tree, const TShape&, const auto& step) {
       std::vector<PTreeNode> hidden;
       bool skip = true;
       for (PTreeNode node = tree.GetLast(); node; node = tree.GetPrevious(node)) {
         skip = !skip;
         if (skip || !node->Has(nsVisible)) continue;
         tree.SetIsVisible(node, false);
         hidden.push_back(node);
         step(node);
       }
       for (auto it = hidden.rbegin(); it != hidden.rend(); ++it) {
         tree.SetIsVisible(*it, true);
         step(*it);
       }
     }},
    {"add into opened parents", false,
     [](TBaseTree& tree, const TShape& shape, const auto& step) {
       EXPECT_TRUE(tree.Clear().Alive());
       std::vector<PTreeNode> nodes;
       for (int parentIndex : shape.Parents) {
         PTreeNode parent = parentIndex < 0 ? nullptr : nodes[static_cast<std::size_t>(parentIndex)];
         nodes.push_back(tree.AddChild(parent));
         if (parent) EXPECT_FALSE(tree.SetExpanded(parent, true).TreeGone());
         step(nodes.back());
       }
     }},
    {"delete from the last node", true,
     [](TBaseTree& tree, const TShape&, const auto& step) {
       while (PTreeNode last = tree.GetLastNoInit()) {
         PTreeNode parent = last->Parent == tree.RootNode() ? nullptr : last->Parent;
         EXPECT_TRUE(tree.DeleteNode(last).Alive());
         step(parent);
       }
     }},
};

const std::pair<const char*, TShape> Shapes[] = {
    {"chain", Chain(1500)},
    {"mixed tree", Mixed(1500)},
};

TEST(BracketedHeights, EveryStepInsideTheBracketAnswersExactPositions) {
  for (const auto& [shapeName, shape] : Shapes)
    for (const TChangeRun& run : ChangeRuns) {
      SCOPED_TRACE(std::string(shapeName) + ", " + run.Name);
      TTestTree tree;
      Build(tree, shape, run.StartsOpened);
      EXPECT_TRUE(tree.BeginUpdate().Alive());
      std::string fault;
      int steps = 0;
      run.Changes(tree, shape, [&](PTreeNode changed) {
        ++steps;
        if (!fault.empty()) return;
        fault = CheckPositions(tree, changed);
        if (!fault.empty()) fault += " at step " + std::to_string(steps);
      });
      EXPECT_TRUE(tree.EndUpdate().Alive());
      EXPECT_EQ(fault, "");
      EXPECT_GT(steps, 0);
      EXPECT_EQ(CheckInvariants(tree), "");
      EXPECT_EQ(CheckPositions(tree, nullptr), "") << "after the bracket";
    }
}

// A closed tree opened node after node from the top inside a bracket ends as the same tree built opened: the same
// rows at the same tops, the same totals.
TEST(BracketedHeights, TopDownRestoreEqualsATreeBuiltOpened) {
  for (const auto& [shapeName, shape] : Shapes) {
    SCOPED_TRACE(shapeName);
    TTestTree restored;
    TTestTree opened;
    const std::vector<PTreeNode> restoredNodes = Build(restored, shape, false);
    const std::vector<PTreeNode> openedNodes = Build(opened, shape, true);
    EXPECT_TRUE(restored.BeginUpdate().Alive());
    for (PTreeNode node = restored.GetFirst(); node; node = restored.GetNext(node))
      EXPECT_FALSE(restored.SetExpanded(node, true).TreeGone());
    EXPECT_TRUE(restored.EndUpdate().Alive());
    EXPECT_EQ(restored.VisibleCount(), opened.VisibleCount());
    EXPECT_EQ(restored.RootNode()->TotalHeight, opened.RootNode()->TotalHeight);
    int differing = 0;
    for (std::size_t i = 0; i < restoredNodes.size(); ++i)
      differing += restoredNodes[i]->TotalHeight != openedNodes[i]->TotalHeight ||
                   restored.GetNodeTop(restoredNodes[i]) != opened.GetNodeTop(openedNodes[i]);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(CheckInvariants(restored), "");
  }
}

}  // namespace
}  // namespace tree_test
