#include "detail/grid_maker.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <numbers>

#include "detail/block_survey.h"
#include "detail/cavities.h"
#include "detail/geometry.h"
#include "detail/grid_lines.h"
#include "detail/interval_cells.h"
#include "detail/probe.h"
#include "model/leading_number.h"
#include "model/units.h"
#include "platform/error.h"
#include "platform/memory.h"
#include "platform/number_text.h"
#include "solver/solver_memory.h"

namespace kelvane {
namespace {

// One interval between two grid lines of the drawing, and its cells.
struct Interval {
  double from = 0;
  double to = 0;
  bool material = false;
  CellRule rule;
  SourcePosition rule_at;  // The key whose size sets the count.
  std::int64_t count = 1;
};

// One direction of the grid: the drawing's lines, its intervals and, once
// cut, the cells' sizes and the lines between them, in drawing order (x to
// the right, y upward).
struct Axis {
  std::vector<double> lines;
  std::vector<Interval> intervals;
  std::vector<std::size_t> first_cell;  // Per drawing line: the first cell after it.
  std::vector<double> sizes;            // mm, 15 significant digits
  std::vector<double> bounds;           // The cells' sides, sizes.size() + 1.

  std::size_t cells() const { return sizes.size(); }
  double centre(std::size_t c) const { return (bounds[c] + bounds[c + 1]) / 2; }
};

// A spacing as the input's text gives it, so that the model made here is
// the one read from that text.
double AsWritten(double mm) { return *LeadingNumber(NumberText(mm)); }

// Double quotes end a field of the grid input; they become single quotes.
std::string FieldSafe(std::string text) {
  std::replace(text.begin(), text.end(), '"', '\'');
  return text;
}

// The ways a condition's cells face, by where the material lies: above the
// air (a ceiling), beside it (a wall), below it (a floor).
enum Face { kCeiling, kWall, kFloor };
constexpr const char* kFaceNames[] = {"ceiling", "wall", "floor"};
constexpr Facing kFacings[] = {Facing::kCeiling, Facing::kWall, Facing::kFloor};

// The index of a drawing line, which `at` is.
std::size_t LineIndex(const Axis& axis, double at) {
  return static_cast<std::size_t>(std::lower_bound(axis.lines.begin(), axis.lines.end(), at) -
                                  axis.lines.begin());
}

// The file's environments, then every condition and fixed temperature in
// none, each its own.
std::vector<EnvironmentLabel> EnvironmentLabels(
    const DetailFile& detail, const std::vector<std::vector<std::int32_t>>& numbers) {
  std::vector<EnvironmentLabel> labels;
  for (std::size_t e = 0; e < detail.environments.size(); ++e) {
    labels.push_back(LabelOf(detail, {static_cast<int>(e), {}}, numbers));
  }
  for (FillKind kind : {FillKind::kCondition, FillKind::kFixed}) {
    const std::size_t count =
        kind == FillKind::kCondition ? detail.conditions.size() : detail.fixed.size();
    for (std::size_t i = 0; i < count; ++i) {
      const Target single{-1, {kind, static_cast<int>(i)}};
      if (EnvironmentOf(detail, single.fill).environment < 0) {
        labels.push_back(LabelOf(detail, single, numbers));
      }
    }
  }
  return labels;
}

class GridMaker {
 public:
  GridMaker(const DetailFile& detail, const GridLimits& limits, double scale)
      : detail_(detail), limits_(limits), scale_(scale), shapes_(detail.shapes),
        cells_(ShapeCellLimits(shapes_, scale)), refined_(shapes_.size(), 1.0) {}
  MadeGrid Make();

 private:
  [[noreturn]] void Fail(ErrorKind kind, SourcePosition at, const std::string& text) const {
    throw RunError(kind, at.line > 0 ? detail_.PlaceOf(at) : detail_.source, text);
  }
  void CollectLines();
  void RefuseNoMaterial(const BlockSurvey& survey) const;
  std::vector<int> MakeCells(const BlockSurvey& survey);
  void PlanIntervals(Axis& axis, const std::vector<bool>& material, bool along_x) const;
  static void GradeBesideSmallCells(Axis& axis);
  std::int64_t CountAxis(Axis& axis) const;
  SourcePosition LargestKey() const;
  void CheckSize(std::int64_t columns, std::int64_t rows) const;
  GridShape ShapeOf(const BlockSurvey& survey, std::int64_t columns, std::int64_t rows) const;
  void CheckSolverMemory(const BlockSurvey& survey, std::int64_t columns, std::int64_t rows) const;
  static void Cut(Axis& axis);
  std::vector<int> Paint() const;
  void PaintPolygon(const Shape& shape, int s, std::vector<int>& painted) const;
  void MakeCavities(const std::vector<int>& painted);
  void WarnOfCoarseCavities();
  void FillMaterials();
  void FillTables(const std::vector<int>& painted);
  void FillConditions(const std::vector<int>& painted);
  std::array<bool, 3> Faces(const std::vector<int>& painted, int condition) const;
  BlockCode CodeOf(const Fill& fill) const;
  void FillCells(const std::vector<int>& painted);
  void PlaceProbes();
  void CheckBlocks() const;
  // The circles and polygons of material whose cells (those whose centre
  // they hold) do not make one piece joined by sides.
  std::vector<std::size_t> ShapesInPieces() const;
  std::size_t PiecesOf(const Shape& shape) const;
  void RefuseInPieces(std::size_t s) const;
  void WarnOfAreas();

