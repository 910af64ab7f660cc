#include "picture/picture_grid.h"

#include <gtest/gtest.h>

#include "model/input_reader.h"
#include "picture/picture_test_util.h"

namespace kelvane::testing {
namespace {

// A model of 3 x 2 cells inside the ring (widths 10, 20, 30 mm, heights 5
// and 15 mm) with the given code block rows, meshed but not solved.
Model ThreeByTwo(const std::vector<std::string>& rows) {
  std::string text = "\"t\"\n2\nm1,1\nm2,2\n2\n20,10\n-5,25\n3\n100\n50\n0\n3,2\n10,20,30\n5,15\n";
  for (const std::string& row : rows) text += row + "\n";
  return ParseInput(text, "t.inp");
}

TEST(PictureGrid, PlacesGridLinesInMillimetresFromTheTopLeft) {
  PictureRun run(ThreeByTwo({",,,,", ",A1,A1,A1,", ",A1,A1,A1,", ",,,,"}));
  PictureGrid grid = run.Grid();
  EXPECT_EQ(grid.LastColumn(), 5);
  EXPECT_EQ(grid.LastRow(), 4);
  EXPECT_EQ(grid.X(1), 0);
  EXPECT_EQ(grid.X(2), 10);
  EXPECT_EQ(grid.X(4), 60);
  EXPECT_EQ(grid.Y(2), 5);
  EXPECT_EQ(grid.Width(), 60);
  EXPECT_EQ(grid.Height(), 20);
}

TEST(PictureGrid, TakesWhatEachCellIsFromTheRun) {
  PictureRun run(ThreeByTwo({"A1,B1,B2,C1,", ",A2,A 1,a1,", ",C1,A0,,", ",,,,"}));
  PictureGrid grid = run.Grid();
  auto is = [&](int k, int j, CellKind kind, int number) {
    return grid.CellAt(k, j).kind == kind && grid.CellAt(k, j).number == number;
  };
  EXPECT_TRUE(is(1, 0, CellKind::kConvection, 1));
  EXPECT_TRUE(is(3, 0, CellKind::kFixed, 1));
  EXPECT_TRUE(is(1, 1, CellKind::kMaterial, 2));
  EXPECT_TRUE(is(2, 1, CellKind::kMaterial, 1));  // blanks skipped
  EXPECT_TRUE(is(3, 1, CellKind::kVoid, 0));      // lower case
  EXPECT_TRUE(is(2, 2, CellKind::kVoid, 0));      // A0
  EXPECT_TRUE(is(1, 2, CellKind::kFixed, 1));
  // A material code in the ring is no element.
  EXPECT_TRUE(is(0, 0, CellKind::kMaterial, 1));
  EXPECT_FALSE(grid.IsElement(0, 0));
  EXPECT_TRUE(grid.IsElement(1, 1));
}

TEST(PictureGrid, FindsConvectionSidesOnlyBesideElementsAndMergesThem) {
  PictureRun run(ThreeByTwo({",B1,B1,B2,", "B2,A1,A2,A1,", "A1,A1,B1,,", ",,,,"}));
  PictureGrid grid = run.Grid();
  const std::vector<GridSide> sides = grid.ConvectionSides();
  const std::vector<GridSide> expected = {
      {true, 1, 1, 2, 2},   // left of (1, 1): the ring B2
      {true, 2, 2, 3, 1},   // B1 at (2, 2) right of the element (1, 2)
      {false, 1, 1, 3, 1},  // B1 above (1, 1) and (2, 1): one run
      {false, 1, 3, 4, 2},  // B2 above (3, 1)
      {false, 2, 2, 3, 1},  // B1 at (2, 2) below (2, 1)
  };
  EXPECT_EQ(sides, expected);
}

TEST(PictureGrid, DrawsBoundariesWhereMaterialsOrKindsChange) {
  PictureRun run(ThreeByTwo({",,,,", ",A1,A1,A2,", ",A1,C1,,", ",,,,"}));
  PictureGrid grid = run.Grid();
  const std::vector<GridSide> sides = grid.MaterialBoundaries();
  auto has = [&](bool vertical, int line, int from, int to) {
    for (const GridSide& s : sides) {
      if (s.vertical == vertical && s.line == line && s.from == from && s.to == to) return true;
    }
    return false;
  };
  EXPECT_TRUE(has(true, 1, 1, 3));   // the left outline, both rows
  EXPECT_TRUE(has(true, 3, 1, 3));   // A1 | A2 above, C1 | void below
  EXPECT_TRUE(has(false, 2, 2, 4));  // below A1 (2, 1) and A2 (3, 1)
  EXPECT_FALSE(has(true, 2, 1, 2));  // inside A1
  EXPECT_TRUE(has(true, 2, 2, 3));   // A1 | C1
}

TEST(PictureGrid, ReadsNodeTemperaturesAndFindsTheColdestSurfacePoint) {
  PictureRun run(ThreeByTwo({",B1,B1,B1,", ",A1,A1,A1,", ",A1,A1,A1,", ",,,,"}));
  run.SetTemperatures([](int k, int j) {
    if (k == 3 && j == 3) return -4.0;  // cold, but not on the convection side
    return k == 2 && j == 1 ? 7.0 : 10.0 * j + k;
  });
  PictureGrid grid = run.Grid();
  EXPECT_EQ(grid.Minimum(), -4);
  EXPECT_EQ(grid.Maximum(), 34);
  EXPECT_EQ(grid.Temperature(2, 1), 7);
  EXPECT_EQ(grid.Temperature(5, 1), std::nullopt);
  std::optional<PicturePoint> coldest = grid.ColdestSurfacePoint();
  ASSERT_TRUE(coldest);
  EXPECT_EQ(coldest->k, 2);
  EXPECT_EQ(coldest->j, 1);
  EXPECT_EQ(coldest->temperature, 7);
}

TEST(PictureGrid, ListsFixedNodesFromASolvedWall) {
  PictureRun wall(WallInput({{10, 1}, {10, 1}}, {1}, 5, 15, 1));
  PictureGrid grid = wall.Grid();
  const std::vector<PicturePoint> fixed = grid.FixedNodes();
  ASSERT_EQ(fixed.size(), 4u);  // both ends of one row of cells
  EXPECT_EQ(fixed[0].k, 1);
  EXPECT_EQ(fixed[0].temperature, 5);
  EXPECT_EQ(fixed[1].k, 3);
  EXPECT_EQ(fixed[1].temperature, 15);
  EXPECT_FALSE(grid.ColdestSurfacePoint());
}

}  // namespace
}  // namespace kelvane::testing
