#include "detail/dxf_layers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "detail/dxf_test_util.h"
#include "detail/geometry.h"
#include "platform/error.h"

namespace kelvane::testing {
namespace {

constexpr double kPi = std::numbers::pi;

DrawingLayers Expanded(const std::string& entities, const std::string& blocks = "",
                       double chord = 0.01, DxfPlacement placement = DxfPlacement{}) {
  const DxfDrawing drawing = ParseDxf(DxfFile(entities, blocks), "f.dxf");
  return ExpandDrawing(drawing, placement, [chord](const std::string&) { return chord; });
}

const DrawingLayer& LayerNamed(const DrawingLayers& layers, const std::string& name) {
  for (const DrawingLayer& layer : layers.layers) {
    if (layer.name == name) return layer;
  }
  static const DrawingLayer kNone;
  ADD_FAILURE() << "no layer " << name;
  return kNone;
}

std::string ExpandError(const std::string& entities, const std::string& blocks,
                        double chord = 0.01) {
  try {
    Expanded(entities, blocks, chord);
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

// Whether the outline has the vertices, in its order from any start, to
// within `near`.
bool SameOutline(const std::vector<Point>& outline, const std::vector<Point>& expected,
                 double near = 0) {
  if (outline.size() != expected.size()) return false;
  for (std::size_t start = 0; start < outline.size(); ++start) {
    bool same = true;
    for (std::size_t i = 0; i < outline.size() && same; ++i) {
      const Point p = outline[(start + i) % outline.size()];
      same = std::fabs(p.x - expected[i].x) <= near && std::fabs(p.y - expected[i].y) <= near;
    }
    if (same) return true;
  }
  return false;
}

// The largest distance of a chord's middle from the circle about c.
double LargestChordError(const std::vector<Point>& outline, Point c, double r) {
  double largest = 0;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const Point a = outline[i], b = outline[(i + 1) % outline.size()];
    const double m = std::hypot((a.x + b.x) / 2 - c.x, (a.y + b.y) / 2 - c.y);
    largest = std::max(largest, r - m);
  }
  return largest;
}

TEST(DxfLayers, JoinsLinesEndToEndWithinTheTolerance) {
  // Drawn in no order and both ways round; the last end misses its corner
  // by 0.005 mm, within the default join of 0.01.
  const DrawingLayers layers = Expanded(
      DxfLine("PVC", 0, 0, 200, 0) + DxfLine("PVC", 200, 100, 200, 0) +
      DxfLine("PVC", 0, 100, 200, 100) + DxfLine("PVC", 0, 100, 0, 0.005));
  const DrawingLayer& pvc = LayerNamed(layers, "PVC");
  ASSERT_EQ(pvc.outlines.size(), 1u);
  EXPECT_TRUE(SameOutline(pvc.outlines[0], {{0, 0}, {200, 0}, {200, 100}, {0, 100}}));
  EXPECT_TRUE(pvc.open.empty());
  EXPECT_TRUE(pvc.faults.empty());
  ASSERT_TRUE(layers.extent);
  EXPECT_EQ(layers.extent->x1, 200);
  EXPECT_EQ(layers.extent->y1, 100);
}

TEST(DxfLayers, AChainWhoseEndsMissEachOtherStaysOpen) {
  struct Case {
    double gap;
    double join;
    bool closes;
  };
  const Case kCases[] = {
      {0.35, 0.01, false}, {0.35, 0.5, true}, {0.005, 0.01, true}, {0.02, 0.01, false}};
  for (const Case& c : kCases) {
    DxfPlacement placement;
    placement.join = c.join;
    const DrawingLayers layers =
        Expanded(DxfLine("L", 0, 0, 10, 0) + DxfArc("L", 10, 5, 5, 270, 90) +
                     DxfLine("L", 10, 10, 0, 10) + DxfLine("L", 0, 10, 0, c.gap),
                 "", 0.01, placement);
    const DrawingLayer& l = LayerNamed(layers, "L");
    EXPECT_EQ(l.outlines.size(), c.closes ? 1u : 0u) << c.gap << " " << c.join;
    ASSERT_EQ(l.open.size(), c.closes ? 0u : 1u) << c.gap << " " << c.join;
    if (c.closes) continue;
    const double apart =
        std::hypot(l.open[0].end.x - l.open[0].start.x, l.open[0].end.y - l.open[0].start.y);
    EXPECT_NEAR(apart, c.gap, 1e-12);
  }
}

TEST(DxfLayers, BulgesAreArcsWithinTheChordError) {
  // 100 x 60 with corners of radius 10: a quarter turn has bulge tan(pi/8).
  const double b = std::tan(kPi / 8);
  const std::string rounded = DxfPolyline(
      "R", {{10, 0}, {90, 0, b}, {100, 10}, {100, 50, b}, {90, 60}, {10, 60, b}, {0, 50},
            {0, 10, b}},
      true);
  for (double chord : {0.1, 0.01, 0.001}) {
    const DrawingLayers layers = Expanded(rounded, "", chord);
    const DrawingLayer& r = LayerNamed(layers, "R");
    ASSERT_EQ(r.outlines.size(), 1u);
    const std::vector<Point>& v = r.outlines[0];
    const double exact = 6000 - (4 - kPi) * 100;
    // Each chord cuts off at most 2/3 of chord error times its length.
    EXPECT_LT(exact - PolygonArea(v), 2.0 / 3 * chord * 2 * kPi * 10 * 1.01) << chord;
    EXPECT_GT(exact - PolygonArea(v), 0) << chord;
    // The straight sides end exactly where drawn.
    for (Point corner : {Point{90, 0}, Point{100, 10}, Point{0, 50}, Point{10, 60}}) {
      EXPECT_TRUE(std::any_of(v.begin(), v.end(),
                              [&](Point p) { return p.x == corner.x && p.y == corner.y; }))
          << corner.x << ", " << corner.y;
    }
    // No more chords than the error asks: a quarter turn of radius 10.
    const std::size_t per_corner =
        static_cast<std::size_t>(std::ceil(kPi / 2 / (2 * std::acos(1 - chord / 10))));
    EXPECT_EQ(v.size(), 4 * per_corner + 4) << chord;
  }
}

TEST(DxfLayers, CirclesHaveTheFewestChordsWithinTheError) {
  struct Case {
    double r;
    double chord;
  };
  for (const Case& c : {Case{50, 0.1}, Case{50, 0.005}, Case{0.5, 0.1}, Case{1000, 0.05}}) {
    const DrawingLayers layers = Expanded(DxfCircle("C", 3, 4, c.r), "", c.chord);
    const DrawingLayer& l = LayerNamed(layers, "C");
    ASSERT_EQ(l.outlines.size(), 1u);
    const double step = std::min(kPi / 4, 2 * std::acos(1 - c.chord / c.r));
    EXPECT_EQ(l.outlines[0].size(), static_cast<std::size_t>(std::ceil(2 * kPi / step))) << c.r;
    EXPECT_LE(LargestChordError(l.outlines[0], {3, 4}, c.r), c.chord * (1 + 1e-9)) << c.r;
  }
}

TEST(DxfLayers, AProfileWithTwoChambersIsThreeOutlinesOnOneLayer) {
  const DrawingLayers layers =
      Expanded(DxfPolyline("PVC", {{0, 0}, {80, 0}, {80, 60}, {0, 60}}, true) +
               DxfPolyline("PVC", {{10, 10}, {30, 10}, {30, 50}, {10, 50}}, true) +
               DxfCircle("PVC", 55, 30, 10));
  const DrawingLayer& p = LayerNamed(layers, "PVC");
  ASSERT_EQ(p.outlines.size(), 3u);
  EXPECT_TRUE(SameOutline(p.outlines[1], {{10, 10}, {30, 10}, {30, 50}, {10, 50}}));
}

TEST(DxfLayers, BlocksAreInsertedScaledRotatedMirroredAndNested) {
  // A triangle on layer 0, which takes the insert's layer, and a square of
  // lines on a layer of its own.
  const std::string blocks =
      DxfBlock("T", 1, 1,
               DxfPolyline("0", {{1, 1}, {11, 1}, {1, 6}}, true) +
                   DxfLine("FIX", 1, 1, 2, 1) + DxfLine("FIX", 2, 1, 2, 2) +
                   DxfLine("FIX", 2, 2, 1, 2) + DxfLine("FIX", 1, 2, 1, 1)) +
      DxfBlock("N", 0, 0, DxfInsert("0", "T", 0, 0, 2, 2));
  const DrawingLayers layers =
      Expanded(DxfInsert("P", "T", 100, 0, 1, 1, 90) + DxfInsert("Q", "T", 0, 100, -1, 1) +
                   DxfInsert("R", "N", 0, -50),
               blocks);
  const double near = 1e-12;
  ASSERT_EQ(LayerNamed(layers, "P").outlines.size(), 1u);
  EXPECT_TRUE(SameOutline(LayerNamed(layers, "P").outlines[0], {{100, 0}, {100, 10}, {95, 0}},
                          near));
  ASSERT_EQ(LayerNamed(layers, "Q").outlines.size(), 1u);
  EXPECT_TRUE(SameOutline(LayerNamed(layers, "Q").outlines[0], {{0, 100}, {-10, 100}, {0, 105}},
                          near));
  ASSERT_EQ(LayerNamed(layers, "R").outlines.size(), 1u);
  EXPECT_TRUE(
      SameOutline(LayerNamed(layers, "R").outlines[0], {{0, -50}, {20, -50}, {0, -40}}, near));
  // The squares keep their layer in each of the three inserts.
  EXPECT_EQ(LayerNamed(layers, "FIX").outlines.size(), 3u);
  EXPECT_EQ(LayerNamed(layers, "0").outlines.size(), 0u);
}

TEST(DxfLayers, HatchBoundariesAreOutlines) {
  // A polyline path with a half turn (bulge 1) and a path of two lines and
  // an arc: both half discs of radius 5.
  const std::string arc_edge = "72\n2\n10\n25\n20\n0\n40\n5\n50\n0\n51\n180\n73\n1\n";
  const std::string line_1 = "72\n1\n10\n20\n20\n0\n11\n25\n21\n0\n";
  const std::string line_2 = "72\n1\n10\n25\n20\n0\n11\n30\n21\n0\n";
  const DrawingLayers layers =
      Expanded(DxfHatch("H", {{{0, 0}, {10, 0, 1}}}) + DxfEdgeHatch("E", {line_1, arc_edge, line_2}),
               "", 0.001);
  for (const char* name : {"H", "E"}) {
    const DrawingLayer& l = LayerNamed(layers, name);
    ASSERT_EQ(l.outlines.size(), 1u) << name;
    EXPECT_NEAR(PolygonArea(l.outlines[0]), kPi * 25 / 2, 0.011) << name;
    EXPECT_TRUE(l.open.empty()) << name;
  }
}

TEST(DxfLayers, SplinesAndEllipsesFollowTheirCurves) {
  // A quarter of the unit circle as a rational quadratic spline, closed by
  // two lines through the centre; a whole ellipse of axes 4 and 2.
  const double w = std::sqrt(0.5);
  const std::string spline = "0\nSPLINE\n8\nS\n70\n12\n71\n2\n72\n6\n73\n3\n74\n0\n"
                             "40\n0\n40\n0\n40\n0\n40\n1\n40\n1\n40\n1\n"
                             "41\n1\n41\n" + std::to_string(w) + "\n41\n1\n"
                             "10\n1\n20\n0\n30\n0\n10\n1\n20\n1\n30\n0\n10\n0\n20\n1\n30\n0\n";
  const std::string ellipse = "0\nELLIPSE\n8\nE\n10\n0\n20\n0\n30\n0\n11\n4\n21\n0\n31\n0\n"
                              "40\n0.5\n41\n0\n42\n6.283185307179586\n";
  const DrawingLayers layers = Expanded(
      spline + DxfLine("S", 0, 0, 1, 0) + DxfLine("S", 0, 1, 0, 0) + ellipse, "", 0.0001);
  const DrawingLayer& s = LayerNamed(layers, "S");
  ASSERT_EQ(s.outlines.size(), 1u);
  for (const Point& p : s.outlines[0]) {
    if (p.x == 0 && p.y == 0) continue;
    EXPECT_NEAR(std::hypot(p.x, p.y), 1, 1e-6);  // w was written to 6 digits.
  }
  EXPECT_NEAR(PolygonArea(s.outlines[0]), kPi / 4, 2e-4);
  const DrawingLayer& e = LayerNamed(layers, "E");
  ASSERT_EQ(e.outlines.size(), 1u);
  EXPECT_NEAR(PolygonArea(e.outlines[0]), kPi * 4 * 2, 2.0 / 3 * 0.0001 * 2 * kPi * 4);
}

TEST(DxfLayers, UnitsOffsetsAndMirroredPlanesPlaceTheDrawing) {
  DxfPlacement placement;
  placement.unit = 10;
  placement.offset = {5, -5};
  const DrawingLayers layers =
      Expanded(DxfPolyline("M", {{1, 0}, {2, 0}, {2, 1}}, true, true), "", 0.01, placement);
  ASSERT_EQ(LayerNamed(layers, "M").outlines.size(), 1u);
  EXPECT_TRUE(SameOutline(LayerNamed(layers, "M").outlines[0], {{-5, -5}, {-15, -5}, {-15, 5}}));
}

TEST(DxfLayers, FaultsNameTheirPlace) {
  struct Case {
    const char* what;
    std::string entities;
    std::string fault;
  };
  const Case kCases[] = {
      {"a line drawn twice",
       DxfLine("L", 0, 0, 10, 0) + DxfLine("L", 10, 0, 0, 0) + DxfLine("L", 10, 0, 10, 10),
       "the ends of three or more lines or arcs meet at x 10, y 0 mm, so the outlines there "
       "cannot be told apart (is a line drawn twice?)"},
      {"no area", DxfPolyline("L", {{0, 0}, {10, 0}, {20, 0}}, true),
       "the outline through x 0, y 0 mm encloses no area"},
      {"an unknown block", DxfInsert("L", "nowhere", 3, 4),
       "the INSERT at x 3, y 4 mm names the block \"nowhere\", which the drawing does not "
       "define"},
      {"a spline of fit points", "0\nSPLINE\n8\nL\n71\n3\n74\n1\n11\n0\n21\n0\n31\n0\n",
       "the SPLINE has no control points (a spline of fit points alone is not read)"},
      {"knots", "0\nSPLINE\n8\nL\n71\n1\n72\n2\n73\n2\n40\n0\n40\n1\n10\n0\n20\n0\n10\n1\n20\n0\n",
       "the SPLINE through x 0, y 0 mm has 2 knots for 2 control points of degree 1, not 4"},
      {"far away", DxfLine("L", 0, 0, 2e9, 0),
       "a point at x 2000000000, y 0 mm lies beyond 1E+09 mm of 0"},
      {"a circle too large", DxfCircle("L", 0, 0, 2e9),
       "a curve about x 0, y 0 mm reaches beyond 1E+09 mm of 0"},
  };
  for (const Case& c : kCases) {
    const DrawingLayers layers = Expanded(c.entities);
    const DrawingLayer& l = LayerNamed(layers, "L");
    ASSERT_FALSE(l.faults.empty()) << c.what;
    EXPECT_EQ(l.faults[0], c.fault) << c.what;
  }
}

TEST(DxfLayers, RefusesBlocksThatNeverEndAndCurvesOfTooManyChords) {
  std::string deep = DxfBlock("B0", 0, 0, DxfLine("L", 0, 0, 1, 0));
  for (int i = 1; i <= 17; ++i) {
    deep += DxfBlock("B" + std::to_string(i), 0, 0,
                     DxfInsert("0", "B" + std::to_string(i - 1), 0, 0));
  }
  // Ten inserts of ten inserts of ... : 10^7 lines.
  std::string wide = DxfBlock("W0", 0, 0, DxfLine("L", 0, 0, 1, 0));
  for (int i = 1; i <= 7; ++i) {
    std::string inserts;
    for (int k = 0; k < 10; ++k) inserts += DxfInsert("0", "W" + std::to_string(i - 1), k, 0);
    wide += DxfBlock("W" + std::to_string(i), 0, 0, inserts);
  }
  struct Case {
    const char* what;
    std::string entities;
    std::string blocks;
    double chord;
    std::string message;
  };
  const Case kCases[] = {
      {"a block in itself", DxfInsert("L", "A", 0, 0),
       DxfBlock("A", 0, 0, DxfInsert("0", "B", 5, 0)) +
           DxfBlock("B", 0, 0, DxfInsert("0", "A", 1, 0)),
       0.01, "f.dxf: overflow: the block \"A\" inserts itself (at x 6, y 0 mm)"},
      {"too deep", DxfInsert("L", "B17", 0, 0), deep, 0.01,
       "f.dxf: overflow: the blocks nest deeper than 16 inserts (block \"B1\" at x 0, y 0 mm)"},
      {"too many", DxfInsert("L", "W7", 0, 0), wide, 0.01,
       "f.dxf: overflow: the drawing's blocks expand to more than 1000000 entities"},
      {"too many chords", DxfCircle("L", 0, 0, 1e8), "", 1e-6,
       "f.dxf: overflow: the drawing's curves make more than 4000000 vertices at the chord "
       "error asked for"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ExpandError(c.entities, c.blocks, c.chord), c.message) << c.what;
  }
}

TEST(DxfLayers, PointsAreWrittenToATenThousandthOfAMillimetre) {
  EXPECT_EQ(DrawingPointText({12.4, 80.1}), "x 12.4, y 80.1 mm");
  EXPECT_EQ(DrawingPointText({-0.00001, 1.23456789}), "x 0, y 1.2346 mm");
  EXPECT_EQ(DrawingPointText({-1500, 2e8}), "x -1500, y 200000000 mm");
}

}  // namespace
}  // namespace kelvane::testing
