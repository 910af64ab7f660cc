// The heat flows of a solved temperature field through its environments, in
// W per metre of depth, positive into the model:
// - through convection condition v: the sum over its edges of
//   h L (T_ambient - mean of the two end temperatures), which is what the
//   consistent edge terms impose;
// - through fixed temperature i: the sum over the nodes fixed at it of the
//   reaction of their assembled equations, sum_c K(p, c) T(c) - F(p), with
//   F(p) the convection load on p.
// Over all environments the flows sum to zero, up to rounding.
#pragma once

#include <cstdint>
#include <vector>

#include "model/environment_values.h"
#include "solver/solved_field.h"

namespace kelvane {

struct EnvironmentFlows {
  std::vector<double> condition;  // 1..ConvectionCount; entry 0 unused
  std::vector<double> fixed;      // 1..FixedTemperatureCount; entry 0 unused
};

// The flows of the field t[1..NodeCount], which solves the run's system with
// the condition ambients `ambient`.
EnvironmentFlows HeatFlows(const SolvedField& field, const double* t,
                           const std::vector<double>& ambient);

// The sum of the heat flows entering the model, W/m: the flow of every
// convection edge and the reaction of every fixed node, where it is
// positive. The grid check of EN ISO 10211 compares it between two grids.
double EnteringFlow(const SolvedField& field, const double* t, const std::vector<double>& ambient);

}  // namespace kelvane
