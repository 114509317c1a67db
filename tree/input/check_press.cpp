// A check box is pressed by a click or the space key and shows its pressed look until the button or key goes up;
// only then does the new state apply.
#include "tree/base_tree.h"

namespace tree {

namespace {

// The pressed look of a normal check state (the odd values are the pressed ones), and back.
TCheckState Pressed(TCheckState state) { return static_cast<TCheckState>(static_cast<int>(state) | 1); }
TCheckState Released(TCheckState state) { return static_cast<TCheckState>(static_cast<int>(state) & ~1); }

}  // namespace

TCheckState TBaseTree::DetermineNextCheckState(TCheckType checkType, TCheckState checkState) {
  switch (checkType) {
    case TCheckType::ctCheckBox:
    case TCheckType::ctTriStateCheckBox:
      return checkState == TCheckState::csCheckedNormal ? TCheckState::csUncheckedNormal : TCheckState::csCheckedNormal;
    case TCheckType::ctRadioButton:
      return TCheckState::csCheckedNormal;
    case TCheckType::ctButton:
      return TCheckState::csUncheckedNormal;
    default:
      return checkState;
  }
}

TRaised TBaseTree::PressCheckBox(PTreeNode node) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  if (checkNode_ || node->Has(nsDisabled)) return TRaised(!life.Ended());
  TCheckState next = DetermineNextCheckState(node->CheckType, node->CheckState);
  bool allowed = true;
  if (DoChecking(node, next, allowed).Gone() || !allowed) return TRaised(!life.Ended());
  checkNode_ = node;
  pendingCheckState_ = next;
  node->CheckState = Pressed(node->CheckState);
  InvalidateNode(node);
  return TRaised(!life.Ended());
}

TRaised TBaseTree::ReleaseCheckBox(bool apply) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  PTreeNode node = checkNode_;
  if (!node) return TRaised(!life.Ended());
  checkNode_ = nullptr;
  node->CheckState = Released(node->CheckState);
  // The check events may delete the node (with an ancestor, or every node) or free the tree.
  if (apply && DoCheckClick(node, pendingCheckState_).Gone()) return TRaised(!life.Ended());
  InvalidateNode(node);
  return TRaised(!life.Ended());
}

}  // namespace tree
