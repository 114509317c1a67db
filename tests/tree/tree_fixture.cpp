#include "tree_fixture.h"

#include <sstream>

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

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(1);
  }
  return true;
}

}  // namespace tree_test
