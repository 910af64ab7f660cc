#include "picture/isotherms.h"

#include <gtest/gtest.h>

#include <cmath>

#include "picture/picture_test_util.h"
#include "platform/number_text.h"

namespace kelvane::testing {
namespace {

TEST(ChooseIsothermLevels, TakesTheLargestRoundStepWithEightToTwenty) {
  struct Case {
    double minimum, maximum, step;
    double first, last;
    std::size_t count;
  };
  const Case cases[] = {
      {0, 100, 10, 10, 90, 9},
      {98.0988354738635, 100, 0.2, 98.2, 99.8, 9},
      {-9.7, 20, 2, -8, 18, 14},
      {0, 0.0035, 0.0002, 0.0002, 0.0034, 17},
      {-1e6, 1e6, 2e5, -8e5, 8e5, 9},
      {0.5, 8.5, 1, 1, 8, 8},
      {0, 8, 0.5, 0.5, 7.5, 15},  // the ends are no levels: 1 would give only 7
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.minimum) + " to " + std::to_string(c.maximum));
    IsothermLevels levels = ChooseIsothermLevels(c.minimum, c.maximum);
    EXPECT_DOUBLE_EQ(levels.step, c.step);
    ASSERT_EQ(levels.values.size(), c.count);
    EXPECT_EQ(NumberText(levels.values.front()), NumberText(c.first));
    EXPECT_EQ(NumberText(levels.values.back()), NumberText(c.last));
  }
}

TEST(ChooseIsothermLevels, AlwaysGivesEightToTwentyRoundLevels) {
  for (double minimum : {-37.3, 0.0, 0.001, 12.5, 273.15}) {
    for (double range = 1e-3; range < 1e4; range *= 1.37) {
      SCOPED_TRACE(std::to_string(minimum) + " + " + std::to_string(range));
      IsothermLevels levels = ChooseIsothermLevels(minimum, minimum + range);
      ASSERT_GE(levels.values.size(), 8u);
      ASSERT_LE(levels.values.size(), 20u);
      for (double v : levels.values) {
        EXPECT_GT(v, minimum);
        EXPECT_LT(v, minimum + range);
        // A round number prints short: no 0.30000000000000004.
        EXPECT_LE(NumberText(v).size(), 12u) << v;
      }
    }
  }
}

TEST(ChooseIsothermLevels, GivesNoneWithoutAUsableRange) {
  EXPECT_TRUE(ChooseIsothermLevels(5, 5).values.empty());
  EXPECT_TRUE(ChooseIsothermLevels(5, 4).values.empty());
  EXPECT_TRUE(ChooseIsothermLevels(0, INFINITY).values.empty());
  EXPECT_TRUE(ChooseIsothermLevels(-1e308, 1e308).values.empty());
  EXPECT_TRUE(ChooseIsothermLevels(NAN, 1).values.empty());
  // A range far below the precision of the values themselves.
  EXPECT_TRUE(ChooseIsothermLevels(1e10, 1e10 + 1e-6).values.empty());
}

// One line per level across the whole wall, straight at the x where the
// one-dimensional field takes that temperature.
void ExpectStraightAt(const PictureGrid& grid, double level, double x, int subdivisions) {
  SCOPED_TRACE("level " + std::to_string(level));
  const std::vector<Isotherm> lines = TraceIsotherms(grid, level, subdivisions);
  ASSERT_EQ(lines.size(), 1u);
  const std::vector<PointMm>& points = lines[0].points;
  ASSERT_GE(points.size(), 2u);
  for (const PointMm& p : points) EXPECT_NEAR(p.x, x, 1e-9);
  EXPECT_DOUBLE_EQ(std::min(points.front().y, points.back().y), 0);
  EXPECT_DOUBLE_EQ(std::max(points.front().y, points.back().y), grid.Height());
}

TEST(TraceIsotherms, OnAOneMaterialWallAreStraightLinesAtTheirTemperature) {
  // 0 on the left and 100 on the right over 100 mm: T = x in mm.
  PictureRun wall(WallInput({{30, 1}, {30, 1}, {40, 1}}, {1}, 0, 100, 3));
  PictureGrid grid = wall.Grid();
  IsothermLevels levels = ChooseIsothermLevels(grid.Minimum(), grid.Maximum());
  ASSERT_EQ(levels.values.size(), 9u);
  for (int n : {1, 3, 8}) {
    for (double level : levels.values) ExpectStraightAt(grid, level, level, n);
  }
}

TEST(TraceIsotherms, OnATwoLayerWallFollowTheLayersResistances) {
  // 40 mm of k = 1 and 60 mm of k = 3: the first layer takes 2/3 of the
  // drop, so T = 100/60 x up to 40 mm, then 66.67 + (x - 40) / 1.8.
  PictureRun wall(WallInput({{20, 1}, {20, 1}, {30, 2}, {30, 2}}, {1, 3}, 0, 100));
  PictureGrid grid = wall.Grid();
  const double interface = 100.0 * 0.04 / 0.06;
  for (double level = 10; level < 100; level += 10) {
    const double x = level <= interface ? level * 40 / interface
                                        : 40 + (level - interface) * 60 / (100 - interface);
    ExpectStraightAt(grid, level, x, 4);
  }
}

