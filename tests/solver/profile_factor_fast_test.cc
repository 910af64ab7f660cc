// The fast factorisation (and substitutions) against the plain ones, bit
// for bit: on random profiles of every shape the block kernel meets, on zero
// pivots, on factorisations that overflow, and on whole models; with each
// build of the kernel the processor can run (for any x86-64, AVX2,
// AVX-512) and with one, two and three threads.

#include "solver/profile_factor_fast.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "output/result_writer.h"
#include "platform/file_io.h"
#include "solver/solver_test_util.h"
#include "solver/profile_test_util.h"

namespace kelvane {
namespace {

using testing::MakeProfile;
using testing::Profile;

// A random symmetric, diagonally dominant matrix: starts anywhere within
// `width` of the diagonal (so later rows may start after earlier ones),
// some rows cut back to their diagonal as fixed temperatures leave them,
// some stored entries zero as the fixed columns leave them.
Profile RandomProfile(std::mt19937_64& random, int n, int width) {
  std::vector<std::int32_t> starts(n);
  for (int r = 1; r <= n; ++r) {
    int lowest = std::max(1, r - width);
    int s = lowest + static_cast<int>(random() % (r - lowest + 1));
    if (random() % 4 == 0) s = lowest;
    if (random() % 9 == 0) s = r;
    starts[r - 1] = s;
  }
  Profile p = MakeProfile(starts);
  std::uniform_real_distribution<double> value(-1, 1);
  std::vector<double> row_sum(n + 1, 0.0);
  for (int r = 1; r <= n; ++r) {
    for (int c = p.start[r]; c < r; ++c) {
      double x = random() % 11 == 0 ? 0.0 : value(random) * std::ldexp(1.0, static_cast<int>(random() % 9) - 4);
      p.At(r, c) = x;
      row_sum[r] += std::abs(x);
      row_sum[c] += std::abs(x);
    }
  }
  for (int r = 1; r <= n; ++r) p.At(r, r) = row_sum[r] + 1 + std::abs(value(random));
  return p;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

enum class Build { kPortable, kAvx2, kAvx512 };

struct Variant {
  int threads;
  Build build;
};

std::vector<Variant> Variants() {
  std::vector<Build> builds = {Build::kPortable};
  if (ProcessorHasAvx2()) builds.push_back(Build::kAvx2);
  if (ProcessorHasAvx512()) builds.push_back(Build::kAvx512);
  std::vector<Variant> v;
  for (Build b : builds) v.insert(v.end(), {{1, b}, {2, b}, {3, b}});
  return v;
}

FastFactorOptions Options(const Variant& v) {
  FastFactorOptions o;
  o.threads = v.threads;
  o.avx2 = v.build != Build::kPortable;
  o.avx512 = v.build == Build::kAvx512;
  return o;
}

std::string Name(const Variant& v) {
  const char* build = v.build == Build::kAvx512 ? "avx512" : v.build == Build::kAvx2 ? "avx2" : "portable";
  return std::string(build) + ", " + std::to_string(v.threads) + " threads";
}

// Runs both kernels on copies of `p`; expects the same result, the same
// matrix and the same checked flags.
void ExpectSameAsPlain(const Profile& p, const std::string& what) {
  Profile plain = p;
  std::feclearexcept(FE_ALL_EXCEPT);
  const std::int32_t plain_result = FactorProfilePlain(plain.View());
  const int plain_flags = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  for (const Variant& v : Variants()) {
    Profile fast = p;
    std::feclearexcept(FE_ALL_EXCEPT);
    const std::int32_t fast_result = FactorProfileFast(fast.View(), Options(v));
    const int fast_flags = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
    ASSERT_EQ(fast_result, plain_result) << what << ", " << Name(v);
    ASSERT_EQ(fast_flags, plain_flags) << what << ", " << Name(v);
    ASSERT_TRUE(SameBits(fast.k, plain.k)) << what << ", " << Name(v);
  }
  std::feclearexcept(FE_ALL_EXCEPT);
  if (plain_result != 0 || plain_flags != 0) return;
  // The substitutions on the factored matrix.
  std::mt19937_64 random(static_cast<std::uint64_t>(p.n) * 7919 + p.k.size());
  std::uniform_real_distribution<double> load(-100, 100);
  std::vector<double> f(p.n + 1, 0.0);
  for (int r = 1; r <= p.n; ++r) f[r] = random() % 5 == 0 ? 0.0 : load(random);
  std::vector<double> f_fast = f;
  SolveProfilePlain(plain.View(), f.data());
  SolveProfileFast(plain.View(), f_fast.data());
  ASSERT_TRUE(SameBits(f_fast, f)) << what << ", substitutions";
}

TEST(FastFactor, RandomProfilesBitForBit) {
  std::mt19937_64 random(77);
  // Sizes around the block of eight rows and widths from none to wider
  // than several blocks.
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 1 + static_cast<int>(random() % (trial < 150 ? 40 : 140));
    const int width = static_cast<int>(random() % (trial % 3 == 0 ? 6 : 45));
    ExpectSameAsPlain(RandomProfile(random, n, width), "trial " + std::to_string(trial));
  }
}

TEST(FastFactor, BandedAndDiagonalProfiles) {
  std::mt19937_64 random(5);
  for (int width : {0, 1, 3, 4, 5, 7, 8, 9, 16, 33}) {
    const int n = 70;
    std::vector<std::int32_t> starts(n);
    for (int r = 1; r <= n; ++r) starts[r - 1] = std::max(1, r - width);
    Profile p = MakeProfile(starts);
    for (int r = 1; r <= n; ++r) {
      for (int c = p.start[r]; c < r; ++c) p.At(r, c) = -1 - 0.001 * static_cast<double>(random() % 1000);
      p.At(r, r) = 4.0 * (width + 1);
    }
    ExpectSameAsPlain(p, "width " + std::to_string(width));
  }
}

// Sets K(p,p) so that D(p) comes out exactly zero: D(p) = K(p,p) - B(p),
// and B(p) does not depend on K(p,p).
void MakePivotZero(Profile& p, int row) {
  Profile probe = p;
  probe.At(row, row) = 0;
  for (int r = row + 1; r <= probe.n; ++r) probe.At(r, r) = 1;  // no earlier stop
  const std::int32_t stop = FactorProfilePlain(probe.View());
  ASSERT_TRUE(stop == 0 || stop == row) << stop;
  p.At(row, row) = -probe.At(row, row);
}

TEST(FastFactor, ZeroPivotStopsAtTheSameRow) {
  std::mt19937_64 random(11);
  for (int row : {1, 2, 8, 9, 12, 16, 17, 30, 60}) {
    Profile p = RandomProfile(random, 60, 20);
    // A second zero pivot later on must not be the one reported.
    if (row + 5 <= p.n) MakePivotZero(p, row + 5);
    MakePivotZero(p, row);
    Profile check = p;
    ASSERT_EQ(FactorProfilePlain(check.View()), row);
    ExpectSameAsPlain(p, "zero pivot at row " + std::to_string(row));
  }
}

TEST(FastFactor, OverflowLeavesTheSameMatrixAndFlags) {
  std::mt19937_64 random(13);
  for (int row : {3, 10, 19, 40}) {
    Profile p = RandomProfile(random, 48, 12);
    // A tiny pivot: the next row coupled to it overflows when scaled.
    p.At(row, row) = 1e-300;
    for (int r = row + 1; r <= p.n; ++r) {
      if (p.start[r] <= row) {
        p.At(r, row) = 1e300;
        break;
      }
    }
    Profile plain = p;
    std::feclearexcept(FE_ALL_EXCEPT);
    FactorProfilePlain(plain.View());
    ASSERT_TRUE(std::fetestexcept(FE_OVERFLOW));
    ExpectSameAsPlain(p, "overflow after row " + std::to_string(row));
  }
}

TEST(FastFactor, EarlierFlagsAreKeptAndRespected) {
  std::mt19937_64 random(17);
  Profile p = RandomProfile(random, 40, 10);
  Profile plain = p;
  ASSERT_EQ(FactorProfilePlain(plain.View()), 0);
  for (int flag : {FE_DIVBYZERO, FE_OVERFLOW, FE_INVALID}) {
    Profile fast = p;
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(flag);
    ASSERT_EQ(FactorProfileFast(fast.View()), 0);
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID), flag);
    EXPECT_TRUE(SameBits(fast.k, plain.k));
  }
  std::feclearexcept(FE_ALL_EXCEPT);
}

