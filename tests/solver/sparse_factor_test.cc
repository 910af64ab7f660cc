// The sparse factorisation on small systems written out here: its solutions
// against a plain dense elimination, in every ordering, for positive
// definite and indefinite systems; the equation it names for a zero pivot;
// and the size of the factor it reports.

#include "solver/sparse_factor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "solver/cholmod_skip.h"
#include "solver/sparse_matrix.h"

namespace kelvane {
namespace {

using Dense = std::vector<std::vector<double>>;

// The upper triangle of a symmetric `a`, as the sparse solver stores it.
SparseSystem FromDense(const Dense& a) {
  SparseSystem k;
  k.m = static_cast<std::int64_t>(a.size());
  k.column_start.push_back(0);
  for (std::size_t c = 0; c < a.size(); ++c) {
    for (std::size_t r = 0; r <= c; ++r) {
      if (a[r][c] == 0 && r != c) continue;
      k.row.push_back(static_cast<std::int64_t>(r));
      k.value.push_back(a[r][c]);
    }
    k.column_start.push_back(static_cast<std::int64_t>(k.row.size()));
  }
  return k;
}

// Gaussian elimination with partial pivoting.
std::vector<double> DenseSolve(Dense a, std::vector<double> b) {
  const std::size_t n = b.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < n; ++r) {
      if (std::abs(a[r][c]) > std::abs(a[pivot][c])) pivot = r;
    }
    std::swap(a[c], a[pivot]);
    std::swap(b[c], b[pivot]);
    for (std::size_t r = c + 1; r < n; ++r) {
      const double f = a[r][c] / a[c][c];
      for (std::size_t k = c; k < n; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  std::vector<double> x(n);
  for (std::size_t r = n; r-- > 0;) {
    double sum = b[r];
    for (std::size_t k = r + 1; k < n; ++k) sum -= a[r][k] * x[k];
    x[r] = sum / a[r][r];
  }
  return x;
}

void Couple(Dense& a, std::size_t r, std::size_t c, double value) {
  a[r][c] = a[c][r] = value;
}

// A chain of `n` with `diagonal(i)` and `off` between neighbours.
template <typename Diagonal>
Dense Chain(std::size_t n, Diagonal diagonal, double off) {
  Dense a(n, std::vector<double>(n, 0));
  for (std::size_t i = 0; i < n; ++i) {
    a[i][i] = diagonal(i);
    if (i + 1 < n) Couple(a, i, i + 1, off);
  }
  return a;
}

// The five-point Laplacian of a grid of columns x rows points whose ring is
// held: the ring's rows are those of a fixed value (1 on the diagonal,
// nothing else), and the couplings to it are gone from the others.
Dense GridWithHeldRing(std::size_t columns, std::size_t rows) {
  const std::size_t n = columns * rows;
  Dense a(n, std::vector<double>(n, 0));
  auto ring = [&](std::size_t k, std::size_t j) {
    return k == 0 || j == 0 || k == columns - 1 || j == rows - 1;
  };
  for (std::size_t j = 0; j < rows; ++j) {
    for (std::size_t k = 0; k < columns; ++k) {
      const std::size_t p = j * columns + k;
      a[p][p] = ring(k, j) ? 1 : 4;
      if (ring(k, j)) continue;
      if (!ring(k + 1, j)) Couple(a, p, p + 1, -1);
      if (!ring(k, j + 1)) Couple(a, p, p + columns, -1);
    }
  }
  return a;
}

// Every pair coupled by up to 1, the diagonal `diagonal(i)`: diagonally
// dominant when that is more than n - 1 in size, of either sign.
template <typename Diagonal>
Dense Full(std::size_t n, Diagonal diagonal, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> off(-1, 1);
  Dense a(n, std::vector<double>(n, 0));
  for (std::size_t i = 0; i < n; ++i) {
    a[i][i] = diagonal(i);
    for (std::size_t j = i + 1; j < n; ++j) Couple(a, i, j, off(rng));
  }
  return a;
}

double Largest(const std::vector<double>& x) {
  double largest = 0;
  for (double v : x) largest = std::max(largest, std::abs(v));
  return largest;
}

constexpr SparseOrdering kOrderings[] = {SparseOrdering::kAsNumbered, SparseOrdering::kAmd,
                                         SparseOrdering::kCholmodDefault};

TEST(SparseFactor, SolvesAsADenseEliminationInEveryOrdering) {
  if (const std::string why = testing::CholmodMissing(); !why.empty()) GTEST_SKIP() << why;
  struct Case {
    const char* name;
    Dense a;
  } cases[] = {
      {"a chain", Chain(40, [](std::size_t) { return 2.0; }, -1)},
      {"a grid with a held ring", GridWithHeldRing(9, 7)},
      {"a full positive definite block", Full(80, [](std::size_t) { return 85.0; }, 1)},
      {"an indefinite chain", Chain(40, [](std::size_t i) { return i % 2 ? -3.0 : 3.0; }, 1)},
      {"a full indefinite block",
       Full(80, [](std::size_t i) { return i % 3 ? 85.0 : -85.0; }, 2)},
  };
  for (const Case& c : cases) {
    const SparseSystem k = FromDense(c.a);
    for (SparseOrdering ordering : kOrderings) {
      const std::string name = std::string(c.name) + ", ordering " +
                               std::to_string(static_cast<int>(ordering));
      SparseFactor factor(k, ordering, 1);
      ASSERT_EQ(factor.Factor(k), -1) << name;
      // Two loads on the same factors, as the cases solve theirs.
      for (int load = 0; load < 2; ++load) {
        std::vector<double> b(c.a.size());
        for (std::size_t i = 0; i < b.size(); ++i) b[i] = std::sin(1.0 + i * (load + 1));
        const std::vector<double> expected = DenseSolve(c.a, b);
        factor.Solve(b.data());
        const double tolerance = 1e-11 * Largest(expected);
        for (std::size_t i = 0; i < b.size(); ++i) {
          ASSERT_NEAR(b[i], expected[i], tolerance) << name << ", load " << load << ", x" << i;
        }
      }
    }
  }
}

TEST(SparseFactor, NamesTheEquationOfAZeroPivot) {
  if (const std::string why = testing::CholmodMissing(); !why.empty()) GTEST_SKIP() << why;
  // Equation 2 stands alone with nothing on its diagonal, between two
  // positive definite pairs: whatever the order, its pivot is the zero one.
  Dense isolated = Chain(5, [](std::size_t i) { return i == 2 ? 0.0 : 2.0; }, -1);
  Couple(isolated, 1, 2, 0);
  Couple(isolated, 2, 3, 0);
  // A chain that nothing holds (each row sums to zero): eliminated in
  // order, its last pivot is exactly 1 - 1.
  const Dense floating =
      Chain(30, [](std::size_t i) { return i == 0 || i == 29 ? 1.0 : 2.0; }, -1);
  struct Case {
    const char* name;
    Dense a;
    std::vector<SparseOrdering> orderings;
    std::int64_t zero_pivot;
  } cases[] = {
      {"an isolated equation", isolated, {std::begin(kOrderings), std::end(kOrderings)}, 2},
      {"a floating chain", floating, {SparseOrdering::kAsNumbered}, 29},
      {"a full block with a zero row and column",
       [] {
         Dense a = Full(70, [](std::size_t) { return 75.0; }, 3);
         for (std::size_t i = 0; i < a.size(); ++i) Couple(a, i, 41, 0);
         return a;
       }(),
       {std::begin(kOrderings), std::end(kOrderings)}, 41},
  };
  for (const Case& c : cases) {
    const SparseSystem k = FromDense(c.a);
    for (SparseOrdering ordering : c.orderings) {
      SparseFactor factor(k, ordering, 1);
      EXPECT_EQ(factor.Factor(k), c.zero_pivot)
          << c.name << ", ordering " << static_cast<int>(ordering);
    }
  }
}

// In the equations' own order the factor's pattern is known: a chain's L
// has its diagonal and one entry below it, a full block's L is full.
TEST(SparseFactor, ReportsTheSizeOfItsFactor) {
  if (const std::string why = testing::CholmodMissing(); !why.empty()) GTEST_SKIP() << why;
  struct Case {
    const char* name;
    Dense a;
    double entries;  // Of L, its diagonal included.
    double flops;    // The sum of the squares of L's column counts.
    bool supernodal;
  } cases[] = {
      {"a chain", Chain(50, [](std::size_t) { return 2.0; }, -1), 2 * 50 - 1, 4 * 49 + 1, false},
      {"a full block", Full(90, [](std::size_t) { return 95.0; }, 4), 90 * 91 / 2,
       90.0 * 91 * 181 / 6, true},
  };
  for (const Case& c : cases) {
    const SparseSystem k = FromDense(c.a);
    SparseFactor factor(k, SparseOrdering::kAsNumbered, 1);
    const SparseFactorSize size = factor.Size();
    EXPECT_EQ(size.entries, c.entries) << c.name;
    EXPECT_EQ(size.flops, c.flops) << c.name;
    EXPECT_EQ(size.supernodal, c.supernodal) << c.name;
    // At least the factor's own values.
    EXPECT_GE(size.bytes, 8 * c.entries) << c.name;
    EXPECT_EQ(factor.Factor(k), -1) << c.name;
  }
}

}  // namespace
}  // namespace kelvane
