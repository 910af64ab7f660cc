// The picture as a reader sees it: rendered by a real browser (headless
// Chromium) to a PNG, whose pixels are compared with the colour bar.

#include <gtest/gtest.h>

#include <cmath>

#include "app/chromium.h"
#include "picture/colour_map.h"
#include "picture/picture_test_util.h"
#include "picture/png_reader.h"
#include "picture/svg.h"

namespace kelvane::testing {
namespace {

// A steel block of 4 x 3 cells of 20 x 10 mm: fixed temperature C1 = 100
// in its top-left cell, C2 = 20 in two cells of the bottom row so that the
// element between them has 20 at all four corners, and air at -50 above
// and on the right.
const char kBlock[] =
    "\"Browser check\"\n1\nSteel,50\n1\n-50,50\n2\n100\n20\n4,3\n20,20,20,20\n10,10,10\n"
    ",B1,B1,B1,B1,\n"
    ",C1,A1,A1,A1,B1\n"
    ",A1,A1,A1,A1,B1\n"
    ",C2,A1,C2,A1,B1\n"
    ",,,,,\n";

// Renders `svg` at its own size and reads the screenshot back.
DecodedImage Render(const std::string& chromium, const TemporaryFolder& folder,
                    const std::string& name, const SvgPicture& picture) {
  const std::string svg_path = folder / (name + ".svg");
  const std::string png_path = folder / (name + ".png");
  WriteFile(svg_path, picture.text);
  const std::string size = std::to_string(static_cast<int>(picture.layout.width)) + "," +
                           std::to_string(static_cast<int>(picture.layout.height));
  Outcome o = RunChromium(chromium, folder, svg_path,
                          {"--hide-scrollbars", "--force-device-scale-factor=1",
                           "--force-color-profile=srgb", "--screenshot=" + png_path,
                           "--window-size=" + size});
  EXPECT_EQ(o.status, 0) << o.err;
  return DecodePng(ReadFile(png_path));
}

Rgb PixelAt(const DecodedImage& image, double x, double y) {
  const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
  EXPECT_TRUE(px >= 0 && py >= 0 && px < image.width && py < image.height) << x << "," << y;
  return {image.At(px, py, 0), image.At(px, py, 1), image.At(px, py, 2)};
}

void ExpectNear(Rgb got, Rgb want, int tolerance, const std::string& what) {
  EXPECT_NEAR(got.r, want.r, tolerance) << what << ": " << HexColour(got) << " vs " << HexColour(want);
  EXPECT_NEAR(got.g, want.g, tolerance) << what << ": " << HexColour(got) << " vs " << HexColour(want);
  EXPECT_NEAR(got.b, want.b, tolerance) << what << ": " << HexColour(got) << " vs " << HexColour(want);
}

TEST(SvgInBrowser, FixedTemperatureCellsHaveTheBarsColourOfTheirTemperature) {
  const std::string chromium = FindChromium();
  if (chromium.empty()) {
    GTEST_SKIP() << "chromium is not installed (apt-get install chromium); "
                    "the picture is not checked in a browser";
  }
  PictureRun block(kBlock);
  TemporaryFolder folder;
  for (SvgOptions::Fill fill : {SvgOptions::Fill::kVector, SvgOptions::Fill::kRaster}) {
    const bool raster = fill == SvgOptions::Fill::kRaster;
    SCOPED_TRACE(raster ? "raster" : "vector");
    SvgOptions options;
    options.fill = fill;
    const SvgPicture picture = block.Svg(options);
    const SvgLayout& l = picture.layout;
    ASSERT_EQ(l.raster, raster);
    const DecodedImage image = Render(chromium, folder, raster ? "raster" : "vector", picture);
    ASSERT_EQ(image.width, static_cast<int>(l.width));
    ASSERT_EQ(image.height, static_cast<int>(l.height));
    ASSERT_LT(l.bar_minimum, 20);
    ASSERT_EQ(l.bar_maximum, 100);

    ExpectNear(PixelAt(image, 2, 2), {255, 255, 255}, 0, "page");
    auto model_pixel = [&](double x_mm, double y_mm) {
      return PixelAt(image, l.origin_x + l.scale * x_mm, l.origin_y + l.scale * y_mm);
    };
    auto bar_pixel = [&](double t) {
      const double f = (t - l.bar_minimum) / (l.bar_maximum - l.bar_minimum);
      // Clear of the bar's outline at its ends.
      const double y = std::clamp(l.bar_y + l.bar_height * (1 - f), l.bar_y + 2,
                                  l.bar_y + l.bar_height - 2);
      return PixelAt(image, l.bar_x + l.bar_width / 2, y);
    };
    auto expected = [&](double t) {
      return ColourMapAt((t - l.bar_minimum) / (l.bar_maximum - l.bar_minimum));
    };
    // The C1 cell (100) and the element held at 20 by the C2 cells: their
    // centres, and points off centre inside them.
    const struct {
      double x, y, t;
      const char* what;
    } points[] = {
        {10, 5, 100, "C1 cell centre"},  {4, 2, 100, "C1 cell, off centre"},
        {50, 25, 20, "element at 20"},   {44, 28, 20, "element at 20, off centre"},
        {10, 25, 20, "C2 cell centre"},
    };
    for (const auto& p : points) {
      ExpectNear(model_pixel(p.x, p.y), bar_pixel(p.t), 6, std::string(p.what) + " vs bar");
      ExpectNear(model_pixel(p.x, p.y), expected(p.t), 3, std::string(p.what) + " vs map");
    }
    // The bar itself follows the map from end to end.
    for (double f : {0.0, 0.25, 0.5, 0.75, 1.0}) {
      const double t = l.bar_minimum + f * (l.bar_maximum - l.bar_minimum);
      ExpectNear(bar_pixel(t), expected(t), 6, "bar at " + std::to_string(f));
    }
  }
}

}  // namespace
}  // namespace kelvane::testing
