// The block survey on drawings read from text: which intervals between the
// lines hold material, and each material's drawn area against its exact
// value, exact where one outline crosses a block and within the stated
// bound where two do.

#include "detail/block_survey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "detail/detail_file.h"
#include "detail/detail_test_util.h"

namespace kelvane {
namespace {

using testing::WithHeader;

constexpr double kPi = std::numbers::pi;

BlockSurvey Survey(const std::string& shapes, const std::vector<double>& xs,
                   const std::vector<double>& ys) {
  return SurveyBlocks(ParseDetail(WithHeader(shapes), "d.toml"), xs, ys);
}

// "1" for an interval that holds material, "0" for one that does not.
std::string Flags(const std::vector<bool>& has) {
  std::string text;
  for (bool b : has) text += b ? '1' : '0';
  return text;
}

TEST(BlockSurvey, IntervalsThatHoldMaterial) {
  struct Case {
    const char* name;
    std::string shapes;
    std::vector<double> xs, ys;
    const char* columns;
    const char* rows;
  } cases[] = {
      {"a condition and an empty row hold none",
       "[[shape]]\nfill = \"a\"\nrect = [0, 0, 10, 10]\n"
       "[[shape]]\nfill = \"air\"\nrect = [10, 0, 30, 10]\n",
       {0, 10, 20, 30}, {0, 10, 20}, "100", "10"},
      {"a later void takes the material away",
       "[[shape]]\nfill = \"a\"\nrect = [0, 0, 30, 10]\n"
       "[[shape]]\nfill = \"void\"\nrect = [10, 0, 20, 10]\n",
       {0, 10, 20, 30}, {0, 10}, "101", "1"},
      {"a fixed temperature is no material",
       "[[shape]]\nfill = \"hot\"\nrect = [0, 0, 10, 10]\n"
       "[[shape]]\nfill = \"b\"\nrect = [10, 0, 20, 10]\n",
       {0, 10, 20}, {0, 10}, "01", "1"},
      {"a circle under a rect that covers its block is gone",
       "[[shape]]\nfill = \"a\"\ncircle = [5, 5, 5]\n"
       "[[shape]]\nfill = \"air\"\nrect = [0, 0, 10, 10]\n"
       "[[shape]]\nfill = \"b\"\nrect = [10, 0, 20, 10]\n",
       {0, 10, 20}, {0, 10}, "01", "1"},
      {"a circle over a condition holds material in part of its block",
       "[[shape]]\nfill = \"air\"\nrect = [0, 0, 10, 10]\n"
       "[[shape]]\nfill = \"a\"\ncircle = [5, 5, 5]\n",
       {0, 10}, {0, 10}, "1", "1"},
      {"a condition's circle over part of a material's block leaves it material",
       "[[shape]]\nfill = \"a\"\nrect = [0, 0, 10, 10]\n"
       "[[shape]]\nfill = \"air\"\ncircle = [5, 5, 5]\n",
       {0, 10}, {0, 10}, "1", "1"},
      {"a sliver of a polygon in a block",
       "[[shape]]\nfill = \"a\"\npolygon = [[0, 0], [20, 0], [0, 1]]\n",
       {0, 10, 20, 25}, {0, 1, 5}, "110", "10"},
      {"a polygon of material under a rect of condition over its blocks",
       "[[shape]]\nfill = \"a\"\npolygon = [[0, 0], [20, 5], [10, 20]]\n"
       "[[shape]]\nfill = \"air\"\nrect = [0, 0, 20, 20]\n",
       {0, 10, 20}, {0, 5, 10, 20}, "00", "000"},
  };
  for (const Case& c : cases) {
    const BlockSurvey s = Survey(c.shapes, c.xs, c.ys);
    EXPECT_EQ(Flags(s.column_has_material), c.columns) << c.name;
    EXPECT_EQ(Flags(s.row_has_material), c.rows) << c.name;
  }
}

// Exact up to rounding: each block crossed by one outline at most, or by
// outlines that the later shape's covers.
TEST(BlockSurvey, DrawnAreasWhereTheSurveyIsExact) {
  const std::vector<double> tens = {0, 10, 20, 30, 40};
  struct Case {
    const char* name;
    std::string shapes;
    std::vector<double> xs, ys;
    double a, b;  // mm2
  } cases[] = {
      {"rectangles over one another",
       "[[shape]]\nfill = \"a\"\nrect = [0, 0, 40, 20]\n"
       "[[shape]]\nfill = \"b\"\nrect = [10, 0, 30, 10]\n"
       "[[shape]]\nfill = \"void\"\nrect = [30, 0, 40, 20]\n",
       tens, {0, 10, 20}, 800 - 200 - 200, 200},
      {"a triangle over many blocks", "[[shape]]\nfill = \"a\"\npolygon = [[0, 0], [40, 0], [0, 40]]\n",
       tens, tens, 800, 0},
      {"a diamond with blocks inside it whole",
       "[[shape]]\nfill = \"b\"\npolygon = [[20, 0], [40, 20], [20, 40], [0, 20]]\n", tens, tens, 0,
       800},
      {"a concave outline",
       "[[shape]]\nfill = \"a\"\n"
       "polygon = [[0, 0], [30, 0], [30, 30], [20, 30], [20, 10], [10, 10], [10, 30], [0, 30]]\n",
       {0, 10, 20, 30}, {0, 10, 30}, 700, 0},
      {"two outlines along the lines: the later takes every block",
       "[[shape]]\nfill = \"a\"\npolygon = [[0, 0], [20, 0], [20, 20], [0, 20]]\n"
       "[[shape]]\nfill = \"b\"\npolygon = [[0, 0], [20, 0], [20, 20], [0, 20]]\n",
       {0, 10, 20}, {0, 10, 20}, 0, 400},
      {"a circle in one block", "[[shape]]\nfill = \"a\"\ncircle = [0, 0, 10]\n", {-10, 10},
       {-10, 10}, 100 * kPi, 0},
      {"a circle over blocks that its centre's lines cut",
       "[[shape]]\nfill = \"a\"\ncircle = [0, 0, 10]\n", {-10, -3, 0, 7, 10}, {-10, -6, 0, 10},
       100 * kPi, 0},
      {"a circle over a rectangle",
       "[[shape]]\nfill = \"b\"\nrect = [-10, -10, 10, 10]\n"
       "[[shape]]\nfill = \"a\"\ncircle = [0, 0, 10]\n",
       {-10, 0, 10}, {-10, 0, 10}, 100 * kPi, 400 - 100 * kPi},
      {"a polygon over a rectangle, both under a void",
       "[[shape]]\nfill = \"b\"\nrect = [0, 0, 40, 40]\n"
       "[[shape]]\nfill = \"a\"\npolygon = [[0, 0], [40, 0], [0, 40]]\n"
       "[[shape]]\nfill = \"void\"\nrect = [0, 0, 10, 40]\n",
       tens, tens, 800 - (400 - 50), 800 - 50},
  };
  for (const Case& c : cases) {
    const BlockSurvey s = Survey(c.shapes, c.xs, c.ys);
    ASSERT_EQ(s.drawn_area.size(), 2u) << c.name;
    EXPECT_NEAR(s.drawn_area[0], c.a, 1e-9 * (c.a + 1)) << c.name;
    EXPECT_NEAR(s.drawn_area[1], c.b, 1e-9 * (c.b + 1)) << c.name;
  }
}

// The test's own geometry for two triangles: the area of a polygon, the
// part of one inside a convex other, and the distance of a point from an
// outline.
double Area(const std::vector<Point>& v) {
  double twice = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const Point a = v[i], b = v[(i + 1) % v.size()];
    twice += a.x * b.y - b.x * a.y;
  }
  return std::abs(twice) / 2;
}

// `subject` clipped to the convex, anticlockwise `clip`, side by side.
std::vector<Point> Clipped(std::vector<Point> subject, const std::vector<Point>& clip) {
  for (std::size_t e = 0; e < clip.size() && !subject.empty(); ++e) {
    const Point a = clip[e], b = clip[(e + 1) % clip.size()];
    auto side = [&](Point p) { return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x); };
    std::vector<Point> kept;
    for (std::size_t i = 0; i < subject.size(); ++i) {
      const Point p = subject[i], q = subject[(i + 1) % subject.size()];
      const double sp = side(p), sq = side(q);
      if (sp >= 0) kept.push_back(p);
      if ((sp >= 0) != (sq >= 0)) {
        const double t = sp / (sp - sq);
        kept.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)});
      }
    }
    subject = kept;
  }
  return subject;
}

