// A probe of a detail file is a point of the drawing whose temperature the
// report gives: the bilinear field of the element (material cell) that holds
// it. On a side or corner shared by elements any of them serves, since the
// field is continuous there.
#pragma once

#include <optional>

#include "detail/detail_file.h"
#include "model/cell.h"
#include "model/labels.h"
#include "model/table2.h"

namespace kelvane {

struct MadeGrid;

// The element of `grid` that holds the drawing point `p` (mm); nothing when
// no material cell does.
std::optional<ProbeSpot> FindElement(const MadeGrid& grid, Point p);

// The temperature at the spot: the bilinear field of its element from the
// temperatures of the element's four corners in `result_grid`, which holds
// grid point (k, j) at (k, j).
double ProbeTemperature(const ProbeSpot& spot, const Table2<Cell>& result_grid);

}  // namespace kelvane
