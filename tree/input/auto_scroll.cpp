// Automatic scrolling while the mouse nears the edges of the tree.
#include "tree/base_tree.h"

namespace tree {

bool TBaseTree::CanAutoScroll() { return false; }

TScrollDirections TBaseTree::DetermineScrollDirections(int x, int y) {
  (void)x, (void)y;
  return {};
}

}  // namespace tree
