#include "detail/grid_text.h"

#include <gtest/gtest.h>

#include "detail/detail_test_util.h"
#include "model/input_reader.h"
#include "platform/error.h"

namespace kelvane::testing {
namespace {

TEST(GridText, IsAnOrdinaryGridInput) {
  const MadeGrid grid = MakeFromText(
      "title = 'Plate, \"steel\"'\n[grid]\nmax_cell = 10\n[materials]\n"
      "\"the \\\"best\\\" steel\" = 50\n[conditions]\nair = { ambient = 20, resistance = 0.3 }\n"
      "[fixed]\nhot = 100\n"
      "[[shape]]\nfill = \"hot\"\nrect = [-5, 0, 0, 5]\n"
      "[[shape]]\nfill = \"the \\\"best\\\" steel\"\nrect = [0, 0, 30, 5]\ncell = 10\n"
      "[[shape]]\nfill = \"air\"\nrect = [0, 5, 30, 6]\n");
  EXPECT_EQ(GridInputText(grid),
            "\"Plate, 'steel'\"\n"
            "1\n\"the 'best' steel\",50\n"
            "1\n20,3.3333333333333335\n"
            "1\n100\n"
            "4,2\n"
            "5,10,10,10\n"
            "1,5\n"
            ",,,,,\n"
            ",,B1,B1,B1,\n"
            ",C1,A1,A1,A1,\n"
            ",,,,,\n");
}

void ExpectSameModel(const MadeGrid& grid) {
  const Model read = ParseInput(GridInputText(grid), "made.inp");
  EXPECT_TRUE(read == grid.model);
  // Spell out where they differ, when they do.
  EXPECT_EQ(read.Header, grid.model.Header);
  EXPECT_TRUE(read.MaterialTable == grid.model.MaterialTable);
  EXPECT_TRUE(read.ConvectionTable == grid.model.ConvectionTable);
  EXPECT_EQ(read.FixedTemperatureTable, grid.model.FixedTemperatureTable);
  EXPECT_TRUE(read.Codes == grid.model.Codes);
  EXPECT_EQ(read.ColumnWidths, grid.model.ColumnWidths);
  EXPECT_EQ(read.RowHeights, grid.model.RowHeights);
}

// Graded cells have spacings of 15 significant digits and conditions an h
// of 1 / resistance: both must come back from the text to the last bit.
TEST(GridText, ReadsBackAsTheMadeModel) {
  std::mt19937 rng(12);
  int made = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const std::string text = RandomDrawing(rng);
    SCOPED_TRACE(text);
    MadeGrid grid;
    try {
      grid = MakeFromText(text);
    } catch (const RunError& e) {
      // Material painted over everywhere, or a probe off the material.
      EXPECT_EQ(e.kind(), ErrorKind::kNoMaterial) << e.what();
      continue;
    }
    ++made;
    ExpectSameModel(grid);
    double cells = 0;
    for (const MaterialArea& area : grid.labels.areas) cells += area.cells;
    EXPECT_GT(cells, 0);
  }
  EXPECT_GT(made, 250);
}

}  // namespace
}  // namespace kelvane::testing
