#include "solver/sparse_factor.h"

#include <algorithm>
#include <cfenv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/error.h"
#include "solver/cholmod_library.h"
#include "solver/cholmod_memory.h"

namespace kelvane {
namespace {

static_assert(sizeof(SuiteSparse_long) == sizeof(std::int64_t));

// Keeps the floating-point flags of the calling thread as they were: what
// the library raises on its way (OpenBLAS's threads raise theirs elsewhere
// anyway) is no finding of ours; its results are checked instead.
class FlagsKept {
 public:
  FlagsKept() { std::fegetexceptflag(&flags_, FE_ALL_EXCEPT); }
  ~FlagsKept() { std::fesetexceptflag(&flags_, FE_ALL_EXCEPT); }

 private:
  fexcept_t flags_;
};

const CholmodLibrary& CholmodWithLargeTables() {
  const CholmodLibrary& lib = LoadCholmod();
  UseLargeTablesFor(lib);
  return lib;
}

}  // namespace

struct SparseFactor::Cholmod {
  const CholmodLibrary& lib = CholmodWithLargeTables();
  cholmod_common common;
  cholmod_factor* factor = nullptr;
  cholmod_dense* x = nullptr;  // Solve's result and workspaces, kept between calls.
  cholmod_dense* y = nullptr;
  cholmod_dense* e = nullptr;
  int threads = 1;
  std::int64_t anz = 0;

  Cholmod() {
    lib.start(&common);
    common.print = 0;
    common.error_handler = nullptr;
  }
  ~Cholmod() {
    lib.free_dense(&x, &common);
    lib.free_dense(&y, &common);
    lib.free_dense(&e, &common);
    lib.free_factor(&factor, &common);
    lib.finish(&common);
  }
  void Check(const char* what) const;
  void Analyse(cholmod_sparse& a, SparseOrdering ordering, std::int64_t* given = nullptr);
};

void SparseFactor::Cholmod::Check(const char* what) const {
  const int status = common.status;
  if (status >= CHOLMOD_OK || status == CHOLMOD_NOT_POSDEF) return;
  if (status == CHOLMOD_OUT_OF_MEMORY) {
    throw RunError(ErrorKind::kOutOfMemory, "",
                   std::string("the sparse ") + what + " does not fit in memory");
  }
  if (status == CHOLMOD_TOO_LARGE) {
    throw RunError(ErrorKind::kOverflow, "",
                   std::string("the sparse ") + what + " is too large to count");
  }
  throw RunError(ErrorKind::kInvalidOperation, "",
                 std::string("CHOLMOD refused the sparse ") + what + " (status " +
                     std::to_string(status) + ")");
}

// In the equations' own order CHOLMOD neither reorders nor postorders:
// nested dissection numbers every subtree of the elimination tree before
// its parent already, and the analysis spends nothing on an order. `given`,
// when set, is an order of CHOLMOD's own making to repeat.
void SparseFactor::Cholmod::Analyse(cholmod_sparse& a, SparseOrdering ordering,
                                    std::int64_t* given) {
  if (given != nullptr) {
    common.nmethods = 1;
    common.method[0].ordering = CHOLMOD_GIVEN;
    common.postorder = 0;
  } else if (ordering != SparseOrdering::kCholmodDefault) {
    common.nmethods = 1;
    common.method[0].ordering =
        ordering == SparseOrdering::kAsNumbered ? CHOLMOD_NATURAL : CHOLMOD_AMD;
    common.postorder = ordering == SparseOrdering::kAmd;
  }
  lib.free_factor(&factor, &common);
  factor = lib.analyze_p(&a, given, nullptr, 0, &common);
  Check("analysis");
}

SparseFactor::SparseFactor(const SparseSystem& k, SparseOrdering ordering, int threads) {
  c_ = std::make_unique<Cholmod>();
  c_->threads = std::max(1, threads);
  c_->anz = static_cast<std::int64_t>(k.row.size());
  cholmod_sparse a = UpperTriangle(k);
  FlagsKept flags;
  c_->Analyse(a, ordering);
}

SparseFactor::~SparseFactor() = default;

void SparseFactor::SetThreads(int threads) { c_->threads = std::max(1, threads); }

SparseFactorSize SparseFactor::Size() const {
  const cholmod_factor* l = c_->factor;
  SparseFactorSize size;
  size.entries = c_->common.lnz;
  size.flops = c_->common.fl;
  const std::uint64_t n = l->n;
  // CHOLMOD's transposed copy of the matrix, the per-column tables, and
  // the factor: supernodal with its dense update block, or simplicial with
  // its columns' slack.
  std::uint64_t bytes = 16 * static_cast<std::uint64_t>(c_->anz) + 64 * n;
  if (l->is_super) {
    bytes += 8 * (l->xsize + l->ssize + l->maxcsize + 3 * l->nsuper);
  } else {
    bytes += static_cast<std::uint64_t>(16 * 1.2 * size.entries) + 48 * n;
  }
  size.bytes = bytes;
  size.supernodal = l->is_super != 0;
  return size;
}

std::int64_t SparseFactor::Factor(const SparseSystem& k) {
  cholmod_sparse a = UpperTriangle(k);
  c_->lib.set_blas_threads(c_->threads);
  FlagsKept flags;
  c_->lib.factorize(&a, c_->factor, &c_->common);
  c_->Check("factorisation");
  cholmod_factor* l = c_->factor;
  if (c_->common.status != CHOLMOD_NOT_POSDEF) return -1;
  if (l->is_super) {
    // Not positive definite (a negative conductivity or coefficient): L D
    // L^T in the same order, as the profile solver factors any system.
    std::vector<std::int64_t> order(static_cast<std::int64_t*>(l->Perm),
                                    static_cast<std::int64_t*>(l->Perm) + l->n);
    c_->common.supernodal = CHOLMOD_SIMPLICIAL;
    c_->common.final_ll = 0;
    c_->Analyse(a, SparseOrdering::kAsNumbered, order.data());
    l = c_->factor;
    c_->lib.factorize(&a, l, &c_->common);
    c_->Check("factorisation");
    if (c_->common.status != CHOLMOD_NOT_POSDEF) return -1;
  }
  return static_cast<std::int64_t*>(l->Perm)[l->minor];
}

void SparseFactor::Solve(double* b) {
  cholmod_dense rhs{};
  rhs.nrow = rhs.nzmax = rhs.d = c_->factor->n;
  rhs.ncol = 1;
  rhs.x = b;
  rhs.xtype = CHOLMOD_REAL;
  rhs.dtype = CHOLMOD_DOUBLE;
  c_->lib.set_blas_threads(c_->threads);
  FlagsKept flags;
  c_->lib.solve2(CHOLMOD_A, c_->factor, &rhs, nullptr, &c_->x, nullptr, &c_->y, &c_->e,
                   &c_->common);
  c_->Check("solution");
  std::memcpy(b, c_->x->x, sizeof(double) * rhs.nrow);
}

}  // namespace kelvane
