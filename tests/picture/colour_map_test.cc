#include <gtest/gtest.h>

#include <cmath>

#include "picture/colour_map.h"

namespace kelvane {
namespace {

// Relative luminance of an sRGB colour, as grey print renders it.
double Luminance(Rgb c) {
  auto linear = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

TEST(ColourMap, GetsLighterAllTheWaySoItReadsInGrey) {
  // Channels are whole numbers, so neighbours a thousandth apart may dip by
  // a rounding step; a tenth apart, lightness must clearly rise.
  for (int i = 1; i <= 1000; ++i) {
    const double y = Luminance(ColourMapAt(i / 1000.0));
    EXPECT_GE(y, Luminance(ColourMapAt((i - 1) / 1000.0)) - 0.001) << "at " << i / 1000.0;
    if (i >= 100) {
      EXPECT_GT(y, Luminance(ColourMapAt((i - 100) / 1000.0)) + 0.02) << i / 1000.0;
    }
  }
  // Dark violet to bright yellow: a wide range of lightness.
  EXPECT_LT(Luminance(ColourMapAt(0)), 0.05);
  EXPECT_GT(Luminance(ColourMapAt(1)), 0.75);
}

TEST(ColourMap, MatchesItsAnchorsAndClampsOutside) {
  const auto anchors = ColourMapAnchors();
  for (std::size_t i = 0; i < anchors.size(); ++i) {
    EXPECT_EQ(ColourMapAt(static_cast<double>(i) / (anchors.size() - 1)), anchors[i]) << i;
  }
  EXPECT_EQ(ColourMapAt(-3), anchors.front());
  EXPECT_EQ(ColourMapAt(7), anchors.back());
  EXPECT_EQ(ColourMapAt(std::nan("")), anchors.front());
}

TEST(ColourMap, InterpolatesBetweenAnchorsAsAGradientDoes) {
  const auto anchors = ColourMapAnchors();
  const double half_step = 0.5 / (anchors.size() - 1);
  const Rgb mid = ColourMapAt(half_step);
  EXPECT_NEAR(mid.r, (anchors[0].r + anchors[1].r) / 2.0, 0.5);
  EXPECT_NEAR(mid.g, (anchors[0].g + anchors[1].g) / 2.0, 0.5);
  EXPECT_NEAR(mid.b, (anchors[0].b + anchors[1].b) / 2.0, 0.5);
}

TEST(HexColour, WritesSixLowerCaseDigits) {
  EXPECT_EQ(HexColour({0, 0, 0}), "#000000");
  EXPECT_EQ(HexColour({0x44, 0x01, 0xAB}), "#4401ab");
  EXPECT_EQ(HexColour({255, 255, 255}), "#ffffff");
}

}  // namespace
}  // namespace kelvane
