#include "detail/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kelvane {
namespace {

constexpr double kPi = std::numbers::pi;

Shape Circle(double x, double y, double r) {
  Shape s;
  s.kind = ShapeKind::kCircle;
  s.centre = {x, y};
  s.radius = r;
  s.rect = {x - r, y - r, x + r, y + r};
  return s;
}

Shape Polygon(std::vector<Point> vertices) {
  Shape s;
  s.kind = ShapeKind::kPolygon;
  s.vertices = std::move(vertices);
  return s;
}

// The area of the box that the shape holds, by counting a fine lattice of
// points: the check the closed forms must agree with.
double CountedArea(const Shape& shape, const Box& b) {
  const int n = 1000;
  int inside = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const Point p{b.x0 + (i + 0.5) * (b.x1 - b.x0) / n, b.y0 + (j + 0.5) * (b.y1 - b.y0) / n};
      inside += Contains(shape, p);
    }
  }
  return (b.x1 - b.x0) * (b.y1 - b.y0) * inside / (n * n);
}

struct AreaCase {
  const char* what;
  Shape shape;
  Box box;
  double area;
};

TEST(Geometry, OverlapAreasAreExact) {
  const Shape circle = Circle(75, 220, 8.5);
  const Shape triangle = Polygon({{0, 0}, {100, 0}, {100, 50}});
  // An L: a 10 x 10 square without its top right quarter.
  const Shape ell = Polygon({{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}});
  const AreaCase cases[] = {
      {"circle in a larger box", circle, {0, 0, 200, 300}, kPi * 8.5 * 8.5},
      // The box's sides touch the circle: the chord's ends are the arc.
      {"circle in its extent", circle, {66.5, 211.5, 83.5, 228.5}, kPi * 8.5 * 8.5},
      {"quarter circle", circle, {75, 220, 100, 300}, kPi * 8.5 * 8.5 / 4},
      {"half circle", circle, {0, 0, 75, 300}, kPi * 8.5 * 8.5 / 2},
      {"circle clear of the box", circle, {0, 0, 10, 10}, 0},
      {"square inside the circle", circle, {73, 218, 77, 222}, 16},
      {"triangle in its extent", triangle, {0, 0, 100, 50}, 2500},
      {"triangle's left half", triangle, {0, 0, 50, 50}, 625},
      {"triangle's top strip", triangle, {0, 25, 100, 50}, 625},
      {"L, the missing quarter", ell, {5, 5, 10, 10}, 0},
      {"L across its notch", ell, {2, 2, 8, 8}, 27},
  };
  for (const AreaCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(OverlapArea(c.shape, c.box), c.area, 1e-9 * (1 + c.area));
  }
  // Boxes cutting the circle anywhere agree with counting.
  const Box boxes[] = {{70, 215, 76, 230}, {60, 200, 70, 222}, {66.5, 213.5, 68.5, 226.5}};
  for (const Box& b : boxes) {
    EXPECT_NEAR(OverlapArea(circle, b), CountedArea(circle, b), 0.01 * (b.x1 - b.x0));
  }
}

TEST(Geometry, ClassifiesBoxesAgainstShapes) {
  const Shape circle = Circle(0, 0, 10);
  const Shape triangle = Polygon({{0, 0}, {100, 0}, {100, 50}});
  struct Case {
    const Shape* shape;
    Box box;
    Overlap overlap;
  } cases[] = {
      {&circle, {-5, -5, 5, 5}, Overlap::kFull},
      {&circle, {-10, -10, 10, 10}, Overlap::kPartial},
      {&circle, {8, 8, 20, 20}, Overlap::kNone},  // Beyond the arc, inside the extent.
      {&circle, {-20, -20, 20, 20}, Overlap::kPartial},
      {&triangle, {80, 5, 90, 10}, Overlap::kFull},
      {&triangle, {0, 10, 10, 50}, Overlap::kNone},
      {&triangle, {40, 10, 60, 30}, Overlap::kPartial},
      {&triangle, {0, 0, 100, 50}, Overlap::kPartial},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Classify(*c.shape, c.box), c.overlap)
        << c.box.x0 << " " << c.box.y0 << " " << c.box.x1 << " " << c.box.y1;
  }
}

TEST(Geometry, OutlinesHoldTheirSides) {
  const Shape triangle = Polygon({{0, 0}, {100, 0}, {100, 50}});
  EXPECT_TRUE(Contains(triangle, {50, 25}));   // On the sloped side.
  EXPECT_TRUE(Contains(triangle, {100, 50}));  // A vertex.
  EXPECT_FALSE(Contains(triangle, {50, 26}));
  EXPECT_TRUE(Contains(Circle(0, 0, 5), {3, 4}));
}

