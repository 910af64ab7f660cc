#include <algorithm>
#include <cfenv>

#include "platform/cores.h"
#include "platform/error.h"
#include "report/solved_field.h"
#include "solver/solver_state.h"

namespace kelvane {

constexpr SolverPhase kSolverPhases[kPhaseCount] = {
    {1, {"grid lines", SetUpGridLines}, {}},
    {2, {"fixed-temperature points", MarkFixedTemperaturePoints}, {}},
    {3, {"cell codes", ReadCellCodes}, {}},
    {4, {"node numbering", NumberNodes}, {}},
    {5, {"elements", NumberElements}, {}},
    {6, {"node coordinates", SetNodeCoordinates}, {}},
    {7, {"fixed-temperature nodes", CollectFixedNodes}, {}},
    {8, {"convection edges", CollectConvectionEdges}, {}},
    {9, {"determined parts", CheckEveryPartIsDetermined}, {}},
    {10, {"matrix profile", BuildProfile}, {"matrix pattern and order", BuildSparseSystem}},
    {11, {"element matrices", AssembleConduction}, {}},
    {12, {"convection terms", AddConvectionTerms}, {}},
    {13, {"fixed temperatures", ImposeFixedTemperatures},
     {"fixed temperatures", ImposeFixedTemperaturesSparse}},
    {14, {"factorisation", FactorProfile}, {"sparse factorisation", FactorSparse}},
    {15, {"substitution", SolveProfile}, {"substitution", SolveSparse}},
    {16, {"result grid", FillResultGrid}, {}},
};

// The run goes by position, the progress line and the tests by number.
constexpr bool NumberedInOrder() {
  for (int i = 0; i < kPhaseCount; ++i) {
    if (kSolverPhases[i].number != i + 1) return false;
  }
  return true;
}
static_assert(NumberedInOrder(), "entry i of the phase table must have number i + 1");

const char* SolverName(SolverKind solver) {
  return solver == SolverKind::kSparse ? "sparse" : "profile";
}

const char* PhaseName(int phase, SolverKind solver) {
  return phase >= 1 && phase <= kPhaseCount ? kSolverPhases[phase - 1].For(solver).name : "";
}

int PhaseNumber(PhaseFunction function) {
  for (const SolverPhase& phase : kSolverPhases) {
    if (phase.profile.run == function || phase.sparse.run == function) return phase.number;
  }
  return 0;
}

void RunPhasesThrough(SolverState& s, int last) {
  for (int number = s.phase + 1; number <= last; ++number) {
    Yield(s, number);
    kSolverPhases[number - 1].For(s.solver).run(s);
  }
  CheckFloatingPoint(s);
}

namespace {

// Grid lines 1..last-1 in millimetres, summed from the spacings in
// millimetres; phase 1 has made sure that every spacing is a number.
std::vector<double> LinesInMillimetres(const SolverState& s, bool columns) {
  const std::int32_t last = columns ? s.LastColumn : s.LastRow;
  std::vector<double> lines(static_cast<std::size_t>(last), 0.0);
  for (std::int32_t k = 1; k <= last - 2; ++k) {
    const Cell& spacing = columns ? s.model.CellGrid(k + 1, 0) : s.model.CellGrid(0, k + 1);
    lines[k + 1] = lines[k] + spacing.NumericValue().value * 1000;
  }
  return lines;
}

}  // namespace

SolvedField ViewOfRun(SolverState& s) {
  SolvedField f;
  f.model = &s.model;
  f.last_column = s.LastColumn;
  f.last_row = s.LastRow;
  f.line_x_mm = LinesInMillimetres(s, true);
  f.line_y_mm = LinesInMillimetres(s, false);
  f.cell_code = &s.CellCode;
  f.node_number = &s.NodeNumber;
  f.node_count = s.NodeCount;
  f.node_x = s.NodeX;
  f.node_y = s.NodeY;
  f.temperature = s.LoadVector;
  f.element_count = s.ElementCount;
  f.element_nodes = s.ElementNodes;
  f.element_material = s.ElementMaterial;
  f.edge_count = s.ConvEdgeCount;
  f.edge_node1 = s.ConvEdgeNode1;
  f.edge_node2 = s.ConvEdgeNode2;
  f.edge_coefficient = s.ConvEdgeCoefficient;
  f.edge_ambient = s.ConvEdgeAmbient;
  f.edge_condition = s.ConvEdgeCondition;
  f.fixed_count = s.FixedNodeCount;
  f.fixed_node = s.FixedNodeList;
  f.fixed_temperature = s.FixedNodeTemperature;
  f.fixed_index = s.FixedNodeIndex;
  f.fixed_rows = s.FixedNodeRows;
  f.solver = SolverName(s.solver);
  if (s.solver == SolverKind::kSparse) {
    f.solve = [&s](double* load) { SolveAnotherLoadSparse(s, load); };
  } else {
    f.solve = [&s](double* load) { SolveAnotherLoad(s, load); };
  }
  return f;
}


void SolveTemperatureField(const Model& model, Table2<Cell>& result_grid,
                           const SolverObserver& observer, const SolverOptions& options) {
  SolverState s(model, result_grid, observer, options);
  s.KeepFixedNodeRows = static_cast<bool>(observer.on_solved);
  std::feclearexcept(FE_ALL_EXCEPT);
  RunPhasesThrough(s, kPhaseCount);
  if (observer.on_solved) observer.on_solved(ViewOfRun(s));
}

void CheckFloatingPoint(SolverState& s) {
  int raised = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  if (raised == 0) return;
  std::feclearexcept(FE_ALL_EXCEPT);
  std::string place = std::string("phase ") + std::to_string(s.phase) + " (" +
                      PhaseName(s.phase, s.solver) + ")";
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
  if (s.observer.on_phase) s.observer.on_phase(phase, PhaseName(phase, s.solver));
}

GridPlace NodePlace(const SolverState& s, std::int32_t n) {
  for (std::int32_t j = 0; j <= s.LastRow; ++j) {
    for (std::int32_t k = 0; k <= s.LastColumn; ++k) {
      if (s.NodeNumber(k, j) == n) return GridPointPlace(k, j);
    }
  }
  return GridPointPlace(0, 0);  // Not reached: every node has its grid point.
}

int FactorThreads(const SolverState& s) {
  const int cores = AvailableCores();
  return s.threads > 0 ? std::min(s.threads, cores) : cores;
}

bool IsMaterial(const SolverState& s, std::int32_t code) {
  return code >= 1 && code <= s.MaterialCount;
}

bool InRing(const SolverState& s, std::int32_t k, std::int32_t j) {
  return k == 0 || j == 0 || k == s.LastColumn - 1 || j == s.LastRow - 1;
}

}  // namespace kelvane
