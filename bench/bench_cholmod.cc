#include "bench/bench_cholmod.h"

#include <algorithm>
#include <cfenv>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <vector>

#include "bench/bench_run.h"
#include "model/input_reader.h"
#include "platform/cores.h"
#include "solver/cholmod_library.h"
#include "solver/nested_dissection.h"

namespace kelvane::bench {
namespace {


// The model's system as the sparse solver assembles it, without its
// analysis: phases 1-9, the numbering and pattern, then 11-13. For CHOLMOD's
// own orders the equations are numbered as the nodes are, as any program
// would hand them over (AMD's order, and so its fill, depends on the
// numbering it starts from).
void AssembleSparse(SolverState& s, SparseOrdering ordering) {
  std::feclearexcept(FE_ALL_EXCEPT);
  RunPhasesThrough(s, PhaseNumber(CheckEveryPartIsDetermined));
  if (ordering == SparseOrdering::kAsNumbered) {
    MakeSparseSystem(s);
  } else {
    s.Sparse = SparsePattern(s.ElementNodes, s.ElementCount,
                             EquationsInNodeOrder(s.NodeCount, s.FixedNodeList, s.FixedNodeCount),
                             s.FixedNodeList, s.FixedNodeCount);
  }
  s.LoadVector.assign(static_cast<std::size_t>(s.NodeCount) + 1, 0.0);
  s.phase = PhaseNumber(BuildSparseSystem);
  RunPhasesThrough(s, PhaseNumber(ImposeFixedTemperaturesSparse));
}

// The time of the nested-dissection order of the model's grid, which the
// sparse solver computes as it numbers the equations.
double OrderTime(const SolverState& s) {
  GridEquations grid{s.LastColumn - 1, s.LastRow - 1, {}};
  grid.equation.assign(static_cast<std::size_t>(grid.columns) * grid.rows, -1);
  for (std::int32_t j = 1; j <= s.LastRow - 1; ++j) {
    for (std::int32_t k = 1; k <= s.LastColumn - 1; ++k) {
      grid.equation[static_cast<std::size_t>(j - 1) * grid.columns + (k - 1)] = s.NodeNumber(k, j) - 1;
    }
  }
  const Clock::time_point start = Clock::now();
  const std::vector<std::int64_t> order = NestedDissectionOrder(grid);
  return order.empty() ? 0 : Seconds(start, Clock::now());
}

}  // namespace

const char* OrderingName(SparseOrdering ordering) {
  switch (ordering) {
    case SparseOrdering::kAsNumbered: return "nested dissection";
    case SparseOrdering::kAmd: return "AMD";
    case SparseOrdering::kCholmodDefault: return "CHOLMOD default";
  }
  return "";
}

int CholmodChild(const std::string& model_name, int n, SparseOrdering ordering) {
  Model model = ParseInput(ModelText(model_name, n), model_name + ".inp");
  SolverState s(model, nullptr, SolverOptions{SolverKind::kSparse, 0});
  AssembleSparse(s, ordering);
  const CholmodLibrary& lib = LoadCholmod();
  lib.set_blas_threads(AvailableCores());
  cholmod_common c;
  lib.start(&c);
  cholmod_sparse a = UpperTriangle(s.Sparse);
  CholmodTimes t;
  Clock::time_point start = Clock::now();
  // The system comes numbered in nested-dissection order, as the sparse
  // solver numbers it; that order's time is in the solver's phase 10.
  if (ordering != SparseOrdering::kCholmodDefault) {
    c.nmethods = 1;
    c.method[0].ordering = ordering == SparseOrdering::kAsNumbered ? CHOLMOD_NATURAL : CHOLMOD_AMD;
    c.postorder = ordering == SparseOrdering::kAmd;
  }
  cholmod_factor* l = lib.analyze_p(&a, nullptr, nullptr, 0, &c);
  t.analyse = Seconds(start, Clock::now());
  if (ordering == SparseOrdering::kAsNumbered) t.analyse += OrderTime(s);
  t.entries = c.lnz;
  t.flops = c.fl;
  start = Clock::now();
  lib.factorize(&a, l, &c);
  t.factor = Seconds(start, Clock::now());
  std::vector<double> load(static_cast<std::size_t>(s.Sparse.m), 1.0);
  cholmod_dense b{static_cast<std::size_t>(s.Sparse.m), 1, load.size(), load.size(), load.data(),
                  nullptr, CHOLMOD_REAL, CHOLMOD_DOUBLE};
  cholmod_dense *x = nullptr, *y = nullptr, *e = nullptr;
  start = Clock::now();
  lib.solve2(CHOLMOD_A, l, &b, nullptr, &x, nullptr, &y, &e, &c);
  t.solve = Seconds(start, Clock::now());
  if (c.status != CHOLMOD_OK) return 1;
  std::printf("cholmod %.6g %.6g %.6f %.6f %.6f %.3f\n", t.entries, t.flops, t.analyse, t.factor,
              t.solve, PeakMiB());
  lib.free_dense(&x, &c);
  lib.free_dense(&y, &c);
  lib.free_dense(&e, &c);
  lib.free_factor(&l, &c);
  lib.finish(&c);
  return 0;
}

CholmodTimes MedianCholmodRun(const std::string& self, const std::string& model, int n,
                              SparseOrdering ordering, int runs) {
  const std::string command = "'" + self + "' --cholmod " + model + " " + std::to_string(n) +
                              " " + std::to_string(static_cast<int>(ordering));
  std::vector<CholmodTimes> all;
  for (int i = 0; i < runs; ++i) {
    std::istringstream in(ChildOutput(command));
    std::string word;
    CholmodTimes t;
    in >> word >> t.entries >> t.flops >> t.analyse >> t.factor >> t.solve >> t.peak_mib;
    all.push_back(t);
  }
  std::sort(all.begin(), all.end(),
            [](const CholmodTimes& a, const CholmodTimes& b) { return a.Total() < b.Total(); });
  return all[all.size() / 2];
}

}  // namespace kelvane::bench
