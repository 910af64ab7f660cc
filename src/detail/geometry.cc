#include "detail/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kelvane {
namespace {

double Cross(Point a, Point b, Point c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

int Sign(double v) { return (v > 0) - (v < 0); }

// Whether c, known to lie on the line through a and b, lies between them.
bool Between(Point a, Point b, Point c) {
  return std::min(a.x, b.x) <= c.x && c.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= c.y &&
         c.y <= std::max(a.y, b.y);
}

// Whether the closed segments pq and rs have a point in common.
bool SegmentsMeet(Point p, Point q, Point r, Point s) {
  const int d1 = Sign(Cross(r, s, p));
  const int d2 = Sign(Cross(r, s, q));
  const int d3 = Sign(Cross(p, q, r));
  const int d4 = Sign(Cross(p, q, s));
  if (d1 * d2 < 0 && d3 * d4 < 0) return true;
  return (d1 == 0 && Between(r, s, p)) || (d2 == 0 && Between(r, s, q)) ||
         (d3 == 0 && Between(p, q, r)) || (d4 == 0 && Between(p, q, s));
}

// Whether the closed segment pq has a point in the closed box (Liang and
// Barsky's clipping, kept to its yes or no).
bool SegmentMeetsBox(Point p, Point q, const Box& box) {
  double t0 = 0, t1 = 1;
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double denominators[4] = {-dx, dx, -dy, dy};
  const double numerators[4] = {p.x - box.x0, box.x1 - p.x, p.y - box.y0, box.y1 - p.y};
  for (int i = 0; i < 4; ++i) {
    const double d = denominators[i], n = numerators[i];
    if (d == 0) {
      if (n < 0) return false;  // Parallel to this side and outside it.
      continue;
    }
    const double t = n / d;
    if (d < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  return true;
}

bool EvenOddInside(const std::vector<Point>& v, Point p) {
  bool inside = false;
  for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
    if ((v[i].y > p.y) != (v[j].y > p.y)) {
      const double x = v[j].x + (p.y - v[j].y) * (v[i].x - v[j].x) / (v[i].y - v[j].y);
      if (p.x < x) inside = !inside;
    }
  }
  return inside;
}

bool Apart(const Box& a, const Box& b) {
  return a.x1 < b.x0 || a.x0 > b.x1 || a.y1 < b.y0 || a.y0 > b.y1;
}

// The ring bounds of a region when they are set, else none.
std::span<const Box> RingBounds(const Shape& shape) {
  if (shape.kind == ShapeKind::kRegion && shape.ring_bounds.size() == shape.rings.size()) {
    return shape.ring_bounds;
  }
  return {};
}

// `bounds` are the outlines' extents, or empty: an outline whose extent
// lies apart from the box has no side in it and does not hold its centre.
Overlap ClassifyOutlines(std::span<const std::vector<Point>> outlines,
                         std::span<const Box> bounds, const Box& box) {
  const Point centre{(box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2};
  bool inside = false;
  for (std::size_t o = 0; o < outlines.size(); ++o) {
    if (!bounds.empty() && Apart(bounds[o], box)) continue;
    const std::vector<Point>& v = outlines[o];
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (SegmentMeetsBox(v[i], v[(i + 1) % v.size()], box)) return Overlap::kPartial;
    }
    inside ^= EvenOddInside(v, centre);
  }
  // No side reaches the box: it lies wholly inside or wholly outside.
  return inside ? Overlap::kFull : Overlap::kNone;
}

Overlap ClassifyCircle(Point c, double r, const Box& box) {
  const double nx = std::clamp(c.x, box.x0, box.x1) - c.x;
  const double ny = std::clamp(c.y, box.y0, box.y1) - c.y;
  const double fx = std::max(std::fabs(box.x0 - c.x), std::fabs(box.x1 - c.x));
  const double fy = std::max(std::fabs(box.y0 - c.y), std::fabs(box.y1 - c.y));
  const double r2 = r * r;
  if (fx * fx + fy * fy <= r2) return Overlap::kFull;
  if (nx * nx + ny * ny >= r2) return Overlap::kNone;
  return Overlap::kPartial;
}

Overlap ClassifyRect(const Box& rect, const Box& box) {
  if (rect.x1 <= box.x0 || rect.x0 >= box.x1 || rect.y1 <= box.y0 || rect.y0 >= box.y1) {
    return Overlap::kNone;
  }
  if (rect.x0 <= box.x0 && rect.x1 >= box.x1 && rect.y0 <= box.y0 && rect.y1 >= box.y1) {
    return Overlap::kFull;
  }
  return Overlap::kPartial;
}

// The polygon clipped to the half-plane where inside(p) holds, with
// cut(a, b) the point where side ab leaves it (Sutherland and Hodgman).
template <typename Inside, typename Cut>
std::vector<Point> ClipTo(const std::vector<Point>& v, Inside inside, Cut cut) {
  std::vector<Point> out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const Point a = v[i], b = v[(i + 1) % v.size()];
    if (inside(a)) {
      out.push_back(a);
      if (!inside(b)) out.push_back(cut(a, b));
    } else if (inside(b)) {
      out.push_back(cut(a, b));
    }
  }
  return out;
}

// The signed area of the part of the outline's inside within the box.
double ClippedSignedArea(std::vector<Point> v, const Box& box) {
  auto at_x = [](double x) {
    return [x](Point a, Point b) { return Point{x, a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x)}; };
  };
  auto at_y = [](double y) {
    return [y](Point a, Point b) { return Point{a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y), y}; };
  };
  v = ClipTo(
      v, [&](Point p) { return p.x >= box.x0; }, at_x(box.x0));
  v = ClipTo(
      v, [&](Point p) { return p.x <= box.x1; }, at_x(box.x1));
  v = ClipTo(
      v, [&](Point p) { return p.y >= box.y0; }, at_y(box.y0));
  v = ClipTo(
      v, [&](Point p) { return p.y <= box.y1; }, at_y(box.y1));
  return v.size() < 3 ? 0 : SignedArea(v);
}

