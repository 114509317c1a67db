// Memory for the node blocks of one tree: blocks of one size cut from large zero-filled chunks, so creating a
// million nodes costs a handful of system calls and emptying the tree releases the chunks at once.
#pragma once

#include <cstddef>
#include <vector>

namespace tree {

class TNodeSlab {
 public:
  TNodeSlab() = default;
  TNodeSlab(const TNodeSlab&) = delete;
  TNodeSlab& operator=(const TNodeSlab&) = delete;
  ~TNodeSlab() { Reset(); }

  // Every block handed out afterwards has this size (rounded up to 16 bytes). A new size releases the chunks, so
  // the owner changes it only while no block is in use.
  void SetBlockSize(std::size_t size);
  std::size_t BlockSize() const { return blockSize_; }
  // A zero-filled block. Raises std::bad_alloc when the system has no memory left.
  void* Allocate();
  void Free(void* block);
  // Releases every chunk; the blocks handed out are gone.
  void Reset();
  std::size_t BlocksInUse() const { return inUse_; }

 private:
  struct TFreeBlock {
    TFreeBlock* Next;
  };

  std::size_t blockSize_ = 64;
  std::vector<void*> chunks_;
  char* next_ = nullptr;  // the unused rest of the newest chunk
  char* end_ = nullptr;
  TFreeBlock* freeList_ = nullptr;
  std::size_t inUse_ = 0;
};

}  // namespace tree
