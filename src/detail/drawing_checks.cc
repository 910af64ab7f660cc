#include "detail/drawing_checks.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "detail/geometry.h"
#include "detail/grid_lines.h"
#include "platform/error.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

std::string Figure(double value) { return NumberText(value, 4); }

// A coordinate of the drawing, mm: to 9 digits, so that a detail drawn far
// from its origin is still named to the tenth of a millimetre.
std::string Coordinate(double value) { return NumberText(value, 9); }

// A cavity's conductivity is worked out from its size, not given.
std::string ConductivityFinding(const MaterialEntry& m) {
  if (m.cavity) return "";
  for (double conductivity : {m.conductivity, m.conductivity_y}) {
    const std::string what = "the conductivity of " + Quoted(m.name) + ", " +
                             Figure(conductivity) + " W/(m K), is ";
    if (conductivity > kMostConductivity) {
      return what + "above " + Figure(kMostConductivity) +
             " W/(m K), more than any building material's (copper's is 380): a unit slip?";
    }
    if (conductivity < kLeastConductivity) {
      return what + "below " + Figure(kLeastConductivity) +
             " W/(m K), less than any material's but a vacuum panel's (still air's is 0.025): a "
             "unit slip?";
    }
  }
  return "";
}

// A condition's or a case's h, resistance or resistances by direction.
std::string SurfaceFinding(const std::string& name, double h, std::optional<double> resistance,
                           const std::optional<DirectedResistance>& by_direction) {
  const std::string of = " of " + Quoted(name) + ", ";
  auto resistance_finding = [&](double r) {
    return "the surface resistance" + of + Figure(r) + " m\xC2\xB2 K/W, is above " +
           Figure(kMostResistance) +
           " m\xC2\xB2 K/W (EN ISO 6946 gives 0.04 to 0.17): an h given as a resistance?";
  };
  if (by_direction) {
    for (double r : {by_direction->up, by_direction->side, by_direction->down}) {
      if (r > kMostResistance) return resistance_finding(r);
    }
    return "";
  }
  if (resistance && *resistance > kMostResistance) return resistance_finding(*resistance);
  const std::string given = resistance ? " (1 / its resistance)" : "";
  if (h == 0) {
    return "h of " + Quoted(name) +
           " is 0: its surfaces pass no heat, as void does; give its h, or draw void";
  }
  if (h < kLeastH) {
    return "h" + of + Figure(h) + " W/(m\xC2\xB2 K)" + given + ", is below " + Figure(kLeastH) +
           " W/(m\xC2\xB2 K): a surface resistance given as h?";
  }
  if (h > kMostH) {
    return "h" + of + Figure(h) + " W/(m\xC2\xB2 K)" + given + ", is above " + Figure(kMostH) +
           " W/(m\xC2\xB2 K), more than any surface's in a building: for a surface held at a "
           "temperature, draw a fixed temperature";
  }
  return "";
}

void Add(Warnings& out, const DetailFile& detail, SourcePosition at, const std::string& text) {
  if (!text.empty()) out.push_back({detail.PlaceOf(at), text});
}

// The extent of everything drawn, mm.
Box DrawingExtent(const DetailFile& detail) {
  Box extent = Bounds(detail.shapes.front());
  for (const Shape& shape : detail.shapes) {
    const Box b = Bounds(shape);
    extent = {std::min(extent.x0, b.x0), std::min(extent.y0, b.y0), std::max(extent.x1, b.x1),
              std::max(extent.y1, b.y1)};
  }
  return extent;
}

