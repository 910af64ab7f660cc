#include "detail/drawing_shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

#include "detail/dxf_test_util.h"
#include "detail/geometry.h"
#include "detail/grid_maker.h"
#include "platform/error.h"

namespace kelvane::testing {
namespace {

constexpr double kPi = std::numbers::pi;

// Lines 1 to 9; the layer's value stands at 9:9, the file's at 6:8.
const std::string kHead =
    "[grid]\nmax_cell = 10\n[materials]\npvc = 0.17\n[drawing]\nfile = \"frame.dxf\"\n";
const std::string kLayerShape = "[[shape]]\nfill = \"pvc\"\nlayer = \"PVC\"\n";

DrawingFiles Files(const std::string& dxf) {
  return [dxf](const std::string& path) -> std::string {
    if (path != "frame.dxf") throw RunError(ErrorKind::kFileNotFound, path, "no such file");
    return dxf;
  };
}

DetailFile Parsed(const std::string& toml, const std::string& dxf) {
  return ParseDetail(toml, "d.toml", Files(dxf));
}

std::string Square(const std::string& layer, double x, double y, double side) {
  return DxfPolyline(layer, {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}}, true);
}

TEST(DrawingShapes, RefusalsNameTheDrawingTheLayerAndAPoint) {
  const std::string open = DxfLine("PVC", 0, 0, 10, 0) + DxfLine("PVC", 10, 0, 10, 10) +
                           DxfLine("PVC", 10, 10, 0, 10) + DxfLine("PVC", 0, 10, 0, 0.35);
  const std::string bad = "d.toml:9:9: invalid value: frame.dxf, layer \"PVC\": ";
  struct Case {
    const char* what;
    std::string toml;
    std::string dxf;
    std::string message;
  };
  const Case kCases[] = {
      {"no such layer", kHead + kLayerShape,
       DxfFile(Square("FRAME", 0, 0, 10), "", -1, {"0", "FRAME"}),
       "d.toml:9:9: unknown name: frame.dxf has no layer \"PVC\"; its layers are \"0\", "
       "\"FRAME\""},
      {"an open chain", kHead + kLayerShape, DxfFile(open),
       bad + "the outline through x 0, y 0 mm does not close: its ends are 0.35 mm apart"},
      {"no outline", kHead + kLayerShape, DxfFile(DxfText("PVC", "a note")),
       bad + "the layer holds no closed outline"},
      {"a bow tie", kHead + kLayerShape,
       DxfFile(DxfPolyline("PVC", {{0, 0}, {10, 10}, {10, 0}, {0, 6}}, true)),
       bad + "the outline through x 0, y 0 mm crosses or touches itself at x 3.75, y 3.75 mm"},
      {"two outlines across", kHead + kLayerShape,
       DxfFile(Square("PVC", 0, 0, 10) + Square("PVC", 5, 5, 10)),
       bad + "the outlines through x 0, y 0 mm and x 5, y 5 mm meet at x 5, y 10 mm; "
             "outlines of one layer must neither touch nor cross"},
      {"two outlines touching", kHead + kLayerShape,
       DxfFile(Square("PVC", 0, 0, 10) + Square("PVC", 10, 2, 5)),
       bad + "the outlines through x 0, y 0 mm and x 10, y 2 mm meet at x 10, y 2 mm; "
             "outlines of one layer must neither touch nor cross"},
      {"a fault", kHead + kLayerShape,
       DxfFile(Square("PVC", 0, 0, 10) + DxfInsert("PVC", "gone", 1, 2)),
       bad + "the INSERT at x 1, y 2 mm names the block \"gone\", which the drawing does not "
             "define"},
      {"no drawing", "[grid]\nmax_cell = 10\n[materials]\npvc = 0.17\n" + kLayerShape, "",
       "d.toml:7:9: missing key: a layer shape needs [drawing] with the file of the drawing"},
      {"not DXF", kHead + kLayerShape, "[grid]\n",
       "d.toml:6:8: syntax error: frame.dxf: not a DXF drawing: line 1 holds no group code, "
       "where a DXF file begins with 0 and SECTION"},
      {"no file", "[grid]\nmax_cell = 10\n[materials]\npvc = 0.17\n[drawing]\nfile = \"a.dxf\"\n" +
                      kLayerShape,
       "", "d.toml:6:8: file not found: a.dxf: no such file"},
      {"metres unsaid", kHead + kLayerShape, DxfFile(Square("PVC", 0, 0, 1), "", 6),
       "d.toml:5:1: missing key: frame.dxf gives its unit as m ($INSUNITS 6); say unit = \"m\" "
       "or unit = \"file\" in [drawing], or unit = \"mm\" to take its numbers as mm"},
      {"no unit in the file", kHead + "unit = \"file\"\n" + kLayerShape,
       DxfFile(Square("PVC", 0, 0, 1)),
       "d.toml:7:8: invalid value: unit = \"file\" takes the unit from the drawing's $INSUNITS, "
       "and frame.dxf gives none"},
      {"an unknown unit in the file", kHead + "unit = \"file\"\n" + kLayerShape,
       DxfFile(Square("PVC", 0, 0, 1), "", 3),
       "d.toml:7:8: invalid value: unit = \"file\" takes the unit from the drawing's $INSUNITS, "
       "and frame.dxf gives $INSUNITS 3, which is no unit read here"},
      {"a unit not read", kHead + "unit = \"ft\"\n" + kLayerShape, "",
       "d.toml:7:8: invalid value: unit must be one of \"mm\", \"cm\", \"m\", \"in\" and "
       "\"file\" (the drawing's $INSUNITS), not \"ft\""},
      {"join", kHead + "join = 20\n" + kLayerShape, "",
       "d.toml:7:8: invalid value: join must be 0 to 10 mm, not 20"},
      {"no file key", "[grid]\nmax_cell = 10\n[drawing]\nunit = \"mm\"\n", "",
       "d.toml:3:1: missing key: [drawing] needs file, the DXF file's name"},
      {"a layer not named", kHead + "[[shape]]\nfill = \"pvc\"\nlayer = 3\n", "",
       "d.toml:9:9: type mismatch: layer must be the name of a layer of the drawing, not an "
       "integer"},
  };
  for (const Case& c : kCases) {
    const DrawingFiles files = c.what == std::string("no file") ? DrawingFiles{} : Files(c.dxf);
    std::string message = "no error";
    try {
      ParseDetail(c.toml, "d.toml", files);
    } catch (const RunError& e) {
      message = e.what();
    }
    EXPECT_EQ(message, c.message) << c.what;
  }
}

TEST(DrawingShapes, ALayerIsARegionWithItsChambersAsHoles) {
  // A profile with two chambers on its layer, typed and drawn shapes mixed.
  const std::string dxf = DxfFile(DxfPolyline("PVC", {{0, 0}, {80, 0}, {80, 60}, {0, 60}}, true) +
                                  DxfPolyline("PVC", {{10, 50}, {30, 50}, {30, 10}, {10, 10}}, true) +
                                  DxfCircle("PVC", 55, 30, 10));
  const DetailFile d = Parsed(kHead + "[[shape]]\nfill = \"void\"\nrect = [-5, -5, 0, 0]\n" +
                                  kLayerShape,
                              dxf);
  ASSERT_EQ(d.shapes.size(), 2u);
  const Shape& s = d.shapes[1];
  EXPECT_EQ(s.kind, ShapeKind::kRegion);
  ASSERT_EQ(s.rings.size(), 3u);
  // Outside counter-clockwise, the chambers clockwise, however drawn.
  EXPECT_GT(SignedArea(s.rings[0]), 0);
  EXPECT_LT(SignedArea(s.rings[1]), 0);
  EXPECT_LT(SignedArea(s.rings[2]), 0);
  EXPECT_EQ(Bounds(s).x1, 80);
  EXPECT_FALSE(Contains(s, {20, 30}));  // In a chamber,
  EXPECT_TRUE(Contains(s, {10, 30}));   // on its outline,
  EXPECT_TRUE(Contains(s, {5, 30}));    // in the wall between.
  EXPECT_EQ(Classify(s, {12, 12, 28, 48}), Overlap::kNone);
  EXPECT_EQ(Classify(s, {1, 1, 9, 59}), Overlap::kFull);
  const double holes = 20 * 40 + PolygonArea(s.rings[2]);
  EXPECT_NEAR(OverlapArea(s, {-10, -10, 100, 100}), 80 * 60 - holes, 1e-9);
  EXPECT_NEAR(OverlapArea(s, {0, 0, 20, 60}), 20 * 60 - 10 * 40, 1e-9);
}

TEST(DrawingShapes, ChordsAreFinerThanTheCellsAlongThem) {
  // max_cell 10 asks for 0.1 mm (the coarsest), a shape's cell of 0.5 for
  // 0.025 mm, fine 1 for 0.05 mm.
  struct Case {
    std::string grid;
    std::string cell;
    double chord;
  };
  const Case kCases[] = {{"max_cell = 10", "", 0.1},
                         {"max_cell = 10", "cell = 0.5\n", 0.025},
                         {"max_cell = 10\nfine = 1\ngrowth = 1.2", "", 0.05},
                         {"max_cell = 1", "", 0.05}};
  for (const Case& c : kCases) {
    const std::string toml = "[grid]\n" + c.grid + "\n[materials]\npvc = 0.17\n[drawing]\n"
                             "file = \"frame.dxf\"\n" + kLayerShape + c.cell;
    const DetailFile d = Parsed(toml, DxfFile(DxfCircle("PVC", 0, 0, 50)));
    const double step = 2 * std::acos(1 - c.chord / 50);
    EXPECT_EQ(d.shapes[0].rings[0].size(), static_cast<std::size_t>(std::ceil(2 * kPi / step)))
        << c.grid << " " << c.cell;
  }
}

TEST(DrawingShapes, UnitsAndOffsetPlaceTheDrawing) {
  struct Case {
    std::string drawing;
    int insunits;
    Box bounds;
  };
  const Case kCases[] = {
      {"unit = \"cm\"\noffset = [100, -5]\n", -1, {100, -5, 120, 15}},
      {"unit = \"file\"\n", 1, {0, 0, 50.8, 50.8}},
      {"unit = \"mm\"\n", 6, {0, 0, 2, 2}},
      {"", 4, {0, 0, 2, 2}},
  };
  for (const Case& c : kCases) {
    const DetailFile d =
        Parsed(kHead + c.drawing + kLayerShape, DxfFile(Square("PVC", 0, 0, 2), "", c.insunits));
    const Box b = Bounds(d.shapes[0]);
    EXPECT_EQ(b.x0, c.bounds.x0) << c.drawing;
    EXPECT_EQ(b.y0, c.bounds.y0) << c.drawing;
    EXPECT_EQ(b.x1, c.bounds.x1) << c.drawing;
    EXPECT_EQ(b.y1, c.bounds.y1) << c.drawing;
  }
}

TEST(DrawingShapes, TheRoundedRectanglesCellsHoldItsAreaAtAFineGrid) {
  const double b = std::tan(kPi / 8);
  const std::string dxf = DxfFile(DxfPolyline(
      "PVC", {{10, 0}, {90, 0, b}, {100, 10}, {100, 50, b}, {90, 60}, {10, 60, b}, {0, 50},
              {0, 10, b}},
      true));
  const std::string toml = "[grid]\nmax_cell = 0.2\n[materials]\npvc = 0.17\n[drawing]\n"
                           "file = \"frame.dxf\"\n" + kLayerShape;
  const MadeGrid grid = MakeGrid(Parsed(toml, dxf));
  const double exact = 6000 - (4 - kPi) * 100;
  EXPECT_NEAR(grid.labels.areas[0].cells / exact, 1, 1e-4);
  EXPECT_NEAR(grid.labels.areas[0].drawn / exact, 1, 1e-4);
}

}  // namespace
}  // namespace kelvane::testing
