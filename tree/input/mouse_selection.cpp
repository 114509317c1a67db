// How clicks change the selection: ranges from the anchor, toggling with Ctrl, reducing to one node, and the
// temporary node list that collects nodes before they join the selection in one step.
#include "tree/base_tree.h"

namespace tree {

namespace {

using SS = TShiftStateItem;

}  // namespace

void TBaseTree::ClearTempCache() {
  tempCache_.clear();
  tempCache_.shrink_to_fit();
}

void TBaseTree::ResetRangeAnchor() {
  rangeAnchor_ = focusedNode_;
  lastSelectionLevel_ = -1;
}

TRaised TBaseTree::ReduceSelectionTo(PTreeNode node) {
  const bool keep = Selected(node);
  if (keep && selectionCount_ == 1) return TRaised(true);
  if (selectionCount_ == 0) return TRaised(true);
  InternalClearSelection();
  if (keep) {
    InternalAddToSelection(&node, 1, true);
    rangeAnchor_ = node;
  }
  if (updateCount_ == 0 && HandleAllocated()) Invalidate();
  return Change(nullptr);
}

TRaised TBaseTree::SelectNodes(PTreeNode startNode, PTreeNode endNode, bool addOnly) {
  // The walks initialize nodes; a handler that frees nodes on the way leaves the selection as it was, one that
  // frees the tree ends the work.
  const TLifeWatch life = LifeWatch();
  const std::uint64_t freedBefore = freedNodes_;
  auto lost = [&] { return life.Ended() || freedNodes_ != freedBefore; };
  if (!startNode) startNode = GetFirstChild(nullptr);
  if (life.Ended()) return TRaised(false);
  if (!startNode || !endNode) return TRaised(true);
  if (!FullyVisible(startNode)) startNode = GetPreviousVisible(startNode);
  if (life.Ended()) return TRaised(false);
  if (!startNode || lost()) return TRaised(true);
  const bool forward = CompareNodePositions(startNode, endNode) <= 0;
  PTreeNode first = forward ? startNode : endNode;
  PTreeNode last = forward ? endNode : startNode;
  ClearTempCache();
  for (PTreeNode node = first; node; node = GetNextVisible(node)) {
    if (life.Ended()) return TRaised(false);
    if (lost()) {
      ClearTempCache();
      return TRaised(true);
    }
    AddToTempCache(node);
    if (node == last || CompareNodePositions(node, last) > 0) break;
  }
  // The last step may have freed nodes too.
  if (life.Ended()) return TRaised(false);
  if (lost()) {
    ClearTempCache();
    return TRaised(true);
  }
  PTreeNode anchor = rangeAnchor_;
  // OnChange comes at once and may free the anchor.
  const TNodeWatch anchorWatch(*this, anchor);
  if (!addOnly) InternalClearSelection();
  if ((InternalAddToSelection(tempCache_.data(), tempCache_.size(), false) || !addOnly) &&
      Change(tempCache_.size() == 1 ? tempCache_.front() : nullptr).Gone())
    return TRaised(false);
  if (!anchorWatch.Ended() && Selected(anchor)) rangeAnchor_ = anchor;
  ClearTempCache();
  return TRaised(true);
}

TRaised TBaseTree::ToggleSelection(PTreeNode startNode, PTreeNode endNode) {
  if (!startNode || !endNode) return TRaised(true);
  const bool forward = CompareNodePositions(startNode, endNode) <= 0;
  PTreeNode first = forward ? startNode : endNode;
  PTreeNode last = forward ? endNode : startNode;
  PTreeNode anchor = rangeAnchor_;
  const bool endBeyondAnchor = anchor && CompareNodePositions(endNode, anchor) > 0;
  bool changed = false;
  ClearTempCache();
  // The walk initializes nodes; a handler that frees nodes on the way ends the toggle with what it did so far, one
  // that frees the tree ends it at once.
  const TLifeWatch life = LifeWatch();
  const std::uint64_t freedBefore = freedNodes_;
  for (PTreeNode node = first; node; node = GetNextVisible(node)) {
    if (life.Ended()) return TRaised(false);
    if (freedNodes_ != freedBefore) {
      ClearTempCache();
      return changed ? Change(nullptr) : TRaised(true);
    }
    const bool atEnd = node == last;
    if (node != endNode || endBeyondAnchor) {
      if (node->Has(nsSelected))
        changed |= InternalRemoveFromSelection(node);
      else
        AddToTempCache(node);
    }
    if (atEnd || CompareNodePositions(node, last) > 0) break;
  }
  // The last step may have freed nodes too.
  if (life.Ended()) return TRaised(false);
  if (freedNodes_ != freedBefore) {
    ClearTempCache();
    return changed ? Change(nullptr) : TRaised(true);
  }
  changed |= InternalAddToSelection(tempCache_.data(), tempCache_.size(), false);
  ClearTempCache();
  if (anchor) {
    // The anchor is where the next range starts: it stays selected whatever the toggle did to it.
    if (!anchor->Has(nsSelected)) changed |= InternalAddToSelection(&anchor, 1, true);
    rangeAnchor_ = anchor;
  }
  return changed ? Change(nullptr) : TRaised(true);
}

// A click with Ctrl or Shift held, in a tree that selects many nodes; a plain click selects what it hits itself.
TRaised TBaseTree::HandleClickSelection(PTreeNode newNode, TShiftState shift) {
  const bool ctrl = shift.Contains(SS::ssCtrl), shiftHeld = shift.Contains(SS::ssShift);
  // OnChange comes at once and may free the node clicked, or the tree: its row is not repainted then.
  const TNodeWatch watch(*this, newNode);
  if (ctrl && shiftHeld) {
    if (SelectNodes(rangeAnchor_, newNode, true).Gone()) return TRaised(false);
    Invalidate();
  } else if (ctrl) {
    if (!options_->SelectionOptions().Contains(TTreeSelectionOption::toSiblingSelectConstraint)) rangeAnchor_ = newNode;
    if ((newNode->Has(nsSelected) ? RemoveFromSelection(newNode) : AddToSelection(newNode)).TreeGone())
      return TRaised(false);
    if (!watch.Ended()) InvalidateNode(newNode);
  } else {
    // Without an anchor the range starts at the first row, which SelectNodes finds itself: its initialization may
    // free the row clicked, and SelectNodes watches for that.
    if (SelectNodes(rangeAnchor_, newNode, false).Gone()) return TRaised(false);
    Invalidate();
  }
  return TRaised(true);
}

}  // namespace tree
