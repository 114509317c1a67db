// Walks in pre-order over part of a tree, for the units that go through every node below one: the steps along the
// links, a step that initializes the node it reaches, and a walk whose work on a node raises handlers that may
// free it.
#pragma once

#include "tree/base_tree.h"

namespace tree {

// The node after node's subtree in pre-order without leaving top's subtree; nil after its last node.
inline PTreeNode NextAfterSubtree(PTreeNode node, PTreeNode top) {
  while (node != top && !node->NextSibling) node = node->Parent;
  return node == top ? nullptr : node->NextSibling;
}

// The node after node in pre-order without leaving top's subtree; nil after its last node.
inline PTreeNode NextInSubtree(PTreeNode node, PTreeNode top) {
  return node->FirstChild ? node->FirstChild : NextAfterSubtree(node, top);
}

// One plus the counts of node's children, which are exact.
inline std::uint32_t SummedCount(PTreeNode node) {
  std::uint32_t count = 1;
  for (PTreeNode child = node->FirstChild; child; child = child->NextSibling) count += child->TotalCount;
  return count;
}

template <class Step>
PTreeNode TBaseTree::InitializedStep(PTreeNode from, Step step) {
  PTreeNode result = step();
  if (!result || result->Has(nsInitialized)) return result;
  const TNodeWatch fromWatch(*this, from);
  while (!InitNode(result)) {
    if (fromWatch.Ended()) return nullptr;
    result = step();
    if (!result || result->Has(nsInitialized)) return result;
  }
  return result;
}

template <class Visit>
bool TBaseTree::WalkBelow(PTreeNode top, bool wholeSubtree, Visit visit) {
  const TNodeWatch topWatch(*this, top);
  PTreeNode run = top->FirstChild;
  while (run) {
    PTreeNode parent = run->Parent, previous = run->PrevSibling;
    const TNodeWatch parentWatch(*this, parent), previousWatch(*this, previous);
    if (visit(run)) {
      run = wholeSubtree ? NextInSubtree(run, top) : run->NextSibling;
      continue;
    }
    if (parentWatch.Ended() || previousWatch.Ended()) break;
    // What took the freed node's place comes next; the nodes before it are done.
    run = previous ? previous->NextSibling : parent->FirstChild;
    if (!run && wholeSubtree && parent != top) run = NextAfterSubtree(parent, top);
  }
  return !topWatch.Ended();
}

}  // namespace tree
