#include "picture/svg_palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kelvane {
namespace {

constexpr std::array<Rgb, kConditionColours> kConditionPalette = {{
    {0xE6, 0x9F, 0x00},
    {0x56, 0xB4, 0xE9},
    {0xD5, 0x5E, 0x00},
    {0x00, 0x72, 0xB2},
    {0xCC, 0x79, 0xA7},
    {0x00, 0x9E, 0x73},
    {0xF0, 0xE4, 0x42},
    {0x55, 0x55, 0x55},
}};
// Paul Tol's light scheme, the pink, the pale cyan and the grey last: the
// first six stay clear of the pale reds and blues of the rooms and the
// outside.
constexpr std::array<Rgb, 9> kMaterialPalette = {{
    {0xEE, 0xDD, 0x88},
    {0x44, 0xBB, 0x99},
    {0xEE, 0x88, 0x66},
    {0xBB, 0xCC, 0x33},
    {0xAA, 0xAA, 0x00},
    {0x77, 0xAA, 0xDD},
    {0xFF, 0xAA, 0xBB},
    {0x99, 0xDD, 0xFF},
    {0xDD, 0xDD, 0xDD},
}};
// From the coldest to the warmest environment (ColorBrewer's RdBu ends).
constexpr Rgb kCold{0x43, 0x93, 0xC3};
constexpr Rgb kMiddle{0xF2, 0xF2, 0xF2};
constexpr Rgb kWarm{0xD6, 0x60, 0x4D};

constexpr double kTint = 0.10;  // how strongly a convection cell takes its colour

Rgb Tinted(Rgb colour) {
  auto mix = [](int c) { return static_cast<std::uint8_t>(std::lround(255 + (c - 255) * kTint)); };
  return {mix(colour.r), mix(colour.g), mix(colour.b)};
}

Rgb Mix(Rgb a, Rgb b, double t) {
  auto mix = [t](int x, int y) { return static_cast<std::uint8_t>(std::lround(x + (y - x) * t)); };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

}  // namespace

Rgb MaterialColour(int material, std::optional<std::uint32_t> own) {
  if (own) {
    return {static_cast<std::uint8_t>(*own >> 16), static_cast<std::uint8_t>(*own >> 8),
            static_cast<std::uint8_t>(*own)};
  }
  return kMaterialPalette[static_cast<std::size_t>(material - 1) % kMaterialPalette.size()];
}

Rgb AmbientColour(double temperature, double coldest, double warmest) {
  // A third of their strength: a room is a large region, and the materials
  // beside it are what the view is about.
  const Rgb white{255, 255, 255};
  constexpr double kPale = 0.65;
  if (!(warmest > coldest)) return Mix(kWarm, white, kPale);
  const double t = std::clamp((temperature - coldest) / (warmest - coldest), 0.0, 1.0);
  return Mix(t < 0.5 ? Mix(kCold, kMiddle, 2 * t) : Mix(kMiddle, kWarm, 2 * t - 1), white, kPale);
}

Rgb ConditionColour(int condition) {
  return kConditionPalette[static_cast<std::size_t>(condition - 1) % kConditionColours];
}

int ConditionIndex(int condition) { return 1 + (condition - 1) % kConditionColours; }

std::vector<Rgb> FieldPalette() {
  std::vector<Rgb> palette(256, Rgb{255, 255, 255});
  for (int i = 0; i < kConditionColours; ++i) palette[1 + i] = Tinted(kConditionPalette[i]);
  palette[kGreyIndex] = {0xD0, 0xD0, 0xD0};
  for (int q = 0; q < kFieldLevels; ++q) {
    palette[kFirstLevelIndex + q] = ColourMapAt(static_cast<double>(q) / (kFieldLevels - 1));
  }
  return palette;
}

}  // namespace kelvane
