#include "model/subdivide.h"

#include <gtest/gtest.h>

#include "model/input_reader.h"

namespace kelvane {
namespace {

TEST(Subdivide, HalvesEveryCellAndKeepsTheRing) {
  // Two columns (10 and 30 mm) and one row (8 mm) inside a ring.
  const Model model = ParseInput(
      "\"t\"\n1\nm,1\n1\n20,10\n1\n5\n2,1\n10,30\n8\nB1,B1,B1,C1\n,A1,A1,B1\nC1,,,\n", "t.inp");
  const Model cut = SubdividedModel(model);
  ASSERT_EQ(cut.LastColumn(), 6);  // 4 columns and the ring
  ASSERT_EQ(cut.LastRow(), 4);     // 2 rows and the ring
  EXPECT_EQ(cut.ColumnWidths, (std::vector<double>{0, 0.005, 0.005, 0.015, 0.015, 0}));
  EXPECT_EQ(cut.RowHeights, (std::vector<double>{0, 0.004, 0.004, 0}));
  // Code row by code row: the ring's rows and columns stay single.
  const char* const expected[] = {"B1 B1 B1 B1 B1 C1", ". A1 A1 A1 A1 B1", ". A1 A1 A1 A1 B1",
                                  "C1 . . . . ."};
  for (int j = 0; j < 4; ++j) {
    std::string row;
    for (int k = 0; k < 6; ++k) {
      const std::string code = cut.CodeText(k, j);
      row += (k > 0 ? " " : "") + (code.empty() ? std::string(".") : code);
    }
    EXPECT_EQ(row, expected[j]) << "code row " << j + 1;
  }
  EXPECT_EQ(cut.ConvectionTable, model.ConvectionTable);
}

TEST(Subdivide, APointKeepsItsPlaceInTheCutCells) {
  struct Case {
    int k;
    double f;
    int cell;
    double fraction;
  };
  // A grid of 3 interior cells between ring cells 0 and 4: last index 5.
  const Case cases[] = {{0, 0.5, 0, 0.5}, {1, 0.25, 1, 0.5}, {1, 0.5, 2, 0},
                        {3, 1, 6, 1},     {4, 0.3, 7, 0.3}};
  for (const Case& c : cases) {
    const CutPosition p = CutCell(c.k, c.f, 5);
    EXPECT_EQ(p.cell, c.cell) << c.k << " " << c.f;
    EXPECT_EQ(p.fraction, c.fraction) << c.k << " " << c.f;
  }
}

}  // namespace
}  // namespace kelvane