  const DetailFile& detail_;
  const GridLimits& limits_;
  const double scale_;  // Every cell size times this.
  // The drawing, its coordinates moved onto the grid lines they make.
  std::vector<Shape> shapes_;
  std::vector<CellLimit> cells_;  // Each shape's own largest cell.
  std::vector<double> refined_;   // Each shape's limit times this, to join its pieces.
  Axis x_, y_;
  MadeGrid grid_;
  std::vector<std::int32_t> cell_condition_;  // Per condition of the file, its cells' code.
  // Per cell (as painted), the material number of the cavity that holds it,
  // 0 for none; and per material of the file, how many cavities it fills.
  std::vector<std::int32_t> cavity_material_;
  std::vector<int> cavities_of_;
  std::vector<int> cavity_fill_;  // Per cavity of the labels, its fill's material.
  // Per cavity, how many columns and rows of cells it spans.
  std::vector<std::pair<std::size_t, std::size_t>> cavity_span_;
};

// A cavity fewer cells across than this (one) is warned about: its size, and
// so its conductivity, is the cells' more than the drawing's.
constexpr std::size_t kFewestCavityCells = 2;

// How often a shape's cells are halved to join its pieces before it is
// refused: cells a 256th of what its thickness asks.
constexpr int kMostRefinements = 8;
// The growth of cells beside much smaller ones, where `fine` grades none.
constexpr double kBesideGrowth = 1.5;

void GridMaker::CollectLines() {
  const GridSettings& grid = detail_.grid;
  const double base = std::min(grid.max_cell, grid.fine.value_or(grid.max_cell)) * scale_;
  DrawingLines lines = PlaceLines(shapes_, cells_, base);
  x_.lines = std::move(lines.x);
  y_.lines = std::move(lines.y);
}

// Each interval's rule: max_cell, or the smallest cell of the shapes whose
// extent spans it (the first of them on a tie, for messages), each size
// times the scale.
void GridMaker::PlanIntervals(Axis& axis, const std::vector<bool>& material, bool along_x) const {
  const GridSettings& grid = detail_.grid;
  axis.intervals.clear();
  std::optional<double> fine;
  if (grid.fine) fine = *grid.fine * scale_;
  for (std::size_t i = 0; i + 1 < axis.lines.size(); ++i) {
    Interval interval;
    interval.from = axis.lines[i];
    interval.to = axis.lines[i + 1];
    interval.material = material[i];
    interval.rule = {grid.max_cell * scale_, fine, grid.growth.value_or(1)};
    interval.rule_at = grid.max_cell_at;
    axis.intervals.push_back(interval);
  }
  for (std::size_t s = 0; s < shapes_.size(); ++s) {
    const double limit = (along_x ? cells_[s].x : cells_[s].y) * refined_[s];
    if (!std::isfinite(limit)) continue;
    const Box box = Bounds(shapes_[s]);
    const std::size_t first = LineIndex(axis, along_x ? box.x0 : box.y0);
    const std::size_t end = LineIndex(axis, along_x ? box.x1 : box.y1);
    for (std::size_t i = first; i < end; ++i) {
      Interval& interval = axis.intervals[i];
      if (limit < interval.rule.limit) {
        interval.rule.limit = limit;
        interval.rule_at = cells_[s].at;
      }
    }
  }
  for (Interval& interval : axis.intervals) {
    if (fine && *fine < interval.rule.limit) interval.rule_at = grid.fine_at;
  }
  if (!fine) GradeBesideSmallCells(axis);
}

// Where no `fine` grades every interval, an interval of material beside one
// whose cells are much smaller starts at their size and grows by
// kBesideGrowth toward its middle, so that cells do not jump from a thin
// shape's to max_cell at once.
void GridMaker::GradeBesideSmallCells(Axis& axis) {
  const std::vector<Interval> planned = axis.intervals;
  for (std::size_t i = 0; i < planned.size(); ++i) {
    if (!planned[i].material) continue;
    double beside = planned[i].rule.limit;
    for (std::size_t n : {i - 1, i + 1}) {
      if (n < planned.size() && planned[n].material) beside = std::min(beside, planned[n].rule.limit);
    }
    if (beside * kBesideGrowth < planned[i].rule.limit) {
      axis.intervals[i].rule.fine = beside;
      axis.intervals[i].rule.growth = kBesideGrowth;
    }
  }
}

// Counts the cells of every interval; refuses at the first interval whose
// cells alone would make the grid too large for the limits or the memory.
std::int64_t GridMaker::CountAxis(Axis& axis) const {
  const std::uint64_t bytes_per_point = sizeof(BlockCode) + sizeof(int);
  const std::uint64_t room = AvailableMemory().value_or(UINT64_MAX) / bytes_per_point;
  const std::uint64_t points = std::min<std::uint64_t>(limits_.grid_points, room);
  // The other direction has at least one cell: with the ring, four lines.
  const std::int64_t most = static_cast<std::int64_t>(points / 4) - 3;
  std::int64_t total = 0;
  for (Interval& interval : axis.intervals) {
    if (!interval.material) {
      total += 1;
      continue;
    }
    const double length = interval.to - interval.from;
    std::optional<std::int64_t> count = CountCells(length, interval.rule, most - total);
    if (!count) {
      const double size =
          std::min(interval.rule.fine.value_or(interval.rule.limit), interval.rule.limit);
      const std::string cut =
          "cutting " + NumberText(length) + " mm into cells of " + NumberText(size) + " mm";
      if (points < limits_.grid_points) {
        Fail(ErrorKind::kOutOfMemory, interval.rule_at,
             cut + " makes a grid larger than the " +
                 MemorySizeText(points * bytes_per_point) + " of memory this machine has free");
      }
      Fail(ErrorKind::kOverflow, interval.rule_at,
           cut + " makes more cells than a grid of " + std::to_string(limits_.grid_points) +
               " grid points holds");
    }
    interval.count = *count;
    total += *count;
  }
  return total;
}

// The key that asks for the most cells, where a grid too large is refused.
SourcePosition GridMaker::LargestKey() const {
  std::map<std::pair<int, int>, std::int64_t> cells_by_key;
  for (const Axis* axis : {&x_, &y_}) {
    for (const Interval& interval : axis->intervals) {
      if (interval.material)
        cells_by_key[{interval.rule_at.line, interval.rule_at.column}] += interval.count;
    }
  }
  auto largest = std::max_element(cells_by_key.begin(), cells_by_key.end(),
                                  [](const auto& a, const auto& b) { return a.second < b.second; });
  return largest == cells_by_key.end()
             ? SourcePosition{}
             : SourcePosition{largest->first.first, largest->first.second};
}

// Refuses a grid whose points exceed the limits or whose tables the memory
// cannot hold, at the key that asks for the most cells.
void GridMaker::CheckSize(std::int64_t columns, std::int64_t rows) const {
  const SourcePosition at = LargestKey();
  const std::string size = std::to_string(columns) + " x " + std::to_string(rows) + " cells";
  const double points = static_cast<double>(columns + 3) * static_cast<double>(rows + 3);
  if (points > static_cast<double>(limits_.grid_points)) {
    Fail(ErrorKind::kOverflow, at,
         "the grid would have " + size + ", more than a grid of " +
             std::to_string(limits_.grid_points) + " grid points holds");
  }
  try {
    RequireMemory(static_cast<std::uint64_t>(points) * (sizeof(BlockCode) + sizeof(int)),
                  "the grid of " + size);
  } catch (RunError& e) {
    e.AddOuterPlace(at.line > 0 ? detail_.PlaceOf(at) : detail_.source);
    throw;
  }
}

// The grid's shape as the solvers' estimates take it: per interval of the
// axis whose lines the nodes are numbered along, the lines between its
// cells, each crossing the cells of the blocks of material beside it.
GridShape GridMaker::ShapeOf(const BlockSurvey& survey, std::int64_t columns,
                             std::int64_t rows) const {
  GridShape shape{columns, rows, 0, {}};
  const bool along_x = NumberedAlongColumns(columns, rows);
  const Axis& outer = along_x ? x_ : y_;
  const Axis& inner = along_x ? y_ : x_;
  const std::size_t stride = x_.intervals.size();
  for (std::size_t o = 0; o < outer.intervals.size(); ++o) {
    double across = 0;
    for (std::size_t i = 0; i < inner.intervals.size(); ++i) {
      const std::size_t block = along_x ? i * stride + o : o * stride + i;
      if (survey.block_all_material[block]) across += static_cast<double>(inner.intervals[i].count);
    }
    const double count = static_cast<double>(outer.intervals[o].count);
    shape.material_cells += across * count;
    shape.groups.push_back({count - 1, across});
  }
  return shape;
}

// Refuses, before any table of the grid is made, a grid whose solution
// would not fit in the memory: the model's cells and the solver's tables,
// estimated from below (solver_memory.h). For the profile solver the
// refusal says what the sparse one would need.
void GridMaker::CheckSolverMemory(const BlockSurvey& survey, std::int64_t columns,
                                  std::int64_t rows) const {
  const GridShape shape = ShapeOf(survey, columns, rows);
  const double model = static_cast<double>(columns + 3) * static_cast<double>(rows + 3) *
                       static_cast<double>(sizeof(BlockCode));
  const double sparse = model + SparseSolverBytes(shape);
  const double need = limits_.sparse ? sparse : model + ProfileSolverBytes(shape);
  const double most = static_cast<double>(UINT64_MAX) / 2;
  const std::optional<MemoryRoom> room = ShortOfMemory(static_cast<std::uint64_t>(std::min(need, most)));
  if (!room) return;
  const std::string what = "the grid of " + std::to_string(columns) + " x " +
                           std::to_string(rows) + " cells with the " +
                           (limits_.sparse ? "sparse" : "profile") + " solver's tables";
  const std::string advice =
      limits_.sparse ? ""
                     : "; with --solver=sparse it would need " +
                           MemorySizeTextUp(static_cast<std::uint64_t>(std::min(sparse, most)));
  RunError error = MemoryRefusal(what, static_cast<std::uint64_t>(std::min(need, most)), *room, advice);
  const SourcePosition at = LargestKey();
  error.AddOuterPlace(at.line > 0 ? detail_.PlaceOf(at) : detail_.source);
  throw error;
}

void GridMaker::Cut(Axis& axis) {
  axis.first_cell.clear();
  axis.sizes.clear();
  axis.bounds.clear();
  axis.bounds.push_back(axis.lines.front());
  for (const Interval& interval : axis.intervals) {
    axis.first_cell.push_back(axis.sizes.size());
    const double length = interval.to - interval.from;
    std::vector<double> cells =
        interval.material ? CutInterval(length, interval.rule) : std::vector<double>{length};
    for (std::size_t i = 0; i < cells.size(); ++i) {
      axis.sizes.push_back(AsWritten(cells[i]));
      // Sides inside the interval from the sum; its ends exactly where drawn.
      const double side = i + 1 == cells.size() ? interval.to : axis.bounds.back() + cells[i];
      axis.bounds.push_back(std::min(side, interval.to));
    }
  }
  axis.first_cell.push_back(axis.sizes.size());
}

struct CellRange {
  std::size_t first = 0;
  std::size_t end = 0;
};

// The cells of an axis between two of its drawing lines.
CellRange CellsWithin(const Axis& axis, double from, double to) {
  return {axis.first_cell[LineIndex(axis, from)], axis.first_cell[LineIndex(axis, to)]};
}

// Each cell's shape: the last that holds its centre, -1 for none; cell
// (c, r) at r * columns + c, rows counted upward.
std::vector<int> GridMaker::Paint() const {
  const std::size_t columns = x_.cells();
  std::vector<int> painted(columns * y_.cells(), -1);
  for (std::size_t s = 0; s < shapes_.size(); ++s) {
    const Shape& shape = shapes_[s];
    if (shape.kind == ShapeKind::kPolygon || shape.kind == ShapeKind::kRegion) {
      PaintPolygon(shape, static_cast<int>(s), painted);
      continue;
    }
    const Box box = Bounds(shape);
    const CellRange cs = CellsWithin(x_, box.x0, box.x1), rs = CellsWithin(y_, box.y0, box.y1);
    for (std::size_t r = rs.first; r < rs.end; ++r) {
      for (std::size_t c = cs.first; c < cs.end; ++c) {
        // A rectangle's sides are grid lines: it holds every cell between.
        if (shape.kind == ShapeKind::kRect || Contains(shape, {x_.centre(c), y_.centre(r)})) {
          painted[r * columns + c] = static_cast<int>(s);
        }
      }
    }
  }
  return painted;
}

// Row by row: the outlines hold the centres between pairs of the points
// where they cross the row's middle line, those points included.
void GridMaker::PaintPolygon(const Shape& shape, int s, std::vector<int>& painted) const {
  const std::size_t columns = x_.cells();
  const Box box = Bounds(shape);
  const CellRange cs = CellsWithin(x_, box.x0, box.x1), rs = CellsWithin(y_, box.y0, box.y1);
  OutlineScan scan(Outlines(shape));
  for (std::size_t r = rs.first; r < rs.end; ++r) {
    const std::vector<double>& crossings = scan.At(y_.centre(r));
    std::size_t pair = 0;
    for (std::size_t c = cs.first; c < cs.end; ++c) {
      const double x = x_.centre(c);
      while (2 * pair + 1 < crossings.size() && crossings[2 * pair + 1] < x) ++pair;
      if (2 * pair + 1 < crossings.size() && crossings[2 * pair] <= x) {
        painted[r * columns + c] = s;
      }
    }
  }
}

// The cells within a shape's extent whose centre it holds, row by row
// upward, `columns` to a row.
struct Footprint {
  CellRange columns, rows;
  std::vector<char> held;
  std::size_t width() const { return columns.end - columns.first; }
};

Footprint FootprintOf(const Shape& shape, const Axis& x, const Axis& y) {
  const Box box = Bounds(shape);
  Footprint f{CellsWithin(x, box.x0, box.x1), CellsWithin(y, box.y0, box.y1), {}};
  f.held.assign(f.width() * (f.rows.end - f.rows.first), 0);
  const bool outlined = shape.kind == ShapeKind::kPolygon || shape.kind == ShapeKind::kRegion;
  OutlineScan scan(Outlines(shape));
  for (std::size_t r = f.rows.first; r < f.rows.end; ++r) {
    const std::vector<double>* crossings = outlined ? &scan.At(y.centre(r)) : nullptr;
    std::size_t pair = 0;
    for (std::size_t c = f.columns.first; c < f.columns.end; ++c) {
      const Point centre{x.centre(c), y.centre(r)};
      bool held = false;
      if (crossings) {
        const std::vector<double>& at = *crossings;
        while (2 * pair + 1 < at.size() && at[2 * pair + 1] < centre.x) ++pair;
        held = 2 * pair + 1 < at.size() && at[2 * pair] <= centre.x;
      } else {
        held = Contains(shape, centre);
      }
      f.held[(r - f.rows.first) * f.width() + (c - f.columns.first)] = held;
    }
  }
  return f;
}

// The pieces of a footprint: its held cells joined by sides.
std::size_t PiecesIn(Footprint& f) {
  const std::size_t w = f.width(), n = f.held.size();
  std::size_t pieces = 0;
  std::vector<std::size_t> stack;
  for (std::size_t start = 0; start < n; ++start) {
    if (f.held[start] != 1) continue;
    ++pieces;
    f.held[start] = 2;
    stack.push_back(start);
    while (!stack.empty()) {
      const std::size_t i = stack.back();
      stack.pop_back();
      const std::size_t c = i % w;
      for (std::size_t j : {c > 0 ? i - 1 : n, c + 1 < w ? i + 1 : n, i >= w ? i - w : n, i + w}) {
        if (j < n && f.held[j] == 1) {
          f.held[j] = 2;
          stack.push_back(j);
        }
      }
    }
  }
  return pieces;
}

// The area the held cells of a footprint cover, mm2.
double HeldArea(const Footprint& f, const Axis& x, const Axis& y) {
  double area = 0;
  for (std::size_t r = f.rows.first; r < f.rows.end; ++r) {
    for (std::size_t c = f.columns.first; c < f.columns.end; ++c) {
      if (f.held[(r - f.rows.first) * f.width() + (c - f.columns.first)]) {
        area += x.sizes[c] * y.sizes[r];
      }
    }
  }
  return area;
}

// The area a shape draws, mm2.
double DrawnArea(const Shape& shape) {
  if (shape.kind == ShapeKind::kCircle) return std::numbers::pi * shape.radius * shape.radius;
  double area = 0;
  for (const std::vector<Point>& outline : Outlines(shape)) area += SignedArea(outline);
  return std::fabs(area);
}

const char* KindName(const Shape& shape) {
  switch (shape.kind) {
    case ShapeKind::kRect: return "rect";
    case ShapeKind::kCircle: return "circle";
    case ShapeKind::kPolygon: return "polygon";
    case ShapeKind::kRegion: return "layer";
  }
  return "shape";
}

// Rectangles are exact: their sides are grid lines.
void GridMaker::WarnOfAreas() {
  for (const Shape& shape : shapes_) {
    if (shape.fill.kind != FillKind::kMaterial || shape.kind == ShapeKind::kRect) continue;
    const double drawn = DrawnArea(shape);
    const double cells = HeldArea(FootprintOf(shape, x_, y_), x_, y_);
    const double change = (cells - drawn) / drawn;
    if (!(std::fabs(change) > kAreaWarned)) continue;
    grid_.warnings.push_back(
        {detail_.PlaceOf(shape.geometry_at),
         std::string("the cells of this ") + KindName(shape) + " of " +
             Quoted(FillName(detail_, shape.fill)) + " cover " +
             NumberText(std::fabs(100 * change), 3) + (change < 0 ? " % less" : " % more") +
             " than it draws (" + NumberText(cells, 6) + " of " + NumberText(drawn, 6) +
             " mm\xC2\xB2); give it a smaller cell"});
  }
}

std::size_t GridMaker::PiecesOf(const Shape& shape) const {
  Footprint f = FootprintOf(shape, x_, y_);
  return PiecesIn(f);
}

// The pieces a shape is in the drawing: one, or for a region those of its
// outlines that bound it from outside (counter-clockwise), each with its
// holes.
std::size_t PiecesDrawn(const Shape& shape) {
  if (shape.kind != ShapeKind::kRegion) return 1;
  return static_cast<std::size_t>(std::count_if(
      shape.rings.begin(), shape.rings.end(),
      [](const std::vector<Point>& ring) { return SignedArea(ring) > 0; }));
}

std::vector<std::size_t> GridMaker::ShapesInPieces() const {
  std::vector<std::size_t> in_pieces;
  for (std::size_t s = 0; s < shapes_.size(); ++s) {
    const Shape& shape = shapes_[s];
    // A rectangle's sides are grid lines: it holds a block of whole cells.
    if (shape.fill.kind != FillKind::kMaterial || shape.kind == ShapeKind::kRect) continue;
    // Fewer pieces than drawn is a gap between outlines that the cells close.
    if (PiecesOf(shape) != PiecesDrawn(shape)) in_pieces.push_back(s);
  }
  return in_pieces;
}

void GridMaker::RefuseInPieces(std::size_t s) const {
  const Shape& shape = shapes_[s];
  const std::string tried = NumberText(std::min(cells_[s].x, cells_[s].y) * refined_[s], 6);
  const char* kind = KindName(shape);
  Fail(ErrorKind::kUnresolved, shape.geometry_at,
       std::string("the ") + kind + " of " + Quoted(FillName(detail_, shape.fill)) +
           " falls apart into separate pieces of cells even with cells of " + tried +
           " mm within its extent: where it is narrowest it needs smaller ones; draw it wider "
           "there or give it a cell below " + tried + " mm");
}

BlockCode GridMaker::CodeOf(const Fill& fill) const {
  switch (fill.kind) {
    case FillKind::kMaterial: return MaterialCode(fill.index + 1);
    case FillKind::kCondition: return ConvectionCode(cell_condition_[fill.index]);
    case FillKind::kFixed: return FixedTemperatureCode(fill.index + 1);
    case FillKind::kVoid: break;
  }
  return BlockCode();
}

// Each connected region of cells that a cavity fill paints is one cavity,
// with the conductivities its area and extent give: the first of a fill's
// takes the fill's material number, each further one a number of its own
// after the file's materials.
void GridMaker::MakeCavities(const std::vector<int>& painted) {
  const std::size_t columns = x_.cells();
  CavityCells cells{columns, std::vector<int>(painted.size(), -1)};
  for (std::size_t i = 0; i < painted.size(); ++i) {
    if (painted[i] < 0) continue;
    const Fill& fill = detail_.shapes[painted[i]].fill;
    if (fill.kind == FillKind::kMaterial && detail_.materials[fill.index].cavity) {
      cells.fills[i] = fill.index;
    }
  }
  cavity_material_.assign(painted.size(), 0);
  cavities_of_.assign(detail_.materials.size(), 0);
  auto next = static_cast<std::int32_t>(detail_.materials.size()) + 1;
  for (const CavityRegion& region : FindCavities(cells)) {
    constexpr double kFar = std::numeric_limits<double>::infinity();
    Box box{kFar, kFar, -kFar, -kFar};
    double area = 0;
    std::size_t c0 = columns, c1 = 0, r0 = SIZE_MAX, r1 = 0;
    for (std::size_t i : region.cells) {
      const std::size_t c = i % columns, r = i / columns;
      c0 = std::min(c0, c), c1 = std::max(c1, c), r0 = std::min(r0, r), r1 = std::max(r1, r);
      area += x_.sizes[c] * y_.sizes[r];
      box = {std::min(box.x0, x_.bounds[c]), std::min(box.y0, y_.bounds[r]),
             std::max(box.x1, x_.bounds[c + 1]), std::max(box.y1, y_.bounds[r + 1])};
    }
    const MaterialEntry& fill = detail_.materials[region.fill];
    const std::int32_t number = cavities_of_[region.fill]++ == 0 ? region.fill + 1 : next++;
    const CavityValues v =
        CavityConductivity(SquareMillimetreToSquareMetre(area), MillimetreToMetre(box.x1 - box.x0),
                           MillimetreToMetre(box.y1 - box.y0), *fill.cavity, detail_.cavities);
    auto axis = [](const CavityAxis& a) {
      return CavityAxisLabel{MetreToMillimetre(a.d), MetreToMillimetre(a.b), a.h_a, a.h_r,
                             a.conductivity};
    };
    const std::size_t first = region.cells.front();
    grid_.labels.cavities.push_back(
        {fill.name, CavityKindName(fill.cavity->kind), number, x_.centre(first % columns),
         y_.centre(first / columns), area, box.x1 - box.x0, box.y1 - box.y0, axis(v.x),
         axis(v.y), region.fill + 1});
    cavity_fill_.push_back(region.fill);
    cavity_span_.push_back({c1 - c0 + 1, r1 - r0 + 1});
    for (std::size_t i : region.cells) cavity_material_[i] = number;
  }
}

void GridMaker::WarnOfCoarseCavities() {
  for (std::size_t k = 0; k < grid_.labels.cavities.size(); ++k) {
    const auto [across_x, across_y] = cavity_span_[k];
    if (std::min(across_x, across_y) >= kFewestCavityCells) continue;
    const CavityLabel& c = grid_.labels.cavities[k];
    const bool x = across_x <= across_y;
    grid_.warnings.push_back(
        {detail_.PlaceOf(detail_.materials[cavity_fill_[k]].at),
         "the cavity " + Quoted(grid_.labels.materials[c.material]) + " at x " +
             NumberText(c.x_mm, 6) + ", y " + NumberText(c.y_mm, 6) + " mm is " +
             (x ? "one cell wide" : "one cell high") +
             ": its size, and so its conductivity, is the cells' more than the drawing's; give "
             "its shapes a smaller cell"});
  }
}

// The file's materials, then the cavities beyond the first of each fill. A
// fill of several cavities names each by its number ("air 1", "air 2"); one
// that paints no cell keeps the conductivity of still air, 0.025 W/(m K).
void GridMaker::FillMaterials() {
  Model& model = grid_.model;
  ModelLabels& labels = grid_.labels;
  const std::size_t count = detail_.materials.size() + 1 + labels.cavities.size() -
                            static_cast<std::size_t>(std::count_if(
                                cavities_of_.begin(), cavities_of_.end(), [](int n) { return n > 0; }));
  model.MaterialTable.assign(count, Material());
  labels.materials.assign(count, "");
  labels.material_sources.assign(detail_.materials.size() + 1, "");
  labels.material_colours.assign(count, std::nullopt);
  for (std::size_t i = 0; i < detail_.materials.size(); ++i) {
    const MaterialEntry& m = detail_.materials[i];
    labels.material_colours[i + 1] = m.colour;
    const bool cavity = m.cavity.has_value();
    model.MaterialTable[i + 1] = {FieldSafe(m.name), cavity ? 0.025 : m.conductivity,
                                  cavity ? 0.025 : m.conductivity_y};
    labels.materials[i + 1] = m.name;
    if (!m.library.empty()) labels.material_sources[i + 1] = m.library + " (" + m.source + ")";
  }
  std::vector<int> numbered(detail_.materials.size(), 0);
  for (std::size_t k = 0; k < labels.cavities.size(); ++k) {
    const CavityLabel& c = labels.cavities[k];
    const int fill = cavity_fill_[k];
    const int n = ++numbered[fill];
    const std::string name = cavities_of_[fill] > 1 ? c.fill + " " + std::to_string(n) : c.fill;
    model.MaterialTable[c.material] = {FieldSafe(name), c.along_x.conductivity,
                                       c.along_y.conductivity};
    labels.materials[c.material] = name;
    labels.material_colours[c.material] = detail_.materials[fill].colour;
  }
}

void GridMaker::FillTables(const std::vector<int>& painted) {
  Model& model = grid_.model;
  ModelLabels& labels = grid_.labels;
  model.Header = FieldSafe(detail_.title);
  labels.title = detail_.title;
  labels.header = detail_.header;
  labels.picture_window = detail_.picture_window;
  labels.drawing = true;
  FillMaterials();
  FillConditions(painted);
  model.FixedTemperatureTable.assign(detail_.fixed.size() + 1, 0.0);
  labels.fixed.assign(detail_.fixed.size() + 1, "");
  for (std::size_t i = 0; i < detail_.fixed.size(); ++i) {
    model.FixedTemperatureTable[i + 1] = detail_.fixed[i].temperature;
    labels.fixed[i + 1] = detail_.fixed[i].name;
  }
  labels.environments = EnvironmentLabels(detail_, grid_.condition_numbers);
}

// Which ways the sides of a condition's cells face where they meet
// material: the cells above, beside and below each of them.
std::array<bool, 3> GridMaker::Faces(const std::vector<int>& painted, int condition) const {
  const std::size_t columns = x_.cells(), rows = y_.cells();
  auto material = [&](std::size_t c, std::size_t r) {
    const int s = painted[r * columns + c];
    return s >= 0 && detail_.shapes[s].fill.kind == FillKind::kMaterial;
  };
  std::array<bool, 3> faces{};
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < columns; ++c) {
      const int s = painted[r * columns + c];
      if (s < 0 || detail_.shapes[s].fill != Fill{FillKind::kCondition, condition}) continue;
      faces[kCeiling] = faces[kCeiling] || (r + 1 < rows && material(c, r + 1));
      faces[kFloor] = faces[kFloor] || (r > 0 && material(c, r - 1));
      faces[kWall] = faces[kWall] || (c > 0 && material(c - 1, r)) ||
                     (c + 1 < columns && material(c + 1, r));
    }
  }
  return faces;
}

