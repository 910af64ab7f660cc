#include "report/solved_field.h"

#include <algorithm>

#include "solver/profile.h"

namespace kelvane {

void SolvedField::Solve(std::vector<double>& f) const { SolveAnotherLoad(*state, f.data()); }

std::vector<AssembledRow> RecordFixedNodeRows(const SolverState& s) {
  const std::int32_t n = s.NodeCount;
  const double* K = s.ConductanceProfile.data();
  const std::int32_t* start = s.ProfileStart.data();
  const std::int64_t* diagonal = s.DiagonalIndex.data();
  const std::int32_t width = WidestProfileRow(n, start);
  std::vector<AssembledRow> rows(static_cast<std::size_t>(s.FixedNodeCount) + 1);
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) {
    const std::int32_t p = s.FixedNodeList[i];
    AssembledRow& row = rows[i];
    row.node = p;
    for (std::int32_t c = start[p]; c <= p - 1; ++c) {
      const double k = K[ProfilePosition(diagonal, p, c)];
      if (k != 0) row.couplings.emplace_back(c, k);
    }
    row.couplings.emplace_back(p, K[diagonal[p]]);
    const std::int32_t last = static_cast<std::int32_t>(
        std::min<std::int64_t>(n, static_cast<std::int64_t>(p) + width));
    for (std::int32_t r = p + 1; r <= last; ++r) {
      if (start[r] > p) continue;
      const double k = K[ProfilePosition(diagonal, r, p)];
      if (k != 0) row.couplings.emplace_back(r, k);
    }
  }
  return rows;
}

}  // namespace kelvane
