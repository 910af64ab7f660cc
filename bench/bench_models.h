// Model texts for the benchmark, made in memory at a chosen size.
#pragma once

#include <string>

namespace kelvane::bench {

// A solid block of n x n cells of 10 mm, one material, air at -10 C
// (h = 25) on its left side and at 20 C (h = 7.69) on its right; top and
// bottom adiabatic.
std::string SolidBlockText(int n);

// The wall-and-slab detail of examples/wall_slab_grid.inp with each of its
// columns and rows cut into equal parts, n of them across and n down,
// shared out by size: every layer keeps at least one cell.
std::string WallSlabText(int n);

}  // namespace kelvane::bench
