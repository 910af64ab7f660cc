#include "detail/flanking.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <span>
#include <tuple>

#include "detail/geometry.h"
#include "model/units.h"
#include "platform/error.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

// A horizontal or vertical line, in coordinates along it (s) and across it,
// where it stands at q.
struct Line {
  bool vertical = false;
  double q = 0;

  double Along(Point p) const { return vertical ? p.y : p.x; }
  double Across(Point p) const { return vertical ? p.x : p.y; }
  Point At(double s) const { return vertical ? Point{q, s} : Point{s, q}; }
};

// A closed stretch of a line, from <= to.
struct Stretch {
  double from = 0;
  double to = 0;
};

// A piece of the segment between two cuts, and what is painted there.
struct Piece {
  double from = 0;
  double to = 0;
  Fill fill;
};

// The stretches of the line that a polygon covers: between pairs of the
// points where its outline crosses the line, as the grid maker scans a row,
// and along the sides that lie on the line, which the scan leaves out.
std::vector<Stretch> PolygonStretches(std::span<const std::vector<Point>> outlines,
                                      const Line& line) {
  std::vector<std::vector<Point>> turned;  // The outlines with the line horizontal.
  for (const std::vector<Point>& v : outlines) {
    turned.emplace_back();
    for (const Point& p : v) turned.back().push_back({line.Along(p), line.Across(p)});
  }
  std::vector<Stretch> covered;
  OutlineScan scan(turned);
  const std::vector<double>& crossings = scan.At(line.q);
  for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
    covered.push_back({crossings[i], crossings[i + 1]});
  }
  for (const std::vector<Point>& v : turned) {
    for (std::size_t i = 0; i < v.size(); ++i) {
      const Point a = v[i], b = v[(i + 1) % v.size()];
      if (a.y == line.q && b.y == line.q) {
        covered.push_back({std::min(a.x, b.x), std::max(a.x, b.x)});
      }
    }
  }
  return covered;
}

// The stretches of the line that a shape covers, its outline included, up
// to single points where an outline only touches the line.
std::vector<Stretch> Stretches(const Shape& shape, const Line& line) {
  switch (shape.kind) {
    case ShapeKind::kRect: {
      const Point low{shape.rect.x0, shape.rect.y0}, high{shape.rect.x1, shape.rect.y1};
      if (line.q < line.Across(low) || line.q > line.Across(high)) return {};
      return {{line.Along(low), line.Along(high)}};
    }
    case ShapeKind::kCircle: {
      const double d = line.q - line.Across(shape.centre), r = shape.radius;
      if (std::fabs(d) > r) return {};
      const double half = std::sqrt((r - d) * (r + d));
      const double s = line.Along(shape.centre);
      return {{s - half, s + half}};
    }
    case ShapeKind::kPolygon:
    case ShapeKind::kRegion: break;
  }
  return PolygonStretches(Outlines(shape), line);
}

// The points where [lo, hi] is cut, lo and hi among them, without the cuts
// that lie closer than rounding to the one before: a sliver between two
// outlines that meet on the line in exact arithmetic joins the piece before.
std::vector<double> Cuts(const std::vector<std::vector<Stretch>>& covered, double lo, double hi) {
  std::vector<double> points = {lo, hi};
  for (const std::vector<Stretch>& stretches : covered) {
    for (const Stretch& s : stretches) {
      for (double x : {s.from, s.to}) {
        if (lo < x && x < hi) points.push_back(x);
      }
    }
  }
  std::sort(points.begin(), points.end());
  const double rounding = 1e-9 * std::max({1.0, std::fabs(lo), std::fabs(hi)});
  std::vector<double> cuts = {lo};
  for (std::size_t i = 1; i < points.size(); ++i) {
    if (points[i] - cuts.back() > rounding) cuts.push_back(points[i]);
  }
  if (cuts.back() != hi) {
    if (cuts.size() > 1) cuts.pop_back();
    cuts.push_back(hi);
  }
  return cuts;
}

// The pieces of [lo, hi] on the line, in rising order, each painted with
// the fill of the last shape that covers its middle. The shapes are taken
// from the last, and a piece, once painted, is skipped by the link to the
// next one still open, so each piece is painted once.
std::vector<Piece> Pieces(const DetailFile& detail, const Line& line, double lo, double hi) {
  std::vector<std::vector<Stretch>> covered;
  for (const Shape& shape : detail.shapes) covered.push_back(Stretches(shape, line));
  const std::vector<double> cuts = Cuts(covered, lo, hi);
  std::vector<Piece> pieces;
  std::vector<double> middles;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    pieces.push_back({cuts[i], cuts[i + 1], Fill{}});
    middles.push_back((cuts[i] + cuts[i + 1]) / 2);
  }
  std::vector<std::size_t> open(pieces.size() + 1);
  std::iota(open.begin(), open.end(), 0);
  auto next_open = [&open](std::size_t i) {
    while (open[i] != i) i = open[i] = open[open[i]];
    return i;
  };
  for (std::size_t s = detail.shapes.size(); s-- > 0;) {
    for (const Stretch& stretch : covered[s]) {
      auto first = std::lower_bound(middles.begin(), middles.end(), stretch.from);
      std::size_t i = next_open(static_cast<std::size_t>(first - middles.begin()));
      for (; i < pieces.size() && middles[i] <= stretch.to; i = next_open(i)) {
        pieces[i].fill = detail.shapes[s].fill;
        open[i] = i + 1;
      }
    }
  }
  return pieces;
}

