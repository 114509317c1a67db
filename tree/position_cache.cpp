// The position cache of TBaseTree: nodes of the visible path, a few links apart, with the tops of their rows,
// built on the shared worker thread into private arrays and published under a lock, so that a look-up by
// position or by node is a binary search plus a short walk.
#include <algorithm>
#include <functional>
#include <iterator>

#include "tree/base_tree.h"
#include "tree/worker_thread.h"

namespace tree {

namespace {

class TSharedCacheLock {
 public:
  explicit TSharedCacheLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockShared(&lock_); }
  ~TSharedCacheLock() { ReleaseSRWLockShared(&lock_); }
  TSharedCacheLock(const TSharedCacheLock&) = delete;
  TSharedCacheLock& operator=(const TSharedCacheLock&) = delete;

 private:
  SRWLOCK& lock_;
};

// How many of the first kept entries of the cache lie above top.
std::uint32_t EntriesAbove(const std::vector<TCacheEntry>& cache, std::uint32_t kept, std::uint64_t top) {
  auto first = std::lower_bound(cache.begin(), cache.begin() + kept, top,
                                [](const TCacheEntry& e, std::uint64_t p) { return e.AbsoluteTop < p; });
  return static_cast<std::uint32_t>(first - cache.begin());
}

}  // namespace

void TBaseTree::InterruptValidation() {
  if (!(cacheFlags_ & (cfQueued | cfValidating))) return;
  TWorkerThread* worker = WorkerThread();
  if (worker && worker->InterruptTree(this)) cacheFlags_ |= cfValidationNeeded;
}

void TBaseTree::HoldValidation() {
  if (!(cacheFlags_ & (cfQueued | cfValidating))) return;
  TWorkerThread* worker = WorkerThread();
  if (worker && worker->HoldTree(this)) cacheFlags_ |= cfValidationNeeded;
}

// A handler raised in the middle of a change may have started a build (by a change of its own that ended in
// StartCacheValidation): it stops before the rest of the change moves rows under it.
void TBaseTree::InvalidateCache() {
  HoldValidation();
  keptCacheEntries_ = 0;
  cacheFlags_ = (cacheFlags_ | cfValidationNeeded) & ~cfUseCache;
}

void TBaseTree::InvalidateCacheFrom(PTreeNode node) {
  HoldValidation();
  std::uint32_t kept = keptCacheEntries_;
  // Finding a change's row costs a few look-ups. The changes of an update bracket, and a run of changes faster
  // than the worker builds, are served by one build from the start instead of paying them each time.
  if (!node || node == root_ || states_.Contains(TTreeState::stUpdating) ||
      narrowedChanges_ >= NarrowedChangesPerBuild) {
    kept = 0;
  } else if (kept > 0 && FullyVisible(node)) {
    ++narrowedChanges_;
    // The rows above node keep their tops, and so do the entries above node's top. That top is found as
    // GetNodeTop finds it, back along the path to the nearest entry still kept; a node farther than the spacing
    // of the cache from every kept entry lies after all of them.
    const std::uint64_t limit = kept < positionCache_.size() ? positionCache_[kept].AbsoluteTop : UINT64_MAX;
    std::uint64_t rows = 0;
    PTreeNode run = node;
    for (std::uint32_t steps = 0; run && steps <= 2 * CacheSpacing; ++steps) {
      std::uint64_t top = 0;
      if (FindCachedTop(run, top) && top < limit) {
        kept = EntriesAbove(positionCache_, kept, top + rows);
        break;
      }
      run = PreviousOnVisiblePath(run);
      if (run) rows += run->NodeHeight;
    }
    // Back at the start without a kept entry: node is the first row now.
    if (!run) kept = 0;
  }
  keptCacheEntries_ = kept;
  cacheFlags_ = (cacheFlags_ | cfValidationNeeded) & ~cfUseCache;
}

// A row that goes leaves the kept entries: from its entry on they are no longer kept, so that no build begins
// after a freed row. A deletion cuts the cache as it begins, but a handler it raises may have a build made
// meanwhile, over rows the deletion goes on to free.
void TBaseTree::ForgetCachedNode(PTreeNode node) {
  HoldValidation();
  const std::uint32_t kept = std::min<std::uint32_t>(keptCacheEntries_, positionCache_.size());
  std::uint64_t top = 0;
  if (kept == 0 || !FindCachedTop(node, top)) return;
  keptCacheEntries_ = EntriesAbove(positionCache_, kept, top);
  cacheFlags_ = (cacheFlags_ | cfValidationNeeded) & ~cfUseCache;
}

