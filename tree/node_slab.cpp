#include "tree/node_slab.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "tree/tree_node.h"

namespace tree {

namespace {

// Large enough that a million nodes need few chunks, small enough that a small tree wastes little.
constexpr std::size_t ChunkSize = 1u << 20;

}  // namespace

void TNodeSlab::SetBlockSize(std::size_t size) {
  size = AlignNodeArea(size < sizeof(TFreeBlock) ? sizeof(TFreeBlock) : size);
  if (size == blockSize_) return;
  Reset();
  blockSize_ = size;
}

void* TNodeSlab::Allocate() {
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
    chunks_.push_back(chunk);
    next_ = static_cast<char*>(chunk);
    end_ = next_ + size;
  }
  void* block = next_;
  next_ += blockSize_;
  return block;
}

void TNodeSlab::Free(void* block) {
  if (!block) return;
  auto* freed = static_cast<TFreeBlock*>(block);
  freed->Next = freeList_;
  freeList_ = freed;
  --inUse_;
}

void TNodeSlab::Reset() {
  for (void* chunk : chunks_) VirtualFree(chunk, 0, MEM_RELEASE);
  chunks_.clear();
  next_ = end_ = nullptr;
  freeList_ = nullptr;
  inUse_ = 0;
}

}  // namespace tree
