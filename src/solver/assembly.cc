// The profile of the global matrix and the element conduction matrices.

#include <cstdint>
#include <new>
#include <optional>
#include <string>

#include "platform/error.h"
#include "platform/memory.h"
#include "platform/number_text.h"
#include "solver/profile.h"
#include "solver/solver_state.h"

namespace kelvane {
namespace {

// The cell that element e was made from, found again in the visit order of
// NumberElements (only for messages).
void ElementCell(const SolverState& s, std::int32_t e, std::int32_t* k_out,
                 std::int32_t* j_out) {
  std::int32_t count = 0;
  for (std::int32_t k = 1; k <= s.LastColumn - 2; ++k) {
    for (std::int32_t j = 1; j <= s.LastRow - 2; ++j) {
      if (IsMaterial(s, s.CellCode(k, j)) && ++count == e) {
        *k_out = k;
        *j_out = j;
        return;
      }
    }
  }
}

[[noreturn]] void RefuseElementSize(const SolverState& s, std::int32_t e, double width,
                                    double height) {
  std::int32_t k = 0, j = 0;
  ElementCell(s, e, &k, &j);
  bool bad_width = !(width > 0);
  std::string which = bad_width ? "width" : "height";
  std::string spacing = bad_width ? "column width " + std::to_string(k)
                                  : "row height " + std::to_string(j);
  const double given = bad_width ? s.model.ColumnWidths[k] : s.model.RowHeights[j];
  double size = bad_width ? width : height;
  if (size < 0) {
    throw RunError(ErrorKind::kNegativeSize, CellPlace(k, j),
                   "the material cell has a negative " + which + " (" + spacing + " is " +
                       NumberText(given) + " m)");
  }
  std::string why = given != 0 ? ", too small to move its grid line's coordinate" : "";
  throw RunError(ErrorKind::kDivisionByZero, CellPlace(k, j),
                 "the material cell has zero " + which + " (" + spacing + " is " +
                     NumberText(given) + " m" + why + "), so its element matrix divides by zero");
}

}  // namespace

void RequireNodes(const SolverState& s) {
  if (s.NodeCount == 0) {
    throw RunError(ErrorKind::kNoMaterial, "",
                   "the model has no material cell, so no grid point is a node");
  }
}

void ComputeProfileStarts(SolverState& s) {
  const std::int32_t n = s.NodeCount;
  s.ProfileStart.resize(static_cast<std::size_t>(n) + 1);
  s.ProfileStart[0] = 0;
  for (std::int32_t r = 1; r <= n; ++r) s.ProfileStart[r] = r;
  for (std::int32_t e = 1; e <= s.ElementCount; ++e) {
    const auto& corners = s.ElementNodes[e];
    for (int a = 1; a <= 4; ++a) {
      for (int b = 1; b <= 4; ++b) {
        std::int32_t r = corners[a];
        std::int32_t c = corners[b];
        if (s.ProfileStart[r] > c) s.ProfileStart[r] = c;
      }
    }
  }
}

void BuildProfile(SolverState& s) {
  RequireNodes(s);
  const std::int32_t n = s.NodeCount;
  // ProfileStart(r) is the smallest node sharing an element with r.
  ComputeProfileStarts(s);
  // The rows one after another, each ending with its diagonal.
  s.DiagonalIndex.assign(static_cast<std::size_t>(n) + 1, 0);
  s.DiagonalIndex[1] = 1;
  for (std::int32_t r = 2; r <= n; ++r) {
    s.DiagonalIndex[r] = s.DiagonalIndex[r - 1] + (r - s.ProfileStart[r]) + 1;
  }
  s.ProfileLength = s.DiagonalIndex[n];
  // The cleared matrix and load, once it is known that they fit.
  const std::uint64_t bytes = 8 * (static_cast<std::uint64_t>(s.ProfileLength) + 1) +
                              8 * (static_cast<std::uint64_t>(n) + 1);
  if (std::optional<MemoryRoom> room = ShortOfMemory(bytes)) {
    throw MemoryRefusal("the matrix", bytes, *room, SparseSolverAdvice(s, room->limit));
  }
  try {
    s.ConductanceProfile.assign(static_cast<std::size_t>(s.ProfileLength) + 1, 0.0);
    s.LoadVector.assign(static_cast<std::size_t>(n) + 1, 0.0);
  } catch (const std::bad_alloc&) {
    throw RunError(ErrorKind::kOutOfMemory, "",
                   "the matrix needs " +
                       MemorySizeText(8 * (static_cast<std::uint64_t>(s.ProfileLength) + 1)) +
                       ", more than this machine can give");
  }
}

namespace {

// The derivatives of the four shape functions at the natural point (xi, eta),
// corners 1..4: left top, left bottom, right bottom, right top.
struct NaturalDerivatives {
  double dxi[5];
  double deta[5];
};

NaturalDerivatives ShapeDerivatives(double xi, double eta) {
  NaturalDerivatives n;
  n.dxi[1] = (eta - 1) / 4;
  n.dxi[2] = (1 - eta) / 4;
  n.dxi[3] = (eta + 1) / 4;
  n.dxi[4] = (-1 - eta) / 4;
  n.deta[1] = (xi - 1) / 4;
  n.deta[2] = (-1 - xi) / 4;
  n.deta[3] = (xi + 1) / 4;
  n.deta[4] = (1 - xi) / 4;
  return n;
}

// The shape-function derivatives in x and y at one Gauss point, with the
// Jacobian determinant; det is 0 for an element too small to have an area.
struct PhysicalDerivatives {
  double det;
  double dx[5];
  double dy[5];
};

PhysicalDerivatives ToPhysical(const NaturalDerivatives& n, const double x[5],
                               const double y[5]) {
  // Jacobian: a = dx/dxi, b = dy/dxi, c = dx/deta, d = dy/deta.
  double a = 0, b = 0, c = 0, d = 0;
  for (int i = 1; i <= 4; ++i) a += n.dxi[i] * x[i];
  for (int i = 1; i <= 4; ++i) b += n.dxi[i] * y[i];
  for (int i = 1; i <= 4; ++i) c += n.deta[i] * x[i];
  for (int i = 1; i <= 4; ++i) d += n.deta[i] * y[i];
  PhysicalDerivatives p;
  p.det = a * d - c * b;
  if (p.det == 0) return p;
  const double g11 = d / p.det;
  const double g12 = -b / p.det;
  const double g21 = -c / p.det;
  const double g22 = a / p.det;
  for (int i = 1; i <= 4; ++i) {
    p.dx[i] = 0;
    p.dx[i] += g11 * n.dxi[i];
    p.dx[i] += g12 * n.deta[i];
    p.dy[i] = 0;
    p.dy[i] += g21 * n.dxi[i];
    p.dy[i] += g22 * n.deta[i];
  }
  return p;
}

// Adds one Gauss point's conduction terms: the ten pairs of corners, each
// unordered pair once.
template <typename Target>
void AddGaussPointTerms(Target& k, const std::array<std::int32_t, 5>& node, double kx, double ky,
                        const PhysicalDerivatives& p) {
  double qx[5], qy[5];
  for (int i = 1; i <= 4; ++i) {
    qx[i] = kx * p.dx[i];
    qy[i] = ky * p.dy[i];
  }
  for (int i = 1; i <= 4; ++i) {
    for (int l = i; l <= 4; ++l) {
      k.Add(node[i], node[l], p.det * (qx[l] * p.dx[i] + qy[l] * p.dy[i]));
    }
  }
}

[[noreturn]] void RefuseZeroArea(const SolverState& s, std::int32_t e) {
  std::int32_t k = 0, j = 0;
  ElementCell(s, e, &k, &j);
  throw RunError(ErrorKind::kDivisionByZero, CellPlace(k, j),
                 "the material cell is so small that its area is zero in 64-bit arithmetic");
}

// The element matrices, element after element, into either storage.
template <typename Target>
void AssembleElements(SolverState& s, Target& k) {
  const std::array<double, 3>& g = s.GaussPoint;
  for (std::int32_t e = 1; e <= s.ElementCount; ++e) {
    const auto& node = s.ElementNodes[e];
    const Material& material = s.model.MaterialTable[s.ElementMaterial[e]];
    double x[5], y[5];
    for (int i = 1; i <= 4; ++i) {
      x[i] = s.NodeX[node[i]];
      y[i] = s.NodeY[node[i]];
    }
    // Corner 1 is left top, 2 left bottom, 4 right top.
    if (!(x[4] - x[1] > 0) || !(y[1] - y[2] > 0)) {
      RefuseElementSize(s, e, x[4] - x[1], y[1] - y[2]);
    }
    for (int p = 1; p <= 2; ++p) {
      for (int q = 1; q <= 2; ++q) {
        const PhysicalDerivatives d = ToPhysical(ShapeDerivatives(g[p], g[q]), x, y);
        if (d.det == 0) RefuseZeroArea(s, e);
        AddGaussPointTerms(k, node, material.ConductivityX, material.ConductivityY, d);
      }
    }
  }
}

}  // namespace

void AssembleConduction(SolverState& s) {
  AddIntoSystem(s, [&s](auto& k) { AssembleElements(s, k); });
}

}  // namespace kelvane
