#include "tree/node_watch.h"

#include "tree/base_tree.h"

namespace tree {

std::size_t TFreedBlocks::SlotOf(PTreeNode node) const noexcept {
  // Blocks lie at least 16 bytes apart: the bits below say nothing. The product's high bits are the best mixed.
  const std::uint64_t key = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(node)) >> 4;
  const std::size_t mask = entries_.size() - 1;
  std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  while (entries_[slot].Node && entries_[slot].Node != node) slot = (slot + 1) & mask;
  return slot;
}

void TFreedBlocks::Grow() {
  std::vector<TEntry> old(entries_.empty() ? 16 : 2 * entries_.size());
  old.swap(entries_);
  for (const TEntry& entry : old)
    if (entry.Node) entries_[SlotOf(entry.Node)] = entry;
}

void TFreedBlocks::Record(PTreeNode node, std::uint64_t count) {
  // At most half full, so that a search ends soon at a free entry.
  if (2 * (used_ + 1) > entries_.size()) Grow();
  TEntry& entry = entries_[SlotOf(node)];
  if (!entry.Node) ++used_;
  entry = TEntry{node, count};
}

std::uint64_t TFreedBlocks::FreedAt(PTreeNode node) const noexcept {
  if (used_ == 0) return 0;
  const TEntry& entry = entries_[SlotOf(node)];
  return entry.Node ? entry.Count : 0;
}

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

TWatchedNodes::~TWatchedNodes() { Close(); }

void TWatchedNodes::Close() {
  if (!tree_) return;
  TWatchedNodes** link = &tree_->nodeLists_;
  while (*link != this) link = &(*link)->next_;
  *link = next_;
  for (std::size_t i = 0; i < nodes_.size(); ++i)
    if (marked_[i] && !Freed(i)) nodes_[i]->Deferred &= static_cast<std::uint8_t>(~ndListed);
  tree_ = nullptr;
  nodes_ = {};
  listedAt_ = {};
  marked_ = {};
  freedAt_ = {};
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
  return freedAt_.FreedAt(nodes_[index]) > listedAt_[index];
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
    for (TWatchedNodes* list = nodeLists_; list; list = list->next_) list->freedAt_.Record(node, freedNodes_);
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
