#include "detail/dxf_layers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>

#include "detail/geometry.h"
#include "platform/error.h"

namespace kelvane {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The longest step along any curve, radians of arc or of an ellipse's
// parameter: even a curve that the chord error would let be a triangle
// keeps its shape.
constexpr double kLongestStep = kPi / 4;
constexpr double kLargestCoordinate = 1e9;  // mm, as typed shapes.
constexpr std::size_t kMostFaults = 8;
constexpr int kDeepestSplineCut = 16;  // 65536 chords of a knot span at most.

// x' = a x + b y + e, y' = c x + d y + f.
struct Transform {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  Point operator()(DxfPoint p) const { return {a * p.x + b * p.y + e, c * p.x + d * p.y + f}; }
  Point operator()(Point p) const { return (*this)(DxfPoint{p.x, p.y}); }
  // This one after `inner`.
  Transform After(const Transform& inner) const {
    return {a * inner.a + b * inner.c, a * inner.b + b * inner.d, c * inner.a + d * inner.c,
            c * inner.b + d * inner.d, a * inner.e + b * inner.f + e, c * inner.e + d * inner.f + f};
  }
  // The most it stretches a length: its largest singular value.
  double Stretch() const {
    const double p = a * a + b * b + c * c + d * d, q = std::fabs(a * d - b * c);
    return std::sqrt((p + std::sqrt(std::max(0.0, p * p - 4 * q * q))) / 2);
  }
};

Transform Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
Transform Scaling(double x, double y) { return {x, 0, 0, y, 0, 0}; }
Transform Rotation(double degrees) {
  const double r = degrees * kPi / 180, cs = std::cos(r), sn = std::sin(r);
  return {cs, -sn, sn, cs, 0, 0};
}
const Transform kMirror = Scaling(-1, 1);

double Distance(Point p, Point q) { return std::hypot(p.x - q.x, p.y - q.y); }

// The chords of an arc of radius r through `sweep` (radians, signed): the
// count that keeps each within `tol` of the arc.
std::size_t ArcSteps(double r, double sweep, double tol) {
  double step = kLongestStep;
  if (tol < r) step = std::min(step, 2 * std::acos(1 - tol / r));
  const double steps = std::ceil(std::fabs(sweep) / step);
  return steps >= 1 ? static_cast<std::size_t>(std::min(steps, 1e12)) : 1;
}

// One layer as it is gathered: outlines, and the pieces still to be joined.
struct Gathered {
  DrawingLayer layer;
  std::vector<std::vector<Point>> pieces;
};

class Expander {
 public:
  Expander(const DxfDrawing& drawing, const DxfPlacement& placement,
           const std::function<double(const std::string&)>& chord_error)
      : drawing_(drawing), placement_(placement), chord_error_(chord_error) {}
  DrawingLayers Run();

 private:
  // The context an entity is drawn in: where its coordinates go, and the
  // layer that layer 0 stands for (the insert's, or 0 itself outside blocks).
  struct Context {
    Transform to_mm;
    std::string layer_0;
    int depth = 0;
  };
  [[noreturn]] void Fail(const std::string& detail) const {
    throw RunError(ErrorKind::kOverflow, drawing_.source, detail);
  }
  Gathered& Layer(const std::string& name);
  const std::string& LayerOf(const DxfEntity& e, const Context& context) const {
    return e.layer == "0" ? context.layer_0 : e.layer;
  }
  double Tolerance(const std::string& layer, const Transform& to_mm);
  void Fault(Gathered& g, const std::string& text);
  void Count(std::size_t vertices);
  void Expand(const std::vector<DxfEntity>& entities, const Context& context);
  void Entity(const DxfEntity& e, const Context& context);
  void Insert(const DxfEntity& e, const Context& context);
  bool Flatten(const DxfEntity& e, const Transform& to_mm, double tol, Gathered& g,
               std::vector<Point>& out, bool& closed);
  void Arc(Point c, double r, double from, double sweep, double tol, const Transform& to_mm,
           std::vector<Point>& out);
  void Bulge(DxfPoint p, DxfPoint q, double bulge, double tol, const Transform& to_mm,
             std::vector<Point>& out);
  void Polyline(const DxfEntity& e, double tol, const Transform& to_mm, std::vector<Point>& out);
  void Ellipse(const DxfEntity& e, double tol, const Transform& to_mm, std::vector<Point>& out,
               bool& closed);
  bool Spline(const DxfEntity& e, double tol, const Transform& to_mm, Gathered& g,
              std::vector<Point>& out);
  void Hatch(const DxfEntity& e, const Context& context, Gathered& g);
  bool Checked(const std::vector<Point>& points, Gathered& g);
  void AddOutline(std::vector<Point> points, Gathered& g);
  void Join(Gathered& g, std::vector<std::vector<Point>>& pieces);

