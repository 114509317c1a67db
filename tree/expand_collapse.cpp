// Expanding and collapsing nodes of TBaseTree, with the optional animation that slides the rows below.
#include <vector>

#include "framework/application.h"
#include "framework/graphics.h"
#include "tree/base_tree.h"
#include "tree/node_walk.h"

namespace tree {

TNodeRaised TBaseTree::ToggleNode(PTreeNode node) {
  if (!node || node == root_ || node->Has(nsDeleting)) return TNodeRaised(true, true);
  // Every handler raised here may delete the node (with an ancestor, or every node) or free the tree: the toggle
  // ends there, a change not made yet counting as refused.
  const TNodeWatch watch(*this, node);
  const auto answer = [&] { return TNodeRaised(watch); };
  bool animate = updateCount_ == 0 && HandleAllocated() &&
                 options_->AnimationOptions().Contains(TTreeAnimationOption::toAnimatedToggle) &&
                 animationDuration_ > 0;
  PTreeNode lastTopNode = updateCount_ == 0 ? GetTopNode() : nullptr;
  bool toggled = false;
  if (node->Has(nsExpanded)) {
    bool allowed = true;
    if (DoCollapsing(node, allowed).Gone() || !allowed) return answer();
    InterruptValidation();
    if (animate && !states_.Contains(TTreeState::stFullCollapse)) {
      Update();
      if (watch.Ended()) return answer();
      RECT r = GetDisplayRect(node, NoColumn, false);
      r.top += node->NodeHeight;
      r.bottom = ClientHeight();
      if (r.bottom > r.top) {
        HDC dc = GetDC(Handle());
        int steps =
            static_cast<int>(std::min<std::uint64_t>(r.bottom - r.top + 1, TotalHeightOf(node) - node->NodeHeight));
        Animate(steps, static_cast<int>(animationDuration_), false, dc, r);
        ReleaseDC(Handle(), dc);
      }
    }
    bool fullyVisible = FullyVisible(node);
    std::uint32_t shownBelow = fullyVisible ? CountVisibleChildren(node) : 0;
    AdjustTotalHeight(node, node->NodeHeight, false);
    visibleCount_ -= shownBelow;
    node->States &= ~nsExpanded;
    // The nodes below leave the path; the node itself stays where it was.
    if (fullyVisible)
      shownNode_ = node;
    else
      ForgetShownNode();
    toggled = true;
    if (DoCollapsed(node).Gone()) return answer();
  } else {
    bool allowed = true;
    if (DoExpanding(node, allowed).Gone() || !allowed) return answer();
    // This toggle opens the node: were its initialization to open it too when it asks to be open, its rows
    // would count twice.
    TTreeNodeInitStates initStates = 0;
    if (!node->Has(nsInitialized) && !InitNodeStates(node, initStates)) return answer();
    if (node->Has(nsHasChildren) && node->ChildCount == 0 && !InitChildren(node)) return answer();
    // A handler may have opened it meanwhile, through anything that initializes it (asking where it lies, its
    // text): then it is open already, with everything an opening does.
    if (node->Has(nsExpanded)) return answer();
    InterruptValidation();
    if (node->ChildCount > 0) {
      std::int64_t heightToAdd = 0;
      for (PTreeNode child = node->FirstChild; child; child = child->NextSibling)
        if (child->Has(nsVisible)) heightToAdd += static_cast<std::int64_t>(TotalHeightOf(child));
      if (updateCount_ == 0 && animate && !states_.Contains(TTreeState::stFullExpand) &&
          !states_.Contains(TTreeState::stPainting) && GetNextVisibleNoInit(node)) {
        RECT r = GetDisplayRect(node, NoColumn, false);
        if (r.top < ClientHeight()) {
          Update();
          if (watch.Ended()) return answer();
          r.top += node->NodeHeight;
          r.bottom = ClientHeight();
          if (r.bottom > r.top) {
            HDC dc = GetDC(Handle());
            int steps = static_cast<int>(std::min<std::int64_t>(r.bottom - r.top + 1, heightToAdd));
            Animate(steps, static_cast<int>(animationDuration_), true, dc, r);
            ReleaseDC(Handle(), dc);
          }
        }
      }
      node->States |= nsExpanded;
      AdjustTotalHeight(node, heightToAdd, true);
      if (FullyVisible(node)) visibleCount_ += CountVisibleChildren(node);
      toggled = true;
      if (DoExpanded(node).Gone()) return answer();
    }
  }
  if (!toggled || watch.Ended()) return answer();
  InvalidateCacheFrom(node);
  if (updateCount_ > 0) return answer();
  if (node->ChildCount == 0) {
    InvalidateNode(node);
    return answer();
  }
  StartCacheValidation();
  // Measuring the rows for the scroll bars, and scrolling, raise handlers (the texts, the rows reached first)
  // that may delete the node.
  UpdateScrollBars(true);
  if (watch.Ended()) return answer();
  if (options_->AutoOptions().Contains(TTreeAutoOption::toAutoScrollOnExpand) && node->Has(nsExpanded) &&
      HandleAllocated()) {
    if (TotalHeightOf(node) > static_cast<std::uint64_t>(ClientHeight())) {
      if (SetTopNode(node).Gone()) return answer();
    } else {
      ScrollIntoView(node->LastChild, false);
    }
    if (watch.Ended()) return answer();
  }
  // Finding the top row may initialize rows, whose handlers may free the node or the tree.
  const bool sameTop = GetTopNode() == lastTopNode;
  if (watch.Ended()) return answer();
  if (sameTop)
    InvalidateToBottom(node);
  else if (HandleAllocated())
    Invalidate();
  return answer();
}

void TBaseTree::ToggleCallback(bool expanding, HDC dc, RECT r, int step) {
  if (step == 0) return;
  int dy = expanding ? step : -step;
  RECT scroll = r;
  ScrollDC(dc, 0, dy, &scroll, &r, nullptr, nullptr);
  RECT band = r;
  if (expanding)
    band.bottom = band.top + step;
  else
    band.top = band.bottom - step;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(dc, &band, brush);
  DeleteObject(brush);
}

void TBaseTree::Animate(int steps, int duration, bool expanding, HDC dc, RECT r) {
  if (states_.Contains(TTreeState::stInAnimation) || duration < 1 || steps < 1) return;
  states_ += TTreeState::stInAnimation;
  // The busy state ends with the animation even when a step raises: later toggles would never animate again.
  struct TAnimationEnd {
    TTreeStates& states;
    ~TAnimationEnd() { states -= TTreeState::stInAnimation; }
  } animationEnd{states_};
  int stepSize = std::max(1, static_cast<int>(static_cast<double>(steps) / duration + 0.5));
  int remainingSteps = steps / stepSize;
  int remainingTime = duration;
  while (remainingSteps > 0 && remainingTime > 0) {
    ULONGLONG start = GetTickCount64();
    ToggleCallback(expanding, dc, r, stepSize);
    ULONGLONG until = start + static_cast<ULONGLONG>(remainingTime / remainingSteps);
    while (GetTickCount64() < until) {
    }
    remainingTime -= static_cast<int>(GetTickCount64() - start);
    --remainingSteps;
    while (remainingSteps > 0 && remainingTime / remainingSteps < 1) {
      ++stepSize;
      remainingSteps = remainingTime / stepSize;
    }
  }
  ToggleCallback(expanding, dc, r, 0);
}

bool TBaseTree::ToggleListed(const TWatchedNodes& nodes, bool expand, bool lastFirst) {
  for (std::size_t i = 0; i < nodes.Size() && !nodes.TreeGone(); ++i) {
    const std::size_t index = lastFirst ? nodes.Size() - 1 - i : i;
    if (!nodes.Freed(index) && nodes.Node(index)->Has(nsExpanded) != expand && ToggleNode(nodes.Node(index)).TreeGone())
      return false;
  }
  return !nodes.TreeGone();
}

TRaised TBaseTree::FullExpand(PTreeNode node) {
  if (!root_->FirstChild) return TRaised(true);
  return BulkWork(TTreeStates{TTreeState::stFullExpand}, [this, node]() mutable {
    // The walk creates children on demand, and goes on past the nodes its handlers free; the nodes open deepest
    // first, so each one's ancestors are still closed and its height goes no further up than its parent: linear
    // however deep the tree is.
    if (node == root_) node = nullptr;
    PTreeNode top = node ? node : root_;
    const TNodeWatch topWatch(*this, node);
    TWatchedNodes reached(*this);
    reached.Walk([this, node, &topWatch] { return !node              ? GetFirst()
                                                  : topWatch.Ended() ? nullptr
                                                                     : node; },
                 [this, top](PTreeNode run) {
                   if (!InitNodeAndChildren(run)) return static_cast<PTreeNode>(nullptr);
                   return InitializedStep(run, [run, top] { return NextInSubtree(run, top); });
                 });
    return ToggleListed(reached, true, true);
  });
}

TRaised TBaseTree::FullCollapse(PTreeNode node) {
  if (!root_->FirstChild) return TRaised(true);
  return BulkWork(TTreeStates{TTreeState::stFullCollapse}, [this, node] {
    // The nodes close from the top down, so below a closed one nothing is shown any more and each further node
    // costs only itself: linear however deep the tree is.
    TWatchedNodes open(*this);
    if (node && node->Has(nsExpanded) && node->Has(nsHasChildren)) open.Add(node);
    std::vector<PTreeNode> below;
    for (PTreeNode run = GetLastVisibleNoInit(node); run && run != node; run = GetPreviousNoInit(run))
      if (run->Has(nsExpanded) && run->Has(nsHasChildren)) below.push_back(run);
    for (auto it = below.rbegin(); it != below.rend(); ++it) open.Add(*it);
    return ToggleListed(open, false, false);
  });
}

}  // namespace tree
