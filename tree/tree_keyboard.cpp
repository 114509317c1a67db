// Keyboard navigation and key commands of TBaseTree: arrows, pages, Home and End move the focus (and, with Shift
// and multi-selection, the selection); Plus, Minus, Multiply and Divide expand and collapse; Space presses check
// boxes until the key is released.
#include <algorithm>
#include <climits>

#include "tree/base_tree.h"
#include "tree/node_watch.h"
#include "tree/tree_header.h"

namespace tree {

namespace {

using SS = TShiftStateItem;

bool IsNavigationKey(WORD key) { return key == VK_BACK || key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN); }

}  // namespace

TRaised TBaseTree::ScrollByKey(int deltaX, int deltaY) {
  return DoSetOffsetXY(offsetX_ + deltaX, offsetY_ + deltaY,
                       suoRepaintHeader | suoRepaintScrollBars | suoScrollClientArea | suoUpdateNCArea);
}

// The menu opens over the middle of the node's text; a text wider than its column (or, without columns, than the
// window) would put that middle out of sight, so the width counted is cut to what can be shown.
TNodeRaised TBaseTree::KeyboardMenuPoint(PTreeNode node, POINT& point) {
  const TNodeWatch watch(*this, node);
  const RECT text = GetDisplayRect(node, focusedColumn_, true);
  if (watch.Ended()) return TNodeRaised(watch);
  TTreeColumns* columns = header_->Columns();
  const int limit = focusedColumn_ > NoColumn && columns->IsValidColumn(focusedColumn_)
                        ? columns->Items(focusedColumn_)->Width()
                        : ClientWidth();
  int width = 0;
  if (const TNodeRaised raised = GetNodeWidth(node, focusedColumn_, width); raised.NodeGone()) return raised;
  width = std::min(width, limit);
  point = POINT{text.left + width / 2, text.top + (text.bottom - text.top) / 2};
  return TNodeRaised(true, true);
}

TColumnIndex TBaseTree::FocusableColumn(PTreeNode node, TColumnIndex column, bool back) {
  TTreeColumns* columns = header_->Columns();
  while (column >= 0) {
    bool allowed = true;
    if (DoFocusChanging(focusedNode_, node, focusedColumn_, column, allowed).NodeGone() || allowed) return column;
    column = back ? columns->GetPreviousVisibleColumn(column) : columns->GetNextVisibleColumn(column);
  }
  return column;
}

