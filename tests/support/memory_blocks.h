// Blocks of bytes for tests of data transfer: exact byte vectors and global memory holding given bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/global_memory.h"

using Bytes = std::vector<uint8_t>;

inline Bytes BytesOf(const void* data, size_t size) {
  const auto* at = static_cast<const uint8_t*>(data);
  return Bytes(at, at + size);
}

// A global memory block of exactly the bytes.
inline TGlobalMemory GlobalWith(const std::string& bytes) {
  TGlobalMemory memory = TGlobalMemory::Allocate(bytes.size());
  if (!bytes.empty()) std::memcpy(TGlobalLock(memory.Get()).Data(), bytes.data(), bytes.size());
  return memory;
}
