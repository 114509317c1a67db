#include "tree_fixture.h"

#include <algorithm>
#include <sstream>

#include "framework/streams.h"

namespace tree_test {

namespace {

// One node against its children, whose own totals were checked before (post-order).
std::string CheckNode(TBaseTree& tree, PTreeNode node) {
  std::ostringstream fault;
  std::uint32_t childCount = 0, count = 1;
  std::uint64_t shownHeight = 0;
  PTreeNode previous = nullptr;
  for (PTreeNode child = node->FirstChild; child; child = child->NextSibling) {
    if (child->Parent != node) fault << "parent link broken at index " << childCount;
    if (child->PrevSibling != previous) fault << "previous link broken at index " << childCount;
    if (tree.NodeIndex(child) != childCount) fault << "index " << child->Index << " at position " << childCount;
    if (!fault.str().empty()) return fault.str();
    count += child->TotalCount;
    if (child->Has(nsVisible)) shownHeight += tree.NodeTotalHeight(child);
    previous = child;
    ++childCount;
  }
  const std::uint64_t height = node->NodeHeight + (node->Has(nsExpanded) ? shownHeight : 0);
  if (node->LastChild != previous)
    fault << "last child link broken";
  else if (node->ChildCount != childCount)
    fault << "ChildCount " << node->ChildCount << " for " << childCount;
  else if (node->TotalCount != count)
    fault << "TotalCount " << node->TotalCount << " for " << count;
  else if (childCount > 0 && !node->Has(nsHasChildren))
    fault << "children without nsHasChildren (states " << node->States << ", " << childCount << " children, level " << tree.GetNodeLevel(node) << ")";
  else if (tree.NodeTotalHeight(node) != height)
    fault << "TotalHeight " << tree.NodeTotalHeight(node) << " for " << height;
  else if (node->TotalHeight != std::min<std::uint64_t>(height, WideTotalHeight))
    fault << "TotalHeight field " << node->TotalHeight << " for " << height;
  else if (node->Has(nsChecking))
    fault << "still marked as being checked";
  return fault.str();
}

// The walks of the navigation functions along the visible path, both ways, against the path itself.
std::string CheckVisibleWalks(TBaseTree& tree, const std::vector<PTreeNode>& shown) {
  std::size_t i = 0;
  for (PTreeNode node = tree.GetFirstVisibleNoInit(); node; node = tree.GetNextVisibleNoInit(node), ++i)
    if (i >= shown.size() || shown[i] != node)
      return "forward walk leaves the visible path at row " + std::to_string(i);
  if (i != shown.size()) return "forward walk ends at row " + std::to_string(i);
  for (PTreeNode node = tree.GetLastVisibleNoInit(); node; node = tree.GetPreviousVisibleNoInit(node))
    if (i == 0 || shown[--i] != node) return "backward walk leaves the visible path at row " + std::to_string(i);
  if (i != 0) return "backward walk ends at row " + std::to_string(i);
  return {};
}

}  // namespace

std::string CheckInvariants(TBaseTree& tree) {
  // Counts are summed on demand: asking for the total brings every node's count up to date.
  tree.TotalCount();
  PTreeNode root = tree.RootNode();
  PTreeNode run = root;
  while (run->FirstChild) run = run->FirstChild;
  for (;;) {
    std::string fault = CheckNode(tree, run);
    if (!fault.empty()) return fault;
    if (run == root) break;
    if (run->NextSibling) {
      run = run->NextSibling;
      while (run->FirstChild) run = run->FirstChild;
    } else {
      run = run->Parent;
    }
  }
  const std::vector<PTreeNode> shown = ShownNodes(tree);
  if (shown.size() != tree.VisibleCount())
    return "visible count " + std::to_string(tree.VisibleCount()) + " for " + std::to_string(shown.size());
  return CheckVisibleWalks(tree, shown);
}

std::vector<PTreeNode> ShownNodes(TBaseTree& tree) {
  // A loop, so that deep chains need no deep stack.
  PTreeNode root = tree.RootNode();
  std::vector<PTreeNode> nodes;
  PTreeNode run = root->FirstChild;
  while (run) {
    bool shown = run->Has(nsVisible);
    if (shown) nodes.push_back(run);
    if (shown && run->Has(nsExpanded) && run->FirstChild) {
      run = run->FirstChild;
      continue;
    }
    while (run != root && !run->NextSibling) run = run->Parent;
    run = run == root ? nullptr : run->NextSibling;
  }
  return nodes;
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
