#include "tree/node_slab.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "tree/tree_node.h"

namespace tree {

namespace {

// Large enough that a million nodes need few chunks, small enough that a small tree wastes little.
constexpr std::size_t ChunkSize = 1u << 20;
// The address room a guarding slab reserves at a time: a page for each of thousands of blocks.
constexpr std::size_t GuardedChunkSize = 1u << 24;

bool guardFreedBlocks = false;

std::size_t WholePages(std::size_t size) {
  static const std::size_t page = [] {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return static_cast<std::size_t>(info.dwPageSize);
  }();
  return (size + page - 1) / page * page;
}

}  // namespace

TNodeSlab::TNodeSlab() : guarded_(guardFreedBlocks) {}

void TNodeSlab::SetGuardFreedBlocks(bool on) { guardFreedBlocks = on; }

void TNodeSlab::SetBlockSize(std::size_t size) {
  size = AlignNodeArea(size < sizeof(TFreeBlock) ? sizeof(TFreeBlock) : size);
  if (size == blockSize_) return;
  Reset();
  blockSize_ = size;
}

std::size_t TNodeSlab::Step() const {
  // A guarded block has pages of its own, taken back when it is freed.
  return guarded_ ? WholePages(blockSize_) : blockSize_;
}

void* TNodeSlab::Allocate() {
  if (freeList_) {
    TFreeBlock* block = freeList_;
    freeList_ = block->Next;
    std::memset(block, 0, blockSize_);
    ++inUse_;
    --free_;
    return block;
  }
  const std::size_t step = Step();
  if (static_cast<std::size_t>(end_ - next_) < step) {
    const std::size_t size = std::max(step, guarded_ ? GuardedChunkSize : ChunkSize);
    void* chunk = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!chunk) throw std::bad_alloc();
    const TChunk added{static_cast<char*>(chunk), size};
    chunks_.insert(std::upper_bound(chunks_.begin(), chunks_.end(), added,
                                    [](const TChunk& a, const TChunk& b) { return std::less<>()(a.Start, b.Start); }),
                   added);
    next_ = added.Start;
    end_ = next_ + size;
  }
  void* block = next_;
  next_ += step;
  ++inUse_;
  return block;
}

void TNodeSlab::Free(void* block) {
  if (!block) return;
  --inUse_;
  if (guarded_) {
    // The pages stay reserved: no later block takes the address, and every touch faults.
    VirtualFree(block, WholePages(blockSize_), MEM_DECOMMIT);
    return;
  }
  auto* freed = static_cast<TFreeBlock*>(block);
  freed->Next = freeList_;
  freeList_ = freed;
  ++free_;
  ++freedSinceGiven_;
}

bool TNodeSlab::CanGiveBack() const {
  if (guarded_ || chunks_.empty()) return false;
  if (inUse_ == 0) return true;
  // Three quarters of the blocks free, a quarter of them freed since the last pass.
  const std::size_t carved = inUse_ + free_;
  return free_ * 4 >= carved * 3 && freedSinceGiven_ * 4 >= carved && chunks_.size() > 1;
}

std::size_t TNodeSlab::ChunkOf(const void* block) const {
  const auto* address = static_cast<const char*>(block);
  auto after = std::upper_bound(chunks_.begin(), chunks_.end(), address,
                                [](const char* a, const TChunk& chunk) { return std::less<>()(a, chunk.Start); });
  return static_cast<std::size_t>(after - chunks_.begin()) - 1;
}

void TNodeSlab::GiveBack() {
  freedSinceGiven_ = 0;
  if (guarded_) return;
  if (inUse_ == 0) {
    Reset();
    return;
  }
  // The free list holds the blocks in the order they were freed, which is mostly chunk by chunk: the chunk of the
  // block before is looked at first, where a search of all chunks for each of a million blocks made the pass cost
  // more per block the more chunks there were.
  std::size_t lastChunk = 0;
  const auto chunkOf = [&](const void* block) {
    const TChunk& last = chunks_[lastChunk];
    const auto* address = static_cast<const char*>(block);
    if (!std::less<>()(address, last.Start) && std::less<>()(address, last.Start + last.Size)) return lastChunk;
    lastChunk = ChunkOf(block);
    return lastChunk;
  };
  // A chunk goes when as many of its blocks are free as were cut from it.
  std::vector<std::size_t> freeIn(chunks_.size(), 0);
  for (TFreeBlock* block = freeList_; block; block = block->Next) ++freeIn[chunkOf(block)];
  const std::size_t step = Step();
  std::vector<bool> goes(chunks_.size(), false);
  bool any = false;
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    const TChunk& chunk = chunks_[i];
    const bool newest = end_ && chunk.Start + chunk.Size == end_;
    const std::size_t cut = (newest ? static_cast<std::size_t>(next_ - chunk.Start) : chunk.Size) / step;
    goes[i] = cut > 0 && freeIn[i] == cut;
    any = any || goes[i];
    if (goes[i] && newest) next_ = end_ = nullptr;
  }
  if (!any) return;
  TFreeBlock** link = &freeList_;
  while (*link) {
    if (goes[chunkOf(*link)]) {
      *link = (*link)->Next;
      --free_;
    } else {
      link = &(*link)->Next;
    }
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    if (goes[i])
      VirtualFree(chunks_[i].Start, 0, MEM_RELEASE);
    else
      chunks_[kept++] = chunks_[i];
  }
  chunks_.resize(kept);
}

bool TNodeSlab::Holds(const void* block) const {
  const auto* address = static_cast<const char*>(block);
  auto after = std::upper_bound(chunks_.begin(), chunks_.end(), address,
                                [](const char* a, const TChunk& chunk) { return std::less<>()(a, chunk.Start); });
  if (after == chunks_.begin()) return false;
  const TChunk& chunk = *(after - 1);
  return std::less<>()(address, chunk.Start + chunk.Size);
}

void TNodeSlab::Reset() {
  freeList_ = nullptr;
  inUse_ = free_ = freedSinceGiven_ = 0;
  // A guarding slab keeps its address room until it goes, so that no block of its own takes a freed one's place:
  // the next block comes from new room.
  if (guarded_) {
    for (const TChunk& chunk : chunks_) VirtualFree(chunk.Start, chunk.Size, MEM_DECOMMIT);
    next_ = end_ = nullptr;
    return;
  }
  ReleaseChunks();
}

void TNodeSlab::ReleaseChunks() {
  for (const TChunk& chunk : chunks_) VirtualFree(chunk.Start, 0, MEM_RELEASE);
  chunks_.clear();
  next_ = end_ = nullptr;
}

}  // namespace tree
