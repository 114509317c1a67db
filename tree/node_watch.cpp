#include "tree/node_watch.h"

#include "tree/base_tree.h"

namespace tree {

namespace {

// The watches of this thread's frames, the innermost first. Frames end in the reverse order they began, so a watch
// that ends heads the list.
thread_local TNodeWatch* innermostWatch = nullptr;

}  // namespace

TNodeWatch::TNodeWatch(TBaseTree& tree, PTreeNode node) noexcept
    : tree_(&tree), node_(node == tree.root_ ? nullptr : node), next_(innermostWatch) {
  innermostWatch = this;
  ++tree.nodeWatchCount_;
}

TNodeWatch::~TNodeWatch() {
  innermostWatch = next_;
  if (tree_) --tree_->nodeWatchCount_;
}

void TBaseTree::EndNodeWatches(PTreeNode node) {
  for (TNodeWatch* watch = innermostWatch; watch; watch = watch->next_)
    if (watch->tree_ == this && watch->node_ == node) watch->ended_ = true;
}

void TBaseTree::EndEveryNodeWatch() {
  for (TNodeWatch* watch = innermostWatch; watch; watch = watch->next_)
    if (watch->tree_ == this) {
      watch->ended_ = true;
      watch->tree_ = nullptr;
    }
  nodeWatchCount_ = 0;
}

}  // namespace tree
