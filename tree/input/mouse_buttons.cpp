// What a press, a release and a double click do where they hit: expand buttons, check boxes, focus and selection,
// the pending rubber band, the delayed edit start and the drag start.
#include "framework/shift_state.h"
#include "tree/base_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

using HP = TNodeHitPosition;
using SS = TShiftStateItem;
using SO = TTreeSelectionOption;

TShiftState MessageShift(const TMessage& message) { return KeysToShiftState(LOWORD(message.WParam)); }

}  // namespace

bool TBaseTree::WheelPanningActive() const {
  return states_.Contains(TTreeState::stWheelPanning) || states_.Contains(TTreeState::stWheelScrolling);
}

TRaised TBaseTree::HandleMouseDown(TMessage& message, const THitInfo& hitInfo) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  if (WheelPanningActive()) {
    StopWheelPanning();
    return TRaised(!life.Ended());
  }
  ForgetPendingEdit();
  PTreeNode node = hitInfo.HitNode;
  // From here on each step may raise handlers (OnNewText and OnEdited of a running edit, OnDragAllowed, OnChange,
  // the focus events): one may delete the node hit (with an ancestor, or every node) or free the tree, and the
  // press ends there.
  const TNodeWatch clicked(*this, node);
  if (IsEditing()) {
    bool ended = false;
    if (DoEndEdit(ended).Gone() || !ended || clicked.Ended()) return TRaised(!life.Ended());
  }

  const TShiftState shift = MessageShift(message);
  const THitPositions& at = hitInfo.HitPositions;
  const TTreeSelectionOptions selection = options_->SelectionOptions();
  const bool fullRowSelect = selection.Contains(SO::toFullRowSelect);
  const bool grid = options_->MiscOptions().Contains(TTreeMiscOption::toGridExtensions);
  header_->Columns()->SetClickIndex(hitInfo.HitColumn);

  TColumnIndex newColumn = focusedColumn_;
  bool columnChanged = false;
  if (at.Contains(HP::hpOnLabel) || fullRowSelect || grid) {
    newColumn = hitInfo.HitColumn;
    columnChanged = newColumn != focusedColumn_;
    if (!selection.Contains(SO::toExtendedFocus)) newColumn = header_->MainColumn();
  }

  const bool labelHit = at.Contains(HP::hpOnLabel) || at.Contains(HP::hpOnNormalImage);
  const bool cellHit =
      !labelHit && node && !at.Contains(HP::hpOnButton) && !at.Contains(HP::hpOnCheckBox) && (fullRowSelect || grid);
  const bool anyHit = labelHit || cellHit;
  const bool multiSelect = selection.Contains(SO::toMultiSelect);
  const bool plain = !shift.Contains(SS::ssShift) && !shift.Contains(SS::ssCtrl);
  const bool nodeSelected = anyHit && node->Has(nsSelected);
  // A rename starts only from a click on the row that already was the one selected and focused row: a click that
  // keeps one row of a selection, or moves the focus, changes what is selected, and the next key would rename.
  const bool onlyFocusedSelection = nodeSelected && node == focusedNode_ && selectionCount_ == 1;
  bool autoDrag = (DragMode() == TDragMode::dmAutomatic || Dragging()) && !cellHit;
  if (DragMode() == TDragMode::dmManual && node && DoBeforeDrag(node, hitInfo.HitColumn, autoDrag).Gone()) return TRaised(!life.Ended());

  if (at.Contains(HP::hpOnButton) && node->Has(nsHasChildren)) return ToggleNode(node).Tree();
  if (at.Contains(HP::hpOnCheckBox)) {
    return PressCheckBox(node);
  }

  if ((root_->FirstChild && plain) || selectionCount_ == 0) {
    PTreeNode levelNode = node ? node : GetLastNoInit();
    if (levelNode) lastSelectionLevel_ = static_cast<int>(GetNodeLevel(levelNode));
  }
  if (multiSelect && plain && labelHit && autoDrag && nodeSelected) states_ += TTreeState::stClearPending;

  const POINT click = MessagePoint(message.LParam);
  bool rightPressWithMenu = false;
  if (message.Msg == WM_RBUTTONDOWN && node && HasPopupMenu(node, hitInfo.HitColumn, click, rightPressWithMenu).Gone())
    return TRaised(!life.Ended());
  if (clicked.Ended()) return TRaised(!life.Ended());
  if ((!anyHit && multiSelect && plain) ||
      (anyHit && (!nodeSelected || (!autoDrag && !rightPressWithMenu)) && (plain || !multiSelect))) {
    if (nodeSelected) {
      if (ReduceSelectionTo(node).Gone()) return TRaised(!life.Ended());
    } else if (ClearSelection().Gone()) {
      return TRaised(false);
    }
  }
  if (clicked.Ended()) return TRaised(!life.Ended());

  if (Focused() && (at.Contains(HP::hpOnLabel) || (grid && at.Contains(HP::hpOnItem))) && onlyFocusedSelection &&
      !columnChanged && plain)
    states_ += TTreeState::stEditPending;
  if ((!Focused() && CanFocus() && SetFocus().Gone()) || clicked.Ended()) return TRaised(!life.Ended());

  if (!selection.Contains(SO::toDisableDrawSelection) && !labelHit && multiSelect) {
    states_ += TTreeState::stDrawSelPending;
    drawSelectionShift_ = shift * TShiftState{SS::ssShift, SS::ssCtrl};
    // The band keeps 32-bit tree coordinates, as the rectangles it is drawn and tested with.
    const LONG x = click.x - offsetX_, y = static_cast<LONG>(click.y - offsetY_);
    newSelectionRect_ = lastSelectionRect_ = RECT{x, y, x, y};
    selectionRect_ = RECT{};
    if (!cellHit) return TRaised(!life.Ended());
  }

  lastClickPos_ = click;
  if (!anyHit) return TRaised(!life.Ended());
  bool allowed = true;
  if (DoFocusChanging(focusedNode_, node, focusedColumn_, newColumn, allowed).Gone() || !allowed || clicked.Ended())
    return TRaised(!life.Ended());
  if (columnChanged) {
    InvalidateColumn(focusedColumn_);
    InvalidateColumn(newColumn);
    focusedColumn_ = newColumn;
  }
  if (DragKind() == TDragKind::dkDock) {
    StopTimer(ScrollTimer);
    states_ -= TTreeStates{TTreeState::stScrollPending, TTreeState::stScrolling};
  }
  if (DoFocusNode(node, false).Gone()) return TRaised(!life.Ended());
  if (plain || !multiSelect || Dragging()) {
    if (!node->Has(nsSelected)) {
      if (AddToSelection(node).Gone()) return TRaised(!life.Ended());
      InvalidateNode(node);
    }
    if (plain) rangeAnchor_ = node;
  } else {
    if (HandleClickSelection(node, shift).Gone() || clicked.Ended()) return TRaised(!life.Ended());
  }
  if (DoFocusChange(focusedNode_, focusedColumn_).TreeGone()) return TRaised(!life.Ended());
  if (autoDrag && !clicked.Ended()) return BeginDrag(false);
  return TRaised(!life.Ended());
}

