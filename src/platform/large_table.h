// Storage for tables of hundreds of megabytes. Such a table is taken from
// the system as a mapping of its own, marked for huge pages, and its pages
// are put in place at once (by two threads for the largest): a 4 KiB page
// costs a fault on its first write, and for the matrix of a large model the
// faults took longer than all other phases but the factorisation together.
// A table given back returns to the system at once.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace kelvane {

// Below this size a table comes from the ordinary heap.
inline constexpr std::size_t kLargeTableBytes = std::size_t{8} << 20;

// Throws std::bad_alloc when the system refuses.
void* AllocateLargeTable(std::size_t bytes);
void FreeLargeTable(void* table, std::size_t bytes);

template <typename T>
struct LargeTableAllocator {
  using value_type = T;
  LargeTableAllocator() = default;
  template <typename U>
  LargeTableAllocator(const LargeTableAllocator<U>&) {}  // NOLINT: allocators convert.
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(AllocateLargeTable(n * sizeof(T)));
  }
  void deallocate(T* table, std::size_t n) { FreeLargeTable(table, n * sizeof(T)); }
  friend bool operator==(const LargeTableAllocator&, const LargeTableAllocator&) { return true; }
};

template <typename T>
using LargeTable = std::vector<T, LargeTableAllocator<T>>;

}  // namespace kelvane
