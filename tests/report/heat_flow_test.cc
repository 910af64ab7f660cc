// Heat flows through convection conditions and fixed temperatures, and the
// hand-over of the finished run.

#include "report/heat_flow.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/input_reader.h"
#include "output/result_writer.h"
#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

// A wall of four layers, 1 m high in two rows: render 20 mm (0.87),
// insulation 100 mm (0.035), masonry 150 mm in two cells (0.8), plaster
// 15 mm (0.7). Its left and right sides carry the codes given.
ModelSketch LayeredWall(const std::string& left, const std::string& right,
                      std::vector<std::pair<double, double>> conditions,
                      std::vector<double> fixed) {
  const std::string row = left + " A1 A2 A3 A3 A4 " + right;
  return ModelSketch{{0.87, 0.035, 0.8, 0.7}, std::move(conditions), std::move(fixed),
                   {20, 100, 75, 75, 15}, {400, 600},
                   {". . . . . . .", row, row, ". . . . . . ."}};
}
constexpr double kLayers = 0.02 / 0.87 + 0.1 / 0.035 + 0.15 / 0.8 + 0.015 / 0.7;

EnvironmentFlows DirectFlows(const SolvedField& f) {
  return HeatFlows(f, f.temperature.data(), ValuesOf(*f.model).Ambients());
}

TEST(HeatFlow, LayeredWallCarriesTheOneDimensionalUValue) {
  struct Case {
    const char* name;
    ModelSketch sketch;
    double resistance;   // m2 K/W from the left environment to the right one
    double difference;   // left minus right
    bool left_is_fixed, right_is_fixed;
  };
  const Case cases[] = {
      {"convection both sides", LayeredWall("B1", "B2", {{-10, 25}, {20, 7.69}}, {}),
       1 / 25.0 + kLayers + 1 / 7.69, -30, false, false},
      {"fixed both sides", LayeredWall("C1", "C2", {}, {-10, 20}), kLayers, -30, true, true},
      {"fixed outside, convection inside", LayeredWall("C1", "B1", {{20, 7.69}}, {-10}),
       kLayers + 1 / 7.69, -30, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EnvironmentFlows flows;
    ASSERT_EQ(SolveAndInspect(c.sketch, [&](const SolvedField& f) { flows = DirectFlows(f); }), "");
    // 1 m of wall height carries U x dT; it enters on the warm right side.
    const double expected = c.difference / c.resistance * 1.0;
    const double left = c.left_is_fixed ? flows.fixed[1] : flows.condition[1];
    const double right = c.right_is_fixed ? flows.fixed[2]
                         : c.left_is_fixed ? flows.condition[1]
                                           : flows.condition[2];
    EXPECT_NEAR(left, expected, 1e-12 * std::fabs(expected));
    EXPECT_NEAR(right, -expected, 1e-12 * std::fabs(expected));
  }
}

TEST(HeatFlow, EnergyBalanceHoldsOnRandomModels) {
  std::mt19937 rng(20240611);
  int solved = 0;
  for (int trial = 0; trial < 400; ++trial) {
    ModelSketch sketch = RandomModel(rng);
    std::string error = SolveAndInspect(sketch, [&](const SolvedField& f) {
      EnvironmentFlows flows = DirectFlows(f);
      double sum = 0, largest = 0, scale = 0;
      for (std::size_t v = 1; v < flows.condition.size(); ++v) {
        sum += flows.condition[v];
        largest = std::max(largest, std::fabs(flows.condition[v]));
      }
      for (std::size_t i = 1; i < flows.fixed.size(); ++i) {
        sum += flows.fixed[i];
        largest = std::max(largest, std::fabs(flows.fixed[i]));
      }
      // The rounding of a reaction grows with the conductances that cancel
      // in it; bound the imbalance by those.
      for (const Material& m : f.model->MaterialTable) scale = std::max(scale, m.ConductivityX);
      double temperature = 0;
      for (std::int32_t n = 1; n <= f.node_count; ++n) {
        temperature = std::max(temperature, std::fabs(f.temperature[n]));
      }
      EXPECT_LE(std::fabs(sum), 1e-9 * std::max(largest, scale * temperature))
          << InputText(sketch);
      ++solved;
    });
    (void)error;
  }
  EXPECT_GT(solved, 100);
}

TEST(HeatFlow, EachEdgeCarriesHLTimesTheDifferenceToItsMeanTemperature) {
  // One cell 100 mm x 50 mm held at 10 on its left; a convection condition
  // at 30, h 4, along its top. The top edge's ends are node temperatures
  // ta (fixed, 10) and tb: the flow is 4 x 0.1 x (30 - (10 + tb) / 2).
  ModelSketch sketch{{2}, {{30, 4}}, {10}, {100}, {50}, {". B1 .", "C1 A1 .", ". . ."}};
  ASSERT_EQ(SolveAndInspect(sketch,
                            [&](const SolvedField& f) {
                              ASSERT_EQ(f.edge_count, 1);
                              EXPECT_EQ(f.edge_condition[1], 1);
                              const double tb = f.temperature[f.NodeAt(2, 1)];
                              EnvironmentFlows flows = DirectFlows(f);
                              EXPECT_DOUBLE_EQ(flows.condition[1], 0.4 * (30 - (10 + tb) / 2));
                              EXPECT_NEAR(flows.fixed[1], -flows.condition[1], 1e-12);
                            }),
            "");
}

TEST(HeatFlow, FixedNodeRowsAreTheAssembledEquations) {
  // Rows of the conduction matrix sum to zero; a fixed node without
  // convection edges keeps that in its recorded row, and a convection edge
  // adds hL/2 to the row sum of each of its ends.
  ModelSketch sketch{{1.5}, {{0, 6}}, {5}, {40, 40}, {20},
                 {". . . .", "C1 A1 A1 B1", ". . . ."}};
  ASSERT_EQ(SolveAndInspect(sketch,
                            [&](const SolvedField& f) {
                              ASSERT_EQ(f.fixed_count, 2);
                              for (std::int32_t i = 1; i <= 2; ++i) {
                                double sum = 0;
                                for (auto [c, k] : f.fixed_rows[i].couplings) sum += k;
                                EXPECT_NEAR(sum, 0, 1e-15);
                                EXPECT_EQ(f.fixed_rows[i].node, f.fixed_node[i]);
                                EXPECT_EQ(f.fixed_index[i], 1);
                              }
                            }),
            "");
}

// The loads of a solution on the run's factors are formed as the run forms
// its own: with the model's own values it gives the run's temperatures to
// the bit, with either solver.
TEST(HeatFlow, SolvingForTheModelsOwnValuesGivesItsTemperaturesToTheBit) {
  std::mt19937 rng(7);
  int compared = 0;
  for (int trial = 0; trial < 100; ++trial) {
    const ModelSketch sketch = RandomModel(rng);
    for (const SolverOptions& options : {SolverOptions(), SolverOptions{SolverKind::kSparse, 1}}) {
      SolveAndInspect(
          sketch,
          [&](const Solution& solution) {
            const SolvedField& f = solution.Field();
            const std::vector<double> again = solution.SolveFor(ValuesOf(*f.model));
            for (std::int32_t n = 1; n <= f.node_count; ++n) {
              ASSERT_EQ(again[n], f.temperature[n]) << "node " << n << "\n" << InputText(sketch);
            }
            ++compared;
          },
          options);
    }
  }
  EXPECT_GT(compared, 40);
}

}  // namespace
}  // namespace kelvane::testing