// Condition n of the file is one convection condition, or one for each way
// its surfaces face when it has resistances by direction, named after them
// ("room (ceiling)"); its cells take the first, and their sides that face
// another way that one's (Model::DirectedConditions).
void GridMaker::FillConditions(const std::vector<int>& painted) {
  Model& model = grid_.model;
  ModelLabels& labels = grid_.labels;
  model.ConvectionTable = {Convection()};
  labels.conditions = {""};
  grid_.condition_numbers.assign(detail_.conditions.size(), {});
  cell_condition_.assign(detail_.conditions.size(), 0);
  grid_.facing = {Facing::kAny};
  labels.resistances = {std::nullopt};
  auto add = [&](std::size_t i, double h, const std::string& name, Facing facing,
                 std::optional<double> resistance) {
    model.ConvectionTable.push_back({detail_.conditions[i].ambient, h});
    labels.conditions.push_back(name);
    labels.resistances.push_back(resistance);
    grid_.facing.push_back(facing);
    grid_.condition_numbers[i].push_back(model.ConvectionCount());
    return model.ConvectionCount();
  };
  for (std::size_t i = 0; i < detail_.conditions.size(); ++i) {
    const ConditionEntry& c = detail_.conditions[i];
    if (!c.by_direction) {
      cell_condition_[i] = add(i, c.h, c.name, Facing::kAny, c.resistance);
      continue;
    }
    const DirectedResistance& r = *c.by_direction;
    const double resistance[] = {r.up, r.side, r.down};
    std::array<bool, 3> faces = Faces(painted, static_cast<int>(i));
    if (faces == std::array<bool, 3>{}) faces[kWall] = true;  // Touching nothing.
    std::array<std::int32_t, 3> directed{};
    for (int f : {kWall, kCeiling, kFloor}) {
      if (faces[f]) {
        directed[f] = add(i, 1 / resistance[f], c.name + " (" + kFaceNames[f] + ")", kFacings[f],
                          resistance[f]);
      }
    }
    cell_condition_[i] = grid_.condition_numbers[i].front();
    model.DirectedConditions.resize(model.ConvectionTable.size());
    model.DirectedConditions[cell_condition_[i]] = directed;
  }
  if (!model.DirectedConditions.empty()) model.DirectedConditions.resize(model.ConvectionTable.size());
}

