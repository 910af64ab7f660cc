// The grid maker: an ordinary grid model made from a detail file, with what
// a report needs to speak the detail's names.
//
// Grid lines and the cell limits near each shape come from grid_lines.h:
// axis-parallel edges, extents and corners, and cells of at most a shape's
// `cell` or half its thickness within its extent. Each interval between two
// lines that holds material is cut by the file's rule (interval_cells.h)
// with the smallest limit that spans it; an interval without material stays
// one cell, so regions of conditions and void cost nothing. A circle or
// polygon of material whose cells fall apart has its limit halved until
// they hold together. Each cell takes the fill of the last shape that holds
// its centre, void where none does. The code block has one void ring
// around the drawing: conditions and fixed temperatures are drawn as
// regions. Material n of the file is A n, condition n is B n with
// h = 1 / resistance, fixed temperature n is C n.
//
// The made model is the one ParseInput reads from GridInputText (grid_text.h)
// of it: spacings pass through the same 15-digit text as there, names and the
// title lose their double quotes (which the input's fields cannot hold).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "detail/detail_file.h"
#include "model/labels.h"
#include "model/model.h"
#include "platform/warnings.h"

namespace kelvane {

// A shape whose cells (those whose centre it holds) cover this share more
// or less than its drawn area is warned about.
inline constexpr double kAreaWarned = 0.05;

// The way a surface faces, by where the material lies against the air: above
// it (a ceiling, heat flowing up), beside it (a wall), below it (a floor).
enum class Facing { kAny, kCeiling, kWall, kFloor };

struct GridLimits {
  // The most grid points (LastColumn + 1) x (LastRow + 1), as the input
  // reader allows them.
  std::uint64_t grid_points = 2147483647;
  // Whether the sparse solver is to solve the grid, else the profile
  // solver: what its tables need is estimated before the grid is made.
  bool sparse = false;
};

struct MadeGrid {
  Model model;
  // The file's title and names as it gives them (entry n for A n, B n and
  // C n), the drawing coordinates (mm) of column lines 1..LastColumn - 1,
  // left to right, and of row lines 1..LastRow - 1, top to bottom, the
  // probes in file order and each material's area, drawn and in cells.
  ModelLabels labels;
  // The cells' widths and heights in mm, top row first, as the model's text
  // writes them (15 significant digits).
  std::vector<double> widths;
  std::vector<double> heights;
  // Condition n of the file (from 0) as the model's conditions: one, or one
  // for each way its surfaces face when its resistances are by direction.
  std::vector<std::vector<std::int32_t>> condition_numbers;
  // Each of the model's conditions (entry v; 0 unused): which way its
  // surfaces face, for a condition with resistances by direction.
  std::vector<Facing> facing;
  // Each cell's shape, entry of the file's shapes (-1 for none): cell (c, r)
  // at r * widths.size() + c, c from the left, r from the bottom row up.
  std::vector<int> cell_shape;
  // What the grid draws otherwise than the drawing: a shape whose cells
  // cover more or less than kAreaWarned of what it draws.
  Warnings warnings;

  // The drawing point (mm) of the solver's node coordinates x, y (m): x from
  // column line 1, y up from the last row line.
  Point DrawingPoint(double x_m, double y_m) const {
    return {labels.DrawingX(x_m), labels.DrawingY(y_m)};
  }
};

// Makes the grid model of a detail file. Refuses, before making any table
// that the grid's size could make too large: a grid beyond `limits`, or
// whose tables or whose solution by the solver of `limits` would not fit in
// the memory (at the key whose cells are most, with the sizes); no material
// cell at all, and a probe in no element (at the probe).
//
// `scale` multiplies every cell size (max_cell, fine, each shape's cell and
// what its thickness asks): 0.5 makes the drawing's grid again with cells
// half as large, which is how the grid check compares two grids.
MadeGrid MakeGrid(const DetailFile& detail, const GridLimits& limits = GridLimits(),
                  double scale = 1);

// What a target of the file (an environment, a condition or a fixed
// temperature) is in the made model: its name and the model's conditions
// and fixed temperatures it holds; `numbers` is MadeGrid.condition_numbers.
EnvironmentLabel LabelOf(const DetailFile& detail, const Target& target,
                         const std::vector<std::vector<std::int32_t>>& numbers);

}  // namespace kelvane