// The integral of sqrt(r2 - u2) from 0 to u, for |u| <= r.
double HalfChordIntegral(double u, double r) {
  const double s = std::clamp(u / r, -1.0, 1.0);
  return (u * std::sqrt(std::max(0.0, r * r - u * u)) + r * r * std::asin(s)) / 2;
}

// The area of the disc of radius r about the origin within [x0, x1] x
// [y0, y1]: the integral over x of the chord's length inside [y0, y1]. The
// chord's ends are +-h(x) or the box's sides; between the x where one meets
// the other, each end is one of them throughout, so each piece integrates in
// closed form.
double ClippedDiscArea(double r, double x0, double x1, double y0, double y1) {
  const double a = std::max(x0, -r), b = std::min(x1, r);
  if (a >= b || y0 >= r || y1 <= -r) return 0;
  std::vector<double> cuts = {a, b};
  for (double y : {y0, y1}) {
    if (std::fabs(y) < r) {
      const double u = std::sqrt(r * r - y * y);
      for (double c : {-u, u}) {
        if (a < c && c < b) cuts.push_back(c);
      }
    }
  }
  std::sort(cuts.begin(), cuts.end());
  double area = 0;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double p = cuts[i], q = cuts[i + 1];
    const double m = (p + q) / 2;
    const double h = std::sqrt(std::max(0.0, r * r - m * m));
    // Where a side of the box touches the circle without crossing it (y1 =
    // r over u = 0), the chord's end is the arc on both sides of the touch.
    const bool curved_top = y1 >= h, curved_bottom = y0 <= -h;
    const double top = curved_top ? h : y1, bottom = curved_bottom ? -h : y0;
    if (top <= bottom) continue;
    const double arc = HalfChordIntegral(q, r) - HalfChordIntegral(p, r);
    area += (curved_top ? arc : y1 * (q - p)) - (curved_bottom ? -arc : y0 * (q - p));
  }
  return area;
}

}  // namespace