void CheckScale(const DetailFile& detail, Warnings& out) {
  if (detail.shapes.empty()) return;
  const Box extent = DrawingExtent(detail);
  const double size = std::max(extent.x1 - extent.x0, extent.y1 - extent.y0);
  if (size < kLeastDrawing) {
    // The one cause of every other finding of scale.
    Add(out, detail, detail.shapes.front().geometry_at,
        "the drawing is " + Figure(size) + " mm across, under " + Figure(kLeastDrawing) +
            " mm: a detail file is drawn in millimetres; a drawing in metres?");
    return;
  }
  for (const Shape& shape : detail.shapes) {
    if (shape.kind == ShapeKind::kCircle && shape.radius < kLeastThickness) {
      Add(out, detail, shape.geometry_at,
          "this circle's radius, " + Figure(shape.radius) + " mm, is under " +
              Figure(kLeastThickness) + " mm: a radius in metres?");
      continue;
    }
    if (shape.fill.kind != FillKind::kMaterial) continue;
    const Thickness t = ThicknessOf(shape);
    const double thinnest = std::min(t.x, t.y);
    if (thinnest < kLeastThickness) {
      Add(out, detail, shape.geometry_at,
          "this shape of " + Quoted(FillName(detail, shape.fill)) + " is " + Figure(thinnest) +
              " mm thick, under " + Figure(kLeastThickness) +
              " mm: a layer that thin is better given as a resistance, or a unit slip?");
    }
  }
  for (const PsiEntry& psi : detail.psi) {
    for (const FlankingEntry& f : psi.flanking) {
      if (f.length >= kLeastFlankingShare * size) continue;
      Add(out, detail, f.at,
          "the flanking length, " + Figure(f.length) + " mm, is under " +
              Figure(100 * kLeastFlankingShare) + " % of the drawing's " + Figure(size) +
              " mm: lengths are in millimetres; a length in metres?");
    }
  }
  if (!detail.frame) return;
  // U_f divides by b_f: a width in metres makes it a thousand times too large.
  const FrameEntry& frame = *detail.frame;
  const std::pair<double, SourcePosition> widths[] = {{frame.panel.length, frame.panel.at},
                                                      {frame.width, frame.at}};
  const char* const names[] = {"the panel's visible width b_p", "the frame's width b_f"};
  for (int i = 0; i < 2; ++i) {
    const auto [width, at] = widths[i];
    if (width >= kLeastFlankingShare * size) continue;
    Add(out, detail, at,
        std::string(names[i]) + ", " + Figure(width) + " mm, is under " +
            Figure(100 * kLeastFlankingShare) + " % of the drawing's " + Figure(size) +
            " mm: widths are in millimetres; a width in metres?");
  }
}


// The made grid's cells as the drawing fills them: cell (c, r) at
// r * columns + c, r from the bottom row up.
struct CellMap {
  const DetailFile& detail;
  const MadeGrid& made;
  std::size_t columns = 0;
  std::size_t rows = 0;
  std::vector<double> x;  // The column lines, mm, left to right.
  std::vector<double> y;  // The row lines, mm, bottom to top.

  CellMap(const DetailFile& d, const MadeGrid& m)
      : detail(d), made(m), columns(m.widths.size()), rows(m.heights.size()),
        x(m.labels.column_x_mm), y(m.labels.row_y_mm.rbegin(), m.labels.row_y_mm.rend()) {}

  std::size_t size() const { return columns * rows; }
  Fill FillAt(std::size_t i) const {
    const int s = made.cell_shape[i];
    return s < 0 ? Fill{} : detail.shapes[s].fill;
  }
  FillKind KindAt(std::size_t i) const { return FillAt(i).kind; }
  // The cells beside cell i that share a side with it.
  std::vector<std::size_t> Beside(std::size_t i) const {
    std::vector<std::size_t> beside;
    const std::size_t c = i % columns, r = i / columns;
    if (c > 0) beside.push_back(i - 1);
    if (c + 1 < columns) beside.push_back(i + 1);
    if (r > 0) beside.push_back(i - columns);
    if (r + 1 < rows) beside.push_back(i + columns);
    return beside;
  }
  bool OnBorder(std::size_t i) const {
    const std::size_t c = i % columns, r = i / columns;
    return c == 0 || r == 0 || c + 1 == columns || r + 1 == rows;
  }
};

