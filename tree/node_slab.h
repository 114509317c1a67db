// Memory for the node blocks of one tree: blocks of one size cut from large zero-filled chunks, so creating a
// million nodes costs a handful of system calls and emptying the tree releases the chunks at once; once most blocks
// are free, the chunks left wholly free go back too.
#pragma once

#include <cstddef>
#include <vector>

namespace tree {

class TNodeSlab {
 public:
  TNodeSlab();
  TNodeSlab(const TNodeSlab&) = delete;
  TNodeSlab& operator=(const TNodeSlab&) = delete;
  ~TNodeSlab() { ReleaseChunks(); }

  // While on, the slabs made afterwards guard their freed blocks: each block gets pages of its own, and a freed
  // block's pages stay reserved and inaccessible while the slab lives, so that any touch of a freed node faults at
  // once. For tests: a block then costs a page and two system calls.
  static void SetGuardFreedBlocks(bool on);

  // Every block handed out afterwards has this size (rounded up to 16 bytes). A new size releases the chunks, so
  // the owner changes it only while no block is in use.
  void SetBlockSize(std::size_t size);
  std::size_t BlockSize() const { return blockSize_; }
  // A zero-filled block. Raises std::bad_alloc when the system has no memory left.
  void* Allocate();
  void Free(void* block);
  // Whether enough of the blocks are free, and enough have been freed since the last time, that giving whole free
  // chunks back is worth a pass over the free blocks: the passes cost as much as the frees that paid for them.
  bool CanGiveBack() const;
  // Gives back every chunk none of whose blocks is in use (all of them once no block is).
  void GiveBack();
  // The blocks handed out are gone; the chunks are released (a guarding slab keeps their addresses).
  void Reset();
  std::size_t BlocksInUse() const { return inUse_; }
  // Whether block lies in memory this slab handed out (and has not released); freed blocks of a slab that reuses
  // them count as its own.
  bool Holds(const void* block) const;

 private:
  struct TFreeBlock {
    TFreeBlock* Next;
  };

  struct TChunk {
    char* Start;
    std::size_t Size;
  };

  void ReleaseChunks();
  // The room one block takes in a chunk.
  std::size_t Step() const;
  // The index in chunks_ of the chunk that holds block.
  std::size_t ChunkOf(const void* block) const;

  std::size_t blockSize_ = 64;
  std::vector<TChunk> chunks_;  // ordered by address, so that Holds is a binary search
  char* next_ = nullptr;        // the unused rest of the newest chunk
  char* end_ = nullptr;
  TFreeBlock* freeList_ = nullptr;
  std::size_t inUse_ = 0;
  std::size_t free_ = 0;             // blocks on the free list
  std::size_t freedSinceGiven_ = 0;  // blocks freed since chunks were last given back
  const bool guarded_;
};

}  // namespace tree
