#include "tree_fixture.h"

#include <sstream>

#include "framework/streams.h"

namespace tree_test {

namespace {

struct TTotals {
  std::uint32_t count = 0;
  std::uint32_t height = 0;
};

bool CheckNode(TBaseTree& tree, PTreeNode node, std::ostringstream& fault, TTotals& totals) {
  std::uint32_t childCount = 0, count = 1, shownHeight = 0;
  PTreeNode previous = nullptr;
  for (PTreeNode child = node->FirstChild; child; child = child->NextSibling) {
    if (child->Parent != node) fault << "parent link broken at index " << childCount;
    if (child->PrevSibling != previous) fault << "previous link broken at index " << childCount;
    if (child->Index != childCount) fault << "index " << child->Index << " at position " << childCount;
    if (!fault.str().empty()) return false;
    TTotals sub;
    if (!CheckNode(tree, child, fault, sub)) return false;
    count += sub.count;
    if (child->Has(nsVisible)) shownHeight += sub.height;
    previous = child;
    ++childCount;
  }
  if (node->LastChild != previous)
    fault << "last child link broken";
  else if (node->ChildCount != childCount)
    fault << "ChildCount " << node->ChildCount << " for " << childCount;
  else if (node->TotalCount != count)
    fault << "TotalCount " << node->TotalCount << " for " << count;
  else if (childCount > 0 && !node->Has(nsHasChildren))
    fault << "children without nsHasChildren";
  else {
    std::uint32_t height = node->NodeHeight + (node->Has(nsExpanded) ? shownHeight : 0);
    if (node->TotalHeight != height) fault << "TotalHeight " << node->TotalHeight << " for " << height;
  }
  totals = {count, node->TotalHeight};
  return fault.str().empty();
}

std::uint32_t CountShown(PTreeNode node) {
  std::uint32_t count = 0;
  for (PTreeNode child = node->FirstChild; child; child = child->NextSibling)
    if (child->Has(nsVisible)) count += 1 + (child->Has(nsExpanded) ? CountShown(child) : 0);
  return count;
}

}  // namespace

std::string CheckInvariants(TBaseTree& tree) {
  std::ostringstream fault;
  TTotals totals;
  if (!CheckNode(tree, tree.RootNode(), fault, totals)) return fault.str();
  std::uint32_t shown = CountShown(tree.RootNode());
  if (shown != tree.VisibleCount())
    return "visible count " + std::to_string(tree.VisibleCount()) + " for " + std::to_string(shown);
  return {};
}

bool WaitForCache(TBaseTree& tree) {
  for (int i = 0; i < 5000; ++i) {
    TTreeStates states = tree.TreeStates();
    if (states.Contains(TTreeState::stUseCache) && !states.Contains(TTreeState::stValidating)) return true;
    Sleep(1);
  }
  return false;
}

std::vector<PTreeNode> AllNodes(TBaseTree& tree) {
  std::vector<PTreeNode> nodes;
  for (PTreeNode node = tree.GetFirstNoInit(); node; node = tree.GetNextNoInit(node)) nodes.push_back(node);
  return nodes;
}

TKeyedTree::TKeyedTree(HWND host) {
  SetNodeDataSize(sizeof(int));
  OnSaveNode = [this](TBaseTree*, PTreeNode node, TStream& stream) { stream.WriteBuffer(&Key(*this, node), 4); };
  OnLoadNode = [this](TBaseTree*, PTreeNode node, TStream& stream) { stream.ReadBuffer(&Key(*this, node), 4); };
  if (!host) return;
  SetParentWindow(host);
  SetBounds(0, 0, 200, 100);
  HandleNeeded();
  SetVisible(true);
}

PTreeNode TKeyedTree::Add(int key, PTreeNode parent) {
  PTreeNode node = AddChild(parent);
  Key(*this, node) = key;
  return node;
}

void TKeyedTree::Fill(int count) {
  for (int i = 1; i <= count; ++i) {
    PTreeNode node = Add(i);
    for (int j = 1; j <= 2; ++j) Add(10 * i + j, node);
  }
}

std::vector<int> TKeyedTree::Keys() {
  std::vector<int> keys;
  for (PTreeNode node : AllNodes(*this)) keys.push_back(Key(*this, node));
  return keys;
}

void TKeyedTree::SelectOnly(PTreeNode node) {
  ClearSelection();
  if (node) SetSelected(node, true);
}

}  // namespace tree_test
