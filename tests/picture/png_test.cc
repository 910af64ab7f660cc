// The zlib stream and the PNG file of the raster layer, read back by an
// independent inflate.

#include <gtest/gtest.h>

#include <random>

#include "picture/deflate.h"
#include "picture/png.h"
#include "picture/png_reader.h"

namespace kelvane::testing {
namespace {

TEST(Checksums, MatchTheirPublishedCheckValues) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Crc32("6789", Crc32("12345")), 0xCBF43926u);  // continued
  EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
  EXPECT_EQ(Adler32(""), 1u);
  // Past the point where the sums must wrap modulo 65521.
  EXPECT_EQ(Adler32(std::string(100000, '\xFF')), 0x149A302Cu);
}

std::string Random(std::size_t size, unsigned seed, int alphabet) {
  std::mt19937 engine(seed);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(engine() % alphabet);
  return s;
}

TEST(ZlibCompress, RoundTripsEveryKindOfData) {
  std::string runs;
  for (int i = 0; i < 3000; ++i) runs += std::string(static_cast<std::size_t>(i % 300), static_cast<char>('a' + i % 7));
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"empty", ""},
      {"one byte", "x"},
      {"text", "the quick brown fox jumps over the lazy dog, the quick brown fox"},
      {"incompressible", Random(70000, 1, 256)},  // stored blocks, over 65535
      {"few symbols", Random(200000, 2, 3)},
      {"long runs past the window", runs},
      {"one long run", std::string(1 << 20, '\0')},
  };
  for (const auto& [name, data] : cases) {
    SCOPED_TRACE(name);
    const std::string stream = ZlibCompress(data);
    EXPECT_EQ(ZlibDecompress(stream), data);
    // Never much larger than the data: stored blocks cost 5 bytes a block.
    EXPECT_LE(stream.size(), data.size() + 5 * (data.size() / 65535 + 1) + 6);
  }
  // 258-byte matches at 13 bits each.
  EXPECT_LT(ZlibCompress(std::string(1 << 20, '\0')).size(), 7000u);
}

TEST(EncodePng, DecodesToTheSamePixels) {
  PaletteImage image;
  image.width = 37;
  image.height = 23;
  for (int i = 0; i < 256; ++i) {
    image.palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                             static_cast<std::uint8_t>(i * 7)});
  }
  // A smooth part (Sub and Up filters pay) and a noisy part.
  std::mt19937 engine(3);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.indices.push_back(static_cast<std::uint8_t>(x < 20 ? x + y : engine() % 256));
    }
  }
  const DecodedImage decoded = DecodePng(EncodePng(image));
  ASSERT_EQ(decoded.width, image.width);
  ASSERT_EQ(decoded.height, image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgb& want = image.palette[image.indices[static_cast<std::size_t>(y) * image.width + x]];
      ASSERT_EQ(decoded.At(x, y, 0), want.r) << x << "," << y;
      ASSERT_EQ(decoded.At(x, y, 1), want.g) << x << "," << y;
      ASSERT_EQ(decoded.At(x, y, 2), want.b) << x << "," << y;
    }
  }
}

TEST(Base64, EncodesEveryPaddingCase) {
  EXPECT_EQ(Base64(""), "");
  EXPECT_EQ(Base64("f"), "Zg==");
  EXPECT_EQ(Base64("fo"), "Zm8=");
  EXPECT_EQ(Base64("foo"), "Zm9v");
  EXPECT_EQ(Base64("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Base64(std::string("\xFF\xFE\x00", 3)), "//4A");
}

}  // namespace
}  // namespace kelvane::testing
