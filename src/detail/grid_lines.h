// Where the grid lines of a drawing go, and how large its cells may be near
// each shape: the first steps of the grid maker (grid_maker.h).
//
// Lines. A shape's edges that are horizontal or vertical are grid lines: a
// rectangle's sides, a polygon's axis-parallel edges, a circle's extent. So
// are a polygon's extent and its corners, the vertices where the outline
// turns by more than kCornerDegrees; the other vertices of sloped edges are
// not, so that a curve drawn as many short edges costs what the same curve
// drawn as a circle does. Lines closer together than kMergedShare of the
// cell size there are one line: the coordinates that made them move to the
// first one drawn as such (a side, a vertex) before a computed one (a
// circle's extent).
//
// Cells. Within a shape's extent no cell is larger than the shape's `cell`
// when it has one. A material shape without one gets cells that fit it: at
// most half its thickness along each axis, so that it is about two cells
// across. Its thickness along x is 2 A / (the sum of |dy| over its edges),
// along y 2 A / (the sum of |dx|), A its area: for a rectangle its width and
// its height, for a sheet of thickness t at a slope a, t / sin a and
// t / cos a, the chords that rows and columns of cells cut from it.
#pragma once

#include <limits>
#include <vector>

#include "detail/detail_file.h"

namespace kelvane {

inline constexpr double kCornerDegrees = 30;
inline constexpr double kMergedShare = 1.0 / 50;
// How many cells a shape of material is across at least.
inline constexpr double kCellsAcross = 2;

// The largest cell a shape allows within its extent, mm: infinity where it
// sets none. `at` is the key that sets it: the shape's `cell`, or its
// geometry where its thickness does.
struct CellLimit {
  double x = std::numeric_limits<double>::infinity();
  double y = std::numeric_limits<double>::infinity();
  SourcePosition at;
};

// Each shape's limit, every size times `scale` (0.5: cells half as large).
std::vector<CellLimit> ShapeCellLimits(const std::vector<Shape>& shapes, double scale);

// A shape's thickness along x and along y, mm (see above).
struct Thickness {
  double x = 0;
  double y = 0;
};
Thickness ThicknessOf(const Shape& shape);

struct DrawingLines {
  std::vector<double> x;  // Ascending.
  std::vector<double> y;
};

// The lines of `shapes`, whose coordinates that make lines are moved in
// place onto the line they join. `base` is the cell size where no shape
// sets one (max_cell, or fine where cells are graded), times the scale.
DrawingLines PlaceLines(std::vector<Shape>& shapes, const std::vector<CellLimit>& limits,
                        double base);

}  // namespace kelvane
