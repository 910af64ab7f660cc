// Every input the fuzzer ever found a fault with, and the fuzzer's seeds,
// run through the reader, the solver and the writer in process: each must
// end in a result or a RunError, nothing else.

#include <gtest/gtest.h>

#include <dirent.h>

#include "app/process.h"
#include "model/input_reader.h"
#include "output/result_writer.h"
#include "platform/error.h"
#include "solver/solver.h"

namespace kelvane::testing {
namespace {

TEST(FuzzRegressions, EveryKnownInputEndsInAResultOrAMessage) {
  int inputs = 0;
  for (const char* folder : {"/fuzz/regressions", "/fuzz/corpus"}) {
    const std::string path = std::string(KELVANE_SOURCE_DIR) + folder;
    for (const std::string& name : FolderEntries(path)) {
      if (name[0] == '.') continue;
      ++inputs;
      const std::string text = ReadFile(path + "/" + name);
      SCOPED_TRACE(name);
      try {
        Model model = ParseInput(text, name);
        const Solution solution = SolveTemperatureField(model);
        EXPECT_FALSE(ResultFileText(solution.ResultGrid()).empty());
      } catch (const RunError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
      }
    }
  }
  EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace kelvane::testing
