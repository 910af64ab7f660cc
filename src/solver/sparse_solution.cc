// The sparse solver's phases: the pattern and the elimination order, the
// fixed temperatures, the factorisation and the substitutions.

#include <cmath>
#include <cfenv>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

#include "platform/error.h"
#include "platform/memory.h"
#include "solver/cholmod_library.h"
#include "solver/loads.h"
#include "solver/nested_dissection.h"
#include "solver/solver_state.h"
#include "solver/sparse_factor.h"

namespace kelvane {
namespace {

// The free nodes where their grid points lie, by node number (interior
// points 1..LastColumn-1 x 1..LastRow-1 as points 0.. of the grid).
GridEquations FreeNodesOnTheGrid(const SolverState& s, const LargeTable<std::int32_t>& equation) {
  GridEquations grid;
  grid.columns = s.LastColumn - 1;
  grid.rows = s.LastRow - 1;
  grid.equation.assign(static_cast<std::size_t>(grid.columns) * grid.rows, -1);
  for (std::int32_t j = 1; j <= s.LastRow - 1; ++j) {
    for (std::int32_t k = 1; k <= s.LastColumn - 1; ++k) {
      const std::int32_t n = s.NodeNumber(k, j);
      if (n == 0 || equation[n] < 0) continue;
      grid.equation[static_cast<std::size_t>(j - 1) * grid.columns + (k - 1)] = n;
    }
  }
  return grid;
}

// The equations of the nodes (solver/sparse_matrix.h), the free ones in
// nested-dissection order.
LargeTable<std::int32_t> NumberEquations(const SolverState& s) {
  LargeTable<std::int32_t> equation(static_cast<std::size_t>(s.NodeCount) + 1, 0);
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) equation[s.FixedNodeList[i]] = -i;
  const std::vector<std::int64_t> order = NestedDissectionOrder(FreeNodesOnTheGrid(s, equation));
  for (std::size_t e = 0; e < order.size(); ++e) equation[order[e]] = static_cast<std::int32_t>(e);
  return equation;
}

// The symbolic factorisation; its size.
SparseFactorSize AnalyseSparse(SolverState& s) {
  if (s.Sparse.m == 0) return {};
  s.Factors = std::make_unique<SparseFactor>(s.Sparse, SparseOrdering::kAsNumbered,
                                             FactorThreads(s));
  return s.Factors->Size();
}

std::uint64_t SystemBytes(const SparseSystem& k, std::int32_t node_count) {
  return 16 * static_cast<std::uint64_t>(k.row.size() + k.fixed_node.size()) +
         8 * static_cast<std::uint64_t>(k.m + node_count);
}

// The node of equation e (only for messages).
std::int32_t NodeOfEquation(const SolverState& s, std::int64_t e) {
  for (std::int32_t n = 1; n <= s.NodeCount; ++n) {
    if (s.Sparse.equation[n] == e) return n;
  }
  return 0;
}

// The address space the factorisation of a factor of `factor_bytes` on
// `threads` BLAS threads maps beyond what the process maps after its
// analysis: the factor as CHOLMOD sizes it, a tenth more and 64 MiB for its
// workspace, the load and the heap's own share, and the threads' buffers.
std::uint64_t FactorAddressSpace(const SolverState& s, std::uint64_t factor_bytes, int threads) {
  return factor_bytes + factor_bytes / 10 + (std::uint64_t{64} << 20) +
         8 * static_cast<std::uint64_t>(s.NodeCount) + BlasThreadBytes(threads);
}

// Under a limit on the address space (ulimit -v), as many BLAS threads as
// fit beside the factor, down to one: a BLAS thread that cannot map its
// buffer retries for ever.
void FitThreadsInAddressSpace(SolverState& s, std::uint64_t factor_bytes) {
  const std::optional<std::uint64_t> room = AddressSpaceRoom();
  if (s.Sparse.m == 0 || !room) return;
  int threads = FactorThreads(s);
  while (threads > 1 && *room < FactorAddressSpace(s, factor_bytes, threads)) --threads;
  if (*room < FactorAddressSpace(s, factor_bytes, threads)) {
    throw MemoryRefusal("the sparse factor with the buffer of its BLAS thread",
                        FactorAddressSpace(s, factor_bytes, threads),
                        MemoryRoom{*room, MemoryLimit::kAddressSpace});
  }
  s.Factors->SetThreads(threads);
}

}  // namespace

void MakeSparseSystem(SolverState& s) {
  RequireNodes(s);
  RequireMemory(SparsePatternBytes(s.NodeCount), "the sparse matrix");
  s.Sparse = SparsePattern(s.ElementNodes, s.ElementCount, NumberEquations(s), s.FixedNodeList,
                           s.FixedNodeCount);
}