// A square of four elements whose centre node is hot and whose other nodes
// are at 0.
PictureGrid Peak(double centre) {
  Model model;
  model.MaterialTable = {Material{}, Material{"m", 1, 1}};
  model.ConvectionTable = {Convection{}};
  model.FixedTemperatureTable = {0};
  MakeCodeBlock(model, 4, 4);
  for (int k = 1; k <= 2; ++k) {
    model.ColumnWidths[k] = 0.01;
    model.RowHeights[k] = 0.01;
    for (int j = 1; j <= 2; ++j) model.Codes(k, j) = MaterialCode(1);
  }
  PictureRun run(std::move(model));
  run.SetTemperatures([&](int k, int j) { return k == 2 && j == 2 ? centre : 0; });
  return run.Grid();
}

TEST(TraceIsotherms, JoinsPiecesAroundAPeakIntoOneClosedLine) {
  PictureGrid grid = Peak(10);
  for (int n : {1, 5}) {
    const std::vector<Isotherm> lines = TraceIsotherms(grid, 5, n);
    ASSERT_EQ(lines.size(), 1u);
    const auto& p = lines[0].points;
    EXPECT_EQ(p.front(), p.back());
    if (n == 1) {
      EXPECT_EQ(p.size(), 5u);
    }
    // The field in each element is 10 (1 - dx/10)(1 - dy/10) around the
    // centre, and the pieces end on the lines of the subdivision, where it
    // is linear: every point lies exactly on the curve where it is 5.
    for (const PointMm& q : p) {
      const double dx = std::fabs(q.x - 10), dy = std::fabs(q.y - 10);
      EXPECT_NEAR((1 - dx / 10) * (1 - dy / 10), 0.5, 1e-12);
    }
  }
}

TEST(TraceIsotherms, SplitsASaddleByItsCentreValue) {
  // One element with 1 at top left and bottom right, 0 at the others.
  Model model;
  model.MaterialTable = {Material{}, Material{"m", 1, 1}};
  model.ConvectionTable = {Convection{}};
  model.FixedTemperatureTable = {0};
  MakeCodeBlock(model, 3, 3);
  model.ColumnWidths[1] = 0.01;
  model.RowHeights[1] = 0.01;
  model.Codes(1, 1) = MaterialCode(1);
  PictureRun run(std::move(model));
  run.SetTemperatures([](int k, int j) { return k == j ? 1.0 : 0.0; });
  PictureGrid grid = run.Grid();
  // The centre is 0.5: at level 0.4 it lies above, so the two low corners
  // are cut off; at 0.6 below, so the two high corners are.
  for (double level : {0.4, 0.6}) {
    const std::vector<Isotherm> lines = TraceIsotherms(grid, level, 1);
    ASSERT_EQ(lines.size(), 2u);
    for (const Isotherm& line : lines) {
      const PointMm mid{(line.points.front().x + line.points.back().x) / 2,
                        (line.points.front().y + line.points.back().y) / 2};
      // Each piece cuts the corner nearer to its middle: top right (10, 0)
      // or bottom left (0, 10) when the low corners are cut off.
      const bool near_low = std::hypot(mid.x - 10, mid.y) < 5 || std::hypot(mid.x, mid.y - 10) < 5;
      EXPECT_EQ(near_low, level < 0.5) << level;
    }
  }
}

TEST(TraceIsotherms, TracesEachPartOfTheElementsOnce) {
  // One row of elements in two parts of the subdivision: two pieces.
  PictureRun wall(WallInput({{50, 1}, {50, 1}}, {1}, 0, 100, 1));
  PictureGrid grid = wall.Grid();
  const std::vector<Isotherm> lines = TraceIsotherms(grid, 25, 2);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].points.size(), 3u);
}

TEST(SimplifyLine, DropsPointsOnTheLineAndKeepsCorners) {
  const std::vector<PointMm> line = {{0, 0}, {1, 0.001}, {2, 0}, {3, 0}, {3, 1}, {3, 2}};
  EXPECT_EQ(SimplifyLine(line, 0.01), (std::vector<PointMm>{{0, 0}, {3, 0}, {3, 2}}));
  EXPECT_EQ(SimplifyLine(line, 0.0001).size(), 5u);
  // A closed square keeps its corners.
  const std::vector<PointMm> square = {{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 1}, {0, 0}};
  EXPECT_EQ(SimplifyLine(square, 0.1),
            (std::vector<PointMm>{{0, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 0}}));
}

}  // namespace
}  // namespace kelvane::testing
