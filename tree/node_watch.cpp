#include "tree/node_watch.h"

#include "tree/base_tree.h"

namespace tree {

// A tree is used from one thread, and frames end in the reverse order they began: the watch that ends heads its
// tree's list. GCC, seeing the tree keep the address of a frame's watch, cannot tell that the watch takes it back
// as it ends, or that the tree is gone when it does not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
TNodeWatch::TNodeWatch(TBaseTree& tree, PTreeNode node) noexcept
    : tree_(&tree), node_(node == tree.root_ ? nullptr : node), next_(tree.nodeWatches_) {
  tree.nodeWatches_ = this;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

TNodeWatch::~TNodeWatch() {
  if (tree_) tree_->nodeWatches_ = next_;
}

void TBaseTree::EndNodeWatches(PTreeNode node) {
  for (TNodeWatch* watch = nodeWatches_; watch; watch = watch->next_)
    if (watch->node_ == node) watch->ended_ = true;
}

void TBaseTree::EndEveryNodeWatch() {
  for (TNodeWatch* watch = nodeWatches_; watch; watch = watch->next_) {
    watch->ended_ = true;
    watch->tree_ = nullptr;
  }
  nodeWatches_ = nullptr;
}

}  // namespace tree
