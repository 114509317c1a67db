// Sorting sibling lists of TBaseTree: a stable merge sort of the children's order, which their links follow once
// it is found.
#include <algorithm>
#include <vector>

#include "tree/base_tree.h"
#include "tree/node_walk.h"

namespace tree {

namespace {

// Sorts the count nodes at first stably: the first count / 2 of them and the rest each sorted, then merged, a node
// of the rest going first only where takeRight(left, right) says so. room holds count / 2 nodes: the first half
// waits there while the merge fills the list from its start, never overtaking the rest.
template <class TakeRight>
void MergeSort(PTreeNode* first, std::size_t count, PTreeNode* room, TakeRight& takeRight) {
  if (count < 2) return;
  const std::size_t half = count / 2;
  MergeSort(first, half, room, takeRight);
  MergeSort(first + half, count - half, room, takeRight);
  std::copy(first, first + half, room);
  PTreeNode* left = room;
  PTreeNode* const leftEnd = room + half;
  PTreeNode* right = first + half;
  PTreeNode* const rightEnd = first + count;
  while (left != leftEnd && right != rightEnd) *first++ = takeRight(*left, *right) ? *right++ : *left++;
  std::copy(left, leftEnd, first);
}

}  // namespace

void TBaseTree::Sort(PTreeNode node, TColumnIndex column, TSortDirection direction, bool doInit) {
  if (states_.Contains(TTreeState::stEditPending)) ForgetPendingEdit();
  if (!node) node = root_;
  if (!node->Has(nsHasChildren)) return;
  if (doInit) {
    if (node->ChildCount == 0 && !InitChildren(node)) return;
    if (node->ChildCount > 1 &&
        !WalkBelow(node, false, [this](PTreeNode child) { return child->Has(nsInitialized) || InitNode(child); }))
      return;
  }
  if (node->ChildCount > 1) {
    // The order is found before any link changes: a comparison handler that frees nodes finds the links whole,
    // and the children keep the order they had (the comparisons left would name freed nodes).
    std::vector<PTreeNode> order;
    order.reserve(node->ChildCount);
    for (PTreeNode run = node->FirstChild; run; run = run->NextSibling) order.push_back(run);
    std::vector<PTreeNode> room(order.size() / 2);
    const std::uint64_t freedBefore = freedNodes_;
    bool treeGone = false;
    auto takeRight = [&](PTreeNode left, PTreeNode right) {
      if (treeGone || freedNodes_ != freedBefore) return false;
      int result = 0;
      if (DoCompare(left, right, column, result).Gone()) {
        treeGone = true;
        return false;
      }
      return direction == TSortDirection::sdAscending ? result > 0 : result < 0;
    };
    MergeSort(order.data(), order.size(), room.data(), takeRight);
    if (treeGone || freedNodes_ != freedBefore || node->ChildCount != order.size()) return;
    InterruptValidation();
    PTreeNode previous = nullptr;
    std::uint32_t index = 0;
    for (PTreeNode run : order) {
      run->PrevSibling = previous;
      if (previous) previous->NextSibling = run;
      run->Index = index++;
      previous = run;
    }
    previous->NextSibling = nullptr;
    node->FirstChild = order.front();
    node->LastChild = previous;
    node->Deferred &= ~ndIndexesStale;
    InvalidateCacheFrom(node);
  }
  if (updateCount_ == 0) {
    StartCacheValidation();
    if (HandleAllocated()) Invalidate();
  }
}

TRaised TBaseTree::SortTree(TColumnIndex column, TSortDirection direction, bool doInit) {
  if (column <= InvalidColumn) return TRaised(true);
  // The comparisons and the initializations may free the tree: the sort ends there.
  const TNodeWatch tree(*this, nullptr);
  ++updateCount_;
  try {
    // Pre-order with a loop, so deep trees sort with a flat stack.
    Sort(root_, column, direction, doInit);
    if (tree.TreeGone()) return TRaised(false);
    if (doInit) {
      WalkBelow(root_, true, [&](PTreeNode run) {
        if (!run->Has(nsInitialized) && !InitNode(run)) return false;
        const TNodeWatch watch(*this, run);
        Sort(run, column, direction, true);
        return !watch.Ended();
      });
    } else {
      // A node left uninitialized keeps its subtree unsorted. The comparisons may free the node sorted, or more:
      // the walk goes on with what took its place, as WalkBelow does.
      for (PTreeNode run = root_->FirstChild; run;) {
        if (!run->Has(nsInitialized)) {
          run = NextAfterSubtree(run, root_);
          continue;
        }
        PTreeNode parent = run->Parent, previous = run->PrevSibling;
        const TNodeWatch runWatch(*this, run), parentWatch(*this, parent), previousWatch(*this, previous);
        Sort(run, column, direction, false);
        if (!runWatch.Ended()) {
          run = NextInSubtree(run, root_);
          continue;
        }
        if (parentWatch.Ended() || previousWatch.Ended()) break;
        run = previous ? previous->NextSibling : parent->FirstChild;
      }
    }
  } catch (...) {
    // The exception passes on whatever the count's end raises.
    if (!tree.TreeGone()) (void)LowerUpdateCount();
    throw;
  }
  if (tree.TreeGone()) return TRaised(false);
  InvalidateCache();
  if (LowerUpdateCount().Gone()) return TRaised(false);
  if (updateCount_ == 0) {
    StartCacheValidation();
    if (HandleAllocated()) Invalidate();
  }
  return TRaised(true);
}

}  // namespace tree
