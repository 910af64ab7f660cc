// Window frames through the built program: air cavities, materials by
// direction and by name, and the frame's U_f.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

#include "app/program_test.h"

namespace kelvane::testing {
namespace {

class Frames : public ProgramTest {};

// A 20 x 10 mm unventilated cavity alone between two fixed temperatures 10 K
// apart, the heat flowing along x or along y: one-dimensional, so the flow
// is lambda dT times the cavity's size across over its size along. Its
// lambda_x is 0.0835244 and lambda_y 0.0590800 W/(m K) by hand (the
// Cavities tests work them out).
TEST_F(Frames, ACavityBetweenTwoFixedTemperaturesConductsItsHandValue) {
  const std::string head =
      "[grid]\nmax_cell = 1\n[materials]\nair = { cavity = \"unventilated\" }\n"
      "[fixed]\nhot = 10\ncold = 0\n[[shape]]\nfill = \"air\"\nrect = [0, 0, 20, 10]\n";
  struct Case {
    const char* what;
    std::string shapes;
    double flow;
  };
  const Case cases[] = {
      {"along x",
       "[[shape]]\nfill = \"hot\"\nrect = [-2, 0, 0, 10]\n"
       "[[shape]]\nfill = \"cold\"\nrect = [20, 0, 22, 10]\n",
       0.0835244 * 10 * 10 / 20},
      {"along y",
       "[[shape]]\nfill = \"hot\"\nrect = [0, -2, 20, 0]\n"
       "[[shape]]\nfill = \"cold\"\nrect = [0, 10, 20, 12]\n",
       0.0590800 * 10 * 20 / 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const nlohmann::json r = Report("cavity.toml", head + c.shapes);
    ASSERT_EQ(r["cavities"].size(), 1u);
    EXPECT_NEAR(r["cavities"][0]["area"].get<double>(), 200e-6, 1e-15);
    EXPECT_NEAR(r["fixed_temperatures"][0]["flow"].get<double>(), c.flow, 1e-6);
  }
}

// A block conducting 0.5 along x and 0.2 along y, 20 x 10 mm, between two
// fixed temperatures 10 K apart: each direction takes its own conductivity,
// and the report, the JSON and a flanking segment along each axis show it.
TEST_F(Frames, AnAnisotropicMaterialConductsAlongEachAxisItsOwn) {
  const std::string head =
      "[grid]\nmax_cell = 1\n[materials]\nply = { x = 0.5, y = 0.2 }\n"
      "[fixed]\nhot = 10\ncold = 0\n[[shape]]\nfill = \"ply\"\nrect = [0, 0, 20, 10]\n";
  struct Case {
    const char* what;
    std::string shapes;
    double flow, u;
  };
  const Case cases[] = {
      {"along x",
       "[[shape]]\nfill = \"hot\"\nrect = [-2, 0, 0, 10]\n"
       "[[shape]]\nfill = \"cold\"\nrect = [20, 0, 22, 10]\n"
       "[psi]\nbetween = [\"hot\", \"cold\"]\n"
       "flanking = [{ from = [-1, 5], to = [21, 5], length = 10 }]\n",
       0.5 * 10 * 10 / 20, 0.5 / 0.020},
      {"along y",
       "[[shape]]\nfill = \"hot\"\nrect = [0, -2, 20, 0]\n"
       "[[shape]]\nfill = \"cold\"\nrect = [0, 10, 20, 12]\n"
       "[psi]\nbetween = [\"hot\", \"cold\"]\n"
       "flanking = [{ from = [5, -1], to = [5, 11], length = 20 }]\n",
       0.2 * 10 * 20 / 10, 0.2 / 0.010},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const nlohmann::json r = Report("ply.toml", head + c.shapes);
    EXPECT_NEAR(r["fixed_temperatures"][0]["flow"].get<double>(), c.flow, 1e-9);
    EXPECT_NEAR(r["psi"]["flanking"][0]["u"].get<double>(), c.u, 1e-9);
    EXPECT_EQ(r["materials"][0]["conductivity_x"].get<double>(), 0.5);
    EXPECT_EQ(r["materials"][0]["conductivity_y"].get<double>(), 0.2);
  }
  const Outcome text = Run({"-q", "--report", "ply.toml"});
  EXPECT_NE(text.out.find("\n  ply: x 0.5, y 0.2 W/(m K)\n"), std::string::npos) << text.out;
}

// A wall of PVC, a cavity and PVC between the room and the outside: the
// flanking segment across it takes the cavity's R = d / lambda_x.
TEST_F(Frames, AFlankingSegmentAcrossACavityTakesItsConductivityAlongTheSegment) {
  const nlohmann::json r = Report(
      "wall.toml",
      "[grid]\nmax_cell = 1\n[materials]\npvc = { library = \"PVC, rigid\" }\n"
      "air = { cavity = \"unventilated\" }\n"
      "[conditions]\nin = { ambient = 20, resistance = 0.13 }\nout = { ambient = 0, resistance = 0.04 }\n"
      "[[shape]]\nfill = \"pvc\"\nrect = [0, 0, 30, 10]\n"
      "[[shape]]\nfill = \"air\"\nrect = [5, 0, 25, 10]\n"
      "[[shape]]\nfill = \"in\"\nrect = [-5, 0, 0, 10]\n"
      "[[shape]]\nfill = \"out\"\nrect = [30, 0, 35, 10]\n"
      "[psi]\nbetween = [\"in\", \"out\"]\n"
      "flanking = [{ from = [-2, 5], to = [32, 5], length = 10 }]\n");
  const nlohmann::json& layers = r["psi"]["flanking"][0]["layers"];
  ASSERT_EQ(layers.size(), 3u);
  const double lambda = r["cavities"][0]["along_x"]["conductivity"].get<double>();
  EXPECT_NEAR(lambda, 0.0835244, 1e-7);
  EXPECT_EQ(layers[1]["conductivity"].get<double>(), lambda);
  const double u = 1 / (0.13 + 0.005 / 0.17 + 0.020 / lambda + 0.005 / 0.17 + 0.04);
  EXPECT_NEAR(r["psi"]["flanking"][0]["u"].get<double>(), u, 1e-12);
  // One-dimensional: psi is zero up to the solver's rounding.
  EXPECT_NEAR(r["psi"]["psi"].get<double>(), 0, 1e-9);
  EXPECT_EQ(r["materials"][0]["source"], "PVC, rigid (EN ISO 10077-2:2017, Annex A)");
}

// A segment along the top side of a cavity, with PVC above it: its layer is
// the cavity's (drawn last, its outline included), and so is the
// conductivity it takes, though the cells above the line are PVC.
TEST_F(Frames, ASegmentAlongACavitysSideTakesTheCavity) {
  const nlohmann::json r = Report(
      "side.toml",
      "[grid]\nmax_cell = 1\n[materials]\npvc = 0.17\nair = { cavity = \"unventilated\" }\n"
      "[conditions]\nin = { ambient = 20, resistance = 0.13 }\nout = { ambient = 0, resistance = 0.04 }\n"
      "[[shape]]\nfill = \"pvc\"\nrect = [0, 0, 30, 20]\n"
      "[[shape]]\nfill = \"air\"\nrect = [5, 0, 25, 10]\n"
      "[[shape]]\nfill = \"in\"\nrect = [-5, 0, 0, 20]\n"
      "[[shape]]\nfill = \"out\"\nrect = [30, 0, 35, 20]\n"
      "[psi]\nbetween = [\"in\", \"out\"]\n"
      "flanking = [{ from = [-2, 10], to = [32, 10], length = 20 }]\n");
  const nlohmann::json& layers = r["psi"]["flanking"][0]["layers"];
  ASSERT_EQ(layers.size(), 3u);
  EXPECT_EQ(layers[1]["material"], "air");
  EXPECT_EQ(layers[1]["conductivity"].get<double>(),
            r["cavities"][0]["along_x"]["conductivity"].get<double>());
}

TEST_F(Frames, FrameD7GivesL2DWithinThreePercentAndUf) {
  const nlohmann::json r =
      Report("d7.toml", ExampleText("validation/iso10077_d7.toml"), {"--check-grid"});
  EXPECT_TRUE(r["grid_check"]["passes"].get<bool>());
  EXPECT_LT(std::fabs(r["grid_check"]["relative_difference"].get<double>()), 0.001);
  const nlohmann::json& f = r["frame"];
  const double l2d = f["l2d"].get<double>();
  EXPECT_LE(std::fabs(l2d - 0.285) / 0.285, 0.03) << l2d;
  // U_p from the panel's 24 mm at 0.035 between Rse 0.04 and Rsi 0.13.
  EXPECT_NEAR(f["u_p"].get<double>(), 1 / (0.04 + 0.024 / 0.035 + 0.13), 1e-12);
  EXPECT_EQ(f["b_p"].get<double>(), 0.19);
  EXPECT_EQ(f["b_f"].get<double>(), 0.048);
  EXPECT_EQ(f["u_f"].get<double>(), (l2d - f["u_p"].get<double>() * 0.19) / 0.048);
  // Seven unventilated cavities and a slightly ventilated one.
  ASSERT_EQ(r["cavities"].size(), 8u);
  int slightly = 0;
  for (const nlohmann::json& c : r["cavities"]) slightly += c["kind"] == "slightly ventilated";
  EXPECT_EQ(slightly, 1);
  const Outcome text = Run({"-q", "--report", "--html=d7.html", "d7.toml"});
  EXPECT_NE(text.out.find("  U_f = (L2D - U_p b_p) / b_f = ("), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("\n  slightly ventilated cavity (slightly ventilated) at x "),
            std::string::npos);
  // The page: the cavities' two tables, every cavity along x and along y,
  // and U_f to full precision.
  const std::string page = ReadFile(folder_ / "d7.html");
  const std::size_t cavities = page.find("<section id=\"k-cavities\">");
  ASSERT_NE(cavities, std::string::npos);
  const std::string section = page.substr(cavities, page.find("</section>", cavities) - cavities);
  std::size_t rows = 0;
  for (std::size_t at = section.find("<tr><td>"); at != std::string::npos;
       at = section.find("<tr><td>", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 8u + 16u);
  // The page rounds U_f to 0.001, as the text report does.
  char u_f[40];
  std::snprintf(u_f, sizeof u_f, "<strong>%.3f</strong>", f["u_f"].get<double>());
  EXPECT_NE(page.find("<section id=\"k-frame\">"), std::string::npos);
  EXPECT_NE(page.find(u_f), std::string::npos) << u_f;
}

// psi_g of the glazing edge takes U_f over b_f and U_g over b_g as flanking
// elements given by u and length; its U_f is what D.7 gives.
TEST_F(Frames, TheGlazingEdgeExampleTakesUfAndUgAsFlankingElements) {
  const nlohmann::json d7 = Report("d7.toml", ExampleText("validation/iso10077_d7.toml"));
  const nlohmann::json r = Report("edge.toml", ExampleText("frame_glazing_edge.toml"));
  const nlohmann::json& psi = r["psi"];
  EXPECT_EQ(psi["name"], "glazing edge");
  ASSERT_EQ(psi["flanking"].size(), 2u);
  const double u_f = psi["flanking"][0]["u"].get<double>();
  EXPECT_NEAR(u_f, d7["frame"]["u_f"].get<double>(), 5e-5);
  EXPECT_EQ(psi["flanking"][0]["length"].get<double>(), 0.048);
  EXPECT_EQ(psi["flanking"][1]["u"].get<double>(), 1.1);
  EXPECT_EQ(psi["flanking"][1]["length"].get<double>(), 0.19);
  const double l2d = psi["l2d"].get<double>();
  EXPECT_NEAR(psi["psi"].get<double>(), l2d - (u_f * 0.048 + 1.1 * 0.19), 1e-15);
  // A metal spacer's edge: well above zero, within what such edges have.
  EXPECT_GT(psi["psi"].get<double>(), 0.04);
  EXPECT_LT(psi["psi"].get<double>(), 0.12);
}

TEST_F(Frames, SaveInputRefusesWhatConductsDifferentlyAlongXAndYBeforeWritingAnything) {
  struct Case {
    const char* what;
    std::string material;
    std::string error;
  };
  const Case cases[] = {
      {"anisotropic", "osb = { x = 0.13, y = 0.09 }",
       "kelvane2d: error: m.toml:4:1: invalid value: --save-input cannot write this model: a grid "
       "file holds one conductivity for each material, and material \"osb\" conducts differently "
       "along x (0.13) and along y (0.09 W/(m K))\n"},
      {"a cavity", "osb = { cavity = \"unventilated\" }",
       "kelvane2d: error: m.toml:4:1: invalid value: --save-input cannot write this model: a grid "
       "file holds one conductivity for each material, and the cavity \"osb\" conducts "
       "differently along x (0.0835244) and along y (0.05908 W/(m K))\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(folder_ / "m.toml", "[grid]\nmax_cell = 1\n[materials]\n" + c.material +
                                      "\n[fixed]\nhot = 10\ncold = 0\n"
                                      "[[shape]]\nfill = \"osb\"\nrect = [0, 0, 20, 10]\n"
                                      "[[shape]]\nfill = \"hot\"\nrect = [-2, 0, 0, 10]\n"
                                      "[[shape]]\nfill = \"cold\"\nrect = [20, 0, 22, 10]\n");
    const Outcome o = Run({"-q", "--save-input", "--svg", "m.toml"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, c.error);
    EXPECT_FALSE(Exists(folder_ / "m.inp") || Exists(folder_ / "m.otp.csv") ||
                 Exists(folder_ / "m.svg"));
  }
}

TEST_F(Frames, MaterialsListsTheBuiltInTableAndExits) {
  const Outcome o = Run({"--materials"});
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("\nPVC, rigid "), std::string::npos);
  EXPECT_NE(o.out.find(" 0.17 W/(m K)  EN ISO 10077-2:2017, Annex A\n"), std::string::npos);
  // A name not in it is refused where it is written, with the nearest.
  WriteFile(folder_ / "x.toml",
            "[grid]\nmax_cell = 1\n[materials]\nframe = { library = \"PVC\" }\n");
  const Outcome unknown = Run({"-q", "x.toml"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err,
            "kelvane2d: error: x.toml:4:21: unknown name: library \"PVC\" names no entry of "
            "kelvane2d --materials; the nearest are \"PVC, rigid\", \"air\", \"EPDM\"\n");
}

}  // namespace
}  // namespace kelvane::testing
