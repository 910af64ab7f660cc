// What the fast profile factorisation shares between its threads, and the
// block kernel it runs, built once for AVX2 and once for any x86-64.
//
// The rows are taken in blocks of kBlockRows consecutive rows. A block is
// reduced against the final rows before it with the block's rows as the
// lanes of vector registers: every lane runs the sum of its own row, term
// by term in ascending column order as the plain kernel does, so the
// results are the same to the bit. Blocks are committed to the profile
// strictly in row order; a second thread works on the next block while the
// first finishes its own, waiting only for the rows it needs.
#pragma once

#include <atomic>
#include <cstdint>

#include "solver/profile_solver.h"

namespace kelvane::fast_factor {

inline constexpr std::int32_t kBlockRows = 8;

struct Shared {
  ProfileMatrix m;
  std::int32_t block_count = 0;
  std::int32_t thread_count = 1;
  std::int32_t max_width = 0;  // max over rows of r - ProfileStart(r)
  // Rows 1..progress are final; kStopped once a block found a zero pivot or
  // had to be given up, so that no later block is committed.
  std::atomic<std::int32_t> progress{0};
  std::atomic<std::int32_t> zero_pivot{0};
  // The first row of a block whose computation raised an overflow or
  // invalid-operation flag; it and every later row are left to the plain
  // kernel, which then raises the flags in its own way.
  std::atomic<std::int32_t> given_up{INT32_MAX};
  // A thread could not get its buffers; the caller throws std::bad_alloc.
  std::atomic<bool> out_of_memory{false};
};

inline constexpr std::int32_t kStopped = -1;

// Factors the blocks thread_index, thread_index + thread_count, ... of
// `shared`. Returns when they are done or the factorisation stopped.
// One entry per build: AVX2 and AVX-512 on x86-64 only.
void FactorBlocksAvx2(Shared& shared, std::int32_t thread_index);
void FactorBlocksAvx512(Shared& shared, std::int32_t thread_index);
void FactorBlocksPortable(Shared& shared, std::int32_t thread_index);

}  // namespace kelvane::fast_factor