  const DxfDrawing& drawing_;
  const DxfPlacement& placement_;
  const std::function<double(const std::string&)>& chord_error_;
  std::map<std::string, double> chord_errors_;
  std::vector<Gathered> layers_;
  std::map<std::string, std::size_t> layer_index_;
  std::set<std::string> expanding_;  // The blocks being expanded, for a cycle.
  std::size_t entities_ = 0;
  std::size_t vertices_ = 0;
  std::optional<Box> extent_;
};

Gathered& Expander::Layer(const std::string& name) {
  auto [found, added] = layer_index_.try_emplace(name, layers_.size());
  if (added) {
    layers_.emplace_back();
    layers_.back().layer.name = name;
  }
  return layers_[found->second];
}

// The chord error in the entity's own units: the layer's, in mm, over the
// most its transform stretches.
double Expander::Tolerance(const std::string& layer, const Transform& to_mm) {
  auto [found, added] = chord_errors_.try_emplace(layer, 0.0);
  if (added) found->second = chord_error_(layer);
  const double stretch = to_mm.Stretch();
  return stretch > 0 && std::isfinite(stretch) ? found->second / stretch : found->second;
}

void Expander::Fault(Gathered& g, const std::string& text) {
  if (g.layer.faults.size() < kMostFaults) g.layer.faults.push_back(text);
}

void Expander::Count(std::size_t vertices) {
  if (vertices > kMostDxfVertices - vertices_) {
    Fail("the drawing's curves make more than " + std::to_string(kMostDxfVertices) +
         " vertices at the chord error asked for");
  }
  vertices_ += vertices;
}

void Expander::Expand(const std::vector<DxfEntity>& entities, const Context& context) {
  for (const DxfEntity& e : entities) {
    if (++entities_ > kMostDxfEntities) {
      Fail("the drawing's blocks expand to more than " + std::to_string(kMostDxfEntities) +
           " entities");
    }
    Entity(e, context);
  }
}

void Expander::Entity(const DxfEntity& e, const Context& context) {
  const std::string& layer = LayerOf(e, context);
  if (e.kind == DxfKind::kInsert) {
    Insert(e, context);
    return;
  }
  Gathered& g = Layer(layer);
  if (e.kind == DxfKind::kOther) {
    ++g.layer.others;
    return;
  }
  if (e.kind == DxfKind::kHatch) {
    Hatch(e, context, g);
    return;
  }
  const Transform to_mm = e.mirrored ? context.to_mm.After(kMirror) : context.to_mm;
  std::vector<Point> points;
  bool closed = false;
  if (!Flatten(e, to_mm, Tolerance(layer, to_mm), g, points, closed)) return;
  if (!Checked(points, g)) return;
  if (closed) {
    AddOutline(std::move(points), g);
  } else {
    g.pieces.push_back(std::move(points));
  }
}

void Expander::Insert(const DxfEntity& e, const Context& context) {
  auto block = drawing_.blocks.find(e.block);
  Gathered& g = Layer(LayerOf(e, context));
  const Point at = context.to_mm(e.points[0]);
  if (block == drawing_.blocks.end()) {
    Fault(g, "the INSERT at " + DrawingPointText(at) + " names the block " + Quoted(e.block) +
                 ", which the drawing does not define");
    return;
  }
  if (context.depth >= kDeepestInsert) {
    Fail("the blocks nest deeper than " + std::to_string(kDeepestInsert) +
         " inserts (block " + Quoted(e.block) + " at " + DrawingPointText(at) + ")");
  }
  if (!expanding_.insert(e.block).second) {
    Fail("the block " + Quoted(e.block) + " inserts itself (at " + DrawingPointText(at) + ")");
  }
  const Transform base = Translation(-block->second.base.x, -block->second.base.y);
  const Transform placed = (e.mirrored ? context.to_mm.After(kMirror) : context.to_mm)
                               .After(Translation(e.points[0].x, e.points[0].y))
                               .After(Rotation(e.rotation));
  const int columns = std::max(e.columns, 1), rows = std::max(e.rows, 1);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      if (++entities_ > kMostDxfEntities) {
        Fail("the drawing's blocks expand to more than " + std::to_string(kMostDxfEntities) +
             " entities");
      }
      const Transform copy = placed.After(Translation(column * e.spacing.x, row * e.spacing.y))
                                 .After(Scaling(e.scale.x, e.scale.y))
                                 .After(base);
      Expand(block->second.entities, {copy, LayerOf(e, context), context.depth + 1});
    }
  }
  expanding_.erase(e.block);
}

