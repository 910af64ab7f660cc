#include "solver/soundness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelvane {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

const std::vector<Conductance> kWall = {{"the conductivity of \"masonry\"", 0.8},
                                        {"the conductivity of \"EPS\"", 0.035},
                                        {"h x edge length of \"outside\"", 0.25}};

// The outcome for temperatures (nodes 1..), the inside's and the outside's
// flows at 20 and -10, and the conductances: "sound", or the message and
// the node it names.
std::string Outcome(std::vector<double> t, double inside, double outside,
                    std::vector<Conductance> conductances = kWall, double outside_at = -10) {
  t.insert(t.begin(), 0.0);
  SolutionFigures figures{t, {{"\"inside\"", 20, inside}, {"\"outside\"", outside_at, outside}},
                          std::move(conductances)};
  const std::optional<Unsoundness> found = CheckSoundness(figures);
  if (!found) return "sound";
  return found->detail + (found->node ? " @" + std::to_string(found->node) : "");
}

TEST(Soundness, RefusesWhatRoundingHasSpoiltAndNamesTheCause) {
  const std::string wall_span =
      "the conductances span 22.9 (the conductivity of \"masonry\", 0.8 W/(m K), to the "
      "conductivity of \"EPS\", 0.035)";
  struct Case {
    const char* name;
    std::string outcome;
    std::string expected;
  } cases[] = {
      {"a sound wall", Outcome({12, 3.5}, 5.0, -5.0 + 4e-5), "sound"},
      {"balance within the bound", Outcome({12, 3.5}, 5.0, -5.0 + 4.9e-5), "sound"},
      {"balance beyond it", Outcome({12, 3.5}, 5.0, -5.0 + 6e-5),
       "the flows sum to 6E-05 W/m, 1.2E-05 of the largest (5 W/m through \"inside\"), where "
       "rounding allows 1E-05; " + wall_span},
      {"a temperature not finite", Outcome({12, kInf, NAN}, 5.0, -5.0),
       "the temperature here is inf (and at 1 more nodes); " + wall_span + " @2"},
      {"a flow not finite", Outcome({12, 3.5}, -kInf, 5.0),
       "the flow through \"inside\" is -inf W/m; " + wall_span},
      {"flows that overflow together", Outcome({12, 3.5}, 1e308, 1e308),
       "the flows sum to inf W/m, inf of the largest (1E+308 W/m through \"inside\"), where "
       "rounding allows 1E-05; " + wall_span},
      {"conductivities spanning 1e16",
       Outcome({12, 3.5}, 2e-4, 1e-4,
               {{"the conductivity of \"steel\"", 1e8}, {"the conductivity of \"wool\"", 1e-8}}),
       "the flows sum to 0.0003 W/m, 1.5 of the largest (0.0002 W/m through \"inside\"), where "
       "rounding allows 1E-05; the conductances span 1E+16 (the conductivity of \"steel\", 1E+08 "
       "W/(m K), to the conductivity of \"wool\", 1E-08), beyond what rounding leaves accurate; "
       "keep the span below 1E+08"},
      {"h of 1e308",
       Outcome({-10, -10}, 0.0, -7.1e291,
               {{"the conductivity of \"EPS\"", 0.035}, {"h x edge length of \"outside\"", 1e305}}),
       "the flows sum to -7.1E+291 W/m, 1 of the largest (-7.1E+291 W/m through \"outside\"), "
       "where rounding allows 1E-05; the conductances span 2.86E+306 (h x edge length of "
       "\"outside\", 1E+305 W/(m K), to the conductivity of \"EPS\", 0.035), beyond what rounding "
       "leaves accurate; keep the span below 1E+08"},
      {"an environment beyond the arithmetic", Outcome({12, kInf}, 5.0, -5.0, kWall, -1e308),
       "the temperature here is inf; the temperature -1E+308 of \"outside\" leaves the arithmetic "
       "no room (keep temperatures within 1E+150) @2"},
      // One temperature everywhere: the flows are rounding alone.
      {"isothermal", Outcome({20, 20 + 1e-11}, 1.2e-10, -4e-12, kWall, 20), "sound"},
      {"isothermal but off", Outcome({20, 20.5}, 1.2e-10, -4e-12, kWall, 20),
       "every environment is at 20, but the temperature here is 20.5, off by more than rounding "
       "allows (2E-05); " + wall_span + " @2"},
      {"no flow at all", Outcome({12, 3.5}, 0.0, 0.0), "sound"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.outcome, c.expected) << c.name;
}

TEST(Soundness, ACauseWithoutConductancesSaysSo) {
  const std::vector<double> t = {0, 1};
  const SolutionFigures figures{t, {{"\"a\"", 1, 1}, {"\"b\"", 0, 1}}, {}};
  EXPECT_EQ(CheckSoundness(figures)->detail,
            "the flows sum to 2 W/m, 2 of the largest (1 W/m through \"a\"), where rounding "
            "allows 1E-05; the model has no conductance to weigh");
}

}  // namespace
}  // namespace kelvane
