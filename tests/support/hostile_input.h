// What the tests of readers need to play a hostile caller: seeded mutations of valid inputs, inputs that end at
// a page nobody may read, and an allocator that makes every over-read of a fresh allocation fault.
#pragma once

#include <windows.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "framework/streams.h"

// Deterministic damage to a valid input: flipped bits, bytes set to edge values, bytes inserted or removed, cuts,
// repeated and swapped chunks, and four-byte fields set to sizes a reader may trust (0, -1, huge, the length).
class TMutator {
 public:
  explicit TMutator(uint32_t sample) : random_(sample) {}
  // One to four mutations of input.
  std::string Mutate(const std::string& input);
  // A number in [0, bound).
  size_t Below(size_t bound) { return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random_); }

 private:
  void MutateOnce(std::string& bytes);

  std::mt19937 random_;
};

// A copy of the bytes whose last byte ends a page; the page after it cannot be read, so reading one byte past
// the end faults at once.
class TGuardedBytes {
 public:
  explicit TGuardedBytes(const std::string& bytes);
  ~TGuardedBytes();
  TGuardedBytes(const TGuardedBytes&) = delete;
  TGuardedBytes& operator=(const TGuardedBytes&) = delete;

  uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  void* region_;
  uint8_t* data_;
  size_t size_;
};

// A read-only memory stream over guarded bytes.
class TGuardedStream : public TCustomMemoryStream {
 public:
  explicit TGuardedStream(const std::string& bytes);
  int32_t Write(const void* buffer, int32_t count) override;

 private:
  TGuardedBytes bytes_;
};

// While one of these lives, every operator new of the program ends its block at a page nobody may read (the
// block is aligned only as far as its size needs, so not a byte of slack is left), and a freed block stays
// unreadable, also after the guard ends, until the next guard begins. Slow: for small inputs.
class TGuardedAllocations {
 public:
  TGuardedAllocations();
  ~TGuardedAllocations();
  TGuardedAllocations(const TGuardedAllocations&) = delete;
  TGuardedAllocations& operator=(const TGuardedAllocations&) = delete;
};

// The test programs' operator new and delete ask these first: a block while guarding (else null), and whether a
// block was a guarded one (then it is freed).
void* AllocateForTests(size_t size);
bool FreeForTests(void* block);
