// Convection terms, fixed temperatures, the solution and the results.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/error.h"
#include "solver/loads.h"
#include "solver/profile.h"
#include "solver/profile_factor_fast.h"
#include "solver/profile_solver.h"
#include "solver/solver_state.h"

namespace kelvane {
namespace {

ProfileMatrix Matrix(SolverState& s) {
  return {s.NodeCount, s.ProfileStart.data(), s.DiagonalIndex.data(),
          s.ConductanceProfile.data()};
}

// The convection edges' matrix terms, edge after edge, into either storage:
// the consistent line element (h L / 6) [[2, 1], [1, 2]].
template <typename Target>
void AddConvectionMatrix(SolverState& s, Target& k) {
  for (std::int32_t e = 1; e <= s.ConvEdgeCount; ++e) {
    const std::int32_t a = s.ConvEdgeNode1[e];
    const std::int32_t b = s.ConvEdgeNode2[e];
    const double hl = EdgeLength(s.NodeX.data(), s.NodeY.data(), a, b) * s.ConvEdgeCoefficient[e];
    const std::int32_t i = std::min(a, b);
    const std::int32_t j = std::max(a, b);
    k.Add(j, i, hl / 6);  /* K(j,i) */
    k.Add(i, i, hl / 3);  /* K(i,i) */
    k.Add(j, j, hl / 3);  /* K(j,j) */
  }
}

}  // namespace

void AddConvectionTerms(SolverState& s) {
  AddIntoSystem(s, [&s](auto& k) { AddConvectionMatrix(s, k); });
  AddConvectionLoad(EdgesOf(s), s.NodeX.data(), s.NodeY.data(), ValuesOf(s.model).Ambients(),
                    s.LoadVector.data());
}

namespace {

// The fixed nodes' equations as assembled, taken before any is imposed.
std::vector<AssembledRow> FixedNodeRows(SolverState& s, std::int32_t width) {
  std::vector<AssembledRow> rows(static_cast<std::size_t>(s.FixedNodeCount) + 1);
  double* K = s.ConductanceProfile.data();
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) {
    const std::int32_t p = s.FixedNodeList[i];
    AssembledRow& row = rows[i];
    row.node = p;
    bool diagonal_added = false;
    ForEachOffDiagonal(K, s.NodeCount, s.ProfileStart.data(), s.DiagonalIndex.data(), width, p,
                       [&](std::int32_t c, double kpc) {
                         if (c > p && !diagonal_added) {
                           row.couplings.emplace_back(p, K[s.DiagonalIndex[p]]);
                           diagonal_added = true;
                         }
                         if (kpc != 0) row.couplings.emplace_back(c, kpc);
                       });
    if (!diagonal_added) row.couplings.emplace_back(p, K[s.DiagonalIndex[p]]);
  }
  return rows;
}

}  // namespace

void ImposeFixedTemperatures(SolverState& s) {
  const std::int32_t n = s.NodeCount;
  double* K = s.ConductanceProfile.data();
  std::int32_t* start = s.ProfileStart.data();
  const std::int64_t* diagonal = s.DiagonalIndex.data();
  // No row reaches further left than the widest profile row does, so column
  // p has stored entries only in rows p+1 .. p+width; the rows beyond are
  // the ones the elimination would skip anyway.
  const std::int32_t width = WidestProfileRow(n, start);
  s.FixedNodeRows = FixedNodeRows(s, width);
  EliminateFixedTemperatures(s.FixedNodeRows, s.FixedNodeTemperature, FixedNodeFlags(s),
                             s.LoadVector.data());
  // Each fixed node's equation becomes T(p) = F(p): its row and column are
  // cleared, left of the diagonal and below it, and its diagonal is 1.
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) {
    const std::int32_t p = s.FixedNodeList[i];
    ForEachOffDiagonal(K, n, start, diagonal, width, p, [](std::int32_t, double& kpc) { kpc = 0; });
    K[diagonal[p]] = 1;  /* K(p,p) = 1 */
    start[p] = p;
  }
}

void FactorProfile(SolverState& s) {
  // Unasked, the kernel takes a second thread only for a matrix large
  // enough to repay it.
  const int threads = s.threads > 0 ? FactorThreads(s) : 0;
  std::int32_t zero_pivot = FactorProfileChosen(Matrix(s), threads);
  if (zero_pivot != 0) {
    throw RunError(ErrorKind::kDivisionByZero, NodePlace(s, zero_pivot),
                   "the pivot of this node's equation is zero (is the node joined to the rest "
                   "only through material of zero conductivity?)");
  }
}

void SolveProfile(SolverState& s) {
  SolveProfileChosen(Matrix(s), s.LoadVector.data());
}

void SolveAnotherLoad(SolverState& s, double* f) { SolveProfileChosen(Matrix(s), f); }

void FillResultGrid(SolverState& s) {
  for (std::int32_t j = 1; j <= s.LastRow - 1; ++j) {
    for (std::int32_t k = 1; k <= s.LastColumn - 1; ++k) {
      const std::int32_t n = s.NodeNumber(k, j);
      s.ResultGrid(k, j) = n >= 1 ? Cell::Number(s.LoadVector[n]) : Cell();
    }
  }
}

}  // namespace kelvane
