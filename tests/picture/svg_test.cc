#include "picture/svg.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <random>

#include "app/process.h"
#include "picture/colour_map.h"
#include "picture/picture_test_util.h"
#include "picture/png_reader.h"
#include "picture/svg_palette.h"
#include "detail/detail_test_util.h"
#include "solver/solver.h"
#include "platform/xml_text.h"
#include "platform/error.h"

namespace kelvane::testing {
namespace {

const char kWorkedExample[] =
    "\"Steel plate, one edge at 100, cooled by air\"\n1\nSteel,50\n1\n20,10\n1\n100\n2,1\n"
    "10,20\n5\nB1,B1,B1,B1\nC1,A1,A1,B1\n,,,\n";

// Whether `text` is valid UTF-8, as nlohmann-json's strict writer sees it.
bool IsUtf8(const std::string& text) {
  try {
    nlohmann::json(text).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

// A light check that a document is well-formed XML: tags nest, attribute
// values are quoted, and text holds no bare "<" or "&".
std::string XmlProblem(const std::string& doc) {
  std::vector<std::string> open;
  std::size_t i = 0;
  while (i < doc.size()) {
    if (doc[i] == '&') {
      const std::size_t end = doc.find(';', i);
      if (end == std::string::npos || end - i > 6) return "bare & at " + std::to_string(i);
      i = end + 1;
      continue;
    }
    if (doc[i] != '<') {
      ++i;
      continue;
    }
    const std::size_t end = doc.find('>', i);
    if (end == std::string::npos) return "unclosed tag at " + std::to_string(i);
    std::string tag = doc.substr(i + 1, end - i - 1);
    i = end + 1;
    if (tag.starts_with("?")) continue;
    std::size_t quotes = 0;
    for (char c : tag) quotes += c == '"' ? 1 : 0;
    if (quotes % 2 != 0 || tag.find('<') != std::string::npos) return "bad tag <" + tag + ">";
    if (tag.starts_with("/")) {
      if (open.empty() || open.back() != tag.substr(1)) return "mismatched </" + tag.substr(1) + ">";
      open.pop_back();
    } else if (!tag.ends_with("/")) {
      open.push_back(tag.substr(0, tag.find_first_of(" \n")));
    }
  }
  return open.empty() ? "" : "unclosed <" + open.back() + ">";
}

TEST(XmlText, EscapesAndRepairsWhatWouldBreakTheDocument) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"},
      {"a<b & \"c\" > 'd'", "a&lt;b &amp; &quot;c&quot; &gt; &apos;d&apos;"},
      {"line\nbreak\ttab\r", "line break tab "},
      {"\x01\x7F", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"m\xC2\xB2 \xE8\xA8\x88\xE7\xAE\x97", "m\xC2\xB2 \xE8\xA8\x88\xE7\xAE\x97"},  // kept
      {"\x8C\x76\x8E\x5A", "\xEF\xBF\xBDv\xEF\xBF\xBDZ"},  // Shift-JIS bytes
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},            // overlong "/"
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
      {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // cut short
      {"\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // U+FFFF
      {"\xF0\x9F\x94\xA5", "\xF0\x9F\x94\xA5"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(XmlText(in), out) << in;
}

TEST(DrawSvgPicture, DrawsTheWorkedExampleAsAWellFormedVectorPicture) {
  PictureRun solved(kWorkedExample);
  SvgPicture picture = solved.Svg();
  const std::string& svg = picture.text;
  EXPECT_EQ(XmlProblem(svg), "");
  EXPECT_TRUE(IsUtf8(svg));
  EXPECT_FALSE(picture.layout.raster);
  EXPECT_NE(svg.find("<title>Steel plate, one edge at 100, cooled by air</title>"), std::string::npos);
  // 98.1 to 100: isotherms every 0.2, from 98.2 to 99.8, each one line.
  EXPECT_EQ(picture.layout.isotherm_count, 9);
  EXPECT_NE(svg.find("<title>98.2</title>"), std::string::npos);
  EXPECT_NE(svg.find("<title>99.8</title>"), std::string::npos);
  EXPECT_NE(svg.find("isotherms every 0.2"), std::string::npos);
  // The one condition's sides, blue as the cold side of the fixed 100, the
  // coldest surface point (the top right corner, 98.0988) and the bar's range.
  EXPECT_NE(svg.find("stroke=\"#56b4e9\""), std::string::npos);
  EXPECT_NE(svg.find("coldest surface point: 98.1"), std::string::npos);
  EXPECT_DOUBLE_EQ(picture.layout.bar_maximum, 100);
  EXPECT_DOUBLE_EQ(picture.layout.bar_minimum, 98.0988354738635);
  // To scale: 30 mm by 5 mm, as wide as the drawing allows.
  EXPECT_DOUBLE_EQ(picture.layout.scale, 880.0 / 30);
  EXPECT_LT(svg.size(), 100000u);
}

TEST(DrawSvgPicture, EscapesATitleOfAnyBytes) {
  std::string input = kWorkedExample;
  input.replace(1, 43, "<b>&\x8C\x76\x8E\x5A");
  PictureRun solved(input);
  const std::string svg = solved.Svg().text;
  EXPECT_EQ(XmlProblem(svg), "");
  EXPECT_TRUE(IsUtf8(svg));
  EXPECT_NE(svg.find("&lt;b&gt;&amp;\xEF\xBF\xBDv"), std::string::npos);
}

// The colour that the raster gives the point (x, y) mm of the model.
Rgb RasterColourAt(const SvgPicture& picture, double x_mm, double y_mm, double width_mm,
                   double height_mm) {
  const std::string& svg = picture.text;
  const std::string marker = "data:image/png;base64,";
  const std::size_t start = svg.find(marker) + marker.size();
  const std::string encoded = svg.substr(start, svg.find('"', start) - start);
  std::string png;
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    return c == '+' ? 62 : 63;
  };
  for (std::size_t i = 0; i + 3 < encoded.size(); i += 4) {
    const std::uint32_t v = (value(encoded[i]) << 18) | (value(encoded[i + 1]) << 12) |
                            ((encoded[i + 2] == '=' ? 0 : value(encoded[i + 2])) << 6) |
                            (encoded[i + 3] == '=' ? 0 : value(encoded[i + 3]));
    png.push_back(static_cast<char>(v >> 16));
    if (encoded[i + 2] != '=') png.push_back(static_cast<char>(v >> 8));
    if (encoded[i + 3] != '=') png.push_back(static_cast<char>(v));
  }
  const DecodedImage image = DecodePng(png);
  const int px = static_cast<int>(x_mm / width_mm * image.width);
  const int py = static_cast<int>(y_mm / height_mm * image.height);
  return {image.At(px, py, 0), image.At(px, py, 1), image.At(px, py, 2)};
}

void ExpectNear(Rgb got, Rgb want, int tolerance) {
  EXPECT_NEAR(got.r, want.r, tolerance) << HexColour(got) << " for " << HexColour(want);
  EXPECT_NEAR(got.g, want.g, tolerance) << HexColour(got) << " for " << HexColour(want);
  EXPECT_NEAR(got.b, want.b, tolerance) << HexColour(got) << " for " << HexColour(want);
}

// A wall from a detail file, 440 x 500 mm, with a probe in the brick.
const char kWallDetail[] = R"(title = "wall"
[grid]
max_cell = 20
[materials]
insulation = 0.04
brick = { lambda = 0.8, colour = "#b5523b" }
[conditions]
inside = { ambient = 20, resistance = 0.13 }
outside = { ambient = -10, h = 25 }
[[shape]]
fill = "outside"
rect = [-50, 0, 0, 500]
[[shape]]
fill = "insulation"
rect = [0, 0, 100, 500]
[[shape]]
fill = "brick"
rect = [100, 0, 340, 500]
[[shape]]
fill = "inside"
rect = [340, 0, 390, 500]
[probes]
"low in the brick" = [200, 50]
"high in the brick" = [200, 450]
)";

SvgPicture DrawDetail(const std::string& text, const SvgOptions& options) {
  const MadeGrid made = MakeFromText(text);
  SvgPicture picture;
  const Solution solution = SolveTemperatureField(made.model, SolverObserver(), SolverOptions());
  picture = DrawSvgPicture(solution.Field(), made.labels, options);
  EXPECT_EQ(XmlProblem(picture.text), "");
  return picture;
}

// Two chambers of one cavity fill are two cavities, each of its own
// conductivities, drawn in the fill's one colour: the view tells air from
// the frame's materials, and the legend gives what was worked out to 4
// digits.
TEST(DrawSvgPicture, TheCavitiesOfOneFillShareItsColour) {
  SvgOptions options;
  options.view = SvgOptions::View::kMaterials;
  options.fill = SvgOptions::Fill::kVector;
  const std::string svg =
      DrawDetail("[grid]\nmax_cell = 2\n[materials]\npvc = { lambda = 0.17, colour = \"#aa3377\" }\n"
                 "air = { cavity = \"unventilated\", colour = \"#66ccee\" }\n[fixed]\nwarm = 20\n"
                 "cold = 0\n[[shape]]\nfill = \"pvc\"\nrect = [0, 0, 40, 20]\n[[shape]]\n"
                 "fill = \"air\"\nrect = [4, 4, 16, 16]\n[[shape]]\nfill = \"air\"\n"
                 "rect = [24, 4, 36, 12]\n[[shape]]\nfill = \"warm\"\nrect = [0, 20, 40, 22]\n"
                 "[[shape]]\nfill = \"cold\"\nrect = [0, -2, 40, 0]\n",
                 options)
          .text;
  EXPECT_NE(svg.find("<path fill=\"#66ccee\" d=\"M"), std::string::npos);
  for (const char* row : {"fill=\"#66ccee\" stroke=\"#303030\" stroke-width=\"0.75\"/><text x=\"984\" "
                          "y=\"120\" font-size=\"11\" dominant-baseline=\"central\">air 1: \xCE\xBB 0.06074 "
                          "W/(m K)",
                          "fill=\"#66ccee\" stroke=\"#303030\" stroke-width=\"0.75\"/><text x=\"984\" "
                          "y=\"138\" font-size=\"11\" dominant-baseline=\"central\">air 2: \xCE\xBB x 0.05793, "
                          "y 0.05087 W/(m K)"}) {
    EXPECT_NE(svg.find(row), std::string::npos) << row;
  }
}

// A [picture] window draws its part of the model at a larger scale, clipped,
// with the markers inside it only; the scale bar and legend stay.
TEST(DrawSvgPicture, AWindowDrawsItsPartOfTheModel) {
  const SvgPicture whole = DrawDetail(kWallDetail, {});
  const SvgPicture part =
      DrawDetail(std::string(kWallDetail) + "[picture]\nwindow = [50, 0, 250, 200]\n", {});
  EXPECT_EQ(whole.text.find("clip-path"), std::string::npos);
  EXPECT_NE(part.text.find("<g clip-path=\"url(#window)\">"), std::string::npos);
  // 200 mm high instead of 500: the scale grows by 2.5, and the model's
  // corner lies left of and above the window's.
  EXPECT_NEAR(part.layout.scale, whole.layout.scale * 2.5, 1e-9);
  EXPECT_NEAR(part.layout.origin_x, whole.layout.origin_x - part.layout.scale * 100, 1e-9);
  EXPECT_NEAR(part.layout.origin_y, whole.layout.origin_y - part.layout.scale * 300, 1e-9);
  EXPECT_NE(whole.text.find(">high in the brick</text>"), std::string::npos);
  EXPECT_NE(part.text.find(">low in the brick</text>"), std::string::npos);
  EXPECT_EQ(part.text.find(">high in the brick</text>"), std::string::npos);
  EXPECT_NE(part.text.find("shown: 200 \xC3\x97 200 mm of it"), std::string::npos);
  EXPECT_NE(part.text.find(" mm</text>"), std::string::npos);  // The scale bar.
  // A window that misses the model draws the whole model.
  const SvgPicture missed =
      DrawDetail(std::string(kWallDetail) + "[picture]\nwindow = [5000, 0, 6000, 200]\n", {});
  EXPECT_EQ(missed.layout.scale, whole.layout.scale);
}

// The materials view: the file's colour, the palette's, the rooms by their
// ambient, a legend with lambda, no colour bar and no isotherms.
TEST(DrawSvgPicture, TheMaterialsViewColoursEachMaterial) {
  SvgOptions options;
  options.view = SvgOptions::View::kMaterials;
  options.fill = SvgOptions::Fill::kVector;
  options.critical = SvgOptions::Mark{3, 4, "12.50 \xC2\xB0""C", "critical: 12.50"};
  const std::string svg = DrawDetail(kWallDetail, options).text;
  EXPECT_NE(svg.find("<path fill=\"#b5523b\" d=\"M"), std::string::npos);
  EXPECT_NE(svg.find("<path fill=\"" + HexColour(MaterialColour(1, std::nullopt)) + "\" d=\"M"),
            std::string::npos);
  EXPECT_NE(svg.find("<path fill=\"" + HexColour(AmbientColour(20, -10, 20)) + "\" d=\"M"),
            std::string::npos);
  EXPECT_NE(svg.find("<path fill=\"" + HexColour(AmbientColour(-10, -10, 20)) + "\" d=\"M"),
            std::string::npos);
  for (const char* text : {">Materials</text>", ">insulation: \xCE\xBB 0.04 W/(m K)</text>",
                           ">brick: \xCE\xBB 0.8 W/(m K)</text>", ">critical: 12.50</text>",
                           ">12.50 \xC2\xB0""C</text>"}) {
    EXPECT_NE(svg.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(svg.find("id=\"bar\""), std::string::npos);
  EXPECT_EQ(svg.find("id=\"isotherms\""), std::string::npos);
  // The temperature view names the conditions with R or h as the file did.
  const std::string field = DrawDetail(kWallDetail, {}).text;
  EXPECT_NE(field.find("inside: ambient 20 \xC2\xB0""C, R 0.13 m\xC2\xB2 K/W"), std::string::npos);
  EXPECT_NE(field.find("outside: ambient -10 \xC2\xB0""C, h 25 W/(m\xC2\xB2 K)"), std::string::npos);
  // Its sides by their ambient, whatever their order in the file: the cold
  // outside, first here, blue; the warm room orange.
  std::string swapped = kWallDetail;
  const std::string inside = "inside = { ambient = 20, resistance = 0.13 }\n";
  swapped.erase(swapped.find(inside), inside.size());
  swapped.insert(swapped.find("[[shape]]"), inside);
  const std::string sides = DrawDetail(swapped, {}).text;
  const std::size_t blue = sides.find("<path fill=\"none\" stroke=\"#56b4e9\" stroke-width");
  const std::size_t orange = sides.find("<path fill=\"none\" stroke=\"#e69f00\" stroke-width");
  ASSERT_NE(blue, std::string::npos);
  ASSERT_NE(orange, std::string::npos);
  EXPECT_LT(blue, orange);  // Condition 1, the outside, is drawn first.
}

TEST(DrawSvgPicture, RasterHoldsTheBilinearFieldInTheBarsColours) {
  // T = x on a 100 mm wall: at x mm the raster shows the bar's colour of x.
  PictureRun wall(WallInput({{30, 1}, {30, 1}, {40, 1}}, {1}, 0, 100, 3));
  SvgOptions options;
  options.fill = SvgOptions::Fill::kRaster;
  SvgPicture picture = wall.Svg(options);
  ASSERT_TRUE(picture.layout.raster);
  EXPECT_EQ(XmlProblem(picture.text), "");
  for (double x : {1.0, 15.0, 29.0, 31.0, 50.0, 77.0, 99.0}) {
    SCOPED_TRACE(x);
    ExpectNear(RasterColourAt(picture, x, 12, 100, 30), ColourMapAt(x / 100), 2);
  }
}

TEST(DrawSvgPicture, DrawsAUniformFieldWithoutIsotherms) {
  // Both ends at 20: one temperature everywhere.
  PictureRun wall(WallInput({{10, 1}, {10, 1}}, {1}, 20, 20));
  SvgPicture picture = wall.Svg();
  EXPECT_EQ(XmlProblem(picture.text), "");
  EXPECT_EQ(picture.layout.isotherm_count, 0);
  EXPECT_LT(picture.layout.bar_minimum, 20);
  EXPECT_GT(picture.layout.bar_maximum, 20);
}

TEST(DrawSvgPicture, StaysAFewMegabytesFromSmallToLargeModels) {
  struct Case {
    int n;
    bool scattered;
    std::size_t limit;
  };
  const Case cases[] = {{3, false, 300000}, {30, false, 400000}, {300, false, 1000000},
                        {1000, false, 3000000}, {400, true, 4000000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.n) + (c.scattered ? " scattered" : ""));
    SvgPicture picture = SyntheticRun(c.n, c.scattered)->Svg();
    EXPECT_LT(picture.text.size(), c.limit);
    EXPECT_EQ(picture.layout.raster, c.n >= 30);
    EXPECT_EQ(XmlProblem(picture.text), "");
    if (c.scattered) {
      // Too many sides and too uneven a field: left out, and said so.
      EXPECT_NE(picture.text.find("left out: too many to draw"), std::string::npos);
      EXPECT_NE(picture.text.find("isotherms left out"), std::string::npos);
    } else {
      EXPECT_GE(picture.layout.isotherm_count, 8);
    }
  }
}

}  // namespace
}  // namespace kelvane::testing