// The fill at a point: the last shape's that holds it, void where none does.
Fill FillAt(const DetailFile& detail, Point p) {
  for (auto shape = detail.shapes.rbegin(); shape != detail.shapes.rend(); ++shape) {
    if (Contains(*shape, p)) return shape->fill;
  }
  return Fill{};
}

std::string PointText(Point p) { return "[" + NumberText(p.x) + ", " + NumberText(p.y) + "]"; }

// "void", "the condition "inside"", "the fixed temperature "pipe"", "the
// material "brick"".
std::string FillText(const DetailFile& detail, const Fill& fill) {
  static const char* const kKinds[] = {"", "the material ", "the condition ",
                                       "the fixed temperature "};
  if (fill.kind == FillKind::kVoid) return "void";
  return kKinds[static_cast<int>(fill.kind)] + Quoted(FillName(detail, fill));
}

// 1/h of the condition at an end, as written when given as a resistance, by
// direction where given so: sideways at the end of a horizontal segment,
// down through the floor below an end above the layers, up through the
// ceiling above an end below them; 0 for a fixed temperature.
double SurfaceResistance(const DetailFile& detail, const Fill& fill, bool vertical, bool above) {
  if (fill.kind != FillKind::kCondition) return 0;
  const ConditionEntry& condition = detail.conditions[fill.index];
  if (const std::optional<DirectedResistance>& r = condition.by_direction) {
    return !vertical ? r->side : above ? r->down : r->up;
  }
  return condition.resistance ? *condition.resistance : 1 / condition.h;
}

// Whether a fill is of what a target names.
bool IsOf(const DetailFile& detail, const Target& target, const Fill& fill) {
  const std::vector<Fill> members = TargetMembers(detail, target);
  return std::find(members.begin(), members.end(), fill) != members.end();
}

// U = 1 / (R_from + sum d/lambda + R_to), summed in that order; a cavity
// whose conductivity is not yet known counts as no heat flow.
double UOf(const FlankingElement& element) {
  double resistance = element.resistance_from;
  for (const FlankingLayer& layer : element.layers) {
    if (layer.cavity && layer.conductivity == 0) return 0;
    resistance += MillimetreToMetre(layer.thickness) / layer.conductivity;
  }
  resistance += element.resistance_to;
  return 1 / resistance;
}

class SegmentElement {
 public:
  // `what` names the entry in messages, `where` the table whose environments
  // it runs between.
  SegmentElement(const DetailFile& detail, const PsiEntry& psi, const FlankingEntry& entry,
                 std::string what, std::string where)
      : detail_(detail), psi_(psi), entry_(entry), what_(std::move(what)),
        where_(std::move(where)) {}
  FlankingElement Make();

 private:
  [[noreturn]] void Fail(const std::string& text) const {
    throw RunError(ErrorKind::kInvalidValue, detail_.PlaceOf(entry_.at), what_ + " " + text);
  }
  // The environment of psi (0 or 1) the end lies in, and its fill there.
  std::pair<int, Fill> EndIn(Point end, const char* verb) const;
  void CheckBetween(const std::vector<Piece>& pieces, std::size_t first, std::size_t end) const;
  std::vector<FlankingLayer> Layers(const std::vector<Piece>& pieces, std::size_t first,
                                    std::size_t end) const;

  const DetailFile& detail_;
  const PsiEntry& psi_;
  const FlankingEntry& entry_;
  std::string what_;
  std::string where_;
  Line line_;
  Fill at_from_, at_to_;
  int side_from_ = 0, side_to_ = 0;
};

// The environment an end lies in, one of the two of its psi.
std::pair<int, Fill> SegmentElement::EndIn(Point end, const char* verb) const {
  const Fill fill = FillAt(detail_, end);
  for (int side = 0; side < 2; ++side) {
    if (IsOf(detail_, psi_.between[side], fill)) return {side, fill};
  }
  Fail(std::string(verb) + " at " + PointText(end) + " in " + FillText(detail_, fill) +
       ", not in " + Quoted(TargetName(detail_, psi_.between[0])) + " or " +
       Quoted(TargetName(detail_, psi_.between[1])));
}

// Pieces first to end (exclusive), those between the two environments'
// regions, must all be of a material, and there must be one.
void SegmentElement::CheckBetween(const std::vector<Piece>& pieces, std::size_t first,
                                  std::size_t end) const {
  const std::string ends = Quoted(TargetName(detail_, psi_.between[side_from_])) + " and " +
                           Quoted(TargetName(detail_, psi_.between[side_to_]));
  if (first >= end) Fail("crosses no material between " + ends);
  for (std::size_t i = first; i < end; ++i) {
    if (pieces[i].fill.kind == FillKind::kMaterial) continue;
    Fail("crosses " + FillText(detail_, pieces[i].fill) + " between " +
         PointText(line_.At(pieces[i].from)) + " and " + PointText(line_.At(pieces[i].to)) +
         "; between " + ends + " it may cross materials only");
  }
}