// The entity's points in mm, as a closed outline (`closed`) or an open
// piece; false, with a fault, for one that cannot be drawn.
bool Expander::Flatten(const DxfEntity& e, const Transform& to_mm, double tol, Gathered& g,
                       std::vector<Point>& out, bool& closed) {
  if (e.kind == DxfKind::kArc || e.kind == DxfKind::kCircle || e.kind == DxfKind::kEllipse) {
    // A curve that reaches beyond the coordinates a detail takes is a
    // fault of its layer, found before it is cut into chords.
    const Point c = to_mm(e.centre);
    const double size = e.kind == DxfKind::kEllipse
                            ? std::hypot(e.axis.x, e.axis.y) * std::max(1.0, std::fabs(e.ratio))
                            : std::fabs(e.radius);
    const double reach = to_mm.Stretch() * size;
    if (!(std::max(std::fabs(c.x), std::fabs(c.y)) + reach <= kLargestCoordinate)) {
      Fault(g, "a curve about " + DrawingPointText(c) + " reaches beyond 1E+09 mm of 0");
      return false;
    }
  }
  switch (e.kind) {
    case DxfKind::kLine:
      Count(2);
      out = {to_mm(e.points[0]), to_mm(e.points[1])};
      return true;
    case DxfKind::kArc: {
      const double from = e.start * kPi / 180;
      double sweep = std::fmod(e.end - e.start, 360.0);
      if (!(sweep > 0)) sweep += 360;  // Counter-clockwise, a whole turn when equal.
      Arc({e.centre.x, e.centre.y}, e.radius, from, sweep * kPi / 180, tol, to_mm, out);
      return true;
    }
    case DxfKind::kCircle:
      Arc({e.centre.x, e.centre.y}, e.radius, 0, 2 * kPi, tol, to_mm, out);
      out.pop_back();
      closed = true;
      return true;
    case DxfKind::kPolyline:
      if (e.points.empty()) return false;
      Polyline(e, tol, to_mm, out);
      closed = e.closed;
      return true;
    case DxfKind::kEllipse:
      Ellipse(e, tol, to_mm, out, closed);
      return true;
    case DxfKind::kSpline:
      return Spline(e, tol, to_mm, g, out);
    default:
      return false;
  }
}

// The arc's points from its start to its end, both included.
void Expander::Arc(Point c, double r, double from, double sweep, double tol,
                   const Transform& to_mm, std::vector<Point>& out) {
  const std::size_t steps = ArcSteps(std::fabs(r), sweep, tol);
  Count(steps + 1);
  for (std::size_t i = 0; i <= steps; ++i) {
    const double t = from + sweep * static_cast<double>(i) / static_cast<double>(steps);
    out.push_back(to_mm(Point{c.x + r * std::cos(t), c.y + r * std::sin(t)}));
  }
}

