#include "detail/cavities.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvane::testing {
namespace {

// A 20 x 10 mm unventilated cavity, emissivity 0.9, dT 10 K, T_m 283.15 K.
// Along x: d = 20 mm, b = 10 mm (the box is its own equivalent rectangle).
// By hand: C1/d = 0.025/0.02 = 1.25 is below C2 dT^(1/3) = 0.73 x 2.15443 =
// 1.57274, so h_a = 1.57274; E = 1/(2/0.9 - 1) = 9/11; F = (1 + sqrt(5) - 2)/2
// = 0.618034 (the golden ratio's inverse); 4 sigma T_m^3 = 4 x 5.67E-08 x
// 283.15^3 = 5.14864; h_r = 5.14864 x 9/11 x 0.618034 = 2.60348; lambda_x =
// 0.02 x (1.57274 + 2.60348) = 0.0835244 W/(m K). Along y d = 10 mm, b = 20:
// h_a = max(2.5, 1.57274) = 2.5, F = (1 + sqrt(1.25) - 0.5)/2 = 0.809017,
// h_r = 3.40800, lambda_y = 0.01 x 5.90800 = 0.0590800 W/(m K).
TEST(Cavities, RectangleOfTwentyByTenMillimetresAgainstItsHandValue) {
  const CavityValues v = CavityConductivity(200e-6, 0.020, 0.010, {}, {});
  EXPECT_DOUBLE_EQ(v.x.d, 0.020);
  EXPECT_DOUBLE_EQ(v.x.b, 0.010);
  EXPECT_NEAR(v.x.h_a, 0.73 * std::cbrt(10.0), 1e-12);
  EXPECT_NEAR(v.x.h_r, 2.603484, 1e-6);
  EXPECT_NEAR(v.x.conductivity, 0.0835244, 1e-7);
  EXPECT_DOUBLE_EQ(v.y.h_a, 2.5);
  EXPECT_NEAR(v.y.h_r, 3.408005, 1e-6);
  EXPECT_NEAR(v.y.conductivity, 0.0590800, 1e-7);
}

TEST(Cavities, WhatEachInputChanges) {
  struct Case {
    const char* what;
    double area, width, height;
    CavityFill fill;
    CavitySettings settings;
    double lambda_x;  // W/(m K), worked out by hand from the formulas
  };
  const CavityFill slightly{CavityKind::kSlightlyVentilated, {0.9, 0.9, 0.9, 0.9}};
  const CavityFill low_left_right{CavityKind::kUnventilated, {0.1, 0.1, 0.9, 0.9}};
  const Case cases[] = {
      {"the hand value", 200e-6, 0.02, 0.01, {}, {}, 0.0835244},
      // Twice the unventilated value.
      {"slightly ventilated", 200e-6, 0.02, 0.01, slightly, {}, 2 * 0.0835244},
      // E = 1/(10 + 10 - 1) = 1/19: h_r = 5.14864 / 19 x 0.618034 = 0.167476.
      {"low emissivity left and right", 200e-6, 0.02, 0.01, low_left_right, {},
       0.02 * (0.73 * std::cbrt(10.0) + 0.167476)},
      // b = 4 mm < 5 mm: h_a = C1/d = 1.25; F = (1 + sqrt(26) - 5)/2 = 0.549510;
      // h_r = 5.14864 x 9/11 x 0.549510 = 2.314824.
      {"narrow across the flow", 80e-6, 0.02, 0.004, {}, {}, 0.02 * (1.25 + 2.314824)},
      // dT = 1: C2 = 0.73 is below C1/d = 1.25, so h_a = 1.25.
      {"small temperature difference", 200e-6, 0.02, 0.01, {}, {1, 10}, 0.02 * (1.25 + 2.603484)},
      // An L of 300 mm2 in a 20 x 20 box: w' = t' = sqrt(300) mm = 17.3205 mm,
      // F = (1 + sqrt(2) - 1)/2 = 0.707107, h_r =
      // 5.14864 x 9/11 x 0.707107 = 2.978706; h_a = 1.57274.
      {"an L keeps its area in a square", 300e-6, 0.02, 0.02, {}, {},
       std::sqrt(300e-6) * (0.73 * std::cbrt(10.0) + 2.978706)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(CavityConductivity(c.area, c.width, c.height, c.fill, c.settings).x.conductivity,
                c.lambda_x, 2e-7);
  }
}

TEST(Cavities, MeanTemperatureEntersAsItsCube) {
  const CavityValues cold = CavityConductivity(200e-6, 0.02, 0.01, {}, {10, -273.15 + 100});
  // At 100 K the radiation is (100 / 283.15)^3 of the standard's.
  EXPECT_NEAR(cold.x.h_r, 2.603484 * std::pow(100 / 283.15, 3), 1e-6);
}

// Rows upward: fills 0 and 1, -1 for none.
CavityCells Cells(std::size_t columns, std::vector<int> fills) { return {columns, std::move(fills)}; }

TEST(Cavities, RegionsAreJoinedBySidesOfOneFill) {
  struct Case {
    const char* what;
    CavityCells grid;
    std::vector<std::vector<std::size_t>> regions;
  };
  const Case cases[] = {
      // An L of two rectangles of one fill is one cavity.
      {"an L of one fill", Cells(3, {0, 0, 0, 0, -1, -1, 0, -1, -1}), {{0, 1, 2, 3, 6}}},
      // Two chambers side by side with different fills are two.
      {"touching chambers, two fills", Cells(4, {0, 0, 1, 1, 0, 0, 1, 1}), {{0, 1, 4, 5}, {2, 3, 6, 7}}},
      // Cells that meet at a corner only are apart.
      {"corners do not join", Cells(2, {0, -1, -1, 0}), {{0}, {3}}},
      // A wall between two parts of one fill keeps them apart.
      {"one fill either side of a wall", Cells(3, {0, -1, 0}), {{0}, {2}}},
      {"no cavity", Cells(2, {-1, -1}), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<CavityRegion> found = FindCavities(c.grid);
    ASSERT_EQ(found.size(), c.regions.size());
    for (std::size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i].cells, c.regions[i]);
  }
}

}  // namespace
}  // namespace kelvane::testing
