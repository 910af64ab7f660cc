// Cases on the model's factors: other ambients and fixed temperatures give
// what a separate run with them gives.

#include "report/cases.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/environment_values.h"
#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

std::vector<double> Temperatures(const SolvedField& f) {
  return std::vector<double>(f.temperature.begin(), f.temperature.end());
}

TEST(Cases, OtherAmbientsOnTheModelsFactorsMatchASeparateRun) {
  std::mt19937 rng(11);
  int compared = 0;
  for (int trial = 0; trial < 150; ++trial) {
    ModelSketch sketch = RandomModel(rng);
    // The same model with other ambients and fixed temperatures.
    ModelSketch other = sketch;
    for (auto& [ambient, h] : other.conditions) ambient = ambient * 0.5 - 7;
    for (double& t : other.fixed) t = 3 - t;
    std::vector<double> on_factors, separate;
    bool changes_nothing = true;
    const std::string error = SolveAndInspect(sketch, [&](const Solution& solution) {
      const SolvedField& f = solution.Field();
      EnvironmentValues values = ValuesOf(*f.model);
      for (std::size_t v = 1; v < values.conditions.size(); ++v) {
        values.conditions[v].AmbientTemperature = other.conditions[v - 1].first;
      }
      for (std::size_t i = 1; i < values.fixed.size(); ++i) values.fixed[i] = other.fixed[i - 1];
      changes_nothing = !ChangesCoefficients({"c", values, std::nullopt}, *f.model);
      on_factors = solution.SolveFor(values);
    });
    if (!error.empty()) continue;
    ASSERT_EQ(SolveAndInspect(other, [&](const SolvedField& f) { separate = Temperatures(f); }),
              "");
    EXPECT_TRUE(changes_nothing);
    double scale = 1;
    for (double t : separate) scale = std::max(scale, std::fabs(t));
    for (std::size_t n = 1; n < separate.size(); ++n) {
      EXPECT_NEAR(on_factors[n], separate[n], 1e-12 * scale) << InputText(sketch);
    }
    ++compared;
  }
  EXPECT_GT(compared, 50);
}

TEST(Cases, AnotherCoefficientNeedsAFactorisationOfItsOwn) {
  Model model;
  model.ConvectionTable = {Convection{}, Convection{20, 7.7}, Convection{-10, 25}};
  model.FixedTemperatureTable = {0, 45};
  EnvironmentValues values = ValuesOf(model);
  values.conditions[2].AmbientTemperature = -5;
  values.fixed[1] = 50;
  EXPECT_FALSE(ChangesCoefficients({"ambients", values, std::nullopt}, model));
  values.conditions[1].HeatTransferCoefficient = 4;
  EXPECT_TRUE(ChangesCoefficients({"mould check", values, std::nullopt}, model));
  const Model for_case = ModelForCase(model, {"mould check", values, std::nullopt});
  EXPECT_EQ(for_case.ConvectionTable[1].HeatTransferCoefficient, 4);
  EXPECT_EQ(for_case.FixedTemperatureTable[1], 50);
}

}  // namespace
}  // namespace kelvane::testing
