// The example detail files: the grids they make, and the EN ISO 10211
// reference cases met from their detail files.

#include <gtest/gtest.h>

#include <cmath>

#include "app/validation.h"
#include "detail/detail_file.h"
#include "detail/flanking.h"
#include "detail/grid_text.h"
#include "model/cell_code.h"
#include "model/input_reader.h"
#include "solver/solver.h"

namespace kelvane::testing {
namespace {

MadeGrid MakeExample(const std::string& name) {
  return MakeGrid(ReadDetailFile(std::string(KELVANE_SOURCE_DIR) + "/examples/" + name));
}

TEST(Examples, MakeTheirGrids) {
  const struct {
    const char* file;
    std::size_t columns, rows;
  } examples[] = {
      {"wall_slab.toml", 140, 192},
      {"heating_pipe.toml", 62, 85},
      {"validation/iso10211_case1.toml", 41, 82},
      {"validation/iso10211_case2.toml", 87, 50},
  };
  for (const auto& e : examples) {
    SCOPED_TRACE(e.file);
    const MadeGrid grid = MakeExample(e.file);
    EXPECT_EQ(grid.widths.size(), e.columns);
    EXPECT_EQ(grid.heights.size(), e.rows);
    EXPECT_TRUE(ParseInput(GridInputText(grid), "made.inp") == grid.model);
  }
}

// The wall above and below the slab is the one-dimensional wall of the
// drawing, crossed from outside to inside; its two lengths are the wall's
// whole outside height.
TEST(Examples, WallSlabAsksForPsiAndTheMouldCheck) {
  const DetailFile d =
      ReadDetailFile(std::string(KELVANE_SOURCE_DIR) + "/examples/wall_slab.toml");
  const std::vector<FlankingElement> walls = FlankingElements(d);
  ASSERT_EQ(walls.size(), 2u);
  EXPECT_EQ(walls[0].length + walls[1].length, 2290);
  for (const FlankingElement& wall : walls) {
    ASSERT_EQ(wall.layers.size(), 4u);
    EXPECT_EQ(wall.layers[0].material, "render");
    EXPECT_EQ(wall.layers[1].thickness, 120);
    EXPECT_EQ(wall.layers[3].material, "plaster");
    EXPECT_EQ(wall.u, 1 / (0.04 + 0.02 / 0.87 + 0.12 / 0.035 + 0.24 / 0.8 + 0.015 / 0.7 + 0.13));
  }
  ASSERT_EQ(d.cases.size(), 1u);
  EXPECT_EQ(d.cases[0].name, "condensation");
  ASSERT_EQ(d.cases[0].overrides.size(), 2u);
  EXPECT_EQ(d.cases[0].overrides[0].resistance, 0.25);
  EXPECT_EQ(d.cases[0].overrides[1].ambient, -5);
}

// The heat flow into the model through condition `number`: over the sides
// its cells share with material cells, h L (ambient - mean of the ends).
double FlowThrough(const Model& model, const Table2<Cell>& result, int number) {
  const Table2<Cell>& codes = model.CellGrid;
  auto is = [&](int k, int j, char letter) {
    if (k < 0 || j < 0 || k > codes.Last1() - 2 || j > codes.Last2() - 2) return false;
    const CodeParts code = SplitCellCode(codes(k + 1, j + 1));
    return code.letter == letter && (letter != 'B' || code.number == number);
  };
  auto t = [&](int k, int j) { return result(k, j).NumericValue().value; };
  const Convection& c = model.ConvectionTable[number];
  double flow = 0;
  for (int j = 0; j <= codes.Last2() - 2; ++j) {
    for (int k = 0; k <= codes.Last1() - 2; ++k) {
      if (!is(k, j, 'B')) continue;
      const double width = codes(k + 1, 0).NumericValue().value;
      const double height = codes(0, j + 1).NumericValue().value;
      auto side = [&](double length, double t1, double t2) {
        flow += c.HeatTransferCoefficient * length * (c.AmbientTemperature - (t1 + t2) / 2);
      };
      if (is(k - 1, j, 'A')) side(height, t(k, j), t(k, j + 1));
      if (is(k + 1, j, 'A')) side(height, t(k + 1, j), t(k + 1, j + 1));
      if (is(k, j - 1, 'A')) side(width, t(k, j), t(k + 1, j));
      if (is(k, j + 1, 'A')) side(width, t(k, j + 1), t(k + 1, j + 1));
    }
  }
  return flow;
}

TEST(Examples, ReferenceCase2FromItsDetailFile) {
  const MadeGrid grid = MakeExample("validation/iso10211_case2.toml");
  Table2<Cell> result;
  SolveTemperatureField(grid.model, result);
  const double reference[] = {7.1, 0.8, 7.9, 6.3, 0.8, 16.4, 16.3, 16.8, 18.3};  // A to I
  ASSERT_EQ(grid.probes.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) {
    SCOPED_TRACE(grid.probes[i].name);
    EXPECT_NEAR(ProbeTemperature(grid.probes[i].spot, result), reference[i], 0.05);
  }
  EXPECT_NEAR(FlowThrough(grid.model, result, 1), 9.5, 0.01);
  EXPECT_NEAR(FlowThrough(grid.model, result, 2), -9.5, 0.01);
}

TEST(Examples, ReferenceCase1FromItsDetailFile) {
  const MadeGrid grid = MakeExample("validation/iso10211_case1.toml");
  Table2<Cell> result;
  SolveTemperatureField(grid.model, result);
  ASSERT_EQ(grid.probes.size(), 28u);
  for (const PlacedProbe& probe : grid.probes) {
    SCOPED_TRACE(probe.name);
    const double analytical = HalfSquareColumn(probe.point.x / 1000, probe.point.y / 1000);
    EXPECT_NEAR(ProbeTemperature(probe.spot, result), analytical, 0.005);
  }
  // The corner point where 20 and 0 meet is held at their mean, 10: the
  // top left node, at column line 2 and row line 2 beside the one-cell
  // regions that hold the edges.
  EXPECT_EQ(result(2, 2), Cell::Number(10));
  EXPECT_EQ(result(3, 2), Cell::Number(20));
  EXPECT_EQ(result(2, 3), Cell::Number(0));
}

}  // namespace
}  // namespace kelvane::testing