// The side from p to q that bulges by `bulge`, the tangent of a quarter of
// its angle (positive counter-clockwise), without q.
void Expander::Bulge(DxfPoint p, DxfPoint q, double bulge, double tol, const Transform& to_mm,
                     std::vector<Point>& out) {
  const double dx = q.x - p.x, dy = q.y - p.y, chord = std::hypot(dx, dy);
  if (bulge == 0 || !(chord > 0) || !std::isfinite(bulge)) {
    Count(1);
    out.push_back(to_mm(p));
    return;
  }
  // The centre lies off the chord's middle, to its left for a positive
  // bulge, by (chord / 2) (1 - b^2) / (2 b).
  const double off = (1 - bulge * bulge) / (4 * bulge);
  const Point c{(p.x + q.x) / 2 - dy * off, (p.y + q.y) / 2 + dx * off};
  const double r = std::hypot(p.x - c.x, p.y - c.y);
  const double from = std::atan2(p.y - c.y, p.x - c.x);
  const std::size_t first = out.size();
  Arc(c, r, from, 4 * std::atan(bulge), tol, to_mm, out);
  out[first] = to_mm(p);  // Exactly where drawn,
  out.pop_back();         // and q begins the next side.
}

void Expander::Polyline(const DxfEntity& e, double tol, const Transform& to_mm,
                        std::vector<Point>& out) {
  const std::size_t n = e.points.size();
  const std::size_t sides = e.closed ? n : n - 1;
  for (std::size_t i = 0; i < sides; ++i) {
    Bulge(e.points[i], e.points[(i + 1) % n], e.bulges[i], tol, to_mm, out);
  }
  if (!e.closed) {
    Count(1);
    out.push_back(to_mm(e.points[n - 1]));
  }
}

void Expander::Ellipse(const DxfEntity& e, double tol, const Transform& to_mm,
                       std::vector<Point>& out, bool& closed) {
  double span = e.end - e.start;
  span = std::fmod(span, 2 * kPi);
  if (!(span > 1e-12)) span += 2 * kPi;
  closed = span >= 2 * kPi - 1e-12;
  const double major = std::hypot(e.axis.x, e.axis.y) * std::max(1.0, std::fabs(e.ratio));
  // A chord over a parameter step h lies within h^2 / 8 times the largest
  // second derivative from the curve, and that is the major axis at most.
  double step = kLongestStep;
  if (major > 0) step = std::min(step, std::sqrt(8 * tol / major));
  const double count = std::ceil(span / step);
  const std::size_t steps = static_cast<std::size_t>(std::clamp(count, 1.0, 1e12));
  Count(steps + 1);
  const Point m{e.axis.x, e.axis.y}, n{-e.axis.y * e.ratio, e.axis.x * e.ratio};
  for (std::size_t i = 0; i <= steps; ++i) {
    const double t = e.start + span * static_cast<double>(i) / static_cast<double>(steps);
    const double cs = std::cos(t), sn = std::sin(t);
    out.push_back(to_mm(Point{e.centre.x + cs * m.x + sn * n.x, e.centre.y + cs * m.y + sn * n.y}));
  }
  if (closed) out.pop_back();
}


// A NURBS curve's point at t, by de Boor's rule in homogeneous coordinates.
Point SplinePoint(const DxfEntity& e, double t) {
  const std::vector<double>& u = e.knots;
  const int p = e.degree, n = static_cast<int>(e.points.size());
  int k = p;
  while (k < n - 1 && !(t < u[k + 1])) ++k;
  double x[11], y[11], w[11];
  for (int j = 0; j <= p; ++j) {
    const int i = k - p + j;
    w[j] = e.weights[i];
    x[j] = e.points[i].x * w[j];
    y[j] = e.points[i].y * w[j];
  }
  for (int r = 1; r <= p; ++r) {
    for (int j = p; j >= r; --j) {
      const int i = k - p + j;
      const double span = u[i + p - r + 1] - u[i];
      const double a = span > 0 ? (t - u[i]) / span : 0;
      x[j] = (1 - a) * x[j - 1] + a * x[j];
      y[j] = (1 - a) * y[j - 1] + a * y[j];
      w[j] = (1 - a) * w[j - 1] + a * w[j];
    }
  }
  return {x[p] / w[p], y[p] / w[p]};
}