// The pieces, joined by sides, of the cells whose kind `in` holds: each
// cell's piece from 0, -1 for the others; `count` of them.
struct Pieces {
  std::vector<int> of;
  int count = 0;
};

Pieces PiecesOf(const CellMap& map, FillKind in) {
  Pieces pieces{std::vector<int>(map.size(), -1), 0};
  std::vector<std::size_t> stack;
  for (std::size_t start = 0; start < map.size(); ++start) {
    if (pieces.of[start] >= 0 || map.KindAt(start) != in) continue;
    pieces.of[start] = pieces.count;
    stack.push_back(start);
    while (!stack.empty()) {
      const std::size_t i = stack.back();
      stack.pop_back();
      for (std::size_t n : map.Beside(i)) {
        if (pieces.of[n] >= 0 || map.KindAt(n) != in) continue;
        pieces.of[n] = pieces.count;
        stack.push_back(n);
      }
    }
    ++pieces.count;
  }
  return pieces;
}

const std::string& KindWord(FillKind kind) {
  static const std::string condition = "condition", fixed = "fixed temperature";
  return kind == FillKind::kCondition ? condition : fixed;
}

SourcePosition KeyOf(const DetailFile& detail, const Fill& fill) {
  return fill.kind == FillKind::kCondition ? detail.conditions[fill.index].at
                                           : detail.fixed[fill.index].at;
}

// Conditions and fixed temperatures that no material borders.
void CheckTouching(const CellMap& map, Warnings& out) {
  const DetailFile& d = map.detail;
  std::map<std::pair<FillKind, int>, bool> touching;  // Drawn ones: whether they touch.
  for (std::size_t i = 0; i < map.size(); ++i) {
    const Fill fill = map.FillAt(i);
    if (fill.kind != FillKind::kCondition && fill.kind != FillKind::kFixed) continue;
    bool& touches = touching[{fill.kind, fill.index}];
    for (std::size_t n : map.Beside(i)) touches = touches || map.KindAt(n) == FillKind::kMaterial;
  }
  for (FillKind kind : {FillKind::kCondition, FillKind::kFixed}) {
    const std::size_t count = kind == FillKind::kCondition ? d.conditions.size() : d.fixed.size();
    for (std::size_t e = 0; e < count; ++e) {
      const Fill fill{kind, static_cast<int>(e)};
      const auto found = touching.find({kind, fill.index});
      if (found != touching.end() && found->second) continue;
      Add(out, d, KeyOf(d, fill),
          KindWord(kind) + " " + Quoted(FillName(d, fill)) +
              (found == touching.end()
                   ? " has no cell: no shape is filled with it, later shapes cover it, or its "
                     "shapes are narrower than a fiftieth of the cells there, which the grid "
                     "merges away"
                   : " touches no material: none of its cells borders one, so it takes no heat; "
                     "draw it against the surface"));
    }
  }
}

// A piece of void cells: its extent and what borders it.
struct VoidPiece {
  Box extent{1e300, 1e300, -1e300, -1e300};
  bool border = false;     // It reaches the grid's edge,
  bool condition = false;  //   or a condition's or fixed temperature's cells.
  int material_cell = -1;  // A material cell beside it.
  int void_shape = -1;     // A shape that paints it "void", if one does.
  int across_x = 0;        // Runs between two material cells, each way,
  int across_y = 0;        //   no wider than kGapWidest.
  std::map<std::pair<int, int>, int> pairs;  // The two materials of each run.
};

