// The sparse system's storage on a mesh small enough to write out: which
// equation each node is, the pattern of the free nodes' block and of the
// fixed rows, and where each assembled term lands.

#include "solver/sparse_matrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace kelvane {
namespace {

template <typename Table>
std::vector<std::int64_t> Values(const Table& t) {
  return std::vector<std::int64_t>(t.begin(), t.end());
}

// Two cells side by side, their nodes numbered row by row,
//
//   4 5 6
//   1 2 3
//
// with nodes 3 and 6 held at fixed temperatures (fixed nodes 1 and 2).
struct TwoCells {
  std::vector<std::array<std::int32_t, 5>> elements = {{}, {0, 1, 2, 5, 4}, {0, 2, 3, 6, 5}};
  std::vector<std::int32_t> fixed = {0, 3, 6};
  SparseSystem k = SparsePattern(elements, 2, EquationsInNodeOrder(6, fixed, 2), fixed, 2);
};

TEST(SparseMatrix, EquationsPatternAndFixedRowsOfTwoCells) {
  const TwoCells mesh;
  const SparseSystem& k = mesh.k;
  // Node n is equation[n] (entry 0 unused): the free ones in node order.
  EXPECT_EQ(Values(k.equation), (std::vector<std::int64_t>{0, 0, 1, -1, 2, 3, -2}));
  EXPECT_EQ(k.m, 4);
  // Equations 0..3 are nodes 1, 2, 4 and 5; each column holds the
  // equations at or above it that share a cell with it, its diagonal last.
  EXPECT_EQ(Values(k.column_start), (std::vector<std::int64_t>{0, 1, 3, 6, 10}));
  EXPECT_EQ(Values(k.row), (std::vector<std::int64_t>{0, 0, 1, 0, 1, 2, 0, 1, 2, 3}));
  EXPECT_EQ(k.value, (LargeTable<double>(10, 0.0)));
  // Both fixed nodes meet nodes 2, 3, 5 and 6 through the second cell.
  EXPECT_EQ(k.fixed_start, (std::vector<std::int64_t>{0, 0, 4, 8}));
  EXPECT_EQ(k.fixed_node, (std::vector<std::int32_t>{2, 3, 5, 6, 2, 3, 5, 6}));
  EXPECT_EQ(k.fixed_value, std::vector<double>(8, 0.0));
}

TEST(SparseMatrix, EachTermLandsWhereItsNodesAre) {
  struct Case {
    const char* name;
    std::int32_t r, c;
    std::vector<std::int64_t> value_at;  // Positions in value that get the term.
    std::vector<std::int64_t> fixed_at;  // Positions in fixed_value.
  } cases[] = {
      {"two free nodes, the lower equation first", 5, 2, {7}, {}},
      {"two free nodes, the other way round", 2, 5, {7}, {}},
      {"a free node's diagonal", 4, 4, {5}, {}},
      {"a fixed node and a free one", 3, 5, {}, {2}},
      {"a free node and a fixed one", 5, 3, {}, {2}},
      {"two fixed nodes: both rows", 3, 6, {}, {3, 5}},
      {"a fixed node's diagonal: once", 6, 6, {}, {7}},
  };
  for (const Case& c : cases) {
    TwoCells mesh;
    SparseTarget{mesh.k}.Add(c.r, c.c, 1.5);
    for (std::size_t q = 0; q < mesh.k.value.size(); ++q) {
      const bool expected = std::count(c.value_at.begin(), c.value_at.end(), static_cast<std::int64_t>(q)) > 0;
      EXPECT_EQ(mesh.k.value[q], expected ? 1.5 : 0.0) << c.name << ", value " << q;
    }
    for (std::size_t q = 0; q < mesh.k.fixed_value.size(); ++q) {
      const bool expected = std::count(c.fixed_at.begin(), c.fixed_at.end(), static_cast<std::int64_t>(q)) > 0;
      EXPECT_EQ(mesh.k.fixed_value[q], expected ? 1.5 : 0.0) << c.name << ", fixed value " << q;
    }
  }
}

}  // namespace
}  // namespace kelvane
