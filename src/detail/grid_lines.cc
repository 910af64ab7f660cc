#include "detail/grid_lines.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "detail/geometry.h"

namespace kelvane {
namespace {

// A coordinate of a shape that makes a grid line, and the cell size there.
struct Source {
  double* value;
  bool computed;  // A circle's extent rather than a drawn value.
  double local = 0;
};

// Whether the outline turns at vertex i by more than kCornerDegrees.
bool IsCorner(const std::vector<Point>& v, std::size_t i) {
  const Point p = v[(i + v.size() - 1) % v.size()], q = v[i], r = v[(i + 1) % v.size()];
  const double ax = q.x - p.x, ay = q.y - p.y, bx = r.x - q.x, by = r.y - q.y;
  const double dot = ax * bx + ay * by;
  const double lengths = std::hypot(ax, ay) * std::hypot(bx, by);
  return dot < std::cos(kCornerDegrees * std::numbers::pi / 180) * lengths;
}

// A polygon's vertices that make lines: its extent, the ends of its
// axis-parallel edges, its corners.
void AddPolygonSources(Shape& shape, std::vector<Source>& xs, std::vector<Source>& ys) {
  std::vector<Point>& v = shape.vertices;
  const Box box = Bounds(shape);
  const std::size_t n = v.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point p = v[(i + n - 1) % n], q = v[i], r = v[(i + 1) % n];
    const bool corner = IsCorner(v, i);
    if (corner || q.x == box.x0 || q.x == box.x1 || p.x == q.x || q.x == r.x) {
      xs.push_back({&v[i].x, false});
    }
    if (corner || q.y == box.y0 || q.y == box.y1 || p.y == q.y || q.y == r.y) {
      ys.push_back({&v[i].y, false});
    }
  }
}

void AddSources(Shape& shape, std::vector<Source>& xs, std::vector<Source>& ys) {
  if (shape.kind == ShapeKind::kPolygon) {
    AddPolygonSources(shape, xs, ys);
    return;
  }
  const bool circle = shape.kind == ShapeKind::kCircle;
  xs.insert(xs.end(), {{&shape.rect.x0, circle}, {&shape.rect.x1, circle}});
  ys.insert(ys.end(), {{&shape.rect.y0, circle}, {&shape.rect.y1, circle}});
}

// The cell size at each source: `base`, or the smallest limit of the shapes
// whose extent holds it, found in one sweep along the axis.
void SetLocalSizes(std::vector<Source>& sources, const std::vector<Shape>& shapes,
                   const std::vector<CellLimit>& limits, bool along_x, double base) {
  struct Extent {
    double from, to, limit;
  };
  std::vector<Extent> extents;
  for (std::size_t s = 0; s < shapes.size(); ++s) {
    const double limit = along_x ? limits[s].x : limits[s].y;
    if (!(limit < base)) continue;
    const Box box = Bounds(shapes[s]);
    extents.push_back(along_x ? Extent{box.x0, box.x1, limit} : Extent{box.y0, box.y1, limit});
  }
  std::sort(extents.begin(), extents.end(),
            [](const Extent& a, const Extent& b) { return a.from < b.from; });
  std::vector<std::size_t> order(sources.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return *sources[a].value < *sources[b].value; });
  // Active extents by their end; their limits, smallest first.
  std::multiset<std::pair<double, double>> by_end;
  std::multiset<double> active;
  std::size_t next = 0;
  for (std::size_t i : order) {
    const double at = *sources[i].value;
    for (; next < extents.size() && extents[next].from <= at; ++next) {
      by_end.insert({extents[next].to, extents[next].limit});
      active.insert(extents[next].limit);
    }
    while (!by_end.empty() && by_end.begin()->first < at) {
      active.erase(active.find(by_end.begin()->second));
      by_end.erase(by_end.begin());
    }
    sources[i].local = active.empty() ? base : std::min(base, *active.begin());
  }
}

