#include "solver/sparse_matrix.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace kelvane {
namespace {

// A node meets at most nine nodes (itself included) through elements.
constexpr int kMaxNeighbours = 9;

// Up to nine distinct entries per list, gathered before they are sorted:
// entry l of list x is slot[x * 9 + l].
struct SlotLists {
  LargeTable<std::int32_t> slot;
  LargeTable<std::uint8_t> count;

  explicit SlotLists(std::int64_t lists)
      : slot(static_cast<std::size_t>(lists) * kMaxNeighbours),
        count(static_cast<std::size_t>(lists), 0) {}

  void Insert(std::int64_t list, std::int32_t value) {
    std::int32_t* first = slot.data() + list * kMaxNeighbours;
    const int used = count[list];
    for (int l = 0; l < used; ++l) {
      if (first[l] == value) return;
    }
    if (used == kMaxNeighbours) throw std::logic_error("a node meets more than nine nodes");
    first[used] = value;
    count[list] = static_cast<std::uint8_t>(used + 1);
  }

  // The lists sorted and packed one after another: start[x] .. start[x+1]-1
  // of out, start[0] = first.
  template <typename Start, typename Value>
  void Pack(std::int64_t first, Start& start, Value& out) {
    const std::int64_t lists = static_cast<std::int64_t>(count.size());
    std::int64_t total = 0;
    for (std::uint8_t c : count) total += c;
    start.assign(static_cast<std::size_t>(first + lists + 1), 0);
    out.resize(static_cast<std::size_t>(total));
    std::int64_t q = 0;
    for (std::int64_t x = 0; x < lists; ++x) {
      std::int32_t* begin = slot.data() + x * kMaxNeighbours;
      std::sort(begin, begin + count[x]);
      start[first + x] = q;
      for (int l = 0; l < count[x]; ++l) out[q++] = begin[l];
    }
    start[first + lists] = q;
  }
};

}  // namespace

SparseSystem SparsePattern(std::span<const std::array<std::int32_t, 5>> elements,
                           std::int32_t element_count, LargeTable<std::int32_t> equation,
                           std::span<const std::int32_t> fixed_nodes, std::int32_t fixed_count) {
  SparseSystem k;
  k.equation = std::move(equation);
  for (std::size_t n = 1; n < k.equation.size(); ++n) k.m += k.equation[n] >= 0;
  const std::int32_t* eq = k.equation.data();
  SlotLists columns(k.m);
  SlotLists fixed(fixed_count);
  for (std::int64_t c = 0; c < k.m; ++c) columns.Insert(c, static_cast<std::int32_t>(c));
  for (std::int32_t i = 1; i <= fixed_count; ++i) fixed.Insert(i - 1, fixed_nodes[i]);
  for (std::int32_t e = 1; e <= element_count; ++e) {
    const auto& node = elements[e];
    for (int a = 1; a <= 4; ++a) {
      for (int b = a + 1; b <= 4; ++b) {
        const std::int32_t x = eq[node[a]];
        const std::int32_t y = eq[node[b]];
        if (x >= 0 && y >= 0) columns.Insert(std::max(x, y), std::min(x, y));
        if (x < 0) fixed.Insert(-x - 1, node[b]);
        if (y < 0) fixed.Insert(-y - 1, node[a]);
      }
    }
  }
  columns.Pack(0, k.column_start, k.row);
  k.value.assign(k.row.size(), 0.0);
  fixed.Pack(1, k.fixed_start, k.fixed_node);
  k.fixed_value.assign(k.fixed_node.size(), 0.0);
  return k;
}

LargeTable<std::int32_t> EquationsInNodeOrder(std::int32_t node_count,
                                              std::span<const std::int32_t> fixed_nodes,
                                              std::int32_t fixed_count) {
  LargeTable<std::int32_t> equation(static_cast<std::size_t>(node_count) + 1, 0);
  for (std::int32_t i = 1; i <= fixed_count; ++i) equation[fixed_nodes[i]] = -i;
  std::int32_t next = 0;
  for (std::int32_t n = 1; n <= node_count; ++n) {
    if (equation[n] >= 0) equation[n] = next++;
  }
  return equation;
}

std::uint64_t SparsePatternBytes(std::int64_t node_count) {
  // Per node: its equation (4), nine slots and a count (37), and at most
  // nine entries of row and value (9 x 16) with a column start (8).
  return static_cast<std::uint64_t>(node_count) * (4 + 37 + 9 * 16 + 8);
}

}  // namespace kelvane
