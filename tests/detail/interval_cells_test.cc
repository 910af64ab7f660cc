#include "detail/interval_cells.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <random>

namespace kelvane {
namespace {

struct Cut {
  double length;
  CellRule rule;
  std::vector<double> cells;
};

TEST(IntervalCells, CutsIntoTheFewestCells) {
  const Cut cuts[] = {
      {500, {12.5, std::nullopt}, std::vector<double>(40, 12.5)},  // A whole number: no extra cell.
      {1.1, {0.1, std::nullopt}, std::vector<double>(11, 0.1)},
      {10, {3, std::nullopt}, std::vector<double>(4, 2.5)},
      {7, {10, std::nullopt}, {7}},
      // Graded 1, 2, 4 from both ends: the series meets in one middle cell.
      {10, {100, 1, 2}, {1, 2, 4, 2, 1}},
      // The same, capped at 3 in the middle.
      {12, {3, 1, 2}, {1, 2, 3, 3, 2, 1}},
      // Shorter than fine: one cell.
      {0.5, {10, 1, 1.5}, {0.5}},
      // Fine above the limit starts at the limit.
      {6, {2, 5, 1.3}, {2, 2, 2}},
  };
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.length);
    const std::vector<double> cells = CutInterval(c.length, c.rule);
    ASSERT_EQ(cells.size(), c.cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) EXPECT_NEAR(cells[i], c.cells[i], 1e-12);
    EXPECT_EQ(CountCells(c.length, c.rule, 1000), static_cast<std::int64_t>(cells.size()));
  }
}

TEST(IntervalCells, GradedCellsKeepTheirRules) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> length(0.1, 3000), limit(1, 50), fine(0.1, 5),
      growth(1, 2);
  for (int trial = 0; trial < 500; ++trial) {
    const CellRule rule{limit(rng), fine(rng), growth(rng)};
    const double l = length(rng);
    const std::vector<double> cells = CutInterval(l, rule);
    SCOPED_TRACE(std::to_string(l) + " " + std::to_string(rule.limit) + " " +
                 std::to_string(*rule.fine) + " " + std::to_string(rule.growth));
    EXPECT_NEAR(std::accumulate(cells.begin(), cells.end(), 0.0), l, 1e-9 * l);
    EXPECT_LE(cells.front(), *rule.fine * (1 + 1e-12));
    for (std::size_t i = 0; i < cells.size(); ++i) {
      EXPECT_LE(cells[i], rule.limit * (1 + 1e-12));
      EXPECT_EQ(cells[i], cells[cells.size() - 1 - i]);  // Symmetric.
      if (i > 0) {
        const double ratio = cells[i] / cells[i - 1];
        EXPECT_LE(std::max(ratio, 1 / ratio), rule.growth * (1 + 1e-12));
      }
    }
    // One cell fewer would not do: the series is the shortest.
    if (cells.size() > 1) {
      EXPECT_GT(l, 0);
      EXPECT_EQ(CountCells(l, rule, static_cast<std::int64_t>(cells.size()) - 1), std::nullopt);
    }
  }
}

TEST(IntervalCells, RefusesHugeCountsAtOnce) {
  const auto start = std::chrono::steady_clock::now();
  const std::int64_t most = 1 << 28;
  EXPECT_EQ(CountCells(3000, {1e-9, std::nullopt}, most), std::nullopt);
  EXPECT_EQ(CountCells(3000, {1e-300, std::nullopt}, most), std::nullopt);
  EXPECT_EQ(CountCells(3000, {10, 1e-9, 1.00000001}, most), std::nullopt);
  EXPECT_EQ(CountCells(3000, {10, 1e-9, 1}, most), std::nullopt);
  // 1e-300, then 1, then the limit: five cells, found without overflow.
  EXPECT_EQ(CountCells(1e9, {1e9, 1e-300, 1e300}, most), 5);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

}  // namespace
}  // namespace kelvane
