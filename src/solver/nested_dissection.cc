#include "solver/nested_dissection.h"

namespace kelvane {
namespace {

// Points k0..k1 x j0..j1, inclusive.
struct Box {
  std::int32_t k0, k1, j0, j1;
  bool Empty() const { return k0 > k1 || j0 > j1; }
  std::int64_t Points() const {
    return static_cast<std::int64_t>(k1 - k0 + 1) * (j1 - j0 + 1);
  }
};

bool ColumnHolds(const GridEquations& g, std::int32_t k, std::int32_t j0, std::int32_t j1) {
  for (std::int32_t j = j0; j <= j1; ++j) {
    if (g.At(k, j) >= 0) return true;
  }
  return false;
}

bool RowHolds(const GridEquations& g, std::int32_t j, std::int32_t k0, std::int32_t k1) {
  for (std::int32_t k = k0; k <= k1; ++k) {
    if (g.At(k, j) >= 0) return true;
  }
  return false;
}

// The smallest box around the points of `b` that hold equations.
Box Shrink(const GridEquations& g, Box b) {
  while (!b.Empty() && !ColumnHolds(g, b.k0, b.j0, b.j1)) ++b.k0;
  while (!b.Empty() && !ColumnHolds(g, b.k1, b.j0, b.j1)) --b.k1;
  while (!b.Empty() && !RowHolds(g, b.j0, b.k0, b.k1)) ++b.j0;
  while (!b.Empty() && !RowHolds(g, b.j1, b.k0, b.k1)) --b.j1;
  return b;
}

void Append(const GridEquations& g, const Box& b, std::vector<std::int64_t>& order) {
  for (std::int32_t j = b.j0; j <= b.j1; ++j) {
    for (std::int32_t k = b.k0; k <= b.k1; ++k) {
      if (g.At(k, j) >= 0) order.push_back(g.At(k, j));
    }
  }
}

void Dissect(const GridEquations& g, Box b, std::vector<std::int64_t>& order) {
  b = Shrink(g, b);
  if (b.Empty()) return;
  if (b.Points() <= kDissectionLeaf) {
    Append(g, b, order);
    return;
  }
  // The separator runs across the longer side, through its middle.
  Box first = b, second = b, line = b;
  if (b.k1 - b.k0 >= b.j1 - b.j0) {
    const std::int32_t k = b.k0 + (b.k1 - b.k0) / 2;
    first.k1 = k - 1;
    second.k0 = k + 1;
    line.k0 = line.k1 = k;
  } else {
    const std::int32_t j = b.j0 + (b.j1 - b.j0) / 2;
    first.j1 = j - 1;
    second.j0 = j + 1;
    line.j0 = line.j1 = j;
  }
  Dissect(g, first, order);
  Dissect(g, second, order);
  Append(g, line, order);
}

}  // namespace

std::vector<std::int64_t> NestedDissectionOrder(const GridEquations& grid) {
  std::vector<std::int64_t> order;
  std::int64_t count = 0;
  for (std::int32_t e : grid.equation) count += e >= 0;
  order.reserve(static_cast<std::size_t>(count));
  Dissect(grid, {0, grid.columns - 1, 0, grid.rows - 1}, order);
  return order;
}

}  // namespace kelvane
