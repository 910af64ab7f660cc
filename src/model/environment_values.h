// The values of a model's environments that a solution is made for: each
// convection condition's ambient and heat-transfer coefficient, and each
// fixed temperature. A case of a detail file changes some of them.
#pragma once

#include <vector>

#include "model/model.h"

namespace kelvane {

struct EnvironmentValues {
  std::vector<Convection> conditions;  // Entry v for condition v; entry 0 unused.
  std::vector<double> fixed;           // Entry i for fixed temperature i.

  // The ambient of every condition, entry 0 unused.
  std::vector<double> Ambients() const {
    std::vector<double> ambient(conditions.size(), 0.0);
    for (std::size_t v = 1; v < conditions.size(); ++v) {
      ambient[v] = conditions[v].AmbientTemperature;
    }
    return ambient;
  }
};

inline EnvironmentValues ValuesOf(const Model& model) {
  return {model.ConvectionTable, model.FixedTemperatureTable};
}

}  // namespace kelvane
