#include "detail/grid_maker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>

#include "detail/detail_test_util.h"
#include "platform/error.h"

namespace kelvane::testing {
namespace {

using Rows = std::vector<std::string>;

struct Drawing {
  const char* what;
  std::string shapes;
  std::string grid;
  Rows codes;                   // Top row first, with the void ring.
  std::vector<double> widths;   // mm
  std::vector<double> heights;  // mm, top first
};

// Material a is A1, b A2, condition air B1, fixed temperature hot C1,
// whatever order the shapes paint them in.
const Drawing kDrawings[] = {
    {"a later shape covers an earlier one; void cuts a hole",
     "[[shape]]\nfill = \"a\"\nrect = [0, 0, 30, 20]\n"
     "[[shape]]\nfill = \"b\"\nrect = [10, 0, 30, 20]\n"
     "[[shape]]\nfill = \"void\"\nrect = [10, 10, 20, 20]\n",
     "max_cell = 10",
     {". . . . .", ". A1 . A2 .", ". A1 A2 A2 .", ". . . . ."},
     {10, 10, 10},
     {10, 10}},
    {"intervals without material are one cell",
     "[[shape]]\nfill = \"hot\"\nrect = [20, 0, 25, 20]\n"
     "[[shape]]\nfill = \"a\"\nrect = [0, 0, 20, 20]\n"
     "[[shape]]\nfill = \"air\"\nrect = [-100, 0, 0, 20]\n",
     "max_cell = 10",
     {". . . . . .", ". B1 A1 A1 C1 .", ". B1 A1 A1 C1 .", ". . . . . ."},
     {100, 10, 10, 5},
     {10, 10}},
    {"a circle: cells whose centre it holds",
     "[[shape]]\nfill = \"a\"\ncircle = [10, 10, 10]\n",
     "max_cell = 5",
     {". . . . . .", ". . A1 A1 . .", ". A1 A1 A1 A1 .", ". A1 A1 A1 A1 .", ". . A1 A1 . .",
      ". . . . . ."},
     {5, 5, 5, 5},
     {5, 5, 5, 5}},
    {"a polygon holds the centres on its sides",
     "[[shape]]\nfill = \"b\"\npolygon = [[0, 0], [20, 0], [20, 20]]\n",
     "max_cell = 5",
     {". . . . . .", ". . . . A2 .", ". . . A2 A2 .", ". . A2 A2 A2 .", ". A2 A2 A2 A2 .",
      ". . . . . ."},
     {5, 5, 5, 5},
     {5, 5, 5, 5}},
    {"graded from fine at both ends",
     "[[shape]]\nfill = \"a\"\nrect = [0, 0, 10, 2]\n",
     "max_cell = 100\nfine = 1\ngrowth = 2",
     {". . . . . . .", ". A1 A1 A1 A1 A1 .", ". A1 A1 A1 A1 A1 .", ". . . . . . ."},
     {1, 2, 4, 2, 1},
     {1, 1}},
    {"a circle's extent a rounding step off a drawn line is that line",
     "[[shape]]\nfill = \"a\"\nrect = [0.3, 0, 19.7, 60.4]\n"
     "[[shape]]\nfill = \"b\"\ncircle = [10, 70.1, 9.7]\n",
     "max_cell = 20",
     // The circle's cells fit it: at most pi r / 4 = 7.6 mm within its
     // extent; below it they grow by 1.5 from that size toward the middle.
     {". . . . .", ". A2 A2 A2 .", ". A2 A2 A2 .", ". A2 A2 A2 .", ". A1 A1 A1 .", ". A1 A1 A1 .",
      ". A1 A1 A1 .", ". A1 A1 A1 .", ". A1 A1 A1 .", ". A1 A1 A1 .", ". . . . ."},
     {6.46666666666667, 6.46666666666667, 6.46666666666667},
     {6.46666666666667, 6.46666666666667, 6.46666666666667, 6.35789473684211, 9.53684210526316,
      14.3052631578947, 14.3052631578947, 9.53684210526316, 6.35789473684211}},
    {"a thin layer is two cells across, and a thin sheet at a slope as many as its chords ask",
     "[[shape]]\nfill = \"a\"\nrect = [0, 0, 40, 3]\n"
     "[[shape]]\nfill = \"b\"\npolygon = [[0, 3], [40, 13], [40, 15], [0, 5]]\n",
     "max_cell = 20",
     // The sheet is 2 mm high across every column and 8 mm wide along
     // every row: cells of at most 1 mm by 4 mm within its extent, and its
     // cells join by their sides; the layer is 1.5 mm cells.
     {". . . . . . . . . . . . . .", ". . . . . . . . . . . . A2 .",
      ". . . . . . . . . . . A2 A2 .", ". . . . . . . . . . A2 A2 . .",
      ". . . . . . . . . A2 A2 . . .", ". . . . . . . . A2 A2 . . . .",
      ". . . . . . A2 A2 A2 . . . . .", ". . . . . A2 A2 A2 . . . . . .",
      ". . . . A2 A2 . . . . . . . .", ". . . A2 A2 . . . . . . . . .",
      ". . A2 A2 . . . . . . . . . .", ". A2 A2 . . . . . . . . . . .",
      ". A2 . . . . . . . . . . . .", ". A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 .",
      ". A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 .", ". . . . . . . . . . . . . ."},
     std::vector<double>(12, 3.33333333333333),
     {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1.5, 1.5}},
    {"a shape's cell holds within its extent, across the whole grid",
     "[[shape]]\nfill = \"a\"\nrect = [0, 0, 30, 10]\n"
     "[[shape]]\nfill = \"b\"\nrect = [10, 0, 15, 5]\ncell = 2.5\n",
     "max_cell = 10",
     // Beside it the cells grow from its 2.5 mm by 1.5 toward the middle,
     // and a's are half its 10 mm across.
     {". . . . . . . . . . . . .", ". A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 .",
      ". A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 .", ". A1 A1 A1 A1 A2 A2 A1 A1 A1 A1 A1 .",
      ". A1 A1 A1 A1 A2 A2 A1 A1 A1 A1 A1 .", ". . . . . . . . . . . . ."},
     {2, 3, 3, 2, 2.5, 2.5, 2.06896551724138, 3.10344827586207, 4.6551724137931, 3.10344827586207,
      2.06896551724138},
     {2.5, 2.5, 2.5, 2.5}},
};

TEST(GridMaker, CellsOfSmallDrawings) {
  for (const Drawing& d : kDrawings) {
    SCOPED_TRACE(d.what);
    const MadeGrid grid = MakeFromText(WithHeader(d.shapes, d.grid));
    EXPECT_EQ(CodeRows(grid.model), d.codes);
    EXPECT_EQ(grid.widths, d.widths);
    EXPECT_EQ(grid.heights, d.heights);
  }
}

TEST(GridMaker, TablesNamesAndCoordinates) {
  const MadeGrid grid =
      MakeFromText("title = 'A \"quoted\" title'\n" +
                   WithHeader("[[shape]]\nfill = \"a\"\nrect = [-30, 100, 0, 120]\n"
                              "[[shape]]\nfill = \"air\"\nrect = [0, 100, 10, 120]\n"));
  const Model& m = grid.model;
  EXPECT_EQ(m.Header, "A 'quoted' title");
  EXPECT_EQ(grid.labels.title, "A \"quoted\" title");
  ASSERT_EQ(m.MaterialCount(), 2);
  EXPECT_EQ(m.MaterialTable[2].Name, "b");
  EXPECT_EQ(m.MaterialTable[2].ConductivityX, 2);
  EXPECT_EQ(m.MaterialTable[2].ConductivityY, 2);
  ASSERT_EQ(m.ConvectionCount(), 1);
  EXPECT_EQ(m.ConvectionTable[1].AmbientTemperature, 20);
  EXPECT_EQ(m.ConvectionTable[1].HeatTransferCoefficient, 8);
  ASSERT_EQ(m.FixedTemperatureCount(), 1);
  EXPECT_EQ(m.FixedTemperatureTable[1], 50);
  EXPECT_EQ(grid.labels.materials, (std::vector<std::string>{"", "a", "b"}));
  EXPECT_EQ(grid.labels.conditions, (std::vector<std::string>{"", "air"}));
  EXPECT_EQ(grid.labels.fixed, (std::vector<std::string>{"", "hot"}));
  // Spacings in metres, the ring without size.
  EXPECT_EQ(m.ColumnWidths, (std::vector<double>{0, 0.01, 0.01, 0.01, 0.01, 0}));
  EXPECT_EQ(m.RowHeights, (std::vector<double>{0, 0.01, 0.01, 0}));
  EXPECT_EQ(grid.labels.column_x_mm, (std::vector<double>{-30, -20, -10, 0, 10}));
  EXPECT_EQ(grid.labels.row_y_mm, (std::vector<double>{120, 110, 100}));
  const Point corner = grid.DrawingPoint(0.03, 0.02);
  EXPECT_DOUBLE_EQ(corner.x, 0);
  EXPECT_DOUBLE_EQ(corner.y, 120);
}

TEST(GridMaker, AreasDrawnAndOfCells) {
  const MadeGrid grid =
      MakeFromText(WithHeader("[[shape]]\nfill = \"a\"\nrect = [0, 0, 20, 20]\n"
                              "[[shape]]\nfill = \"b\"\ncircle = [10, 10, 10]\n"
                              "[[shape]]\nfill = \"a\"\npolygon = [[0, 0], [10, 0], [0, 10]]\n",
                              "max_cell = 5"));
  const double pi = std::numbers::pi;
  ASSERT_EQ(grid.labels.areas.size(), 2u);
  // The triangle's long side is a chord of the circle: it covers the
  // circle's segment, 25 pi - 50. Where both outlines pass through a block
  // the area is exact only to the quartering.
  EXPECT_NEAR(grid.labels.areas[1].drawn, 100 * pi - (25 * pi - 50), 0.01);
  EXPECT_NEAR(grid.labels.areas[0].drawn + grid.labels.areas[1].drawn, 400, 1e-9);
  EXPECT_DOUBLE_EQ(grid.labels.areas[0].cells + grid.labels.areas[1].cells, 400);
  // Cells: the triangle's extent is cut into cells of 2.5 mm, half its
  // thickness; the circle's cells, 5 mm elsewhere, come within 1 % of what
  // it shows.
  EXPECT_DOUBLE_EQ(grid.labels.areas[1].cells, 286.5);
}

TEST(GridMaker, WarnsOfAShapeWhoseCellsCoverMuchMoreOrLessThanItDraws) {
  // A pipe of 8.5 mm radius on two 8.5 mm cells across (cell = 10, set so
  // on purpose): its cells cover 27 % more than it draws. On cells that fit
  // it, within 5 %.
  const std::string pipe = "[[shape]]\nfill = \"a\"\ncircle = [0, 0, 8.5]\n";
  const MadeGrid coarse = MakeFromText(WithHeader(pipe + "cell = 10\n", "max_cell = 10"));
  ASSERT_EQ(coarse.warnings.size(), 1u);
  EXPECT_EQ(coarse.warnings[0].place, "d.toml:12:10");
  EXPECT_EQ(coarse.warnings[0].text,
            "the cells of this circle of \"a\" cover 27.3 % more than it draws (289 of 226.98 "
            "mm\xC2\xB2); give it a smaller cell");
  EXPECT_TRUE(MakeFromText(WithHeader(pipe, "max_cell = 5")).warnings.empty());
  for (const char* example : {"wall_slab.toml", "wall_slab_dxf.toml", "heating_pipe.toml",
                              "ground_floor.toml", "external_corner.toml",
                              "validation/iso10211_case1.toml",
                              "validation/iso10211_case2.toml"}) {
    EXPECT_TRUE(MakeGrid(ReadDetailFile(std::string(KELVANE_SOURCE_DIR) + "/examples/" + example))
                    .warnings.empty())
        << example;
  }
}

std::string ErrorWith(const std::string& text, std::uint64_t points) {
  try {
    MakeGrid(ParseDetail(text, "d.toml"), GridLimits{points});
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

std::string ManyRects(int count) {
  std::string shapes;
  for (int i = 0; i < count; ++i) {
    const std::string at = std::to_string(i);
    shapes += "[[shape]]\nfill = \"a\"\nrect = [" + at + ", " + at + ", 100, 100]\n";
  }
  return shapes;
}

TEST(GridMaker, RefusesWithThePlaceOfTheCause) {
  const std::string square = "[[shape]]\nfill = \"a\"\nrect = [0, 0, 300, 300]\n";
  const struct {
    std::string text;
    std::uint64_t points;
    std::string message;
  } cases[] = {
      {WithHeader(""), 1u << 31, "d.toml:3:1: no material: the drawing has no shape"},
      {WithHeader("[[shape]]\nfill = \"air\"\nrect = [0, 0, 1, 1]\n"), 1u << 31,
       "d.toml:11:8: no material: the drawing shows no material: no shape's fill is one"},
      {WithHeader(square + "[[shape]]\nfill = \"void\"\nrect = [0, 0, 300, 300]\n"), 1u << 31,
       "d.toml:11:8: no material: the drawing shows no material: later shapes cover this one's"},
      {WithHeader(square + "[probes]\nhere = [100, 300]\nthere = [100, 301]\n"), 1u << 31,
       "d.toml:15:1: no element: probe \"there\" at [100, 301] lies in no material cell"},
      {WithHeader(square + "[[shape]]\nfill = \"hot\"\nrect = [0, 0, 50, 50]\n"
                           "[probes]\nhot = [10, 10]\n"),
       1u << 31, "d.toml:17:1: no element: probe \"hot\" at [10, 10] lies in no material cell"},
      {WithHeader(square), 1000,
       "d.toml:2:12: overflow: the grid would have 30 x 30 cells, more than a grid of 1000 grid "
       "points holds"},
      {WithHeader(square, "max_cell = 1e-3"), 10000,
       "d.toml:2:12: overflow: cutting 300 mm into cells of 0.001 mm makes more cells than a "
       "grid of 10000 grid points holds"},
      {WithHeader(square + "[[shape]]\nfill = \"b\"\nrect = [0, 0, 10, 10]\ncell = 1e-3\n"), 10000,
       "d.toml:16:8: overflow: cutting 10 mm into cells of 0.001 mm makes more cells than a "
       "grid of 10000 grid points holds"},
      // Each direction fits alone; together they do not, most by fine's cells.
      {WithHeader(square, "max_cell = 10\nfine = 1e-3\ngrowth = 1.01"), 10000,
       "d.toml:3:8: overflow: the grid would have 1471 x 1471 cells, more than a grid of 10000 "
       "grid points holds"},
      {WithHeader(ManyRects(40)), 1000,
       "d.toml: overflow: the drawing's 41 x 41 grid lines make more cells than a grid of 1000 "
       "grid points holds"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ErrorWith(c.text, c.points), c.message);
  }
}

// A tiny file asking for a grid of 1e24 cells is refused before anything is
// made, at the key that asks for it.
TEST(GridMaker, RefusesAnEndlessGridAtOnce) {
  const auto start = std::chrono::steady_clock::now();
  const std::string message = DetailError(
      WithHeader("[[shape]]\nfill = \"a\"\nrect = [0, 0, 1000, 1000]\n", "max_cell = 1e-9"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  EXPECT_EQ(message.rfind("d.toml:2:12: ", 0), 0u) << message;
  const bool kind = message.find(": overflow: ") != std::string::npos ||
                    message.find(": out of memory: ") != std::string::npos;
  EXPECT_TRUE(kind) << message;
}

}  // namespace
}  // namespace kelvane::testing

namespace kelvane::testing {
namespace {

// A PVC block with air chambers drawn into it; `cavities` are the fills.
std::string Chambers(const std::string& shapes) {
  return "[grid]\nmax_cell = 2\n[materials]\npvc = 0.17\nair = { cavity = \"unventilated\" }\n"
         "gap = { cavity = \"slightly ventilated\" }\n"
         "[[shape]]\nfill = \"pvc\"\nrect = [0, 0, 60, 40]\n" +
         shapes;
}

TEST(GridMakerCavities, AnLOfTwoRectanglesIsOneCavityWithItsAreaAndBox) {
  // 20 x 10 at the bottom and 10 x 10 above its left end: 300 mm2 in a
  // 20 x 20 box.
  const MadeGrid made = MakeFromText(Chambers(
      "[[shape]]\nfill = \"air\"\nrect = [10, 10, 30, 20]\n"
      "[[shape]]\nfill = \"air\"\nrect = [10, 20, 20, 30]\n"));
  ASSERT_EQ(made.labels.cavities.size(), 1u);
  const CavityLabel& c = made.labels.cavities[0];
  EXPECT_EQ(c.fill, "air");
  EXPECT_EQ(c.kind, "unventilated");
  EXPECT_EQ(c.material, 2);  // The fill's own number.
  EXPECT_DOUBLE_EQ(c.area_mm2, 300);
  EXPECT_DOUBLE_EQ(c.width_mm, 20);
  EXPECT_DOUBLE_EQ(c.height_mm, 20);
  EXPECT_DOUBLE_EQ(c.x_mm, 11);  // The centre of its lowest, leftmost 2 mm cell.
  EXPECT_DOUBLE_EQ(c.y_mm, 11);
  // The equivalent square: w' = t' = sqrt(300) mm, so lambda_x = lambda_y.
  EXPECT_DOUBLE_EQ(c.along_x.d_mm, std::sqrt(300.0));
  EXPECT_DOUBLE_EQ(c.along_x.conductivity, c.along_y.conductivity);
  const CavityValues v = CavityConductivity(300e-6, 0.02, 0.02, {}, {});
  EXPECT_EQ(made.model.MaterialTable[2].ConductivityX, v.x.conductivity);
  EXPECT_EQ(made.model.MaterialTable[2].Name, "air");
  EXPECT_EQ(made.model.MaterialCount(), 3);
}

TEST(GridMakerCavities, TouchingChambersOfTwoFillsAreTwoCavitiesAndOneFillApartIsTwo) {
  const MadeGrid made = MakeFromText(Chambers(
      "[[shape]]\nfill = \"air\"\nrect = [10, 10, 20, 30]\n"
      "[[shape]]\nfill = \"gap\"\nrect = [20, 10, 26, 30]\n"
      "[[shape]]\nfill = \"air\"\nrect = [40, 10, 50, 20]\n"));
  const std::vector<CavityLabel>& c = made.labels.cavities;
  ASSERT_EQ(c.size(), 3u);
  // In the order of their first cells: along the bottom row, left to right.
  EXPECT_EQ(c[0].fill, "air");
  EXPECT_EQ(c[1].fill, "gap");
  EXPECT_EQ(c[2].fill, "air");
  EXPECT_EQ(c[0].material, 2);
  EXPECT_EQ(c[1].material, 3);
  EXPECT_EQ(c[2].material, 4);  // A second cavity of "air": a number of its own.
  EXPECT_EQ(made.labels.materials[2], "air 1");
  EXPECT_EQ(made.labels.materials[4], "air 2");
  EXPECT_EQ(made.labels.materials[3], "gap");
  EXPECT_DOUBLE_EQ(c[0].area_mm2, 200);
  EXPECT_DOUBLE_EQ(c[1].area_mm2, 120);
  EXPECT_DOUBLE_EQ(c[2].area_mm2, 100);
  // A slightly ventilated cavity conducts twice what the same unventilated
  // one would.
  CavityFill unventilated;
  EXPECT_DOUBLE_EQ(c[1].along_y.conductivity,
                   2 * CavityConductivity(120e-6, 0.006, 0.02, unventilated, {}).y.conductivity);
  // The cells carry the cavities' numbers; the drawing's area of "air" is
  // shared out, so that no material's cells differ from what is drawn.
  EXPECT_EQ(made.model.Codes(21, 15).number, 4);  // x 41, y 11
  for (const MaterialArea& a : made.labels.areas) EXPECT_TRUE(a.AsDrawn()) << a.material;
  EXPECT_DOUBLE_EQ(made.labels.areas[1].drawn + made.labels.areas[3].drawn, 300);
}

// A cavity one cell across is as wide as its cell, whatever the drawing
// meant: warned about at its fill, once a rectangle of material covers all
// but a strip of it.
TEST(GridMakerCavities, WarnsOfACavityOneCellAcross) {
  const MadeGrid made = MakeFromText(Chambers(
      "[[shape]]\nfill = \"air\"\nrect = [10, 10, 30, 20]\n"
      "[[shape]]\nfill = \"pvc\"\nrect = [11, 10, 30, 20]\n"
      "[[shape]]\nfill = \"gap\"\nrect = [40, 10, 50, 20]\n"));
  ASSERT_EQ(made.labels.cavities.size(), 2u);
  ASSERT_EQ(made.warnings.size(), 1u);
  EXPECT_EQ(made.warnings[0].place, "d.toml:5:1");
  EXPECT_EQ(made.warnings[0].text,
            "the cavity \"air\" at x 10.5, y 11 mm is one cell wide: its size, and so its "
            "conductivity, is the cells' more than the drawing's; give its shapes a smaller cell");
}

TEST(GridMakerCavities, AnisotropicMaterialsKeepBothConductivitiesAndNoCavityChangesNothing) {
  const MadeGrid made = MakeFromText(
      "[grid]\nmax_cell = 10\n[materials]\nosb = { x = 0.13, y = 0.09 }\n"
      "air = { cavity = \"unventilated\" }\n[[shape]]\nfill = \"osb\"\nrect = [0, 0, 20, 20]\n");
  EXPECT_EQ(made.model.MaterialTable[1].ConductivityX, 0.13);
  EXPECT_EQ(made.model.MaterialTable[1].ConductivityY, 0.09);
  // A cavity fill that paints nothing has no cavity and stays as still air.
  EXPECT_TRUE(made.labels.cavities.empty());
  EXPECT_EQ(made.model.MaterialTable[2].ConductivityX, 0.025);
  EXPECT_EQ(made.model.MaterialCount(), 2);
}

}  // namespace
}  // namespace kelvane::testing
