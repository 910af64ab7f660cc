#include "report/grid_check.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvane {
namespace {

// A sample with the flows entering it, one condition's lowest surface
// temperature per entry of `lowest` and one probe per entry of `probes`.
GridSample Sample(double entering, std::vector<double> lowest, std::vector<double> probes,
                  double ambient_of_second = -10) {
  GridSample s;
  s.entering = entering;
  for (std::size_t v = 0; v < lowest.size(); ++v) {
    ConditionReport c;
    c.number = static_cast<std::int32_t>(v + 1);
    c.name = v == 0 ? "room" : "outside";
    c.ambient = v == 0 ? 20 : ambient_of_second;
    c.coefficient = 8;
    c.edges = 4;
    c.lowest = SurfacePoint{lowest[v], 1, 1, 0, 0};
    s.solution.conditions.push_back(c);
  }
  for (std::size_t i = 0; i < probes.size(); ++i) {
    s.solution.probes.push_back({"p" + std::to_string(i + 1), 0, 0, probes[i]});
  }
  return s;
}

TEST(GridCheck, ComparesTheFlowsEnteringTheTwoGridsAgainstOnePerCent) {
  struct Case {
    double given, fine;
    double difference;
    bool passes;
  } cases[] = {
      {10, 10.099, 0.0099, true},  {10, 9.901, -0.0099, true}, {10, 10.11, 0.011, false},
      {10, 9.8, -0.02, false},     {0, 0, 0, true},            {0, 1e-3, INFINITY, false},
  };
  for (const Case& c : cases) {
    const GridCheckReport r =
        CompareGrids(Sample(c.given, {15, -9}, {}), Sample(c.fine, {15, -9}, {}), ModelLabels());
    if (std::isinf(c.difference)) {
      EXPECT_EQ(r.relative_difference, c.difference);
    } else {
      EXPECT_NEAR(r.relative_difference, c.difference, 1e-12) << c.given << " " << c.fine;
    }
    EXPECT_EQ(r.passes, c.passes) << c.given << " " << c.fine;
    EXPECT_FALSE(r.no_flow);
  }
}

TEST(GridCheck, EveryEnvironmentAtOneTemperaturePassesWithoutADifference) {
  // Rounding leaves flows of 1e-13 that differ by 200 %; no heat flows.
  const GridCheckReport r = CompareGrids(Sample(1e-13, {20, 20}, {}, 20),
                                         Sample(3e-13, {20, 20}, {}, 20), ModelLabels());
  EXPECT_TRUE(r.no_flow);
  EXPECT_TRUE(r.passes);
  EXPECT_EQ(r.relative_difference, 0);
}

TEST(GridCheck, NamesTheLargestChangeOfAProbeAndOfALowestSurfaceTemperature) {
  const GridCheckReport r = CompareGrids(Sample(10, {15, -9}, {1, 2, 3}),
                                         Sample(10, {14.9, -8.5}, {1.01, 1.9, 3.02}), ModelLabels());
  ASSERT_TRUE(r.probe_change && r.surface_change);
  EXPECT_EQ(r.probe_change->first, "p2");
  EXPECT_NEAR(r.probe_change->second, -0.1, 1e-12);
  EXPECT_EQ(r.surface_change->first, "outside");
  EXPECT_NEAR(r.surface_change->second, 0.5, 1e-12);
  EXPECT_EQ(r.fine_probes.size(), 3u);
  const GridCheckReport none = CompareGrids(Sample(10, {}, {}), Sample(10, {}, {}), ModelLabels());
  EXPECT_FALSE(none.probe_change || none.surface_change);
}

}  // namespace
}  // namespace kelvane
