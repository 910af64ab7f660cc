#include "solver/solver_memory.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "model/cell.h"
#include "solver/sparse_matrix.h"

namespace kelvane {
namespace {

// The grid tables (the result grid's cells and three integer tables per
// grid point, ring included) and the mesh: per node its coordinates and
// load, per element its corners and material.
double GridAndMeshBytes(const GridShape& shape) {
  const double points = static_cast<double>(shape.columns + 3) * static_cast<double>(shape.rows + 3);
  const double nodes = shape.material_cells;
  return points * static_cast<double>(sizeof(Cell) + 3 * sizeof(std::int32_t)) +
         nodes * 3 * sizeof(double) +
         shape.material_cells * (sizeof(std::array<std::int32_t, 5>) + sizeof(std::int32_t));
}

}  // namespace

double ProfileSolverBytes(const GridShape& shape) {
  double profile = 0;
  for (const GridShape::LineGroup& group : shape.groups) {
    profile += group.lines * group.nodes * group.nodes;
  }
  // The profile and, per node, its start and its diagonal's place.
  return GridAndMeshBytes(shape) + 8 * profile +
         shape.material_cells * (sizeof(std::int32_t) + sizeof(std::int64_t));
}

double SparseSolverBytes(const GridShape& shape) {
  const double n = shape.material_cells;
  if (n < 1) return GridAndMeshBytes(shape);
  const double longer = static_cast<double>(std::max<std::int64_t>(1, std::max(shape.columns, shape.rows)));
  const double thickness = n / longer;
  const double entries = 1.5 * n * std::log2(std::max(2.0, std::min(n, thickness * thickness)));
  return GridAndMeshBytes(shape) + static_cast<double>(SparsePatternBytes(1)) * n + 13 * entries;
}

}  // namespace kelvane
