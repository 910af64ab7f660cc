#include "solver/loads.h"

#include <cmath>

namespace kelvane {

double EdgeLength(const double* x, const double* y, std::int32_t a, std::int32_t b) {
  const double dx = x[a] - x[b];
  const double dy = y[a] - y[b];
  return std::sqrt(dx * dx + dy * dy);
}

void AddConvectionLoad(const EdgeLists& edges, const double* x, const double* y,
                       std::span<const double> ambient, double* F) {
  for (std::int32_t e = 1; e <= edges.count; ++e) {
    const std::int32_t a = edges.node1[e];
    const std::int32_t b = edges.node2[e];
    const double hl = EdgeLength(x, y, a, b) * edges.coefficient[e];
    const double q = (ambient[edges.condition[e]] * hl) / 2;
    F[a] += q;  /* F(a) */
    F[b] += q;  /* F(b) */
  }
}

void EliminateFixedTemperatures(std::span<const AssembledRow> rows,
                                std::span<const double> temperature,
                                std::span<const char> fixed, double* F) {
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const double t = temperature[i];
    for (const auto& [c, kpc] : rows[i].couplings) {
      if (!fixed[c]) F[c] -= kpc * t;  /* F(c) -= K(p,c) T(p) */
    }
  }
  for (std::size_t i = 1; i < rows.size(); ++i) F[rows[i].node] = temperature[i];
}

}  // namespace kelvane