Box Bounds(const Shape& shape) {
  const std::span<const std::vector<Point>> outlines = Outlines(shape);
  if (outlines.empty()) return shape.rect;
  const Point first = outlines[0][0];
  Box box{first.x, first.y, first.x, first.y};
  for (const std::vector<Point>& v : outlines) {
    for (const Point& p : v) {
      box = {std::min(box.x0, p.x), std::min(box.y0, p.y), std::max(box.x1, p.x),
             std::max(box.y1, p.y)};
    }
  }
  return box;
}

std::span<const std::vector<Point>> Outlines(const Shape& shape) {
  if (shape.kind == ShapeKind::kPolygon) return {&shape.vertices, 1};
  if (shape.kind == ShapeKind::kRegion) return shape.rings;
  return {};
}

namespace {

struct Coordinate {
  double* value;
  bool computed;  // A circle's extent rather than a drawn value.
};

void MergeAlong(std::vector<Coordinate>& along) {
  double largest = 1;
  for (const Coordinate& c : along) largest = std::max(largest, std::fabs(*c.value));
  const double near = 1e-9 * largest;
  std::sort(along.begin(), along.end(), [](const Coordinate& a, const Coordinate& b) {
    return *a.value < *b.value || (*a.value == *b.value && !a.computed && b.computed);
  });
  for (std::size_t first = 0; first < along.size();) {
    std::size_t end = first + 1;
    while (end < along.size() && *along[end].value - *along[first].value <= near) ++end;
    std::size_t kept = first;
    while (kept + 1 < end && along[kept].computed) ++kept;
    if (along[kept].computed) kept = first;
    const double value = *along[kept].value;
    for (std::size_t i = first; i < end; ++i) *along[i].value = value;
    first = end;
  }
}

}  // namespace

void MergeNearCoordinates(std::vector<Shape>& shapes) {
  std::vector<Coordinate> xs, ys;
  for (Shape& shape : shapes) {
    const bool circle = shape.kind == ShapeKind::kCircle;
    if (shape.kind == ShapeKind::kRect || circle) {
      xs.insert(xs.end(), {{&shape.rect.x0, circle}, {&shape.rect.x1, circle}});
      ys.insert(ys.end(), {{&shape.rect.y0, circle}, {&shape.rect.y1, circle}});
    }
    for (Point& p : shape.vertices) {
      xs.push_back({&p.x, false});
      ys.push_back({&p.y, false});
    }
    for (std::vector<Point>& ring : shape.rings) {
      for (Point& p : ring) {
        xs.push_back({&p.x, false});
        ys.push_back({&p.y, false});
      }
    }
  }
  MergeAlong(xs);
  MergeAlong(ys);
  for (Shape& shape : shapes) {
    if (shape.kind == ShapeKind::kRegion) SetRingBounds(shape);
  }
}

bool Contains(const Shape& shape, Point p) {
  switch (shape.kind) {
    case ShapeKind::kRect:
      return shape.rect.x0 <= p.x && p.x <= shape.rect.x1 && shape.rect.y0 <= p.y &&
             p.y <= shape.rect.y1;
    case ShapeKind::kCircle: {
      const double dx = p.x - shape.centre.x, dy = p.y - shape.centre.y;
      return dx * dx + dy * dy <= shape.radius * shape.radius;
    }
    case ShapeKind::kPolygon:
    case ShapeKind::kRegion:
      break;
  }
  const std::span<const std::vector<Point>> outlines = Outlines(shape);
  const std::span<const Box> bounds = RingBounds(shape);
  bool inside = false;
  for (std::size_t o = 0; o < outlines.size(); ++o) {
    if (!bounds.empty() && Apart(bounds[o], {p.x, p.y, p.x, p.y})) continue;
    const std::vector<Point>& v = outlines[o];
    for (std::size_t i = 0; i < v.size(); ++i) {
      const Point a = v[i], b = v[(i + 1) % v.size()];
      if (Cross(a, b, p) == 0 && Between(a, b, p)) return true;  // On the outline.
    }
    inside ^= EvenOddInside(v, p);
  }
  return inside;
}

