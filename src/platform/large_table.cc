#include "platform/large_table.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>

namespace kelvane {
namespace {

// From here on a table's pages are put in place by two threads at once.
constexpr std::size_t kTwoThreadsFrom = std::size_t{64} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Asks the system to put every page of the range in place now, in one go,
// instead of one fault per page on the first write. A hint: where the
// system cannot, the pages come on first write as usual.
// The range goes in pieces, so that an interrupt is handled between them
// rather than after gigabytes.
void Populate(char* begin, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  constexpr std::size_t kPiece = std::size_t{64} << 20;
  for (std::size_t done = 0; done < bytes; done += kPiece) {
    madvise(begin + done, std::min(kPiece, bytes - done), MADV_POPULATE_WRITE);
  }
#else
  (void)begin;
  (void)bytes;
#endif
}

}  // namespace

void* AllocateLargeTable(std::size_t bytes) {
  if (bytes < kLargeTableBytes) return ::operator new(bytes);
  void* table = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (table == MAP_FAILED) throw std::bad_alloc();
  char* begin = static_cast<char*>(table);
#ifdef MADV_HUGEPAGE
  madvise(table, bytes, MADV_HUGEPAGE);
#endif
  // The system clears every page it hands out; two threads clear twice as
  // fast where a second core is there.
  std::size_t first = bytes;
  std::thread helper;
  if (bytes >= kTwoThreadsFrom && std::thread::hardware_concurrency() >= 2) {
    first = bytes / 2 / kHugePage * kHugePage;
    try {
      helper = std::thread(Populate, begin + first, bytes - first);
    } catch (const std::system_error&) {
      first = bytes;
    }
  }
  Populate(begin, first);
  if (helper.joinable()) helper.join();
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
