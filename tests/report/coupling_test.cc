// Coupling coefficients by superposition over the run's one factorisation.

#include "report/coupling.h"

#include <gtest/gtest.h>

#include <cmath>

#include "report/heat_flow.h"
#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

double Largest(const CouplingMatrix& m) {
  double largest = 0;
  for (const auto& row : m.flow) {
    for (double x : row) largest = std::max(largest, std::fabs(x));
  }
  return largest;
}

// Symmetry, zero row sums, and the direct run's flows rebuilt from the
// matrix with the model's own environment temperatures.
void CheckCoupling(const Solution& solution, const std::string& model) {
  const SolvedField& f = solution.Field();
  const CouplingMatrix m = ComputeCoupling(solution, GridFileLabels(*f.model));
  const std::size_t count = m.environments.size();
  const double tolerance = 1e-9 * std::max(1.0, Largest(m));
  const EnvironmentFlows direct = HeatFlows(f, f.temperature.data(), ValuesOf(*f.model).Ambients());
  double largest_direct = 0;
  for (double x : direct.condition) largest_direct = std::max(largest_direct, std::fabs(x));
  for (double x : direct.fixed) largest_direct = std::max(largest_direct, std::fabs(x));
  for (std::size_t i = 0; i < count; ++i) {
    double row = 0, superposed = 0;
    for (std::size_t j = 0; j < count; ++j) {
      EXPECT_NEAR(m.flow[i][j], m.flow[j][i], tolerance) << i << "," << j << "\n" << model;
      row += m.flow[i][j];
      superposed += m.flow[i][j] * m.environments[j].temperature;
    }
    EXPECT_NEAR(row, 0, tolerance) << i << "\n" << model;
    const Environment& e = m.environments[i];
    const double flow = e.kind == Environment::Kind::kConvection ? direct.condition[e.number]
                                                                 : direct.fixed[e.number];
    EXPECT_NEAR(superposed, flow, 1e-9 * std::max({1.0, largest_direct, Largest(m) * 40}))
        << i << "\n" << model;
  }
}

TEST(Coupling, SymmetricRowsSumToZeroAndSuperposeToTheDirectRun) {
  std::mt19937 rng(1234);
  int checked = 0;
  for (int trial = 0; trial < 400; ++trial) {
    ModelSketch sketch = RandomModel(rng);
    SolveAndInspect(sketch, [&](const Solution& s) {
      CheckCoupling(s, InputText(sketch));
      ++checked;
    });
  }
  EXPECT_GT(checked, 100);
}

TEST(Coupling, LayeredWallCouplesItsSidesByUTimesHeight) {
  // 200 mm of conductivity 0.5 with h 10 on both sides, 2 m high:
  // U = 1 / (0.1 + 0.4 + 0.1) and L2D = 2 U. A third condition and a fixed
  // temperature touch nothing and are left out.
  ModelSketch sketch{{0.5}, {{20, 10}, {-5, 10}, {3, 3}}, {7}, {100, 100}, {2000},
                 {". . . .", "B1 A1 A1 B2", ". . . ."}};
  ASSERT_EQ(SolveAndInspect(sketch,
                            [&](const Solution& s) {
                              const CouplingMatrix m = ComputeCoupling(s, GridFileLabels(*s.Field().model));
                              ASSERT_EQ(m.environments.size(), 2u);
                              EXPECT_EQ(m.environments[0].number, 1);
                              EXPECT_EQ(m.environments[1].number, 2);
                              const double l2d = 2 / 0.6;
                              EXPECT_NEAR(m.flow[0][0], l2d, 1e-12);
                              EXPECT_NEAR(m.flow[0][1], -l2d, 1e-12);
                              EXPECT_NEAR(m.flow[1][1], l2d, 1e-12);
                            }),
            "");
}

TEST(Coupling, FixedTemperaturesAreEnvironmentsToo) {
  // Fixed 0 on the left, 100 on the right, convection above: three
  // environments, and the fixed temperatures' nodes at the top corners
  // share the convection edges' ends.
  ModelSketch sketch{{1.2}, {{15, 8}}, {0, 100}, {50, 50, 50}, {30, 30},
                 {". B1 B1 B1 .", "C1 A1 A1 A1 C2", "C1 A1 A1 A1 C2", ". . . . ."}};
  ASSERT_EQ(SolveAndInspect(sketch,
                            [&](const Solution& s) {
                              const CouplingMatrix m = ComputeCoupling(s, GridFileLabels(*s.Field().model));
                              ASSERT_EQ(m.environments.size(), 3u);
                              EXPECT_EQ(m.environments[1].kind,
                                        Environment::Kind::kFixedTemperature);
                              EXPECT_EQ(m.environments[2].temperature, 100);
                              CheckCoupling(s, "fixed and convection");
                            }),
            "");
}

}  // namespace
}  // namespace kelvane::testing