Overlap Classify(const Shape& shape, const Box& box) {
  const Box bounds = Bounds(shape);
  if (bounds.x1 < box.x0 || bounds.x0 > box.x1 || bounds.y1 < box.y0 || bounds.y0 > box.y1) {
    return Overlap::kNone;
  }
  switch (shape.kind) {
    case ShapeKind::kRect:
      return ClassifyRect(shape.rect, box);
    case ShapeKind::kCircle:
      return ClassifyCircle(shape.centre, shape.radius, box);
    case ShapeKind::kPolygon:
    case ShapeKind::kRegion:
      break;
  }
  return ClassifyOutlines(Outlines(shape), RingBounds(shape), box);
}

double OverlapArea(const Shape& shape, const Box& box) {
  switch (shape.kind) {
    case ShapeKind::kRect: {
      const double w = std::min(shape.rect.x1, box.x1) - std::max(shape.rect.x0, box.x0);
      const double h = std::min(shape.rect.y1, box.y1) - std::max(shape.rect.y0, box.y0);
      return w > 0 && h > 0 ? w * h : 0;
    }
    case ShapeKind::kCircle: {
      const Point c = shape.centre;
      return ClippedDiscArea(shape.radius, box.x0 - c.x, box.x1 - c.x, box.y0 - c.y, box.y1 - c.y);
    }
    case ShapeKind::kPolygon:
      return std::fabs(ClippedSignedArea(shape.vertices, box));
    case ShapeKind::kRegion:
      break;
  }
  // The outlines are oriented so that holes count against the rest.
  const std::span<const Box> bounds = RingBounds(shape);
  double area = 0;
  for (std::size_t o = 0; o < shape.rings.size(); ++o) {
    if (!bounds.empty() && Apart(bounds[o], box)) continue;
    area += ClippedSignedArea(shape.rings[o], box);
  }
  return std::max(area, 0.0);
}

double PolygonArea(const std::vector<Point>& v) { return std::fabs(SignedArea(v)); }

double SignedArea(const std::vector<Point>& v) {
  // The shoelace sum about the first vertex, which keeps the products small
  // for outlines far from the origin.
  double twice = 0;
  for (std::size_t i = 1; i + 1 < v.size(); ++i) twice += Cross(v[0], v[i], v[i + 1]);
  return twice / 2;
}

std::optional<std::pair<int, int>> MeetingSides(const std::vector<Point>& v) {
  const int n = static_cast<int>(v.size());
  auto side_end = [&](int i) { return v[(i + 1) % n]; };
  for (int i = 0; i < n; ++i) {
    // Neighbours i and i + 1 share a vertex; they must not run back along
    // each other.
    const Point a = v[i], b = side_end(i), c = side_end((i + 1) % n);
    const bool back =
        Cross(a, b, c) == 0 && (a.x - b.x) * (c.x - b.x) + (a.y - b.y) * (c.y - b.y) > 0;
    if (back) return std::make_pair(i + 1, (i + 1) % n + 1);
  }
  for (int i = 0; i < n; ++i) {
    for (int j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // Neighbours through vertex 1.
      if (SegmentsMeet(v[i], side_end(i), v[j], side_end(j))) return std::make_pair(i + 1, j + 1);
    }
  }
  return std::nullopt;
}

