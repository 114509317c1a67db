#include "support/hostile_input.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

#include "framework/exceptions.h"

namespace {

// Bytes that mean something to one reader or another: ends, signs, line breaks and the form text's symbols.
constexpr char kEdgeBytes[] = {0,
                               1,
                               0x7F,
                               static_cast<char>(0x80),
                               static_cast<char>(0xFF),
                               '\r',
                               '\n',
                               '=',
                               '[',
                               ']',
                               ';',
                               '\'',
                               '#',
                               '{',
                               '}',
                               '<',
                               '>',
                               '(',
                               ')',
                               '-',
                               '.',
                               'e'};
constexpr uint32_t kEdgeWords[] = {0, 1, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0x8000, 0x10000, 0xFFFF};

constexpr size_t kPage = 4096;
constexpr uint64_t kGuardMagic = 0x6B636F6C42647247ull;

// The first page of a guarded region says which block it holds.
struct TGuardHeader {
  uint64_t Magic;
  void* Block;
};

int guardDepth = 0;
long guardedBlocks = 0;

// Memory for the list of freed regions, from outside operator new, which the list serves.
template <class T>
struct TMallocAllocator {
  using value_type = T;
  TMallocAllocator() = default;
  template <class U>
  TMallocAllocator(const TMallocAllocator<U>&) {}
  T* allocate(size_t count) {
    if (auto* memory = static_cast<T*>(std::malloc(count * sizeof(T)))) return memory;
    throw std::bad_alloc();
  }
  void deallocate(T* memory, size_t) { std::free(memory); }
  bool operator==(const TMallocAllocator&) const { return true; }
  bool operator!=(const TMallocAllocator&) const { return false; }
};

using TRegionList = std::vector<void*, TMallocAllocator<void*>>;

// The regions of the guarded blocks freed since the outermost guard began. They stay reserved and unreadable until
// the next one begins, so that a use after free faults until the end of the test that freed the block; then their
// addresses go back to the process, whose count of mappings every region kept would use up within a few runs of a
// test program. The list is never destroyed: a static made before it, destroyed after it at exit, may still free a
// guarded block it took in a test.
TRegionList& FreedRegions() {
  alignas(TRegionList) static unsigned char storage[sizeof(TRegionList)];
  static TRegionList* regions = ::new (storage) TRegionList();
  return *regions;
}

void ReleaseFreedRegions() {
  for (void* region : FreedRegions()) VirtualFree(region, 0, MEM_RELEASE);
  FreedRegions().clear();
}

// Reserves header page, data pages and a no-access page, and places size bytes right before the last.
void* AllocateGuarded(size_t size, size_t alignment, void** regionOut) {
  const size_t dataPages = size == 0 ? 1 : (size + kPage - 1) / kPage;
  auto* region =
      static_cast<uint8_t*>(VirtualAlloc(nullptr, (dataPages + 2) * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!region) return nullptr;
  uint8_t* end = region + (dataPages + 1) * kPage;
  DWORD old = 0;
  VirtualProtect(end, kPage, PAGE_NOACCESS, &old);
  // The end of a page is aligned to anything; the block keeps the alignment its size allows.
  uint8_t* block = end - (size == 0 ? alignment : size);
  auto* header = reinterpret_cast<TGuardHeader*>(region);
  header->Magic = kGuardMagic;
  header->Block = block;
  if (regionOut) *regionOut = region;
  return block;
}

// The largest power of two up to 16 that divides size: every object's size is a multiple of its alignment.
size_t AlignmentFor(size_t size) {
  size_t alignment = 16;
  while (alignment > 1 && size % alignment != 0) alignment /= 2;
  return alignment;
}

// True (and freed) when block is one of the guarded blocks. The addresses stay reserved and unreadable, so that
// a later allocation cannot reuse them and a use after free faults too, until the next guard begins.
bool ReleaseGuarded(void* block) {
  MEMORY_BASIC_INFORMATION info{};
  if (!VirtualQuery(block, &info, sizeof info) || info.Type != MEM_PRIVATE || !info.AllocationBase) return false;
  MEMORY_BASIC_INFORMATION base{};
  if (!VirtualQuery(info.AllocationBase, &base, sizeof base) || base.State != MEM_COMMIT ||
      base.Protect != PAGE_READWRITE)
    return false;
  const auto* header = static_cast<const TGuardHeader*>(info.AllocationBase);
  if (header->Magic != kGuardMagic || header->Block != block) return false;
  VirtualFree(info.AllocationBase, 0, MEM_DECOMMIT);
  FreedRegions().push_back(info.AllocationBase);
  --guardedBlocks;
  return true;
}

}  // namespace

void* AllocateForTests(size_t size) {
  if (guardDepth == 0) return nullptr;
  void* block = AllocateGuarded(size, AlignmentFor(size), nullptr);
  if (!block) throw std::bad_alloc();
  ++guardedBlocks;
  return block;
}

bool FreeForTests(void* block) { return guardedBlocks > 0 && ReleaseGuarded(block); }

TGuardedAllocations::TGuardedAllocations() {
  if (guardDepth++ == 0) ReleaseFreedRegions();
}

TGuardedAllocations::~TGuardedAllocations() { --guardDepth; }

TGuardedBytes::TGuardedBytes(const std::string& bytes) : size_(bytes.size()) {
  data_ = static_cast<uint8_t*>(AllocateGuarded(bytes.size(), 1, &region_));
  if (!data_) throw std::bad_alloc();
  if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
}

TGuardedBytes::~TGuardedBytes() { VirtualFree(region_, 0, MEM_RELEASE); }

TGuardedStream::TGuardedStream(const std::string& bytes) : bytes_(bytes) {
  SetPointer(bytes_.Data(), static_cast<int64_t>(bytes_.Size()));
}

int32_t TGuardedStream::Write(const void* buffer, int32_t count) {
  (void)buffer, (void)count;
  throw EStreamError(L"A guarded stream is read-only");
}

std::string TMutator::Mutate(const std::string& input) {
  std::string bytes = input;
  const size_t rounds = 1 + Below(4);
  for (size_t i = 0; i < rounds; ++i) MutateOnce(bytes);
  return bytes;
}

void TMutator::MutateOnce(std::string& bytes) {
  const size_t at = Below(bytes.size() + 1);
  switch (Below(8)) {
    case 0:
      if (at < bytes.size()) bytes[at] = static_cast<char>(bytes[at] ^ (1 << Below(8)));
      break;
    case 1:
      if (at < bytes.size()) bytes[at] = kEdgeBytes[Below(sizeof kEdgeBytes)];
      break;
    case 2: {
      std::string inserted(1 + Below(8), '\0');
      for (char& c : inserted) c = static_cast<char>(Below(256));
      bytes.insert(at, inserted);
      break;
    }
    case 3:
      bytes.erase(at, 1 + Below(16));
      break;
    case 4:
      bytes.resize(at);
      break;
    case 5: {
      const std::string chunk = bytes.substr(Below(bytes.size() + 1), 1 + Below(64));
      bytes.insert(Below(bytes.size() + 1), chunk);
      break;
    }
    case 6:
      if (at + 4 <= bytes.size()) {
        uint32_t word = Below(2) ? kEdgeWords[Below(std::size(kEdgeWords))] : static_cast<uint32_t>(bytes.size());
        std::memcpy(&bytes[at], &word, 4);
      }
      break;
    default:
      if (at + 2 <= bytes.size()) {
        auto half = static_cast<uint16_t>(kEdgeWords[Below(std::size(kEdgeWords))]);
        std::memcpy(&bytes[at], &half, 2);
      }
      break;
  }
}
