// The right-hand side of the global system: what the convection edges and
// the fixed temperatures put on the load F. Both solvers' phases form their
// loads here, and so does a Solution when it solves for other ambients and
// fixed temperatures on its factors, so that each is the same arithmetic in
// the same order, to the bit.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace kelvane {

// A fixed node's equation in the assembled system (conduction and convection
// terms, before the fixed temperatures are eliminated): its couplings
// K(p, c) with every node c it shares an element or edge with, p included.
// Couplings that are exactly zero are left out; each c appears once.
struct AssembledRow {
  std::int32_t node = 0;
  std::vector<std::pair<std::int32_t, double>> couplings;
};

// The convection edges, 1..count: their end nodes, h and condition.
struct EdgeLists {
  std::int32_t count = 0;
  std::span<const std::int32_t> node1;
  std::span<const std::int32_t> node2;
  std::span<const double> coefficient;
  std::span<const std::int32_t> condition;
};

// The length of the edge from node a to node b, metres, from the nodes'
// coordinates x and y: sqrt(dx^2 + dy^2).
double EdgeLength(const double* x, const double* y, std::int32_t a, std::int32_t b);

// Adds each edge's load to F[1..], edge after edge: with L its length, h its
// coefficient and T the ambient of its condition (`ambient`, entry v for
// condition v), F(a) += (T h L) / 2 and F(b) += (T h L) / 2. This is the
// load of the consistent line element, whose matrix is (h L / 6) [[2, 1],
// [1, 2]].
void AddConvectionLoad(const EdgeLists& edges, const double* x, const double* y,
                       std::span<const double> ambient, double* F);

// Moves the known temperatures of the fixed nodes into the load: fixed node
// after fixed node (i = 1..), F(c) -= K(p, c) T(p) for every coupling of its
// row with a node c that is not fixed (`fixed`, per node); then F(p) = T(p)
// for each. `temperature` holds T of fixed node i at entry i, as `rows`
// holds its row.
void EliminateFixedTemperatures(std::span<const AssembledRow> rows,
                                std::span<const double> temperature,
                                std::span<const char> fixed, double* F);

}  // namespace kelvane