// The code block: spacings in metres, a void ring, and the painted cells
// with the top row first.
void GridMaker::FillCells(const std::vector<int>& painted) {
  const std::size_t columns = x_.cells(), rows = y_.cells();
  Model& model = grid_.model;
  MakeCodeBlock(model, static_cast<std::int32_t>(columns) + 2,
                static_cast<std::int32_t>(rows) + 2);
  grid_.widths = x_.sizes;
  grid_.heights.assign(y_.sizes.rbegin(), y_.sizes.rend());
  for (std::size_t c = 0; c < columns; ++c) {
    model.ColumnWidths[c + 1] = MillimetreToMetre(grid_.widths[c]);
  }
  for (std::size_t j = 0; j < rows; ++j) model.RowHeights[j + 1] = MillimetreToMetre(grid_.heights[j]);
  std::vector<MaterialArea>& areas = grid_.labels.areas;
  areas.clear();
  for (std::size_t m = 1; m < grid_.labels.materials.size(); ++m) {
    areas.push_back({grid_.labels.materials[m], 0, 0});
  }
  bool any_material = false;
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < columns; ++c) {
      const int s = painted[r * columns + c];
      if (s < 0) continue;
      const Fill& fill = detail_.shapes[s].fill;
      const std::int32_t cavity = cavity_material_[r * columns + c];
      model.Codes(static_cast<int>(c) + 1, static_cast<int>(rows - r)) =
          cavity > 0 ? MaterialCode(cavity) : CodeOf(fill);
      if (fill.kind != FillKind::kMaterial) continue;
      areas[cavity > 0 ? cavity - 1 : fill.index].cells += x_.sizes[c] * y_.sizes[r];
      any_material = true;
    }
  }
  if (!any_material) Fail(ErrorKind::kNoMaterial, {}, "no cell of the grid is of a material");
  grid_.labels.column_x_mm = x_.bounds;
  grid_.labels.row_y_mm.assign(y_.bounds.rbegin(), y_.bounds.rend());
}