void TBaseTree::StartCacheValidation() {
  InterruptValidation();
  if (!(cacheFlags_ & cfValidationNeeded)) return;
  TWorkerThread* worker = WorkerThread();
  if (visibleCount_ <= CacheThreshold || !worker) {
    // Too few rows to need a cache: look-ups walk from the first visible node.
    AcquireSRWLockExclusive(&cacheLock_);
    positionCache_.clear();
    cacheByNode_.clear();
    keptCacheEntries_ = 0;
    ReleaseSRWLockExclusive(&cacheLock_);
    cacheFlags_ &= ~(cfValidationNeeded | cfUseCache);
    return;
  }
  worker->AddTree(this);
  worker->Signal();
}

void TBaseTree::ValidateCache() {
  // Only this thread writes the cache while it builds, so it reads the published one without the lock. The
  // entries no change has moved stay; the walk goes on after the last of them.
  const std::uint32_t kept =
      visibleCount_ > CacheThreshold ? std::min<std::uint32_t>(keptCacheEntries_, positionCache_.size()) : 0;
  std::vector<TCacheEntry> added;
  if (visibleCount_ > CacheThreshold) {
    if (kept == 0) added.reserve(visibleCount_ / CacheSpacing + 2);
    // Links followed since the last entry: a climb out of a deep subtree or a run of hidden siblings counts as
    // much as rows do, since the look-ups follow the same links.
    std::uint32_t moves = CacheSpacing;
    std::uint64_t top = 0;
    PTreeNode node = GetFirstVisibleNoInit();
    if (kept > 0) {
      const TCacheEntry& last = positionCache_[kept - 1];
      moves = 0;
      top = last.AbsoluteTop + last.Node->NodeHeight;
      node = NextOnVisiblePath(last.Node, root_, moves);
    }
    for (; node; node = NextOnVisiblePath(node, root_, moves)) {
      if (cacheFlags_ & cfStopValidation) return;
      if (moves >= CacheSpacing) {
        added.push_back({node, top});
        moves = 0;
      }
      top += node->NodeHeight;
    }
  }
  if (cacheFlags_ & cfStopValidation) return;
  auto byAddress = [](const TCacheEntry& a, const TCacheEntry& b) { return std::less<PTreeNode>()(a.Node, b.Node); };
  std::vector<TCacheEntry> keptByNode;
  if (kept > 0) {
    keptByNode.reserve(kept);
    const std::uint64_t lastKeptTop = positionCache_[kept - 1].AbsoluteTop;
    std::copy_if(cacheByNode_.begin(), cacheByNode_.end(), std::back_inserter(keptByNode),
                 [lastKeptTop](const TCacheEntry& e) { return e.AbsoluteTop <= lastKeptTop; });
  }
  std::vector<TCacheEntry> addedByNode = added;
  std::sort(addedByNode.begin(), addedByNode.end(), byAddress);
  std::vector<TCacheEntry> byNode(keptByNode.size() + addedByNode.size());
  std::merge(keptByNode.begin(), keptByNode.end(), addedByNode.begin(), addedByNode.end(), byNode.begin(), byAddress);
  AcquireSRWLockExclusive(&cacheLock_);
  positionCache_.resize(kept);
  positionCache_.insert(positionCache_.end(), added.begin(), added.end());
  cacheByNode_.swap(byNode);
  keptCacheEntries_ = static_cast<std::uint32_t>(positionCache_.size());
  narrowedChanges_ = 0;
  cacheFlags_ = (cacheFlags_ | cfUseCache) & ~cfValidationNeeded;
  ReleaseSRWLockExclusive(&cacheLock_);
}

bool TBaseTree::FindInPositionCache(std::uint64_t position, PTreeNode& node, std::uint64_t& top) {
  TSharedCacheLock guard(cacheLock_);
  auto after = std::upper_bound(positionCache_.begin(), positionCache_.end(), position,
                                [](std::uint64_t p, const TCacheEntry& e) { return p < e.AbsoluteTop; });
  if (after == positionCache_.begin()) return false;
  node = (after - 1)->Node;
  top = (after - 1)->AbsoluteTop;
  return true;
}

bool TBaseTree::FindCachedTop(PTreeNode node, std::uint64_t& top) {
  TSharedCacheLock guard(cacheLock_);
  auto at = std::lower_bound(cacheByNode_.begin(), cacheByNode_.end(), node,
                             [](const TCacheEntry& e, PTreeNode n) { return std::less<PTreeNode>()(e.Node, n); });
  if (at == cacheByNode_.end() || at->Node != node) return false;
  top = at->AbsoluteTop;
  return true;
}

