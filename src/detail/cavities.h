// Air cavities of a window or door frame, as EN ISO 10077-2 treats them: each
// unventilated or slightly ventilated cavity is a solid whose conductivity
// along x and along y is worked out from its size. A well-ventilated cavity
// is not one of these: it is drawn as the outside condition.
//
// A cavity is one connected region of cells (sharing a side) that one cavity
// fill paints; FindCavities finds them in a painted grid, and
// CavityConductivity gives the equivalent conductivity of one along an axis.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace kelvane {

enum class CavityKind { kUnventilated, kSlightlyVentilated };

// "unventilated" or "slightly ventilated".
const char* CavityKindName(CavityKind kind);

// What a cavity fill of [materials] gives: its kind and the emissivities of
// the cavity's faces, left, right, bottom and top.
struct CavityFill {
  CavityKind kind = CavityKind::kUnventilated;
  std::array<double, 4> emissivity{0.9, 0.9, 0.9, 0.9};

  friend bool operator==(const CavityFill&, const CavityFill&) = default;
};

// [cavities]: the temperature difference across a cavity (K) and the mean
// temperature (degrees C) that its convection and radiation are taken at.
struct CavitySettings {
  double temperature_difference = 10;
  double mean_temperature = 10;
};

// The equivalent conductivity of a cavity for heat flowing along one axis:
// d the cavity's size along the flow, b across it (m), the convective and
// radiative coefficients h_a, h_r (W/(m2 K)) and lambda = d (h_a + h_r),
// doubled for a slightly ventilated cavity.
struct CavityAxis {
  double d = 0;
  double b = 0;
  double h_a = 0;
  double h_r = 0;
  double conductivity = 0;  // W/(m K)
};

// The cavity's equivalent conductivities: `area` (m2) and its bounding box,
// `width` along x and `height` along y (m), become the rectangle of the same
// area and aspect ratio, w' = sqrt(A w / t), t' = sqrt(A t / w); along x,
// d = w' and b = t', along y the other way round. With C1 = 0.025 W/(m K),
// C2 = 0.73 W/(m2 K^(4/3)), sigma = 5.67E-08 W/(m2 K4):
//   h_a = C1 / d when b < 5 mm, else max(C1 / d, C2 dT^(1/3));
//   h_r = 4 sigma T_m^3 E F, E = 1 / (1/e1 + 1/e2 - 1) of the two faces
//   across the flow (left and right along x, bottom and top along y),
//   F = (1 + sqrt(1 + d^2/b^2) - d/b) / 2.
struct CavityValues {
  CavityAxis x;
  CavityAxis y;
};
CavityValues CavityConductivity(double area, double width, double height, const CavityFill& fill,
                                const CavitySettings& settings);

// A grid of cells, row by row upward: `fills[r * columns + c]` the cavity
// fill (from 0) that paints cell (c, r), or -1 for none.
struct CavityCells {
  std::size_t columns = 0;
  std::vector<int> fills;
};

// One cavity: the fill that paints it, its cells (indices into the grid),
// the first of them lowest and leftmost.
struct CavityRegion {
  int fill = -1;
  std::vector<std::size_t> cells;
};

// The connected regions of cells of one fill, joined by sides, in the order
// their first cells come.
std::vector<CavityRegion> FindCavities(const CavityCells& grid);

}  // namespace kelvane