void GridMaker::PlaceProbes() {
  for (const ProbeEntry& probe : detail_.probes) {
    std::optional<ProbeSpot> spot = FindElement(grid_, probe.point);
    if (!spot) {
      Fail(ErrorKind::kNoElement, probe.at,
           "probe " + Quoted(probe.name) + " at [" + NumberText(probe.point.x) + ", " +
               NumberText(probe.point.y) + "] lies in no material cell");
    }
    grid_.labels.probes.push_back({probe.name, probe.point.x, probe.point.y, *spot});
  }
}

// The blocks between the drawing's lines are surveyed one by one: refused
// like a grid too large, since each of them becomes a cell or more.
void GridMaker::CheckBlocks() const {
  const double lines = static_cast<double>(x_.lines.size()) * static_cast<double>(y_.lines.size());
  const std::string size =
      std::to_string(x_.lines.size()) + " x " + std::to_string(y_.lines.size()) + " grid lines";
  if (lines > static_cast<double>(limits_.grid_points)) {
    Fail(ErrorKind::kOverflow, {},
         "the drawing's " + size + " make more cells than a grid of " +
             std::to_string(limits_.grid_points) + " grid points holds");
  }
  try {
    RequireMemory(static_cast<std::uint64_t>(lines) * sizeof(int), "the survey of " + size);
  } catch (RunError& e) {
    e.AddOuterPlace(detail_.source);
    throw;
  }
}