TEST(Geometry, FindsSidesThatMeet) {
  struct Case {
    std::vector<Point> outline;
    std::optional<std::pair<int, int>> sides;
  } cases[] = {
      {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, std::nullopt},
      {{{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}}, std::nullopt},
      {{{0, 0}, {10, 10}, {10, 0}, {0, 10}}, std::make_pair(1, 3)},  // A bow tie.
      // A figure eight: sides 1 and 4 touch at (5, 5).
      {{{0, 0}, {5, 5}, {10, 0}, {10, 10}, {5, 5}, {0, 10}}, std::make_pair(1, 4)},
      {{{0, 0}, {10, 0}, {5, 0}, {5, 5}}, std::make_pair(1, 2)},  // Folds back on itself.
      {{{0, 0}, {5, 0}, {10, 0}}, std::make_pair(2, 3)},          // No area at all.
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MeetingSides(c.outline), c.sides) << c.outline.size() << " vertices";
    // The sweep over a region's outlines finds the same of one outline.
    const std::vector<std::vector<Point>> one = {c.outline};
    EXPECT_EQ(FirstMeeting(one).has_value(), c.sides.has_value()) << c.outline.size();
  }
}

TEST(Geometry, FindsOutlinesOfARegionThatMeet) {
  const std::vector<Point> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  struct Case {
    const char* what;
    std::vector<Point> other;
    std::optional<Point> at;
  } cases[] = {
      {"a hole", {{2, 2}, {2, 8}, {8, 8}}, std::nullopt},
      {"apart", {{20, 0}, {30, 0}, {30, 10}}, std::nullopt},
      {"a corner on a side", {{10, 5}, {20, 0}, {20, 10}}, Point{10, 5}},
      {"corners that touch", {{10, 10}, {20, 10}, {20, 20}}, Point{10, 10}},
      {"across, through a corner", {{5, 5}, {15, 5}, {15, 15}}, Point{10, 10}},
      {"a side along a side", {{10, 2}, {20, 2}, {20, 8}, {10, 8}}, Point{10, 2}},
  };
  for (const Case& c : cases) {
    const std::vector<std::vector<Point>> outlines = {square, c.other};
    const std::optional<OutlineMeeting> meeting = FirstMeeting(outlines);
    ASSERT_EQ(meeting.has_value(), c.at.has_value()) << c.what;
    if (!meeting) continue;
    EXPECT_EQ(meeting->outline[0] + meeting->outline[1], 1u) << c.what;
    EXPECT_EQ(meeting->at.x, c.at->x) << c.what;
    EXPECT_EQ(meeting->at.y, c.at->y) << c.what;
  }
}

TEST(Geometry, OrientsNestedOutlinesByTheEvenOddRule) {
  // Drawn all clockwise: a frame, a chamber in it, an island in the chamber.
  std::vector<std::vector<Point>> outlines = {{{0, 0}, {0, 30}, {30, 30}, {30, 0}},
                                              {{5, 5}, {5, 25}, {25, 25}, {25, 5}},
                                              {{10, 10}, {10, 20}, {20, 20}, {20, 10}},
                                              {{40, 0}, {40, 5}, {45, 5}}};
  OrientEvenOdd(outlines);
  EXPECT_GT(SignedArea(outlines[0]), 0);
  EXPECT_LT(SignedArea(outlines[1]), 0);
  EXPECT_GT(SignedArea(outlines[2]), 0);
  EXPECT_GT(SignedArea(outlines[3]), 0);
  Shape region;
  region.kind = ShapeKind::kRegion;
  region.rings = outlines;
  EXPECT_EQ(OverlapArea(region, {-1, -1, 50, 50}), 900 - 400 + 100 + 12.5);
  EXPECT_EQ(OverlapArea(region, {0, 0, 15, 15}), 225 - 100 + 25);
  EXPECT_TRUE(Contains(region, {2, 2}));
  EXPECT_FALSE(Contains(region, {7, 7}));
  EXPECT_TRUE(Contains(region, {15, 15}));
}

TEST(Geometry, ScansPairUpThroughVertices) {
  // A diamond and, inside its outline, a notch from the top: lines through
  // vertices cross each side there once, on the half-open rule.
  OutlineScan scan({{0, 5}, {5, 0}, {10, 5}, {5, 10}, {5, 6}, {3, 8}});
  EXPECT_EQ(scan.At(-1), (std::vector<double>{}));
  EXPECT_EQ(scan.At(2.5), (std::vector<double>{2.5, 7.5}));
  EXPECT_EQ(scan.At(5), (std::vector<double>{0, 10}));
  EXPECT_EQ(scan.At(7), (std::vector<double>{2, 4, 5, 8}));
  EXPECT_EQ(scan.At(11), (std::vector<double>{}));
}

}  // namespace
}  // namespace kelvane
