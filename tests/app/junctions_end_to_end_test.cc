// Building junctions through the built program: rooms of several
// conditions, surface resistances by direction, several psi, and the
// condensation verdict.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>

#include "app/program_test.h"

namespace kelvane::testing {
namespace {

class Junctions : public ProgramTest {
 protected:
  nlohmann::json Example(const std::string& name, std::vector<std::string> options = {}) {
    return Report(name, ExampleText(name), options);
  }
};

const nlohmann::json* Named(const nlohmann::json& list, const std::string& name) {
  for (const nlohmann::json& item : list) {
    if (item["name"] == name) return &item;
  }
  return nullptr;
}

// A case that gives a room of a condition and a fixed temperature a new h
// alone changes the condition's h and leaves both temperatures as they were.
TEST_F(Junctions, ACaseOfHAloneKeepsTheRoomsFixedTemperature) {
  const nlohmann::json r = Report("room.toml",
                                  "[grid]\nmax_cell = 10\n[materials]\nbrick = 0.8\n"
                                  "[conditions]\n\"room air\" = { ambient = 20, h = 7.7 }\n"
                                  "outside = { ambient = -5, h = 25 }\n"
                                  "[fixed]\n\"room slab\" = 20\n"
                                  "[environments]\nroom = [\"room air\", \"room slab\"]\n"
                                  "[[shape]]\nfill = \"brick\"\nrect = [0, 0, 240, 1000]\n"
                                  "[[shape]]\nfill = \"room air\"\nrect = [-10, 0, 0, 500]\n"
                                  "[[shape]]\nfill = \"room slab\"\nrect = [-10, 500, 0, 1000]\n"
                                  "[[shape]]\nfill = \"outside\"\nrect = [240, 0, 250, 1000]\n"
                                  "[[case]]\nname = \"still air\"\nroom = { h = 4 }\n");
  ASSERT_EQ(r["cases"].size(), 1u);
  const nlohmann::json& c = r["cases"][0];
  double highest = -1e9;
  for (const nlohmann::json& t : c["conditions"]) highest = std::max(highest, t["ambient"].get<double>());
  EXPECT_EQ(highest, 20);
  EXPECT_LT(c["frsi"]["value"].get<double>(), r["frsi"]["value"].get<double>());
}

// The room of the ground floor is its floor and its wall: psi between it and
// the outside takes the flows of both, as the coupling matrix summed by hand.
TEST_F(Junctions, PsiOfARoomOfTwoConditionsIsTheirCouplingEntriesSummed) {
  const nlohmann::json r = Example("ground_floor.toml", {"--coupling"});
  const nlohmann::json& flow = r["coupling"]["flow"];
  // Environments 0 and 1 are the room's floor and wall, 2 the outside.
  ASSERT_EQ(r["coupling"]["environments"].size(), 3u);
  const double by_hand = -(flow[0][2].get<double>() + flow[1][2].get<double>());
  const nlohmann::json& psi = r["psi"];
  EXPECT_NEAR(psi["l2d"].get<double>(), by_hand, 1e-12 * by_hand);
  EXPECT_NEAR(psi["psi"].get<double>(),
              by_hand - psi["flanking_sum"].get<double>(), 1e-12 * by_hand);
  const nlohmann::json* room = Named(r["environments"], "room");
  ASSERT_TRUE(room);
  EXPECT_NEAR((*room)["flow"].get<double>(),
              r["conditions"][0]["flow"].get<double>() + r["conditions"][1]["flow"].get<double>(),
              1e-12);
  // Its floor alone would leave out the floor's flow, over a third of it.
  EXPECT_GT(by_hand, 1.4 * -flow[1][2].get<double>());
}

// A room in a box of concrete, air all round outside: each surface takes
// EN ISO 6946's resistance for the way its heat flows.
std::string RoomInABox(const std::string& resistance) {
  return "[grid]\nmax_cell = 100\n[materials]\nconcrete = 2.3\n[conditions]\n"
         "room = { ambient = 20, resistance = " + resistance + " }\n"
         "outside = { ambient = -5, resistance = 0.04 }\n"
         "[[shape]]\nfill = \"outside\"\nrect = [-320, -220, 3320, 2720]\n"
         "[[shape]]\nfill = \"concrete\"\nrect = [-300, -200, 3300, 2700]\n"
         "[[shape]]\nfill = \"room\"\nrect = [0, 0, 3000, 2500]\n";
}

TEST_F(Junctions, SurfacesTakeTheirResistanceByTheWayTheyFace) {
  const nlohmann::json r = Report("box.toml", RoomInABox("\"ISO 6946\""));
  const struct {
    const char* name;
    double h, length;
  } classes[] = {{"room (wall)", 1 / 0.13, 5.0}, {"room (ceiling)", 1 / 0.10, 3.0},
                 {"room (floor)", 1 / 0.17, 3.0}};
  for (const auto& c : classes) {
    const nlohmann::json* condition = Named(r["conditions"], c.name);
    ASSERT_TRUE(condition) << c.name;
    EXPECT_EQ((*condition)["h"].get<double>(), c.h) << c.name;
    EXPECT_NEAR((*condition)["length"].get<double>(), c.length, 1e-12) << c.name;
  }
  // The floor and the ceiling have a side on every cell column of the room.
  EXPECT_EQ((*Named(r["conditions"], "room (floor)"))["edges"],
            (*Named(r["conditions"], "room (ceiling)"))["edges"]);
  EXPECT_EQ(r["environments"][0]["name"], "room");
  EXPECT_EQ(r["environments"][0]["members"].size(), 3u);
  // Given by hand, the same resistances give the same flows.
  const nlohmann::json same = Report("box2.toml", RoomInABox("{ up = 0.10, side = 0.13, down = 0.17 }"));
  EXPECT_EQ(same["conditions"], r["conditions"]);
}

TEST_F(Junctions, ALayeredFloorPassesTheFlowOfItsLayersInOneDimension) {
  // Screed, insulation and concrete between the room above and air below.
  const nlohmann::json r = Report(
      "floor.toml",
      "[grid]\nmax_cell = 50\n[materials]\nscreed = 1.4\ninsulation = 0.035\nconcrete = 2.3\n"
      "[conditions]\nroom = { ambient = 20, resistance = \"ISO 6946\" }\n"
      "below = { ambient = -5, resistance = 0.04 }\n"
      "[[shape]]\nfill = \"concrete\"\nrect = [0, 0, 1000, 200]\n"
      "[[shape]]\nfill = \"insulation\"\nrect = [0, 200, 1000, 300]\n"
      "[[shape]]\nfill = \"screed\"\nrect = [0, 300, 1000, 360]\n"
      "[[shape]]\nfill = \"room\"\nrect = [0, 360, 1000, 400]\n"
      "[[shape]]\nfill = \"below\"\nrect = [0, -40, 1000, 0]\n");
  const double u = 1 / (0.17 + 0.06 / 1.4 + 0.1 / 0.035 + 0.2 / 2.3 + 0.04);
  ASSERT_EQ(r["conditions"][0]["name"], "room (floor)");
  EXPECT_NEAR(r["conditions"][0]["flow"].get<double>(), 25 * u * 1.0, 1e-12);
}

TEST_F(Junctions, PsiByExternalAndByInternalDimensionsDifferByUTimesTheLengths) {
  const nlohmann::json r = Example("external_corner.toml");
  const nlohmann::json& all = r["psi_values"];
  ASSERT_EQ(all.size(), 2u);
  const nlohmann::json& external = all[0];
  const nlohmann::json& internal = all[1];
  EXPECT_EQ(external["name"], "external dimensions");
  EXPECT_EQ(external["l2d"], internal["l2d"]);
  double difference = 0;
  for (int i = 0; i < 2; ++i) {
    const nlohmann::json& e = external["flanking"][i];
    const nlohmann::json& n = internal["flanking"][i];
    EXPECT_EQ(e["u"], n["u"]);
    difference += e["u"].get<double>() * (e["length"].get<double>() - n["length"].get<double>());
  }
  EXPECT_NEAR(internal["psi"].get<double>() - external["psi"].get<double>(), difference, 1e-14);
  EXPECT_NEAR(difference, 2 * external["flanking"][0]["u"].get<double>() * 0.36, 1e-14);
}

TEST_F(Junctions, TheMouldCheckIsJudgedOnTheCaseItNames) {
  const nlohmann::json r = Example("external_corner.toml");
  EXPECT_TRUE(r["frsi_verdict"].is_null());
  const nlohmann::json& mould = r["cases"][0];
  ASSERT_EQ(mould["name"], "mould");
  const nlohmann::json& verdict = mould["frsi_verdict"];
  EXPECT_EQ(verdict["frsi_min"], 0.7);
  EXPECT_EQ(verdict["met"], true);
  EXPECT_NEAR(verdict["margin"].get<double>(), mould["frsi"]["value"].get<double>() - 0.7, 1e-15);
}

// A brick wall in a climate of twelve months, its room at 50 % humidity.
std::string WallInAClimate(const std::string& inside, double mineral_wool) {
  return "[grid]\nmax_cell = 10\n[materials]\nbrick = 0.8\n\"mineral wool\" = " +
         std::to_string(mineral_wool) +
         "\n[conditions]\nroom = { ambient = 20, resistance = 0.25 }\n"
         "outside = { ambient = -5, resistance = 0.04 }\n"
         "[[shape]]\nfill = \"brick\"\nrect = [0, 0, 240, 100]\n"
         "[[shape]]\nfill = \"mineral wool\"\nrect = [-100, 0, 0, 100]\n"
         "[[shape]]\nfill = \"room\"\nrect = [240, 0, 260, 100]\n"
         "[[shape]]\nfill = \"outside\"\nrect = [-120, 0, -100, 100]\n"
         "[condensation]\ninside = { temperature = 20, " + inside + " }\n"
         "outside = { temperature = [-1, 0, 4, 9, 14, 17, 19, 18, 15, 10, 5, 1], "
         "humidity = [85, 83, 78, 72, 70, 71, 72, 74, 78, 82, 85, 86] }\n";
}

TEST_F(Junctions, MonthByMonthTheWorstMonthAsksTheFactor) {
  const nlohmann::json r = Report(
      "climate.toml", WallInAClimate("humidity = [50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50]",
                                     0.035));
  const nlohmann::json& january = r["condensation"]["months"][0];
  // By hand: p_sat(20) = 610.5 exp(17.269 x 20 / 257.3) = 2336.95 Pa; p_i =
  // 0.5 p_sat = 1168.5 Pa; at 80 % the surface may be as cold as where
  // p_sat = 1168.5 / 0.8 = 1460.6 Pa: theta = 237.3 ln(1460.6 / 610.5) /
  // (17.269 - ln(1460.6 / 610.5)) = 12.625 °C; fRsi,min = (12.625 + 1) /
  // (20 + 1) = 0.6488.
  EXPECT_NEAR(january["inside_pressure"].get<double>(), 1168.5, 0.1);
  EXPECT_NEAR(january["surface_minimum"].get<double>(), 12.625, 0.001);
  EXPECT_NEAR(january["frsi_min"].get<double>(), 0.6488, 0.0001);
  // At one inside humidity the coldest month asks the most.
  EXPECT_EQ(r["condensation"]["design"]["month"], 1);
  EXPECT_EQ(r["frsi_verdict"]["met"], true);
  // Without insulation (the wool as conductive as brick: U 1.40, fRsi 0.65)
  // a wet room's January asks 0.7045: 6 g/m3 above the outside's p_e =
  // 0.85 x 562.0 Pa (over ice) gives p_i = 477.7 + 0.006 x 462 x 282.65 =
  // 1261.2 Pa, and 1261.2 / 0.8 = 1576.5 Pa is saturated at 13.794 °C.
  const nlohmann::json bare = Report(
      "bare.toml", WallInAClimate("vapour_excess = [6, 6, 5, 4, 3, 2, 2, 2, 3, 4, 5, 6]", 0.8));
  EXPECT_NEAR(bare["condensation"]["months"][0]["frsi_min"].get<double>(), 0.7045, 0.0001);
  EXPECT_EQ(bare["frsi_verdict"]["met"], false);
  EXPECT_LT(bare["frsi_verdict"]["margin"].get<double>(), 0);
}

}  // namespace
}  // namespace kelvane::testing
