#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "support/hostile_input.h"

namespace {

// What a touch of the byte at address would meet: readable memory or a fault.
bool Readable(const void* address) {
  MEMORY_BASIC_INFORMATION info{};
  if (!VirtualQuery(address, &info, sizeof info) || info.State != MEM_COMMIT) return false;
  return (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0;
}

// The model checks and the hostile-input tests lean on these faults: a guard that does not fault makes their
// use-after-free and over-read cases unable to fail.
TEST(GuardedAllocations, AReadPastTheEndOrAfterTheFreeFaults) {
  for (size_t size : {size_t{1}, size_t{7}, size_t{16}, size_t{4095}, size_t{4096}, size_t{10000}}) {
    SCOPED_TRACE(size);
    char* block = nullptr;
    {
      const TGuardedAllocations guard;
      block = new char[size];
      EXPECT_TRUE(Readable(block));
      EXPECT_TRUE(Readable(block + size - 1));
      EXPECT_FALSE(Readable(block + size));
      delete[] block;
      EXPECT_FALSE(Readable(block));
    }
    // Still unreadable after the guard ended, until the next guard begins.
    EXPECT_FALSE(Readable(block));
  }
}

TEST(GuardedAllocations, BlocksKeepTheAlignmentOfTheirSize) {
  const TGuardedAllocations guard;
  for (size_t size : {size_t{8}, size_t{16}, size_t{24}, size_t{48}, size_t{4096}}) {
    auto block = std::make_unique<char[]>(size);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block.get()) % (size % 16 == 0 ? 16 : 8), 0u) << size;
  }
}

TEST(GuardedAllocations, ABlockTakenUnderAGuardMayBeFreedAfterIt) {
  std::unique_ptr<int> kept;
  {
    const TGuardedAllocations guard;
    kept = std::make_unique<int>(5);
  }
  {
    // A new guard gives back the room of regions without living blocks, not of this one.
    const TGuardedAllocations guard;
    EXPECT_TRUE(Readable(kept.get()));
    EXPECT_EQ(*kept, 5);
  }
  int* const address = kept.get();
  kept.reset();
  EXPECT_FALSE(Readable(address));
}

// A long guarded run frees far more blocks than the process has mappings (65,530 under Wine on Linux); the room of
// freed blocks must not take one each.
TEST(GuardedAllocations, AGuardOutlivesMoreFreedBlocksThanTheProcessHasMappings) {
  const TGuardedAllocations guard;
  std::vector<std::unique_ptr<int>> living;
  for (int i = 0; i < 100000; ++i) {
    auto block = std::make_unique<int>(i);
    if (i % 100 == 0) living.push_back(std::move(block));
  }
  ASSERT_EQ(living.size(), 1000u);
  for (size_t i = 0; i < living.size(); ++i) ASSERT_EQ(*living[i], static_cast<int>(i * 100));
}

}  // namespace
