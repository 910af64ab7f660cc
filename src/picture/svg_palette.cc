#include "picture/svg_palette.h"

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
constexpr double kTint = 0.10;  // how strongly a convection cell takes its colour

Rgb Tinted(Rgb colour) {
  auto mix = [](int c) { return static_cast<std::uint8_t>(std::lround(255 + (c - 255) * kTint)); };
  return {mix(colour.r), mix(colour.g), mix(colour.b)};
}

}  // namespace

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
