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

// The bytes of a PNG file (colour type 3, 8 bits) holding `image`, written
// by libpng; each row filtered with None, Sub or Up, as libpng finds best.
// `image` has 1 to 256 colours and an index for every pixel, so memory is
// all that can run short: then it throws std::bad_alloc.
std::string EncodePng(const PaletteImage& image);

}  // namespace kelvane
