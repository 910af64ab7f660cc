// Mesh construction and the convection edges, and the check that every part
// of the mesh has its temperatures determined.

#include <cstdint>
#include <numeric>
#include <string>

#include "platform/error.h"
#include "solver/solver_state.h"

namespace kelvane {
namespace {

// Per-item lists grow with push_back from their unused entry 0, and give
// back what they over-allocated once complete.
template <typename... Lists>
void StartLists(Lists&... lists) {
  (lists.assign(1, {}), ...);
}
template <typename... Lists>
void TrimLists(Lists&... lists) {
  (lists.shrink_to_fit(), ...);
}

}  // namespace

void NumberNodes(SolverState& s) {
  s.NodeCount = 0;
  auto visit = [&](std::int32_t k, std::int32_t j) {
    s.NodeNumber(k, j) = 0;
    if (IsMaterial(s, s.CellCode(k - 1, j - 1)) || IsMaterial(s, s.CellCode(k - 1, j)) ||
        IsMaterial(s, s.CellCode(k, j - 1)) || IsMaterial(s, s.CellCode(k, j))) {
      s.NodeNumber(k, j) = ++s.NodeCount;
    }
  };
  // Nodes are numbered along the shorter grid direction, so that the node
  // numbers of every element lie close together and the profile stays narrow.
  if (s.LastColumn > s.LastRow) {
    for (std::int32_t k = 1; k <= s.LastColumn - 1; ++k) {
      for (std::int32_t j = 1; j <= s.LastRow - 1; ++j) visit(k, j);
    }
  } else {
    for (std::int32_t j = 1; j <= s.LastRow - 1; ++j) {
      for (std::int32_t k = 1; k <= s.LastColumn - 1; ++k) visit(k, j);
    }
  }
  s.NodeX.assign(static_cast<std::size_t>(s.NodeCount) + 1, 0.0);
  s.NodeY.assign(static_cast<std::size_t>(s.NodeCount) + 1, 0.0);
}

void NumberElements(SolverState& s) {
  // A material cell in the outer ring of the code block has no size of its
  // own and would give an element with corners that are no nodes, or edges
  // that no element carries: such cells are left out, with a warning.
  std::int64_t ring_cells = 0;
  std::int32_t first_k = 0, first_j = 0;
  std::int32_t elements = 0;
  for (std::int32_t j = 0; j <= s.LastRow - 1; ++j) {
    for (std::int32_t k = 0; k <= s.LastColumn - 1; ++k) {
      if (!IsMaterial(s, s.CellCode(k, j))) continue;
      if (!InRing(s, k, j)) {
        ++elements;
      } else if (ring_cells++ == 0) {
        first_k = k;
        first_j = j;
      }
    }
  }
  if (ring_cells > 0 && s.observer && s.observer->on_warning) {
    s.observer->on_warning(
        std::to_string(ring_cells) +
        (ring_cells == 1 ? " material cell lies" : " material cells lie") +
        " in the outer ring of the code block, which carries conditions only; left out of "
        "the mesh (the first at " +
        GridPlaceText(CellPlace(first_k, first_j)) + ")");
  }

  s.ElementCount = 0;
  s.ElementNodes.assign(static_cast<std::size_t>(elements) + 1, {});
  s.ElementMaterial.assign(static_cast<std::size_t>(elements) + 1, 0);
  // Elements are numbered column by column, whatever order the nodes took.
  for (std::int32_t k = 1; k <= s.LastColumn - 2; ++k) {
    for (std::int32_t j = 1; j <= s.LastRow - 2; ++j) {
      if (!IsMaterial(s, s.CellCode(k, j))) continue;
      std::int32_t e = ++s.ElementCount;
      s.ElementMaterial[e] = s.CellCode(k, j);
      s.ElementNodes[e] = {0, s.NodeNumber(k, j), s.NodeNumber(k, j + 1),
                           s.NodeNumber(k + 1, j + 1), s.NodeNumber(k + 1, j)};
    }
  }
}

void SetNodeCoordinates(SolverState& s) {
  // y grows upward from the last row line, while row lines count downward.
  for (std::int32_t k = 1; k <= s.LastColumn - 1; ++k) {
    for (std::int32_t j = 1; j <= s.LastRow - 1; ++j) {
      std::int32_t n = s.NodeNumber(k, j);
      if (n <= 0) continue;
      s.NodeX[n] = s.GridX[k];
      s.NodeY[n] = s.GridY[s.LastRow - 1] - s.GridY[j];
    }
  }
}

void CollectFixedNodes(SolverState& s) {
  s.FixedNodeCount = 0;
  StartLists(s.FixedNodeList, s.FixedNodeTemperature, s.FixedNodeIndex);
  const std::int32_t last_fixed = s.model.FixedTemperatureCount();
  for (std::int32_t k = 1; k <= s.LastColumn - 1; ++k) {
    for (std::int32_t j = 1; j <= s.LastRow - 1; ++j) {
      std::int32_t n = s.NodeNumber(k, j);
      std::int32_t index = s.FixedIndex(k, j);
      if (n <= 0 || index <= 0) continue;
      if (index > last_fixed) {
        throw RunError(ErrorKind::kIndexOutOfRange, GridPointPlace(k, j),
                       "the code " + FixedTemperatureCodeAt(s, k, j) +
                           " gives this node fixed temperature " +
                           std::to_string(index) + ", but the model has " +
                           std::to_string(last_fixed) +
                           (last_fixed == 1 ? " fixed temperature" : " fixed temperatures"));
      }
      ++s.FixedNodeCount;
      s.FixedNodeList.push_back(n);
      s.FixedNodeTemperature.push_back(s.model.FixedTemperatureTable[index]);
      s.FixedNodeIndex.push_back(index);
    }
  }
  TrimLists(s.FixedNodeList, s.FixedNodeTemperature, s.FixedNodeIndex);
}

void CollectConvectionEdges(SolverState& s) {
  s.ConvEdgeCount = 0;
  StartLists(s.ConvEdgeNode1, s.ConvEdgeNode2, s.ConvEdgeCoefficient, s.ConvEdgeAmbient,
             s.ConvEdgeCondition);
  // Only the side of an element is an edge: a material cell of the outer
  // ring is no element, and its sides would have ends that share none.
  auto is_element = [&](std::int32_t k, std::int32_t j) {
    return IsMaterial(s, s.CellCode(k, j)) && !InRing(s, k, j);
  };
  auto add = [&](std::int32_t v, std::int32_t k1, std::int32_t j1, std::int32_t k2,
                 std::int32_t j2) {
    ++s.ConvEdgeCount;
    s.ConvEdgeNode1.push_back(s.NodeNumber(k1, j1));
    s.ConvEdgeNode2.push_back(s.NodeNumber(k2, j2));
    s.ConvEdgeCoefficient.push_back(s.model.ConvectionTable[v].HeatTransferCoefficient);
    s.ConvEdgeAmbient.push_back(s.model.ConvectionTable[v].AmbientTemperature);
    s.ConvEdgeCondition.push_back(v);
  };
  for (std::int32_t k = 0; k <= s.LastColumn - 1; ++k) {
    for (std::int32_t j = 0; j <= s.LastRow - 1; ++j) {
      std::int32_t c = s.CellCode(k, j);
      if (c <= s.MaterialCount || c > s.MaterialCount + s.ConvectionCount) continue;
      std::int32_t v = c - s.MaterialCount;
      // Left, right, above, below; each side with its ends in order.
      if (k >= 1 && is_element(k - 1, j)) add(v, k, j, k, j + 1);
      if (is_element(k + 1, j)) add(v, k + 1, j, k + 1, j + 1);
      if (j >= 1 && is_element(k, j - 1)) add(v, k, j, k + 1, j);
      if (is_element(k, j + 1)) add(v, k, j + 1, k + 1, j + 1);
    }
  }
  TrimLists(s.ConvEdgeNode1, s.ConvEdgeNode2, s.ConvEdgeCoefficient, s.ConvEdgeAmbient,
            s.ConvEdgeCondition);
}

void CheckEveryPartIsDetermined(SolverState& s) {
  // Nodes joined through elements form the parts of the mesh; a node in no
  // element is a part of its own. A part without a fixed temperature and
  // without a convection side that exchanges heat floats: its matrix is
  // singular, and the factorisation would end in a zero pivot or in
  // meaningless temperatures.
  const std::int32_t n_count = s.NodeCount;
  std::vector<std::int32_t> parent(static_cast<std::size_t>(n_count) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](std::int32_t n) {
    while (parent[n] != n) {
      parent[n] = parent[parent[n]];
      n = parent[n];
    }
    return n;
  };
  std::vector<char> in_element(static_cast<std::size_t>(n_count) + 1, 0);
  for (std::int32_t e = 1; e <= s.ElementCount; ++e) {
    const auto& corners = s.ElementNodes[e];
    std::int32_t root = find(corners[1]);
    for (int c = 1; c <= 4; ++c) {
      in_element[corners[c]] = 1;
      std::int32_t other = find(corners[c]);
      if (other != root) parent[other] = root;
    }
  }
  std::vector<char> determined(static_cast<std::size_t>(n_count) + 1, 0);
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) determined[find(s.FixedNodeList[i])] = 1;
  for (std::int32_t e = 1; e <= s.ConvEdgeCount; ++e) {
    if (s.ConvEdgeCoefficient[e] != 0) determined[find(s.ConvEdgeNode1[e])] = 1;
  }
  for (std::int32_t n = 1; n <= n_count; ++n) {
    if (determined[find(n)]) continue;
    if (!in_element[n]) {
      throw RunError(ErrorKind::kUndetermined, NodePlace(s, n),
                     "this node belongs to no element (it touches only material cells of the "
                     "outer ring, which are not part of the mesh) and has no fixed temperature");
    }
    throw RunError(ErrorKind::kUndetermined, NodePlace(s, n),
                   "the part of the mesh that holds this point has no fixed temperature and no "
                   "convection side with a non-zero coefficient");
  }
}

}  // namespace kelvane
