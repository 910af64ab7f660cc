// Detail files through the built program: what it writes, what it reports
// in the detail's own names, the grid it saves, and how it refuses.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

#include "app/process.h"

namespace kelvane::testing {
namespace {

// A wall of two layers between a room and the outside, with a probe in the
// middle of the first layer.
const char kWall[] = R"(title = "Two-layer wall"
[grid]
max_cell = 10
[materials]
brick = 0.8
"mineral wool" = 0.035
[conditions]
room = { ambient = 20, resistance = 0.13 }
outside = { ambient = -10, h = 25 }
[[shape]]
fill = "brick"
rect = [0, 0, 240, 100]
[[shape]]
fill = "mineral wool"
rect = [240, 0, 340, 100]
[[shape]]
fill = "outside"
rect = [340, 0, 360, 100]
[[shape]]
fill = "room"
rect = [-20, 0, 0, 100]
[probes]
"inside face" = [0, 50]
)";

class DetailEndToEnd : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args) {
    return RunProgram(KELVANE2D_BINARY, args,
                      {{"PATH", "/usr/bin:/bin"}, {"HOME", folder_.path()}}, folder_.path());
  }
  TemporaryFolder folder_;
};

TEST_F(DetailEndToEnd, ReportsInTheDetailsNamesAndGivesTheOneDimensionalFlow) {
  WriteFile(folder_ / "wall.toml", kWall);
  Outcome o = Run({"-q", "--report=json", "wall.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(Exists(folder_ / "wall.otp.csv"));
  const nlohmann::json r = nlohmann::json::parse(o.out);
  EXPECT_EQ(r["title"], "Two-layer wall");
  EXPECT_EQ(r["conditions"][0]["name"], "room");
  EXPECT_EQ(r["conditions"][1]["name"], "outside");
  // One dimension: U (dT) over the wall's 0.1 m of height.
  const double r_total = 0.13 + 0.24 / 0.8 + 0.1 / 0.035 + 1 / 25.0;
  EXPECT_NEAR(r["conditions"][0]["flow"].get<double>(), 30 / r_total * 0.1, 1e-9);
  EXPECT_EQ(r["probes"][0]["name"], "inside face");
  EXPECT_NEAR(r["probes"][0]["temperature"].get<double>(), 20 - 30 / r_total * 0.13, 1e-9);
  EXPECT_EQ(r["probes"][0]["x"], 0.0);
  Outcome text = Run({"-q", "--report", "wall.toml"});
  // Rounded for people, with units; R as the file gave it.
  EXPECT_NE(text.out.find("\n  room  ambient 20.00 \xC2\xB0""C, R 0.13 m\xC2\xB2 K/W: 0.9017 W/m"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("lowest surface temperature 18.83 \xC2\xB0""C"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find(" at x 0.0 mm, y "), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Areas: every material's cells cover exactly what is drawn"),
            std::string::npos);
}

TEST_F(DetailEndToEnd, APlainWallHasNoPsiAndACaseOfOtherAmbientsIsASeparateRun) {
  // The wall with psi over a segment across it, and a mild case; the same
  // wall with the case's ambients as its own.
  const std::string wall = kWall;
  WriteFile(folder_ / "wall.toml",
            wall + "[psi]\nbetween = [\"room\", \"outside\"]\n"
                   "flanking = [{ from = [-10, 50], to = [350, 50], length = 100 }]\n"
                   "[[case]]\nname = \"mild\"\nroom = { ambient = 21 }\n"
                   "outside = { ambient = 5 }\n");
  std::string mild = wall;
  mild.replace(mild.find("ambient = 20"), 12, "ambient = 21");
  mild.replace(mild.find("ambient = -10"), 13, "ambient = 5");
  WriteFile(folder_ / "mild.toml", mild);
  Outcome o = Run({"-q", "--report=json", "wall.toml", "mild.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  const nlohmann::json r = nlohmann::json::parse(o.out.substr(0, o.out.find('\n')));
  const nlohmann::json separate = nlohmann::json::parse(o.out.substr(o.out.find('\n') + 1));
  const double r_total = 0.13 + 0.24 / 0.8 + 0.1 / 0.035 + 1 / 25.0;
  // Exact in one dimension, up to rounding.
  EXPECT_NEAR(r["conditions"][0]["flow"].get<double>(), 30 / r_total * 0.1, 1e-11);
  EXPECT_NEAR(r["psi"]["psi"].get<double>(), 0, 1e-9);
  EXPECT_NEAR(r["psi"]["flanking"][0]["u"].get<double>(), 1 / r_total, 1e-15);
  EXPECT_EQ(r["psi"]["flanking"][0]["layers"].size(), 2u);
  const nlohmann::json& c = r["cases"][0];
  EXPECT_EQ(c["name"], "mild");
  EXPECT_EQ(c["own_factorisation"], false);
  for (int v = 0; v < 2; ++v) {
    const double expected = separate["conditions"][v]["flow"];
    EXPECT_NEAR(c["conditions"][v]["flow"].get<double>(), expected, 1e-12 * std::fabs(expected));
  }
  EXPECT_NEAR(c["probes"][0]["temperature"].get<double>(),
              separate["probes"][0]["temperature"].get<double>(), 1e-12 * 21);
  // The case's picture is the separate run's, named as the case.
  ASSERT_EQ(Run({"-q", "--svg-case=mild", "--svg=case.svg", "wall.toml"}).status, 0);
  ASSERT_EQ(Run({"-q", "--svg=separate.svg", "mild.toml"}).status, 0);
  std::string picture = ReadFile(folder_ / "case.svg");
  const std::string named = "case \xE2\x80\x9Cmild\xE2\x80\x9D; ";
  ASSERT_NE(picture.find(named), std::string::npos);
  EXPECT_EQ(picture.erase(picture.find(named), named.size()), ReadFile(folder_ / "separate.svg"));
}

TEST_F(DetailEndToEnd, Iso10211Case2CouplesByItsFlowAndPassesTheGridCheck) {
  WriteFile(folder_ / "case2.toml",
            ReadFile(std::string(KELVANE_SOURCE_DIR) + "/examples/validation/iso10211_case2.toml"));
  Outcome o = Run({"-q", "--report=json", "--coupling", "--check-grid", "case2.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  const nlohmann::json r = nlohmann::json::parse(o.out);
  const double flow = r["conditions"][0]["flow"];
  EXPECT_NEAR(flow, 9.5, 0.1);
  // To the rounding of the energy balance, which the aluminium beside the
  // insulation makes 1E-10 of the flow here.
  EXPECT_NEAR(r["coupling"]["l2d"][0]["value"].get<double>(), flow / 20, 1e-9 * flow);
  const nlohmann::json& check = r["grid_check"];
  EXPECT_EQ(check["passes"], true);
  EXPECT_LT(std::fabs(check["relative_difference"].get<double>()), 0.01);
  // Made again from the drawing with every cell size halved: the graded
  // cells next to the profile double, the rest grow by fewer.
  EXPECT_EQ(check["redrawn"], true);
  EXPECT_GT(check["fine_grid"]["columns"].get<int>(), r["grid"]["columns"].get<int>() * 3 / 2);
  EXPECT_LT(std::fabs(check["probe_change"]["change"].get<double>()), 0.01);
}

TEST_F(DetailEndToEnd, NodesByCoordinatesAndTheGridCheckOfAOneDimensionalWall) {
  WriteFile(folder_ / "wall.toml", kWall);
  Outcome o = Run({"-q", "--check-grid", "--report=json", "--nodes", "wall.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  const nlohmann::json r = nlohmann::json::parse(o.out);
  // Bilinear elements are exact in one dimension: the finer grid changes
  // nothing but rounding.
  EXPECT_LT(std::fabs(r["grid_check"]["relative_difference"].get<double>()), 1e-12);
  EXPECT_FALSE(r["grid_check"]["no_flow"].get<bool>());
  // With both sides at 20 no heat flows: what rounding leaves of the flows
  // is no difference between the grids.
  std::string still = kWall;
  still.replace(still.find("ambient = -10"), 13, "ambient = 20");
  WriteFile(folder_ / "still.toml", still);
  Outcome s = Run({"-q", "--check-grid", "still.toml"});
  EXPECT_NE(s.out.find(" 0.00 % (EN ISO 10211 asks less than 1 %: met, as no heat flows"),
            std::string::npos) << s.out;
  const std::string nodes = ReadFile(folder_ / "wall.nodes.csv");
  EXPECT_EQ(nodes.substr(0, nodes.find('\n')), "x_mm,y_mm,temperature");
  EXPECT_EQ(std::count(nodes.begin(), nodes.end(), '\n'), r["grid"]["nodes"].get<int>() + 1);
  // The first node is the top left corner of the brick, at the room.
  const std::string first = nodes.substr(nodes.find('\n') + 1, nodes.find('\n', 22) - 22);
  EXPECT_EQ(first.substr(0, 6), "0,100,") << first;
}

TEST_F(DetailEndToEnd, TheSavedGridGivesTheSameResultToTheByte) {
  const std::string examples = std::string(KELVANE_SOURCE_DIR) + "/examples/";
  for (const char* name : {"wall_slab", "heating_pipe", "ground_floor", "external_corner",
                           "validation/iso10211_case1", "validation/iso10211_case2"}) {
    SCOPED_TRACE(name);
    WriteFile(folder_ / "d.toml", ReadFile(examples + name + ".toml"));
    ASSERT_EQ(Run({"-q", "--save-input", "d.toml"}).status, 0);
    const std::string from_detail = ReadFile(folder_ / "d.otp.csv");
    ASSERT_EQ(Run({"-q", "d.inp"}).status, 0);
    EXPECT_EQ(ReadFile(folder_ / "d.otp.csv"), from_detail);
  }
  // A grid file gives each convection cell one h for all its sides.
  WriteFile(folder_ / "iso.toml",
            "[grid]\nmax_cell = 10\n[materials]\na = 1\n[conditions]\n"
            "room = { ambient = 20, resistance = \"ISO 6946\" }\n"
            "[[shape]]\nfill = \"a\"\nrect = [0, 0, 10, 10]\n"
            "[[shape]]\nfill = \"room\"\nrect = [0, 10, 10, 20]\n");
  const Outcome refused = Run({"-q", "--save-input", "iso.toml"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "kelvane2d: error: iso.toml:6:1: invalid value: --save-input cannot write this model: a "
            "grid file holds one heat-transfer coefficient for every side of a convection cell, and "
            "condition \"room\" takes its surface resistances by direction\n");
  EXPECT_FALSE(Exists(folder_ / "iso.inp") || Exists(folder_ / "iso.otp.csv"));
  ASSERT_EQ(Run({"-q", "--save-input=grid.txt", "d.toml"}).status, 0);
  EXPECT_EQ(ReadFile(folder_ / "grid.txt"), ReadFile(folder_ / "d.inp"));
  EXPECT_EQ(Run({"--save-input=grid.txt", "d.toml", "d.toml"}).status, 2);
}

TEST_F(DetailEndToEnd, RefusesWithLineAndColumnOrWithThePointInTheDrawing) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> options;
    std::string error;
  };
  const std::string wall = kWall;
  std::string third = wall;
  third.insert(third.find("[[shape]]"), "third = { ambient = 0, h = 5 }\n");
  const Case cases[] = {
      {"unknown key", "[grid]\ncell_size = 3\n" + wall.substr(wall.find("max_cell")), {},
       "kelvane2d: error: bad.toml:2:1: unknown key: "},
      {"picture of no case", wall, {"--svg-case=winter"},
       "kelvane2d: error: bad.toml, --svg-case: unknown name: the model has no case \"winter\"; "
       "it has no cases\n"},
      // A block of wool that touches no condition: its temperatures are
      // undetermined, named by a point of the drawing, in a case too.
      {"floating part", wall + "[[shape]]\nfill = \"brick\"\nrect = [500, 0, 520, 100]\n", {},
       "kelvane2d: error: bad.toml, the point at x 500 mm, y 100 mm: undetermined temperatures: "},
      {"a case without exchange", wall + "[[case]]\nname = \"still\"\nroom = { h = 0 }\n"
       "outside = { h = 0 }\n", {"--report"},
       "kelvane2d: error: bad.toml, case \"still\", the point at x "},
      {"psi through a condition that touches nothing",
       third + "[psi]\nbetween = [\"room\", \"third\"]\nflanking = [{ u = 1, length = 100 }]\n",
       {"--report"},
       "kelvane2d: error: bad.toml:26:11: no element: \"third\" touches the model nowhere"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(folder_ / "bad.toml", c.text);
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-q", "bad.toml"});
    Outcome o = Run(args);
    // What leads to some of these refusals warns first (an h of 0, a
    // condition drawn nowhere): the error is the one line after.
    std::string error = o.err;
    while (error.rfind("kelvane2d: warning: ", 0) == 0) error.erase(0, error.find('\n') + 1);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(error.substr(0, c.error.size()), c.error) << o.err;
    EXPECT_EQ(error.find('\n'), error.size() - 1);
    EXPECT_FALSE(Exists(folder_ / "bad.otp.csv"));
  }
}

// The wall-and-slab detail with its shapes from the layers of a DXF
// drawing whose coordinates are those typed: the same result to the byte.
// --layers lists what the drawing holds; a layer whose outline does not
// close is refused with the drawing, the layer and the point.
TEST_F(DetailEndToEnd, TheDrawnWallAndSlabGivesTheTypedResultToTheByte) {
  const std::string examples = std::string(KELVANE_SOURCE_DIR) + "/examples/";
  for (const char* name : {"wall_slab.toml", "wall_slab_dxf.toml", "wall_slab.dxf"}) {
    WriteFile(folder_ / name, ReadFile(examples + name));
  }
  ASSERT_EQ(Run({"-q", "wall_slab.toml", "wall_slab_dxf.toml"}).status, 0);
  EXPECT_EQ(ReadFile(folder_ / "wall_slab_dxf.otp.csv"), ReadFile(folder_ / "wall_slab.otp.csv"));

  const Outcome layers = Run({"--layers", "wall_slab.dxf"});
  EXPECT_EQ(layers.status, 0);
  EXPECT_EQ(layers.err, "");
  EXPECT_EQ(layers.out,
            "wall_slab.dxf\n"
            "unit: mm ($INSUNITS 4)\n"
            "layer     closed outlines  open chains  other entities\n"
            "0                       0            0               0\n"
            "RENDER                  1            0               0\n"
            "EPS                     1            0               0\n"
            "MASONRY                 1            0               0\n"
            "PLASTER                 1            0               0\n"
            "CONCRETE                1            0               0\n"
            "IMPACT                  1            0               0\n"
            "SCREED                  1            0               0\n"
            "INSIDE                  2            0               0\n"
            "NOTES                   0            0               2\n"
            "extent: x 0 to 1395, y 0 to 2290 (the drawing's units)\n");

  // The render's last line stops 0.35 mm short of its start.
  std::string drawing = ReadFile(examples + "wall_slab.dxf");
  const std::string last_line = "11\n0\n21\n0\n31\n0\n";
  ASSERT_NE(drawing.find(last_line), std::string::npos);
  drawing.replace(drawing.find(last_line), last_line.size(), "11\n0\n21\n0.35\n31\n0\n");
  WriteFile(folder_ / "wall_slab.dxf", drawing);
  const Outcome open = Run({"-q", "wall_slab_dxf.toml"});
  EXPECT_EQ(open.status, 1);
  EXPECT_EQ(open.err,
            "kelvane2d: error: wall_slab_dxf.toml:47:9: invalid value: wall_slab.dxf, layer "
            "\"RENDER\": the outline through x 0, y 0 mm does not close: its ends are 0.35 mm "
            "apart\n");
  const Outcome not_dxf = Run({"--layers", "wall_slab_dxf.toml", "wall_slab.dxf"});
  EXPECT_EQ(not_dxf.status, 1);
  EXPECT_EQ(not_dxf.err,
            "kelvane2d: error: wall_slab_dxf.toml: syntax error: not a DXF drawing: line 1 holds "
            "no group code, where a DXF file begins with 0 and SECTION\n");
  EXPECT_NE(not_dxf.out.find("RENDER                  0            1               0\n"),
            std::string::npos)
      << not_dxf.out;
}

}  // namespace
}  // namespace kelvane::testing
