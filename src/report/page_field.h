// What the result page keeps of a finished run for its readout under the
// pointer, taken while the run's view is alive and kept compactly: the grid
// lines where the picture draws them and where the model places them, the
// temperature of every grid point as float32, and what every cell is.
//
// Only the lines 1..Last-1 take part: the ring has no size. Grid point
// (k, j) is entry (j - 1) * columns + (k - 1), cell (k, j) entry
// (j - 1) * (columns - 1) + (k - 1), rows from the top.
#pragma once

#include <cstdint>
#include <vector>

#include "model/labels.h"
#include "solver/solved_field.h"

namespace kelvane {

struct PageField {
  // Where the picture draws line 1..Last-1: mm from column line 1 to the
  // right, from row line 1 downward.
  std::vector<double> picture_x_mm;
  std::vector<double> picture_y_mm;
  // Where the model places them, mm: a detail file's drawing coordinates, a
  // grid file's from column line 1 and up from the last row line.
  std::vector<double> x_mm;
  std::vector<double> y_mm;
  // Per grid point; NaN where there is no node.
  std::vector<float> temperature;
  // Per cell: 0 void, then the materials 1..M, the conditions M + 1..M + C
  // and the fixed temperatures M + C + 1..M + C + F, in their numbers'
  // order (a fixed-temperature cell naming no fixed temperature is void).
  std::vector<std::uint32_t> cells;

  std::size_t Columns() const { return picture_x_mm.size(); }  // Lines, not cells.
  std::size_t Rows() const { return picture_y_mm.size(); }
};

// The page's part of the finished run `field`, with the node temperatures
// `t` (1..node_count).
PageField CapturePageField(const SolvedField& field, std::span<const double> t,
                           const ModelLabels& labels);

}  // namespace kelvane
