// The example detail files: the grids they make, and
// the corner of the first EN ISO 10211 reference case.

#include <gtest/gtest.h>

#include <cmath>

#include "detail/detail_file.h"
#include "detail/drawing_checks.h"
#include "detail/grid_text.h"
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
      {"heating_pipe.toml", 78, 101},
      {"wall_slab_dxf.toml", 140, 192},
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

// No example draws what the drawing checks warn of.
TEST(Examples, GiveNoWarning) {
  for (const char* file : {"wall_slab.toml", "heating_pipe.toml", "wall_slab_dxf.toml",
                           "ground_floor.toml", "external_corner.toml",
                           "validation/iso10211_case1.toml", "validation/iso10211_case2.toml"}) {
    SCOPED_TRACE(file);
    const DetailFile detail = ReadDetailFile(std::string(KELVANE_SOURCE_DIR) + "/examples/" + file);
    const MadeGrid grid = MakeGrid(detail);
    EXPECT_TRUE(grid.warnings.empty());
    EXPECT_TRUE(CheckDrawing(detail, grid).empty());
  }
}

// The reference cases' probes and flows are checked against the standard
// by the validation test; here, what only the detail file decides.
TEST(Examples, ReferenceCase1HoldsItsCornerAtTheMean) {
  const MadeGrid grid = MakeExample("validation/iso10211_case1.toml");
  const Solution solution = SolveTemperatureField(grid.model);
  const Table2<Cell>& result = solution.ResultGrid();
  // The corner point where 20 and 0 meet is held at their mean, 10: the
  // top left node, at column line 2 and row line 2 beside the one-cell
  // regions that hold the edges.
  EXPECT_EQ(result(2, 2), Cell::Number(10));
  EXPECT_EQ(result(3, 2), Cell::Number(20));
  EXPECT_EQ(result(2, 3), Cell::Number(0));
}

// The wall and slab drawn in a DXF with the typed coordinates: the same grid.
TEST(Examples, TheDrawnWallAndSlabMakesTheTypedGrid) {
  const MadeGrid typed = MakeExample("wall_slab.toml");
  const MadeGrid drawn = MakeExample("wall_slab_dxf.toml");
  EXPECT_EQ(drawn.widths, typed.widths);
  EXPECT_EQ(drawn.heights, typed.heights);
  EXPECT_EQ(drawn.labels.column_x_mm, typed.labels.column_x_mm);
  EXPECT_EQ(drawn.labels.row_y_mm, typed.labels.row_y_mm);
  EXPECT_TRUE(drawn.model.Codes == typed.model.Codes);
  ASSERT_EQ(drawn.labels.areas.size(), typed.labels.areas.size());
  for (std::size_t m = 0; m < typed.labels.areas.size(); ++m) {
    EXPECT_EQ(drawn.labels.areas[m].drawn, typed.labels.areas[m].drawn) << m;
    EXPECT_EQ(drawn.labels.areas[m].cells, typed.labels.areas[m].cells) << m;
  }
}

}  // namespace
}  // namespace kelvane::testing
