#include "framework/global_memory.h"

#include <cstring>
#include <new>

#include "framework/exceptions.h"

TGlobalMemory& TGlobalMemory::operator=(TGlobalMemory&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

TGlobalMemory TGlobalMemory::Allocate(SIZE_T size) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!handle) throw std::bad_alloc();
  return TGlobalMemory(handle);
}

TGlobalMemory TGlobalMemory::Copy(HGLOBAL source) {
  if (!source || GlobalFlags(source) == GMEM_INVALID_HANDLE) RaiseLastOSError(ERROR_INVALID_HANDLE);
  SIZE_T size = GlobalSize(source);
  TGlobalMemory copy = Allocate(size);
  if (size == 0) return copy;
  TGlobalLock from(source);
  TGlobalLock to(copy.Get());
  if (!from.Data() || !to.Data()) RaiseLastOSError();
  std::memcpy(to.Data(), from.Data(), size);
  return copy;
}

HGLOBAL TGlobalMemory::Release() noexcept {
  HGLOBAL handle = handle_;
  handle_ = nullptr;
  return handle;
}

void TGlobalMemory::Reset(HGLOBAL handle) noexcept {
  if (handle_ && handle_ != handle) GlobalFree(handle_);
  handle_ = handle;
}

TGlobalLock::TGlobalLock(HGLOBAL handle) noexcept
    : handle_(handle), data_(handle ? GlobalLock(handle) : nullptr), size_(data_ ? GlobalSize(handle) : 0) {}

TGlobalLock::~TGlobalLock() {
  if (data_) GlobalUnlock(handle_);
}
