// --report, --report=json and --coupling as a user runs them.

#include <gtest/gtest.h>

#include "app/process.h"
#include "report/json_reader.h"

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
              ReadFile(std::string(KELVANE_SOURCE_DIR) + "/examples/wall_slab.inp"));
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

TEST_F(ReportRun, SparseSolverGivesTheSameReportAndSaysSo) {
  Outcome profile = Run({"--report=json", "--coupling", "--threads=1", "wall.inp"});
  const std::string profile_result = ReadFile(folder_ / "wall.otp.csv");
  Outcome sparse = Run({"--report=json", "--coupling", "--solver=sparse", "wall.inp"});
  ASSERT_EQ(profile.status, 0) << profile.err;
  ASSERT_EQ(sparse.status, 0) << sparse.err;
  const JsonValue a = ParseJson(profile.out);
  const JsonValue b = ParseJson(sparse.out);
  EXPECT_EQ(a["solver"].text, "profile");
  EXPECT_EQ(b["solver"].text, "sparse");
  // The wall's temperatures span 30 K, its flows 17.6 W/m.
  for (std::size_t c = 0; c < 2; ++c) {
    EXPECT_NEAR(b["conditions"][c]["flow"].number, a["conditions"][c]["flow"].number, 1e-9);
    EXPECT_NEAR(b["conditions"][c]["lowest"]["temperature"].number,
                a["conditions"][c]["lowest"]["temperature"].number, 3e-9);
  }
  EXPECT_NEAR(b["coupling"]["l2d"][0]["value"].number, a["coupling"]["l2d"][0]["value"].number,
              1e-10);
  EXPECT_EQ(Lines(ReadFile(folder_ / "wall.otp.csv")).size(), Lines(profile_result).size());
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
  EXPECT_NE(o.out.find("  C1  fixed temperature 100: 27.5707 W/m through 2 nodes\n"),
            std::string::npos);
  EXPECT_NE(o.out.find("Temperature factor fRsi = "), std::string::npos);
  EXPECT_EQ(o.out.find("Coupling"), std::string::npos);
}

TEST_F(ReportRun, JsonGivesOneObjectPerModelAndNamesFailures) {
  Outcome o = Run({"--report=json", "plate.inp", "missing.inp", "wall.inp"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "kelvane2d: error: missing.inp: file not found: no such file\n");
  const std::vector<std::string> lines = Lines(o.out);
  ASSERT_EQ(lines.size(), 3u) << o.out;
  const JsonValue plate = ParseJson(lines[0]);
  EXPECT_EQ(plate["model"].text, "plate.inp");
  EXPECT_NEAR(plate["fixed_temperatures"][0]["flow"].number, 27.5707, 1e-4);
  EXPECT_TRUE(plate["frsi"].IsNull());
  const JsonValue missing = ParseJson(lines[1]);
  EXPECT_EQ(missing["error"].text, "missing.inp: file not found: no such file");
  const JsonValue wall = ParseJson(lines[2]);
  EXPECT_EQ(wall["conditions"].items.size(), 2u);
  EXPECT_THROW(wall["coupling"], std::runtime_error);
}

TEST_F(ReportRun, CouplingComesWithTheReport) {
  Outcome text = Run({"--coupling", "wall.inp"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Report for wall.inp"), std::string::npos);
  EXPECT_NE(text.out.find("    B1 (ambient 20, h 7.69) and B2 (ambient -10, h 25): "),
            std::string::npos)
      << text.out;
  Outcome json = Run({"--coupling", "--report=json", "wall.inp"});
  ASSERT_EQ(json.status, 0) << json.err;
  const JsonValue coupling = ParseJson(json.out)["coupling"];
  ASSERT_EQ(coupling["environments"].items.size(), 2u);
  // The wall carries 17.555 W/m for 30 K between its two sides.
  EXPECT_NEAR(coupling["l2d"][0]["value"].number * 30, 17.555, 1e-3);
}

TEST_F(ReportRun, UnknownReportFormatIsAUsageError) {
  Outcome o = Run({"--report=xml", "plate.inp"});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "kelvane2d: usage error: unknown option '--report=xml'\nTry 'kelvane2d --help'.\n");
  EXPECT_FALSE(Exists(folder_ / "plate.otp.csv"));
  EXPECT_NE(Run({"--help"}).out.find("--report=json"), std::string::npos);
}

}  // namespace
}  // namespace kelvane::testing
