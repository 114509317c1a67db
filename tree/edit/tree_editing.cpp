// The tree's side of an in-place edit: it makes the editor through its link, lays it over the node, and ends or
// cancels it. Every call into the link holds a reference of its own: a handler of the events raised here may start
// the next edit, which replaces the tree's link while the old one is still at work.
#include "tree/base_tree.h"
#include "tree/edit/tree_edit_link.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

namespace tree {

using Microsoft::WRL::ComPtr;

void TBaseTree::DoEdit() {
  StopTimer(ScrollTimer);
  ForgetPendingEdit();
  // A running edit keeps its editor: a second one would orphan it with its text.
  if (IsEditing() || !focusedNode_ || focusedNode_->Has(nsDisabled)) return;
  // Takes over the reference the dispatcher hands out (Attach would add one under some headers).
  ComPtr<ITreeEditLink> link;
  *link.ReleaseAndGetAddressOf() = DoCreateEditor(focusedNode_, editColumn_);
  if (!link) return;
  editLink_ = link;
  ScrollIntoView(focusedNode_, false, true);
  states_ += TTreeState::stEditing;
  try {
    if (link->PrepareEdit(this, focusedNode_, editColumn_)) {
      UpdateEditBounds();
      InvalidateNode(focusedNode_);
      if (link->BeginEdit()) return;
    }
  } catch (...) {
    states_ -= TTreeState::stEditing;
    throw;
  }
  states_ -= TTreeState::stEditing;
}

bool TBaseTree::DoEndEdit() {
  ForgetPendingEdit();
  bool ended = true;
  if (IsEditing()) {
    ComPtr<ITreeEditLink> link = editLink_;
    ended = link && link->EndEdit();
    if (ended) {
      states_ -= TTreeState::stEditing;
      if (!IsDestroying()) {
        TakeFocusFromEditor();
        if (HandleAllocated()) PostMessageW(Handle(), WM_RELEASE_EDIT_LINK, 0, 0);
      }
      if (OnEdited) OnEdited(this, focusedNode_, editColumn_);
    }
  }
  return ended;
}

void TBaseTree::DoCancelEdit() {
  ForgetPendingEdit();
  if (!IsEditing()) return;
  ComPtr<ITreeEditLink> link = editLink_;
  if (!link || !link->CancelEdit()) return;
  states_ -= TTreeState::stEditing;
  if (OnEditCancelled) OnEditCancelled(this, editColumn_);
  if (IsDestroying()) return;
  TakeFocusFromEditor();
  if (HandleAllocated()) PostMessageW(Handle(), WM_RELEASE_EDIT_LINK, 0, 0);
}

void TBaseTree::UpdateEditBounds() {
  if (!IsEditing() || !editLink_ || !focusedNode_) return;
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
  link->SetBounds(r);
}

void TBaseTree::TakeFocusFromEditor() {
  if (!HandleAllocated() || !CanFocus()) return;
  HWND focus = GetFocus();
  if (focus && (focus == Handle() || IsChild(Handle(), focus))) SetFocus();
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
