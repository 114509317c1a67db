// Holders of global memory, the currency of the clipboard and of OLE data transfer: one owns a block, the other
// keeps it locked while its bytes are used.
#pragma once

#include <windows.h>

// Owns one block of global memory and frees it, unless the block was handed over with Release.
class TGlobalMemory {
 public:
  TGlobalMemory() = default;
  explicit TGlobalMemory(HGLOBAL handle) noexcept : handle_(handle) {}
  TGlobalMemory(TGlobalMemory&& other) noexcept : handle_(other.Release()) {}
  TGlobalMemory& operator=(TGlobalMemory&& other) noexcept;
  ~TGlobalMemory() { Reset(); }

  // A movable, zero-filled block; raises std::bad_alloc when the system has no memory for it.
  static TGlobalMemory Allocate(SIZE_T size);
  // A new movable block with the bytes of source; raises std::bad_alloc as Allocate, EOSError when source is no
  // block of global memory or cannot be locked.
  static TGlobalMemory Copy(HGLOBAL source);

  HGLOBAL Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  // Gives up ownership, for a call that takes the block over (the clipboard, a medium handed out).
  HGLOBAL Release() noexcept;
  void Reset(HGLOBAL handle = nullptr) noexcept;

 private:
  HGLOBAL handle_ = nullptr;
};

// Keeps a block locked for the life of the holder. Data() is null when the block could not be locked (a block of
// size 0 never can); Size() is the block's size, which may exceed what was asked for when it was made.
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL handle) noexcept;
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  ~TGlobalLock();

  void* Data() const noexcept { return data_; }
  template <class T>
  T* As() const noexcept {
    return static_cast<T*>(data_);
  }
  SIZE_T Size() const noexcept { return data_ ? size_ : 0; }

 private:
  HGLOBAL handle_;
  void* data_;
  SIZE_T size_;
};
