#include "detail/flanking.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "detail/detail_test_util.h"
#include "detail/geometry.h"
#include "platform/error.h"

namespace kelvane::testing {
namespace {

// [psi] comes before the shapes, so that every flanking entry stands at line
// 19, column 3, whatever the drawing.
std::string Detail(const std::string& between, const std::string& entry,
                   const std::string& shapes) {
  return "[grid]\nmax_cell = 10\n[materials]\nrender = 0.87\neps = 0.035\nmasonry = 0.8\n"
         "plaster = 0.7\nideal = 1e5\n[conditions]\noutside = { ambient = -10, resistance = "
         "0.04 }\ninside = { ambient = 20, resistance = 0.13 }\ncavity = { ambient = 5, h = 8 }\n"
         "[fixed]\npipe = 60\ncold = 0\n[psi]\nbetween = " +
         between + "\nflanking = [\n  " + entry + ",\n]\n" + shapes;
}

std::string Drawn(const std::string& fill, const std::string& geometry) {
  return "[[shape]]\nfill = \"" + fill + "\"\n" + geometry + "\n";
}

// A wall from outside (x < 0) to inside (x > 395), 1000 mm high, with the
// air drawn last: render, insulation, masonry, plaster.
const std::string kWall =
    Drawn("render", "rect = [0, 0, 20, 1000]") + Drawn("eps", "rect = [20, 0, 140, 1000]") +
    Drawn("masonry", "rect = [140, 0, 380, 1000]") +
    Drawn("plaster", "rect = [380, 0, 395, 1000]") + Drawn("outside", "rect = [-50, 0, 0, 1000]") +
    Drawn("inside", "rect = [395, 0, 445, 1000]");
const std::string kOutIn = "[\"outside\", \"inside\"]";
// The wall's resistance by hand, outside to inside.
const double kWallU = 1 / (0.04 + 0.02 / 0.87 + 0.12 / 0.035 + 0.24 / 0.8 + 0.015 / 0.7 + 0.13);

std::vector<FlankingElement> Elements(const std::string& text) {
  const DetailFile detail = ParseDetail(text, "d.toml");
  return detail.psi.empty() ? std::vector<FlankingElement>() : FlankingElements(detail, detail.psi[0]);
}

std::string Layers(const FlankingElement& element) {
  std::string text;
  for (const FlankingLayer& layer : element.layers) {
    char thickness[32];
    std::snprintf(thickness, sizeof thickness, "%.12g", layer.thickness);
    text += (text.empty() ? "" : ", ") + layer.material + " " + thickness;
  }
  return text;
}

// For a layered wall crossed whole, U is the one-dimensional value summed
// from the `from` end, to the last bit.
TEST(Flanking, WallCrossedWholeHasTheOneDimensionalU) {
  const auto elements =
      Elements(Detail(kOutIn, "{ from = [-25, 500], to = [420, 500], length = 1000 }", kWall));
  ASSERT_EQ(elements.size(), 1u);
  const FlankingElement& e = elements[0];
  EXPECT_TRUE(e.from_segment);
  EXPECT_EQ(Layers(e), "render 20, eps 120, masonry 240, plaster 15");
  EXPECT_EQ(e.layers[1].conductivity, 0.035);
  EXPECT_EQ(e.resistance_from, 0.04);
  EXPECT_EQ(e.resistance_to, 0.13);
  EXPECT_EQ(e.u, kWallU);
  EXPECT_EQ(e.length, 1000);
  EXPECT_EQ(e.at.line, 19);
  EXPECT_EQ(e.at.column, 3);
}

struct LayerCase {
  const char* name;
  std::string between, entry, shapes;
  const char* layers;
  double u;
};

const LayerCase kLayerCases[] = {
    {"inside to outside", kOutIn, "{ from = [420, 500], to = [-25, 500], length = 1 }", kWall,
     "plaster 15, masonry 240, eps 120, render 20", kWallU},
    // The air is drawn after the wall: its faces belong to the air.
    {"ends on the faces", kOutIn, "{ from = [0, 500], to = [395, 500], length = 1 }", kWall,
     "render 20, eps 120, masonry 240, plaster 15", kWallU},
    // A chord of 2 x 40 mm at 30 mm from the centre.
    {"across a circle", kOutIn, "{ from = [-25, 530], to = [420, 530], length = 1 }",
     kWall + Drawn("plaster", "circle = [260, 500, 50]"),
     "render 20, eps 120, masonry 80, plaster 80, masonry 80, plaster 15",
     1 / (0.04 + 0.02 / 0.87 + 0.12 / 0.035 + 0.08 / 0.8 + 0.08 / 0.7 + 0.08 / 0.8 +
          0.015 / 0.7 + 0.13)},
    // The sloped side reaches x = 203 - 63 * 500 / 700 = 158 at y = 500;
    // the wedge and the insulation before it are one layer.
    {"across a sloped side", kOutIn, "{ from = [-25, 500], to = [420, 500], length = 1 }",
     kWall + Drawn("eps", "polygon = [[140, 0], [203, 0], [140, 700]]"),
     "render 20, eps 138, masonry 222, plaster 15",
     1 / (0.04 + 0.02 / 0.87 + 0.138 / 0.035 + 0.222 / 0.8 + 0.015 / 0.7 + 0.13)},
    // Later shapes cover earlier ones: masonry over the insulation's inner
    // part, insulation again over the masonry.
    {"overlapping shapes", kOutIn, "{ from = [-25, 500], to = [420, 500], length = 1 }",
     kWall + Drawn("masonry", "rect = [100, 400, 200, 600]") +
         Drawn("eps", "rect = [150, 450, 160, 550]"),
     "render 20, eps 80, masonry 50, eps 10, masonry 220, plaster 15",
     1 / (0.04 + 0.02 / 0.87 + 0.08 / 0.035 + 0.05 / 0.8 + 0.01 / 0.035 + 0.22 / 0.8 +
          0.015 / 0.7 + 0.13)},
    // Along a polygon's side, which is its outline: the insulation reaches
    // x = 200. Through two vertices that only touch the line: no layer.
    {"along a side, through vertices", kOutIn,
     "{ from = [-25, 500], to = [420, 500], length = 1 }",
     kWall + Drawn("eps", "polygon = [[140, 500], [200, 500], [140, 600]]") +
         Drawn("plaster", "polygon = [[260, 500], [280, 400], [240, 400]]") +
         Drawn("plaster", "polygon = [[300, 500], [320, 600], [280, 600]]"),
     "render 20, eps 180, masonry 180, plaster 15",
     1 / (0.04 + 0.02 / 0.87 + 0.18 / 0.035 + 0.18 / 0.8 + 0.015 / 0.7 + 0.13)},
    // The sloped side meets the insulation at x = 0, but its crossing comes
    // out at -8.9E-16: the sliver between is no void.
    {"sliver between outlines", kOutIn, "{ from = [-3.5, 1.1], to = [2.5, 1.1], length = 1 }",
     Drawn("render", "polygon = [[-3, 0.7], [2.6, 0.7], [-2.6, 1.5], [-3, 1.5]]") +
         Drawn("eps", "rect = [0, 0.7, 2, 1.5]") + Drawn("outside", "rect = [-4, 0.7, -3, 1.5]") +
         Drawn("inside", "rect = [2, 0.7, 3, 1.5]"),
     "render 3, eps 2", 1 / (0.04 + 0.003 / 0.87 + 0.002 / 0.035 + 0.13)},
    // A slab, room below: h = 8 gives R = 1/8; a fixed temperature, none.
    {"vertical, condition to fixed", "[\"cavity\", \"cold\"]",
     "{ from = [500, -10], to = [500, 230], length = 1 }",
     Drawn("masonry", "rect = [0, 0, 1000, 200]") + Drawn("eps", "rect = [0, 200, 1000, 220]") +
         Drawn("cavity", "rect = [0, -20, 1000, 0]") + Drawn("cold", "rect = [0, 220, 1000, 240]"),
     "masonry 200, eps 20", 1 / (0.125 + 0.2 / 0.8 + 0.02 / 0.035 + 0)},
    // 10 mm beside the centre, the chord is 2 sqrt(50^2 - 10^2) long.
    {"vertical, across a circle", "[\"cold\", \"cavity\"]",
     "{ from = [500, 230], to = [500, -10], length = 1 }",
     Drawn("masonry", "rect = [0, 0, 1000, 200]") + Drawn("eps", "circle = [510, 100, 50]") +
         Drawn("cavity", "rect = [0, -20, 1000, 0]") + Drawn("cold", "rect = [0, 200, 1000, 240]"),
     "masonry 51.0102051443, eps 97.9795897113, masonry 51.0102051443",
     1 / ((0.1 - std::sqrt(0.0024)) / 0.8 + 2 * std::sqrt(0.0024) / 0.035 +
          (0.1 - std::sqrt(0.0024)) / 0.8 + 0.125)},
};

TEST(Flanking, LayersAreMeasuredOnTheDrawing) {
  for (const LayerCase& c : kLayerCases) {
    SCOPED_TRACE(c.name);
    const auto elements = Elements(Detail(c.between, c.entry, c.shapes));
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_EQ(Layers(elements[0]), c.layers);
    EXPECT_NEAR(elements[0].u, c.u, 1e-12);
  }
}

TEST(Flanking, GivenValuesPassAndNoPsiMeansNone) {
  const auto elements = Elements(Detail(kOutIn, "{ u = 0.35, length = 1200 }", kWall));
  ASSERT_EQ(elements.size(), 1u);
  EXPECT_FALSE(elements[0].from_segment);
  EXPECT_EQ(elements[0].u, 0.35);
  EXPECT_EQ(elements[0].length, 1200);
  EXPECT_TRUE(elements[0].layers.empty());
  EXPECT_TRUE(ParseDetail("[grid]\nmax_cell = 1\n", "d.toml").psi.empty());
}

std::string FlankingError(const std::string& text) {
  try {
    Elements(text);
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

struct Refusal {
  std::string between, entry, shapes, message;
};

const std::string kAcross = "{ from = [-25, 500], to = [420, 500], length = 1 }";
std::string Crossing(const std::string& what) {
  return "d.toml:19:3: invalid value: flanking entry 1 crosses " + what +
         "; between \"outside\" and \"inside\" it may cross materials only";
}
const Refusal kRefusals[] = {
    {kOutIn, "{ from = [-25, 500], to = [420, 501], length = 1 }", kWall,
     "d.toml:19:3: invalid value: flanking entry 1 runs from [-25, 500] to [420, 501]: a segment "
     "must be horizontal or vertical"},
    {kOutIn, "{ from = [10, 500], to = [420, 500], length = 1 }", kWall,
     "d.toml:19:3: invalid value: flanking entry 1 starts at [10, 500] in the material "
     "\"render\", not in \"outside\" or \"inside\""},
    {kOutIn, "{ from = [-25, 500], to = [500, 500], length = 1 }", kWall,
     "d.toml:19:3: invalid value: flanking entry 1 ends at [500, 500] in void, not in "
     "\"outside\" or \"inside\""},
    {kOutIn, "{ from = [-25, 500], to = [420, 500], length = 1 }",
     kWall + Drawn("cavity", "rect = [400, 0, 445, 1000]"),
     "d.toml:19:3: invalid value: flanking entry 1 ends at [420, 500] in the condition "
     "\"cavity\", not in \"outside\" or \"inside\""},
    {kOutIn, "{ from = [-25, 500], to = [-5, 500], length = 1 }", kWall,
     "d.toml:19:3: invalid value: flanking entry 1 starts and ends in \"outside\"; it must run "
     "from one environment of [psi] to the other"},
    {kOutIn, "{ from = [-25, 500], to = [-25, 500], length = 1 }", kWall,
     "d.toml:19:3: invalid value: flanking entry 1 starts and ends in \"outside\"; it must run "
     "from one environment of [psi] to the other"},
    {kOutIn, kAcross, kWall + Drawn("void", "rect = [200, 0, 210, 1000]"),
     Crossing("void between [200, 500] and [210, 500]")},
    {kOutIn, kAcross, kWall + Drawn("pipe", "circle = [260, 500, 10]"),
     Crossing("the fixed temperature \"pipe\" between [250, 500] and [270, 500]")},
    {kOutIn, kAcross, kWall + Drawn("cavity", "rect = [140, 0, 150, 1000]"),
     Crossing("the condition \"cavity\" between [140, 500] and [150, 500]")},
    {kOutIn, kAcross, kWall + Drawn("outside", "rect = [300, 0, 310, 1000]"),
     Crossing("the condition \"outside\" between [300, 500] and [310, 500]")},
    {kOutIn, "{ from = [-25, 500], to = [25, 500], length = 1 }",
     Drawn("render", "rect = [0, 0, 20, 10]") + Drawn("outside", "rect = [-50, 0, 0, 1000]") +
         Drawn("inside", "rect = [0, 20, 50, 1000]"),
     "d.toml:19:3: invalid value: flanking entry 1 crosses no material between \"outside\" and "
     "\"inside\""},
};

TEST(Flanking, RefusesSegmentsThatCrossNoSingleElement) {
  for (const Refusal& r : kRefusals) {
    SCOPED_TRACE(r.entry + "\n" + r.shapes);
    EXPECT_EQ(FlankingError(Detail(r.between, r.entry, r.shapes)), r.message);
  }
}

// The reader keeps conductivities within 1e5; a detail made otherwise can
// still hold a layer without resistance between two fixed temperatures.
TEST(Flanking, RefusesALayerWithoutResistanceBetweenFixedTemperatures) {
  DetailFile detail = ParseDetail(
      Detail("[\"pipe\", \"cold\"]", "{ from = [0, -5], to = [0, 25], length = 1 }",
             Drawn("ideal", "rect = [-10, 0, 10, 20]") + Drawn("pipe", "rect = [-10, -10, 10, 0]") +
                 Drawn("cold", "rect = [-10, 20, 10, 30]")),
      "d.toml");
  detail.materials[4].conductivity = detail.materials[4].conductivity_y = 1e308;
  try {
    FlankingElements(detail, detail.psi[0]);
    ADD_FAILURE() << "no refusal";
  } catch (const RunError& e) {
    EXPECT_STREQ(e.what(), "d.toml:19:3: invalid value: flanking entry 1 has so little thermal "
                           "resistance that U is infinite");
  }
}

// Random drawings over a backdrop of material "a", between "air" (left and
// below) and "hot" (right and above), crossed by a random horizontal or
// vertical segment: wherever the segment gives layers, every point of a
// layer is of its material by the shapes themselves, the last that holds it.
TEST(Flanking, LayersAgreeWithThePointsOfRandomDrawings) {
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> at(0, 100), share(0.01, 0.99);
  int measured = 0;
  for (int drawing = 0; drawing < 400; ++drawing) {
    const double q = at(rng);
    const bool vertical = drawing % 2 == 1, reverse = drawing % 4 >= 2;
    const Point low = vertical ? Point{q, -80} : Point{-80, q};
    const Point high = vertical ? Point{q, 220} : Point{220, q};
    const Point from = reverse ? high : low, to = reverse ? low : high;
    const std::string text =
        Drawn("a", "rect = [-60, -60, 200, 200]") + Drawn("air", "rect = [-100, -60, -60, 200]") +
        Drawn("air", "rect = [-60, -100, 200, -60]") + Drawn("hot", "rect = [200, -60, 240, 200]") +
        Drawn("hot", "rect = [-60, 200, 200, 240]") + RandomDrawing(rng) +
        "[psi]\nbetween = [\"air\", \"hot\"]\nflanking = [{ from = [" + std::to_string(from.x) +
        ", " + std::to_string(from.y) + "], to = [" + std::to_string(to.x) + ", " +
        std::to_string(to.y) + "], length = 1 }]\n";
    SCOPED_TRACE(text);
    const DetailFile detail = ParseDetail(text, "d.toml");
    std::vector<FlankingElement> elements;
    try {
      elements = FlankingElements(detail, detail.psi[0]);
    } catch (const RunError&) {
      continue;  // A void, air or hot shape in the way.
    }
    ++measured;
    double s = vertical ? from.y : from.x;  // Along the segment, from `from`.
    const double step = reverse ? -1 : 1;
    s += step * 20;  // The air's strip, 20 mm wide.
    for (const FlankingLayer& layer : elements[0].layers) {
      const double inside = s + step * share(rng) * layer.thickness;
      const Point p = vertical ? Point{q, inside} : Point{inside, q};
      const Shape* holder = nullptr;
      for (const Shape& shape : detail.shapes) {
        if (Contains(shape, p)) holder = &shape;
      }
      ASSERT_NE(holder, nullptr);
      EXPECT_EQ(FillName(detail, holder->fill), layer.material);
      s += step * layer.thickness;
    }
    EXPECT_NEAR(s, vertical ? to.y - step * 20 : to.x - step * 20, 1e-9);
  }
  EXPECT_GT(measured, 100);
}

}  // namespace
}  // namespace kelvane::testing

namespace kelvane::testing {
namespace {

// A wall of PVC, an air cavity and an anisotropic board, crossed along x
// and along y: the board's layer takes its conductivity along the segment,
// the cavity's is left for the made grid to give (U 0 until then), and once
// given, R = d / lambda of the cavity along the segment.
TEST(Flanking, CavitiesAndAnisotropicLayersTakeTheirConductivityAlongTheSegment) {
  const std::string text =
      "[grid]\nmax_cell = 1\n[materials]\npvc = 0.17\nboard = { x = 0.5, y = 0.2 }\n"
      "air = { cavity = \"unventilated\" }\n"
      "[conditions]\nin = { ambient = 20, resistance = 0.13 }\nout = { ambient = 0, resistance = 0.04 }\n"
      "[[psi]]\nname = \"across\"\nbetween = [\"in\", \"out\"]\n"
      "flanking = [{ from = [-2, 5], to = [32, 5], length = 10 }]\n"
      "[[psi]]\nname = \"up\"\nbetween = [\"in\", \"out\"]\n"
      "flanking = [{ from = [15, -2], to = [15, 12], length = 10 }]\n"
      "[[shape]]\nfill = \"pvc\"\nrect = [0, 0, 5, 10]\n"
      "[[shape]]\nfill = \"air\"\nrect = [5, 0, 25, 10]\n"
      "[[shape]]\nfill = \"board\"\nrect = [25, 0, 30, 10]\n"
      "[[shape]]\nfill = \"in\"\nrect = [-5, -5, 0, 15]\n"
      "[[shape]]\nfill = \"in\"\nrect = [0, -5, 30, 0]\n"
      "[[shape]]\nfill = \"out\"\nrect = [30, -5, 35, 15]\n"
      "[[shape]]\nfill = \"out\"\nrect = [0, 10, 30, 15]\n";
  const DetailFile detail = ParseDetail(text, "d.toml");
  std::vector<FlankingElement> across = FlankingElements(detail, detail.psi[0]);
  ASSERT_EQ(across[0].layers.size(), 3u);
  EXPECT_EQ(across[0].layers[2].conductivity, 0.5);
  EXPECT_TRUE(across[0].layers[1].cavity);
  EXPECT_EQ(across[0].layers[1].conductivity, 0);
  EXPECT_EQ(across[0].layers[1].middle.x, 15);
  EXPECT_EQ(across[0].u, 0);
  Point asked;
  bool along_x = false;
  UseCavityConductivities(across[0], [&](Point p, bool x) {
    asked = p;
    along_x = x;
    return 0.08;
  });
  EXPECT_EQ(asked.x, 15);
  EXPECT_EQ(asked.y, 5);
  EXPECT_TRUE(along_x);
  EXPECT_DOUBLE_EQ(across[0].u, 1 / (0.13 + 0.005 / 0.17 + 0.020 / 0.08 + 0.005 / 0.5 + 0.04));
  std::vector<FlankingElement> up = FlankingElements(detail, detail.psi[1]);
  ASSERT_EQ(up[0].layers.size(), 1u);
  UseCavityConductivities(up[0], [&](Point, bool x) { return x ? 1.0 : 0.05; });
  EXPECT_DOUBLE_EQ(up[0].u, 1 / (0.13 + 0.010 / 0.05 + 0.04));
}

}  // namespace
}  // namespace kelvane::testing
