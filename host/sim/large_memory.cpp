#include "host/sim/large_memory.h"

#if defined(__linux__)
#include <sys/mman.h>

#include <cstdint>
#endif

namespace larkspur::sim {

#if defined(__linux__)

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

size_t RoundUp(size_t value, size_t unit) {
  return (value + unit - 1) / unit * unit;
}

}  // namespace

void* AllocateLarge(size_t bytes) {
  if (bytes < kHugePage) return ::operator new(bytes);
  // Mapped with a huge page of slack, so that the memory can start on a huge page boundary.
  const size_t length = RoundUp(bytes, kHugePage);
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
    munmap(memory, RoundUp(bytes, kHugePage));
  }
}

#else

void* AllocateLarge(size_t bytes) {
  return ::operator new(bytes);
}

void FreeLarge(void* memory, size_t) {
  ::operator delete(memory);
}

#endif

}  // namespace larkspur::sim
