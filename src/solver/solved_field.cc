#include "solver/solved_field.h"

#include <cmath>

#include "model/bilinear.h"
#include "solver/loads.h"

namespace kelvane {

CellRole SolvedField::CellAt(std::int32_t k, std::int32_t j) const {
  const std::int32_t code = (*cell_code)(k, j);
  const std::int32_t materials = MaterialCount();
  if (code >= 1 && code <= materials) return {CellKind::kMaterial, code};
  if (code > materials) return {CellKind::kConvection, code - materials};
  // Fixed-temperature cells are no cell code of the solver's: they are read
  // from the code block, which marked their points.
  const BlockCode& parts = model->Codes(k, j);
  if (parts.letter == 'C') return {CellKind::kFixed, parts.number};
  return {};
}

std::vector<std::pair<std::int32_t, std::int32_t>> SolvedField::NodePoints() const {
  std::vector<std::pair<std::int32_t, std::int32_t>> points(
      static_cast<std::size_t>(node_count) + 1);
  for (std::int32_t j = 1; j <= last_row - 1; ++j) {
    for (std::int32_t k = 1; k <= last_column - 1; ++k) {
      const std::int32_t n = NodeAt(k, j);
      if (n > 0) points[n] = {k, j};
    }
  }
  return points;
}

double SolvedField::FieldAt(std::span<const double> t, std::int32_t k, std::int32_t j,
                            double fx, double fy) const {
  const double t00 = t[NodeAt(k, j)], t10 = t[NodeAt(k + 1, j)];
  const double t01 = t[NodeAt(k, j + 1)], t11 = t[NodeAt(k + 1, j + 1)];
  return Bilinear(t00, t10, t01, t11, fx, fy);
}

double SolvedField::EdgeLength(std::int32_t e) const {
  return kelvane::EdgeLength(node_x.data(), node_y.data(), edge_node1[e], edge_node2[e]);
}

}  // namespace kelvane
