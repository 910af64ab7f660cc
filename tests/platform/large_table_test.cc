// Large tables: cleared, usable to their last entry, and copied like any
// vector, whether they come from the heap, a mapping, or a mapping whose
// pages two threads put in place.

#include "platform/large_table.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

TEST(LargeTable, EverySizeIsClearedAndHoldsItsEntries) {
  for (std::size_t count : {std::size_t{1}, std::size_t{1000}, (kLargeTableBytes / 8) + 3,
                            (std::size_t{72} << 20) / 8 + 1}) {
    LargeTable<double> table;
    table.assign(count + 1, 0.0);
    EXPECT_EQ(table.front(), 0.0);
    EXPECT_EQ(table[count / 2], 0.0);
    EXPECT_EQ(table.back(), 0.0);
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

}  // namespace
}  // namespace kelvane
