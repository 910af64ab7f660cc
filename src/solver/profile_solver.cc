#include "solver/profile_solver.h"

#include <algorithm>

namespace kelvane {

// K(r,c) of the profile, ProfileStart(r) <= c <= r.
#define K_(r, c) m.k[m.diagonal[r] - (r) + (c)]

std::int32_t FactorProfilePlain(const ProfileMatrix& m) { return FactorProfilePlainFrom(m, 1); }

std::int32_t FactorProfilePlainFrom(const ProfileMatrix& m, std::int32_t first_row) {
  const std::int32_t* s = m.start;
  if (first_row <= 1 && m.n >= 1 && K_(1, 1) == 0) return 1;
  for (std::int32_t r = std::max(first_row, 2); r <= m.n; ++r) {
    if (s[r] < r) {
      // 1: reduce the row, K(r,j) -= sum_k L(j,k) K(r,k), k over the columns
      //    both rows store.
      for (std::int32_t j = s[r]; j <= r - 1; ++j) {
        if (s[j] >= j) continue;
        const std::int32_t k0 = std::max(s[r], s[j]);
        double sum = 0;
        for (std::int32_t k = k0; k <= j - 1; ++k) sum += K_(j, k) * K_(r, k);
        K_(r, j) -= sum;  /* K(r,j) - sum_k L(j,k) K(r,k) */
      }
      // 2: scale the row by the pivots: L(r,k) = K(r,k) / D(k), and form the
      //    diagonal correction sum_k L(r,k) K(r,k).
      double b = 0;
      for (std::int32_t k = s[r]; k <= r - 1; ++k) {
        const double g = K_(r, k);
        const double c = g / K_(k, k);  /* L(r,k) = K(r,k) / D(k) */
        b += c * g;
        K_(r, k) = c;
      }
      // 3: the pivot.
      K_(r, r) -= b;  /* D(r) = K(r,r) - sum_k L(r,k) K(r,k) */
    }
    if (K_(r, r) == 0) return r;
  }
  return 0;
}

void SolveProfilePlain(const ProfileMatrix& m, double* f) {
  const std::int32_t* s = m.start;
  // 1: forward reduction, L z = F.
  for (std::int32_t r = 2; r <= m.n; ++r) {
    if (s[r] >= r) continue;
    double sum = 0;
    for (std::int32_t k = s[r]; k <= r - 1; ++k) sum += f[k] * K_(r, k);
    f[r] -= sum;  /* z(r) = F(r) - sum_k L(r,k) z(k) */
  }
  // 2: diagonal scaling, y = D^-1 z.
  for (std::int32_t r = 1; r <= m.n; ++r) f[r] /= K_(r, r);
  // 3: back substitution, L^T T = y, one column of L^T at a time.
  for (std::int32_t r = m.n; r >= 2; --r) {
    if (s[r] >= r) continue;
    for (std::int32_t k = s[r]; k <= r - 1; ++k) f[k] -= f[r] * K_(r, k);  /* T(k) -= L(r,k) T(r) */
  }
}

#undef K_

}  // namespace kelvane