// What keeps a spline from being drawn, or "".
std::string SplineFault(const DxfEntity& e) {
  const std::size_t n = e.points.size();
  if (n == 0) return "has no control points (a spline of fit points alone is not read)";
  if (e.degree < 1 || e.degree > 10) {
    return "is of degree " + std::to_string(e.degree) + "; splines of degree 1 to 10 are read";
  }
  const std::size_t p = static_cast<std::size_t>(e.degree);
  if (n < p + 1 || e.knots.size() != n + p + 1) {
    return "has " + std::to_string(e.knots.size()) + " knots for " + std::to_string(n) +
           " control points of degree " + std::to_string(p) + ", not " +
           std::to_string(n + p + 1);
  }
  for (std::size_t i = 0; i < e.knots.size(); ++i) {
    if (!std::isfinite(e.knots[i]) || (i > 0 && e.knots[i] < e.knots[i - 1])) {
      return "has knots that do not rise";
    }
  }
  for (double w : e.weights) {
    if (!(w > 0) || !std::isfinite(w)) return "has a weight that is not above 0";
  }
  if (!(e.knots[p] < e.knots[n])) return "has no span between its knots";
  return "";
}

// Cuts [t0, t1] in halves until the chord's middle lies within tol of the
// curve, and adds the points after t0.
void CutSpline(const DxfEntity& e, double t0, Point a, double t1, Point b, double tol,
               int depth, std::vector<Point>& local) {
  const double tm = (t0 + t1) / 2;
  const Point m = SplinePoint(e, tm);
  const Point chord_middle{(a.x + b.x) / 2, (a.y + b.y) / 2};
  // Two levels at least, so that an S within one span is not taken for straight.
  if (depth >= kDeepestSplineCut || (depth >= 2 && Distance(m, chord_middle) <= tol)) {
    local.push_back(b);
    return;
  }
  CutSpline(e, t0, a, tm, m, tol, depth + 1, local);
  CutSpline(e, tm, m, t1, b, tol, depth + 1, local);
}

bool Expander::Spline(const DxfEntity& e, double tol, const Transform& to_mm, Gathered& g,
                      std::vector<Point>& out) {
  const std::string fault = SplineFault(e);
  if (!fault.empty()) {
    const std::string at = e.points.empty() ? "" : " through " + DrawingPointText(to_mm(e.points[0]));
    Fault(g, "the SPLINE" + at + " " + fault);
    return false;
  }
  const std::vector<double>& u = e.knots;
  const std::size_t p = static_cast<std::size_t>(e.degree), n = e.points.size();
  std::vector<Point> local = {SplinePoint(e, u[p])};
  for (std::size_t k = p; k < n; ++k) {
    if (!(u[k] < u[k + 1])) continue;
    const std::size_t before = local.size();
    CutSpline(e, u[k], local.back(), u[k + 1], SplinePoint(e, u[k + 1]), tol, 0, local);
    Count(local.size() - before);
  }
  for (const Point& q : local) out.push_back(to_mm(q));
  return true;
}

// Each boundary path is one outline: a polyline path as it stands, a path
// of edges joined end to end.
void Expander::Hatch(const DxfEntity& e, const Context& context, Gathered& g) {
  const Transform to_mm = e.mirrored ? context.to_mm.After(kMirror) : context.to_mm;
  const double tol = Tolerance(g.layer.name, to_mm);
  for (const std::vector<DxfEntity>& loop : e.loops) {
    std::vector<std::vector<Point>> pieces;
    for (const DxfEntity& edge : loop) {
      std::vector<Point> points;
      bool closed = false;
      if (!Flatten(edge, to_mm, tol, g, points, closed) || !Checked(points, g)) continue;
      if (closed) {
        AddOutline(std::move(points), g);
      } else {
        pieces.push_back(std::move(points));
      }
    }
    Join(g, pieces);
  }
}

