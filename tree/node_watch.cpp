#include "tree/node_watch.h"

#include "tree/base_tree.h"

namespace tree {

// GCC, seeing the tree keep the address of a frame's list, cannot tell that the list takes it back as it ends, or
// that the tree is gone when it does not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
TWatchedNodes::TWatchedNodes(TBaseTree& tree) noexcept : tree_(&tree), next_(tree.nodeLists_) {
  tree.nodeLists_ = this;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

TWatchedNodes::~TWatchedNodes() {
  if (!tree_) return;
  tree_->nodeLists_ = next_;
  for (std::size_t i = 0; i < nodes_.size(); ++i)
    if (marked_[i] && !Freed(i)) nodes_[i]->Deferred &= static_cast<std::uint8_t>(~ndListed);
}

void TWatchedNodes::Add(PTreeNode node) {
  const bool marks = !(node->Deferred & ndListed);
  node->Deferred |= ndListed;
  nodes_.push_back(node);
  listedAt_.push_back(tree_ ? tree_->freedNodes_ : 0);
  marked_.push_back(marks);
}

bool TWatchedNodes::Freed(std::size_t index) const {
  if (!tree_) return true;
  const auto found = freedAt_.find(nodes_[index]);
  return found != freedAt_.end() && found->second > listedAt_[index];
}

void TWatchedNodes::DropFreedTail() {
  while (!nodes_.empty() && Freed(nodes_.size() - 1)) {
    nodes_.pop_back();
    listedAt_.pop_back();
    marked_.pop_back();
  }
}

std::vector<PTreeNode> TWatchedNodes::Survivors() const {
  std::vector<PTreeNode> result;
  if (!tree_) return result;
  result.reserve(nodes_.size());
  for (std::size_t i = 0; i < nodes_.size(); ++i)
    if (!Freed(i)) result.push_back(nodes_[i]);
  return result;
}

void TBaseTree::EndNodeWatches(PTreeNode node) {
  for (TNodeWatch* watch = nodeWatches_; watch; watch = watch->next_)
    if (watch->node_ == node) watch->ended_ = true;
  if (node->Deferred & ndListed)
    for (TWatchedNodes* list = nodeLists_; list; list = list->next_) list->freedAt_[node] = freedNodes_;
}

void TBaseTree::EndEveryNodeWatch() {
  for (TNodeWatch* watch = nodeWatches_; watch; watch = watch->next_) {
    watch->ended_ = true;
    watch->tree_ = nullptr;
  }
  nodeWatches_ = nullptr;
  for (TWatchedNodes* list = nodeLists_; list; list = list->next_) list->tree_ = nullptr;
  nodeLists_ = nullptr;
}

}  // namespace tree
