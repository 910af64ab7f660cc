// Every input the fuzzer ever found a fault with, and the fuzzer's seeds,
// run through the reader, the solver and the writer in process: each must
// end in a sound result (solution_oracle.h) or a RunError, nothing else.

#include <gtest/gtest.h>

#include <dirent.h>

#include "app/process.h"
#include "model/input_reader.h"
#include "output/result_writer.h"
#include "platform/error.h"
#include "solution_oracle.h"
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
        EXPECT_EQ(SolutionFault(solution), "");
      } catch (const RunError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
      }
    }
  }
  EXPECT_GT(inputs, 0);
}

// A block of 20 x 20 cells between two airs, as the probe's broken models
// had it.
Model Block(const std::string& conductivity, const std::string& outside) {
  std::string text = "block\n1\nm," + conductivity + "\n2\n20,7.69\n" + outside + ",25\n0\n20,20\n";
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 20; ++i) text += i ? ",10" : "10";
    text += "\n";
  }
  for (int j = 0; j < 22; ++j) {
    for (int k = 0; k < 22; ++k) {
      text += k ? "," : "";
      if (k > 0 && k < 21) text += j == 0 ? "B1" : j == 21 ? "B2" : "A1";
    }
    text += "\n";
  }
  return ParseInput(text, "block.inp");
}

// The oracle finds the faults of the probe in the reports the program gave
// before it checked its solutions, and passes the program now, which
// refuses them.
TEST(FuzzRegressions, TheOracleFindsWhatTheCheckRefuses) {
  struct Case {
    const char* name;
    Model model;
    const char* fault;
  } cases[] = {
      {"conductivity 1e300", Block("1e300", "-10"), "the flows do not balance"},
      {"ambient -1e308", Block("1e-8", "-1e308"), "the report holds a number that is not finite"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Solution solution = SolveTemperatureField(c.model);
    const ModelLabels labels = NeutralLabels(c.model);
    EXPECT_EQ(ReportFault(BuildReport(solution, labels, "block.inp", {false, {}, std::nullopt})), c.fault);
    EXPECT_EQ(SolutionFault(solution), "");
    EXPECT_THROW(RequireSound(solution.Field(), solution.Field().temperature, ValuesOf(c.model), labels),
                 RunError);
  }
}

}  // namespace
}  // namespace kelvane::testing
