// The position cache of TBaseTree: nodes of the visible path, a few links apart, with the tops of their rows,
// built on the shared worker thread into private arrays and published under a lock, so that a look-up by
// position or by node is a binary search plus a short walk.
#include <algorithm>
#include <functional>

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

}  // namespace

void TBaseTree::InterruptValidation() {
  if (!(cacheFlags_ & (cfQueued | cfValidating))) return;
  TWorkerThread* worker = WorkerThread();
  if (worker && worker->InterruptTree(this)) cacheFlags_ |= cfValidationNeeded;
}

void TBaseTree::InvalidateCache() { cacheFlags_ = (cacheFlags_ | cfValidationNeeded) & ~cfUseCache; }

void TBaseTree::StartCacheValidation() {
  InterruptValidation();
  cacheStartIndex_ = 0;
  if (!(cacheFlags_ & cfValidationNeeded)) return;
  TWorkerThread* worker = WorkerThread();
  if (visibleCount_ <= CacheThreshold || !worker) {
    // Too few rows to need a cache: look-ups walk from the first visible node.
    AcquireSRWLockExclusive(&cacheLock_);
    positionCache_.clear();
    ReleaseSRWLockExclusive(&cacheLock_);
    cacheFlags_ &= ~(cfValidationNeeded | cfUseCache);
    return;
  }
  worker->AddTree(this);
  worker->Signal();
}

void TBaseTree::ValidateCache() {
  std::vector<TCacheEntry> cache;
  if (visibleCount_ > CacheThreshold) {
    cache.reserve(visibleCount_ / CacheSpacing + 2);
    std::uint64_t top = 0;
    // Links followed since the last entry: a climb out of a deep subtree or a run of hidden siblings counts as
    // much as rows do, since the look-ups follow the same links.
    std::uint32_t moves = CacheSpacing;
    for (PTreeNode node = GetFirstVisibleNoInit(); node; node = NextOnVisiblePath(node, root_, moves)) {
      if (cacheFlags_ & cfStopValidation) return;
      if (moves >= CacheSpacing) {
        cache.push_back({node, top});
        moves = 0;
      }
      top += node->NodeHeight;
    }
  }
  if (cacheFlags_ & cfStopValidation) return;
  std::vector<TCacheEntry> byNode = cache;
  std::sort(byNode.begin(), byNode.end(), [](const TCacheEntry& a, const TCacheEntry& b) {
    return std::less<PTreeNode>()(a.Node, b.Node);
  });
  AcquireSRWLockExclusive(&cacheLock_);
  positionCache_.swap(cache);
  cacheByNode_.swap(byNode);
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
  auto at = std::lower_bound(cacheByNode_.begin(), cacheByNode_.end(), node, [](const TCacheEntry& e, PTreeNode n) {
    return std::less<PTreeNode>()(e.Node, n);
  });
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
  if (position >= static_cast<std::uint64_t>(root_->TotalHeight) - root_->NodeHeight) return nullptr;
  PTreeNode node = nullptr;
  std::uint64_t top = 0;
  if (!(cacheFlags_ & cfUseCache) || !FindInPositionCache(position, node, top)) {
    node = GetFirstVisibleNoInit();
    top = 0;
  }
  while (node) {
    bool visible = node->Has(nsVisible);
    if (!visible || top + node->TotalHeight <= position) {
      if (visible) top += node->TotalHeight;
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

TTreePosition TBaseTree::GetNodeTop(PTreeNode node) {
  if (!node || node == root_ || !FullyVisible(node)) return -1;
  RefreshTotalHeights();
  std::uint64_t top = 0;
  if (cacheFlags_ & cfUseCache) {
    // Back along the visible path to the nearest cached row: never more than the spacing of the cache away.
    std::uint64_t rows = 0;
    for (PTreeNode run = node; run; ) {
      if (FindCachedTop(run, top)) return static_cast<TTreePosition>(top + rows);
      run = PreviousOnVisiblePath(run);
      if (run) rows += run->NodeHeight;
    }
    return static_cast<TTreePosition>(rows);
  }
  // Down the path: each ancestor's row plus the shown heights of the siblings before each step.
  for (PTreeNode step = node; step != root_; step = step->Parent) {
    for (PTreeNode sibling = step->PrevSibling; sibling; sibling = sibling->PrevSibling)
      if (sibling->Has(nsVisible)) top += sibling->TotalHeight;
    if (step->Parent != root_) top += step->Parent->NodeHeight;
  }
  return top;
}

}  // namespace tree
