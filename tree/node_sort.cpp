// Sorting sibling lists of TBaseTree: a stable merge sort on the linked list, so no array is needed.
#include "tree/base_tree.h"
#include "tree/node_walk.h"

namespace tree {

PTreeNode TBaseTree::SortList(PTreeNode& head, std::uint32_t count, TColumnIndex column, TSortDirection direction) {
  // Sorting the first half takes it off the list, so the second half starts where head now points: the split
  // needs no walk of its own.
  if (count == 1) {
    PTreeNode node = head;
    head = head->NextSibling;
    node->NextSibling = nullptr;
    return node;
  }
  std::uint32_t half = count / 2;
  PTreeNode left = SortList(head, half, column, direction);
  PTreeNode right = SortList(head, count - half, column, direction);
  TTreeNode merged{};
  PTreeNode tail = &merged;
  while (left && right) {
    int result = DoCompare(left, right, column);
    bool takeRight = direction == TSortDirection::sdAscending ? result > 0 : result < 0;
    if (takeRight) {
      tail->NextSibling = right;
      right = right->NextSibling;
    } else {
      tail->NextSibling = left;
      left = left->NextSibling;
    }
    tail = tail->NextSibling;
  }
  tail->NextSibling = left ? left : right;
  return merged.NextSibling;
}

void TBaseTree::Sort(PTreeNode node, TColumnIndex column, TSortDirection direction, bool doInit) {
  if (states_.Contains(TTreeState::stEditPending)) {
    StopTimer(EditTimer);
    states_ -= TTreeState::stEditPending;
  }
  if (!node) node = root_;
  if (!node->Has(nsHasChildren)) return;
  if (doInit) {
    if (node->ChildCount == 0 && !InitChildren(node)) return;
    if (node->ChildCount > 1 &&
        !WalkBelow(node, false, [this](PTreeNode child) { return child->Has(nsInitialized) || InitNode(child); }))
      return;
  }
  if (node->ChildCount > 1) {
    InterruptValidation();
    PTreeNode head = node->FirstChild;
    PTreeNode first = SortList(head, node->ChildCount, column, direction);
    PTreeNode previous = nullptr;
    std::uint32_t index = 0;
    for (PTreeNode run = first; run; run = run->NextSibling) {
      run->PrevSibling = previous;
      run->Index = index++;
      previous = run;
    }
    node->FirstChild = first;
    node->LastChild = previous;
    node->Deferred &= ~ndIndexesStale;
    InvalidateCacheFrom(node);
  }
  if (updateCount_ == 0) {
    StartCacheValidation();
    if (HandleAllocated()) Invalidate();
  }
}

void TBaseTree::SortTree(TColumnIndex column, TSortDirection direction, bool doInit) {
  if (column <= InvalidColumn) return;
  ++updateCount_;
  try {
    // Pre-order with a loop, so deep trees sort with a flat stack.
    Sort(root_, column, direction, doInit);
    if (doInit) {
      WalkBelow(root_, true, [&](PTreeNode run) {
        if (!run->Has(nsInitialized) && !InitNode(run)) return false;
        const TNodeWatch watch(*this, run);
        Sort(run, column, direction, true);
        return !watch.Ended();
      });
    } else {
      // A node left uninitialized keeps its subtree unsorted.
      for (PTreeNode run = root_->FirstChild; run;) {
        if (run->Has(nsInitialized)) Sort(run, column, direction, false);
        run = run->Has(nsInitialized) ? NextInSubtree(run, root_) : NextAfterSubtree(run, root_);
      }
    }
  } catch (...) {
    --updateCount_;
    throw;
  }
  InvalidateCache();
  --updateCount_;
  if (updateCount_ == 0) {
    StartCacheValidation();
    if (HandleAllocated()) Invalidate();
  }
}

}  // namespace tree
