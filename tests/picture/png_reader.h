// A PNG reader for tests: enough of inflate (stored, fixed and dynamic
// Huffman blocks) and of PNG (8-bit grey, RGB, palette, RGBA, all five
// filters, no interlace) to read what the picture writer and a browser's
// screenshot produce.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::testing {

// The data of a zlib stream; throws std::runtime_error on a malformed
// stream or a wrong Adler-32.
std::string ZlibDecompress(std::string_view stream);

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // 4 bytes per pixel, row by row

  std::uint8_t At(int x, int y, int channel) const {
    return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + channel];
  }
};

// Throws std::runtime_error on anything it cannot read, and on a bad CRC.
DecodedImage DecodePng(std::string_view file);

}  // namespace kelvane::testing
