#include "picture/svg_palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace kelvane::testing {
namespace {

int Distance(Rgb a, Rgb b) {
  return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

TEST(MaterialColour, OwnColourFirstThenThePaletteInTurn) {
  EXPECT_EQ(MaterialColour(3, 0xB5523Bu), (Rgb{0xB5, 0x52, 0x3B}));
  EXPECT_EQ(MaterialColour(1, std::nullopt), MaterialColour(10, std::nullopt));
  for (int a = 1; a <= 9; ++a) {
    for (int b = a + 1; b <= 9; ++b) {
      EXPECT_GT(Distance(MaterialColour(a, std::nullopt), MaterialColour(b, std::nullopt)), 20)
          << a << " and " << b;
    }
  }
}

// A room drawn beside the first materials of a file is not taken for one.
TEST(MaterialColour, TheFirstSixStandApartFromEveryRegion) {
  for (int m = 1; m <= 6; ++m) {
    for (double t = -10; t <= 20; t += 0.5) {
      EXPECT_GT(Distance(MaterialColour(m, std::nullopt), AmbientColour(t, -10, 20)), 40)
          << m << " at " << t;
    }
  }
}

TEST(AmbientColour, WarmIsRedColdIsBlue) {
  const Rgb cold = AmbientColour(-10, -10, 20), warm = AmbientColour(20, -10, 20);
  EXPECT_GT(cold.b, cold.r);
  EXPECT_GT(warm.r, warm.b);
  // Outside the range the ends hold; a lone temperature is warm.
  EXPECT_EQ(AmbientColour(-40, -10, 20), cold);
  EXPECT_EQ(AmbientColour(99, -10, 20), warm);
  EXPECT_EQ(AmbientColour(5, 5, 5), warm);
  // A floor at 20 is warm whatever the order of the file's conditions.
  EXPECT_EQ(AmbientColour(20, -5, 20), warm);
}

}  // namespace
}  // namespace kelvane::testing
