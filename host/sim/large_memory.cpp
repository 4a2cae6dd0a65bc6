#include "host/sim/large_memory.h"

#if defined(__linux__)
#include <sys/mman.h>

#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#if defined(__GLIBC__)
#include <malloc.h>
#include <unistd.h>
#endif
#endif

namespace larkspur::sim {

#if defined(__linux__)

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kHeapBlockMax = size_t{32} << 20;
#if defined(__GLIBC__)
constexpr int kDefaultMmapMax = 65536;  // the C library's own limit of mapped blocks
#endif

size_t RoundUp(size_t value, size_t unit) {
  return (value + unit - 1) / unit * unit;
}

// The last large blocks freed (a load's text and the steps of its growing values), kept mapped for
// the next load of a scene alike, as the C library keeps freed blocks of its heap: that load then
// writes memory already touched instead of fresh memory, which costs a page fault per huge page
// and, on some virtual machines, far more. Advising the kernel that it may take the pages back
// would cost those faults again, so what is kept is bounded instead: a process that loads one
// scene holds at most kKeptBytes more while it works on it.
struct KeptBlock {
  void* memory = nullptr;
  size_t length = 0;
};
constexpr size_t kKeptBlocks = 8;
constexpr size_t kKeptBytes = size_t{256} << 20;
std::mutex keptMutex;
std::array<KeptBlock, kKeptBlocks> kept;  // the oldest at keptNext
size_t keptNext = 0;
size_t keptBytes = 0;

void* TakeKept(size_t length) {
  std::lock_guard<std::mutex> lock(keptMutex);
  for (KeptBlock& block : kept) {
    if (block.memory && block.length == length) {
      keptBytes -= length;
      return std::exchange(block, KeptBlock{}).memory;
    }
  }
  return nullptr;
}

void Keep(void* memory, size_t length) {
  if (length > kKeptBytes) {
    munmap(memory, length);
    return;
  }
  std::lock_guard<std::mutex> lock(keptMutex);
  // The oldest go, as many as make room.
  for (size_t i = 0; i < kKeptBlocks; ++i) {
    KeptBlock& old = kept[(keptNext + i) % kKeptBlocks];
    if (i > 0 && keptBytes + length <= kKeptBytes) break;
    if (!old.memory) continue;
    munmap(old.memory, old.length);
    keptBytes -= old.length;
    old = KeptBlock{};
  }
  kept[keptNext] = KeptBlock{memory, length};
  keptBytes += length;
  keptNext = (keptNext + 1) % kKeptBlocks;
}

}  // namespace

void* AllocateLarge(size_t bytes) {
  if (bytes < kHugePage) return ::operator new(bytes);
  // Mapped with a huge page of slack, so that the memory can start on a huge page boundary.
  const size_t length = RoundUp(bytes, kHugePage);
  if (void* reused = TakeKept(length)) return reused;
  void* mapped =
      mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto raw = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t start = RoundUp(raw, kHugePage);
  if (start > raw) munmap(mapped, start - raw);
  munmap(reinterpret_cast<void*>(start + length), raw + kHugePage - start);
  // Only advice: where the kernel has no huge pages to give, the memory stays as it is.
  madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(start);
}

void FreeLarge(void* memory, size_t bytes) {
  if (bytes < kHugePage) {
    ::operator delete(memory);
  } else {
    Keep(memory, RoundUp(bytes, kHugePage));
  }
}

void PrepareHeap(size_t bytes) {
#if defined(__GLIBC__)
  // The heap grows by whole huge pages and keeps what is freed at its top, so that later growth
  // stays within the advised stretch. Beyond what fits an int the setting stays as it was.
  const size_t pad = RoundUp(bytes, kHugePage);
  if (pad > static_cast<size_t>(INT_MAX)) return;
  mallopt(M_TOP_PAD, static_cast<int>(pad));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(pad));
  // Blocks up to the C library's largest threshold come from the heap too (the probe below
  // included), not from mappings of their own.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHeapBlockMax));
  // A heap whose free top already holds the pad (an earlier load's records, freed) is used as it
  // is: that memory has been touched, fresh memory has not.
  if (mallinfo2().keepcost >= pad) return;
  // An allocation larger than the heap's free top makes the heap grow by the pad at once.
  char* const before = static_cast<char*>(sbrk(0));
  // Kept in a volatile so that the compiler does not drop the allocation with its free. However
  // large the free top is (an earlier load's), the probe comes from the heap, not a mapping.
  mallopt(M_MMAP_MAX, 0);
  void* volatile probe = std::malloc(mallinfo2().keepcost + 1);
  mallopt(M_MMAP_MAX, kDefaultMmapMax);
  std::free(probe);  // which may give back what lies beyond the pad
  char* const after = static_cast<char*>(sbrk(0));
  const auto start =
      reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(before), kHugePage));
  if (before == reinterpret_cast<char*>(-1) || after <= start) return;
  // Only advice, as for AllocateLarge.
  madvise(start, static_cast<size_t>(after - start), MADV_HUGEPAGE);
#else
  (void)bytes;
#endif
}

#else

void PrepareHeap(size_t) {}

void* AllocateLarge(size_t bytes) {
  return ::operator new(bytes);
}

void FreeLarge(void* memory, size_t) {
  ::operator delete(memory);
}

#endif

}  // namespace larkspur::sim