void GridMaker::RefuseNoMaterial(const BlockSurvey& survey) const {
  const auto& has = survey.column_has_material;
  if (std::find(has.begin(), has.end(), true) != has.end()) return;
  // A material shape that later ones cover, else the first shape.
  auto shape = std::find_if(detail_.shapes.begin(), detail_.shapes.end(), [](const Shape& s) {
    return s.fill.kind == FillKind::kMaterial;
  });
  if (shape == detail_.shapes.end()) shape = detail_.shapes.begin();
  Fail(ErrorKind::kNoMaterial, shape->fill_at,
       shape->fill.kind == FillKind::kMaterial
           ? "the drawing shows no material: later shapes cover this one's"
           : "the drawing shows no material: no shape's fill is one");
}

// The cells, cut and painted; each shape whose cells fall apart gets cells
// half as large within its extent, until it holds together.
std::vector<int> GridMaker::MakeCells(const BlockSurvey& survey) {
  for (int round = 0;; ++round) {
    PlanIntervals(x_, survey.column_has_material, true);
    PlanIntervals(y_, survey.row_has_material, false);
    const std::int64_t columns = CountAxis(x_);
    const std::int64_t rows = CountAxis(y_);
    CheckSize(columns, rows);
    CheckSolverMemory(survey, columns, rows);
    Cut(x_);
    Cut(y_);
    const std::vector<std::size_t> in_pieces = ShapesInPieces();
    if (in_pieces.empty()) return Paint();
    if (round == kMostRefinements) RefuseInPieces(in_pieces.front());
    for (std::size_t s : in_pieces) refined_[s] /= 2;
  }
}

