// The tree's side of an in-place edit: it makes the editor through its link, lays it over the node, and ends or
// cancels it. Every call into the link holds a reference of its own: a handler of the events raised here may start
// the next edit, which replaces the tree's link while the old one is still at work.
#include "tree/base_tree.h"
#include "tree/edit/tree_edit_link.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

using Microsoft::WRL::ComPtr;

TRaised TBaseTree::DoEdit() {
  StopTimer(ScrollTimer);
  ForgetPendingEdit();
  // A running edit keeps its editor: a second one would orphan it with its text.
  if (IsEditing() || !focusedNode_ || focusedNode_->Has(nsDisabled)) return TRaised(true);
  // OnCreateEditor, and the link as it reads the cell (OnGetText, OnPaintText), may free the node or the tree.
  PTreeNode node = focusedNode_;
  ITreeEditLink* made = nullptr;
  const TNodeRaised created = DoCreateEditor(node, editColumn_, made);
  // Takes over the reference the dispatcher hands out (Attach would add one under some headers).
  ComPtr<ITreeEditLink> link;
  *link.ReleaseAndGetAddressOf() = made;
  if (created.TreeGone()) return TRaised(false);
  if (!link || created.NodeGone() || focusedNode_ != node) return TRaised(true);
  editLink_ = link;
  // Scrolling measures rows and brings others into view, raising their handlers; the link's preparing and the
  // editor's bounds measure the cell: any of them may free the node.
  const TLifeWatch life = LifeWatch();
  const TNodeWatch watch(*this, node);
  ScrollIntoView(node, false, true);
  if (life.Ended()) return TRaised(false);
  if (watch.Ended() || focusedNode_ != node) return TRaised(true);
  states_ += TTreeState::stEditing;
  try {
    const bool prepared = link->PrepareEdit(this, node, editColumn_);
    if (life.Ended()) return TRaised(false);
    if (prepared && !watch.Ended() && focusedNode_ == node) {
      if (UpdateEditBounds().Gone()) return TRaised(false);
      if (!watch.Ended()) InvalidateNode(node);
      const bool begun = link->BeginEdit();
      if (life.Ended()) return TRaised(false);
      if (begun) return TRaised(true);
    }
  } catch (...) {
    if (!life.Ended()) states_ -= TTreeState::stEditing;
    throw;
  }
  states_ -= TTreeState::stEditing;
  return TRaised(true);
}

TRaised TBaseTree::DoEndEdit(bool& ended) {
  ForgetPendingEdit();
  ended = true;
  if (!IsEditing()) return TRaised(true);
  ComPtr<ITreeEditLink> link = editLink_;
  // The link hands the text to OnNewText, which may delete the node (a row renamed to nothing) or free the tree.
  const TLifeWatch life = LifeWatch();
  ended = link && link->EndEdit();
  if (life.Ended()) return TRaised(false);
  if (!ended) return TRaised(true);
  states_ -= TTreeState::stEditing;
  // A tree that goes hands its edited text over (the link's OnNewText, above), but tells no handler that its edit
  // ended.
  if (IsDestroying()) return TRaised(true);
  if (TakeFocusFromEditor().Gone()) return TRaised(false);
  if (HandleAllocated()) PostMessageW(Handle(), WM_RELEASE_EDIT_LINK, 0, 0);
  return RaiseEvent(OnEdited, this, focusedNode_, editColumn_);
}

TRaised TBaseTree::DoCancelEdit() {
  ForgetPendingEdit();
  if (!IsEditing()) return TRaised(true);
  ComPtr<ITreeEditLink> link = editLink_;
  const TLifeWatch life = LifeWatch();
  const bool cancelled = link && link->CancelEdit();
  if (life.Ended()) return TRaised(false);
  if (!cancelled) return TRaised(true);
  states_ -= TTreeState::stEditing;
  // Nor is a cancel told as the tree goes.
  if (IsDestroying()) return TRaised(true);
  if (RaiseEvent(OnEditCancelled, this, editColumn_).Gone()) return TRaised(false);
  if (TakeFocusFromEditor().Gone()) return TRaised(false);
  if (HandleAllocated()) PostMessageW(Handle(), WM_RELEASE_EDIT_LINK, 0, 0);
  return TRaised(true);
}

TRaised TBaseTree::UpdateEditBounds() {
  if (!IsEditing() || !editLink_ || !focusedNode_) return TRaised(true);
  RECT r = GetDisplayRect(focusedNode_, editColumn_, true);
  TTreeColumns* columns = header_->Columns();
  if (options_->MiscOptions().Contains(TTreeMiscOption::toGridExtensions) && header_->UseColumns() &&
      columns->IsValidColumn(editColumn_)) {
    int left = 0, right = 0;
    columns->GetColumnBounds(editColumn_, left, right);
    if (columns->Items(editColumn_)->UseRightToLeftReading())
      r.left = left + offsetX_;
    else
      r.right = right + offsetX_;
  }
  if (options_->PaintOptions().Contains(TTreePaintOption::toShowHorzGridLines)) --r.bottom;
  ComPtr<ITreeEditLink> link = editLink_;
  const TLifeWatch life = LifeWatch();
  return AnswerFor(life, link->SetBounds(r));
}

TRaised TBaseTree::TakeFocusFromEditor() {
  if (!HandleAllocated() || !CanFocus()) return TRaised(true);
  HWND focus = GetFocus();
  if (focus && (focus == Handle() || IsChild(Handle(), focus))) return SetFocus();
  return TRaised(true);
}

void TBaseTree::ForgetPendingEdit() {
  StopTimer(EditTimer);
  states_ -= TTreeState::stEditPending;
  editPendingNode_ = nullptr;
}

void TBaseTree::ReleaseEditLink() {
  if (!IsEditing()) editLink_.Reset();
}

}  // namespace tree
