// TNodeWatch: code that raises a handler about a node learns through a watch whether the node outlived it. A
// handler may delete the node, one of its ancestors or every node, or free the tree; the tree ends the watches of
// a block as it frees it. A tree's watches form a list through the stack frames that hold them, so a node carries
// nothing for them and a tree none watches pays one test per freed block.
// TWatchedNodes: the same for a list of nodes that code goes through while it raises handlers.
// TNodeRaised: what the tree's dispatchers answer about the handler they raised.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/raise_event.h"
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
  bool TreeGone() const noexcept { return !tree_; }

 private:
  friend class TBaseTree;

  TBaseTree* tree_;  // null once the tree has gone
  PTreeNode node_;
  TNodeWatch* next_;  // the tree's watch that began before this one
  bool ended_ = false;
};

// Whether the tree, and the node an event was about, outlived the handler the event raised. A caller told the tree
// is gone returns at once; one told the node is gone uses it no more. The compiler keeps a caller from dropping it.
class [[nodiscard]] TNodeRaised {
 public:
  constexpr TNodeRaised(bool treeLives, bool nodeLives) noexcept : treeLives_(treeLives), nodeLives_(nodeLives) {}
  explicit TNodeRaised(const TNodeWatch& watch) noexcept : TNodeRaised(!watch.TreeGone(), !watch.Ended()) {}

  bool TreeGone() const noexcept { return !treeLives_; }
  // The node was freed, or the tree is gone.
  bool NodeGone() const noexcept { return !nodeLives_; }
  // The node the event was about is the object that raised it.
  bool Gone() const noexcept { return !nodeLives_; }
  // The tree's own answer, for a caller that hands it on.
  TRaised Tree() const noexcept { return TRaised(treeLives_); }

 private:
  bool treeLives_;
  bool nodeLives_;
};

// Blocks of a tree freed while a list of its nodes lives, each with the tree's count of freed nodes as it was last
// freed. The entries lie in one table that doubles as it fills: a list over a million rows sees a million frees,
// each of which a table of linked entries would pay an allocation for.
class TFreedBlocks {
 public:
  void Record(PTreeNode node, std::uint64_t count);
  // The count as node's block was last freed; 0 when it was not.
  std::uint64_t FreedAt(PTreeNode node) const noexcept;

 private:
  struct TEntry {
    PTreeNode Node;
    std::uint64_t Count;
  };
  std::size_t SlotOf(PTreeNode node) const noexcept;
  void Grow();

  std::vector<TEntry> entries_;  // empty, or a power of two of them with a free one at least
  std::size_t used_ = 0;
};

// Nodes of a tree listed by code that goes through them raising handlers, which may free any of them: the code
// passes over those freed since they were listed, where listing them anew after every handler that frees nodes
// would make the work quadratic. Listed nodes carry a mark (ndListed), so that freeing a node looks for the lists
// only when it holds the mark.
class TWatchedNodes {
 public:
  explicit TWatchedNodes(TBaseTree& tree) noexcept;
  ~TWatchedNodes();
  TWatchedNodes(const TWatchedNodes&) = delete;
  TWatchedNodes& operator=(const TWatchedNodes&) = delete;

  // Lists node, which lives.
  void Add(PTreeNode node);
  // Lists the nodes from first() on, each one after the one before by step(), where both raise handlers (they
  // initialize the nodes) that may free any node. When the node the walk stands on goes, the walk goes on from the
  // last listed node left (the freed ones after it leave the list), or from first() when none is; it ends with
  // the tree. Linear however many nodes the handlers free.
  template <class First, class Step>
  void Walk(First first, Step step);
  std::size_t Size() const noexcept { return nodes_.size(); }
  PTreeNode Node(std::size_t index) const { return nodes_[index]; }
  // Whether a handler freed the listed node at index since it was listed (its block may have been handed out again
  // since, and listed anew); every node is, once the tree is gone.
  bool Freed(std::size_t index) const;
  bool TreeGone() const noexcept { return !tree_; }
  // The listed nodes that live, in their order.
  std::vector<PTreeNode> Survivors() const;
  // Ends the watch before the list goes, so that the frees that follow cost it nothing: Freed answers true, and
  // TreeGone too, from then on.
  void Close();

 private:
  friend class TBaseTree;

  // Takes the freed nodes at the end of the list off it.
  void DropFreedTail();

  TBaseTree* tree_;      // null once the tree has gone
  TWatchedNodes* next_;  // the tree's list that began before this one
  std::vector<PTreeNode> nodes_;
  // The tree's count of freed nodes as each of nodes_ was listed, and as each listed block was last freed: a node
  // was freed since it was listed when its block was freed later.
  std::vector<std::uint64_t> listedAt_;
  TFreedBlocks freedAt_;
  // Which of nodes_ this list marked (the others were marked by a list that began before): the marks it takes back.
  std::vector<bool> marked_;
};

template <class First, class Step>
void TWatchedNodes::Walk(First first, Step step) {
  for (PTreeNode node = first(); tree_ && node;) {
    Add(node);
    for (;;) {
      const TNodeWatch at(*tree_, nodes_.back());
      node = step(nodes_.back());
      if (!at.Ended() || !tree_) break;
      DropFreedTail();
      if (nodes_.empty()) {
        node = first();
        break;
      }
    }
  }
}

}  // namespace tree
