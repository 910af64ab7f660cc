// The fast profile factorisation: the results of FactorProfilePlain to the
// bit, from sums run many at a time in vector registers and on up to two
// threads (the kernel is described in solver/profile_factor_kernel.h).
#pragma once

#include <cstdint>

#include "solver/profile_solver.h"

namespace kelvane {

struct FastFactorOptions {
  // The threads to use; 0 takes one per core the process may run on when
  // the matrix is large enough to repay them, else one.
  int threads = 0;
  // Whether the AVX2 build of the kernel may run (where the processor has
  // AVX2); otherwise the build for any x86-64 processor runs.
  bool avx2 = true;
  // Whether the AVX-512 build may run, where the processor has it.
  bool avx512 = true;
};

bool ProcessorHasAvx2();
bool ProcessorHasAvx512();

// The threads of a factorisation of `entries` stored entries in `blocks`
// blocks of rows: `requested` when above 0, else `cores` when the matrix is
// large enough to repay more than one; never more than there are blocks.
// A core that is busy with other work only slows its thread down: the
// others wait for its rows, and the factors stay the same.
int ChooseFactorThreads(int requested, int cores, std::int64_t entries, std::int32_t blocks);

// The build of the kernel that FactorProfileFast runs on this processor
// when the options leave the choice to it: "AVX-512", "AVX2" or "portable".
const char* ProcessorKernelName();

// Factors K in place exactly as FactorProfilePlain does: the same factors,
// the same result (0, or the first row whose pivot is zero, rows after it
// left as they were), and the same division-by-zero, overflow and
// invalid-operation flags raised in the calling thread. Throws
// std::bad_alloc when its buffers (a few rows' worth) cannot be had.
std::int32_t FactorProfileFast(const ProfileMatrix& m, const FastFactorOptions& options = {});

// Overwrites f[1..n] with the solution exactly as SolveProfilePlain does.
void SolveProfileFast(const ProfileMatrix& m, double* f);

// Which kernels FactorProfileChosen and SolveProfileChosen run: the fast
// ones unless a benchmark or test asks for the plain ones. Process-wide.
enum class ProfileKernel { kFast, kPlain };
void SetProfileKernel(ProfileKernel kernel);
ProfileKernel ChosenProfileKernel();

// `threads` as FastFactorOptions::threads.
std::int32_t FactorProfileChosen(const ProfileMatrix& m, int threads = 0);
void SolveProfileChosen(const ProfileMatrix& m, double* f);

}  // namespace kelvane
