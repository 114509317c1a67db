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

void TBaseTree::ReduceSelectionTo(PTreeNode node) {
  const bool keep = Selected(node);
  if (keep && selectionCount_ == 1) return;
  if (selectionCount_ == 0) return;
  InternalClearSelection();
  if (keep) {
    InternalAddToSelection(&node, 1, true);
    rangeAnchor_ = node;
  }
  if (updateCount_ == 0 && HandleAllocated()) Invalidate();
  Change(nullptr);
}

void TBaseTree::SelectNodes(PTreeNode startNode, PTreeNode endNode, bool addOnly) {
  // The walks initialize nodes; a handler that frees nodes on the way leaves the selection as it was.
  const std::uint64_t freedBefore = freedNodes_;
  if (!startNode) startNode = GetFirstChild(nullptr);
  if (!startNode || !endNode) return;
  if (!FullyVisible(startNode)) startNode = GetPreviousVisible(startNode);
  if (!startNode || freedNodes_ != freedBefore) return;
  const bool forward = CompareNodePositions(startNode, endNode) <= 0;
  PTreeNode first = forward ? startNode : endNode;
  PTreeNode last = forward ? endNode : startNode;
  ClearTempCache();
  for (PTreeNode node = first; node; node = GetNextVisible(node)) {
    if (freedNodes_ != freedBefore) {
      ClearTempCache();
      return;
    }
    AddToTempCache(node);
    if (node == last || CompareNodePositions(node, last) > 0) break;
  }
  PTreeNode anchor = rangeAnchor_;
  // OnChange comes at once and may free the anchor.
  const TNodeWatch anchorWatch(*this, anchor);
  if (!addOnly) InternalClearSelection();
  if (InternalAddToSelection(tempCache_.data(), tempCache_.size(), false) || !addOnly)
    Change(tempCache_.size() == 1 ? tempCache_.front() : nullptr);
  if (!anchorWatch.Ended() && Selected(anchor)) rangeAnchor_ = anchor;
  ClearTempCache();
}

void TBaseTree::ToggleSelection(PTreeNode startNode, PTreeNode endNode) {
  if (!startNode || !endNode) return;
  const bool forward = CompareNodePositions(startNode, endNode) <= 0;
  PTreeNode first = forward ? startNode : endNode;
  PTreeNode last = forward ? endNode : startNode;
  PTreeNode anchor = rangeAnchor_;
  const bool endBeyondAnchor = anchor && CompareNodePositions(endNode, anchor) > 0;
  bool changed = false;
  ClearTempCache();
  // The walk initializes nodes; a handler that frees nodes on the way ends the toggle with what it did so far.
  const std::uint64_t freedBefore = freedNodes_;
  for (PTreeNode node = first; node; node = GetNextVisible(node)) {
    if (freedNodes_ != freedBefore) {
      ClearTempCache();
      if (changed) Change(nullptr);
      return;
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
  changed |= InternalAddToSelection(tempCache_.data(), tempCache_.size(), false);
  ClearTempCache();
  if (anchor) {
    // The anchor is where the next range starts: it stays selected whatever the toggle did to it.
    if (!anchor->Has(nsSelected)) changed |= InternalAddToSelection(&anchor, 1, true);
    rangeAnchor_ = anchor;
  }
  if (changed) Change(nullptr);
}

void TBaseTree::HandleClickSelection(PTreeNode lastFocused, PTreeNode newNode, TShiftState shift) {
  (void)lastFocused;
  const bool ctrl = shift.Contains(SS::ssCtrl), shiftHeld = shift.Contains(SS::ssShift);
  // OnChange comes at once and may free the node clicked: its row is not repainted then.
  const TNodeWatch watch(*this, newNode);
  if (ctrl && shiftHeld) {
    SelectNodes(rangeAnchor_, newNode, true);
    Invalidate();
  } else if (ctrl) {
    if (!options_->SelectionOptions().Contains(TTreeSelectionOption::toSiblingSelectConstraint)) rangeAnchor_ = newNode;
    if (newNode->Has(nsSelected))
      RemoveFromSelection(newNode);
    else
      AddToSelection(newNode);
    if (!watch.Ended()) InvalidateNode(newNode);
  } else if (shiftHeld) {
    SelectNodes(rangeAnchor_ ? rangeAnchor_ : GetFirstChild(nullptr), newNode, false);
    Invalidate();
  } else {
    if (!newNode->Has(nsSelected)) {
      AddToSelection(newNode);
      if (watch.Ended()) return;
      InvalidateNode(newNode);
    }
    if (!watch.Ended()) rangeAnchor_ = newNode;
  }
}

}  // namespace tree
