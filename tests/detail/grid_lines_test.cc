#include "detail/grid_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "detail/detail_file.h"

namespace kelvane {
namespace {

Shape Rect(double x0, double y0, double x1, double y1, FillKind kind = FillKind::kMaterial) {
  Shape s;
  s.kind = ShapeKind::kRect;
  s.fill = {kind, 0};
  s.rect = {x0, y0, x1, y1};
  return s;
}

Shape Polygon(std::vector<Point> vertices) {
  Shape s;
  s.kind = ShapeKind::kPolygon;
  s.fill = {FillKind::kMaterial, 0};
  s.vertices = std::move(vertices);
  return s;
}

// A circle of radius r about (x, y) as a polygon of n vertices.
Shape Round(double x, double y, double r, int n) {
  std::vector<Point> v;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    v.push_back({x + r * std::cos(a), y + r * std::sin(a)});
  }
  return Polygon(v);
}

// A sheet of thickness 2 through (0, 10) at 10 degrees, cut off at x = 0
// and x = 100.
Shape Sheet() {
  const double half = 1 / std::cos(10 * std::numbers::pi / 180);
  const double rise = 100 * std::tan(10 * std::numbers::pi / 180);
  return Polygon({{0, 10 - half}, {100, 10 + rise - half}, {100, 10 + rise + half}, {0, 10 + half}});
}

TEST(DrawingLines, ThicknessIsTheChordThatRowsAndColumnsCut) {
  const struct {
    const char* what;
    Shape shape;
    double x, y;
  } cases[] = {
      {"rect", Rect(0, 0, 40, 3), 40, 3},
      {"square as a polygon", Polygon({{0, 0}, {5, 0}, {5, 5}, {0, 5}}), 5, 5},
      // Its chords are 2 / sin 10 = 11.5 mm along a row and 2 / cos 10 =
      // 2.03 mm down a column; its cut ends, 2.03 mm high each, add to the
      // |dy| of its outline (2 x 17.6 + 2 x 2.03) and make the first 10.3.
      {"sheet at 10 degrees", Sheet(), 2 * 100 * 2.0308 / (2 * 17.633 + 2 * 2.0308),
       2 / std::cos(10 * std::numbers::pi / 180)},
  };
  for (const auto& c : cases) {
    const Thickness t = ThicknessOf(c.shape);
    EXPECT_NEAR(t.x, c.x, 1e-3 * c.x) << c.what;
    EXPECT_NEAR(t.y, c.y, 1e-3 * c.y) << c.what;
  }
  Shape circle = Rect(-3, -3, 3, 3);
  circle.kind = ShapeKind::kCircle;
  circle.radius = 3;
  EXPECT_DOUBLE_EQ(ThicknessOf(circle).x, 1.5 * std::numbers::pi);
}

TEST(DrawingLines, CellLimitsAreAShapesCellOrHalfItsThickness) {
  Shape with_cell = Rect(0, 0, 100, 100);
  with_cell.cell = 7;  // Larger than half of nothing: set on purpose.
  std::vector<Shape> shapes = {Rect(0, 0, 40, 3), with_cell, Rect(0, 0, 1, 1, FillKind::kCondition)};
  const std::vector<CellLimit> limits = ShapeCellLimits(shapes, 0.5);
  EXPECT_EQ(limits[0].x, 10);
  EXPECT_EQ(limits[0].y, 0.75);
  EXPECT_EQ(limits[1].x, 3.5);
  EXPECT_EQ(limits[1].y, 3.5);
  EXPECT_TRUE(std::isinf(limits[2].x) && std::isinf(limits[2].y));
}

TEST(DrawingLines, ComeFromAxisParallelEdgesExtentsAndCorners) {
  const struct {
    const char* what;
    std::vector<Shape> shapes;
    std::vector<double> x, y;
  } cases[] = {
      {"an outline of many short edges makes only its extent",
       {Round(0, 0, 50, 720)},
       {-50, 50},
       {-50, 50}},
      {"an L of axis-parallel edges makes every vertex",
       {Polygon({{0, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 40}, {0, 40}})},
       {0, 10, 30},
       {0, 10, 40}},
      {"a triangle's corners",
       {Polygon({{0, 0}, {20, 5}, {8, 30}})},
       {0, 8, 20},
       {0, 5, 30}},
  };
  for (auto c : cases) {
    const DrawingLines lines =
        PlaceLines(c.shapes, ShapeCellLimits(c.shapes, 1), 1e-3);
    EXPECT_EQ(lines.x, c.x) << c.what;
    EXPECT_EQ(lines.y, c.y) << c.what;
  }
}

TEST(DrawingLines, LinesAFiftiethOfTheCellApartAreOne) {
  // Cells of 10 mm: sides 0.1 mm apart are one line, 0.3 mm apart two; a
  // layer 0.1 mm thick keeps both its sides, its own cells being tiny.
  std::vector<Shape> near = {Rect(0, 0, 100, 50), Rect(100.1, 0, 200, 50)};
  const DrawingLines merged = PlaceLines(near, ShapeCellLimits(near, 1), 10);
  EXPECT_EQ(merged.x, (std::vector<double>{0, 100, 200}));
  EXPECT_EQ(near[1].rect.x0, 100);  // Moved onto the line it joins.
  std::vector<Shape> apart = {Rect(0, 0, 100, 50), Rect(100.3, 0, 200, 50)};
  EXPECT_EQ(PlaceLines(apart, ShapeCellLimits(apart, 1), 10).x,
            (std::vector<double>{0, 100, 100.3, 200}));
  std::vector<Shape> foil = {Rect(0, 0, 100, 50), Rect(100, 0, 100.1, 50), Rect(100.1, 0, 200, 50)};
  EXPECT_EQ(PlaceLines(foil, ShapeCellLimits(foil, 1), 10).x,
            (std::vector<double>{0, 100, 100.1, 200}));
}

}  // namespace
}  // namespace kelvane
