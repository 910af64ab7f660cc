// The modelling mistakes that give a wrong answer looking exact, through
// the built program: each warns on stderr with its place and in the
// report, exits 0, and --strict turns it into a refusal with no result.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/process.h"

namespace kelvane::testing {
namespace {

class Warned : public ::testing::Test {
 protected:
  Outcome Run(const std::string& text, std::vector<std::string> options) {
    WriteFile(folder_ / "w.toml", text);
    options.insert(options.begin(), "-q");
    options.push_back("w.toml");
    return RunProgram(KELVANE2D_BINARY, options,
                      {{"PATH", "/usr/bin:/bin"}, {"HOME", folder_.path()}}, folder_.path());
  }
  TemporaryFolder folder_;
};

// 100 mm of mineral wool and 240 mm of brick, 1000 mm high, between the
// outside and a room; `change` edits the text.
std::string Wall(const std::string& wool_to = "100", const std::string& outside = "[-20, 0, 0, 1000]",
                 const std::string& more = "") {
  return "title = \"wall\"\n[grid]\nmax_cell = 10\n[materials]\n\"mineral wool\" = 0.035\n"
         "brick = 0.8\n[conditions]\ninside = { ambient = 20, resistance = 0.13 }\n"
         "outside = { ambient = -5, resistance = 0.04 }\n"
         "[[shape]]\nfill = \"mineral wool\"\nrect = [0, 0, " + wool_to + ", 1000]\n"
         "[[shape]]\nfill = \"brick\"\nrect = [101, 0, 341, 1000]\n"
         "[[shape]]\nfill = \"outside\"\nrect = " + outside + "\n"
         "[[shape]]\nfill = \"inside\"\nrect = [341, 0, 361, 1000]\n" + more;
}

TEST_F(Warned, TheTrialsMistakesWarnAndStrictRefusesThem) {
  const struct {
    const char* name;
    std::string text;
    std::string warning;  // The first warning line.
  } cases[] = {
      {"a 1 mm gap between the layers", Wall(),
       "kelvane2d: warning: w.toml:10:1: a void of 1 \xC3\x97 1000 mm between \"mineral wool\" and "
       "\"brick\" at x 100 mm: void is adiabatic; draw the gap's fill\n"},
      {"the outside drawn 20 mm away", Wall("101", "[-40, 0, -20, 1000]"),
       "kelvane2d: warning: w.toml:9:1: condition \"outside\" touches no material: none of its "
       "cells borders one, so it takes no heat; draw it against the surface\n"},
      {"a flanking length in metres",
       Wall("101", "[-20, 0, 0, 1000]",
            "[psi]\nbetween = [\"inside\", \"outside\"]\n"
            "flanking = [{ from = [0, 500], to = [341, 500], length = 1.0 }]\n"),
       "kelvane2d: warning: w.toml:24:13: the flanking length, 1 mm, is under 1 % of the "
       "drawing's 1000 mm: lengths are in millimetres; a length in metres?\n"},
      {"a drawing in metres",
       "[grid]\nmax_cell = 0.01\n[materials]\nbrick = 0.8\n[conditions]\n"
       "inside = { ambient = 20, resistance = 0.13 }\noutside = { ambient = -5, resistance = 0.04 }\n"
       "[[shape]]\nfill = \"brick\"\nrect = [0, 0, 0.24, 1]\n[[shape]]\nfill = \"outside\"\n"
       "rect = [-0.02, 0, 0, 1]\n[[shape]]\nfill = \"inside\"\nrect = [0.24, 0, 0.26, 1]\n",
       "kelvane2d: warning: w.toml:10:8: the drawing is 1 mm across, under 10 mm: a detail file is "
       "drawn in millimetres; a drawing in metres?\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome warned = Run(c.text, {"--report=json"});
    EXPECT_EQ(warned.status, 0) << warned.err;
    EXPECT_EQ(warned.err.substr(0, warned.err.find('\n') + 1), c.warning);
    const nlohmann::json report = nlohmann::json::parse(warned.out);
    ASSERT_FALSE(report["warnings"].empty());
    EXPECT_EQ("kelvane2d: warning: " + report["warnings"][0]["place"].get<std::string>() + ": " +
                  report["warnings"][0]["text"].get<std::string>() + "\n",
              c.warning);
    std::filesystem::remove(folder_ / "w.otp.csv");

    const Outcome strict = Run(c.text, {"--strict", "--svg"});
    EXPECT_EQ(strict.status, 1);
    const std::string place = c.warning.substr(20, c.warning.find(": ", 20) - 20);
    EXPECT_EQ(strict.err, "kelvane2d: error: " + place + ": warning under --strict: " +
                              c.warning.substr(22 + place.size()));
    EXPECT_FALSE(Exists(folder_ / "w.otp.csv"));
    EXPECT_FALSE(Exists(folder_ / "w.svg"));
  }
}

// Insulation between a fixed 100 and air at 20 with h = 25, in cells of
// 10 mm: the node beside the air's corner falls below 20. Cells of a
// millimetre resolve the convection, and the warning goes.
TEST_F(Warned, ATemperatureOutsideTheDrivingRangeNamesThePointAndTheCellSize) {
  auto text = [](const std::string& max_cell) {
    return "[grid]\nmax_cell = " + max_cell +
           "\n[materials]\ninsulation = 0.035\n[conditions]\nair = { ambient = 20, h = 25 }\n"
           "[fixed]\nhot = 100\n[[shape]]\nfill = \"insulation\"\nrect = [0, 0, 100, 100]\n"
           "[[shape]]\nfill = \"hot\"\nrect = [-10, 0, 0, 100]\n"
           "[[shape]]\nfill = \"air\"\nrect = [100, 0, 110, 100]\n"
           "[[shape]]\nfill = \"air\"\nrect = [0, 100, 110, 110]\n";
  };
  const Outcome coarse = Run(text("10"), {});
  EXPECT_EQ(coarse.status, 0);
  EXPECT_EQ(coarse.err,
            "kelvane2d: warning: w.toml, the point at x 10 mm, y 100 mm: a temperature of 13.78 "
            "lies outside 20 to 100, the range of the ambients and fixed temperatures: the grid is "
            "too coarse there for the convection; cells no larger than lambda / h = 1.4 mm there "
            "would help\n");
  EXPECT_EQ(Run(text("1"), {}).err, "");
}

}  // namespace
}  // namespace kelvane::testing
