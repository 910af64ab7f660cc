// Isotherms of the bilinear temperature field: the levels at a round
// interval, and the lines traced through the elements.
#pragma once

#include <vector>

#include "picture/picture_grid.h"

namespace kelvane {

struct IsothermLevels {
  double step = 0;             // 1, 2 or 5 times a power of ten
  std::vector<double> values;  // the multiples of step strictly between the extremes
};

// The largest round step that gives 8 to 20 levels strictly between
// `minimum` and `maximum`; no levels when the range is empty, not finite,
// or too narrow for the numbers' precision.
IsothermLevels ChooseIsothermLevels(double minimum, double maximum);

struct PointMm {
  double x = 0;  // from the left
  double y = 0;  // from the top
  friend bool operator==(const PointMm&, const PointMm&) = default;
};

struct Isotherm {
  double level = 0;
  std::vector<PointMm> points;  // an open line, or closed when first == last
};

// The isotherms at `level` through every element, each element divided
// into `subdivisions` x `subdivisions` parts in which the field's contour
// is taken as straight (marching squares, saddles split by the centre
// value). Pieces that meet on a side are joined into one line.
std::vector<Isotherm> TraceIsotherms(const PictureGrid& grid, double level, int subdivisions);

// Drops the points of a line that lie closer than `tolerance` to the line
// through the points kept around them (Douglas-Peucker); the ends stay.
std::vector<PointMm> SimplifyLine(const std::vector<PointMm>& points, double tolerance);

}  // namespace kelvane
