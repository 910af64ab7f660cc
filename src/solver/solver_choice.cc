#include "solver/solver_choice.h"

#include <algorithm>
#include <cmath>

#include "platform/number_text.h"

namespace kelvane {
namespace {

// The cost model's coefficients, seconds per unit, fitted on the solid
// block and the wall-and-slab detail of the benchmark, 50 to 600 cells
// across (docs/performance.md).
// The profile solver: putting its matrix in place (memory the process
// has not used before comes at about 0.55 GB/s here: 8 bytes an entry),
// the assembly into it and the two substitutions pass over every entry;
// the factorisation does its terms.
constexpr double kProfileSecondsPerEntry = 1.39e-8;
constexpr double kProfileSecondsPerTerm = 4.49e-11;
// The sparse solver: loading and starting CHOLMOD and OpenBLAS; the
// numbering, pattern, analysis, assembly and substitutions per node; the
// factorisation's operations.
constexpr double kSparseSecondsFixed = 0.0033;
constexpr double kSparseSecondsPerNode = 2.46e-6;
constexpr double kSparseSecondsPerFlop = 2.7e-11;

// Nested dissection's operations per n t (see the header).
constexpr double kDissectionFlopsPerNodeAcross = 19.5;

std::string SecondsText(double seconds) { return NumberText(seconds, 2) + " s"; }

}  // namespace

double NestedDissectionFlops(double nodes, double longer_side) {
  if (nodes <= 0) return 0;
  const double across = nodes / std::max(1.0, longer_side);
  return kDissectionFlopsPerNodeAcross * nodes * std::max(1.0, across);
}

double PredictedProfileSeconds(const ProfileWork& work) {
  return kProfileSecondsPerEntry * work.length + kProfileSecondsPerTerm * work.terms;
}

double PredictedSparseSeconds(const SparseWork& work) {
  return kSparseSecondsFixed + kSparseSecondsPerNode * work.nodes +
         kSparseSecondsPerFlop * work.flops;
}

SolverChoice ChooseSolver(const SolverCosts& costs) {
  const std::string nodes = RoundedCount(costs.nodes) + " nodes";
  if (!costs.sparse_available) {
    return {SolverKind::kProfile,
            "auto: profile, " + nodes + ", the sparse solver's libraries are missing"};
  }
  if (!costs.profile_fits) {
    return {SolverKind::kSparse, "auto: sparse, " + nodes + ", the profile does not fit in memory"};
  }
  const std::string times = ": profile " + SecondsText(costs.profile_seconds) + ", sparse " +
                            SecondsText(costs.sparse_seconds);
  if (costs.sparse_seconds < kSparseMargin * costs.profile_seconds) {
    return {SolverKind::kSparse, "auto: sparse, " + nodes + ", predicted faster" + times};
  }
  const bool faster = costs.profile_seconds <= costs.sparse_seconds;
  const std::string within = NumberText(std::round(100 * (1 - kSparseMargin))) + " %";
  const std::string verdict = faster ? ", predicted faster" : ", predicted within " + within;
  return {SolverKind::kProfile, "auto: profile, " + nodes + verdict + times};
}

std::string RoundedCount(double count) {
  if (count < 1000) return NumberText(std::round(count));
  if (count < 1e4) return NumberText(count / 1000, 2) + " k";
  if (count < 1e6) return NumberText(std::round(count / 1000)) + " k";
  return NumberText(count / 1e6, 2) + " M";
}

}  // namespace kelvane
