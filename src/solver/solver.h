// The finite-element computation of one model: SolveTemperatureField runs
// its phases (solver_state.h lists them) over one working state and hands
// back the Solution it made: the mesh, the factors, the nodal temperatures
// and the result grid, and a way to solve for other ambients and fixed
// temperatures on the same factors.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/cell.h"
#include "model/environment_values.h"
#include "model/model.h"
#include "model/table2.h"
#include "solver/solved_field.h"

namespace kelvane {

inline constexpr int kPhaseCount = 16;

struct SolverState;

// Which method solves the assembled system. The profile solver is exact to
// the bit; its work grows with the fourth power of the grid's side and its
// memory with the third. The sparse solver (CHOLMOD in a nested-dissection
// order) grows with about the third power and the square, and agrees with
// it to rounding. kAuto leaves the choice to the run: once the mesh is made
// it takes the one predicted to be faster (solver/solver_choice.h).
enum class SolverKind { kProfile, kSparse, kAuto };

struct SolverOptions {
  SolverKind solver = SolverKind::kProfile;
  // The threads of the factorisation; 0 takes one per core the process may
  // run on.
  int threads = 0;
};

// "profile", "sparse" or "auto", as the command line and the report name
// them.
const char* SolverName(SolverKind solver);

// Short words for phase 1..kPhaseCount of a solver, as a progress display
// shows them.
const char* PhaseName(int phase, SolverKind solver = SolverKind::kProfile);

// How the solver reports while it runs. on_phase is its yield: called at the
// start of each phase. on_warning receives a sound-but-suspicious finding
// (the run goes on). Either may be empty.
struct SolverObserver {
  std::function<void(int phase, const char* name)> on_phase;
  std::function<void(const std::string& warning)> on_warning;
};

// A solved model. It owns the solver's working state (the mesh, the edges,
// the fixed nodes' equations, the factors) and reads the model it was made
// from, which must outlive it.
class Solution {
 public:
  explicit Solution(std::unique_ptr<SolverState> state);
  Solution(Solution&&) noexcept;
  Solution& operator=(Solution&&) noexcept;
  ~Solution();

  // The finished run: mesh, edges, fixed nodes and temperatures.
  const SolvedField& Field() const { return field_; }
  // The temperatures at the grid points, as the result file gives them.
  const Table2<Cell>& ResultGrid() const;

  // The node temperatures (1..node_count) for other ambients and fixed
  // temperatures with the model's heat-transfer coefficients, on the same
  // factors: the loads formed as the run forms its own (solver/loads.h),
  // then one substitution.
  std::vector<double> SolveFor(const EnvironmentValues& values) const;

 private:
  std::unique_ptr<SolverState> state_;
  SolvedField field_;
};

// Computes the temperature field of `model`. A model that cannot be
// computed is a RunError naming the place (code-block cell or grid point).
Solution SolveTemperatureField(const Model& model,
                               const SolverObserver& observer = SolverObserver(),
                               const SolverOptions& options = SolverOptions());

}  // namespace kelvane
