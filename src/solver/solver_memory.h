// What the solvers' tables take for a grid, estimated from the grid's shape
// before the grid is made, so that a model too large for the memory is
// refused at once instead of after the grid and the mesh have taken it.
//
// Each estimate is a lower bound, so that no grid that would fit is
// refused on it; the solvers check their own tables again, exactly, before
// they make them.
// - The profile solver: the grid tables, the mesh, and the profile, in which
//   the row of a node on a line of the numbering (mesh.cc) reaches back to
//   its neighbour on the line before and so across every node between:
//   at least the nodes of one line per node.
// - The sparse solver: the grid tables, the mesh, the pattern and a factor
//   of at least 1.5 n log2(min(n, t^2)) entries of 13 bytes (CHOLMOD's
//   supernodes with their indices), t = n / the longer side in cells.
//   Measured on full rectangles in nested-dissection order: 2.0 to 2.9 n
//   log2(min(n, short side^2)) entries from 100 x 100 cells on (2.2 at
//   100 x 100, 2.8 at 2000 x 2000, 2.3 at 10000 x 10), 13.6 to 31 bytes
//   each; the factor 1.5 leaves room for shapes that are thinner than t
//   says (an L of two legs, a ring).
#pragma once

#include <cstdint>
#include <vector>

namespace kelvane {

struct GridShape {
  std::int64_t columns = 0;  // Cells inside the ring.
  std::int64_t rows = 0;
  double material_cells = 0;  // Each has its element; there are more nodes.
  // The lines of grid points along which the nodes are numbered, in groups
  // of alike lines: `lines` lines, each of at least `nodes` nodes, whose
  // rows of the matrix each reach across the nodes of one line.
  struct LineGroup {
    double lines = 0;
    double nodes = 0;
  };
  std::vector<LineGroup> groups;
};

// Whether the nodes are numbered along column lines (there are more
// columns than rows), else along row lines; as the mesh numbers them.
inline bool NumberedAlongColumns(std::int64_t columns, std::int64_t rows) { return columns > rows; }

// Bytes, as doubles: a grid's estimate may be far beyond any integer.
double ProfileSolverBytes(const GridShape& shape);
double SparseSolverBytes(const GridShape& shape);

}  // namespace kelvane
