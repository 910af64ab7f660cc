// The nodal temperatures by coordinates, as a spreadsheet, pandas or
// ParaView reads them: a header line "x_mm,y_mm,temperature", then one line
// per node, row by row from the top, each row from the left. x and y are in
// millimetres, y upward: a detail file's drawing coordinates, a grid file's
// from column line 1 and the last row line.
#pragma once

#include <span>
#include <string>

#include "model/labels.h"
#include "solver/solved_field.h"

namespace kelvane {

std::string NodeTableText(const SolvedField& field, std::span<const double> temperature,
                          const ModelLabels& labels);

}  // namespace kelvane
