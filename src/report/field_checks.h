// What a solution shows that is valid but suspicious: a temperature outside
// the range of the ambients and fixed temperatures that drive the model. The
// exact field of steady conduction lies within that range; a node outside it
// by more than kOutsideRange is the grid's doing: cells too large for the
// convection beside them (a Biot number h dx / lambda well above 1).
#pragma once

#include <optional>
#include <span>
#include <string>

#include "model/environment_values.h"
#include "model/grid_place.h"
#include "solver/solved_field.h"

namespace kelvane {

// K: half the last digit the report shows of a temperature.
inline constexpr double kOutsideRange = 0.005;

struct FieldFinding {
  GridPlace at;  // The node furthest outside.
  std::string text;
};

// The range is that of the conditions that pass heat (an h above 0) and the
// fixed temperatures. The node of `t` furthest outside the range, if one is more than
// kOutsideRange outside, with how many are and the cell size that would
// resolve the convection there: lambda / h, the lowest conductivity of the
// elements at the node over the largest h of the model's surfaces.
std::optional<FieldFinding> CheckTemperatureRange(const SolvedField& field,
                                                  std::span<const double> t,
                                                  const EnvironmentValues& values);

}  // namespace kelvane
