// --report, --report=json and --coupling as a user runs them.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>

#include "app/process.h"

namespace kelvane::testing {
namespace {

const char kPlate[] =
    "\"Steel plate\"\n1\nSteel,50\n1\n20,10\n1\n100\n2,1\n10,20\n5\n"
    "B1,B1,B1,B1\nC1,A1,A1,B1\n,,,\n";

class ReportRun : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(folder_ / "plate.inp", kPlate);
    WriteFile(folder_ / "wall.inp",
              ReadFile(std::string(KELVANE_SOURCE_DIR) + "/examples/wall_slab_grid.inp"));
  }
  Outcome Run(const std::vector<std::string>& args) {
    return RunProgram(KELVANE2D_BINARY, args, {{"PATH", "/usr/bin:/bin"}, {"HOME", folder_.path()}},
                      folder_.path());
  }
  std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }
  TemporaryFolder folder_;
};

// Everything after the solution, with either solver: the detail's flows,
// psi, its case (solved on the base factors), the coupling and the grid
// check agree to rounding, and the report says which solver ran.
TEST_F(ReportRun, SparseSolverGivesTheSameReportAndSaysSo) {
  WriteFile(folder_ / "slab.toml",
            ReadFile(std::string(KELVANE_SOURCE_DIR) + "/examples/wall_slab.toml"));
  const std::vector<std::string> args = {"--report=json", "--coupling", "--check-grid",
                                         "slab.toml"};
  std::vector<std::string> sparse_args = args;
  sparse_args.insert(sparse_args.begin(), "--solver=sparse");
  std::vector<std::string> profile_args = args;
  profile_args.insert(profile_args.begin(), "--solver=profile");
  Outcome profile = Run(profile_args);
  Outcome sparse = Run(sparse_args);
  ASSERT_EQ(profile.status, 0) << profile.err;
  ASSERT_EQ(sparse.status, 0) << sparse.err;
  const nlohmann::json a = nlohmann::json::parse(profile.out);
  const nlohmann::json b = nlohmann::json::parse(sparse.out);
  EXPECT_EQ(a.at("solver"), "profile");
  EXPECT_EQ(b.at("solver"), "sparse");
  // Every number of the report, flows of some 20 W/m and temperatures of
  // some 30 K, to rounding; every text and flag the same.
  std::function<void(const nlohmann::json&, const nlohmann::json&, const std::string&)> same =
      [&](const nlohmann::json& x, const nlohmann::json& y, const std::string& where) {
        ASSERT_EQ(x.type(), y.type()) << where;
        if (x.is_number_float()) {
          EXPECT_NEAR(y.get<double>(), x.get<double>(), 1e-8 * (1 + std::abs(x.get<double>())))
              << where;
        } else if (x.is_structured()) {
          ASSERT_EQ(x.size(), y.size()) << where;
          for (auto it = x.begin(); it != x.end(); ++it) {
            const std::string key = x.is_object() ? it.key() : std::to_string(it - x.begin());
            if (where.empty() && key == "solver") continue;
            same(*it, x.is_object() ? y.at(it.key()) : y.at(it - x.begin()), where + "/" + key);
          }
        } else {
          EXPECT_EQ(x, y) << where;
        }
      };
  same(a, b, "");
  EXPECT_TRUE(b.contains("psi") && b.contains("cases") && b.contains("grid_check"));
}