// Whether every point lies within the coordinates a detail takes; the
// extent grows by them.
bool Expander::Checked(const std::vector<Point>& points, Gathered& g) {
  for (const Point& q : points) {
    if (!(std::fabs(q.x) <= kLargestCoordinate && std::fabs(q.y) <= kLargestCoordinate)) {
      Fault(g, "a point at " + DrawingPointText(q) + " lies beyond 1E+09 mm of 0");
      return false;
    }
  }
  for (const Point& q : points) {
    if (!extent_) extent_ = Box{q.x, q.y, q.x, q.y};
    extent_ = Box{std::min(extent_->x0, q.x), std::min(extent_->y0, q.y),
                  std::max(extent_->x1, q.x), std::max(extent_->y1, q.y)};
  }
  return !points.empty();
}

// An outline without repeated points and without points in the middle of
// a straight side, which would only add grid lines.
void Expander::AddOutline(std::vector<Point> points, Gathered& g) {
  const Point through = points.front();
  std::vector<Point> kept;
  for (const Point& q : points) {
    if (kept.empty() || q.x != kept.back().x || q.y != kept.back().y) kept.push_back(q);
  }
  while (kept.size() > 1 && kept.back().x == kept.front().x && kept.back().y == kept.front().y) {
    kept.pop_back();
  }
  std::vector<Point> outline;
  const std::size_t n = kept.size();
  for (std::size_t i = 0; i < n && n >= 3; ++i) {
    const Point a = kept[(i + n - 1) % n], b = kept[i], c = kept[(i + 1) % n];
    const bool straight = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) == 0 &&
                          (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y) > 0;
    if (!straight) outline.push_back(b);
  }
  if (outline.size() < 3 || !(PolygonArea(outline) > 0)) {
    Fault(g, "the outline through " + DrawingPointText(through) + " encloses no area");
    return;
  }
  g.layer.outlines.push_back(std::move(outline));
}

// The ends of the pieces, each paired with the one other end that lies
// within `join` of it: partner[2 i] is the start of piece i, partner[2 i + 1]
// its end, -1 where no end or more than one lies that close (a fault).
std::vector<long> PairEnds(const std::vector<std::vector<Point>>& pieces, double join,
                           std::vector<Point>& crowded) {
  const double cell = std::max(join, 1e-6);
  auto key = [cell](Point q) {
    return std::make_pair(static_cast<std::int64_t>(std::floor(q.x / cell)),
                          static_cast<std::int64_t>(std::floor(q.y / cell)));
  };
  struct Hash {
    std::size_t operator()(const std::pair<std::int64_t, std::int64_t>& k) const {
      return std::hash<std::int64_t>()(k.first * 1000003 + k.second);
    }
  };
  std::vector<Point> ends;
  for (const std::vector<Point>& piece : pieces) {
    ends.push_back(piece.front());
    ends.push_back(piece.back());
  }
  std::unordered_map<std::pair<std::int64_t, std::int64_t>, std::vector<long>, Hash> cells;
  for (std::size_t i = 0; i < ends.size(); ++i) cells[key(ends[i])].push_back(static_cast<long>(i));
  std::vector<long> near(ends.size(), -1);
  for (std::size_t i = 0; i < ends.size(); ++i) {
    const auto [cx, cy] = key(ends[i]);
    int found = 0;
    for (std::int64_t x = cx - 1; x <= cx + 1; ++x) {
      for (std::int64_t y = cy - 1; y <= cy + 1; ++y) {
        auto hit = cells.find({x, y});
        if (hit == cells.end()) continue;
        for (long j : hit->second) {
          if (j == static_cast<long>(i) || Distance(ends[i], ends[j]) > join) continue;
          near[i] = j;
          ++found;
        }
      }
    }
    if (found > 1) {
      near[i] = -2;
      crowded.push_back(ends[i]);
    }
  }
  // Pairs only where each end has the other alone.
  std::vector<long> partner(ends.size(), -1);
  for (std::size_t i = 0; i < ends.size(); ++i) {
    if (near[i] >= 0 && near[near[i]] == static_cast<long>(i)) partner[i] = near[i];
  }
  return partner;
}

// Appends piece `i`, entered at its start (or its end when `reversed`),
// without its first point, which lies at the chain's last.
void AppendPiece(const std::vector<Point>& piece, bool reversed, std::vector<Point>& chain) {
  if (reversed) {
    chain.insert(chain.end(), piece.rbegin() + 1, piece.rend());
  } else {
    chain.insert(chain.end(), piece.begin() + 1, piece.end());
  }
}

