// The cell codes of the code block: how a code splits into its letter and
// its number, and which grid points the fixed-temperature cells write. The
// solver and the picture both read codes this way.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "model/cell.h"

namespace kelvane {

// A code split into its letter (the first character, 0 for an empty text)
// and its number (the leading number of the rest, rounded halves to even).
// `fits` is false, and `number` 0, when that number lies beyond the 32-bit
// range.
struct CodeParts {
  char letter = '\0';
  std::int32_t number = 0;
  bool fits = true;
};

CodeParts SplitCellCode(const Cell& cell);

using GridPoint = std::pair<std::int32_t, std::int32_t>;

// Calls visit(k, j, points) for every cell (k, j) of a code block with last
// indices `last_column` and `last_row`, in the order of the four passes that
// mark fixed-temperature points, with the grid points the cell writes when
// it is a "C" cell; a later write to a point replaces an earlier one.
//  1: every cell but the last ring column and row, all four corners;
//  2: the last ring row, its corners on row line LastRow - 1;
//  3: the last ring column, its corners on column line LastColumn - 1;
//  4: the last cell alone, at the point where both lines meet.
template <typename Visit>
void ForEachFixedTemperatureWrite(std::int32_t last_column, std::int32_t last_row, Visit visit) {
  const std::int32_t lc = last_column;
  const std::int32_t lr = last_row;
  for (std::int32_t j = 0; j <= lr - 2; ++j) {
    for (std::int32_t k = 0; k <= lc - 2; ++k) {
      visit(k, j, {GridPoint{k, j}, GridPoint{k, j + 1}, GridPoint{k + 1, j + 1},
                   GridPoint{k + 1, j}});
    }
  }
  for (std::int32_t k = 0, j = lr - 1; k <= lc - 1; ++k) {
    visit(k, j, {GridPoint{k, j}, GridPoint{k + 1, j}});
  }
  for (std::int32_t j = 0, k = lc - 1; j <= lr - 1; ++j) {
    visit(k, j, {GridPoint{k, j}, GridPoint{k, j + 1}});
  }
  visit(lc - 1, lr - 1, {GridPoint{lc - 1, lr - 1}});
}

}  // namespace kelvane
