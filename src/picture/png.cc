#include "picture/png.h"

#include <cstdlib>
#include <string_view>

#include "picture/deflate.h"

namespace kelvane {
namespace {

void PutUint32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void PutChunk(std::string& out, const char type[4], const std::string& data) {
  PutUint32(out, static_cast<std::uint32_t>(data.size()));
  std::string typed(type, 4);
  typed += data;
  out += typed;
  PutUint32(out, Crc32(typed));
}

// Filter type and filtered bytes of one row; the first row has no row above.
void FilterRow(const std::uint8_t* row, const std::uint8_t* above, int width, std::string& out) {
  long sum_none = 0, sum_sub = 0, sum_up = 0;
  auto cost = [](int difference) { return std::abs(static_cast<signed char>(difference)); };
  for (int x = 0; x < width; ++x) {
    sum_none += cost(row[x]);
    sum_sub += cost(row[x] - (x > 0 ? row[x - 1] : 0));
    sum_up += cost(row[x] - (above ? above[x] : 0));
  }
  int filter = 0;
  if (sum_sub < sum_none) filter = 1;
  if (sum_up < (filter == 1 ? sum_sub : sum_none)) filter = 2;
  out.push_back(static_cast<char>(filter));
  for (int x = 0; x < width; ++x) {
    int value = row[x];
    if (filter == 1) value -= x > 0 ? row[x - 1] : 0;
    if (filter == 2) value -= above ? above[x] : 0;
    out.push_back(static_cast<char>(value & 0xFF));
  }
}

}  // namespace

std::string EncodePng(const PaletteImage& image) {
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutUint32(header, static_cast<std::uint32_t>(image.width));
  PutUint32(header, static_cast<std::uint32_t>(image.height));
  header += std::string("\x08\x03\x00\x00\x00", 5);  // 8 bits, palette, deflate, no interlace
  PutChunk(png, "IHDR", header);
  std::string palette;
  for (const Rgb& c : image.palette) {
    palette.push_back(static_cast<char>(c.r));
    palette.push_back(static_cast<char>(c.g));
    palette.push_back(static_cast<char>(c.b));
  }
  PutChunk(png, "PLTE", palette);
  std::string filtered;
  filtered.reserve(static_cast<std::size_t>(image.width + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = image.indices.data() + static_cast<std::size_t>(y) * image.width;
    FilterRow(row, y > 0 ? row - image.width : nullptr, image.width, filtered);
  }
  PutChunk(png, "IDAT", ZlibCompress(filtered));
  PutChunk(png, "IEND", "");
  return png;
}

std::string Base64(const std::string& bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const std::uint32_t v = (static_cast<std::uint8_t>(bytes[i]) << 16) |
                            (static_cast<std::uint8_t>(bytes[i + 1]) << 8) |
                            static_cast<std::uint8_t>(bytes[i + 2]);
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  if (i < bytes.size()) {
    std::uint32_t v = static_cast<std::uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

}  // namespace kelvane
