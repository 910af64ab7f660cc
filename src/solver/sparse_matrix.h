// Sparse storage of the global system, for the sparse solver.
//
// The nodes 1..N split into the fixed ones, whose temperatures are given,
// and the free ones. Only the free nodes are unknowns: they are the
// equations 0..m-1 of the system, numbered in the order in which the
// factorisation eliminates them (solver/nested_dissection.h), so that the
// factorisation takes the matrix in the order it is stored.
//
//   equation[n] = e >= 0    node n is free and is equation e,
//   equation[n] = -i        node n is FixedNodeList(i), 1 <= i <= FixedNodeCount.
//
// K is the global matrix as assembled from the elements and the convection
// edges (the matrix of solver/profile.h before the fixed temperatures are
// imposed), written here by equations where both nodes are free.
//
// The free nodes' block, upper triangle, column by column (compressed
// columns, as CHOLMOD takes a symmetric matrix with stype +1):
//
//   column c, 0 <= c < m, holds K(r,c) for the equations r <= c that share
//   an element with c, rows ascending, its diagonal last, at the positions
//   column_start[c] .. column_start[c+1]-1 of row and value:
//
//       row[q] = r,  value[q] = K(r,c),     column_start[c] <= q < column_start[c+1],
//       row[column_start[c+1] - 1] = c      (the diagonal K(c,c)),
//       column_start[0] = 0,
//
//   and K(c,r) = K(r,c). A grid point touches at most four cells, whose
//   corners are at most nine points, so a column holds at most nine
//   entries.
//
// The fixed nodes' rows, complete: fixed node i, p = FixedNodeList(i), has
// K(p,n) for every node n that shares an element with p (p itself
// included), nodes ascending, at the positions
// fixed_start[i] .. fixed_start[i+1]-1 of fixed_node and fixed_value:
//
//       fixed_node[q] = n,  fixed_value[q] = K(p,n).
//
// F(n) = LoadVector[n] for every node n, as in profile storage. Imposing the
// fixed temperatures moves K(p,n) T(p) from F(n) of every free node n and
// sets F(p) = T(p); the free nodes' block is then the whole system, and its
// solution the free nodes' temperatures.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/large_table.h"

namespace kelvane {

// The tables of a large model's system are large tables: taken from the
// heap, their first writes would cost a page fault every 4 KiB.
struct SparseSystem {
  std::int64_t m = 0;  // Equations: the free nodes.
  LargeTable<std::int32_t> equation;  // 1..N
  LargeTable<std::int64_t> column_start;  // 0..m
  LargeTable<std::int64_t> row;
  LargeTable<double> value;
  std::vector<std::int64_t> fixed_start;  // 1..FixedNodeCount+1
  std::vector<std::int32_t> fixed_node;
  std::vector<double> fixed_value;
};

// The system of a mesh whose elements are elements[1..element_count]
// (corners 1..4) and whose fixed nodes are fixed_nodes[1..fixed_count],
// with `equation` as above: the pattern, every value zero.
SparseSystem SparsePattern(std::span<const std::array<std::int32_t, 5>> elements,
                           std::int32_t element_count, LargeTable<std::int32_t> equation,
                           std::span<const std::int32_t> fixed_nodes, std::int32_t fixed_count);

// The equations with the free nodes in the order of their node numbers: the
// system as a general solver would be handed it, for weighing its own
// orders against nested dissection.
LargeTable<std::int32_t> EquationsInNodeOrder(std::int32_t node_count,
                                              std::span<const std::int32_t> fixed_nodes,
                                              std::int32_t fixed_count);

// The bytes SparsePattern takes for a mesh of `node_count` nodes at most,
// while it works and after.
std::uint64_t SparsePatternBytes(std::int64_t node_count);

// Adds assembled terms into sparse storage: Add(r, c, t) is K(r,c) += t for
// nodes r and c, one stored term for the pair as in profile storage. A term
// between a fixed and a free node goes to the fixed node's row, one between
// two fixed nodes to both rows.
struct SparseTarget {
  SparseSystem& k;

  void Add(std::int32_t r, std::int32_t c, double t) {
    const std::int32_t er = k.equation[r];
    const std::int32_t ec = k.equation[c];
    if (er >= 0 && ec >= 0) {
      k.value[Position(er < ec ? er : ec, er < ec ? ec : er)] += t;  /* K(r,c) */
      return;
    }
    if (er < 0) k.fixed_value[FixedPosition(-er, c)] += t;  /* K(p,c), p = r fixed */
    if (ec < 0 && c != r) k.fixed_value[FixedPosition(-ec, r)] += t;  /* K(p,r), p = c fixed */
  }

  // The position of K(r,c), r <= c, in its column.
  std::int64_t Position(std::int64_t r, std::int64_t c) const {
    std::int64_t q = k.column_start[c];
    while (k.row[q] != r) ++q;
    return q;
  }
  // The position of K(p,n) in the row of fixed node i (p = FixedNodeList(i)).
  std::int64_t FixedPosition(std::int32_t i, std::int32_t n) const {
    std::int64_t q = k.fixed_start[i];
    while (k.fixed_node[q] != n) ++q;
    return q;
  }
};

}  // namespace kelvane
