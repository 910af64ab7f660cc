// What a finished run hands to a caller that wants more than the result
// grid: the working state as the last phase left it (temperatures in the
// load vector, the factored matrix), and the equations of the fixed nodes as
// they were assembled, before the fixed temperatures were eliminated. Heat
// flows, energy balances and coupling coefficients are worked out from it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "solver/solver_state.h"

namespace kelvane {

// A fixed node's equation in the assembled system (conduction and convection
// terms): its couplings K(p, c) with every node c, p included, in ascending
// c. Couplings that are exactly zero are left out.
struct AssembledRow {
  std::int32_t node = 0;
  std::vector<std::pair<std::int32_t, double>> couplings;
};

struct SolvedField {
  // The finished run. Temperature of node n: LoadVector[n]. The matrix
  // holds its factors, with the rows of fixed nodes cut back to a diagonal 1.
  SolverState* state = nullptr;
  // Entry i belongs to FixedNodeList[i], i = 1..FixedNodeCount; entry 0 is
  // unused.
  std::vector<AssembledRow> fixed_rows;

  const SolverState& s() const { return *state; }
  const double* temperatures() const { return state->LoadVector.data(); }
  // Solves the run's matrix for another load f[1..NodeCount] in place (f[0]
  // unused). The rows of fixed nodes return their load unchanged, so a load
  // for an elimination sets f[p] to the fixed value and moves the couplings
  // of p to the other rows.
  void Solve(std::vector<double>& f) const;
};

// The fixed nodes' equations as assembled: to be taken after the convection
// terms and before the fixed temperatures are imposed.
std::vector<AssembledRow> RecordFixedNodeRows(const SolverState& s);

}  // namespace kelvane
