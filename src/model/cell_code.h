// How a code of a grid file splits into its letter and its number, as the
// solver reads codes (model.h's BlockCode): the grid-file reader's part.
#pragma once

#include "model/cell.h"
#include "model/model.h"

namespace kelvane {

// The first character of the code's text, and the leading number of the
// rest rounded halves to even; an empty cell is the empty code. A number
// beyond the 32-bit range gives `fits` false and number 0.
BlockCode SplitCellCode(const Cell& cell);

}  // namespace kelvane