TEST_F(ReportRun, TheResultFileIsTheSameWithOrWithoutAReport) {
  Outcome plain = Run({"wall.inp", "plate.inp"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.out, "");
  const std::string wall = ReadFile(folder_ / "wall.otp.csv");
  const std::string plate = ReadFile(folder_ / "plate.otp.csv");
  for (const char* option : {"--report", "--report=json", "--coupling"}) {
    Outcome reported = Run({option, "wall.inp", "plate.inp"});
    EXPECT_EQ(reported.status, 0) << option;
    EXPECT_EQ(reported.err, "") << option;
    EXPECT_NE(reported.out, "") << option;
    EXPECT_EQ(ReadFile(folder_ / "wall.otp.csv"), wall) << option;
    EXPECT_EQ(ReadFile(folder_ / "plate.otp.csv"), plate) << option;
  }
}

TEST_F(ReportRun, TextReportFollowsEachModel) {
  Outcome o = Run({"--report", "plate.inp", "wall.inp"});
  ASSERT_EQ(o.status, 0) << o.err;
  const std::size_t plate = o.out.find("Report for plate.inp: Steel plate\n");
  const std::size_t wall = o.out.find("Report for wall.inp: Masonry wall");
  ASSERT_NE(plate, std::string::npos) << o.out;
  ASSERT_NE(wall, std::string::npos) << o.out;
  EXPECT_LT(plate, wall);
  EXPECT_NE(o.out.find("  C1  fixed temperature 100.00: 27.57 W/m through 2 nodes\n"),
            std::string::npos);
  EXPECT_NE(o.out.find("Temperature factor fRsi = "), std::string::npos);
  EXPECT_EQ(o.out.find("Coupling"), std::string::npos);
}

// The whole text report of the wall-and-slab example with its grid check,
// as a person reads it: every number rounded, with its unit, the header
// from [report]. A change of rounding or wording shows here first.
TEST_F(ReportRun, TheWallAndSlabReportReadsAsItShould) {
  WriteFile(folder_ / "wall_slab.toml",
            ReadFile(std::string(KELVANE_SOURCE_DIR) + "/examples/wall_slab.toml"));
  Outcome o = Run({"-q", "--solver=profile", "--report", "--check-grid", "wall_slab.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, ReadFile(std::string(KELVANE_SOURCE_DIR) + "/tests/app/wall_slab_report.txt"));
}

TEST_F(ReportRun, JsonGivesOneObjectPerModelAndNamesFailures) {
  Outcome o = Run({"--report=json", "plate.inp", "missing.inp", "wall.inp"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "kelvane2d: error: missing.inp: file not found: no such file\n");
  const std::vector<std::string> lines = Lines(o.out);
  ASSERT_EQ(lines.size(), 3u) << o.out;
  const nlohmann::json plate = nlohmann::json::parse(lines[0]);
  EXPECT_EQ(plate.at("model"), "plate.inp");
  EXPECT_NEAR(plate.at("fixed_temperatures").at(0).at("flow").get<double>(), 27.5707, 1e-4);
  EXPECT_TRUE(plate.at("frsi").is_null());
  const nlohmann::json missing = nlohmann::json::parse(lines[1]);
  EXPECT_EQ(missing.at("error"), "missing.inp: file not found: no such file");
  const nlohmann::json wall = nlohmann::json::parse(lines[2]);
  EXPECT_EQ(wall.at("conditions").size(), 2u);
  EXPECT_FALSE(wall.contains("coupling"));
}

TEST_F(ReportRun, CouplingComesWithTheReport) {
  Outcome text = Run({"--coupling", "wall.inp"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Report for wall.inp"), std::string::npos);
  EXPECT_NE(text.out.find("    B1 (ambient 20.00, h 7.69) and B2 (ambient -10.00, h 25): 0.585\n"),
            std::string::npos)
      << text.out;
  Outcome json = Run({"--coupling", "--report=json", "wall.inp"});
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json coupling = nlohmann::json::parse(json.out).at("coupling");
  ASSERT_EQ(coupling.at("environments").size(), 2u);
  // The wall carries 17.555 W/m for 30 K between its two sides.
  EXPECT_NEAR(coupling.at("l2d").at(0).at("value").get<double>() * 30, 17.555, 1e-3);
}

TEST_F(ReportRun, UnknownReportFormatIsAUsageError) {
  Outcome o = Run({"--report=xml", "plate.inp"});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "kelvane2d: usage error: --report takes =json or nothing, not 'xml'\nTry 'kelvane2d --help'.\n");
  EXPECT_FALSE(Exists(folder_ / "plate.otp.csv"));
  EXPECT_NE(Run({"--help"}).out.find("--report=json"), std::string::npos);
}

}  // namespace
}  // namespace kelvane::testing
