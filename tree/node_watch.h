// TNodeWatch: code that raises a handler about a node learns through a watch whether the node outlived it. A
// handler may delete the node, one of its ancestors or every node, or free the tree; the tree ends the watches of
// a block as it frees it. A tree's watches form a list through the stack frames that hold them, so a node carries
// nothing for them and a tree none watches pays one test per freed block.
#pragma once

#include "tree/tree_node.h"

namespace tree {

class TNodeWatch {
 public:
  // Watches node of tree; a null node (or the root) ends only with the tree.
  TNodeWatch(TBaseTree& tree, PTreeNode node) noexcept;
  ~TNodeWatch();
  TNodeWatch(const TNodeWatch&) = delete;
  TNodeWatch& operator=(const TNodeWatch&) = delete;

  // The node's block was freed, or the tree is gone.
  bool Ended() const noexcept { return ended_; }

 private:
  friend class TBaseTree;

  TBaseTree* tree_;  // null once the tree has gone
  PTreeNode node_;
  TNodeWatch* next_;  // the tree's watch that began before this one
  bool ended_ = false;
};

}  // namespace tree
