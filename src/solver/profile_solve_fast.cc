// The fast substitutions: the operations of SolveProfilePlain, each sum in
// its own order, with eight rows' forward sums run side by side.

#include <algorithm>
#include <cstdint>

#include "solver/profile_factor_fast.h"

namespace kelvane {
namespace {

constexpr int kRows = 8;

// Forward reduction of rows r0 .. r0+count-1: z(r) = F(r) - sum_k L(r,k) z(k)
// for k from ProfileStart(r) up, as the plain loop adds them. The columns
// before r0 are final for all rows, so from the latest start among them on
// their sums advance together, one chain each; the columns inside the group
// follow row by row.
template <int Count>
void ForwardGroup(const ProfileMatrix& m, std::int32_t r0, double* __restrict f) {
  const double* row[Count];
  std::int32_t start[Count];
  std::int32_t common = 0;
  for (int i = 0; i < Count; ++i) {
    const std::int32_t r = r0 + i;
    row[i] = m.k + (m.diagonal[r] - r);
    start[i] = m.start[r];
    common = std::max(common, start[i]);
  }
  common = std::min(common, r0);
  double sum[Count];
  for (int i = 0; i < Count; ++i) {
    double s = 0;
    for (std::int32_t k = start[i]; k < common; ++k) s += f[k] * row[i][k];
    sum[i] = s;
  }
  for (std::int32_t k = common; k < r0; ++k) {
    const double z = f[k];
    _Pragma("GCC unroll 8")
    for (int i = 0; i < Count; ++i) sum[i] += z * row[i][k];
  }
  for (int i = 0; i < Count; ++i) {
    const std::int32_t r = r0 + i;
    double s = sum[i];
    for (std::int32_t k = std::max(r0, start[i]); k < r; ++k) s += f[k] * row[i][k];
    f[r] -= s;
  }
}

typedef double V4 __attribute__((vector_size(32), aligned(8), may_alias));

// T(k) -= t L(r,k) for the k of one row: independent updates, four at a
// time (the compiler leaves such a loop scalar at -O2). The loop waits on
// memory, so the x86-64 baseline's registers, two wide, are enough.
void SubtractMultiple(double* __restrict target, const double* __restrict row, double t,
                      std::size_t count) {
  const V4 tt = {t, t, t, t};
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    V4* out = reinterpret_cast<V4*>(target + i);
    *out = *out - tt * *reinterpret_cast<const V4*>(row + i);
  }
  for (; i < count; ++i) target[i] -= t * row[i];
}

}  // namespace

void SolveProfileFast(const ProfileMatrix& m, double* f) {
  const std::int32_t n = m.n;
  // 1: forward reduction. A row without entries left of its diagonal
  // subtracts +0, which leaves F(r) as the plain loop's skip does.
  std::int32_t r0 = 2;
  for (; r0 + kRows - 1 <= n; r0 += kRows) ForwardGroup<kRows>(m, r0, f);
  for (; r0 <= n; ++r0) ForwardGroup<1>(m, r0, f);
  // 2: diagonal scaling.
  for (std::int32_t r = 1; r <= n; ++r) f[r] /= m.k[m.diagonal[r]];
  // 3: back substitution; each T(k) takes its updates from the rows in
  // descending order, whatever order one row's updates run in.
  for (std::int32_t r = n; r >= 2; --r) {
    const std::int32_t s = m.start[r];
    if (s >= r) continue;
    SubtractMultiple(f + s, m.k + (m.diagonal[r] - r + s), f[r], static_cast<std::size_t>(r - s));
  }
}

}  // namespace kelvane
