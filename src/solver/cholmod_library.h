// CHOLMOD and OpenBLAS, loaded when the sparse solver first needs them
// rather than with the program. OpenBLAS starts its threads as it loads and
// each takes a buffer of 128 MiB; under a limit on the address space (ulimit
// -v) a thread that cannot get it retries for ever, so that a program linked
// with it would hang before main in every run. Loaded late, OpenBLAS starts
// with one thread, and the factorisation asks for more once it has checked
// that they fit.
#pragma once

#include <cholmod.h>

#include <cstdint>

#include "solver/sparse_matrix.h"

namespace kelvane {

struct CholmodLibrary {
  decltype(&cholmod_l_start) start;
  decltype(&cholmod_l_finish) finish;
  decltype(&cholmod_l_analyze_p) analyze_p;
  decltype(&cholmod_l_factorize) factorize;
  decltype(&cholmod_l_solve2) solve2;
  decltype(&cholmod_l_free_factor) free_factor;
  decltype(&cholmod_l_free_dense) free_dense;
  SuiteSparse_config_struct* config;  // Its memory functions.
  void (*set_blas_threads)(int);      // openblas_set_num_threads
};

// The libraries, loaded on the first call (from any thread). Throws
// RunError when they are not installed.
const CholmodLibrary& LoadCholmod();

// CHOLMOD's view of the free nodes' block of `k`: the upper triangle,
// sorted and packed, read but never written.
cholmod_sparse UpperTriangle(const SparseSystem& k);

// The address space the BLAS threads of a factorisation take: a buffer and
// a stack each.
std::uint64_t BlasThreadBytes(int threads);

}  // namespace kelvane