// The runs of void cells along one row (along_x) or column that material
// ends on both sides, no wider than kGapWidest, into their pieces.
void CountRuns(const CellMap& map, const Pieces& voids, bool along_x, std::vector<VoidPiece>& out) {
  const std::size_t lines = along_x ? map.rows : map.columns;
  const std::size_t length = along_x ? map.columns : map.rows;
  for (std::size_t l = 0; l < lines; ++l) {
    auto at = [&](std::size_t p) { return along_x ? l * map.columns + p : p * map.columns + l; };
    std::size_t p = 0;
    while (p < length) {
      if (voids.of[at(p)] < 0) { ++p; continue; }
      const std::size_t first = p;
      while (p < length && voids.of[at(p)] >= 0) ++p;
      if (first == 0 || p == length) continue;
      const Fill before = map.FillAt(at(first - 1)), after = map.FillAt(at(p));
      if (before.kind != FillKind::kMaterial || after.kind != FillKind::kMaterial) continue;
      const std::vector<double>& lines_mm = along_x ? map.x : map.y;
      if (lines_mm[p] - lines_mm[first] > kGapWidest) continue;
      VoidPiece& piece = out[voids.of[at(first)]];
      ++(along_x ? piece.across_x : piece.across_y);
      ++piece.pairs[{std::min(before.index, after.index), std::max(before.index, after.index)}];
    }
  }
}

std::vector<VoidPiece> SurveyVoids(const CellMap& map, const Pieces& voids) {
  std::vector<VoidPiece> pieces(voids.count);
  for (std::size_t i = 0; i < map.size(); ++i) {
    if (voids.of[i] < 0) continue;
    VoidPiece& piece = pieces[voids.of[i]];
    const std::size_t c = i % map.columns, r = i / map.columns;
    piece.extent = {std::min(piece.extent.x0, map.x[c]), std::min(piece.extent.y0, map.y[r]),
                    std::max(piece.extent.x1, map.x[c + 1]), std::max(piece.extent.y1, map.y[r + 1])};
    piece.border = piece.border || map.OnBorder(i);
    if (piece.void_shape < 0) piece.void_shape = map.made.cell_shape[i];
    for (std::size_t n : map.Beside(i)) {
      const FillKind kind = map.KindAt(n);
      if (kind == FillKind::kCondition || kind == FillKind::kFixed) piece.condition = true;
      if (kind == FillKind::kMaterial && piece.material_cell < 0) {
        piece.material_cell = static_cast<int>(n);
      }
    }
  }
  CountRuns(map, voids, true, pieces);
  CountRuns(map, voids, false, pieces);
  return pieces;
}

std::string MaterialName(const DetailFile& d, int m) {
  return Quoted(FillName(d, {FillKind::kMaterial, m}));
}

