#include "support/hostile_input.h"

#include <algorithm>
#include <atomic>
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
// Guarded blocks are pages committed one after another in regions this large, each block's pages followed by one
// left uncommitted: a region of its own for every block took a mapping or more of the process each, and a long
// guarded run used the process's mappings up.
constexpr size_t kRegionSize = size_t{64} << 20;

// The page before a guarded block's first page says which block it holds and how many pages the two span.
struct TGuardHeader {
  uint64_t Magic;
  void* Block;
  size_t Span;
};

// Memory for the list of regions, from outside operator new, which the list serves.
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

struct TGuardRegion {
  uint8_t* Start;
  uint8_t* End;
  size_t LiveBlocks;
};
using TRegionList = std::vector<TGuardRegion, TMallocAllocator<TGuardRegion>>;

// Blocks are taken from the last region, never from the room a freed block left: its pages stay reserved and
// unreadable, so that a use after free faults until the end of the test that freed the block. A region without
// living blocks goes back to the process when the next outermost guard begins. The list is never destroyed: a
// static made before it, destroyed after it at exit, may still free a guarded block it took in a test.
TRegionList& Regions() {
  alignas(TRegionList) static unsigned char storage[sizeof(TRegionList)];
  static TRegionList* regions = ::new (storage) TRegionList();
  return *regions;
}

// Every thread's operator new guards while a guard lives (a worker thread's too).
SRWLOCK guardLock = SRWLOCK_INIT;
std::atomic<int> guardDepth{0};
std::atomic<long> guardedBlocks{0};
uint8_t* nextBlock = nullptr;

class TGuardLock {
 public:
  TGuardLock() { AcquireSRWLockExclusive(&guardLock); }
  ~TGuardLock() { ReleaseSRWLockExclusive(&guardLock); }
  TGuardLock(const TGuardLock&) = delete;
  TGuardLock& operator=(const TGuardLock&) = delete;
};

void ReleaseEmptyRegions() {
  TRegionList& regions = Regions();
  for (size_t i = regions.size(); i-- > 0;) {
    if (regions[i].LiveBlocks > 0) continue;
    if (nextBlock >= regions[i].Start && nextBlock <= regions[i].End) nextBlock = nullptr;
    VirtualFree(regions[i].Start, 0, MEM_RELEASE);
    regions.erase(regions.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

// The header page and the data pages, size bytes placed right before the page left uncommitted. Null when the
// process has no room.
void* AllocateGuarded(size_t size, size_t alignment) {
  const size_t dataPages = size == 0 ? 1 : (size + kPage - 1) / kPage;
  const size_t span = (dataPages + 1) * kPage;
  const TGuardLock lock;
  TRegionList& regions = Regions();
  if (!nextBlock || static_cast<size_t>(regions.back().End - nextBlock) < span + kPage) {
    const size_t room = std::max(kRegionSize, span + kPage);
    auto* start = static_cast<uint8_t*>(VirtualAlloc(nullptr, room, MEM_RESERVE, PAGE_NOACCESS));
    if (!start) return nullptr;
    regions.push_back(TGuardRegion{start, start + room, 0});
    nextBlock = start;
  }
  uint8_t* pages = nextBlock;
  if (!VirtualAlloc(pages, span, MEM_COMMIT, PAGE_READWRITE)) return nullptr;
  nextBlock += span + kPage;
  ++regions.back().LiveBlocks;
  ++guardedBlocks;
  // The end of a page is aligned to anything; the block keeps the alignment its size allows.
  uint8_t* block = pages + span - (size == 0 ? alignment : size);
  *reinterpret_cast<TGuardHeader*>(pages) = TGuardHeader{kGuardMagic, block, span};
  return block;
}

// The largest power of two up to 16 that divides size: every object's size is a multiple of its alignment.
size_t AlignmentFor(size_t size) {
  size_t alignment = 16;
  while (alignment > 1 && size % alignment != 0) alignment /= 2;
  return alignment;
}

// True (and freed) when block is one of the guarded blocks. Its pages are decommitted; their addresses stay
// reserved until its region goes.
bool ReleaseGuarded(void* block) {
  auto* at = static_cast<uint8_t*>(block);
  const TGuardLock lock;
  for (TGuardRegion& region : Regions()) {
    if (at < region.Start + kPage || at >= region.End) continue;
    const uintptr_t firstPage = reinterpret_cast<uintptr_t>(at) / kPage * kPage;
    auto* header = reinterpret_cast<TGuardHeader*>(firstPage - kPage);
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(header, &info, sizeof info) || info.State != MEM_COMMIT) return false;
    if (header->Magic != kGuardMagic || header->Block != block) return false;
    VirtualFree(header, header->Span, MEM_DECOMMIT);
    --region.LiveBlocks;
    --guardedBlocks;
    return true;
  }
  return false;
}

}  // namespace

void* AllocateForTests(size_t size) {
  if (guardDepth == 0) return nullptr;
  void* block = AllocateGuarded(size, AlignmentFor(size));
  if (!block) throw std::bad_alloc();
  return block;
}

bool FreeForTests(void* block) { return guardedBlocks > 0 && ReleaseGuarded(block); }

TGuardedAllocations::TGuardedAllocations() {
  const TGuardLock lock;
  if (guardDepth++ == 0) ReleaseEmptyRegions();
}

TGuardedAllocations::~TGuardedAllocations() {
  const TGuardLock lock;
  --guardDepth;
}

TGuardedBytes::TGuardedBytes(const std::string& bytes) : size_(bytes.size()) {
  const size_t dataPages = bytes.empty() ? 1 : (bytes.size() + kPage - 1) / kPage;
  region_ = VirtualAlloc(nullptr, (dataPages + 1) * kPage, MEM_RESERVE, PAGE_NOACCESS);
  if (!region_ || !VirtualAlloc(region_, dataPages * kPage, MEM_COMMIT, PAGE_READWRITE)) {
    if (region_) VirtualFree(region_, 0, MEM_RELEASE);
    throw std::bad_alloc();
  }
  data_ = static_cast<uint8_t*>(region_) + dataPages * kPage - bytes.size();
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
