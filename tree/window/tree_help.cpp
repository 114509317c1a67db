// F1 on a tree: the focused node's help context, asked of the application through OnGetHelpContext, else the
// nearest HelpContext of the control and its parents, opens the application's help.
#include "framework/application.h"
#include "tree/base_tree.h"

namespace tree {

TNodeRaised TBaseTree::DoGetHelpContext(PTreeNode node, TColumnIndex column, int& context) {
  return RaiseNodeEvent(node, OnGetHelpContext, this, node, column, context);
}

TRaised TBaseTree::ShowNodeHelp() {
  if (!OnGetHelpContext) return TRaised(true);
  int context = 0;
  // A handler that frees the node asked ends the walk up: its parent may be gone with it.
  for (PTreeNode node = focusedNode_; node && node != root_ && context == 0; node = node->Parent) {
    const TNodeRaised raised = DoGetHelpContext(node, 0, context);
    if (raised.TreeGone()) return TRaised(false);
    if (raised.NodeGone()) break;
  }
  for (TControl* control = this; control && context == 0; control = control->Parent()) context = control->HelpContext();
  if (context != 0 && Application) Application->HelpContext(context);
  return TRaised(true);
}

}  // namespace tree
