// The position cache of TBaseTree: every CacheThreshold-th node of the visible path with the top of its row,
// built on the shared worker thread into a private array and published under a lock, so that a look-up by
// position is a binary search plus a short walk.
#include <algorithm>

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
  std::uint32_t visible = visibleCount_;
  if (visible > CacheThreshold) {
    cache.reserve((visible + CacheThreshold - 1) / CacheThreshold + 1);
    std::uint32_t top = 0, index = 0;
    PTreeNode last = nullptr;
    std::uint32_t lastTop = 0;
    for (PTreeNode node = GetFirstVisibleNoInit(); node; node = GetNextVisibleNoInit(node)) {
      if (cacheFlags_ & cfStopValidation) return;
      if (index++ % CacheThreshold == 0) cache.push_back({node, top});
      last = node;
      lastTop = top;
      top += node->NodeHeight;
    }
    if (last && cache.back().Node != last) cache.push_back({last, lastTop});
  }
  if (cacheFlags_ & cfStopValidation) return;
  AcquireSRWLockExclusive(&cacheLock_);
  positionCache_.swap(cache);
  cacheFlags_ = (cacheFlags_ | cfUseCache) & ~cfValidationNeeded;
  ReleaseSRWLockExclusive(&cacheLock_);
}

bool TBaseTree::FindInPositionCache(std::uint32_t position, PTreeNode& node, std::uint32_t& top) {
  TSharedCacheLock guard(cacheLock_);
  auto after = std::upper_bound(positionCache_.begin(), positionCache_.end(), position,
                                [](std::uint32_t p, const TCacheEntry& e) { return p < e.AbsoluteTop; });
  if (after == positionCache_.begin()) return false;
  node = (after - 1)->Node;
  top = (after - 1)->AbsoluteTop;
  return true;
}

bool TBaseTree::FindInPositionCache(PTreeNode node, PTreeNode& entry, std::uint32_t& top) {
  TSharedCacheLock guard(cacheLock_);
  auto after =
      std::upper_bound(positionCache_.begin(), positionCache_.end(), node,
                       [this](PTreeNode n, const TCacheEntry& e) { return CompareNodePositions(n, e.Node) < 0; });
  if (after == positionCache_.begin()) return false;
  entry = (after - 1)->Node;
  top = (after - 1)->AbsoluteTop;
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
  // Totals stop at 2^32 - 1, so every row starts below that.
  if (absolute < 0 || absolute > static_cast<TTreePosition>(UINT32_MAX)) return nullptr;
  PTreeNode node = nullptr;
  std::uint32_t cachedTop = 0;
  TTreePosition top = 0;
  if ((cacheFlags_ & cfUseCache) && FindInPositionCache(static_cast<std::uint32_t>(absolute), node, cachedTop))
    top = cachedTop;
  else
    node = GetFirstVisibleNoInit();
  while (node) {
    bool visible = node->Has(nsVisible);
    if (!visible || top + node->TotalHeight <= absolute) {
      if (visible) top += node->TotalHeight;
      while (node != root_ && !node->NextSibling) node = node->Parent;
      if (node == root_) return nullptr;
      node = node->NextSibling;
      continue;
    }
    if (absolute < top + node->NodeHeight || !node->FirstChild || !node->Has(nsExpanded)) {
      nodeTop = top;
      return node;
    }
    top += node->NodeHeight;
    node = node->FirstChild;
  }
  return nullptr;
}

TTreePosition TBaseTree::GetNodeTop(PTreeNode node) {
  if (!node || node == root_ || !FullyVisible(node)) return -1;
  PTreeNode run = nullptr;
  std::uint32_t cachedTop = 0;
  TTreePosition top = 0;
  if ((cacheFlags_ & cfUseCache) && FindInPositionCache(node, run, cachedTop)) {
    top = cachedTop;
    // Forward from the cache entry, skipping every subtree that does not hold the node.
    while (run != node) {
      if (HasAsParent(node, run)) {
        top += run->NodeHeight;
        run = run->FirstChild;
      } else {
        if (run->Has(nsVisible)) top += run->TotalHeight;
        while (run != root_ && !run->NextSibling) run = run->Parent;
        if (run == root_) return -1;
        run = run->NextSibling;
      }
    }
    return top;
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
