#include "picture/colour_map.h"

#include <array>
#include <cmath>

namespace kelvane {
namespace {

// Eleven evenly spaced samples of a perceptually uniform violet-blue-green-
// yellow ramp.
constexpr std::array<Rgb, 11> kAnchors = {{
    {0x44, 0x01, 0x54},
    {0x48, 0x24, 0x75},
    {0x41, 0x44, 0x87},
    {0x35, 0x5f, 0x8d},
    {0x2a, 0x78, 0x8e},
    {0x21, 0x91, 0x8c},
    {0x22, 0xa8, 0x84},
    {0x44, 0xbf, 0x70},
    {0x7a, 0xd1, 0x51},
    {0xbd, 0xdf, 0x26},
    {0xfd, 0xe7, 0x25},
}};

std::uint8_t Mix(std::uint8_t a, std::uint8_t b, double f) {
  const double v = a + (b - a) * f;
  return static_cast<std::uint8_t>(std::lround(v));
}

}  // namespace

std::span<const Rgb> ColourMapAnchors() { return kAnchors; }

Rgb ColourMapAt(double t) {
  if (!(t > 0)) return kAnchors.front();
  if (t >= 1) return kAnchors.back();
  const double position = t * (kAnchors.size() - 1);
  const std::size_t i = static_cast<std::size_t>(position);
  const double f = position - static_cast<double>(i);
  const Rgb& a = kAnchors[i];
  const Rgb& b = kAnchors[i + 1];
  return {Mix(a.r, b.r, f), Mix(a.g, b.g, f), Mix(a.b, b.b, f)};
}

std::string HexColour(Rgb colour) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text = "#000000";
  const std::uint8_t parts[3] = {colour.r, colour.g, colour.b};
  for (int i = 0; i < 3; ++i) {
    text[1 + 2 * i] = kDigits[parts[i] >> 4];
    text[2 + 2 * i] = kDigits[parts[i] & 15];
  }
  return text;
}

}  // namespace kelvane