// The matrix of a whole model after its fixed temperatures, as a profile.
Profile AssembledProfile(const std::string& input) {
  testing::TestRun run(input);
  run.RunThrough(ImposeFixedTemperatures);
  Profile p;
  p.n = run.s.NodeCount;
  p.start = run.s.ProfileStart;
  p.diagonal = run.s.DiagonalIndex;
  p.k.assign(run.s.ConductanceProfile.begin(), run.s.ConductanceProfile.end());
  return p;
}

// A block with a void, fixed temperatures inside and on its edge, and
// convection: rows cut back and rows that start after earlier ones.
std::string HoledBlock(int n) {
  testing::ModelSketch sketch{{1.5, 0.04}, {{20, 7.7}, {-10, 25}}, {0, 100}, {}, {}, {}};
  sketch.widths.assign(n, 10);
  sketch.heights.assign(n + 3, 7);
  for (int j = 0; j < n + 5; ++j) {
    std::string row;
    for (int k = 0; k < n + 2; ++k) {
      std::string code = "A1";
      if (j == 0 || j == n + 4) code = ".";
      else if (k == 0) code = "B2";
      else if (k == n + 1) code = j % 3 == 0 ? "C2" : "B1";
      else if (k > n / 3 && k < n / 2 && j > 3 && j < n) code = ".";
      else if (k == n / 2 && j == n / 2) code = "C1";
      else if ((k + j) % 7 == 0) code = "A2";
      row += (k ? " " : "") + code;
    }
    sketch.rows.push_back(row);
  }
  return testing::InputText(sketch);
}

