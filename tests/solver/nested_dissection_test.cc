// The nested-dissection order: every equation once, each half before its
// separator, and on a grid no more fill and work than AMD.

#include "solver/nested_dissection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "solver/solver_test_util.h"
#include "solver/sparse_factor.h"

namespace kelvane {
namespace {

// A grid whose points hold equations where `holds` says, numbered row by row.
template <typename Holds>
GridEquations Grid(std::int32_t columns, std::int32_t rows, Holds holds) {
  GridEquations g{columns, rows, {}};
  std::int32_t next = 0;
  for (std::int32_t j = 0; j < rows; ++j) {
    for (std::int32_t k = 0; k < columns; ++k) g.equation.push_back(holds(k, j) ? next++ : -1);
  }
  return g;
}

GridEquations Solid(std::int32_t columns, std::int32_t rows) {
  return Grid(columns, rows, [](std::int32_t, std::int32_t) { return true; });
}

TEST(NestedDissection, EveryEquationOnce) {
  std::mt19937 rng(3);
  struct Case {
    const char* name;
    GridEquations grid;
  } cases[] = {
      {"one point", Solid(1, 1)},
      {"a row", Solid(50, 1)},
      {"a column", Solid(1, 50)},
      {"small", Solid(7, 5)},
      {"wide", Solid(90, 13)},
      {"empty", Grid(6, 6, [](std::int32_t, std::int32_t) { return false; })},
      {"ring", Grid(40, 30, [](std::int32_t k, std::int32_t j) {
         return k < 3 || j < 3 || k > 36 || j > 26;
       })},
      {"scattered", Grid(33, 47, [&](std::int32_t, std::int32_t) { return rng() % 3 != 0; })},
  };
  for (const Case& c : cases) {
    std::vector<std::int64_t> order = NestedDissectionOrder(c.grid);
    const std::int64_t count = std::count_if(c.grid.equation.begin(), c.grid.equation.end(),
                                             [](std::int32_t e) { return e >= 0; });
    ASSERT_EQ(static_cast<std::int64_t>(order.size()), count) << c.name;
    std::sort(order.begin(), order.end());
    for (std::int64_t i = 0; i < count; ++i) ASSERT_EQ(order[i], i) << c.name;
  }
}

// The first cut of a grid: both halves, each whole, then the line between.
TEST(NestedDissection, HalvesBeforeTheirSeparator) {
  struct Case {
    std::int32_t columns, rows;
    bool across_columns;  // The separator is a column of points.
  } cases[] = {{41, 20, true}, {20, 41, false}, {30, 30, true}, {9, 2, true}};
  for (const Case& c : cases) {
    const GridEquations g = Solid(c.columns, c.rows);
    const std::vector<std::int64_t> order = NestedDissectionOrder(g);
    std::vector<std::int64_t> position(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) position[order[i]] = static_cast<std::int64_t>(i);
    const std::int32_t middle = ((c.across_columns ? c.columns : c.rows) - 1) / 2;
    // 0: first half, 1: second half, 2: separator, by point.
    std::int64_t last_of[3] = {-1, -1, -1}, first_of[3] = {INT64_MAX, INT64_MAX, INT64_MAX};
    for (std::int32_t j = 0; j < c.rows; ++j) {
      for (std::int32_t k = 0; k < c.columns; ++k) {
        const std::int32_t along = c.across_columns ? k : j;
        const int part = along < middle ? 0 : along > middle ? 1 : 2;
        last_of[part] = std::max(last_of[part], position[g.At(k, j)]);
        first_of[part] = std::min(first_of[part], position[g.At(k, j)]);
      }
    }
    EXPECT_LT(last_of[0], first_of[1]) << c.columns << " x " << c.rows;
    EXPECT_LT(last_of[1], first_of[2]) << c.columns << " x " << c.rows;
    EXPECT_EQ(last_of[2], static_cast<std::int64_t>(order.size()) - 1);
  }
}

TEST(NestedDissection, NoMoreFillOrWorkThanAmdOnAGrid) {
  for (int n : {40, 90}) {
    testing::ModelSketch sketch{{1.5}, {{20, 7.7}, {-10, 25}}, {}, {}, {}, {}};
    sketch.widths.assign(n, 10);
    sketch.heights.assign(n, 10);
    for (int j = 0; j < n + 2; ++j) {
      std::string row;
      for (int k = 0; k < n + 2; ++k) {
        row += std::string(k ? " " : "") + (k == 0 ? "B2" : k == n + 1 ? "B1" : j == 0 || j == n + 1 ? "." : "A1");
      }
      sketch.rows.push_back(row);
    }
    testing::TestRun run(sketch, SolverOptions{SolverKind::kSparse, 1});
    run.RunThrough(BuildSparseSystem);
    const SparseFactorSize nested = run.s.Factors->Size();
    // AMD starting from the nodes' own numbering, as any program would
    // hand the system over.
    const SolverState& s = run.s;
    const SparseSystem natural =
        SparsePattern(s.ElementNodes, s.ElementCount,
                      EquationsInNodeOrder(s.NodeCount, s.FixedNodeList, s.FixedNodeCount),
                      s.FixedNodeList, s.FixedNodeCount);
    const SparseFactorSize amd = SparseFactor(natural, SparseOrdering::kAmd, 1).Size();
    EXPECT_LE(nested.entries, amd.entries) << n;
    EXPECT_LE(nested.flops, amd.flops) << n;
  }
}

}  // namespace
}  // namespace kelvane
