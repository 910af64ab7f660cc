#include "platform/large_table.h"

#include <sys/mman.h>

#include <new>

namespace kelvane {

void* AllocateLargeTable(std::size_t bytes) {
  if (bytes < kLargeTableBytes) return ::operator new(bytes);
  void* table = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (table == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  madvise(table, bytes, MADV_HUGEPAGE);  // A hint: without it the table still works.
#endif
  return table;
}

void FreeLargeTable(void* table, std::size_t bytes) {
  if (bytes < kLargeTableBytes) {
    ::operator delete(table);
  } else {
    munmap(table, bytes);
  }
}

}  // namespace kelvane
