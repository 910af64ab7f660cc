// The block kernel of the fast factorisation (see profile_factor_kernel.h).
// Included by exactly one source file per instruction set, after that file
// defines KELVANE_KERNEL_TARGET (a target attribute, or nothing),
// KELVANE_KERNEL_COLUMNS (the columns of one register tile),
// KELVANE_KERNEL_VECTOR (the doubles of one vector register: 2, 4, or 8 with
// AVX-512) and KELVANE_KERNEL_ENTRY (the name of its FactorBlocks entry in
// profile_factor_kernel.h). Everything else here has internal linkage, so
// the builds never meet at link time.
//
// Layout of a block r0 .. r0+7: kmin is the smallest ProfileStart of its
// rows. W holds the rows as lanes, W[(k - kmin) * 8 + i] = K(r0 + i, k),
// with zeros where row r0 + i has no stored entry (k < ProfileStart or
// k >= r0 + i). L holds the scaled rows L(r0 + i, k) in the same layout.
//
// Why the zeros change no bit: a lane's zeros all lie before its first
// stored column, so the products they give are +-0 and a sum that starts at
// +0 stays +0 until its first real term, as if it had started there. That
// holds while every factor met is finite; a block whose work raised an
// overflow or invalid-operation flag is therefore not committed but left to
// the plain kernel.
#pragma once

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "solver/profile_factor_kernel.h"

