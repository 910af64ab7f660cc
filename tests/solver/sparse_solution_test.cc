// The sparse solver against the profile solver: the same system to the bit
// where both store it, and temperatures that agree to 1e-10 of the model's
// range on random models and on the examples, for the run's own load and
// for others.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "detail/detail_file.h"
#include "detail/grid_maker.h"
#include "detail/grid_text.h"
#include "platform/file_io.h"
#include "solver/profile.h"
#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

const SolverOptions kSparse{SolverKind::kSparse, 0};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// K(r,c) of the profile, 0 where it stores nothing.
double ProfileEntry(const SolverState& s, std::int32_t r, std::int32_t c) {
  if (r < c) std::swap(r, c);
  return c < s.ProfileStart[r] ? 0 : s.ConductanceProfile[ProfilePosition(s.DiagonalIndex.data(), r, c)];
}

// The free nodes' block, the loads and the fixed rows of two runs through
// their fixed temperatures, one with each solver.
void ExpectSameSystem(const SolverState& profile, const SolverState& sparse) {
  const SparseSystem& k = sparse.Sparse;
  std::vector<std::int32_t> node_of(static_cast<std::size_t>(k.m));
  std::int64_t profile_entries = 0;
  for (std::int32_t n = 1; n <= profile.NodeCount; ++n) {
    if (k.equation[n] < 0) continue;
    node_of[k.equation[n]] = n;
    for (std::int32_t c = profile.ProfileStart[n]; c <= n; ++c) {
      profile_entries += k.equation[c] >= 0 && ProfileEntry(profile, n, c) != 0;
    }
  }
  std::int64_t sparse_entries = 0;
  for (std::int64_t c = 0; c < k.m; ++c) {
    for (std::int64_t q = k.column_start[c]; q < k.column_start[c + 1]; ++q) {
      const double expected = ProfileEntry(profile, node_of[k.row[q]], node_of[c]);
      ASSERT_TRUE(SameBits(k.value[q], expected)) << k.value[q] << " " << expected;
      sparse_entries += k.value[q] != 0;
    }
  }
  EXPECT_EQ(sparse_entries, profile_entries);
  for (std::int32_t n = 1; n <= profile.NodeCount; ++n) {
    ASSERT_TRUE(SameBits(sparse.LoadVector[n], profile.LoadVector[n])) << "load of node " << n;
  }
  ASSERT_EQ(sparse.FixedNodeRows.size(), profile.FixedNodeRows.size());
  for (std::size_t i = 1; i < profile.FixedNodeRows.size(); ++i) {
    const AssembledRow& a = sparse.FixedNodeRows[i];
    const AssembledRow& b = profile.FixedNodeRows[i];
    ASSERT_EQ(a.node, b.node);
    ASSERT_EQ(a.couplings.size(), b.couplings.size()) << "fixed node " << a.node;
    for (std::size_t l = 0; l < a.couplings.size(); ++l) {
      EXPECT_EQ(a.couplings[l].first, b.couplings[l].first);
      EXPECT_TRUE(SameBits(a.couplings[l].second, b.couplings[l].second));
    }
  }
}

TEST(SparseSystem, IsTheProfileSystemToTheBit) {
  std::mt19937 rng(2024);
  int compared = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const ModelSketch sketch = RandomModel(rng);
    TestRun profile(sketch);
    if (profile.ErrorThrough(ImposeFixedTemperatures) != "no error") continue;
    TestRun sparse(sketch, kSparse);
    ASSERT_EQ(sparse.ErrorThrough(ImposeFixedTemperaturesSparse), "no error") << trial;
    SCOPED_TRACE("trial " + std::to_string(trial));
    ExpectSameSystem(profile.s, sparse.s);
    ++compared;
  }
  EXPECT_GT(compared, 60);
}

// The model's temperature range: from the lowest to the highest ambient and
// fixed temperature that it holds, which bound its field; where they are
// all the same, their size.
double TemperatureRange(const SolverState& s) {
  std::vector<double> given(s.ConvEdgeAmbient.begin() + 1,
                            s.ConvEdgeAmbient.begin() + 1 + s.ConvEdgeCount);
  given.insert(given.end(), s.FixedNodeTemperature.begin() + 1,
               s.FixedNodeTemperature.begin() + 1 + s.FixedNodeCount);
  const auto [lowest, highest] = std::minmax_element(given.begin(), given.end());
  return *highest > *lowest ? *highest - *lowest : std::fabs(*highest);
}