// Merges the sources of one axis: each within reach of the first of its
// group takes the value of the group's first drawn one. Reach is rounding
// (1E-9 of the largest coordinate) or kMergedShare of the cell size there.
std::vector<double> MergeAlong(std::vector<Source>& sources) {
  double largest = 1;
  for (const Source& s : sources) largest = std::max(largest, std::fabs(*s.value));
  const double rounding = 1e-9 * largest;
  std::sort(sources.begin(), sources.end(), [](const Source& a, const Source& b) {
    return *a.value < *b.value || (*a.value == *b.value && !a.computed && b.computed);
  });
  std::vector<double> lines;
  for (std::size_t first = 0; first < sources.size();) {
    const double reach = std::max(rounding, kMergedShare * sources[first].local);
    std::size_t end = first + 1;
    while (end < sources.size() && *sources[end].value - *sources[first].value <= reach) ++end;
    std::size_t kept = first;
    while (kept + 1 < end && sources[kept].computed) ++kept;
    if (sources[kept].computed) kept = first;
    const double value = *sources[kept].value;
    for (std::size_t i = first; i < end; ++i) *sources[i].value = value;
    lines.push_back(value);
    first = end;
  }
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

}  // namespace

Thickness ThicknessOf(const Shape& shape) {
  switch (shape.kind) {
    case ShapeKind::kRect:
      return {shape.rect.x1 - shape.rect.x0, shape.rect.y1 - shape.rect.y0};
    case ShapeKind::kCircle:
      return {std::numbers::pi * shape.radius / 2, std::numbers::pi * shape.radius / 2};
    case ShapeKind::kPolygon:
      break;
  }
  const std::vector<Point>& v = shape.vertices;
  double along_x = 0, along_y = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const Point a = v[i], b = v[(i + 1) % v.size()];
    along_x += std::fabs(b.x - a.x);
    along_y += std::fabs(b.y - a.y);
  }
  const double twice_area = 2 * PolygonArea(v);
  return {twice_area / along_y, twice_area / along_x};
}

std::vector<CellLimit> ShapeCellLimits(const std::vector<Shape>& shapes, double scale) {
  std::vector<CellLimit> limits(shapes.size());
  for (std::size_t s = 0; s < shapes.size(); ++s) {
    const Shape& shape = shapes[s];
    if (shape.cell) {
      limits[s] = {*shape.cell * scale, *shape.cell * scale, shape.cell_at};
    } else if (shape.fill.kind == FillKind::kMaterial) {
      const Thickness t = ThicknessOf(shape);
      limits[s] = {t.x / kCellsAcross * scale, t.y / kCellsAcross * scale, shape.geometry_at};
    }
  }
  return limits;
}

// A polygon's extent after its extreme vertices moved onto their lines: the
// vertices that made no line, moved by less than the same reach, stay in it.
void KeepWithinExtent(Shape& shape, const Box& extent) {
  for (Point& p : shape.vertices) {
    p.x = std::clamp(p.x, extent.x0, extent.x1);
    p.y = std::clamp(p.y, extent.y0, extent.y1);
  }
}

DrawingLines PlaceLines(std::vector<Shape>& shapes, const std::vector<CellLimit>& limits,
                        double base) {
  std::vector<Source> xs, ys;
  // Where each polygon's extent lies, as coordinates that move with its lines.
  std::vector<Box> extents(shapes.size());
  for (std::size_t s = 0; s < shapes.size(); ++s) {
    AddSources(shapes[s], xs, ys);
    if (shapes[s].kind != ShapeKind::kPolygon) continue;
    extents[s] = Bounds(shapes[s]);
    xs.insert(xs.end(), {{&extents[s].x0, false}, {&extents[s].x1, false}});
    ys.insert(ys.end(), {{&extents[s].y0, false}, {&extents[s].y1, false}});
  }
  SetLocalSizes(xs, shapes, limits, true, base);
  SetLocalSizes(ys, shapes, limits, false, base);
  DrawingLines lines;
  lines.x = MergeAlong(xs);
  lines.y = MergeAlong(ys);
  for (std::size_t s = 0; s < shapes.size(); ++s) {
    if (shapes[s].kind == ShapeKind::kPolygon) KeepWithinExtent(shapes[s], extents[s]);
  }
  return lines;
}

}  // namespace kelvane
