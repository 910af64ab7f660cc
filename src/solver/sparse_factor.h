// The sparse factorisation of the free nodes' system (solver/sparse_matrix.h)
// by CHOLMOD: supernodal Cholesky L L^T where the system is positive
// definite, as it is whenever every conductivity and heat-transfer
// coefficient is; otherwise L D L^T without pivoting, like the profile
// solver. The dense blocks of the supernodal factor are done by OpenBLAS.
#pragma once

#include <cstdint>
#include <memory>

#include "solver/sparse_matrix.h"

namespace kelvane {

// The elimination order: that of the equations' numbers (the sparse
// solver's is nested dissection), AMD alone, or CHOLMOD's own default (AMD,
// and METIS as well where AMD fills much).
enum class SparseOrdering { kAsNumbered, kAmd, kCholmodDefault };

// What the analysed factorisation will cost.
struct SparseFactorSize {
  double entries = 0;  // Nonzeros of L.
  double flops = 0;    // Floating-point operations of the factorisation.
  // Memory the numeric factorisation needs: the factor, CHOLMOD's permuted
  // copy of the matrix and its workspace.
  std::uint64_t bytes = 0;
  // Whether CHOLMOD factors by supernodes (dense blocks, done by OpenBLAS)
  // rather than column by column, as it does where the columns are short.
  bool supernodal = false;
};

class SparseFactor {
 public:
  // The symbolic analysis of the pattern of `k`. `threads`, 1 or more, is
  // the number of BLAS threads. Throws RunError (out of memory; overflow
  // when a count leaves CHOLMOD's range).
  SparseFactor(const SparseSystem& k, SparseOrdering ordering, int threads);
  ~SparseFactor();
  SparseFactor(const SparseFactor&) = delete;
  SparseFactor& operator=(const SparseFactor&) = delete;

  SparseFactorSize Size() const;
  // The number of BLAS threads from now on, 1 or more.
  void SetThreads(int threads);
  // Factors the values of `k`. Returns -1, or an equation whose pivot is
  // zero. Throws RunError when memory runs out.
  std::int64_t Factor(const SparseSystem& k);
  // Overwrites b[0..m-1] with the solution of K x = b.
  void Solve(double* b);

 private:
  struct Cholmod;
  std::unique_ptr<Cholmod> c_;
};

}  // namespace kelvane
