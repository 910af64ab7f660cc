// The colour map of the temperature pictures: a ramp from dark violet
// through blue and green to yellow whose lightness rises steadily, so that
// it reads in grey print and for colour-blind readers, and equal steps of
// temperature look like equal steps of colour.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The ramp's anchor colours, evenly spaced from 0 to 1; between them the
// colour is interpolated linearly in sRGB, as an SVG gradient does.
std::span<const Rgb> ColourMapAnchors();

// The colour at t in [0, 1]; t outside is clamped, NaN gives the low end.
Rgb ColourMapAt(double t);

// "#rrggbb".
std::string HexColour(Rgb colour);

}  // namespace kelvane
