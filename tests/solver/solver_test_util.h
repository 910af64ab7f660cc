// Builds a solver's working state from a model written as input text, and
// runs its phases up to a chosen one, so tests read like models.
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "model/input_reader.h"
#include "solver/solver.h"
#include "solver/solver_state.h"

namespace kelvane::testing {

// A model in the input's terms: conductivities, conditions (ambient, h),
// fixed temperatures, widths and heights in millimetres, and the code block
// as rows of codes separated by blanks ("." for an empty code).
struct ModelSketch {
  std::vector<double> conductivities;
  std::vector<std::pair<double, double>> conditions;
  std::vector<double> fixed;
  std::vector<double> widths;
  std::vector<double> heights;
  std::vector<std::string> rows;
};

std::string InputText(const ModelSketch& sketch);

// A model of `columns` x `rows` cells of 10 mm, material where `material`
// says (cell c from the left, r from the top), air along the top.
ModelSketch BlockSketch(int columns, int rows, const std::function<bool(int, int)>& material);

// A random model of up to 7 x 7 cells: materials, convection conditions and
// fixed temperatures scattered over the grid and its ring. Many of them
// cannot be computed (a floating part, no material); the caller skips those.
ModelSketch RandomModel(std::mt19937& rng);

// Runs the whole SolveTemperatureField on a model and hands its solution to
// `inspect`. Returns the RunError's message, or "" when solved.
std::string SolveAndInspect(const ModelSketch& sketch,
                            const std::function<void(const Solution&)>& inspect,
                            const SolverOptions& options = SolverOptions());
// The same, handing over only the finished field.
std::string SolveAndInspect(const ModelSketch& sketch,
                            const std::function<void(const SolvedField&)>& inspect,
                            const SolverOptions& options = SolverOptions());

struct TestRun {
  explicit TestRun(const std::string& input_text, const SolverOptions& options = SolverOptions());
  explicit TestRun(const ModelSketch& sketch, const SolverOptions& options = SolverOptions())
      : TestRun(InputText(sketch), options) {}
  explicit TestRun(Model m, const SolverOptions& options = SolverOptions());
  TestRun(const TestRun&) = delete;

  // Runs the phases after the last one run, through the one that runs
  // `last` (kSolverPhases).
  void RunThrough(PhaseFunction last);
  // The message of the RunError that running through `last` raises, or
  // "no error".
  std::string ErrorThrough(PhaseFunction last);

  Model model;
  std::vector<std::string> warnings;
  std::vector<int> phases;
  SolverObserver observer;
  SolverState s;
  const Table2<Cell>& result;  // s's result grid.
};

}  // namespace kelvane::testing
