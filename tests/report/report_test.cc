#include "report/report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>

#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

ModelReport Report(const ModelSketch& sketch, bool coupling = false) {
  ModelReport report;
  std::string error = SolveAndInspect(
      sketch, [&](const Solution& s) {
        report = BuildReport(s, GridFileLabels(*s.Field().model), "m.inp", {coupling, {}});
      });
  EXPECT_EQ(error, "");
  return report;
}

// 240 mm of conductivity 0.6, 500 mm high, between a room at 20 (Rsi
// 0.13) and outside air at -5 (Rse 0.04).
const ModelSketch kWall{{0.6}, {{20, 1 / 0.13}, {-5, 25}}, {}, {120, 120}, {500},
                      {". . . .", "B2 A1 A1 B1", ". . . ."}};

TEST(Report, LayeredWallGivesUValueFlowsSurfaceTemperaturesAndFrsi) {
  const ModelReport r = Report(kWall);
  const double u = 1 / (0.13 + 0.24 / 0.6 + 0.04);
  const double flow = u * 25 * 0.5;
  ASSERT_EQ(r.base.conditions.size(), 2u);
  const ConditionReport& inside = r.base.conditions[1];
  const ConditionReport& outside = r.base.conditions[0];
  EXPECT_NEAR(inside.flow, -flow, 1e-12);  // B1 is the outside here
  EXPECT_NEAR(outside.flow, flow, 1e-12);
  EXPECT_EQ(outside.number, 1);
  EXPECT_EQ(inside.edges, 1);
  EXPECT_DOUBLE_EQ(inside.length, 0.5);
  const double surface = 20 - u * 25 * 0.13;
  EXPECT_NEAR(outside.lowest->temperature, surface, 1e-12);
  EXPECT_NEAR(outside.highest->temperature, surface, 1e-12);
  EXPECT_EQ(outside.lowest->column_line, 3);
  EXPECT_EQ(outside.lowest->row_line, 1);
  EXPECT_DOUBLE_EQ(outside.lowest->x, 0.24);
  EXPECT_DOUBLE_EQ(outside.lowest->y, 0.5);
  ASSERT_TRUE(r.base.frsi);
  EXPECT_EQ(r.base.frsi->warm_condition, 1);
  EXPECT_EQ(r.base.frsi->cold_condition, 2);
  EXPECT_NEAR(r.base.frsi->value, 1 - u * 0.13, 1e-12);
  EXPECT_NEAR(r.base.balance, 0, 1e-12);
  EXPECT_NEAR(r.base.largest_flow, flow, 1e-12);
}

TEST(Report, TemperatureFactorNeedsTwoExchangingConditionsAtDifferentAmbients) {
  struct Case {
    const char* name;
    std::vector<std::pair<double, double>> conditions;
    std::vector<double> fixed;  // Held at the wall's top left corner.
    bool expected;
  };
  const Case cases[] = {
      {"two conditions", {{20, 8}, {0, 25}}, {}, true},
      {"same ambient", {{20, 8}, {20, 25}}, {}, false},
      {"the colder one has h = 0", {{20, 8}, {0, 0}}, {}, false},
      {"a fixed temperature between the ambients", {{20, 8}, {0, 25}}, {10}, true},
      {"a fixed temperature above the warm side", {{20, 8}, {0, 25}}, {45}, false},
      {"a fixed temperature below the cold side", {{20, 8}, {0, 25}}, {-1}, false},
  };
  for (const Case& c : cases) {
    ModelSketch sketch = kWall;
    sketch.conditions = c.conditions;
    sketch.fixed = c.fixed;
    if (!c.fixed.empty()) sketch.rows[0] = ". C1 . .";
    const ModelReport r = Report(sketch);
    EXPECT_EQ(r.base.frsi.has_value(), c.expected) << c.name;
    EXPECT_EQ(r.base.frsi_withheld.has_value(), !c.expected && !c.fixed.empty()) << c.name;
  }
  ModelSketch single = kWall;
  single.conditions = {{20, 8}};
  single.rows[1] = "B1 A1 A1 .";
  EXPECT_FALSE(Report(single).base.frsi);
}

