// PNG files read back for tests, by libpng: the raster layer of a picture
// and a browser's screenshot of it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kelvane::testing {

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // 4 bytes per pixel, row by row

  std::uint8_t At(int x, int y, int channel) const {
    return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + channel];
  }
};

// The pixels as 8-bit RGBA, whatever the file's colour type. Throws
// std::runtime_error with libpng's message on a file it cannot read, a bad
// CRC included.
DecodedImage DecodePng(std::string_view file);

}  // namespace kelvane::testing