void BuildSparseSystem(SolverState& s) {
  MakeSparseSystem(s);
  const std::uint64_t bytes = AnalyseSparse(s).bytes;
  RequireMemory(bytes, "the sparse factor");
  FitThreadsInAddressSpace(s, bytes);
  s.LoadVector.assign(static_cast<std::size_t>(s.NodeCount) + 1, 0.0);
}

std::string SparseSolverAdvice(SolverState& s, MemoryLimit limit) {
  try {
    // What the run holds so far (the model, the grid and the mesh), then
    // the sparse system and its factor; or under an address-space limit
    // what it maps once the libraries are loaded and the analysis done,
    // then what the factorisation maps on all its threads.
    const std::uint64_t held = ResidentBytes();
    MakeSparseSystem(s);
    const std::uint64_t factor = AnalyseSparse(s).bytes;
    if (limit == MemoryLimit::kAddressSpace) {
      const std::uint64_t mapped = MappedBytes() + FactorAddressSpace(s, factor, FactorThreads(s));
      return "; with --solver=sparse it would need " + MemorySizeTextUp(mapped) +
             " of address space";
    }
    return "; with --solver=sparse it would need " +
           MemorySizeTextUp(held + SystemBytes(s.Sparse, s.NodeCount) + factor);
  } catch (const RunError& e) {
    // Without CHOLMOD there is nothing to advise.
    if (e.kind() == ErrorKind::kFileNotFound) return "";
  } catch (const std::bad_alloc&) {
  }
  // Under an address-space limit a higher limit would do; how much, the
  // analysis that did not fit would have said.
  return limit == MemoryLimit::kAddressSpace
             ? "; --solver=sparse would not fit under this limit either"
             : "; --solver=sparse would not fit either";
}

void ImposeFixedTemperaturesSparse(SolverState& s) {
  const SparseSystem& k = s.Sparse;
  // The fixed nodes' equations as assembled: the system keeps each fixed
  // node's couplings apart from the free equations (solver/sparse_matrix.h).
  s.FixedNodeRows.assign(static_cast<std::size_t>(s.FixedNodeCount) + 1, AssembledRow());
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) {
    const std::int32_t p = s.FixedNodeList[i];
    AssembledRow& row = s.FixedNodeRows[i];
    row.node = p;
    for (std::int64_t q = k.fixed_start[i]; q < k.fixed_start[i + 1]; ++q) {
      const std::int32_t n = k.fixed_node[q];
      const double kpn = k.fixed_value[q];  /* K(p,n) */
      if (kpn != 0 || n == p) row.couplings.emplace_back(n, kpn);
    }
  }
  EliminateFixedTemperatures(s.FixedNodeRows, s.FixedNodeTemperature, FixedNodeFlags(s),
                             s.LoadVector.data());
}

void FactorSparse(SolverState& s) {
  if (s.Sparse.m == 0) return;
  const std::int64_t zero_pivot = s.Factors->Factor(s.Sparse);
  if (zero_pivot >= 0) {
    throw RunError(ErrorKind::kDivisionByZero, NodePlace(s, NodeOfEquation(s, zero_pivot)),
                   "the pivot of this node's equation is zero (is the node joined to the rest "
                   "only through material of zero conductivity?)");
  }
}

void SolveSparse(SolverState& s) {
  SolveAnotherLoadSparse(s, s.LoadVector.data());
  // The library's own floating-point flags are not ours to read; a result
  // that is no number is, and is reported as the profile solver's would be.
  for (std::int32_t n = 1; n <= s.NodeCount; ++n) {
    const double t = s.LoadVector[n];
    if (std::isnan(t)) std::feraiseexcept(FE_INVALID);
    if (std::isinf(t)) std::feraiseexcept(FE_OVERFLOW);
  }
}

void SolveAnotherLoadSparse(SolverState& s, double* f) {
  if (s.Sparse.m == 0) return;
  const std::int32_t* equation = s.Sparse.equation.data();
  std::vector<double> b(static_cast<std::size_t>(s.Sparse.m));
  // b(e(n)) = F(n) for every free node n, e its equation; the fixed
  // nodes' F(p) = T(p) stay.
  for (std::int32_t n = 1; n <= s.NodeCount; ++n) {
    if (equation[n] >= 0) b[equation[n]] = f[n];
  }
  s.Factors->Solve(b.data());  // b = K_ff^-1 b
  for (std::int32_t n = 1; n <= s.NodeCount; ++n) {
    if (equation[n] >= 0) f[n] = b[equation[n]];  // T(n) = b(e(n))
  }
}

}  // namespace kelvane
