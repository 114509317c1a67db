// The node store of TBaseTree: creating, linking, unlinking and deleting nodes, their totals, initialization on
// demand and check states.
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "tree/base_tree.h"
#include "tree/node_walk.h"
#include "tree/tree_error.h"
#include "tree/worker_thread.h"

namespace tree {

// ---- blocks and data

TRaised TBaseTree::DoValidateNodeDataSize(int& size) {
  size = 0;
  return RaiseEvent(OnGetNodeDataSize, this, size);
}

TRaised TBaseTree::ValidateNodeDataSize() {
  if (nodeDataSize_ != -1) return TRaised(true);
  int size = -1;
  if (DoValidateNodeDataSize(size).Gone()) return TRaised(false);
  nodeDataSize_ = size < 0 ? 0 : size;
  recordSize_ = IsDesigning() ? 0 : static_cast<std::size_t>(nodeDataSize_);
  slab_.SetBlockSize(TreeNodeSize + internalDataSize_ + AlignNodeArea(recordSize_));
  return TRaised(true);
}

PTreeNode TBaseTree::MakeNewNode() {
  // Every work that makes nodes settles the node size (raising OnGetNodeDataSize) before it begins, so that no
  // handler runs here.
  if (ValidateNodeDataSize().Gone()) return nullptr;
  auto* node = static_cast<PTreeNode>(slab_.Allocate());
  node->TotalCount = 1;
  node->NodeHeight = defaultNodeHeight_;
  node->TotalHeight = defaultNodeHeight_;
  node->States = nsVisible;
  node->Align = 50;
  return node;
}

TRaised TBaseTree::FreeNodeBlock(PTreeNode node) {
  ++freedNodes_;
  if (nodeWatches_ || (node->Deferred & ndListed)) EndNodeWatches(node);
  // The handler sees the node whole, its total too. A handler before it may have taken the node into the
  // selection or the focus again, or left it there by raising: nothing keeps a freed block.
  TFirstFailure failure;
  // The block goes whatever the handler frees, but with the tree, which takes its blocks along.
  if (node->Has(nsInitialized) || node->Has(nsInitialUserData)) {
    const TNodeWatch tree(*this, nullptr);
    if (failure.Run(tree, [&] { return DoFreeNode(node); }).Gone()) {
      failure.Raise();
      return TRaised(false);
    }
  }
  if (node->Has(nsSelected)) InternalRemoveFromSelection(node);
  if (!dragSelection_.empty()) std::erase(dragSelection_, node);
  ForgetNode(node);
  ReleaseNodeBlock(node);
  failure.Raise();
  return TRaised(true);
}

void TBaseTree::ReleaseNodeBlock(PTreeNode node) {
  slab_.Free(node);
  if (giveBackHeld_ == 0) GiveBackFreeChunks();
}

void TBaseTree::GiveBackFreeChunks() {
  if (!slab_.CanGiveBack()) return;
  // The worker may be reading the blocks of a chunk about to go.
  InterruptValidation();
  slab_.GiveBack();
}

void TBaseTree::ForgetNode(PTreeNode node) {
  if (node == focusedNode_) focusedNode_ = nullptr;
  if (node == rangeAnchor_) rangeAnchor_ = nullptr;
  if (node == hotNode_) hotNode_ = nullptr;
  if (node == checkNode_) checkNode_ = nullptr;
  if (node == lastSearchNode_) lastSearchNode_ = nullptr;
  if (node == editPendingNode_) ForgetPendingEdit();
  if (node == dropTargetNode_) dropTargetNode_ = nullptr;
  ForgetPendingChange(node);
  if (node == shownNode_) ForgetShownNode();
  if (node->TotalHeight == WideTotalHeight) wideTotalHeights_.erase(node);
  ForgetCachedNode(node);
}

void* TBaseTree::GetNodeData(PTreeNode node) const {
  if (!node || node == root_ || recordSize_ == 0) return nullptr;
  return reinterpret_cast<char*>(node) + TreeNodeSize + internalDataSize_;
}

std::uint32_t TBaseTree::GetNodeLevel(PTreeNode node) const {
  std::uint32_t level = 0;
  if (!node || node == root_) return 0;
  // Nodes being loaded hang below a holder that stands in for the root until they take the old content's place.
  for (PTreeNode p = node->Parent; p != root_ && p != loadHolder_; p = p->Parent) ++level;
  return level;
}

// ---- totals

namespace {

// How many levels a count changed outside an update bracket climbs before it marks the ancestors above instead.
constexpr unsigned ExactCountLevels = 64;

PTreeNode FirstMarked(PTreeNode node, std::uint8_t mark) {
  while (node && !(node->Deferred & mark)) node = node->NextSibling;
  return node;
}

// Post-order over the nodes below root that carry mark (every ancestor of a marked node carries it too), along
// the links and without a stack: settle(node) runs once each marked child of node is settled, then the mark goes.
template <class Settle>
void SettleMarked(PTreeNode root, std::uint8_t mark, Settle settle) {
  if (!(root->Deferred & mark)) return;
  PTreeNode run = root;
  bool descend = true;
  for (;;) {
    if (descend) {
      if (PTreeNode child = FirstMarked(run->FirstChild, mark)) {
        run = child;
        continue;
      }
    }
    settle(run);
    run->Deferred &= static_cast<std::uint8_t>(~mark);
    if (run == root) return;
    // The marked siblings before run are settled already: only those after it are left, then the parent.
    PTreeNode next = FirstMarked(run->NextSibling, mark);
    descend = next != nullptr;
    run = next ? next : run->Parent;
  }
}

}  // namespace

void TBaseTree::MarkStale(PTreeNode node, std::uint8_t mark) const {
  for (PTreeNode run = node; run && !(run->Deferred & mark); run = run->Parent) {
    run->Deferred |= mark;
    if (run == root_) break;
  }
}

void TBaseTree::RefreshTotalCounts() const { SettledCount(root_); }

std::uint32_t TBaseTree::SettledCount(PTreeNode node) const {
  SettleMarked(node, ndCountStale, [](PTreeNode marked) { marked->TotalCount = SummedCount(marked); });
  return node->TotalCount;
}

void TBaseTree::AdjustTotalCount(PTreeNode node, std::int64_t change) {
  // A marked node is summed from its children when asked, and its ancestors are marked with it: the climb ends
  // there. A chain a million deep grown at its bottom costs a bounded climb per node, the rest being marked.
  const unsigned exactLevels = states_.Contains(TTreeState::stUpdating) ? 1 : ExactCountLevels;
  for (unsigned level = 0; change != 0 && !(node->Deferred & ndCountStale); ++level) {
    if (level == exactLevels) {
      MarkStale(node, ndCountStale);
      return;
    }
    node->TotalCount = static_cast<std::uint32_t>(node->TotalCount + change);
    if (node == root_ || !node->Parent) return;
    node = node->Parent;
  }
}

void TBaseTree::SetTotalCount(PTreeNode node, std::uint32_t value) {
  if (node->Deferred & ndCountStale) {
    // The ancestors are marked already; node's own count is whole again.
    node->TotalCount = value;
    node->Deferred &= ~ndCountStale;
    return;
  }
  AdjustTotalCount(node, static_cast<std::int64_t>(value) - node->TotalCount);
}

void TBaseTree::RefreshTotalHeights() const {
  SettleMarked(root_, ndHeightStale, [this](PTreeNode node) { SetTotalHeight(node, SummedHeight(node)); });
}

std::uint64_t TBaseTree::SummedHeight(PTreeNode node) const {
  std::uint64_t height = node->NodeHeight;
  if (node->Has(nsExpanded))
    for (PTreeNode child = node->FirstChild; child; child = child->NextSibling)
      if (child->Has(nsVisible)) height += TotalHeightOf(child);
  return height;
}

void TBaseTree::SetTotalHeight(PTreeNode node, std::uint64_t value) const {
  if (value < WideTotalHeight) {
    if (node->TotalHeight == WideTotalHeight) wideTotalHeights_.erase(node);
    node->TotalHeight = static_cast<std::uint32_t>(value);
    return;
  }
  wideTotalHeights_[node] = value;
  node->TotalHeight = WideTotalHeight;
}

std::uint64_t TBaseTree::NodeTotalHeight(PTreeNode node) const {
  RefreshTotalHeights();
  return TotalHeightOf(node ? node : root_);
}

std::uint32_t TBaseTree::TotalCount() const {
  RefreshTotalCounts();
  return root_->TotalCount - 1;
}

std::uint32_t TBaseTree::NodeIndex(PTreeNode node) const {
  if (!node || node == root_) return 0;
  PTreeNode parent = node->Parent;
  if (parent->Deferred & ndIndexesStale) {
    std::uint32_t index = 0;
    for (PTreeNode run = parent->FirstChild; run; run = run->NextSibling) run->Index = index++;
    parent->Deferred &= ~ndIndexesStale;
  }
  return node->Index;
}

void TBaseTree::AdjustTotalHeight(PTreeNode node, std::int64_t value, bool relative) {
  // Each ancestor takes the change its child really made. Inside an update bracket the node's own total changes
  // and its ancestors are only marked: a restore that opens a chain level after level would otherwise add each
  // level's rows to every open level above it.
  const bool defer = states_.Contains(TTreeState::stUpdating);
  std::int64_t change = relative ? value : value - static_cast<std::int64_t>(TotalHeightOf(node));
  for (PTreeNode run = node; change != 0;) {
    const auto old = static_cast<std::int64_t>(TotalHeightOf(run));
    const std::int64_t total = std::max<std::int64_t>(0, old + change);
    SetTotalHeight(run, static_cast<std::uint64_t>(total));
    change = total - old;
    // A hidden node or a collapsed parent keeps the change from the ancestors.
    if (!run->Has(nsVisible) || run == root_) break;
    run = run->Parent;
    if (!run->Has(nsExpanded)) break;
    if (defer) {
      MarkStale(run, ndHeightStale);
      break;
    }
  }
}

bool TBaseTree::FullyVisible(PTreeNode node) const {
  // A node being deleted has left its parent's list, and its handlers may free the parent it still names: it is on
  // no path, and the walk up stops at it.
  if (!node || !node->Has(nsVisible) || node->Has(nsDeleting)) return false;
  // The last node found on the path, or a visible child of it when it is expanded: no walk up.
  if (node == shownNode_) return true;
  if (shownNode_ && node != root_ && node->Parent == shownNode_ && shownNode_->Has(nsExpanded)) {
    shownNode_ = node;
    return true;
  }
  // The parent of the last node found is on the path too: changes made from the bottom up need no walk either.
  if (shownNode_ && shownNode_ != root_ && shownNode_->Parent == node) {
    shownNode_ = node;
    return true;
  }
  for (PTreeNode p = node == root_ ? root_ : node->Parent; p != root_; p = p->Parent)
    if (!p->Has(nsExpanded) || !p->Has(nsVisible) || p->Has(nsDeleting)) return false;
  shownNode_ = node;
  return true;
}

std::uint32_t TBaseTree::CountVisibleChildren(PTreeNode node) const {
  // A loop rather than recursion, so that deep chains of folders cannot exhaust the stack.
  std::uint32_t count = 0;
  PTreeNode run = node->Has(nsExpanded) ? node->FirstChild : nullptr;
  while (run) {
    if (run->Has(nsVisible)) {
      ++count;
      if (run->Has(nsExpanded) && run->FirstChild) {
        run = run->FirstChild;
        continue;
      }
    }
    while (run != node && !run->NextSibling) run = run->Parent;
    run = run == node ? nullptr : run->NextSibling;
  }
  return count;
}

// ---- linking

void TBaseTree::InternalConnectNode(PTreeNode node, PTreeNode destination, TBaseTree* target,
                                    TTreeNodeAttachMode mode) {
  target->InterruptValidation();
  PTreeNode parent = nullptr;
  switch (mode) {
    case TTreeNodeAttachMode::amInsertBefore: {
      parent = destination->Parent;
      node->PrevSibling = destination->PrevSibling;
      node->NextSibling = destination;
      node->Parent = parent;
      destination->PrevSibling = node;
      if (node->PrevSibling)
        node->PrevSibling->NextSibling = node;
      else
        parent->FirstChild = node;
      parent->Deferred |= ndIndexesStale;
      break;
    }
    case TTreeNodeAttachMode::amInsertAfter: {
      parent = destination->Parent;
      node->NextSibling = destination->NextSibling;
      node->PrevSibling = destination;
      node->Parent = parent;
      destination->NextSibling = node;
      if (node->NextSibling)
        node->NextSibling->PrevSibling = node;
      else
        parent->LastChild = node;
      if (node->NextSibling)
        parent->Deferred |= ndIndexesStale;
      else
        node->Index = destination->Index + 1;
      break;
    }
    case TTreeNodeAttachMode::amAddChildFirst: {
      parent = destination;
      node->Parent = parent;
      node->PrevSibling = nullptr;
      node->NextSibling = parent->FirstChild;
      if (parent->FirstChild)
        parent->FirstChild->PrevSibling = node;
      else
        parent->LastChild = node;
      parent->FirstChild = node;
      node->Index = 0;
      if (node->NextSibling) parent->Deferred |= ndIndexesStale;
      break;
    }
    case TTreeNodeAttachMode::amAddChildLast: {
      parent = destination;
      node->Parent = parent;
      node->NextSibling = nullptr;
      node->PrevSibling = parent->LastChild;
      node->Index = parent->LastChild ? parent->LastChild->Index + 1 : 0;
      if (parent->LastChild)
        parent->LastChild->NextSibling = node;
      else
        parent->FirstChild = node;
      parent->LastChild = node;
      break;
    }
    case TTreeNodeAttachMode::amNoWhere:
      return;
  }
  ++parent->ChildCount;
  ++target->linkedNodes_;
  parent->States |= nsHasChildren;
  target->AdjustTotalCount(parent, target->SettledCount(node));
  // A row of a pending cut or copy moved within the tree is held by its new ancestors.
  if (node->Deferred & ndHoldsCutCopy) target->MarkStale(parent, ndHoldsCutCopy);
  // A node moved inside an update bracket may bring a total that is still to be summed: so is its new parent's.
  if (node->Deferred & ndHeightStale) target->MarkStale(parent, ndHeightStale);
  // A hidden node adds nothing to its parent's shown height.
  if (parent->Has(nsExpanded) && node->Has(nsVisible))
    target->AdjustTotalHeight(parent, static_cast<std::int64_t>(target->TotalHeightOf(node)), true);
  if (target->FullyVisible(node)) target->visibleCount_ += target->CountVisibleChildren(node) + 1;
  target->InvalidateCacheFrom(node);
}

TNodeRaised TBaseTree::InternalDisconnectNode(PTreeNode node, bool keepFocus) {
  InterruptValidation();
  if (node == focusedNode_ && !keepFocus) {
    // The text of an edit cannot go to a node that goes: the edit is cancelled, and even a link that refuses to
    // cancel lets the focus leave the node. The handlers of that may free the node; the caller learns it.
    const TNodeWatch watch(*this, node);
    if (CancelEditing().Gone() || watch.Ended()) return TNodeRaised(watch);
    states_ -= TTreeState::stEditing;
    if (DoFocusNode(nullptr, false).TreeGone() || watch.Ended()) return TNodeRaised(watch);
    if (DoFocusChange(nullptr, focusedColumn_).TreeGone() || watch.Ended()) return TNodeRaised(watch);
  }
  if (node == rangeAnchor_) rangeAnchor_ = nullptr;
  if (node->Has(nsDeleting)) return TNodeRaised(true, true);
  InvalidateCacheFrom(node);
  node->States &= ~nsChecking;
  PTreeNode parent = node->Parent;
  --parent->ChildCount;
  if (parent->ChildCount == 0 && parent != root_) parent->States &= ~nsHasChildren;
  AdjustTotalCount(parent, -static_cast<std::int64_t>(SettledCount(node)));
  if (parent->Has(nsExpanded) && node->Has(nsVisible))
    AdjustTotalHeight(parent, -static_cast<std::int64_t>(TotalHeightOf(node)), true);
  const bool shown = FullyVisible(node);
  if (shown) visibleCount_ -= CountVisibleChildren(node) + 1;
  if (node->PrevSibling)
    node->PrevSibling->NextSibling = node->NextSibling;
  else
    parent->FirstChild = node->NextSibling;
  if (node->NextSibling) {
    node->NextSibling->PrevSibling = node->PrevSibling;
    parent->Deferred |= ndIndexesStale;
  } else {
    parent->LastChild = node->PrevSibling;
  }
  node->Parent = node->PrevSibling = node->NextSibling = nullptr;
  // The node (or one below it) may have been found on the visible path; wherever it goes next, it is not known.
  // Its parent stays on the path if it was.
  if (shown)
    shownNode_ = parent;
  else
    ForgetShownNode();
  return TNodeRaised(true, true);
}

// ---- child counts

TNodeRaised TBaseTree::SetChildCount(PTreeNode node, std::uint32_t count) {
  if (!node) node = root_;
  // The handlers of deleted children (their frees, the structure changes) may free node too: what is left to do
  // goes with it. OnGetNodeDataSize runs before the first child is made, never among them.
  const TNodeWatch watch(*this, node);
  if (count > node->ChildCount && (ValidateNodeDataSize().Gone() || watch.Ended())) return TNodeRaised(watch);
  if (count == 0) {
    if (DeleteChildren(node, false).Gone()) return TNodeRaised(watch);
  } else if (count != node->ChildCount) {
    InterruptValidation();
    if (count > node->ChildCount) {
      std::uint32_t added = count - node->ChildCount;
      std::uint32_t index = node->LastChild ? node->LastChild->Index + 1 : 0;
      std::uint64_t heights = 0;
      PTreeNode last = node->LastChild;
      const PTreeNode lastBefore = last;
      for (std::uint32_t i = 0; i < added; ++i) {
        PTreeNode child = MakeNewNode();
        child->Index = index++;
        child->Parent = node;
        child->PrevSibling = last;
        if (last)
          last->NextSibling = child;
        else
          node->FirstChild = child;
        last = child;
        heights += child->NodeHeight;
      }
      node->LastChild = last;
      linkedNodes_ += added;
      node->States |= nsHasChildren;
      if (node->Has(nsExpanded)) {
        AdjustTotalHeight(node, static_cast<std::int64_t>(heights), true);
        if (FullyVisible(node)) visibleCount_ += added;
      }
      AdjustTotalCount(node, added);
      node->ChildCount = count;
      InvalidateCacheFrom(lastBefore ? lastBefore->NextSibling : node->FirstChild);
    } else {
      while (node->ChildCount > count)
        if (DeleteNode(node->LastChild).Gone() || watch.Ended()) return TNodeRaised(watch);
    }
    if (updateCount_ == 0) {
      StartCacheValidation();
      UpdateScrollBarsLater();
      if (HandleAllocated()) Invalidate();
    }
  }
  if (watch.Ended()) return TNodeRaised(watch);
  return StructureChange(node == root_ ? nullptr : node, TChangeReason::crChildAdded).Gone() ? TNodeRaised(false, false)
                                                                                             : TNodeRaised(watch);
}

TRaised TBaseTree::SetRootNodeCount(std::uint32_t value) {
  if (IsLoading()) {
    pendingRootCount_ = value;
    states_ += TTreeState::stRootCountPending;
    return TRaised(true);
  }
  if (value == root_->ChildCount) return TRaised(true);
  return BulkWork(TTreeStates{}, [this, value] {
    InterruptValidation();
    return !SetChildCount(root_, value).TreeGone();
  });
}

// ---- adding

void TBaseTree::SetUserData(PTreeNode node, const void* userData) {
  std::memcpy(GetNodeData(node), &userData, sizeof userData);
  node->States |= nsInitialUserData;
}

void TBaseTree::AutoSortAfterAdd(PTreeNode parent) {
  if (options_->AutoOptions().Contains(TTreeAutoOption::toAutoSort) && sortColumn_ > InvalidColumn)
    Sort(parent, sortColumn_, sortDirection_, true);
}

PTreeNode TBaseTree::AddChild(PTreeNode parent, const void* userData) {
  if (!parent) parent = root_;
  // Adding ends a running edit: OnEditCancelled may delete the parent or empty the tree, and nothing is added then.
  {
    const TNodeWatch watch(*this, parent);
    if (CancelEditing().Gone() || watch.Ended()) return nullptr;
  }
  if (!parent->Has(nsInitialized) && !InitNode(parent)) return nullptr;
  // The structure change, the sort and the measuring raise handlers that may delete the node or the parent.
  const TNodeWatch parentWatch(*this, parent);
  ++updateCount_;
  try {
    if (SetChildCount(parent, parent->ChildCount + 1).TreeGone()) return nullptr;
  } catch (...) {
    // The exception passes on whatever the count's end raises.
    if (!parentWatch.TreeGone()) (void)LowerUpdateCount();
    throw;
  }
  if (LowerUpdateCount().Gone() || parentWatch.Ended()) return nullptr;
  PTreeNode node = parent->LastChild;
  // The node is linked either way; the bookkeeping is finished before a too small record is reported.
  bool fits = recordSize_ >= sizeof userData;
  if (userData && fits) SetUserData(node, userData);
  const TNodeWatch nodeWatch(*this, node);
  if (updateCount_ == 0) {
    StartCacheValidation();
    if (states_.Contains(TTreeState::stStructureChangePending) && ReleaseStructureChange().Gone()) return nullptr;
    if (!parentWatch.Ended()) AutoSortAfterAdd(parent);
    if (nodeWatch.TreeGone()) return nullptr;
    if (!parentWatch.Ended()) InvalidateToBottom(parent);
    UpdateScrollBarsLater();
  }
  if (userData && !fits) RaiseTreeError(teInitialUserDataSpace);
  return nodeWatch.Ended() ? nullptr : node;
}

PTreeNode TBaseTree::InsertNode(PTreeNode node, TTreeNodeAttachMode mode, const void* userData) {
  if (mode == TTreeNodeAttachMode::amNoWhere) return nullptr;
  if (!node) node = root_;
  // Inserting ends a running edit: OnEditCancelled may delete the node or empty the tree, and nothing is added then.
  {
    const TNodeWatch watch(*this, node);
    if (CancelEditing().Gone() || watch.Ended()) return nullptr;
  }
  if (node == root_) {
    if (mode == TTreeNodeAttachMode::amInsertBefore) mode = TTreeNodeAttachMode::amAddChildFirst;
    if (mode == TTreeNodeAttachMode::amInsertAfter) mode = TTreeNodeAttachMode::amAddChildLast;
  }
  bool addsChild = mode == TTreeNodeAttachMode::amAddChildFirst || mode == TTreeNodeAttachMode::amAddChildLast;
  if (addsChild && !node->Has(nsInitialized) && !InitNode(node)) return nullptr;
  {
    const TNodeWatch watch(*this, node);
    if (ValidateNodeDataSize().Gone() || watch.Ended()) return nullptr;
  }
  PTreeNode result = MakeNewNode();
  InternalConnectNode(result, node, this, mode);
  bool fits = recordSize_ >= sizeof userData;
  if (userData && fits) SetUserData(result, userData);
  // The sort, the initialization of the row repainted and the structure change raise handlers that may delete the
  // new node or the one it was put beside.
  const TNodeWatch resultWatch(*this, result), nodeWatch(*this, node);
  if (updateCount_ == 0) {
    AutoSortAfterAdd(addsChild ? node : node->Parent);
    if (resultWatch.TreeGone()) return nullptr;
    UpdateScrollBarsLater();
    const bool fromNew = mode == TTreeNodeAttachMode::amInsertBefore;
    if (!(fromNew ? resultWatch : nodeWatch).Ended()) InvalidateToBottom(fromNew ? result : node);
  }
  if (!resultWatch.Ended() && StructureChange(result, TChangeReason::crNodeAdded).Gone()) return nullptr;
  if (userData && !fits) RaiseTreeError(teInitialUserDataSpace);
  return resultWatch.Ended() ? nullptr : result;
}

// ---- initialization

bool TBaseTree::InitNodeStates(PTreeNode node, TTreeNodeInitStates& initStates) {
  initStates = 0;
  // A node whose own OnInitNode is running is taken as it is.
  if (node->Deferred & ndInitializing) return true;
  const TNodeWatch watch(*this, node);
  node->Deferred |= ndInitializing;
  try {
    if (DoInitNode(node->Parent == root_ ? nullptr : node->Parent, node, initStates).Gone()) return false;
  } catch (...) {
    if (!watch.Ended()) node->Deferred &= static_cast<std::uint8_t>(~ndInitializing);
    throw;
  }
  if (watch.Ended()) return false;
  node->Deferred &= static_cast<std::uint8_t>(~ndInitializing);
  node->States |= nsInitialized;
  if (initStates & ivsDisabled) node->States |= nsDisabled;
  if (initStates & ivsHasChildren) node->States |= nsHasChildren;
  if (initStates & ivsSelected) InternalAddToSelection(node);
  return true;
}

bool TBaseTree::InitNode(PTreeNode node) {
  // A node whose own OnInitNode is running is taken as it is.
  if (node->Deferred & ndInitializing) return true;
  TTreeNodeInitStates initStates = 0;
  if (!InitNodeStates(node, initStates)) return false;
  const bool wantExpanded = (initStates & ivsExpanded) != 0;
  if (wantExpanded != node->Has(nsExpanded)) {
    if (!wantExpanded) return true;
    return !ToggleNode(node).Gone();
  }
  if (node->Has(nsExpanded) && node->Has(nsHasChildren) && node->ChildCount == 0) return InitChildren(node);
  return true;
}

bool TBaseTree::InitChildren(PTreeNode node) {
  if (!node || node == root_ || !node->Has(nsHasChildren)) return true;
  return ReloadChildCount(node, true);
}

bool TBaseTree::ReloadChildCount(PTreeNode node, bool noneDropsTheMark) {
  // OnInitChildren is one handler; the children the count adds or deletes and the structure change raise more.
  std::uint32_t count = node->ChildCount;
  if (DoInitChildren(node, count).Gone()) return false;
  return count == 0 && noneDropsTheMark ? !DeleteChildren(node, true).Gone() : !SetChildCount(node, count).Gone();
}

bool TBaseTree::InitNodeAndChildren(PTreeNode node) {
  if (!node->Has(nsInitialized) && !InitNode(node)) return false;
  return !(node->Has(nsHasChildren) && node->ChildCount == 0) || InitChildren(node);
}

void TBaseTree::ValidateNode(PTreeNode node, bool recursive) {
  if (!node) node = root_;
  if (!node->Has(nsInitialized) && !InitNode(node)) return;
  if (recursive) ValidateChildren(node, true);
}

void TBaseTree::ValidateChildren(PTreeNode node, bool recursive) {
  if (!node) node = root_;
  if (node->Has(nsHasChildren) && node->ChildCount == 0 && !InitChildren(node)) return;
  // Pre-order with a loop: every level of a deep tree costs the same stack.
  if (recursive)
    WalkBelow(node, true, [this](PTreeNode run) { return InitNodeAndChildren(run); });
  else
    WalkBelow(node, false, [this](PTreeNode child) { return child->Has(nsInitialized) || InitNode(child); });
}

void TBaseTree::ReinitNode(PTreeNode node, bool recursive) {
  if (node && node != root_) {
    node->States &= ReinitStateMask;
    if (!InitNode(node)) return;
  }
  if (recursive) ReinitChildren(node, true);
}

void TBaseTree::ReinitChildren(PTreeNode node, bool recursive) {
  if (!node) node = root_;
  auto recount = [this](PTreeNode parent) {
    return parent == root_ || !parent->Has(nsHasChildren) || ReloadChildCount(parent, false);
  };
  if (!recount(node)) return;
  if (recursive) {
    WalkBelow(node, true, [&](PTreeNode run) {
      run->States &= ReinitStateMask;
      return InitNode(run) && recount(run);
    });
  } else {
    WalkBelow(node, false, [this](PTreeNode child) {
      const TNodeWatch watch(*this, child);
      ReinitNode(child, false);
      return !watch.Ended();
    });
  }
}

TNodeRaised TBaseTree::ResetNode(PTreeNode node) {
  // The handlers of the edit's end, of the reset and of the children's deletion may free the node.
  const TNodeWatch watch(*this, node);
  if (CancelEditing().Gone() || watch.Ended()) return TNodeRaised(watch);
  // The root stands for every node; it lives as long as the tree.
  if (!node || node == root_) return Clear().Gone() ? TNodeRaised(false, false) : TNodeRaised(true, true);
  if (DoReset(node).Gone() || DeleteChildren(node, false).Gone()) return TNodeRaised(watch);
  InterruptValidation();
  ForgetShownNode();
  node->States &= ResetStateMask;
  InvalidateNode(node);
  return TNodeRaised(watch);
}

// ---- deleting

TRaised TBaseTree::DeleteNode(PTreeNode node) {
  // A node that is being freed (whose OnFreeNode deletes it) goes once.
  if (!node || node == root_ || node->Has(nsDeleting)) return TRaised(true);
  // Each step raises handlers (the structure and selection changes, the frees below, the focus events) that may
  // free the node themselves, with an ancestor or every node: the deletion is done then. One that raises before
  // the node's children begin to go leaves the node where it is; after that the deletion goes on to its end, and
  // the first exception is passed on there.
  const TNodeWatch watch(*this, node);
  const auto ended = [&] { return TRaised(!watch.TreeGone()); };
  if (HandOverClipboardBefore(node).Gone() || watch.Ended()) return ended();
  PTreeNode parent = node->Parent;
  InterruptValidation();
  if (!parent->Has(nsClearing) &&
      StructureChange(parent == root_ ? nullptr : parent, TChangeReason::crChildDeleted).Gone())
    return TRaised(false);
  if (watch.Ended()) return ended();
  const int oldX = offsetX_;
  const TTreePosition oldY = offsetY_;
  if (node->Has(nsSelected)) {
    if (updateCount_ == 0) {
      if (RemoveFromSelection(node).Gone()) return ended();
      InvalidateToBottom(parent);
    } else {
      InternalRemoveFromSelection(node);
    }
    if (watch.Ended()) return ended();
  }
  // The rows from the node's down move up: they are drawn again (finding the row may initialize it).
  InvalidateToBottom(node);
  if (watch.Ended()) return ended();
  TFirstFailure failure;
  const auto raise = [&] {
    failure.Raise();
    return ended();
  };
  if (failure.Run(watch, [&] { return DeleteChildren(node, false); }).Gone()) return raise();
  if (failure.Run(watch, [&] { return InternalDisconnectNode(node, false); }).Gone()) return raise();
  // A focus event that raised may have left the node linked: it goes all the same (no handler raises then).
  if (node->Parent && InternalDisconnectNode(node, true).Gone()) return ended();
  node->States |= nsDeleting;
  const TRaised freed = failure.Run(watch, [&] { return FreeNodeBlock(node); });
  // The node's own OnFreeNode may have freed the tree; one that raised instead left it.
  if (freed.Gone() && watch.TreeGone()) return raise();
  if (updateCount_ == 0) {
    StartCacheValidation();
    UpdateScrollBarsLater();
    if ((oldX != offsetX_ || oldY != offsetY_) && HandleAllocated()) Invalidate();
  }
  return raise();
}

TRaised TBaseTree::ReleaseDeletedNode(PTreeNode node, TFirstFailure& failure) {
  // Only the tree's going frees a node that has left it: the work ends with the tree. A handler may delete the
  // node's parent (with the ancestors above it): the node then names the root as its parent, so that the handlers
  // after it find no freed one.
  const TNodeWatch watch(*this, node), parentWatch(*this, node->Parent);
  const auto ended = [&] { return TRaised(!watch.TreeGone()); };
  auto keepParent = [&] {
    if (parentWatch.Ended()) node->Parent = root_;
  };
  if (node->Has(nsSelected)) {
    if (updateCount_ == 0) {
      if (failure.Run(watch, [&] { return RemoveFromSelection(node); }).Gone()) return ended();
    } else {
      InternalRemoveFromSelection(node);
    }
    keepParent();
  }
  if (node == focusedNode_) {
    if (failure.Run(watch, [this] { return CancelEditing(); }).Gone() || watch.Ended()) return ended();
    states_ -= TTreeState::stEditing;
    focusedNode_ = nullptr;
    if (selectionCount_ == 0) ResetRangeAnchor();
    keepParent();
    if (failure.Run(watch, [this] { return DoFocusChange(nullptr, focusedColumn_); }).TreeGone() || watch.Ended())
      return ended();
    keepParent();
  }
  if (node == rangeAnchor_) rangeAnchor_ = nullptr;
  const TRaised freed = failure.Run(watch, [&] { return FreeNodeBlock(node); });
  // A handler that raised instead left the tree as the watch tells.
  return freed.Alive() ? freed : ended();
}

bool TBaseTree::FreeDescendants(PTreeNode node, TFirstFailure& failure) {
  // A loop, not recursion: a chain of a million nested nodes is freed with the stack it started with. Each node
  // leaves its parent's list before its handlers run, so that one that deletes other nodes finds the links whole;
  // the walk then goes on from what is left, and ends with node.
  const TNodeWatch top(*this, node);
  // The chunks left free go back once, as the walk ends: each time three quarters of the blocks were free, a pass
  // went over every free block, which in a million freed rows cost a cache miss each; a walk that frees every
  // block gives all chunks back at once, without one.
  struct TGiveBackEnd {
    TBaseTree& tree;
    const TNodeWatch& top;
    ~TGiveBackEnd() {
      if (top.TreeGone() || --tree.giveBackHeld_ > 0) return;
      tree.GiveBackFreeChunks();
    }
  } giveBackEnd{*this, top};
  ++giveBackHeld_;
  PTreeNode run = node->LastChild;
  while (run) {
    while (run->LastChild) run = run->LastChild;
    PTreeNode parent = run->Parent;
    PTreeNode previous = run->PrevSibling;
    // A build a handler started walks the root's rows, which stay open: it stops before a row leaves them.
    HoldValidation();
    --parent->ChildCount;
    if (previous) {
      previous->NextSibling = nullptr;
      parent->LastChild = previous;
    } else {
      parent->FirstChild = parent->LastChild = nullptr;
    }
    // Out of the list, the node names no siblings, which its handlers might free; nor is it where a range a
    // handler selects starts, since no walk of the rows reaches it.
    run->PrevSibling = nullptr;
    if (run == rangeAnchor_) rangeAnchor_ = nullptr;
    run->States |= nsDeleting;
    const std::uint64_t freedBefore = freedNodes_, linkedBefore = linkedNodes_;
    if (ReleaseDeletedNode(run, failure).Gone() || top.Ended()) return false;
    // Rows a handler added or moved below node go too: the walk takes them up from the last row left.
    if (freedNodes_ != freedBefore + 1 || linkedNodes_ != linkedBefore)
      run = node->LastChild;
    else
      run = previous ? previous : parent == node ? nullptr : parent;
  }
  return true;
}

TNodeRaised TBaseTree::DeleteChildren(PTreeNode node, bool resetHasChildren) {
  if (!node) node = root_;
  if (node->ChildCount == 0) {
    if (resetHasChildren && node != root_) node->States &= ~nsHasChildren;
    return TNodeRaised(true, true);
  }
  const TNodeWatch watch(*this, node);
  if (HandOverClipboardBefore(node).Gone() || watch.Ended()) return TNodeRaised(watch);
  // The rows below an open node move up as its children go, and its button changes: they are drawn again (finding
  // the row may initialize it).
  if (node->Has(nsExpanded)) {
    InvalidateToBottom(node);
    if (watch.Ended()) return TNodeRaised(watch);
  }
  InterruptValidation();
  const int oldX = offsetX_;
  const TTreePosition oldY = offsetY_;
  // The cache keeps no entry from the node on while the children go: closed, they are on no visible path, and a
  // change the frees' handlers make below the node would not cut the entries of the rows it frees.
  InvalidateCacheFrom(node);
  // The children's rows leave the count at once, and a node other than the root closes: the handlers of the
  // frees may delete children not freed yet (or the node), which then take nothing from the count or from the
  // heights above the node a second time. The root stays open; its count is none once its children are gone.
  if (node != root_) {
    if (FullyVisible(node) && node->Has(nsExpanded)) visibleCount_ -= CountVisibleChildren(node);
    node->States &= ~nsExpanded;
  }
  node->States |= nsClearing;
  ForgetShownNode();
  TFirstFailure failure;
  const auto raise = [&] {
    failure.Raise();
    return TNodeRaised(watch);
  };
  if (!FreeDescendants(node, failure)) return raise();
  node->States &= ~nsClearing;
  // The root keeps its mark: it holds the top-level nodes still to come.
  if (resetHasChildren && node != root_) node->States &= ~nsHasChildren;
  node->ChildCount = 0;
  node->Deferred &= ~ndIndexesStale;
  if (node == root_ || node->Has(nsDeleting)) {
    node->Deferred &= ~ndCountStale;
    node->TotalCount = 1;
    SetTotalHeight(node, node->NodeHeight);
    if (node == root_) visibleCount_ = 0;
  } else {
    SetTotalCount(node, 1);
    AdjustTotalHeight(node, node->NodeHeight, false);
  }
  node->FirstChild = node->LastChild = nullptr;
  InvalidateCacheFrom(node);
  if (updateCount_ == 0) {
    StartCacheValidation();
    UpdateScrollBarsLater();
    if ((oldX != offsetX_ || oldY != offsetY_) && HandleAllocated()) Invalidate();
  }
  // The watch tells what the change's handler freed.
  (void)failure.Run(watch,
                    [&] { return StructureChange(node == root_ ? nullptr : node, TChangeReason::crChildDeleted); });
  return raise();
}

TRaised TBaseTree::FreeAllNodes() {
  // Children before parents, last sibling first: the order single deletions would free them in.
  ForgetShownNode();
  // An OnFreeNode that frees the tree ends the walk: the tree takes the blocks left along.
  const TNodeWatch tree(*this, nullptr);
  // No row keeps its cached position, so that no freed one is looked for there; the chunks go once at the end.
  InvalidateCache();
  // Each node leaves its parent's list before its handler runs: one that deletes nodes (or clears the tree again)
  // finds the links whole, and the walk goes on from what is left.
  TFirstFailure failure;
  PTreeNode node = root_->LastChild;
  while (node) {
    while (node->LastChild) node = node->LastChild;
    PTreeNode parent = node->Parent;
    PTreeNode previous = node->PrevSibling;
    if (previous) {
      previous->NextSibling = nullptr;
      parent->LastChild = previous;
    } else {
      parent->FirstChild = parent->LastChild = nullptr;
    }
    node->PrevSibling = nullptr;
    node->States |= nsDeleting;
    const std::uint64_t freedBefore = ++freedNodes_, linkedBefore = linkedNodes_;
    if (nodeWatches_ || (node->Deferred & ndListed)) EndNodeWatches(node);
    if (node == hotNode_) hotNode_ = nullptr;
    if (node->Has(nsInitialized) || node->Has(nsInitialUserData)) {
      if (failure.Run(tree, [&] { return DoFreeNode(node); }).Gone()) {
        failure.Raise();
        return TRaised(false);
      }
    }
    // The selection is emptied at the end; one a handler made meanwhile names no freed row to the handlers after.
    if (node->Has(nsSelected)) InternalRemoveFromSelection(node);
    ForgetNode(node);
    slab_.Free(node);
    // Rows a handler added or moved go too (the tree ends empty, each row with its OnFreeNode): the walk takes them
    // up from the last row left.
    if (freedNodes_ != freedBefore || linkedNodes_ != linkedBefore)
      node = root_->LastChild;
    else
      node = previous ? previous : parent == root_ ? nullptr : parent;
  }
  dropTargetNode_ = nullptr;
  dragSelection_.clear();
  lastChangedNode_ = lastStructureChangeNode_ = nullptr;
  root_->FirstChild = root_->LastChild = nullptr;
  root_->ChildCount = 0;
  root_->TotalCount = 1;
  root_->Deferred = 0;
  SetTotalHeight(root_, root_->NodeHeight);
  visibleCount_ = 0;
  selection_.clear();
  TrimSelectionRoom();
  sortedEntries_ = markedEntries_ = 0;
  selectionCount_ = 0;
  focusedNode_ = rangeAnchor_ = hotNode_ = dropTargetNode_ = lastSearchNode_ = checkNode_ = nullptr;
  if (editPendingNode_) ForgetPendingEdit();
  InvalidateCache();
  GiveBackFreeChunks();
  failure.Raise();
  return TRaised(true);
}

TRaised TBaseTree::Clear() {
  // A handler that raises does not keep the tree from emptying, nor the bracket from ending. One that frees the
  // tree (OnUpdating, OnEditCancelled, OnFreeNode) ends the clearing there; a tree being destroyed goes on to the
  // end, whatever its handlers did.
  const bool destroying = IsDestroying();
  const TLifeWatch life = LifeWatch();
  const auto gone = [&] { return !destroying && life.Ended(); };
  TFirstFailure failure;
  const auto raise = [&] {
    failure.Raise();
    return TRaised(false);
  };
  // An OnUpdating that raised opened no bracket: the tree empties without one, its events coming as they happen.
  if (failure.Run(life, [this] { return BeginUpdate(); }).Gone() && gone()) return raise();
  const bool bracketed = !failure.Failed();
  InterruptValidation();
  if (failure.Run(life, [this] { return CancelEditing(); }).Gone() && gone()) return raise();
  // What a pending cut or copy put on the clipboard stays there, rendered for good while its rows exist.
  if (HandOverClipboardBefore(root_).Gone() && gone()) return raise();
  if (failure.Run(life, [this] { return ClearSelection(); }).Gone() && gone()) return raise();
  focusedNode_ = hotNode_ = dropTargetNode_ = nullptr;
  bool hadChildren = root_->ChildCount > 0;
  // The whole store goes at once: every block is released with its chunk instead of one by one.
  if (failure.Run(life, [this] { return FreeAllNodes(); }).Gone() && gone()) return raise();
  // A copy left to render from the rows (one that emptied the tree while it rendered) has none left.
  CancelCutOrCopy();
  if (hadChildren &&
      failure.Run(life, [this] { return StructureChange(nullptr, TChangeReason::crChildDeleted); }).Gone() && gone())
    return raise();
  offsetX_ = offsetY_ = 0;
  const TRaised ended = bracketed ? failure.Run(life, [this] { return EndUpdate(); }) : TRaised(!life.Ended());
  failure.Raise();
  return ended;
}

TRaised TBaseTree::DeleteSelectedNodes() {
  return BulkWork(TTreeStates{}, [this] {
    // The last first; the handlers of a deletion (the frees) may delete nodes still to delete, or free the tree.
    TWatchedNodes nodes(*this);
    for (PTreeNode node : GetSortedSelection(true)) nodes.Add(node);
    for (std::size_t i = nodes.Size(); i-- > 0;)
      if (!nodes.Freed(i) && DeleteNode(nodes.Node(i)).Gone()) return false;
    return true;
  });
}

// ---- node properties

TNodeRaised TBaseTree::SetExpanded(PTreeNode node, bool value) {
  if (!node || node == root_ || value == node->Has(nsExpanded)) return TNodeRaised(true, true);
  return ToggleNode(node);
}

void TBaseTree::SetIsVisible(PTreeNode node, bool value) {
  if (!node || node == root_ || value == node->Has(nsVisible)) return;
  InterruptValidation();
  // A node that leaves the path is found on it before it goes, one that joins it after.
  if (!value) InvalidateCacheFrom(node);
  PTreeNode parent = node->Parent;
  bool parentShown = parent == root_ || (FullyVisible(parent) && parent->Has(nsExpanded));
  if (value) {
    node->States |= nsVisible;
    if (parent->Has(nsExpanded)) AdjustTotalHeight(parent, static_cast<std::int64_t>(TotalHeightOf(node)), true);
    if (parentShown) visibleCount_ += 1 + CountVisibleChildren(node);
  } else {
    if (parentShown) visibleCount_ -= 1 + CountVisibleChildren(node);
    if (parent->Has(nsExpanded)) AdjustTotalHeight(parent, -static_cast<std::int64_t>(TotalHeightOf(node)), true);
    node->States &= ~nsVisible;
    // The node leaves the path with everything below it; its parent stays where it was.
    if (parentShown)
      shownNode_ = parent;
    else
      ForgetShownNode();
  }
  if (value) InvalidateCacheFrom(node);
  if (updateCount_ == 0) {
    StartCacheValidation();
    UpdateScrollBarsLater();
    if (HandleAllocated()) Invalidate();
  }
}

void TBaseTree::SetNodeHeight(PTreeNode node, std::uint16_t value) {
  if (!node || node == root_ || value == node->NodeHeight) return;
  InterruptValidation();
  std::int64_t difference = static_cast<std::int64_t>(value) - node->NodeHeight;
  AdjustTotalHeight(node, difference, true);
  node->NodeHeight = value;
  InvalidateCacheFrom(node);
  if (updateCount_ == 0) {
    StartCacheValidation();
    UpdateScrollBarsLater();
    InvalidateToBottom(node);
  }
}

TNodeRaised TBaseTree::SetHasChildren(PTreeNode node, bool value) {
  if (!node || node == root_) return TNodeRaised(true, true);
  if (value) {
    node->States |= nsHasChildren;
  } else {
    node->States &= ~nsHasChildren;
    if (const TNodeRaised deleted = DeleteChildren(node, false); deleted.Gone()) return deleted;
  }
  InvalidateNode(node);
  return TNodeRaised(true, true);
}

// ---- check states

void TBaseTree::SetCheckType(PTreeNode node, TCheckType value) {
  if (!node || node == root_ || node->CheckType == value) return;
  node->CheckType = value;
  InvalidateNode(node);
}

TNodeRaised TBaseTree::SetCheckState(PTreeNode node, TCheckState value) {
  if (!node || node == root_ || node->CheckState == value || node->Has(nsDisabled)) return TNodeRaised(true, true);
  bool allowed = true;
  const TNodeRaised asked = DoChecking(node, value, allowed);
  if (asked.Gone() || !allowed) return asked;
  return DoCheckClick(node, value);
}

namespace {

bool IsCheckBox(PTreeNode node) {
  return node->CheckType == TCheckType::ctCheckBox || node->CheckType == TCheckType::ctTriStateCheckBox;
}

bool IsChecked(TCheckState state) {
  return state == TCheckState::csCheckedNormal || state == TCheckState::csCheckedPressed;
}

}  // namespace

bool TBaseTree::ChangeCheckState(PTreeNode node, TCheckState value) {
  // Each level up is one frame of a loop rather than of the stack, so that a check deep in a chain of tri-state
  // boxes cannot exhaust it. The levels are entered bottom-up (each parent asked, its boxes below set) and
  // finished top-down, each finished level reporting its change, as nested calls would.
  struct TLevel {
    PTreeNode Node;
    TCheckState Value;
    TCheckState Old;
    bool Refused;
  };
  const bool tracking = options_->AutoOptions().Contains(TTreeAutoOption::toAutoTristateTracking);
  // Every level is node or an ancestor of it: a handler that frees one of them frees node, and the rest of the
  // change goes with it. A handler that raises does not leave boxes marked as being checked: the change goes on
  // (a parent whose OnChecking raised refuses), and the first exception follows at its end.
  const TNodeWatch watch(*this, node);
  TFirstFailure failure;
  std::vector<TLevel> levels{{node, value, node->CheckState, false}};
  // The levels that outlive node leave the change, each taking the state its remaining boxes give it, the lower
  // ones first. They are the top ones, each still a child of the level above it: the topmost is watched, and each
  // one below is found among the children of the one above, so that no freed level is read.
  std::optional<TNodeWatch> topWatch;
  auto abandon = [&] {
    if (!topWatch || topWatch->Ended()) return false;
    std::size_t lowest = levels.size() - 1;
    while (lowest > 1) {
      PTreeNode child = levels[lowest].Node->FirstChild;
      while (child && child != levels[lowest - 1].Node) child = child->NextSibling;
      if (!child) break;
      --lowest;
    }
    for (std::size_t i = lowest; i < levels.size(); ++i) {
      PTreeNode level = levels[i].Node;
      level->States &= ~nsChecking;
      PTreeNode box = level->FirstChild;
      while (box && !IsCheckBox(box)) box = box->NextSibling;
      if (!box) continue;
      level->CheckState = ParentCheckState(box, box->CheckState);
      failure.Run([&] { InvalidateNode(level); });
    }
    failure.Raise();
    return false;
  };
  while (true) {
    TLevel& level = levels.back();
    PTreeNode current = level.Node;
    current->States |= nsChecking;
    const bool plain = level.Value == TCheckState::csUncheckedNormal || level.Value == TCheckState::csCheckedNormal;
    if (tracking && current->CheckType == TCheckType::ctTriStateCheckBox && plain) {
      while (!PassCheckStateDown(current, level.Value, failure))
        if (watch.Ended()) return abandon();
    } else if (current->CheckType == TCheckType::ctRadioButton && level.Value == TCheckState::csCheckedNormal) {
      // The siblings change first; the repaints, whose handlers may free nodes, follow.
      std::vector<PTreeNode> unchecked;
      for (PTreeNode sibling = current->Parent->FirstChild; sibling; sibling = sibling->NextSibling)
        if (sibling != current && sibling->CheckType == TCheckType::ctRadioButton) {
          sibling->CheckState = TCheckState::csUncheckedNormal;
          unchecked.push_back(sibling);
        }
      TWatchedNodes repainted(*this);
      for (PTreeNode sibling : unchecked) repainted.Add(sibling);
      for (std::size_t i = 0; i < repainted.Size() && !repainted.TreeGone(); ++i)
        if (!repainted.Freed(i)) failure.Run([&] { InvalidateNode(repainted.Node(i)); });
      if (watch.Ended()) return abandon();
    }
    PTreeNode parent = current->Parent;
    if (parent != root_ && !parent->Has(nsInitialized)) {
      failure.Run([&] { InitNode(parent); });
      if (watch.Ended()) return abandon();
    }
    const bool asksParent = tracking && parent != root_ && !parent->Has(nsDisabled) && !parent->Has(nsChecking) &&
                            IsCheckBox(current) && parent->CheckType == TCheckType::ctTriStateCheckBox;
    if (!asksParent) break;
    TCheckState parentState = ParentCheckState(current, level.Value);
    bool allowed = false;
    if (failure.Run(watch, [&] { return DoChecking(parent, parentState, allowed); }).Gone()) allowed = false;
    if (watch.Ended()) return abandon();
    if (!allowed) {
      level.Refused = true;
      break;
    }
    levels.push_back({parent, parentState, parent->CheckState, false});
    topWatch.emplace(*this, parent);
  }
  for (std::size_t i = levels.size(); i-- > 0;) {
    const TLevel& level = levels[i];
    if (!level.Refused) {
      level.Node->CheckState = level.Value;
      failure.Run([&] { InvalidateNode(level.Node); });
      if (watch.Ended()) return abandon();
    }
    level.Node->States &= ~nsChecking;
    // The first level's report belongs to its caller.
    if (i > 0 && level.Node->CheckState != level.Old) {
      if (failure.Run(watch, [&] { return DoChecked(level.Node); }).TreeGone() || watch.Ended()) return abandon();
    }
  }
  failure.Raise();
  return true;
}

bool TBaseTree::PassCheckStateDown(PTreeNode node, TCheckState value, TFirstFailure& failure) {
  // Pre-order over the boxes that take the value, with an explicit stack; each box is finished after the boxes
  // below it, as nested calls would finish it. The handlers of a box's parent's initialization may free boxes,
  // and whatever they raise is kept while the pass goes on. The rows are drawn again once, at the end: a row
  // invalidated on its own costs the platform a call, a million of them seconds.
  // A handler that frees any node may have freed a box the pass has still to visit: the pass starts again.
  auto finish = [this, value, &failure](PTreeNode box) {
    const TNodeWatch boxWatch(*this, box);
    const std::uint64_t freedBefore = freedNodes_;
    if (box->Parent != root_ && !box->Parent->Has(nsInitialized)) {
      failure.Run([&] { InitNode(box->Parent); });
      if (boxWatch.Ended()) return false;
    }
    box->CheckState = value;
    box->States &= ~nsChecking;
    return freedNodes_ == freedBefore;
  };
  struct TOpen {
    PTreeNode Box;
    PTreeNode Next;
  };
  std::vector<TOpen> open{{node, node->FirstChild}};
  while (!open.empty()) {
    PTreeNode child = open.back().Next;
    while (child && !(IsCheckBox(child) && child->CheckState != value && !child->Has(nsDisabled)))
      child = child->NextSibling;
    if (child) {
      open.back().Next = child->NextSibling;
      child->States |= nsChecking;
      if (child->CheckType == TCheckType::ctTriStateCheckBox)
        open.push_back({child, child->FirstChild});
      else if (!finish(child))
        return false;
      continue;
    }
    PTreeNode box = open.back().Box;
    open.pop_back();
    if (box != node && !finish(box)) return false;
  }
  InvalidateToBottom(node);
  return true;
}

TCheckState TBaseTree::ParentCheckState(PTreeNode node, TCheckState newState) const {
  // Outwards from the node in both directions, stopping as soon as the answer is known to be mixed: checking the
  // children of one parent one by one finds a differing neighbour at once instead of counting every sibling.
  bool anyChecked = IsChecked(newState);
  bool anyUnchecked = !anyChecked;
  bool anyMixed = newState == TCheckState::csMixedNormal;
  PTreeNode before = node->PrevSibling;
  PTreeNode after = node->NextSibling;
  while ((before || after) && !anyMixed && !(anyChecked && anyUnchecked)) {
    for (PTreeNode* side : {&before, &after}) {
      PTreeNode sibling = *side;
      if (!sibling) continue;
      *side = side == &before ? sibling->PrevSibling : sibling->NextSibling;
      if (!IsCheckBox(sibling)) continue;
      if (IsChecked(sibling->CheckState))
        anyChecked = true;
      else
        anyUnchecked = true;
      if (sibling->CheckState == TCheckState::csMixedNormal) anyMixed = true;
    }
  }
  if (anyMixed || (anyChecked && anyUnchecked)) return TCheckState::csMixedNormal;
  return anyChecked ? TCheckState::csCheckedNormal : TCheckState::csUncheckedNormal;
}

// ---- moving

TNodeRaised TBaseTree::MoveTo(PTreeNode source, PTreeNode target, TTreeNodeAttachMode mode, bool childrenOnly) {
  // A node being freed goes where it is, and one being freed takes no children: they would go unfreed with it.
  if (mode == TTreeNodeAttachMode::amNoWhere || !source || source == root_ || target == source ||
      source->Has(nsDeleting) || (target && target->Has(nsDeleting)))
    return TNodeRaised(true, true);
  TBaseTree* targetTree = this;
  if (!target) {
    target = root_;
    mode = TTreeNodeAttachMode::amAddChildFirst;
  } else {
    targetTree = TreeOfNode(target);
  }
  if (target == targetTree->root_) {
    if (mode == TTreeNodeAttachMode::amInsertBefore) mode = TTreeNodeAttachMode::amAddChildFirst;
    if (mode == TTreeNodeAttachMode::amInsertAfter) mode = TTreeNodeAttachMode::amAddChildLast;
  }
  // The handlers may delete the nodes, their parents or every node: the move ends with the nodes it needs, and at
  // once with the tree.
  const TNodeWatch sourceWatch(*this, source), targetWatch(*targetTree, target);
  const auto answer = [&] { return TNodeRaised(sourceWatch); };
  bool allowed = true;
  if (DoNodeMoving(source, target == targetTree->root_ ? nullptr : target, allowed).Gone() || !allowed ||
      targetWatch.Ended())
    return answer();
  if (targetTree != this) {
    PTreeNode parent = childrenOnly ? source : source->Parent;
    const TNodeWatch parentWatch(*this, parent);
    std::vector<PTreeNode> nodes;
    if (!childrenOnly) {
      nodes.push_back(source);
    } else {
      for (PTreeNode child = source->FirstChild; child; child = child->NextSibling) nodes.push_back(child);
    }
    const bool moved = MoveToOtherTree(nodes, childrenOnly ? source : nullptr, target, targetTree, mode);
    // The moved node is gone from this tree; its old parent is what changed here.
    if (!moved || sourceWatch.TreeGone()) return answer();
    return FinishMove(parent == root_ || parentWatch.Ended() ? nullptr : parent).Gone() ? TNodeRaised(false, false)
                                                                                        : answer();
  }
  if (HasAsParent(target, source)) RaiseTreeError(teMoveIntoOwnSubtree);
  InterruptValidation();
  // False when OnNodeMoved freed the node, or the node the next one goes to.
  auto moveOne = [&](PTreeNode node) {
    // Kept in focus, the node raises nothing as it leaves its place.
    if (InternalDisconnectNode(node, true).Gone()) return false;
    InternalConnectNode(node, target, this, mode);
    if (DoNodeMoved(node).Gone() || targetWatch.Ended()) return false;
    // Several nodes keep their document order: each one after follows the one moved before it.
    if (mode == TTreeNodeAttachMode::amInsertAfter || mode == TTreeNodeAttachMode::amAddChildFirst) {
      target = node;
      mode = TTreeNodeAttachMode::amInsertAfter;
    }
    return true;
  };
  if (childrenOnly) {
    for (PTreeNode child = source->FirstChild; child;) {
      PTreeNode next = child->NextSibling;
      const TNodeWatch nextWatch(*this, next);
      if (!moveOne(child) || nextWatch.Ended()) break;
      child = next;
    }
  } else {
    moveOne(source);
  }
  if (sourceWatch.TreeGone()) return answer();
  return FinishMove(sourceWatch.Ended() ? nullptr : source).Gone() ? TNodeRaised(false, false) : answer();
}

TRaised TBaseTree::FinishMove(PTreeNode changed) {
  InvalidateCache();
  if (updateCount_ == 0) {
    StartCacheValidation();
    UpdateScrollBarsLater();
    if (HandleAllocated()) Invalidate();
  }
  // The structure change is the move's last news; what its handler frees, the caller learns.
  return StructureChange(changed, TChangeReason::crNodeMoved);
}

}  // namespace tree
