#include <cfenv>

#include "platform/error.h"
#include "report/solved_field.h"
#include "solver/solver_state.h"

namespace kelvane {

const char* PhaseName(int phase) {
  static const char* const kNames[kPhaseCount + 1] = {
      "",
      "grid lines",
      "fixed-temperature points",
      "cell codes",
      "node numbering",
      "elements",
      "node coordinates",
      "fixed-temperature nodes",
      "convection edges",
      "matrix profile",
      "element matrices",
      "convection terms",
      "fixed temperatures",
      "factorisation",
      "substitution",
  };
  return phase >= 1 && phase <= kPhaseCount ? kNames[phase] : "";
}

void SolveTemperatureField(const Model& model, Table2<Cell>& result_grid,
                           const SolverObserver& observer) {
  SolverState s(model, result_grid, observer);
  std::feclearexcept(FE_ALL_EXCEPT);
  SetUpGridLines(s);
  MarkFixedTemperaturePoints(s);
  ReadCellCodes(s);
  NumberNodes(s);
  NumberElements(s);
  SetNodeCoordinates(s);
  CollectFixedNodes(s);
  CollectConvectionEdges(s);
  CheckEveryPartIsDetermined(s);
  BuildProfile(s);
  AssembleConduction(s);
  AddConvectionTerms(s);
  SolvedField solved{&s, {}};
  if (observer.on_solved) solved.fixed_rows = RecordFixedNodeRows(s);
  ImposeFixedTemperatures(s);
  FactorProfile(s);
  SolveProfile(s);
  FillResultGrid(s);
  CheckFloatingPoint(s);
  if (observer.on_solved) observer.on_solved(solved);
}

void CheckFloatingPoint(SolverState& s) {
  int raised = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  if (raised == 0) return;
  std::feclearexcept(FE_ALL_EXCEPT);
  std::string place = std::string("phase ") + std::to_string(s.phase) + " (" +
                      PhaseName(s.phase) + ")";
  if (raised & FE_DIVBYZERO) {
    throw RunError(ErrorKind::kDivisionByZero, place, "a number was divided by zero");
  }
  if (raised & FE_OVERFLOW) {
    throw RunError(ErrorKind::kFloatingPointOverflow, place,
                   "a result exceeded the range of a 64-bit number");
  }
  throw RunError(ErrorKind::kInvalidOperation, place,
                 "a result is not a number (for instance infinity minus infinity)");
}

void Yield(SolverState& s, int phase) {
  CheckFloatingPoint(s);
  s.phase = phase;
  if (s.observer.on_phase) s.observer.on_phase(phase, PhaseName(phase));
}

std::string CellPlace(std::int32_t k, std::int32_t j) {
  return "code row " + std::to_string(j + 1) + ", column " + std::to_string(k + 1);
}

std::string GridPointPlace(std::int32_t k, std::int32_t j) {
  return "grid point at column line " + std::to_string(k) + ", row line " +
         std::to_string(j) + " (top-left corner of the cell at " + CellPlace(k, j) + ")";
}

std::string NodePlace(const SolverState& s, std::int32_t n) {
  for (std::int32_t j = 0; j <= s.LastRow; ++j) {
    for (std::int32_t k = 0; k <= s.LastColumn; ++k) {
      if (s.NodeNumber(k, j) == n) return GridPointPlace(k, j);
    }
  }
  return "node " + std::to_string(n);
}

bool IsMaterial(const SolverState& s, std::int32_t code) {
  return code >= 1 && code <= s.MaterialCount;
}

bool InRing(const SolverState& s, std::int32_t k, std::int32_t j) {
  return k == 0 || j == 0 || k == s.LastColumn - 1 || j == s.LastRow - 1;
}

}  // namespace kelvane