double DistanceToOutline(Point p, const std::vector<Point>& v) {
  double nearest = INFINITY;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const Point a = v[i], b = v[(i + 1) % v.size()];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    nearest = std::min(nearest, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
  }
  return nearest;
}

std::string PolygonText(const std::vector<Point>& v) {
  std::string text = "[";
  for (const Point& p : v) {
    text += (text.size() > 1 ? ", [" : "[") + std::to_string(p.x) + ", " + std::to_string(p.y) + "]";
  }
  return text + "]";
}

// Two triangles whose sloped sides cross inside one block of 10 x 10 mm.
// The block is quartered down to pieces of 10/1024 mm; each piece that
// both outlines still cross is given whole to one shape, so each material's
// area is off by at most the area of those pieces. The test counts them
// generously: every piece whose centre lies within half a diagonal of
// both outlines.
TEST(BlockSurvey, TwoSlopedOutlinesInOneBlockWithinTheBound) {
  struct Case {
    std::vector<Point> a, b;  // Anticlockwise; b is painted over a.
  } cases[] = {
      {{{0, 0}, {10, 4}, {6, 10}}, {{4, 0}, {10, 7}, {0, 10}}},
      {{{0, 0}, {10, 0}, {0, 10}}, {{10, 0}, {10, 10}, {0, 3}}},
      {{{0, 2}, {10, 0}, {10, 10}, {3, 10}}, {{0, 0}, {10, 5}, {2, 10}}},
  };
  constexpr int kPieces = 1024;
  const double side = 10.0 / kPieces;
  for (const Case& c : cases) {
    const std::string name = PolygonText(c.a) + " under " + PolygonText(c.b);
    const BlockSurvey s = Survey("[[shape]]\nfill = \"a\"\npolygon = " + PolygonText(c.a) +
                                     "\n[[shape]]\nfill = \"b\"\npolygon = " + PolygonText(c.b) + "\n",
                                 {0, 10}, {0, 10});
    const double a_exact = Area(c.a) - Area(Clipped(c.a, c.b));
    const double b_exact = Area(c.b);
    int crossed = 0;
    const double reach = side * std::numbers::sqrt2 / 2;
    for (int j = 0; j < kPieces; ++j) {
      for (int i = 0; i < kPieces; ++i) {
        const Point centre{(i + 0.5) * side, (j + 0.5) * side};
        crossed += DistanceToOutline(centre, c.a) <= reach && DistanceToOutline(centre, c.b) <= reach;
      }
    }
    const double bound = crossed * side * side;
    ASSERT_GT(crossed, 0) << name;
    EXPECT_LT(bound, 0.01) << name;  // The bound itself is small, so the check means something.
    EXPECT_NEAR(s.drawn_area[0], a_exact, bound) << name;
    EXPECT_NEAR(s.drawn_area[1], b_exact, bound) << name;
  }
}

}  // namespace
}  // namespace kelvane
