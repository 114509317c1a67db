// Walks over the nodes of TBaseTree. The plain functions initialize what they hand out (and create announced
// children before descending); the NoInit kind raises no event, for painting and the worker thread.
#include "tree/base_tree.h"
#include "tree/node_walk.h"
#include "tree/tree_error.h"

namespace tree {

PTreeNode TBaseTree::GetFirstChild(PTreeNode node) {
  if (!node) node = root_;
  if (!InitNodeAndChildren(node)) return nullptr;
  return InitializedStep(node, [node] { return node->FirstChild; });
}

PTreeNode TBaseTree::GetFirstCutCopy() {
  if (!states_.Contains(TTreeState::stCutPending) && !states_.Contains(TTreeState::stCopyPending)) return nullptr;
  PTreeNode node = GetFirstNoInit();
  return node && node->Has(nsCutOrCopy) ? node : GetNextCutCopy(node);
}

PTreeNode TBaseTree::GetNextCutCopy(PTreeNode node) {
  if (!states_.Contains(TTreeState::stCutPending) && !states_.Contains(TTreeState::stCopyPending)) return nullptr;
  for (node = GetNextNoInit(node); node; node = GetNextNoInit(node))
    if (node->Has(nsCutOrCopy)) return node;
  return nullptr;
}

PTreeNode TBaseTree::GetFirstInitialized() const {
  PTreeNode node = GetFirstNoInit();
  return node && node->Has(nsInitialized) ? node : GetNextInitialized(node);
}

PTreeNode TBaseTree::GetNextInitialized(PTreeNode node) const {
  for (node = GetNextNoInit(node); node; node = GetNextNoInit(node))
    if (node->Has(nsInitialized)) return node;
  return nullptr;
}

PTreeNode TBaseTree::GetFirstSelected() {
  if (selectionCount_ == 0) return nullptr;
  PTreeNode node = GetFirstNoInit();
  return node && node->Has(nsSelected) ? node : GetNextSelected(node);
}

PTreeNode TBaseTree::GetNextSelected(PTreeNode node) {
  if (selectionCount_ == 0) return nullptr;
  for (node = GetNextNoInit(node); node; node = GetNextNoInit(node))
    if (node->Has(nsSelected)) return node;
  return nullptr;
}

PTreeNode TBaseTree::GetFirstVisible() {
  return InitializedStep(root_, [this] { return GetFirstVisibleNoInit(); });
}

PTreeNode TBaseTree::GetFirstVisibleNoInit() const {
  PTreeNode node = root_->FirstChild;
  while (node && !node->Has(nsVisible)) node = node->NextSibling;
  return node;
}

PTreeNode TBaseTree::GetFirstVisibleChild(PTreeNode node) {
  PTreeNode result = GetFirstChild(node);
  if (result && !result->Has(nsVisible)) result = GetNextVisibleSibling(result);
  return result;
}

PTreeNode TBaseTree::GetFirstVisibleChildNoInit(PTreeNode node) const {
  PTreeNode result = (node ? node : root_)->FirstChild;
  while (result && !result->Has(nsVisible)) result = result->NextSibling;
  return result;
}

PTreeNode TBaseTree::GetLastChild(PTreeNode node) {
  if (!node) node = root_;
  if (!InitNodeAndChildren(node)) return nullptr;
  return InitializedStep(node, [node] { return node->LastChild; });
}

PTreeNode TBaseTree::GetLastChildNoInit(PTreeNode node) const { return (node ? node : root_)->LastChild; }

PTreeNode TBaseTree::GetLast(PTreeNode node) {
  PTreeNode result = GetLastChild(node);
  while (result) {
    const TNodeWatch at(*this, result);
    PTreeNode next = GetLastChild(result);
    // The handlers of the step below freed the node reached so far: the walk has lost its place.
    if (at.Ended()) return nullptr;
    if (!next) break;
    result = next;
  }
  return result;
}

PTreeNode TBaseTree::GetLastNoInit(PTreeNode node) const {
  PTreeNode result = GetLastChildNoInit(node);
  while (result && result->LastChild) result = result->LastChild;
  return result;
}

PTreeNode TBaseTree::GetLastVisibleChild(PTreeNode node) {
  if (!node) node = root_;
  if (node != root_ && (!node->Has(nsExpanded) || !FullyVisible(node))) return nullptr;
  PTreeNode result = GetLastChild(node);
  if (result && !result->Has(nsVisible)) result = GetPreviousVisibleSibling(result);
  return result;
}

PTreeNode TBaseTree::GetLastVisibleChildNoInit(PTreeNode node) const {
  if (!node) node = root_;
  if (node != root_ && (!node->Has(nsExpanded) || !FullyVisible(node))) return nullptr;
  PTreeNode result = node->LastChild;
  while (result && !result->Has(nsVisible)) result = result->PrevSibling;
  return result;
}

PTreeNode TBaseTree::GetLastVisible(PTreeNode node) {
  PTreeNode result = GetLastVisibleChild(node);
  // Below a shown node an expanded, visible child is shown too: only the start needs the walk up.
  while (result && result->Has(nsExpanded)) {
    const TNodeWatch at(*this, result);
    PTreeNode next = GetLastChild(result);
    if (next && !next->Has(nsVisible)) next = GetPreviousVisibleSibling(next);
    if (at.Ended()) return nullptr;
    if (!next) break;
    result = next;
  }
  return result;
}

PTreeNode TBaseTree::GetLastVisibleNoInit(PTreeNode node) const {
  PTreeNode result = GetLastVisibleChildNoInit(node);
  return result ? LastShownDescendant(result) : nullptr;
}

PTreeNode TBaseTree::GetNext(PTreeNode node) {
  if (!node || node == root_) return nullptr;
  if (!InitNodeAndChildren(node)) return nullptr;
  return InitializedStep(node, [this, node] { return NextInSubtree(node, root_); });
}

PTreeNode TBaseTree::GetNextNoInit(PTreeNode node) const {
  if (!node || node == root_) return nullptr;
  return NextInSubtree(node, root_);
}

PTreeNode TBaseTree::GetNextSibling(PTreeNode node) {
  if (!node || node == root_) return nullptr;
  return InitializedStep(node, [node] { return node->NextSibling; });
}

PTreeNode TBaseTree::GetPreviousSibling(PTreeNode node) {
  if (!node || node == root_) return nullptr;
  return InitializedStep(node, [node] { return node->PrevSibling; });
}

PTreeNode TBaseTree::GetNextVisibleSibling(PTreeNode node) {
  if (!node || node == root_) return nullptr;
  return InitializedStep(node, [this, node] { return GetNextVisibleSiblingNoInit(node); });
}

PTreeNode TBaseTree::GetNextVisibleSiblingNoInit(PTreeNode node) const {
  if (!node || node == root_) return nullptr;
  PTreeNode result = node->NextSibling;
  while (result && !result->Has(nsVisible)) result = result->NextSibling;
  return result;
}

PTreeNode TBaseTree::GetPreviousVisibleSibling(PTreeNode node) {
  return InitializedStep(node, [this, node] { return GetPreviousVisibleSiblingNoInit(node); });
}

PTreeNode TBaseTree::GetPreviousVisibleSiblingNoInit(PTreeNode node) const {
  if (!node || node == root_) return nullptr;
  PTreeNode result = node->PrevSibling;
  while (result && !result->Has(nsVisible)) result = result->PrevSibling;
  return result;
}

PTreeNode TBaseTree::GetVisibleParent(PTreeNode node) const {
  if (!node || node == root_) return root_;
  // A shown, open parent is known from the last node found on the path without a walk, so that a climb to the
  // root costs one step a level.
  PTreeNode result = node->Parent;
  if (result == root_ || (result->Has(nsExpanded) && FullyVisible(result))) return result;
  // One pass up: the answer is the parent of the outermost ancestor that is collapsed or hidden.
  for (PTreeNode parent = node->Parent; parent != root_; parent = parent->Parent)
    if (!parent->Has(nsExpanded) || !parent->Has(nsVisible)) result = parent->Parent;
  if (result != root_) shownNode_ = result;
  return result;
}

PTreeNode TBaseTree::LastShownDescendant(PTreeNode node) {
  while (node->Has(nsExpanded)) {
    PTreeNode last = node->LastChild;
    while (last && !last->Has(nsVisible)) last = last->PrevSibling;
    if (!last) break;
    node = last;
  }
  return node;
}

PTreeNode TBaseTree::NextOnVisiblePath(PTreeNode node, PTreeNode root, std::uint32_t& moves) {
  if (node->Has(nsExpanded))
    for (PTreeNode child = node->FirstChild; child; child = child->NextSibling) {
      ++moves;
      if (child->Has(nsVisible)) return child;
    }
  for (; node != root; node = node->Parent, ++moves)
    for (PTreeNode sibling = node->NextSibling; sibling; sibling = sibling->NextSibling) {
      ++moves;
      if (sibling->Has(nsVisible)) return sibling;
    }
  return nullptr;
}

PTreeNode TBaseTree::PreviousOnVisiblePath(PTreeNode node) const {
  PTreeNode sibling = GetPreviousVisibleSiblingNoInit(node);
  if (sibling) return LastShownDescendant(sibling);
  return node->Parent == root_ ? nullptr : node->Parent;
}

PTreeNode TBaseTree::GetNextVisibleNoInit(PTreeNode node) const {
  if (!node || node == root_) return nullptr;
  std::uint32_t moves = 0;
  PTreeNode result = nullptr;
  if (FullyVisible(node)) {
    result = NextOnVisiblePath(node, root_, moves);
  } else {
    // Continue after the outermost part of the path that is not shown: the child of the visible parent.
    PTreeNode parent = GetVisibleParent(node);
    while (node->Parent != parent) node = node->Parent;
    for (; node != root_ && !result; node = node->Parent) result = GetNextVisibleSiblingNoInit(node);
  }
  // The answer lies on the visible path; a walk that goes on from it need not look up its ancestors again.
  if (result) shownNode_ = result;
  return result;
}

PTreeNode TBaseTree::GetNextVisible(PTreeNode node) {
  if (!node || node == root_) return nullptr;
  if (!node->Has(nsInitialized) && !InitNode(node)) return nullptr;
  if (FullyVisible(node) && node->Has(nsExpanded) && node->Has(nsHasChildren) && node->ChildCount == 0 &&
      !InitChildren(node))
    return nullptr;
  return InitializedStep(node, [this, node] { return GetNextVisibleNoInit(node); });
}

PTreeNode TBaseTree::GetPreviousNoInit(PTreeNode node) const {
  if (!node || node == root_) return nullptr;
  if (node->PrevSibling) {
    PTreeNode result = node->PrevSibling;
    while (result->LastChild) result = result->LastChild;
    return result;
  }
  return node->Parent == root_ ? nullptr : node->Parent;
}

PTreeNode TBaseTree::GetPrevious(PTreeNode node) {
  if (!node || node == root_) return nullptr;
  const TNodeWatch watch(*this, node);
  PTreeNode result = InitializedStep(node, [node] { return node->PrevSibling; });
  if (watch.Ended()) return nullptr;
  if (result) {
    // The previous sibling's last descendant, each level's children made on the way.
    for (;;) {
      const TNodeWatch at(*this, result);
      PTreeNode last = GetLastChild(result);
      if (at.Ended()) return nullptr;
      if (!last) return result;
      result = last;
    }
  }
  return InitializedStep(node, [this, node] { return node->Parent == root_ ? nullptr : node->Parent; });
}

PTreeNode TBaseTree::GetPreviousVisibleNoInit(PTreeNode node) const {
  if (!node || node == root_) return nullptr;
  PTreeNode result = nullptr;
  if (!FullyVisible(node)) {
    PTreeNode parent = GetVisibleParent(node);
    while (node->Parent != parent) node = node->Parent;
    // A shown but collapsed ancestor is the row just before anything inside it.
    result = node->Has(nsVisible) ? node : PreviousOnVisiblePath(node);
  } else {
    result = PreviousOnVisiblePath(node);
  }
  if (result) shownNode_ = result;
  return result;
}

PTreeNode TBaseTree::GetPreviousVisible(PTreeNode node) {
  return InitializedStep(node, [this, node] { return GetPreviousVisibleNoInit(node); });
}

bool TBaseTree::HasAsParent(PTreeNode node, PTreeNode potentialParent) const {
  if (!node || !potentialParent || node == potentialParent || node == root_) return false;
  if (potentialParent == root_) return true;
  for (PTreeNode run = node->Parent; run != root_; run = run->Parent)
    if (run == potentialParent) return true;
  return false;
}

int TBaseTree::CompareNodePositions(PTreeNode a, PTreeNode b) const {
  // Nil stands for the root, as everywhere in the store. A node of another tree has no place here: its climb would
  // mark that tree's nodes and run on past its root into the tree object. Every node comes from its tree's slab.
  if (!a) a = root_;
  if (!b) b = root_;
  if (a == b) return 0;
  for (PTreeNode node : {a, b})
    if (node != root_ && !slab_.Holds(node)) RaiseTreeError(teNodeOfOtherTree);
  // Both nodes climb in turn, each marking its path, until one comes to a node the other passed: their nearest
  // common ancestor. Two nodes near each other cost a few steps however deep they lie.
  a->Deferred |= ndClimbedFromFirst;
  b->Deferred |= ndClimbedFromSecond;
  PTreeNode topA = a, topB = b, meeting = nullptr;
  while (!meeting) {
    if (topA != root_) {
      topA = topA->Parent;
      topA->Deferred |= ndClimbedFromFirst;
      if (topA->Deferred & ndClimbedFromSecond) meeting = topA;
    }
    if (!meeting && topB != root_) {
      topB = topB->Parent;
      topB->Deferred |= ndClimbedFromSecond;
      if (topB->Deferred & ndClimbedFromFirst) meeting = topB;
    }
  }
  // Each path is cleared again, taking note of the node by which it came to the meeting point.
  auto clear = [meeting](PTreeNode from, PTreeNode top) {
    PTreeNode below = nullptr;
    for (PTreeNode run = from;; run = run->Parent) {
      run->Deferred &= static_cast<std::uint8_t>(~(ndClimbedFromFirst | ndClimbedFromSecond));
      if (run->Parent == meeting) below = run;
      if (run == top) return below;
    }
  };
  PTreeNode belowA = clear(a, topA);
  PTreeNode belowB = clear(b, topB);
  if (meeting == a) return -1;
  if (meeting == b) return 1;
  return static_cast<int>(NodeIndex(belowA)) - static_cast<int>(NodeIndex(belowB));
}

namespace {

// Nodes carrying mark in tree order; with resolve, the subtree of a marked node is not searched further.
std::vector<PTreeNode> CollectMarked(PTreeNode root, std::uint16_t mark, bool resolve) {
  std::vector<PTreeNode> result;
  PTreeNode node = root->FirstChild;
  while (node) {
    if (node->Has(mark)) {
      result.push_back(node);
      if (resolve) {
        node = NextAfterSubtree(node, root);
        continue;
      }
    }
    node = node->FirstChild ? node->FirstChild : NextAfterSubtree(node, root);
  }
  return result;
}

}  // namespace

std::vector<PTreeNode> TBaseTree::GetSortedSelection(bool resolve) {
  if (selectionCount_ == 0) return {};
  return CollectMarked(root_, nsSelected, resolve);
}

std::vector<PTreeNode> TBaseTree::GetSortedCutCopySet(bool resolve) {
  return CollectMarked(root_, nsCutOrCopy, resolve);
}

}  // namespace tree
