// The finite-element computation of one model: SolveTemperatureField runs
// its phases (solver_state.h lists them) over one working state and leaves
// the nodal temperatures in the result grid.
#pragma once

#include <functional>
#include <string>

#include "model/cell.h"
#include "model/model.h"
#include "model/table2.h"

namespace kelvane {

inline constexpr int kPhaseCount = 16;

struct SolvedField;

// Short words for phase 1..kPhaseCount, as a progress display shows them.
const char* PhaseName(int phase);

// How the solver reports while it runs. on_phase is its yield: called at the
// start of each phase. on_warning receives a sound-but-suspicious finding
// (the run goes on). on_solved, when set, receives the finished run once the
// result grid is filled (report/solved_field.h); it costs the run only a copy
// of the fixed nodes' equations. Any of them may be empty.
struct SolverObserver {
  std::function<void(int phase, const char* name)> on_phase;
  std::function<void(const std::string& warning)> on_warning;
  std::function<void(const SolvedField& solved)> on_solved;
};

// Computes the temperature field of `model` into `result_grid`, created
// afresh with extent (0..LastColumn+1, 0..LastRow+1). A model that cannot be
// computed is a RunError naming the place (code-block cell or grid point).
void SolveTemperatureField(const Model& model, Table2<Cell>& result_grid,
                           const SolverObserver& observer = SolverObserver());

}  // namespace kelvane
