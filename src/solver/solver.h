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

// Which method solves the assembled system. The profile solver is exact to
// the bit; its work grows with the fourth power of the grid's side and its
// memory with the third. The sparse solver (CHOLMOD in a nested-dissection
// order) grows with about the third power and the square, and agrees with
// it to rounding.
enum class SolverKind { kProfile, kSparse };

struct SolverOptions {
  SolverKind solver = SolverKind::kProfile;
  // The threads of the factorisation; 0 takes one per core the process may
  // run on.
  int threads = 0;
};

// "profile" or "sparse", as the command line and the report name them.
const char* SolverName(SolverKind solver);

// Short words for phase 1..kPhaseCount of a solver, as a progress display
// shows them.
const char* PhaseName(int phase, SolverKind solver = SolverKind::kProfile);

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
                           const SolverObserver& observer = SolverObserver(),
                           const SolverOptions& options = SolverOptions());

}  // namespace kelvane
