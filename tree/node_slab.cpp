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

bool guardFreedBlocks = false;

}  // namespace

TNodeSlab::TNodeSlab() : guarded_(guardFreedBlocks) {}

void TNodeSlab::SetGuardFreedBlocks(bool on) { guardFreedBlocks = on; }

void TNodeSlab::SetBlockSize(std::size_t size) {
  size = AlignNodeArea(size < sizeof(TFreeBlock) ? sizeof(TFreeBlock) : size);
  if (size == blockSize_) return;
  Reset();
  blockSize_ = size;
}

void* TNodeSlab::Allocate() {
  if (guarded_) return AllocateGuarded();
  ++inUse_;
  if (freeList_) {
    TFreeBlock* block = freeList_;
    freeList_ = block->Next;
    std::memset(block, 0, blockSize_);
    return block;
  }
  if (static_cast<std::size_t>(end_ - next_) < blockSize_) {
    std::size_t size = blockSize_ > ChunkSize ? blockSize_ : ChunkSize;
    void* chunk = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!chunk) {
      --inUse_;
      throw std::bad_alloc();
    }
    chunks_.insert(std::upper_bound(chunks_.begin(), chunks_.end(), static_cast<char*>(chunk)),
                   static_cast<char*>(chunk));
    next_ = static_cast<char*>(chunk);
    end_ = next_ + size;
  }
  void* block = next_;
  next_ += blockSize_;
  return block;
}

void* TNodeSlab::AllocateGuarded() {
  void* block = VirtualAlloc(nullptr, blockSize_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!block) throw std::bad_alloc();
  guardedInUse_.insert(block);
  ++inUse_;
  return block;
}

void TNodeSlab::Free(void* block) {
  if (!block) return;
  if (guarded_) {
    // Decommitted, the pages stay reserved: no later block takes the address, and every touch faults.
    guardedInUse_.erase(block);
    VirtualFree(block, 0, MEM_DECOMMIT);
    --inUse_;
    return;
  }
  auto* freed = static_cast<TFreeBlock*>(block);
  freed->Next = freeList_;
  freeList_ = freed;
  --inUse_;
}

bool TNodeSlab::Holds(const void* block) const {
  if (guarded_) return guardedInUse_.count(const_cast<void*>(block)) != 0;
  const auto* address = static_cast<const char*>(block);
  auto after = std::upper_bound(chunks_.begin(), chunks_.end(), address, std::less<const char*>());
  if (after == chunks_.begin()) return false;
  const char* chunk = *(after - 1);
  return address < chunk + std::max(blockSize_, ChunkSize);
}

void TNodeSlab::Reset() {
  for (void* block : guardedInUse_) VirtualFree(block, 0, MEM_DECOMMIT);
  guardedInUse_.clear();
  for (void* chunk : chunks_) VirtualFree(chunk, 0, MEM_RELEASE);
  chunks_.clear();
  next_ = end_ = nullptr;
  freeList_ = nullptr;
  inUse_ = 0;
}

}  // namespace tree
