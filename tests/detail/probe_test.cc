#include "detail/probe.h"

#include <gtest/gtest.h>

#include "detail/detail_test_util.h"
#include "solver/solver.h"

namespace kelvane::testing {
namespace {

TEST(Probe, FindsTheElementThatHoldsAPoint) {
  // Two 10 mm material cells (its cell set on purpose, larger than half its
  // height), then a cell of air.
  const MadeGrid grid =
      MakeFromText(WithHeader("[[shape]]\nfill = \"a\"\nrect = [0, 0, 20, 10]\ncell = 10\n"
                              "[[shape]]\nfill = \"air\"\nrect = [20, 0, 30, 10]\n"));
  const struct {
    Point p;
    std::optional<ProbeSpot> spot;
  } cases[] = {
      {{5, 5}, ProbeSpot{1, 1, 0.5, 0.5}},
      {{10, 2.5}, ProbeSpot{1, 1, 1, 0.75}},  // On the side two elements share.
      {{20, 5}, ProbeSpot{2, 1, 1, 0.5}},     // On the side of material and air.
      {{0, 10}, ProbeSpot{1, 1, 0, 0}},       // Top left corner of the drawing.
      {{20, 0}, ProbeSpot{2, 1, 1, 1}},
      {{25, 5}, std::nullopt},  // In the air.
      {{-1, 5}, std::nullopt},
      {{5, 10.5}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.p.x) + ", " + std::to_string(c.p.y));
    const std::optional<ProbeSpot> spot = FindElement(grid, c.p);
    ASSERT_EQ(spot.has_value(), c.spot.has_value());
    if (!spot) continue;
    EXPECT_EQ(spot->column, c.spot->column);
    EXPECT_EQ(spot->row, c.spot->row);
    EXPECT_EQ(spot->fx, c.spot->fx);
    EXPECT_EQ(spot->fy, c.spot->fy);
  }
}

// A bar held at 0 at one end and 100 at the other has the field T = x (or
// y) exactly, which the bilinear field of every element reproduces.
TEST(Probe, TemperatureIsTheElementsBilinearField) {
  const char* const kBars[] = {
      "[[shape]]\nfill = \"cold\"\nrect = [-5, 0, 0, 30]\n"
      "[[shape]]\nfill = \"warm\"\nrect = [100, 0, 105, 30]\n"
      "[[shape]]\nfill = \"m\"\nrect = [0, 0, 100, 30]\n",
      "[[shape]]\nfill = \"cold\"\nrect = [0, -5, 30, 0]\n"
      "[[shape]]\nfill = \"warm\"\nrect = [0, 100, 30, 105]\n"
      "[[shape]]\nfill = \"m\"\nrect = [0, 0, 30, 100]\n",
  };
  for (int axis = 0; axis < 2; ++axis) {
    const MadeGrid grid = MakeFromText(
        "[grid]\nmax_cell = 10\n[materials]\nm = 1\n[fixed]\ncold = 0\nwarm = 100\n" +
        std::string(kBars[axis]) + "[probes]\np = [" + (axis ? "3, 37" : "37, 3") + "]\n");
    const Solution solution = SolveTemperatureField(grid.model);
    ASSERT_EQ(grid.labels.probes.size(), 1u);
    EXPECT_NEAR(ProbeTemperature(grid.labels.probes[0].spot, solution.ResultGrid()), 37, 1e-9) << axis;
  }
}

}  // namespace
}  // namespace kelvane::testing