MadeGrid GridMaker::Make() {
  if (detail_.shapes.empty()) {
    const SourcePosition at =
        detail_.materials_at.line > 0 ? detail_.materials_at : detail_.grid.max_cell_at;
    Fail(ErrorKind::kNoMaterial, at, "the drawing has no shape");
  }
  CollectLines();
  CheckBlocks();
  const BlockSurvey survey = SurveyBlocks(shapes_, detail_.materials.size(), x_.lines, y_.lines);
  RefuseNoMaterial(survey);
  const std::vector<int> painted = MakeCells(survey);
  WarnOfAreas();
  MakeCavities(painted);
  FillTables(painted);
  WarnOfCoarseCavities();
  FillCells(painted);
  std::vector<MaterialArea>& areas = grid_.labels.areas;
  for (std::size_t m = 0; m < detail_.materials.size(); ++m) areas[m].drawn = survey.drawn_area[m];
  // The drawing gives a fill's area, not each cavity's: those beyond the
  // first are as their cells cover them, and the first has the rest.
  for (std::size_t m = detail_.materials.size(); m < areas.size(); ++m) {
    areas[m].drawn = areas[m].cells;
  }
  for (std::size_t k = 0; k < grid_.labels.cavities.size(); ++k) {
    const CavityLabel& c = grid_.labels.cavities[k];
    if (static_cast<std::size_t>(c.material) > detail_.materials.size()) {
      areas[cavity_fill_[k]].drawn -= c.area_mm2;
    }
  }
  PlaceProbes();
  grid_.cell_shape = painted;
  return std::move(grid_);
}

}  // namespace

EnvironmentLabel LabelOf(const DetailFile& detail, const Target& target,
                         const std::vector<std::vector<std::int32_t>>& numbers) {
  EnvironmentLabel label{TargetName(detail, target), {}, {}};
  for (const Fill& member : TargetMembers(detail, target)) {
    if (member.kind == FillKind::kFixed) {
      label.fixed.push_back(member.index + 1);
    } else {
      const std::vector<std::int32_t>& n = numbers[member.index];
      label.conditions.insert(label.conditions.end(), n.begin(), n.end());
    }
  }
  return label;
}

MadeGrid MakeGrid(const DetailFile& detail, const GridLimits& limits, double scale) {
  return GridMaker(detail, limits, scale).Make();
}

}  // namespace kelvane
