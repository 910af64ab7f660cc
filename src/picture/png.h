// PNG images of 8-bit palette indices, for the raster layer of the
// temperature pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture/colour_map.h"

namespace kelvane {

struct PaletteImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> palette;            // at most 256 colours
  std::vector<std::uint8_t> indices;   // width * height, row by row from the top
};

// The bytes of a PNG file (colour type 3, 8 bits) holding `image`. Each row
// takes whichever of the filters None, Sub and Up leaves the smallest
// differences.
std::string EncodePng(const PaletteImage& image);

// Standard base64 with padding, for a data: URI.
std::string Base64(const std::string& bytes);

}  // namespace kelvane
