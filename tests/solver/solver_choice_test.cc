#include "solver/solver_choice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "solver/cholmod_skip.h"
#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

TEST(SolverChoice, TakesTheProfileUnlessTheSparseSolverIsClearlyFaster) {
  struct Case {
    SolverCosts costs;
    SolverKind solver;
    const char* reason;
  } cases[] = {
      {{12'345, 0.021, 0.048, true}, SolverKind::kProfile,
       "auto: profile, 12 k nodes, predicted faster: profile 0.021 s, sparse 0.048 s"},
      {{400'000, 2.5, 0.61, true}, SolverKind::kSparse,
       "auto: sparse, 400 k nodes, predicted faster: profile 2.5 s, sparse 0.61 s"},
      // Within the margin the profile, exact to the bit, is kept.
      {{120'000, 0.40, 0.39, true}, SolverKind::kProfile,
       "auto: profile, 120 k nodes, predicted within 15 %: profile 0.4 s, sparse 0.39 s"},
      {{120'000, 0.40, 0.40, true}, SolverKind::kProfile,
       "auto: profile, 120 k nodes, predicted faster: profile 0.4 s, sparse 0.4 s"},
      {{120'000, 0.40, 0.35, true}, SolverKind::kProfile,
       "auto: profile, 120 k nodes, predicted within 15 %: profile 0.4 s, sparse 0.35 s"},
      {{120'000, 0.40, 0.33, true}, SolverKind::kSparse,
       "auto: sparse, 120 k nodes, predicted faster: profile 0.4 s, sparse 0.33 s"},
      // A profile that does not fit is never taken, however it compares.
      {{2'100'000, 0.01, 9.0, false}, SolverKind::kSparse,
       "auto: sparse, 2.1 M nodes, the profile does not fit in memory"},
      // Without CHOLMOD the profile solver, which then says why it is refused
      // where it does not fit.
      {{400'000, 2.5, 0.61, true, false}, SolverKind::kProfile,
       "auto: profile, 400 k nodes, the sparse solver's libraries are missing"},
      {{2'100'000, 60, 9.0, false, false}, SolverKind::kProfile,
       "auto: profile, 2.1 M nodes, the sparse solver's libraries are missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    const SolverChoice choice = ChooseSolver(c.costs);
    EXPECT_EQ(choice.solver, c.solver);
    EXPECT_EQ(choice.reason, c.reason);
  }
}

TEST(SolverChoice, RoundsNodeCountsForTheReport) {
  struct Case {
    double count;
    const char* text;
  } cases[] = {{0, "0"},        {850, "850"},       {999.4, "999"},      {1000, "1 k"}, {1681, "1.7 k"},
               {12'499, "12 k"}, {999'000, "999 k"}, {1'300'000, "1.3 M"}, {16'040'000, "16 M"}};
  for (const Case& c : cases) EXPECT_EQ(RoundedCount(c.count), c.text) << c.count;
}

// The cost model's crossover on square solid blocks, as the benchmark
// measured it: the profile solver up to about 150 x 150 cells, the sparse
// one from 200 x 200 on.
TEST(SolverChoice, CrossesOverBetweenTheMeasuredSizes) {
  auto choose = [](double cells) {
    const double side = cells + 1, nodes = side * side;
    // A row reaches back across one line of nodes.
    const ProfileWork profile{nodes, nodes * (side + 1), nodes * side * (side + 1) / 2};
    const SparseWork sparse{nodes, NestedDissectionFlops(nodes, side)};
    return ChooseSolver({nodes, PredictedProfileSeconds(profile), PredictedSparseSeconds(sparse)})
        .solver;
  };
  for (double cells : {10, 100, 150}) EXPECT_EQ(choose(cells), SolverKind::kProfile) << cells;
  for (double cells : {200, 300, 400, 1000, 2000}) EXPECT_EQ(choose(cells), SolverKind::kSparse) << cells;
}


// The estimate of nested dissection's work is within a factor of two of
// CHOLMOD's own count for the shapes details have: a block, a strip, an L
// and a ring.
TEST(SolverChoice, EstimatesTheSparseFactorisationsWork) {
  if (const std::string missing = CholmodMissing(); !missing.empty()) GTEST_SKIP() << missing;
  struct Case {
    const char* name;
    ModelSketch sketch;
  } cases[] = {
      {"block", BlockSketch(150, 140, [](int, int) { return true; })},
      {"strip", BlockSketch(600, 20, [](int, int) { return true; })},
      {"L", BlockSketch(140, 150, [](int c, int r) { return c < 25 || r >= 125; })},
      {"ring", BlockSketch(140, 150, [](int c, int r) { return c < 20 || c >= 120 || r < 20 || r >= 130; })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun run(c.sketch, SolverOptions{SolverKind::kSparse, 1});
    run.RunThrough(BuildSparseSystem);
    const double flops = run.s.Factors->Size().flops;
    const double estimate = SparseWorkOf(run.s).flops;
    EXPECT_GT(estimate, 0.5 * flops);
    EXPECT_LT(estimate, 2.0 * flops);
  }
}

// The profile's work as its set-up finds it: a row reaching back w columns
// has w + 1 entries and about w (w + 1) / 2 terms.
TEST(SolverChoice, MeasuresTheProfileFromTheMesh) {
  TestRun run(BlockSketch(30, 4, [](int, int) { return true; }));
  run.RunThrough(CheckEveryPartIsDetermined);
  const ProfileWork work = ProfileWorkOf(run.s);
  run.RunThrough(BuildProfile);
  EXPECT_EQ(work.nodes, 31 * 5);
  EXPECT_EQ(work.length, static_cast<double>(run.s.ProfileLength));
  // Numbered along columns of 5 nodes: after the first column a row reaches
  // back 5 or 6 nodes.
  EXPECT_GT(work.terms, 30 * 5 * 15);
  EXPECT_LT(work.terms, 30 * 5 * 21 + 15);
}

// Auto on a small model is the profile solver, to the bit, and says why; on
// a large one the sparse solver, to rounding.
TEST(SolverChoice, AutoSolvesAsTheSolverItChose) {
  const ModelSketch small = BlockSketch(40, 30, [](int c, int r) { return c < 30 || r < 10; });
  std::vector<double> exact, chosen;
  std::string reason;
  const char* solver = "";
  ASSERT_EQ(SolveAndInspect(small, [&](const SolvedField& f) {
              exact.assign(f.temperature.begin(), f.temperature.end());
            }), "");
  ASSERT_EQ(SolveAndInspect(small, [&](const SolvedField& f) {
              chosen.assign(f.temperature.begin(), f.temperature.end());
              reason = f.solver_reason;
              solver = f.solver;
            }, SolverOptions{SolverKind::kAuto, 0}), "");
  EXPECT_STREQ(solver, "profile");
  EXPECT_EQ(reason.rfind("auto: profile, 1.1 k nodes, predicted faster: profile ", 0), 0u) << reason;
  ASSERT_EQ(exact.size(), chosen.size());
  EXPECT_EQ(std::memcmp(exact.data(), chosen.data(), exact.size() * sizeof(double)), 0);
  // Asked for, a solver gives no reason.
  SolveAndInspect(small, [&](const SolvedField& f) { reason = f.solver_reason; });
  EXPECT_EQ(reason, "");
}

TEST(SolverChoice, AutoTakesTheSparseSolverForALargeModel) {
  if (const std::string missing = CholmodMissing(); !missing.empty()) GTEST_SKIP() << missing;
  TestRun run(BlockSketch(600, 600, [](int, int) { return true; }), SolverOptions{SolverKind::kAuto, 0});
  run.RunThrough(CheckEveryPartIsDetermined);
  ChooseSolverForMesh(run.s);
  EXPECT_EQ(run.s.solver, SolverKind::kSparse);
  EXPECT_EQ(run.s.SolverReason.rfind("auto: sparse, 361 k nodes, predicted faster", 0), 0u)
      << run.s.SolverReason;
  // The profile's starts, needed only for the choice, are given back.
  EXPECT_TRUE(run.s.ProfileStart.empty());
}

}  // namespace
}  // namespace kelvane::testing