namespace kelvane::fast_factor {
namespace {

#define KT KELVANE_KERNEL_TARGET

// A block's eight lanes are kParts vectors V of the build's width.
constexpr int kWidth = KELVANE_KERNEL_VECTOR;
typedef double V __attribute__((vector_size(kWidth * sizeof(double)), aligned(kWidth * sizeof(double)),
                                may_alias));

constexpr int kLanes = kBlockRows;
constexpr int kParts = kLanes / kWidth;
constexpr int kTile = KELVANE_KERNEL_COLUMNS;
static_assert(kLanes % kWidth == 0, "a block's lanes fill whole vectors");

// Waits until rows 1..need are final. False when the factorisation stopped.
KT inline bool WaitFor(Shared& sh, std::int32_t need) {
  std::int32_t seen = sh.progress.load(std::memory_order_acquire);
  for (int spin = 0; seen < need && seen != kStopped; ++spin) {
    if (spin < 200) {
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    } else {
      sh.progress.wait(seen, std::memory_order_acquire);
    }
    seen = sh.progress.load(std::memory_order_acquire);
  }
  return seen != kStopped;
}

KT inline void Publish(Shared& sh, std::int32_t value) {
  sh.progress.store(value, std::memory_order_release);
  sh.progress.notify_all();
}

// The sums of J columns over the lanes of W, for the columns' k from their
// own start lo[c] (relative to kmin) up to kend (exclusive): acc[c] holds
// sum_k col[c][k * stride] * W[k], added in ascending k from +0. The columns
// whose sums start before the latest start of the tile run alone up to it;
// from there all J run together, one register pair each.
template <int J, int Stride>
KT inline void SumColumns(const double* const* col, const std::int32_t* lo, const double* w,
                          std::int32_t kend, V (&acc)[J][kParts]) {
  std::int32_t common = 0;
  _Pragma("GCC unroll 8")
  for (int c = 0; c < J; ++c) common = std::max(common, lo[c]);
  common = std::min(common, kend);
  _Pragma("GCC unroll 8")
  for (int c = 0; c < J; ++c) {
    V a[kParts] = {};
    const double* p = col[c];
    for (std::int32_t k = lo[c]; k < common; ++k) {
      const double x = p[k * Stride];
      const V* wk = reinterpret_cast<const V*>(w + k * kLanes);
      for (int q = 0; q < kParts; ++q) a[q] += x * wk[q];
    }
    for (int q = 0; q < kParts; ++q) acc[c][q] = a[q];
  }
  for (std::int32_t k = common; k < kend; ++k) {
    const V* wk = reinterpret_cast<const V*>(w + k * kLanes);
    V wq[kParts];
    for (int q = 0; q < kParts; ++q) wq[q] = wk[q];
    _Pragma("GCC unroll 16")
    for (int c = 0; c < J; ++c) {
      const double x = col[c][k * Stride];
      for (int q = 0; q < kParts; ++q) acc[c][q] += x * wq[q];
    }
  }
}

// Phase A for the J columns j0 .. j0+J-1 (final rows before the block):
// K(r, j) -= sum_k L(j, k) K(r, k) for every lane r at once.
template <int J>
KT void ReduceByFinalRows(const ProfileMatrix& m, std::int32_t kmin, std::int32_t j0, double* w) {
  const double* col[J];
  std::int32_t lo[J];
  _Pragma("GCC unroll 8")
  for (int c = 0; c < J; ++c) {
    const std::int32_t j = j0 + c;
    col[c] = m.k + (m.diagonal[j] - j + kmin);
    lo[c] = std::max(m.start[j], kmin) - kmin;
  }
  const std::int32_t t0 = j0 - kmin;
  V acc[J][kParts];
  SumColumns<J, 1>(col, lo, w, t0, acc);
  // The triangle of the tile: column j0 + c also takes the terms of the
  // tile's columns before it, now final.
  _Pragma("GCC unroll 16")
  for (int c = 0; c < J; ++c) {
    V a[kParts];
    for (int q = 0; q < kParts; ++q) a[q] = acc[c][q];
    for (std::int32_t k = std::max(t0, lo[c]); k < t0 + c; ++k) {
      const double x = col[c][k];
      const V* wk = reinterpret_cast<const V*>(w + k * kLanes);
      for (int q = 0; q < kParts; ++q) a[q] += x * wk[q];
    }
    V* wj = reinterpret_cast<V*>(w + (t0 + c) * kLanes);
    for (int q = 0; q < kParts; ++q) wj[q] = wj[q] - a[q];
  }
}

// Phase C for the in-block columns c0 .. c0+J-1 (relative to r0): the part
// of their sums over the columns before the block, with L of the block's
// own rows as the column values, into p[c * 8 + lane].
template <int J>
KT void SumInBlockColumns(const ProfileMatrix& m, std::int32_t kmin, std::int32_t r0,
                          std::int32_t c0, const double* w, const double* l, double* p) {
  const double* col[J];
  std::int32_t lo[J];
  _Pragma("GCC unroll 8")
  for (int c = 0; c < J; ++c) {
    col[c] = l + (c0 + c);
    lo[c] = std::max(m.start[r0 + c0 + c], kmin) - kmin;
  }
  V acc[J][kParts];
  SumColumns<J, kLanes>(col, lo, w, r0 - kmin, acc);
  _Pragma("GCC unroll 16")
  for (int c = 0; c < J; ++c) {
    V* out = reinterpret_cast<V*>(p + (c0 + c) * kLanes);
    for (int q = 0; q < kParts; ++q) out[q] = acc[c][q];
  }
}

// The per-thread buffers W, L and P, 64-byte aligned.
struct Scratch {
  struct Free {
    void operator()(double* x) const { ::operator delete[](x, std::align_val_t(64)); }
  };
  std::unique_ptr<double[], Free> w, l, p;
  explicit Scratch(std::int32_t max_width)
      : w(Make((static_cast<std::size_t>(max_width) + kLanes + 1) * kLanes)),
        l(Make((static_cast<std::size_t>(max_width) + kLanes + 1) * kLanes)),
        p(Make(kLanes * kLanes)) {}
  static double* Make(std::size_t count) {
    return static_cast<double*>(::operator new[](count * sizeof(double), std::align_val_t(64)));
  }
};

enum class BlockEnd { kCommitted, kZeroPivot, kStopped, kGivenUp };

KT BlockEnd FactorBlock(Shared& sh, Scratch& scratch, std::int32_t r0) {
  const ProfileMatrix& m = sh.m;
  const std::int32_t* s = m.start;
  const std::int64_t* d = m.diagonal;
  double* K = m.k;
  const std::int32_t rows = std::min<std::int32_t>(kLanes, m.n - r0 + 1);
  std::int32_t kmin = r0;
  for (int i = 0; i < rows; ++i) kmin = std::min(kmin, s[r0 + i]);
  const std::int32_t span = r0 + kLanes - kmin;
  double* w = scratch.w.get();
  double* l = scratch.l.get();
  double* p = scratch.p.get();

  std::memset(w, 0, sizeof(double) * static_cast<std::size_t>(span) * kLanes);
  for (int i = 0; i < rows; ++i) {
    const std::int32_t r = r0 + i;
    const double* row = K + (d[r] - r);
    for (std::int32_t k = s[r]; k < r; ++k) w[(k - kmin) * kLanes + i] = row[k];
  }

  // A: reduce by the final rows before the block, kTile columns at a time.
  std::int32_t j0 = kmin;
  for (; j0 + kTile <= r0; j0 += kTile) {
    if (!WaitFor(sh, j0 + kTile - 1)) return BlockEnd::kStopped;
    ReduceByFinalRows<kTile>(m, kmin, j0, w);
  }
  for (; j0 < r0; ++j0) {
    if (!WaitFor(sh, j0)) return BlockEnd::kStopped;
    ReduceByFinalRows<1>(m, kmin, j0, w);
  }
  if (!WaitFor(sh, r0 - 1)) return BlockEnd::kStopped;

  // B: scale the columns before the block, L(r, k) = K(r, k) / D(k), and
  // start the diagonal corrections sum_k L(r, k) K(r, k).
  V bq[kParts] = {};
  for (std::int32_t k = kmin; k < r0; ++k) {
    const double dk = K[d[k]];
    const V* wk = reinterpret_cast<const V*>(w + (k - kmin) * kLanes);
    V* lk = reinterpret_cast<V*>(l + (k - kmin) * kLanes);
    for (int q = 0; q < kParts; ++q) {
      const V g = wk[q];
      const V c = g / dk;
      bq[q] += c * g;
      lk[q] = c;
    }
  }
  double b[kLanes];
  std::memcpy(b, bq, sizeof b);

  // C: the block's rows as columns of its later rows, over the columns
  // before the block.
  std::int32_t c0 = 0;
  for (; c0 + kTile <= rows - 1; c0 += kTile) SumInBlockColumns<kTile>(m, kmin, r0, c0, w, l, p);
  for (; c0 < rows - 1; ++c0) SumInBlockColumns<1>(m, kmin, r0, c0, w, l, p);

  // D: finish each row in turn inside the block, as the plain kernel does.
  double pivot[kLanes];
  int done = 0;
  bool zero = false;
  for (int i = 0; i < rows && !zero; ++i) {
    const std::int32_t r = r0 + i;
    for (std::int32_t c = std::max(r0, s[r]); c < r; ++c) {
      const std::int32_t ci = c - r0;
      double sum = p[ci * kLanes + i];
      for (std::int32_t k = std::max(r0, s[c]); k < c; ++k) {
        sum += l[(k - kmin) * kLanes + ci] * w[(k - kmin) * kLanes + i];
      }
      w[(c - kmin) * kLanes + i] -= sum;
    }
    double bi = b[i];
    for (std::int32_t k = std::max(r0, s[r]); k < r; ++k) {
      const double g = w[(k - kmin) * kLanes + i];
      const double c = g / pivot[k - r0];
      bi += c * g;
      l[(k - kmin) * kLanes + i] = c;
    }
    pivot[i] = K[d[r]] - bi;
    done = i + 1;
    zero = pivot[i] == 0;
  }

  if (std::fetestexcept(FE_OVERFLOW | FE_INVALID)) return BlockEnd::kGivenUp;
  for (int i = 0; i < done; ++i) {
    const std::int32_t r = r0 + i;
    double* row = K + (d[r] - r);
    for (std::int32_t k = s[r]; k < r; ++k) row[k] = l[(k - kmin) * kLanes + i];
    K[d[r]] = pivot[i];
  }
  if (zero) {
    sh.zero_pivot.store(r0 + done - 1, std::memory_order_relaxed);
    return BlockEnd::kZeroPivot;
  }
  return BlockEnd::kCommitted;
}

KT void FactorBlocks(Shared& sh, std::int32_t thread_index) {
  std::unique_ptr<Scratch> buffers;
  try {
    buffers = std::make_unique<Scratch>(sh.max_width);
  } catch (const std::bad_alloc&) {
    sh.out_of_memory.store(true);
    Publish(sh, kStopped);
    return;
  }
  Scratch& scratch = *buffers;
  for (std::int32_t block = thread_index; block < sh.block_count; block += sh.thread_count) {
    const std::int32_t r0 = 1 + block * kLanes;
    const BlockEnd end = FactorBlock(sh, scratch, r0);
    if (end == BlockEnd::kStopped) return;
    if (end == BlockEnd::kCommitted) {
      Publish(sh, std::min(sh.m.n, r0 + kLanes - 1));
      continue;
    }
    if (end == BlockEnd::kGivenUp) sh.given_up.store(r0, std::memory_order_relaxed);
    Publish(sh, kStopped);
    return;
  }
}

#undef KT

}  // namespace

void KELVANE_KERNEL_ENTRY(Shared& shared, std::int32_t thread_index) {
  FactorBlocks(shared, thread_index);
}

}  // namespace kelvane::fast_factor
