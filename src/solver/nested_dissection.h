// A fill-reducing elimination order for equations that sit on the points of
// a grid and couple only with equations at the eight neighbouring points, as
// the bilinear elements couple their corners.
//
// Geometric nested dissection: a line of points across the longer side of a
// rectangle separates its two halves, since no element spans it. The halves
// are ordered first, each the same way, and the line's equations last, so
// that eliminating either half fills in nothing in the other. Rectangles are
// first shrunk to the points that hold equations; those of at most
// kDissectionLeaf points are taken in row order. On a grid this gives less
// fill and fewer operations than a general ordering such as AMD finds by
// searching, and costs no search.
#pragma once

#include <cstdint>
#include <vector>

namespace kelvane {

inline constexpr std::int64_t kDissectionLeaf = 4;

// The equations of a grid's points: columns x rows points, point (k, j) at
// equation[j * columns + k], -1 where the point holds none.
struct GridEquations {
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  std::vector<std::int32_t> equation;

  std::int32_t At(std::int32_t k, std::int32_t j) const {
    return equation[static_cast<std::size_t>(j) * columns + k];
  }
};

// Every equation of the grid once: order[i] is the one eliminated i-th.
std::vector<std::int64_t> NestedDissectionOrder(const GridEquations& grid);

}  // namespace kelvane
