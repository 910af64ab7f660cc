// CHOLMOD's memory from large tables: what its calloc hands out reads as
// zeros, on both sides of the size from which the tables come cleared from
// the system and are not cleared again, also after earlier use of the same
// sizes; and what its realloc keeps.

#include "solver/cholmod_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/large_table.h"
#include "solver/cholmod_skip.h"

namespace kelvane {
namespace {

const SuiteSparse_config_struct& LargeTableConfig() {
  const CholmodLibrary& lib = LoadCholmod();
  UseLargeTablesFor(lib);
  return *lib.config;
}

bool AllZero(const unsigned char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(CholmodMemory, CallocReadsAsZerosAfterEarlierUse) {
  if (const std::string why = testing::CholmodMissing(); !why.empty()) GTEST_SKIP() << why;
  const SuiteSparse_config_struct& config = LargeTableConfig();
  // Each block carries a header of 64 bytes in front: from kLargeTableBytes
  // - 64 on, a block is a large table.
  struct Size {
    std::size_t count, size;
  } sizes[] = {{1000, 1},
               {125, 8},
               {(kLargeTableBytes - 64) / 8 - 1, 8},
               {kLargeTableBytes - 65, 1},
               {kLargeTableBytes - 64, 1},
               {kLargeTableBytes / 8, 8},
               {std::size_t{3} << 20, 24}};
  // Each size twice in a row and the sizes in turn, every block written
  // all over before it is given back.
  for (int round = 0; round < 3; ++round) {
    for (const Size& s : sizes) {
      for (int again = 0; again < 2; ++again) {
        const std::size_t bytes = s.count * s.size;
        auto* block = static_cast<unsigned char*>(config.calloc_func(s.count, s.size));
        ASSERT_NE(block, nullptr);
        ASSERT_TRUE(AllZero(block, bytes)) << bytes << " bytes, round " << round << "." << again;
        std::memset(block, 0xA5, bytes);
        config.free_func(block);
      }
    }
  }
}

TEST(CholmodMemory, ReallocKeepsWhatFitsAndCallocRefusesOverflow) {
  if (const std::string why = testing::CholmodMissing(); !why.empty()) GTEST_SKIP() << why;
  const SuiteSparse_config_struct& config = LargeTableConfig();
  for (std::size_t to : {std::size_t{10}, std::size_t{4000}, kLargeTableBytes}) {
    auto* block = static_cast<unsigned char*>(config.malloc_func(3000));
    for (std::size_t i = 0; i < 3000; ++i) block[i] = static_cast<unsigned char>(i % 251);
    block = static_cast<unsigned char*>(config.realloc_func(block, to));
    ASSERT_NE(block, nullptr);
    for (std::size_t i = 0; i < std::min<std::size_t>(to, 3000); ++i) {
      ASSERT_EQ(block[i], i % 251) << "to " << to << " bytes, byte " << i;
    }
    config.free_func(block);
  }
  EXPECT_EQ(config.calloc_func(SIZE_MAX / 2, 3), nullptr);
  EXPECT_EQ(config.malloc_func(SIZE_MAX - 10), nullptr);
}

}  // namespace
}  // namespace kelvane
