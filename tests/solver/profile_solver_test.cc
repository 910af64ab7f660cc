// The profile factorisation and substitutions against a dense reference
// that forms every sum over the full row, in the same order. Entries outside
// the profile are zero and add nothing to a sum that starts at +0, so the
// two must agree to the bit.

#include "solver/profile_solver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "solver/profile_test_util.h"

namespace kelvane {
namespace {

using testing::MakeProfile;
using testing::Profile;

using Dense = std::vector<std::vector<double>>;

Dense ToDense(Profile& p) {
  Dense a(p.n + 1, std::vector<double>(p.n + 1, 0.0));
  for (int r = 1; r <= p.n; ++r) {
    for (int c = p.start[r]; c <= r; ++c) a[r][c] = p.At(r, c);
  }
  return a;
}

void DenseFactor(Dense& a, int n) {
  for (int r = 2; r <= n; ++r) {
    for (int j = 1; j <= r - 1; ++j) {
      double sum = 0;
      for (int k = 1; k <= j - 1; ++k) sum += a[j][k] * a[r][k];
      a[r][j] = a[r][j] - sum;
    }
    double b = 0;
    for (int k = 1; k <= r - 1; ++k) {
      double g = a[r][k];
      double c = g / a[k][k];
      b = b + c * g;
      a[r][k] = c;
    }
    a[r][r] = a[r][r] - b;
  }
}

void DenseSolve(const Dense& a, int n, std::vector<double>& f) {
  for (int r = 2; r <= n; ++r) {
    double sum = 0;
    for (int k = 1; k <= r - 1; ++k) sum += f[k] * a[r][k];
    f[r] = f[r] - sum;
  }
  for (int r = 1; r <= n; ++r) f[r] = f[r] / a[r][r];
  for (int r = n; r >= 2; --r) {
    for (int k = 1; k <= r - 1; ++k) f[k] = f[k] - f[r] * a[r][k];
  }
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ProfileSolver, TwoByTwoExample) {
  Profile p = MakeProfile({1, 1});
  p.At(1, 1) = 4;
  p.At(2, 1) = 2;
  p.At(2, 2) = 3;
  EXPECT_EQ(FactorProfilePlain(p.View()), 0);
  EXPECT_EQ(p.At(2, 1), 0.5);
  EXPECT_EQ(p.At(2, 2), 2);
  std::vector<double> f = {0, 2, 4};
  SolveProfilePlain(p.View(), f.data());
  EXPECT_EQ(f[1], -0.25);
  EXPECT_EQ(f[2], 1.5);
}

TEST(ProfileSolver, OneEquationAndDiagonalSystems) {
  Profile one = MakeProfile({1});
  one.At(1, 1) = 4;
  std::vector<double> f = {0, 3};
  EXPECT_EQ(FactorProfilePlain(one.View()), 0);
  SolveProfilePlain(one.View(), f.data());
  EXPECT_EQ(f[1], 0.75);

  Profile diagonal = MakeProfile({1, 2, 3});
  diagonal.At(1, 1) = 2;
  diagonal.At(2, 2) = 4;
  diagonal.At(3, 3) = 8;
  std::vector<double> g = {0, 1, 1, 1};
  EXPECT_EQ(FactorProfilePlain(diagonal.View()), 0);
  SolveProfilePlain(diagonal.View(), g.data());
  EXPECT_EQ(g, (std::vector<double>{0, 0.5, 0.25, 0.125}));
}

TEST(ProfileSolver, ZeroPivotIsReportedByItsRow) {
  Profile p = MakeProfile({1, 1, 2});
  p.At(1, 1) = 1;
  p.At(2, 1) = 1;
  p.At(2, 2) = 1;  // D(2) = 1 - 1 = 0
  p.At(3, 2) = 1;
  p.At(3, 3) = 1;
  EXPECT_EQ(FactorProfilePlain(p.View()), 2);
  Profile first = MakeProfile({1, 1});
  EXPECT_EQ(FactorProfilePlain(first.View()), 1);
}

TEST(ProfileSolver, MatchesTheDenseReferenceBitForBit) {
  std::mt19937_64 random(20261208);
  for (int trial = 0; trial < 200; ++trial) {
    const int n = 1 + static_cast<int>(random() % 60);
    const int width = 1 + static_cast<int>(random() % 12);
    std::vector<std::int32_t> starts(n);
    for (int r = 1; r <= n; ++r) {
      int lowest = std::max(1, r - width);
      int s = lowest + static_cast<int>(random() % (r - lowest + 1));
      // Some rows cut back to their diagonal, as fixed temperatures leave them.
      if (random() % 7 == 0) s = r;
      starts[r - 1] = s;
    }
    Profile p = MakeProfile(starts);
    std::uniform_real_distribution<double> value(-1, 1);
    for (int r = 1; r <= n; ++r) {
      double row = 0;
      for (int c = p.start[r]; c < r; ++c) {
        p.At(r, c) = value(random) * std::ldexp(1.0, static_cast<int>(random() % 9) - 4);
        row += std::abs(p.At(r, c));
      }
      p.At(r, r) = 2 * row + 1 + value(random);
    }
    // Strict diagonal dominance of the full symmetric rows keeps pivots positive.
    Dense reference = ToDense(p);
    for (int r = 1; r <= n; ++r) {
      double full = 0;
      for (int c = 1; c <= n; ++c) {
        if (c != r) full += std::abs(c < r ? reference[r][c] : reference[c][r]);
      }
      p.At(r, r) += full;
      reference[r][r] = p.At(r, r);
    }
    std::vector<double> f(n + 1, 0.0);
    for (int r = 1; r <= n; ++r) f[r] = value(random) * 100;
    std::vector<double> f_reference = f;

    ASSERT_EQ(FactorProfilePlain(p.View()), 0);
    DenseFactor(reference, n);
    for (int r = 1; r <= n; ++r) {
      for (int c = p.start[r]; c <= r; ++c) {
        ASSERT_TRUE(SameBits(p.At(r, c), reference[r][c]))
            << "trial " << trial << " K(" << r << "," << c << ")";
      }
    }
    SolveProfilePlain(p.View(), f.data());
    DenseSolve(reference, n, f_reference);
    for (int r = 1; r <= n; ++r) {
      ASSERT_TRUE(SameBits(f[r], f_reference[r])) << "trial " << trial << " T(" << r << ")";
    }
  }
}

}  // namespace
}  // namespace kelvane
