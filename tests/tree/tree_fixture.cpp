#include "tree_fixture.h"

#include <algorithm>
#include <sstream>

#include "framework/streams.h"

namespace tree_test {

namespace {

// Text of a fault found, in parts.
template <typename... TParts>
std::string Describe(const TParts&... parts) {
  std::ostringstream text;
  (text << ... << parts);
  return text.str();
}

// One node against its children, whose own totals were checked before (post-order). Nothing is allocated unless a
// fault is found: under the platform's heap checks every free fills the free space beside it, which in a tree of a
// million nodes made each check take minutes.
std::string CheckNode(TBaseTree& tree, PTreeNode node) {
  std::uint32_t childCount = 0, count = 1;
  std::uint64_t shownHeight = 0;
  PTreeNode previous = nullptr;
  for (PTreeNode child = node->FirstChild; child; child = child->NextSibling) {
    if (child->Parent != node) return Describe("parent link broken at index ", childCount);
    if (child->PrevSibling != previous) return Describe("previous link broken at index ", childCount);
    if (tree.NodeIndex(child) != childCount) return Describe("index ", child->Index, " at position ", childCount);
    count += child->TotalCount;
    if (child->Has(nsVisible)) shownHeight += tree.NodeTotalHeight(child);
    previous = child;
    ++childCount;
  }
  const std::uint64_t height = node->NodeHeight + (node->Has(nsExpanded) ? shownHeight : 0);
  if (node->LastChild != previous) return "last child link broken";
  if (node->ChildCount != childCount) return Describe("ChildCount ", node->ChildCount, " for ", childCount);
  if (node->TotalCount != count) return Describe("TotalCount ", node->TotalCount, " for ", count);
  if (childCount > 0 && !node->Has(nsHasChildren))
    return Describe("children without nsHasChildren (states ", node->States, ", ", childCount, " children, level ",
                    tree.GetNodeLevel(node), ")");
  if (tree.NodeTotalHeight(node) != height)
    return Describe("TotalHeight ", tree.NodeTotalHeight(node), " for ", height);
  if (node->TotalHeight != std::min<std::uint64_t>(height, WideTotalHeight))
    return Describe("TotalHeight field ", node->TotalHeight, " for ", height);
  if (node->Has(nsChecking)) return "still marked as being checked";
  return {};
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

namespace {

// The worker publishes by itself: the wait serves no messages.
bool WaitUntil(const std::function<bool()>& condition) {
  const ULONGLONG limit = GetTickCount64() + 60000;
  while (!condition()) {
    if (GetTickCount64() > limit) return false;
    Sleep(1);
  }
  return true;
}

}  // namespace

testing::AssertionResult WaitForCache(TBaseTree& tree) {
  if (WaitUntil([&tree] {
        const TTreeStates states = tree.TreeStates();
        return states.Contains(TTreeState::stUseCache) && !states.Contains(TTreeState::stValidating);
      }))
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "the worker never published the position cache";
}

testing::AssertionResult WaitForValidationToEnd(TBaseTree& tree) {
  if (WaitUntil([&tree] { return !tree.TreeStates().Contains(TTreeState::stValidating); }))
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "the worker's validation of the position cache never ended";
}

std::vector<PTreeNode> AllNodes(TBaseTree& tree) {
  std::vector<PTreeNode> nodes;
  for (PTreeNode node = tree.GetFirstNoInit(); node; node = tree.GetNextNoInit(node)) nodes.push_back(node);
  return nodes;
}

TKeyedTree::TKeyedTree(HWND host) {
  EXPECT_TRUE(SetNodeDataSize(sizeof(int)).Alive());
  OnSaveNode = [this](TBaseTree*, PTreeNode node, TStream& stream) { stream.WriteBuffer(&Key(*this, node), 4); };
  OnLoadNode = [this](TBaseTree*, PTreeNode node, TStream& stream) { stream.ReadBuffer(&Key(*this, node), 4); };
  if (!host) return;
  EXPECT_TRUE(SetParentWindow(host).Alive());
  EXPECT_TRUE(SetBounds(0, 0, 200, 100).Alive());
  HandleNeeded();
  EXPECT_TRUE(SetVisible(true).Alive());
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
  EXPECT_TRUE(ClearSelection().Alive());
  if (node) EXPECT_FALSE(SetSelected(node, true).TreeGone());
}

std::unique_ptr<TForm> ShowHostForm() {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  EXPECT_TRUE(form->SetBounds(40, 40, 400, 300).Alive());
  EXPECT_TRUE(form->Show().Alive());
  return form;
}

}  // namespace tree_test
