// Which solver a run takes when --solver is not given, or is auto, and what
// the report says of it.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "app/process.h"
#include "solver/cholmod_skip.h"

namespace kelvane::testing {
namespace {

// A square block of `side` mm in cells of 10 mm, warm above and cold below.
std::string BlockDetail(int side) {
  const std::string s = std::to_string(side);
  return "[grid]\nmax_cell = 10\n[materials]\nconcrete = 2\n[conditions]\n"
         "room = { ambient = 20, h = 7.7 }\noutside = { ambient = -5, h = 25 }\n"
         "[[shape]]\nfill = \"concrete\"\nrect = [0, 0, " + s + ", " + s + "]\n"
         "[[shape]]\nfill = \"room\"\nrect = [0, " + s + ", " + s + ", " + std::to_string(side + 10) +
         "]\n[[shape]]\nfill = \"outside\"\nrect = [0, -10, " + s + ", 0]\n";
}

const char kPlate[] =
    "\"Steel plate\"\n1\nSteel,50\n1\n20,10\n1\n100\n2,1\n10,20\n5\n"
    "B1,B1,B1,B1\nC1,A1,A1,B1\n,,,\n";

class SolverChoiceRun : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args) {
    return RunProgram(KELVANE2D_BINARY, args, {{"PATH", "/usr/bin:/bin"}, {"HOME", folder_.path()}},
                      folder_.path());
  }
  nlohmann::json Report(const std::vector<std::string>& args) {
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 0) << o.err;
    return o.status == 0 ? nlohmann::json::parse(o.out) : nlohmann::json::object();
  }
  TemporaryFolder folder_;
};

// A detail file without --solver is solved by auto, which for a small model
// takes the profile solver and gives the same result to the bit.
TEST_F(SolverChoiceRun, SmallDetailTakesTheProfileSolverAndSaysWhy) {
  WriteFile(folder_ / "small.toml", BlockDetail(400));
  const nlohmann::json r = Report({"-q", "--report=json", "small.toml"});
  EXPECT_EQ(r.value("solver", ""), "profile");
  const std::string reason = r.value("solver_reason", "");
  EXPECT_EQ(reason.rfind("auto: profile, 1.7 k nodes, predicted faster: profile ", 0), 0u) << reason;
  const std::string chosen = ReadFile(folder_ / "small.otp.csv");
  const Outcome text = Run({"-q", "--report", "--solver=profile", "small.toml"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(ReadFile(folder_ / "small.otp.csv"), chosen);
  EXPECT_NE(text.out.find("Solved by the profile solver\n"), std::string::npos) << text.out;
  const Outcome page = Run({"-q", "--report", "small.toml"});
  EXPECT_NE(page.out.find("Solved by the profile solver (auto: profile, 1.7 k nodes, "),
            std::string::npos) << page.out;
}

// Every example and validation file of walls and floors stays on the
// profile solver, so that its results are the same to the bit without
// --solver as with --solver=profile. The frames, of 53 k nodes in cells of
// a tenth of a millimetre, are predicted faster by the sparse solver, and
// are (0.22 s against 0.34 s): their results agree to rounding.
TEST_F(SolverChoiceRun, EveryExampleStaysOnTheProfileSolver) {
  const std::filesystem::path source = KELVANE_SOURCE_DIR;
  std::vector<std::filesystem::path> details;
  for (const auto& folder : {source / "examples", source / "examples" / "validation"}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::filesystem::path& p = entry.path();
      if (p.extension() == ".dxf") WriteFile(folder_ / p.filename(), ReadFile(p.string()));
      if (p.extension() == ".toml") details.push_back(p);
    }
  }
  ASSERT_GE(details.size(), 7u);
  for (const std::filesystem::path& p : details) {
    WriteFile(folder_ / p.filename(), ReadFile(p.string()));
    const nlohmann::json r = Report({"-q", "--report=json", p.filename().string()});
    const bool frame = ReadFile(p.string()).find("cavity = ") != std::string::npos;
    const std::string kind = frame && CholmodMissing().empty() ? "sparse" : "profile";
    EXPECT_EQ(r.value("solver", ""), kind) << p;
    EXPECT_EQ(r.value("solver_reason", "").rfind("auto: " + kind + ", ", 0), 0u) << p;
  }
}

TEST_F(SolverChoiceRun, LargeDetailTakesTheSparseSolver) {
  if (const std::string missing = CholmodMissing(); !missing.empty()) GTEST_SKIP() << missing;
  WriteFile(folder_ / "large.toml", BlockDetail(3000));
  const nlohmann::json r = Report({"-q", "--report=json", "large.toml"});
  EXPECT_EQ(r.value("solver", ""), "sparse");
  const std::string reason = r.value("solver_reason", "");
  EXPECT_EQ(reason.rfind("auto: sparse, 91 k nodes, predicted faster", 0), 0u) << reason;
}

// A grid file keeps the profile solver unless told otherwise; auto takes it
// too, and says so.
TEST_F(SolverChoiceRun, GridFileKeepsTheProfileSolver) {
  WriteFile(folder_ / "plate.inp", kPlate);
  const nlohmann::json plain = Report({"-q", "--report=json", "plate.inp"});
  EXPECT_EQ(plain.value("solver", ""), "profile");
  EXPECT_FALSE(plain.contains("solver_reason"));
  const nlohmann::json chosen = Report({"-q", "--report=json", "--solver=auto", "plate.inp"});
  EXPECT_EQ(chosen.value("solver", ""), "profile");
  EXPECT_EQ(chosen.value("solver_reason", "").rfind("auto: profile, 6 nodes", 0), 0u);
}

// The result page says which solver ran and why, and the grid check's
// finer model is solved as well.
TEST_F(SolverChoiceRun, PageSaysWhichSolverRan) {
  WriteFile(folder_ / "small.toml", BlockDetail(400));
  const Outcome o = Run({"-q", "--check-grid", "--html=small.html", "small.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string page = ReadFile(folder_ / "small.html");
  EXPECT_NE(page.find("<dd>profile (auto: profile, 1.7 k nodes, predicted faster"),
            std::string::npos);
}

}  // namespace
}  // namespace kelvane::testing
