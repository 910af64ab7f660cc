// Every DXF drawing the fuzzer was seeded with or found a fault with, run
// as the fuzz target runs it: each must end in layers or in a message.

#include <gtest/gtest.h>

#include "app/process.h"
#include "dxf_run.h"

namespace kelvane::testing {
namespace {

TEST(FuzzDxfRegressions, EveryKnownDrawingEndsInLayersOrAMessage) {
  int inputs = 0;
  for (const char* folder : {"/fuzz/dxf-regressions", "/fuzz/dxf-corpus", "/examples"}) {
    const std::string path = std::string(KELVANE_SOURCE_DIR) + folder;
    for (const std::string& name : FolderEntries(path)) {
      if (name[0] == '.' || (std::string(folder) == "/examples" && !name.ends_with(".dxf"))) {
        continue;
      }
      ++inputs;
      SCOPED_TRACE(name);
      EXPECT_EQ(RunDxfInput(ReadFile(path + "/" + name)), "");
    }
  }
  EXPECT_GT(inputs, 6);
}

}  // namespace
}  // namespace kelvane::testing