// Runs a model with both solvers; expects the same failure, or temperatures
// within 1e-10 of the model's temperature range at every node, the fixed
// ones exact. Returns how the sparse solver factored: "supernodal",
// "simplicial" (column by column), or "failed" when both failed.
std::string ExpectAgreement(const std::string& input, const std::string& what) {
  SCOPED_TRACE(what);
  TestRun profile(input);
  TestRun sparse(input, kSparse);
  const std::string profile_error = profile.ErrorThrough(FillResultGrid);
  EXPECT_EQ(sparse.ErrorThrough(FillResultGrid), profile_error);
  if (profile_error != "no error") return "failed";
  const bool supernodal = sparse.s.Factors && sparse.s.Factors->Size().supernodal;
  const LargeTable<double>& a = profile.s.LoadVector;
  const LargeTable<double>& b = sparse.s.LoadVector;
  const double tolerance = 1e-10 * TemperatureRange(profile.s);
  for (std::int32_t n = 1; n <= profile.s.NodeCount; ++n) {
    if (std::fabs(b[n] - a[n]) > tolerance) {
      ADD_FAILURE() << "node " << n << ": " << b[n] << " against " << a[n];
      break;
    }
  }
  for (std::int32_t i = 1; i <= profile.s.FixedNodeCount; ++i) {
    const std::int32_t p = profile.s.FixedNodeList[i];
    EXPECT_EQ(b[p], profile.s.FixedNodeTemperature[i]);
  }
  return supernodal ? "supernodal" : "simplicial";
}

TEST(SparseSolver, AgreesWithTheProfileOnRandomModels) {
  std::mt19937 rng(99);
  for (int trial = 0; trial < 300; ++trial) {
    ExpectAgreement(InputText(RandomModel(rng)), "trial " + std::to_string(trial));
  }
}

// A random model of 50 to 150 cells a side: a block of one material with
// rectangles of two others, voids, convection cells (cavities) and fixed
// cells painted over it, and convection all round.
ModelSketch LargeRandomModel(std::mt19937& rng) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  ModelSketch sketch;
  for (int i = 0; i < 3; ++i) sketch.conductivities.push_back(real(0.02, 60));
  for (int i = 0; i < 3; ++i) sketch.conditions.push_back({real(-20, 40), real(0.5, 30)});
  sketch.fixed = {real(-20, 40), real(-20, 40)};
  const int columns = 50 + pick(101), rows = 50 + pick(101);
  for (int i = 0; i < columns; ++i) sketch.widths.push_back(1 + pick(200));
  for (int i = 0; i < rows; ++i) sketch.heights.push_back(1 + pick(200));
  std::vector<std::vector<std::string>> code(rows + 2, std::vector<std::string>(columns + 2, "A1"));
  for (int j = 0; j < rows + 2; ++j) {
    for (int k = 0; k < columns + 2; ++k) {
      if (j == 0 || k == 0 || j == rows + 1 || k == columns + 1) code[j][k] = j == 0 ? "B1" : "B2";
    }
  }
  const char* const paints[] = {"A2", "A3", ".", "B3", "C1", "C2"};
  for (int r = 0; r < 12; ++r) {
    const int w = 1 + pick(columns / 4), h = 1 + pick(rows / 4);
    const int k0 = 1 + pick(columns - w + 1), j0 = 1 + pick(rows - h + 1);
    for (int j = j0; j < j0 + h; ++j) std::fill_n(code[j].begin() + k0, w, paints[r % 6]);
  }
  for (const std::vector<std::string>& line : code) {
    std::string text;
    for (const std::string& c : line) text += (text.empty() ? "" : " ") + c;
    sketch.rows.push_back(text);
  }
  return sketch;
}

// Most large enough that CHOLMOD factors by supernodes, its dense blocks by
// OpenBLAS, which the small random models never reach (it does from some
// 5000 free nodes on).
TEST(SparseSolver, AgreesWithTheProfileOnLargeRandomModels) {
  std::mt19937 rng(31);
  int supernodal = 0;
  for (int trial = 0; trial < 5; ++trial) {
    const std::string how =
        ExpectAgreement(InputText(LargeRandomModel(rng)), "large " + std::to_string(trial));
    EXPECT_NE(how, "failed");
    supernodal += how == "supernodal";
  }
  EXPECT_GE(supernodal, 3);
}

