// The PNG file of the raster layer and its base64 text, read back.

#include <gtest/gtest.h>

#include <random>

#include "picture/png.h"
#include "platform/base64.h"
#include "picture/png_reader.h"

namespace kelvane::testing {
namespace {

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
