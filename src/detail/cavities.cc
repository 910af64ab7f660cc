#include "detail/cavities.h"

#include <algorithm>
#include <cmath>

namespace kelvane {
namespace {

constexpr double kC1 = 0.025;           // W/(m K)
constexpr double kC2 = 0.73;            // W/(m2 K^(4/3))
constexpr double kSigma = 5.67e-8;      // W/(m2 K4)
constexpr double kNarrow = 0.005;       // m: below this b, convection is C1 / d alone
constexpr double kKelvinOffset = 273.15;

CavityAxis Along(double d, double b, double e1, double e2, const CavityFill& fill,
                 const CavitySettings& settings) {
  CavityAxis axis;
  axis.d = d;
  axis.b = b;
  axis.h_a = kC1 / d;
  if (b >= kNarrow) axis.h_a = std::max(axis.h_a, kC2 * std::cbrt(settings.temperature_difference));
  const double tm = settings.mean_temperature + kKelvinOffset;
  const double e = 1 / (1 / e1 + 1 / e2 - 1);
  const double ratio = d / b;
  const double f = (1 + std::sqrt(1 + ratio * ratio) - ratio) / 2;
  axis.h_r = 4 * kSigma * tm * tm * tm * e * f;
  axis.conductivity = d * (axis.h_a + axis.h_r);
  if (fill.kind == CavityKind::kSlightlyVentilated) axis.conductivity *= 2;
  return axis;
}

}  // namespace

const char* CavityKindName(CavityKind kind) {
  return kind == CavityKind::kUnventilated ? "unventilated" : "slightly ventilated";
}

CavityValues CavityConductivity(double area, double width, double height, const CavityFill& fill,
                                const CavitySettings& settings) {
  const double w = std::sqrt(area * width / height);
  const double t = std::sqrt(area * height / width);
  const std::array<double, 4>& e = fill.emissivity;
  return {Along(w, t, e[0], e[1], fill, settings), Along(t, w, e[2], e[3], fill, settings)};
}

std::vector<CavityRegion> FindCavities(const CavityCells& grid) {
  const std::size_t n = grid.fills.size(), w = grid.columns;
  std::vector<char> seen(n, 0);
  std::vector<CavityRegion> regions;
  std::vector<std::size_t> stack;
  for (std::size_t start = 0; start < n; ++start) {
    if (grid.fills[start] < 0 || seen[start]) continue;
    CavityRegion region{grid.fills[start], {}};
    seen[start] = 1;
    stack.push_back(start);
    while (!stack.empty()) {
      const std::size_t i = stack.back();
      stack.pop_back();
      region.cells.push_back(i);
      const std::size_t c = i % w;
      for (std::size_t j : {c > 0 ? i - 1 : n, c + 1 < w ? i + 1 : n, i >= w ? i - w : n, i + w}) {
        if (j < n && !seen[j] && grid.fills[j] == region.fill) {
          seen[j] = 1;
          stack.push_back(j);
        }
      }
    }
    std::sort(region.cells.begin(), region.cells.end());
    regions.push_back(std::move(region));
  }
  return regions;
}

}  // namespace kelvane
