// The direct solution of K T = F in profile storage (layout in
// solver/profile.h): an in-place L D L^T (Crout) factorisation, then forward
// reduction, diagonal scaling and back substitution. No pivoting. Every sum
// starts at zero and adds its products in ascending column order.
#pragma once

#include <cstdint>

namespace kelvane {

// The profile of an n-equation system: start[r] = ProfileStart(r) and
// diagonal[r] = DiagonalIndex(r) for 1 <= r <= n; k holds positions
// 1..DiagonalIndex(n).
struct ProfileMatrix {
  std::int32_t n = 0;
  const std::int32_t* start = nullptr;
  const std::int64_t* diagonal = nullptr;
  double* k = nullptr;
};

// Factors K in place into L (below the diagonal) and D (on it). Returns 0,
// or the first row whose pivot D(r) is zero; the factorisation stops there,
// since every later use of that pivot divides by zero.
std::int32_t FactorProfilePlain(const ProfileMatrix& m);
// The same from row `first_row` on, the rows before it already factored.
std::int32_t FactorProfilePlainFrom(const ProfileMatrix& m, std::int32_t first_row);

// Overwrites f[1..n] with the solution, given the factored matrix.
void SolveProfilePlain(const ProfileMatrix& m, double* f);

}  // namespace kelvane
