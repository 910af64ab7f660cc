// The two-dimensional thermal coupling coefficients of a solved model, by
// superposition. The matrix left after the fixed temperatures are eliminated
// does not depend on the ambient or fixed values, so the run's factors serve
// every load: one solution per environment, with that environment at 1 and
// every other at 0, and no second factorisation.
//
// flow(i, j) is the heat flow into the model through environment i, in W per
// metre of depth, when environment j is at 1 K and every other at 0. The
// matrix is symmetric and its rows sum to zero; for i != j, the coupling
// coefficient L2D between i and j is -flow(i, j), in W/(m K). The flows of
// any set of environment temperatures theta are sum_j flow(i, j) theta(j).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/labels.h"
#include "solver/solver.h"

namespace kelvane {

struct Environment {
  enum class Kind { kConvection, kFixedTemperature };
  Kind kind = Kind::kConvection;
  std::int32_t number = 0;  // In ConvectionTable or FixedTemperatureTable.
  std::string name;
  double temperature = 0;   // The ambient or the fixed temperature.
  double coefficient = 0;   // h of a convection condition.
};

struct CouplingMatrix {
  // The environments that touch the model: conditions with at least one
  // edge, then fixed temperatures with at least one node, each in number
  // order.
  std::vector<Environment> environments;
  std::vector<std::vector<double>> flow;  // flow[i][j], 0-based
};

// The environments that touch the solved model, in that order, with the
// model's values and the names of `labels`.
std::vector<Environment> TouchingEnvironments(const SolvedField& field, const ModelLabels& labels);

// Each environment's load (it at 1, every other at 0) is checked as every
// solution is (report/solution_check.h).
CouplingMatrix ComputeCoupling(const Solution& solution, const ModelLabels& labels);

}  // namespace kelvane