// Runs of one material are one layer, as thick as from its first cut to its
// last.
std::vector<FlankingLayer> SegmentElement::Layers(const std::vector<Piece>& pieces,
                                                  std::size_t first, std::size_t end) const {
  std::vector<FlankingLayer> layers;
  for (std::size_t i = first; i < end;) {
    std::size_t j = i + 1;
    while (j < end && pieces[j].fill == pieces[i].fill) ++j;
    const MaterialEntry& material = detail_.materials[pieces[i].fill.index];
    const double along = line_.vertical ? material.conductivity_y : material.conductivity;
    const double middle = (pieces[i].from + pieces[j - 1].to) / 2;
    layers.push_back({material.name, pieces[j - 1].to - pieces[i].from, along,
                      material.cavity.has_value(), line_.At(middle)});
    i = j;
  }
  return layers;
}

FlankingElement SegmentElement::Make() {
  const Point from = *entry_.from, to = *entry_.to;
  if (from.x != to.x && from.y != to.y) {
    Fail("runs from " + PointText(from) + " to " + PointText(to) +
         ": a segment must be horizontal or vertical");
  }
  line_.vertical = from.x == to.x && from.y != to.y;
  line_.q = line_.Across(from);
  std::tie(side_from_, at_from_) = EndIn(from, "starts");
  std::tie(side_to_, at_to_) = EndIn(to, "ends");
  if (side_from_ == side_to_) {
    Fail("starts and ends in " + Quoted(TargetName(detail_, psi_.between[side_from_])) +
         "; it must run from one environment of " + where_ + " to the other");
  }
  // The pieces run upward along the line: from the end at lo to that at hi.
  const bool rising = line_.Along(from) <= line_.Along(to);
  const Target& at_lo = psi_.between[rising ? side_from_ : side_to_];
  const Target& at_hi = psi_.between[rising ? side_to_ : side_from_];
  const std::vector<Piece> pieces =
      Pieces(detail_, line_, std::min(line_.Along(from), line_.Along(to)),
             std::max(line_.Along(from), line_.Along(to)));
  std::size_t first = 0, end = pieces.size();
  while (first < end && IsOf(detail_, at_lo, pieces[first].fill)) ++first;
  while (end > first && IsOf(detail_, at_hi, pieces[end - 1].fill)) --end;
  CheckBetween(pieces, first, end);

  FlankingElement element;
  element.length = entry_.length;
  element.from_segment = true;
  element.from = from;
  element.to = to;
  element.layers = Layers(pieces, first, end);
  if (!rising) std::reverse(element.layers.begin(), element.layers.end());
  // Along a vertical segment the end that lies further along y is above.
  element.resistance_from = SurfaceResistance(detail_, at_from_, line_.vertical, !rising);
  element.resistance_to = SurfaceResistance(detail_, at_to_, line_.vertical, rising);
  element.u = UOf(element);
  // Only conductivities beyond any material's leave layers between two fixed
  // temperatures with (next to) no resistance: the reader refuses those, a
  // detail made in code may still hold them.
  if (!std::isfinite(element.u)) Fail("has so little thermal resistance that U is infinite");
  element.at = entry_.at;
  return element;
}

}  // namespace

std::vector<FlankingElement> FlankingElements(const DetailFile& detail, const PsiEntry& psi) {
  std::vector<FlankingElement> elements;
  for (std::size_t i = 0; i < psi.flanking.size(); ++i) {
    const FlankingEntry& entry = psi.flanking[i];
    if (entry.u) {
      FlankingElement element;
      element.u = *entry.u;
      element.length = entry.length;
      element.at = entry.at;
      elements.push_back(element);
      continue;
    }
    const std::string where =
        psi.name.empty() ? std::string("[psi]") : "[[psi]] " + Quoted(psi.name);
    elements.push_back(
        SegmentElement(detail, psi, entry, "flanking entry " + std::to_string(i + 1), where)
            .Make());
  }
  return elements;
}

FlankingElement FramePanel(const DetailFile& detail, const FrameEntry& frame) {
  if (frame.panel.u) {
    FlankingElement element;
    element.u = *frame.panel.u;
    element.length = frame.panel.length;
    element.at = frame.panel.at;
    return element;
  }
  PsiEntry pair;
  pair.between[0] = frame.between[0];
  pair.between[1] = frame.between[1];
  return SegmentElement(detail, pair, frame.panel, "the panel of [frame]", "[frame]").Make();
}

void UseCavityConductivities(FlankingElement& element, const CavityConductivityAt& lambda) {
  bool any = false;
  for (FlankingLayer& layer : element.layers) {
    if (!layer.cavity) continue;
    layer.conductivity = lambda(layer.middle, element.from.y == element.to.y);
    any = true;
  }
  if (any) element.u = UOf(element);
}

}  // namespace kelvane
