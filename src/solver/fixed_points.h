// Which grid points the fixed-temperature ("C") cells of a code block write,
// and in what order: the rule the solver marks fixed points by, and by which
// a message finds the code that wrote a point.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace kelvane {

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
