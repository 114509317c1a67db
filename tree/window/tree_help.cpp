// F1 on a tree: the focused node's help context, asked of the application through OnGetHelpContext, else the
// nearest HelpContext of the control and its parents, opens the application's help.
#include "framework/application.h"
#include "tree/base_tree.h"

namespace tree {

void TBaseTree::DoGetHelpContext(PTreeNode node, TColumnIndex column, int& context) {
  if (OnGetHelpContext) OnGetHelpContext(this, node, column, context);
}

void TBaseTree::ShowNodeHelp() {
  if (!OnGetHelpContext) return;
  int context = 0;
  for (PTreeNode node = focusedNode_; node && node != root_ && context == 0; node = node->Parent)
    DoGetHelpContext(node, 0, context);
  for (TControl* control = this; control && context == 0; control = control->Parent()) context = control->HelpContext();
  if (context != 0 && Application) Application->HelpContext(context);
}

}  // namespace tree
