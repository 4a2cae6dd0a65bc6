// Memory for the large transient parts of a scene load: the text parsed in place and the
// document's values. The first touch of each page of fresh memory costs a page fault, which some
// machines make expensive; on Linux such memory is therefore advised to transparent huge pages,
// where one fault brings in 2 MiB instead of 4 KiB. Elsewhere it is ordinary memory.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace larkspur::sim {

void* AllocateLarge(size_t bytes);
void FreeLarge(void* memory, size_t bytes);

// Readies the C heap for about this many bytes of small allocations (the host's records): on Linux
// with glibc it grows the heap in one step and advises that stretch to transparent huge pages, as
// the C library does itself when asked by its tunables. Elsewhere, and when the heap is not the
// C library's own (a sanitizer's), nothing changes.
void PrepareHeap(size_t bytes);

// Bytes of large memory, uninitialised.
class LargeBuffer {
 public:
  LargeBuffer() = default;
  explicit LargeBuffer(size_t size) : data_(static_cast<char*>(AllocateLarge(size))), size_(size) {}
  LargeBuffer(LargeBuffer&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
  }
  LargeBuffer& operator=(LargeBuffer&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    return *this;
  }
  ~LargeBuffer() {
    if (data_) FreeLarge(data_, size_);
  }

  char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
};

// A standard allocator over AllocateLarge, for containers that may grow large.
template <typename T>
struct LargeAllocator {
  using value_type = T;

  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) {}

  T* allocate(size_t count) {
    if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(AllocateLarge(count * sizeof(T)));
  }
  void deallocate(T* memory, size_t count) { FreeLarge(memory, count * sizeof(T)); }

  template <typename U>
  bool operator==(const LargeAllocator<U>&) const {
    return true;
  }
  template <typename U>
  bool operator!=(const LargeAllocator<U>&) const {
    return false;
  }
};

}  // namespace larkspur::sim
