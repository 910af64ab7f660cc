// Large tables: usable to their last entry and copied like any vector,
// whether they come from the heap, a mapping, or a mapping whose pages two
// threads put in place; and those from a mapping cleared, however the same
// sizes were used before.

#include "platform/large_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace kelvane {
namespace {

// Sizes from the heap, just at and above where mappings start, and one
// that two threads put in place.
constexpr std::size_t kTwoThreads = (std::size_t{72} << 20) + 8;

TEST(LargeTable, EverySizeHoldsItsEntries) {
  for (std::size_t count : {std::size_t{1}, std::size_t{1000}, (kLargeTableBytes / 8) + 3,
                            kTwoThreads / 8 + 1}) {
    LargeTable<double> table(count + 1, 0.0);
    for (std::size_t i = 0; i < table.size(); i += 4096) table[i] = static_cast<double>(i);
    table.back() = -1;
    for (std::size_t i = 0; i < table.size() - 1; i += 4096) {
      ASSERT_EQ(table[i], static_cast<double>(i)) << count;
    }
    EXPECT_EQ(table.back(), -1);
    LargeTable<double> copy = table;
    EXPECT_EQ(copy, table);
  }
}

bool AllZero(const char* bytes, std::size_t size) {
  static const char kZeros[4096] = {};
  for (std::size_t done = 0; done < size; done += sizeof kZeros) {
    if (std::memcmp(bytes + done, kZeros, std::min(sizeof kZeros, size - done)) != 0) return false;
  }
  return true;
}

// Code takes a table of kLargeTableBytes or more as cleared without
// clearing it (solver/cholmod_memory.cc). Every table is written all over
// before it is given back, each size twice in a row and the sizes in turn,
// so that a table that came from anywhere but the system's fresh pages (a
// heap that hands back what was given back, a store of earlier mappings)
// would show the writing.
TEST(LargeTable, LargeSizesComeClearedAfterEarlierUseOfTheSame) {
  const std::size_t sizes[] = {kLargeTableBytes, kLargeTableBytes + 4097, kTwoThreads};
  for (int round = 0; round < 3; ++round) {
    for (std::size_t bytes : sizes) {
      for (int again = 0; again < 2; ++again) {
        char* table = static_cast<char*>(AllocateLargeTable(bytes));
        ASSERT_TRUE(AllZero(table, bytes)) << bytes << " bytes, round " << round << "." << again;
        std::memset(table, 0xA5, bytes);
        FreeLargeTable(table, bytes);
      }
    }
  }
}

}  // namespace
}  // namespace kelvane