TRaised TBaseTree::HandleKeyDown(WORD key, TShiftState shift) {
  // Handlers raised here may free the tree: the answer is whether it outlived them.
  const TLifeWatch life = LifeWatch();
  bool doDefault = true;
  if (DoKeyAction(key, shift, doDefault).Gone() || !doDefault) return TRaised(!life.Ended());
  const TShiftState modifiers = shift * TShiftState{SS::ssShift, SS::ssCtrl, SS::ssAlt};
  const bool ctrl = modifiers.Contains(SS::ssCtrl);
  const bool shiftHeld = modifiers.Contains(SS::ssShift);
  const TTreeSelectionOptions selection = options_->SelectionOptions();
  const bool multiSelect = selection.Contains(TTreeSelectionOption::toMultiSelect);
  const bool grid = options_->MiscOptions().Contains(TTreeMiscOption::toGridExtensions);
  const bool extendedFocus = selection.Contains(TTreeSelectionOption::toExtendedFocus);
  TTreeColumns* columns = header_->Columns();
  const bool visibleColumns =
      columns->GetFirstVisibleColumn() >= 0 && header_->Options().Contains(TTreeHeaderOption::hoVisible);

  if (IsNavigationKey(key)) {
    // Moving the focus and toggling a node raise handlers that may free the tree.
    const bool multiHandling = shiftHeld && multiSelect && !IsEditing();
    bool rangeExtension = multiHandling && key >= VK_PRIOR && key <= VK_HOME;
    const bool repaintAll = rangeExtension || selectionCount_ > 1;
    const bool clearBefore =
        modifiers.Empty() || (grid && !shiftHeld) || !multiSelect || key == VK_BACK || key == VK_TAB;
    PTreeNode previousFocus = focusedNode_ ? focusedNode_ : (!modifiers.Empty() ? GetFirstVisible() : nullptr);
    // The focus events may delete the node the focus leaves.
    const TNodeWatch previousWatch(*this, previousFocus);
    if (!rangeAnchor_) rangeAnchor_ = GetFirstSelected();
    PTreeNode focused = focusedNode_;
    switch (key) {
      case VK_BACK:
        if (focused && focused->Parent != root_ && SetFocusedNode(focused->Parent).TreeGone()) return TRaised(false);
        break;
      case VK_TAB: {
        if (!extendedFocus || !visibleColumns || !focused) break;
        const bool back = shiftHeld;
        TColumnIndex column =
            back ? columns->GetPreviousVisibleColumn(focusedColumn_) : columns->GetNextVisibleColumn(focusedColumn_);
        PTreeNode node = focused;
        while (node) {
          const TNodeWatch asked(*this, node);
          column = FocusableColumn(node, column, back);
          if (asked.Ended()) break;
          if (column >= 0) {
            focusedColumn_ = column;
            if (node == focusedNode_) {
              InvalidateNode(node);
            } else if (SetFocusedNode(node).TreeGone()) {
              return TRaised(false);
            }
            break;
          }
          node = back ? GetPreviousVisible(node) : GetNextVisible(node);
          column = back ? columns->GetLastVisibleColumn() : columns->GetFirstVisibleColumn();
        }
        break;
      }
      case VK_PRIOR:
      case VK_NEXT: {
        const bool up = key == VK_PRIOR;
        if (ctrl) {
          if (ScrollByKey(0, up ? ClientHeight() : -ClientHeight()).Gone()) return TRaised(!life.Ended());
          break;
        }
        PTreeNode node = focused ? focused : (up ? GetFirstVisible() : GetLastVisible());
        int stepped = 0;
        while (node) {
          // A step initializes the next row, whose handler may delete the row the walk stands on.
          const TNodeWatch at(*this, node);
          PTreeNode step = up ? GetPreviousVisible(node) : GetNextVisible(node);
          if (at.Ended()) node = nullptr;
          if (!step || !node || stepped >= ClientHeight()) break;
          stepped += node->NodeHeight;
          node = step;
        }
        if (node && SetFocusedNode(node).TreeGone()) return TRaised(false);
        break;
      }
      case VK_HOME:
      case VK_END: {
        const bool home = key == VK_HOME;
        PTreeNode target = home ? GetFirstVisible() : GetLastVisible();
        TColumnIndex column = NoColumn;
        const TNodeWatch asked(*this, target);
        if (visibleColumns)
          column =
              FocusableColumn(target, home ? columns->GetFirstVisibleColumn() : columns->GetLastVisibleColumn(), !home);
        if (column == InvalidColumn || !target || asked.Ended()) break;
        if (modifiers == TShiftState{SS::ssCtrl} && !grid) {
          ScrollIntoView(target, false);
          if (SetOffsetX(home ? 0 : -INT_MAX).Gone()) return TRaised(false);
        } else {
          if ((!grid || ctrl) && SetFocusedNode(target).TreeGone()) return TRaised(false);
          if (grid && !selection.Contains(TTreeSelectionOption::toFullRowSelect)) focusedColumn_ = column;
        }
        break;
      }
      case VK_LEFT:
      case VK_RIGHT: {
        const bool left = key == VK_LEFT;
        if (ctrl) {
          if (ScrollByKey(left ? indent_ : -indent_, 0).Gone()) return TRaised(!life.Ended());
          break;
        }
        if (extendedFocus && grid) {
          TColumnIndex column =
              left ? columns->GetPreviousVisibleColumn(focusedColumn_) : columns->GetNextVisibleColumn(focusedColumn_);
          bool allowed = column >= 0;
          if (allowed && DoFocusChanging(focusedNode_, focusedNode_, focusedColumn_, column, allowed).TreeGone())
            return TRaised(!life.Ended());
          if (allowed) {
            focusedColumn_ = column;
            InvalidateNode(focusedNode_);
          }
          break;
        }
        if (focused && HasChildren(focused) && modifiers.Empty() && Expanded(focused) == left) {
          if (ToggleNode(focused).TreeGone()) return TRaised(false);
          break;
        }
        if (!focused) {
          if (SetFocusedNode(GetFirstVisible()).TreeGone()) return TRaised(false);
        } else if (left) {
          if (focused->Parent == root_) break;
          // OnChange of the row leaving the selection may free the row, or its parent.
          PTreeNode parent = focused->Parent;
          const TNodeWatch parentWatch(*this, parent);
          if (multiHandling) {
            if (focused->PrevSibling) {
              rangeExtension = true;
            } else if (CompareNodePositions(parent, rangeAnchor_) > 0 && RemoveFromSelection(focused).TreeGone()) {
              return TRaised(false);
            }
          }
          if (life.Ended()) return TRaised(false);
          if (!parentWatch.Ended() && SetFocusedNode(parent).TreeGone()) return TRaised(false);
        } else if (PTreeNode child = GetFirstVisibleChild(focused)) {
          // Reaching the child initializes it, and OnChange of the row leaving the selection may free either.
          const TNodeWatch childWatch(*this, child);
          if (multiHandling && !previousWatch.Ended() && CompareNodePositions(child, rangeAnchor_) < 0 &&
              RemoveFromSelection(focused).TreeGone())
            return TRaised(false);
          if (life.Ended()) return TRaised(false);
          if (!childWatch.Ended() && SetFocusedNode(child).TreeGone()) return TRaised(false);
        }
        break;
      }
      case VK_UP:
      case VK_DOWN: {
        const bool up = key == VK_UP;
        if (ctrl) {
          if (ScrollByKey(0, up ? defaultNodeHeight_ : -defaultNodeHeight_).Gone()) return TRaised(!life.Ended());
          break;
        }
        PTreeNode target = focused ? (up ? GetPreviousVisible(focused) : GetNextVisible(focused))
                                   : (up ? GetLastVisible() : GetFirstVisible());
        // Reaching the target initializes it, and its handler may delete the node the focus leaves.
        if (previousWatch.Ended()) previousFocus = focused = nullptr;
        if (!target) {
          if (focused) InvalidateNode(focused);
          break;
        }
        // Ending an edit raises OnEdited, which may free the target as well.
        const TNodeWatch targetWatch(*this, target);
        bool ended = true;
        if (IsEditing() && EndEditing(ended).Gone()) return TRaised(!life.Ended());
        if (targetWatch.Ended()) break;
        if (previousWatch.Ended()) previousFocus = focused = nullptr;
        if (multiHandling && previousFocus && rangeAnchor_) {
          int order = CompareNodePositions(previousFocus, rangeAnchor_);
          if ((up ? order > 0 : order < 0) && RemoveFromSelection(focusedNode_).TreeGone()) return TRaised(false);
          // OnChange of the row leaving the selection may free the target too.
          if (targetWatch.Ended()) break;
        }
        if (focusedColumn_ == NoColumn) focusedColumn_ = header_->MainColumn();
        if (SetFocusedNode(target).TreeGone()) return TRaised(false);
        break;
      }
      default:
        break;
    }
    if (life.Ended()) return TRaised(false);
    if (previousWatch.Ended()) previousFocus = nullptr;
    if (clearBefore) {
      if (focusedNode_ == previousFocus && selectionCount_ <= 1) {
        if (PTreeNode only = GetFirstSelected()) InternalRemoveFromSelection(only);
      } else if (ClearSelection().Gone()) {
        return TRaised(false);
      }
    }
    if (modifiers.Empty()) rangeAnchor_ = focusedNode_;
    if (rangeExtension && previousFocus && focusedNode_) {
      const bool forward = CompareNodePositions(previousFocus, focusedNode_) <= 0;
      PTreeNode start = forward ? previousFocus : focusedNode_;
      PTreeNode last = forward ? focusedNode_ : previousFocus;
      // Each step initializes the next row, whose handler may free rows of the range, its ends among them.
      const TNodeWatch startWatch(*this, start), lastWatch(*this, last);
      TWatchedNodes range(*this);
      range.Walk([&] { return startWatch.Ended() ? nullptr : start; },
                 [&](PTreeNode node) { return node == last || lastWatch.Ended() ? nullptr : GetNextVisible(node); });
      if (life.Ended()) return TRaised(false);
      if (AddToSelection(range.Survivors()).Gone()) return TRaised(false);
    }
    if (focusedNode_) {
      if (focusedNode_ == previousFocus) {
        InternalAddToSelection(focusedNode_);
      } else if (AddToSelection(focusedNode_).TreeGone()) {
        return TRaised(false);
      }
    }
    if (repaintAll) Invalidate();
    return TRaised(!life.Ended());
  }

  PTreeNode focused = focusedNode_;
  switch (key) {
    case VK_F1:
      if (ShowNodeHelp().Gone()) return TRaised(!life.Ended());
      break;
    case VK_F2:
      if (modifiers.Empty() && focused && CanEdit(focused, focusedColumn_)) {
        editColumn_ = focusedColumn_;
        if (DoEdit().Gone()) return TRaised(!life.Ended());
      }
      break;
    case VK_ADD:
    case VK_OEM_PLUS:
      if (ctrl && shiftHeld) {
        if (FullExpand().Gone()) return TRaised(false);
      } else if (ctrl) {
        if (header_->AutoFitColumns().Gone()) return TRaised(!life.Ended());
      } else if (focused && !Expanded(focused)) {
        if (ToggleNode(focused).TreeGone()) return TRaised(false);
      }
      break;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
      if (ctrl && shiftHeld) {
        if (FullCollapse().Gone()) return TRaised(false);
      } else if (ctrl) {
        if (header_->RestoreColumns().Gone()) return TRaised(false);
      } else if (focused && Expanded(focused) && ToggleNode(focused).TreeGone()) {
        return TRaised(false);
      }
      break;
    case VK_MULTIPLY:
      if (focused && FullExpand(focused).Gone()) return TRaised(false);
      break;
    case VK_DIVIDE:
      if (focused && FullCollapse(focused).Gone()) return TRaised(false);
      break;
    case VK_ESCAPE:
      if (states_.Contains(TTreeState::stDrawSelPending) || states_.Contains(TTreeState::stDrawSelecting)) {
        DoStateChange({}, {TTreeState::stDrawSelPending, TTreeState::stDrawSelecting});
        Invalidate();
      } else if (IsEditing()) {
        CancelEditNode();
      }
      break;
    case VK_SPACE:
      // While a search is under way the space is part of the text typed (a name such as "Folder 12"), as in the
      // platform's list and tree views; only then does it not toggle the check box.
      if (!options_->MiscOptions().Contains(TTreeMiscOption::toCheckSupport) || !focused ||
          focused->CheckType == TCheckType::ctNone || states_.Contains(TTreeState::stIncrementalSearching)) {
        DoStateChange({TTreeState::stSearchPending});
      } else {
        if (PressCheckBox(focused).Gone()) return TRaised(!life.Ended());
      }
      break;
    case VK_APPS:
      if (POINT at{};
          focused && !KeyboardMenuPoint(focused, at).NodeGone() && DoPopupMenu(focused, focusedColumn_, at).Gone())
        return TRaised(!life.Ended());
      break;
    case 'A':
    case 0x61:
      if (!ctrl)
        DoStateChange({TTreeState::stSearchPending});
      else if (SelectAll(true).Gone())
        return TRaised(false);
      break;
    default:
      // Shift only chooses the character: a capital letter is searched for as the platform's views do.
      if (key >= 32 && (modifiers.Empty() || modifiers == TShiftState{SS::ssShift}))
        DoStateChange({TTreeState::stSearchPending});
  }
  return TRaised(!life.Ended());
}

// The space key's release applies the pending check state when the pressed node still has the focus; otherwise the
// node only loses its pressed look.
TRaised TBaseTree::FinishCheckKey() { return ReleaseCheckBox(checkNode_ == focusedNode_); }

}  // namespace tree