namespace {

// One side of one outline, for the sweep.
struct SweptSide {
  std::size_t outline = 0;
  std::size_t index = 0;  // Side n runs from vertex n to the next.
  Point a, b;
  double lo = 0, hi = 0;    // Its extent along the sweep's axis,
  double lo2 = 0, hi2 = 0;  // and across it.
};

// A point closed segments pq and rs, known to meet, have in common.
Point MeetingPoint(Point p, Point q, Point r, Point s) {
  const double d = (q.x - p.x) * (s.y - r.y) - (q.y - p.y) * (s.x - r.x);
  if (d != 0) {
    const double t = ((r.x - p.x) * (s.y - r.y) - (r.y - p.y) * (s.x - r.x)) / d;
    if (t >= 0 && t <= 1) return {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
  }
  for (Point c : {p, q}) {
    if (Cross(r, s, c) == 0 && Between(r, s, c)) return c;
  }
  for (Point c : {r, s}) {
    if (Cross(p, q, c) == 0 && Between(p, q, c)) return c;
  }
  return p;
}

// Whether two sides meet where they should not: sides of one outline that
// are not neighbours, or neighbours that fold back over each other; sides
// of two outlines anywhere.
bool SidesMeet(const SweptSide& s, const SweptSide& t,
               std::span<const std::vector<Point>> outlines) {
  if (s.outline == t.outline) {
    const std::size_t n = outlines[s.outline].size();
    const bool next = (s.index + 1) % n == t.index, previous = (t.index + 1) % n == s.index;
    if (next || previous) {
      // The shared vertex is b of the earlier side; the two must not run
      // back along each other.
      const SweptSide& first = next ? s : t;
      const SweptSide& second = next ? t : s;
      const Point a = first.a, b = first.b, c = second.b;
      return Cross(a, b, c) == 0 && (a.x - b.x) * (c.x - b.x) + (a.y - b.y) * (c.y - b.y) > 0;
    }
  }
  return SegmentsMeet(s.a, s.b, t.a, t.b);
}

}  // namespace

namespace {

// The sides of the outlines with their extents along the axis the sweep
// runs (x, or y when `along_y`) and across it, in the sweep's order.
std::vector<SweptSide> SidesAlong(std::span<const std::vector<Point>> outlines, bool along_y) {
  std::vector<SweptSide> sides;
  for (std::size_t o = 0; o < outlines.size(); ++o) {
    const std::vector<Point>& v = outlines[o];
    for (std::size_t i = 0; i < v.size(); ++i) {
      const Point a = v[i], b = v[(i + 1) % v.size()];
      const double a1 = along_y ? a.y : a.x, b1 = along_y ? b.y : b.x;
      const double a2 = along_y ? a.x : a.y, b2 = along_y ? b.x : b.y;
      sides.push_back({o, i, a, b, std::min(a1, b1), std::max(a1, b1), std::min(a2, b2),
                       std::max(a2, b2)});
    }
  }
  std::sort(sides.begin(), sides.end(), [](const SweptSide& p, const SweptSide& q) {
    return p.lo < q.lo || (p.lo == q.lo && (p.outline < q.outline ||
                                            (p.outline == q.outline && p.index < q.index)));
  });
  return sides;
}

// The pairs of sides whose extents along the axis overlap: what the sweep
// along it compares.
std::uint64_t PairsAlong(std::span<const std::vector<Point>> outlines, bool along_y) {
  std::vector<double> los, his;
  for (const std::vector<Point>& v : outlines) {
    for (std::size_t i = 0; i < v.size(); ++i) {
      const Point a = v[i], b = v[(i + 1) % v.size()];
      const double a1 = along_y ? a.y : a.x, b1 = along_y ? b.y : b.x;
      los.push_back(std::min(a1, b1));
      his.push_back(std::max(a1, b1));
    }
  }
  std::sort(los.begin(), los.end());
  std::sort(his.begin(), his.end());
  std::uint64_t pairs = 0;
  for (std::size_t i = 0; i < los.size(); ++i) {
    // Sides begun before this one, less those ended before it begins.
    const auto ended = std::lower_bound(his.begin(), his.end(), los[i]) - his.begin();
    pairs += i - std::min<std::size_t>(i, static_cast<std::size_t>(ended));
  }
  return pairs;
}

}  // namespace

std::uint64_t SweepPairs(std::span<const std::vector<Point>> outlines) {
  return std::min(PairsAlong(outlines, false), PairsAlong(outlines, true));
}

std::optional<OutlineMeeting> FirstMeeting(std::span<const std::vector<Point>> outlines) {
  // Along the axis where fewer sides overlap: a column of chambers one
  // above another is swept upward, a row of them across.
  const bool along_y = PairsAlong(outlines, true) < PairsAlong(outlines, false);
  const std::vector<SweptSide> sides = SidesAlong(outlines, along_y);
  // The sides whose extent along the axis reaches the sweep's line.
  std::vector<const SweptSide*> active;
  for (const SweptSide& s : sides) {
    std::erase_if(active, [&s](const SweptSide* t) { return t->hi < s.lo; });
    for (const SweptSide* t : active) {
      if (t->hi2 < s.lo2 || t->lo2 > s.hi2) continue;
      if (SidesMeet(s, *t, outlines)) {
        return OutlineMeeting{{t->outline, s.outline}, MeetingPoint(t->a, t->b, s.a, s.b)};
      }
    }
    active.push_back(&s);
  }
  return std::nullopt;
}

namespace {

std::vector<Box> ExtentsOf(std::span<const std::vector<Point>> outlines) {
  std::vector<Box> boxes;
  for (const std::vector<Point>& v : outlines) {
    Box box{v[0].x, v[0].y, v[0].x, v[0].y};
    for (const Point& p : v) {
      box = {std::min(box.x0, p.x), std::min(box.y0, p.y), std::max(box.x1, p.x),
             std::max(box.y1, p.y)};
    }
    boxes.push_back(box);
  }
  return boxes;
}

}  // namespace

void SetRingBounds(Shape& shape) { shape.ring_bounds = ExtentsOf(shape.rings); }

void OrientEvenOdd(std::vector<std::vector<Point>>& outlines) {
  const std::vector<Box> boxes = ExtentsOf(outlines);
  std::vector<bool> hole(outlines.size(), false);
  for (std::size_t i = 0; i < outlines.size(); ++i) {
    // Outlines meet nowhere, so any vertex tells whether one lies within another.
    const Point p = outlines[i][0];
    for (std::size_t j = 0; j < outlines.size(); ++j) {
      const Box& b = boxes[j];
      if (j == i || p.x < b.x0 || p.x > b.x1 || p.y < b.y0 || p.y > b.y1) continue;
      if (EvenOddInside(outlines[j], p)) hole[i] = !hole[i];
    }
  }
  for (std::size_t i = 0; i < outlines.size(); ++i) {
    if ((SignedArea(outlines[i]) < 0) != hole[i]) {
      std::reverse(outlines[i].begin(), outlines[i].end());
    }
  }
}

OutlineScan::OutlineScan(const std::vector<Point>& v) : OutlineScan({&v, 1}) {}

OutlineScan::OutlineScan(std::span<const std::vector<Point>> outlines) {
  for (const std::vector<Point>& v : outlines) AddSides(v);
  std::sort(sides_.begin(), sides_.end(),
            [](const Side& p, const Side& q) { return p.low.y < q.low.y; });
}

void OutlineScan::AddSides(const std::vector<Point>& v) {
  for (std::size_t i = 0; i < v.size(); ++i) {
    const Point a = v[i], b = v[(i + 1) % v.size()];
    if (a.y != b.y) sides_.push_back(a.y < b.y ? Side{a, b} : Side{b, a});
  }
}

const std::vector<double>& OutlineScan::At(double y) {
  // A side crosses the line when low.y <= y < high.y.
  std::erase_if(spanning_, [y](const Side* s) { return s->high.y <= y; });
  for (; next_ < sides_.size() && sides_[next_].low.y <= y; ++next_) {
    if (sides_[next_].high.y > y) spanning_.push_back(&sides_[next_]);
  }
  crossings_.clear();
  for (const Side* s : spanning_) {
    const Point a = s->low, b = s->high;
    crossings_.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
  }
  std::sort(crossings_.begin(), crossings_.end());
  return crossings_;
}

}  // namespace kelvane
