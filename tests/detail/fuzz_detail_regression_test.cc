// Every detail file the fuzzer was seeded with or found a fault with, run as
// the fuzz target runs it: each must end in a grid that reads back as
// itself or in a message.

#include <gtest/gtest.h>

#include "app/process.h"
#include "detail_run.h"

namespace kelvane::testing {
namespace {

TEST(FuzzDetailRegressions, EveryKnownDetailEndsInAGridOrAMessage) {
  int inputs = 0;
  for (const char* folder : {"/fuzz/detail-regressions", "/fuzz/detail-corpus"}) {
    const std::string path = std::string(KELVANE_SOURCE_DIR) + folder;
    for (const std::string& name : FolderEntries(path)) {
      if (name[0] == '.') continue;
      ++inputs;
      SCOPED_TRACE(name);
      EXPECT_EQ(RunDetailInput(ReadFile(path + "/" + name)), "");
    }
  }
  EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace kelvane::testing
