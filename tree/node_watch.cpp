#include "tree/node_watch.h"

#include "tree/base_tree.h"

namespace tree {

namespace {

// The watches of this thread, the newest first.
thread_local TNodeWatch* newestWatch = nullptr;

}  // namespace

TNodeWatch::TNodeWatch(TBaseTree& tree, PTreeNode node) noexcept
    : tree_(&tree), node_(node == tree.root_ ? nullptr : node), next_(newestWatch) {
  if (next_) next_->previous_ = this;
  newestWatch = this;
  ++tree.nodeWatchCount_;
}

TNodeWatch::~TNodeWatch() {
  if (previous_)
    previous_->next_ = next_;
  else
    newestWatch = next_;
  if (next_) next_->previous_ = previous_;
  if (tree_) --tree_->nodeWatchCount_;
}

void TBaseTree::EndNodeWatches(PTreeNode node) {
  for (TNodeWatch* watch = newestWatch; watch; watch = watch->next_)
    if (watch->tree_ == this && watch->node_ == node) watch->ended_ = true;
}

void TBaseTree::EndEveryNodeWatch() {
  for (TNodeWatch* watch = newestWatch; watch; watch = watch->next_)
    if (watch->tree_ == this) {
      watch->ended_ = true;
      watch->tree_ = nullptr;
    }
  nodeWatchCount_ = 0;
}

}  // namespace tree
