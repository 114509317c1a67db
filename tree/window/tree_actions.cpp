// The standard edit actions on a tree: cut, copy, paste, delete and select all act on nodes, not on text.
#include "framework/std_actions.h"
#include "tree/base_tree.h"

namespace tree {

bool TBaseTree::ExecuteAction(TBasicAction* action) {
  if (!action) return false;
  if (action->Is<TEditCut>())
    CutToClipboard();
  else if (action->Is<TEditCopy>())
    CopyToClipboard();
  else if (action->Is<TEditPaste>())
    PasteFromClipboard();
  else if (action->Is<TEditDelete>())
    // Handled: whoever offered the action stops there, whatever the deletion's handlers free.
    (void)DeleteSelectedNodes();
  else if (action->Is<TEditSelectAll>())
    // Handled: whoever offered the action stops there, whatever OnChange frees.
    (void)SelectAll(false);
  else
    return inherited::ExecuteAction(action);
  return true;
}

bool TBaseTree::UpdateAction(TBasicAction* action) {
  auto* edit = ObjectAs<TEditAction>(action);
  if (!edit) return inherited::UpdateAction(action);
  if (edit->Is<TEditCut>() || edit->Is<TEditCopy>() || edit->Is<TEditDelete>())
    edit->SetEnabled(selectionCount_ > 0);
  else if (edit->Is<TEditPaste>())
    edit->SetEnabled(true);
  else if (edit->Is<TEditSelectAll>())
    edit->SetEnabled(options_->SelectionOptions().Contains(TTreeSelectionOption::toMultiSelect) && visibleCount_ > 0);
  else
    return inherited::UpdateAction(action);
  return true;
}

}  // namespace tree
