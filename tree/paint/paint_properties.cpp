// The painting properties of TBaseTree: each setter compares, stores, rebuilds what depends on it and repaints.
#include <algorithm>

#include "framework/image_list.h"
#include "tree/base_tree.h"
#include "tree/paint/paint_resources.h"

namespace tree {

namespace {

template <class T>
bool Store(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

void TBaseTree::SetDrawSelectionMode(TDrawSelectionMode value) {
  if (Store(drawSelectionMode_, value)) Invalidate();
}

void TBaseTree::SetDropTarget(PTreeNode node, TDropMode mode) {
  PTreeNode old = dropTargetNode_;
  dropTargetNode_ = node;
  lastDropMode_ = mode;
  if (old && old != node) InvalidateNode(old);
  if (node) InvalidateNode(node);
}

TRaised TBaseTree::SetHotNode(PTreeNode node) {
  if (node == hotNode_) return TRaised(true);
  PTreeNode old = hotNode_;
  hotNode_ = node;
  // The handler, and repainting a row, may delete either node.
  const TNodeWatch oldWatch(*this, old), newWatch(*this, node);
  if (DoHotChange(old, node).Gone()) return TRaised(false);
  if (old && !oldWatch.Ended()) InvalidateNode(old);
  if (node && !newWatch.Ended()) InvalidateNode(node);
  return TRaised(true);
}

}  // namespace tree