std::string VoidFinding(const CellMap& map, const VoidPiece& piece) {
  const DetailFile& d = map.detail;
  const Box& e = piece.extent;
  const std::string size = Figure(e.x1 - e.x0) + " \xC3\x97 " + Figure(e.y1 - e.y0) + " mm";
  if (!piece.border && !piece.condition) {
    const int m = map.FillAt(piece.material_cell).index;
    return "a void of " + size + " enclosed by " + MaterialName(d, m) + " at x " +
           Coordinate(e.x0) + ", y " + Coordinate(e.y0) + " mm: void is adiabatic; draw its fill (an air cavity, say)";
  }
  if (std::max(piece.across_x, piece.across_y) <= kGapRuns) return "";
  const auto most = std::max_element(piece.pairs.begin(), piece.pairs.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
  const auto [a, b] = most->first;
  const std::string between =
      a == b ? "within " + MaterialName(d, a) : "between " + MaterialName(d, a) + " and " + MaterialName(d, b);
  const std::string where = piece.across_x >= piece.across_y ? "at x " + Coordinate(e.x0) + " mm"
                                                             : "at y " + Coordinate(e.y0) + " mm";
  return "a void of " + size + " " + between + " " + where +
         ": void is adiabatic; draw the gap's fill";
}

// At the shape that draws the void where one does, else at the material
// beside it; after kMostVoidsNamed, the rest in one line.
void CheckVoids(const CellMap& map, Warnings& out) {
  const Pieces voids = PiecesOf(map, FillKind::kVoid);
  int named = 0, more = 0;
  for (const VoidPiece& piece : SurveyVoids(map, voids)) {
    if (piece.material_cell < 0) continue;
    const std::string finding = VoidFinding(map, piece);
    if (finding.empty()) continue;
    if (named == kMostVoidsNamed) {
      ++more;
      continue;
    }
    const int shape =
        piece.void_shape >= 0 ? piece.void_shape : map.made.cell_shape[piece.material_cell];
    Add(out, map.detail, map.detail.shapes[shape].at, finding);
    ++named;
  }
  if (more > 0) {
    out.push_back({map.detail.source,
                   std::to_string(more) + " more voids as these: each is adiabatic"});
  }
}

// An environment of the file: what it is, its temperature, and the pieces
// of material its cells border.
struct Touched {
  Target target;
  double temperature = 0;
  std::set<int> pieces;
};

double TemperatureOf(const DetailFile& d, const Fill& fill) {
  return fill.kind == FillKind::kCondition ? d.conditions[fill.index].ambient
                                           : d.fixed[fill.index].temperature;
}

void CheckPaths(const CellMap& map, Warnings& out) {
  const DetailFile& d = map.detail;
  const Pieces material = PiecesOf(map, FillKind::kMaterial);
  std::vector<Touched> touched;
  for (std::size_t i = 0; i < map.size(); ++i) {
    const Fill fill = map.FillAt(i);
    if (fill.kind != FillKind::kCondition && fill.kind != FillKind::kFixed) continue;
    const Target target = EnvironmentOf(d, fill);
    auto found = std::find_if(touched.begin(), touched.end(),
                              [&](const Touched& t) { return t.target == target; });
    if (found == touched.end()) {
      touched.push_back({target, TemperatureOf(d, fill), {}});
      found = touched.end() - 1;
    }
    for (std::size_t n : map.Beside(i)) {
      if (material.of[n] >= 0) found->pieces.insert(material.of[n]);
    }
  }
  for (std::size_t a = 0; a < touched.size(); ++a) {
    for (std::size_t b = a + 1; b < touched.size(); ++b) {
      const Touched &one = touched[a], &other = touched[b];
      if (one.pieces.empty() || other.pieces.empty() || one.temperature == other.temperature) continue;
      if (std::any_of(one.pieces.begin(), one.pieces.end(),
                      [&](int p) { return other.pieces.count(p) > 0; })) {
        continue;
      }
      const SourcePosition at = one.target.environment >= 0
                                    ? d.environments[one.target.environment].at
                                    : KeyOf(d, one.target.fill);
      Add(out, d, at,
          Quoted(TargetName(d, one.target)) + " and " + Quoted(TargetName(d, other.target)) +
              " are at different temperatures, but no piece of material joins them: their "
              "coupling is zero; a gap, or a layer left undrawn?");
    }
  }
}

}  // namespace

Warnings CheckValues(const DetailFile& detail) {
  Warnings out;
  for (const MaterialEntry& m : detail.materials) Add(out, detail, m.at, ConductivityFinding(m));
  for (const ConditionEntry& c : detail.conditions) {
    Add(out, detail, c.at, SurfaceFinding(c.name, c.h, c.resistance, c.by_direction));
  }
  for (const CaseEntry& k : detail.cases) {
    for (const CaseOverride& o : k.overrides) {
      if (!o.h && !o.by_direction) continue;
      Add(out, detail, o.at,
          SurfaceFinding(TargetName(detail, o.target), o.h.value_or(0), o.resistance,
                         o.by_direction));
    }
  }
  CheckScale(detail, out);
  return out;
}

Warnings CheckMadeGrid(const DetailFile& detail, const MadeGrid& made) {
  Warnings out;
  const CellMap map(detail, made);
  CheckTouching(map, out);
  CheckVoids(map, out);
  CheckPaths(map, out);
  return out;
}

Warnings CheckDrawing(const DetailFile& detail, const MadeGrid& made) {
  Warnings out = CheckValues(detail);
  const Warnings grid = CheckMadeGrid(detail, made);
  out.insert(out.end(), grid.begin(), grid.end());
  return out;
}

}  // namespace kelvane