PTreeNode TBaseTree::GetNodeAt(int x, int y) {
  int top = 0;
  return GetNodeAt(x, y, true, top);
}

PTreeNode TBaseTree::GetNodeAt(int x, int y, bool relative, int& nodeTop) {
  (void)x;
  if (y < 0) y = 0;
  TTreePosition top = 0;
  PTreeNode node = GetNodeAtPosition(relative ? y - offsetY_ : y, top);
  nodeTop = node ? static_cast<int>(top + (relative ? offsetY_ : 0)) : 0;
  return node;
}

PTreeNode TBaseTree::GetNodeAtPosition(TTreePosition absolute, TTreePosition& nodeTop) {
  nodeTop = 0;
  if (absolute < 0) return nullptr;
  RefreshTotalHeights();
  auto position = static_cast<std::uint64_t>(absolute);
  // Below the last row: nothing to find, and no climb out of a deep last subtree.
  if (position >= TotalHeightOf(root_) - root_->NodeHeight) return nullptr;
  PTreeNode node = nullptr;
  std::uint64_t top = 0;
  if (!(cacheFlags_ & cfUseCache) || !FindInPositionCache(position, node, top)) {
    node = GetFirstVisibleNoInit();
    top = 0;
  }
  while (node) {
    bool visible = node->Has(nsVisible);
    if (!visible || top + TotalHeightOf(node) <= position) {
      if (visible) top += TotalHeightOf(node);
      while (node != root_ && !node->NextSibling) node = node->Parent;
      if (node == root_) return nullptr;
      node = node->NextSibling;
      continue;
    }
    if (position < top + node->NodeHeight || !node->FirstChild || !node->Has(nsExpanded)) {
      nodeTop = static_cast<TTreePosition>(top);
      return node;
    }
    top += node->NodeHeight;
    node = node->FirstChild;
  }
  return nullptr;
}

bool TBaseTree::FindKeptTop(PTreeNode node, std::uint64_t& top) {
  std::uint64_t rows = 0;
  PTreeNode run = node;
  for (std::uint32_t steps = 0; run && steps <= 2 * CacheSpacing; ++steps) {
    {
      TSharedCacheLock guard(cacheLock_);
      const std::uint32_t kept = std::min<std::uint32_t>(keptCacheEntries_, positionCache_.size());
      auto at = std::lower_bound(cacheByNode_.begin(), cacheByNode_.end(), run,
                                 [](const TCacheEntry& e, PTreeNode n) { return std::less<PTreeNode>()(e.Node, n); });
      if (kept > 0 && at != cacheByNode_.end() && at->Node == run &&
          at->AbsoluteTop <= positionCache_[kept - 1].AbsoluteTop) {
        top = at->AbsoluteTop + rows;
        return true;
      }
    }
    run = PreviousOnVisiblePath(run);
    if (run) rows += run->NodeHeight;
  }
  // Back at the start: node is among the first rows.
  top = rows;
  return !run;
}

bool TBaseTree::RowFoundQuickly(PTreeNode node) {
  std::uint64_t top = 0;
  return (cacheFlags_ & cfUseCache) || visibleCount_ <= CacheThreshold || FindKeptTop(node, top);
}

TTreePosition TBaseTree::GetNodeTop(PTreeNode node) {
  if (!node || node == root_ || !FullyVisible(node)) return -1;
  RefreshTotalHeights();
  std::uint64_t top = 0;
  // The rows above a change keep their tops while the cache is built again.
  if (!(cacheFlags_ & cfUseCache) && keptCacheEntries_ > 0 && FindKeptTop(node, top))
    return static_cast<TTreePosition>(top);
  if (cacheFlags_ & cfUseCache) {
    // Back along the visible path to the nearest cached row: never more than the spacing of the cache away.
    std::uint64_t rows = 0;
    for (PTreeNode run = node; run;) {
      if (FindCachedTop(run, top)) return static_cast<TTreePosition>(top + rows);
      run = PreviousOnVisiblePath(run);
      if (run) rows += run->NodeHeight;
    }
    return static_cast<TTreePosition>(rows);
  }
  // Down the path: each ancestor's row plus the shown heights of the siblings before each step.
  for (PTreeNode step = node; step != root_; step = step->Parent) {
    for (PTreeNode sibling = step->PrevSibling; sibling; sibling = sibling->PrevSibling)
      if (sibling->Has(nsVisible)) top += TotalHeightOf(sibling);
    if (step->Parent != root_) top += step->Parent->NodeHeight;
  }
  return top;
}

}  // namespace tree