TEST(Report, FrsiTakesTheColdestPointOfAllWarmestConditions) {
  // Two rooms at 20 (B1 with a low h, B3 with a high one) over a slab
  // cooled from below: the surface under B1 is the colder, whichever of
  // the two is listed first.
  ModelSketch sketch{{1}, {{20, 2}, {-10, 20}, {20, 50}}, {}, {100, 100}, {100},
                 {". B3 B1 .", ". A1 A1 .", ". B2 B2 ."}};
  const ModelReport r = Report(sketch);
  ASSERT_TRUE(r.base.frsi);
  EXPECT_EQ(r.base.frsi->warm_condition, 1);
  EXPECT_EQ(r.base.frsi->surface.temperature, r.base.conditions[0].lowest->temperature);
}

TEST(Report, UnusedConditionsAndFixedTemperaturesAreListedEmpty) {
  ModelSketch sketch{{1}, {{20, 8}, {5, 5}}, {0, 99}, {100}, {100},
                 {". B1 .", "C1 A1 .", ". . ."}};
  const ModelReport r = Report(sketch);
  ASSERT_EQ(r.base.conditions.size(), 2u);
  EXPECT_EQ(r.base.conditions[1].edges, 0);
  EXPECT_FALSE(r.base.conditions[1].lowest);
  EXPECT_EQ(r.base.conditions[1].flow, 0);
  ASSERT_EQ(r.base.fixed.size(), 2u);
  EXPECT_EQ(r.base.fixed[0].nodes, 2);
  EXPECT_EQ(r.base.fixed[1].nodes, 0);
  const std::string text = ReportText(r);
  EXPECT_NE(text.find("  B2  ambient 5.00, h 5 W/(m\xC2\xB2 K): no edge\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("  C2  fixed temperature 99.00: no node\n"), std::string::npos) << text;
  const nlohmann::json json = nlohmann::json::parse(ReportJson(r));
  EXPECT_TRUE(json.at("conditions").at(1).at("lowest").is_null());
  EXPECT_TRUE(json.at("frsi").is_null());
}

TEST(Report, JsonCarriesEveryNumberExactly) {
  const ModelReport r = Report(kWall, /*coupling=*/true);
  const std::string line = ReportJson(r);
  ASSERT_EQ(line.back(), '\n');
  EXPECT_EQ(line.find('\n'), line.size() - 1);  // one object, one line
  const nlohmann::json json = nlohmann::json::parse(line);
  EXPECT_EQ(json.at("model"), "m.inp");
  EXPECT_EQ(json.at("title"), "test model");
  EXPECT_EQ(json.at("solver"), "profile");
  for (std::size_t v = 0; v < 2; ++v) {
    const nlohmann::json& c = json.at("conditions").at(v);
    EXPECT_EQ(c.at("flow").get<double>(), r.base.conditions[v].flow);
    EXPECT_EQ(c.at("h").get<double>(), r.base.conditions[v].coefficient);
    EXPECT_EQ(c.at("length").get<double>(), r.base.conditions[v].length);
    EXPECT_EQ(c.at("lowest").at("temperature").get<double>(), r.base.conditions[v].lowest->temperature);
    EXPECT_EQ(c.at("highest").at("row_line"), r.base.conditions[v].highest->row_line);
  }
  EXPECT_EQ(json.at("balance").at("sum").get<double>(), r.base.balance);
  EXPECT_EQ(json.at("balance").at("relative").get<double>(), r.base.relative_balance);
  EXPECT_EQ(json.at("frsi").at("value").get<double>(), r.base.frsi->value);
  const nlohmann::json& coupling = json.at("coupling");
  EXPECT_EQ(coupling.at("environments").at(1).at("kind"), "convection");
  EXPECT_EQ(coupling.at("flow").at(0).at(1).get<double>(), r.coupling->flow[0][1]);
  EXPECT_EQ(coupling.at("l2d").at(0).at("value").get<double>(), -r.coupling->flow[0][1]);
  EXPECT_FALSE(nlohmann::json::parse(ReportJson(Report(kWall))).contains("coupling"));
}

TEST(Report, JsonIsValidUtf8WhateverTheTitleHolds) {
  // A title is read as bytes. Whatever is not UTF-8 reads back as U+FFFD:
  // one for each byte that cannot start or continue a character, one for a
  // sequence cut short.
  const std::string kReplacement = "\xEF\xBF\xBD";
  struct Case {
    std::string title, reads_back;
  };
  const Case cases[] = {
      {"W\xC3\xA4rme \xE2\x84\x83 \xF0\x9F\x94\xA5", "W\xC3\xA4rme \xE2\x84\x83 \xF0\x9F\x94\xA5"},
      {"a \"b\" \\ c\r\n\t" + std::string("\0\x1f\x7f", 3), "a \"b\" \\ c\r\n\t" + std::string("\0\x1f\x7f", 3)},
      {"\x8C\x76\x8E\x5A", kReplacement + "v" + kReplacement + "Z"},  // Shift-JIS
      {"\x80x", kReplacement + "x"},                                    // lone continuation
      {"\xE2\x84x", kReplacement + "x"},                                // cut sequence
      {"\xC0\xAF", kReplacement + kReplacement},                       // overlong '/'
      {"\xED\xA0\x80", kReplacement + kReplacement + kReplacement},   // surrogate
  };
  ModelReport r = Report(kWall);
  for (const Case& c : cases) {
    r.title = c.title;
    const std::string line = ReportJson(r);
    EXPECT_EQ(line.find('\n'), line.size() - 1) << c.title;
    EXPECT_EQ(nlohmann::json::parse(line).at("title"), c.reads_back) << c.title;
  }
}

TEST(Report, ErrorLineNamesTheModel) {
  const nlohmann::json json =
      nlohmann::json::parse(ReportErrorJson("a\"b.inp", "a\"b.inp: file not found: x"));
  EXPECT_EQ(json.at("model"), "a\"b.inp");
  EXPECT_EQ(json.at("error"), "a\"b.inp: file not found: x");
}

TEST(Report, TextOfTheWorkedExample) {
  ModelSketch sketch{{50}, {{20, 10}}, {100}, {10, 20}, {5}, {"B1 B1 B1 B1", "C1 A1 A1 B1", ". . . ."}};
  ModelReport r = Report(sketch, /*coupling=*/true);
  r.title = "Steel plate\x01";
  std::string text = ReportText(r);
  // The balance's rounding digits are not the point here.
  const std::size_t at = text.find("sum to ");
  ASSERT_NE(at, std::string::npos);
  text.replace(at + 7, text.find(" W/m, ", at) - at - 7, "ROUNDING");
  const std::size_t of = text.find(", ", at) + 2;
  text.replace(of, text.find(" of the", of) - of, "ROUNDING");
  EXPECT_EQ(text,
            "Report for m.inp: Steel plate\\x01\n"
            "Solved by the profile solver\n"
            "Heat flow into the model, W per metre of depth:\n"
            "  B1  ambient 20.00, h 10 W/(m\xC2\xB2 K): -27.57 W/m through 3 edges, 35.0 mm\n"
            "      lowest surface temperature 98.10 at grid point at column line 3, row line 1 "
            "(top-left corner of the cell at code row 2, column 4), x 30.0 mm, y 5.0 mm\n"
            "      highest surface temperature 100.00 at grid point at column line 1, row line 1 "
            "(top-left corner of the cell at code row 2, column 2), x 0.0 mm, y 5.0 mm\n"
            "  C1  fixed temperature 100.00: 27.57 W/m through 2 nodes\n"
            "Energy balance: the flows sum to ROUNDING W/m, ROUNDING of the largest (27.57 W/m)\n"
            "Coupling coefficients, by superposition (2 solutions with the one factorisation):\n"
            "    1  B1 (ambient 20.00, h 10)\n"
            "    2  C1 (fixed temperature 100.00)\n"
            "  Heat flow into the model through row i, W/m, for 1 K at column j and 0 elsewhere:\n"
            "                 1            2\n"
            "    1        0.345       -0.345\n"
            "    2       -0.345        0.345\n"
            "  L2D between two environments, W/(m K) (minus the entry above):\n"
            "    B1 (ambient 20.00, h 10) and C1 (fixed temperature 100.00): 0.345\n"
            "\n");
}

}  // namespace
}  // namespace kelvane::testing
