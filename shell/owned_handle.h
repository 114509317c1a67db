// Owns one kernel handle and closes it with the function its kind needs, so no early return leaks it.
#pragma once

#include <windows.h>

#include <utility>

namespace shell {

template <BOOL(WINAPI* Close)(HANDLE)>
class TOwnedHandle {
 public:
  TOwnedHandle() = default;
  explicit TOwnedHandle(HANDLE handle) : handle_(handle) {}
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;
  TOwnedHandle(TOwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~TOwnedHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  // Null and INVALID_HANDLE_VALUE both mean "none": the platform's calls answer failure with either.
  explicit operator bool() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
  void Reset(HANDLE handle = nullptr) {
    if (*this) Close(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

// Processes, threads, snapshots, files, events.
using TKernelHandle = TOwnedHandle<&CloseHandle>;
// Searches begun with FindFirstFile.
using TFindHandle = TOwnedHandle<&FindClose>;

}  // namespace shell