// Joins the pieces end to end: chains that come back to their start are
// outlines, the others open chains.
void Expander::Join(Gathered& g, std::vector<std::vector<Point>>& pieces) {
  // A piece no longer than `join` (a line of no length, as drawings often
  // hold) would only crowd the ends it touches.
  std::erase_if(pieces, [this](const std::vector<Point>& piece) {
    return std::all_of(piece.begin(), piece.end(), [&](const Point& q) {
      return Distance(q, piece.front()) <= placement_.join;
    });
  });
  std::vector<Point> crowded;
  const std::vector<long> partner = PairEnds(pieces, placement_.join, crowded);
  if (!crowded.empty()) {
    Fault(g, "the ends of three or more lines or arcs meet at " + DrawingPointText(crowded[0]) +
                 ", so the outlines there cannot be told apart (is a line drawn twice?)");
  }
  std::vector<bool> used(pieces.size(), false);
  // Walks from end `entry` (2 i or 2 i + 1) through the pieces; the end
  // where the walk stops, -1 when it came back to `entry`'s piece.
  auto walk = [&](long entry, std::vector<Point>& chain) {
    const long first_piece = entry / 2;
    chain = entry % 2 ? std::vector<Point>(pieces[first_piece].rbegin(), pieces[first_piece].rend())
                      : pieces[first_piece];
    used[first_piece] = true;
    long exit = entry ^ 1;
    for (;;) {
      const long next = partner[exit];
      if (next < 0) return exit;
      if (next / 2 == first_piece) return -1L;
      used[next / 2] = true;
      AppendPiece(pieces[next / 2], next % 2 == 1, chain);
      exit = next ^ 1;
    }
  };
  std::vector<Point> chain;
  // Open chains first, from their lone ends; what is left are cycles.
  for (std::size_t i = 0; i < 2 * pieces.size(); ++i) {
    if (used[i / 2] || partner[i] >= 0) continue;
    walk(static_cast<long>(i), chain);
    g.layer.open.push_back({chain.front(), chain.back()});
  }
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (used[i]) continue;
    if (walk(static_cast<long>(2 * i), chain) >= 0) {
      g.layer.open.push_back({chain.front(), chain.back()});
      continue;
    }
    chain.pop_back();  // Within `join` of the first point.
    AddOutline(std::move(chain), g);
  }
  pieces.clear();
}

DrawingLayers Expander::Run() {
  for (const std::string& name : drawing_.table_layers) Layer(name);
  const Transform root{placement_.unit, 0, 0, placement_.unit, placement_.offset.x,
                       placement_.offset.y};
  Expand(drawing_.entities, {root, "0", 0});
  DrawingLayers result;
  for (Gathered& g : layers_) {
    Join(g, g.pieces);
    result.layers.push_back(std::move(g.layer));
  }
  result.extent = extent_;
  return result;
}

}  // namespace

DrawingLayers ExpandDrawing(const DxfDrawing& drawing, const DxfPlacement& placement,
                            const std::function<double(const std::string&)>& chord_error) {
  return Expander(drawing, placement, chord_error).Run();
}

std::optional<DxfUnit> InsunitsUnit(int code) {
  switch (code) {
    case 1: return DxfUnit{25.4, "in"};
    case 2: return DxfUnit{304.8, "ft"};
    case 4: return DxfUnit{1, "mm"};
    case 5: return DxfUnit{10, "cm"};
    case 6: return DxfUnit{1000, "m"};
    case 14: return DxfUnit{100, "dm"};
    default: return std::nullopt;
  }
}

std::string DrawingPointText(Point p) {
  auto text = [](double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", v);
    std::string s = buffer;
    if (s.find('.') != std::string::npos) {
      while (s.back() == '0') s.pop_back();
      if (s.back() == '.') s.pop_back();
    }
    return s == "-0" ? std::string("0") : s;
  };
  return "x " + text(p.x) + ", y " + text(p.y) + " mm";
}

}  // namespace kelvane
