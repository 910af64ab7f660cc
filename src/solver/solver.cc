#include <algorithm>
#include <cfenv>

#include "model/units.h"
#include "platform/cores.h"
#include "platform/error.h"
#include "platform/memory.h"
#include "solver/cholmod_library.h"
#include "solver/loads.h"
#include "solver/solved_field.h"
#include "solver/solver_choice.h"
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
  switch (solver) {
    case SolverKind::kSparse: return "sparse";
    case SolverKind::kAuto: return "auto";
    case SolverKind::kProfile: break;
  }
  return "profile";
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
// millimetres, as a drawing places them.
std::vector<double> LinesInMillimetres(const SolverState& s, bool columns) {
  const std::int32_t last = columns ? s.LastColumn : s.LastRow;
  const std::vector<double>& spacing = columns ? s.model.ColumnWidths : s.model.RowHeights;
  std::vector<double> lines(static_cast<std::size_t>(last), 0.0);
  for (std::int32_t k = 1; k <= last - 2; ++k) {
    lines[k + 1] = lines[k] + MetreToMillimetre(spacing[k]);
  }
  return lines;
}

// Whether CHOLMOD and OpenBLAS load, as the sparse solver loads them.
bool SparseSolverLoads() {
  try {
    LoadCholmod();
  } catch (const RunError& e) {
    if (e.kind() == ErrorKind::kFileNotFound) return false;
    throw;
  }
  return true;
}

}  // namespace

// The profile's length and the factorisation's terms: a row of w entries
// left of its diagonal takes about w (w + 1) / 2 of them.
ProfileWork ProfileWorkOf(SolverState& s) {
  ComputeProfileStarts(s);
  ProfileWork work;
  work.nodes = s.NodeCount;
  for (std::int32_t r = 1; r <= s.NodeCount; ++r) {
    const double w = r - s.ProfileStart[r];
    work.length += w + 1;
    work.terms += w * (w + 1) / 2;
  }
  return work;
}

// The nodes and nested dissection's operations over the grid points.
SparseWork SparseWorkOf(const SolverState& s) {
  const double longer = std::max(s.LastColumn, s.LastRow) - 1.0;
  return {static_cast<double>(s.NodeCount), NestedDissectionFlops(s.NodeCount, longer)};
}

void ChooseSolverForMesh(SolverState& s) {
  const ProfileWork profile = ProfileWorkOf(s);
  const SparseWork sparse = SparseWorkOf(s);
  const double bytes = 8 * (profile.length + 1) + 8 * (profile.nodes + 1);
  SolverCosts costs;
  costs.nodes = profile.nodes;
  costs.profile_seconds = PredictedProfileSeconds(profile);
  costs.sparse_seconds = PredictedSparseSeconds(sparse);
  costs.profile_fits = bytes < 0x1p62 && !ShortOfMemory(static_cast<std::uint64_t>(bytes));
  SolverChoice choice = ChooseSolver(costs);
  if (choice.solver == SolverKind::kSparse && !SparseSolverLoads()) {
    costs.sparse_available = false;
    choice = ChooseSolver(costs);
  }
  s.solver = choice.solver;
  s.SolverReason = choice.reason;
  if (s.solver == SolverKind::kSparse) std::vector<std::int32_t>().swap(s.ProfileStart);
}

EdgeLists EdgesOf(const SolverState& s) {
  return {s.ConvEdgeCount, s.ConvEdgeNode1, s.ConvEdgeNode2, s.ConvEdgeCoefficient,
          s.ConvEdgeCondition};
}

std::vector<char> FixedNodeFlags(const SolverState& s) {
  std::vector<char> fixed(static_cast<std::size_t>(s.NodeCount) + 1, 0);
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) fixed[s.FixedNodeList[i]] = 1;
  return fixed;
}

SolvedField ViewOfRun(const SolverState& s) {
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
  f.solver_reason = s.SolverReason;
  return f;
}

Solution::Solution(std::unique_ptr<SolverState> state)
    : state_(std::move(state)), field_(ViewOfRun(*state_)) {}
Solution::Solution(Solution&&) noexcept = default;
Solution& Solution::operator=(Solution&&) noexcept = default;
Solution::~Solution() = default;

const Table2<Cell>& Solution::ResultGrid() const { return state_->ResultGrid; }

std::vector<double> Solution::SolveFor(const EnvironmentValues& values) const {
  SolverState& s = *state_;
  std::vector<double> f(static_cast<std::size_t>(s.NodeCount) + 1, 0.0);
  AddConvectionLoad(EdgesOf(s), s.NodeX.data(), s.NodeY.data(), values.Ambients(), f.data());
  std::vector<double> fixed(static_cast<std::size_t>(s.FixedNodeCount) + 1, 0.0);
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) fixed[i] = values.fixed[s.FixedNodeIndex[i]];
  EliminateFixedTemperatures(s.FixedNodeRows, fixed, FixedNodeFlags(s), f.data());
  if (s.solver == SolverKind::kSparse) {
    SolveAnotherLoadSparse(s, f.data());
  } else {
    SolveAnotherLoad(s, f.data());
  }
  return f;
}

Solution SolveTemperatureField(const Model& model, const SolverObserver& observer,
                               const SolverOptions& options) {
  auto s = std::make_unique<SolverState>(model, &observer, options);
  std::feclearexcept(FE_ALL_EXCEPT);
  if (s->solver == SolverKind::kAuto) {
    RunPhasesThrough(*s, PhaseNumber(CheckEveryPartIsDetermined));
    ChooseSolverForMesh(*s);
  }
  RunPhasesThrough(*s, kPhaseCount);
  s->observer = nullptr;
  return Solution(std::move(s));
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
  if (s.observer && s.observer->on_phase) s.observer->on_phase(phase, PhaseName(phase, s.solver));
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
