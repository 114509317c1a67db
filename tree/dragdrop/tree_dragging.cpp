// The tree as an OLE drag source.
#include "tree/base_tree.h"

namespace tree {

void TBaseTree::DoDragging(POINT p) { (void)p; }

}  // namespace tree