TRaised TBaseTree::HandleMouseUp(TMessage& message, const THitInfo& hitInfo) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  if (states_.Contains(TTreeState::stFrameworkDragging)) return TRaised(!life.Ended());
  const bool bandDrawn = states_.Contains(TTreeState::stDrawSelecting);
  states_ -= TTreeStates{TTreeState::stDrawSelPending, TTreeState::stDrawSelecting};
  if (bandDrawn) Invalidate();
  if (states_.Contains(TTreeState::stClearPending) && ReduceSelectionTo(focusedNode_).Gone()) return TRaised(!life.Ended());
  // The press's waiting states end with the button; a drag that did not start by now never will.
  states_ -= TTreeStates{TTreeState::stClearPending, TTreeState::stOleDragPending, TTreeState::stScrollPending,
                         TTreeState::stScrolling};
  StopTimer(ScrollTimer);

  const bool onItem = hitInfo.HitPositions.Contains(HP::hpOnItem);
  // OnChecked and OnColumnClick may free the tree.
  if (checkNode_ && ReleaseCheckBox(hitInfo.HitNode == checkNode_ && onItem).Gone()) return TRaised(false);

  const TColumnIndex clicked = header_->Columns()->ClickIndex();
  if (clicked >= 0 && clicked == hitInfo.HitColumn && DoColumnClick(clicked, MessageShift(message)).Gone()) return TRaised(!life.Ended());

  if (states_.Contains(TTreeState::stEditPending)) {
    // OnEditing may free the tree, or move the focus.
    PTreeNode pending = focusedNode_ && hitInfo.HitNode == focusedNode_ && onItem ? focusedNode_ : nullptr;
    const bool editable = pending && CanEdit(pending, hitInfo.HitColumn);
    if (life.Ended()) return TRaised(false);
    if (editable && focusedNode_ == pending) {
      editColumn_ = focusedColumn_;
      editPendingNode_ = focusedNode_;
      SetTimer(Handle(), EditTimer, editDelay_, nullptr);
    } else {
      ForgetPendingEdit();
    }
  }
  return TRaised(!life.Ended());
}

TRaised TBaseTree::HandleMouseDblClick(TMessage& message, const THitInfo& hitInfo) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  ForgetPendingEdit();
  PTreeNode node = hitInfo.HitNode;
  // Ending a running edit and the column's double click raise handlers that may delete the node or free the tree.
  const TNodeWatch clicked(*this, node);
  if (IsEditing()) {
    bool ended = false;
    if (DoEndEdit(ended).Gone() || !ended) return TRaised(!life.Ended());
  }
  if (clicked.TreeGone()) return TRaised(!life.Ended());
  if (hitInfo.HitColumn >= 0 && header_->Columns()->IsValidColumn(hitInfo.HitColumn) &&
      DoColumnDblClick(hitInfo.HitColumn, MessageShift(message)).Gone())
    return TRaised(!life.Ended());
  if (!node || clicked.Ended()) return TRaised(!life.Ended());
  const THitPositions& at = hitInfo.HitPositions;
  if (at.Contains(HP::hpOnCheckBox)) {
    if (PressCheckBox(node).Gone()) return TRaised(false);
  } else if (at.Contains(HP::hpOnButton)) {
    return ToggleNode(node).Tree();
  } else if (options_->MiscOptions().Contains(TTreeMiscOption::toToggleOnDblClick)) {
    const THitPositions toggling{HP::hpOnLabel, HP::hpOnNormalImage, HP::hpOnStateImage};
    if (!(at * toggling).Empty() || options_->SelectionOptions().Contains(SO::toFullRowSelect))
      return ToggleNode(node).Tree();
  }
  return TRaised(!life.Ended());
}

}  // namespace tree