TEST(FastFactor, WholeModelsBitForBit) {
  const std::string wall_slab =
      ReadWholeFile(std::string(KELVANE_SOURCE_DIR) + "/examples/wall_slab_grid.inp");
  ExpectSameAsPlain(AssembledProfile(wall_slab), "wall and slab");
  for (int n : {5, 17, 40}) {
    ExpectSameAsPlain(AssembledProfile(HoledBlock(n)), "holed block " + std::to_string(n));
  }
}

TEST(FastFactor, WholeRunGivesTheSameResultTextWithEitherKernel) {
  const std::string input = HoledBlock(30);
  std::string texts[2];
  const ProfileKernel kernels[2] = {ProfileKernel::kPlain, ProfileKernel::kFast};
  for (int i = 0; i < 2; ++i) {
    SetProfileKernel(kernels[i]);
    testing::TestRun run(input);
    run.RunThrough(FillResultGrid);
    texts[i] = ResultFileText(run.result);
  }
  SetProfileKernel(ProfileKernel::kFast);
  EXPECT_EQ(texts[0], texts[1]);
}

TEST(FastFactor, ThreadsFollowTheRequestOrTheCores) {
  const std::int64_t small = 1000, large = 64 << 20;
  struct Case {
    int requested, cores;
    std::int64_t entries;
    std::int32_t blocks;
    int threads;
  } cases[] = {
      {0, 2, large, 20000, 2},  // one per core the process may run on
      {0, 6, large, 20000, 6},
      {0, 1, large, 20000, 1},
      {0, 8, small, 100, 1},    // too small to repay a second thread
      {3, 2, small, 100, 3},    // asked for: taken even on fewer cores
      {1, 8, large, 20000, 1},
      {4, 8, large, 2, 2},      // never more than there are blocks
      {0, 8, large, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseFactorThreads(c.requested, c.cores, c.entries, c.blocks), c.threads)
        << c.requested << " " << c.cores << " " << c.entries << " " << c.blocks;
  }
}

}  // namespace
}  // namespace kelvane