TEST(SparseSolver, AgreesWithTheProfileOnTheExamples) {
  const std::string examples = std::string(KELVANE_SOURCE_DIR) + "/examples/";
  for (const char* name : {"worked_example.inp", "wall_slab_grid.inp"}) {
    ExpectAgreement(ReadWholeFile(examples + name), name);
  }
  // The detail files, as the grids made from them.
  for (const char* name : {"wall_slab.toml", "heating_pipe.toml", "validation/iso10211_case1.toml",
                           "validation/iso10211_case2.toml"}) {
    ExpectAgreement(GridInputText(MakeGrid(ReadDetailFile(examples + name))), name);
  }
}

TEST(SparseSolver, AgreesWhereTheSystemIsNotPositiveDefinite) {
  // A coefficient of -1000 on the top outweighs the conduction beneath it:
  // the system has negative pivots, and is factored as L D L^T: on a small
  // grid CHOLMOD factors it column by column at once, on a large one it
  // first tries by supernodes and starts again.
  for (int cells : {12, 200}) {
    ModelSketch sketch{{1}, {{20, -1000}, {0, 50}}, {}, {}, {}, {}};
    sketch.widths.assign(cells, 10);
    sketch.heights.assign(cells, 10);
    for (int j = 0; j < cells + 2; ++j) {
      std::string row;
      for (int k = 0; k < cells + 2; ++k) {
        const bool side = k == 0 || k == cells + 1;
        row += std::string(k ? " " : "") +
               (side ? "." : j == 0 ? "B1" : j == cells + 1 ? "B2" : "A1");
      }
      sketch.rows.push_back(row);
    }
    ExpectAgreement(InputText(sketch), "negative coefficient, " + std::to_string(cells) + " cells");
  }
  // A material of zero conductivity held only at its left side: both name
  // the same node with a zero pivot.
  ExpectAgreement(InputText(ModelSketch{{0}, {}, {5}, {10}, {10}, {". . .", "C1 A1 .", ". . ."}}),
                  "zero pivot");
  // Every node fixed: nothing is left to factor.
  ExpectAgreement(InputText(ModelSketch{{2}, {}, {7}, {10, 10}, {10}, {"C1 C1 C1 C1", "C1 A1 A1 C1",
                                                                         "C1 C1 C1 C1"}}),
                  "every node fixed");
}

TEST(SparseSolver, SolvesOtherLoadsLikeTheProfile) {
  std::mt19937 rng(7);
  int solved = 0;
  for (int trial = 0; trial < 60; ++trial) {
    const ModelSketch sketch = RandomModel(rng);
    std::vector<double> results[2];
    const SolverOptions options[2] = {SolverOptions(), kSparse};
    for (int i = 0; i < 2; ++i) {
      SolveAndInspect(
          sketch,
          [&](const Solution& solution) {
            EnvironmentValues values = ValuesOf(*solution.Field().model);
            for (std::size_t v = 1; v < values.conditions.size(); ++v) {
              values.conditions[v].AmbientTemperature = std::sin(3.0 * v) * 50;
            }
            for (std::size_t p = 1; p < values.fixed.size(); ++p) values.fixed[p] = std::cos(2.0 * p) * 40;
            results[i] = solution.SolveFor(values);
          },
          options[i]);
    }
    if (results[0].empty()) continue;
    ASSERT_EQ(results[1].size(), results[0].size());
    double largest = 0;
    for (double x : results[0]) largest = std::max(largest, std::fabs(x));
    for (std::size_t n = 1; n < results[0].size(); ++n) {
      ASSERT_NEAR(results[1][n], results[0][n], 1e-10 * largest) << "trial " << trial;
    }
    ++solved;
  }
  EXPECT_GT(solved, 10);
}

TEST(SparseSolver, TheViewNamesIt) {
  const ModelSketch worked{{50}, {{20, 10}}, {100}, {10, 20}, {5}, {"B1 B1 B1 B1", "C1 A1 A1 B1", ". . . ."}};
  std::string names[2];
  SolveAndInspect(worked, [&](const SolvedField& f) { names[0] = f.solver; });
  SolveAndInspect(worked, [&](const SolvedField& f) { names[1] = f.solver; }, kSparse);
  EXPECT_EQ(names[0], "profile");
  EXPECT_EQ(names[1], "sparse");
}

}  // namespace
}  // namespace kelvane::testing
