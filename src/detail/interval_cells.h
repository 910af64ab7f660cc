// How the grid maker cuts an interval between two grid lines of a drawing
// into cells: equal cells no longer than a limit, or cells that start at
// `fine` next to both lines and grow by at most `growth` from one to the
// next toward the middle, none longer than the limit. Graded cells are made
// as the shortest such series that spans the interval, then shrunk evenly
// to fit it exactly: the first cell may come out a little below `fine`,
// never above it, and no ratio or limit is broken.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kelvane {

struct CellRule {
  double limit = 0;            // mm: no cell is longer.
  std::optional<double> fine;  // mm: the cells next to both ends, graded.
  double growth = 1;           // Largest ratio of two neighbouring cells.
};

// How many cells `rule` cuts `length` into, without making them; nothing
// when that is more than `most`. Quick for every input: a count far beyond
// `most` is refused from an estimate before any series is summed.
std::optional<std::int64_t> CountCells(double length, const CellRule& rule, std::int64_t most);

// The cells, in order from one end: as many as CountCells says, summing to
// `length` up to rounding.
std::vector<double> CutInterval(double length, const CellRule& rule);

}  // namespace kelvane
