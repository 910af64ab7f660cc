#include "report/field_checks.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/units.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

// The range of what drives the field: the ambients of the conditions that
// have an edge and the fixed temperatures that hold a node.
struct Range {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  double largest_h = 0;

  void Take(double value) {
    low = std::min(low, value);
    high = std::max(high, value);
  }
  double Outside(double value) const { return std::max(low - value, value - high); }
};

Range RangeOf(const SolvedField& field, const EnvironmentValues& values) {
  Range range;
  for (std::int32_t e = 1; e <= field.edge_count; ++e) {
    const Convection& c = values.conditions[field.edge_condition[e]];
    if (!(c.HeatTransferCoefficient > 0)) continue;  // It passes no heat.
    range.Take(c.AmbientTemperature);
    range.largest_h = std::max(range.largest_h, c.HeatTransferCoefficient);
  }
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) {
    range.Take(values.fixed[field.fixed_index[i]]);
  }
  return range;
}

// The lowest conductivity, either way, of the elements at `node`.
double LowestConductivityAt(const SolvedField& field, std::int32_t node) {
  double lowest = std::numeric_limits<double>::infinity();
  for (std::int32_t e = 1; e <= field.element_count; ++e) {
    const auto& n = field.element_nodes[e];
    if (std::find(n.begin() + 1, n.end(), node) == n.end()) continue;
    const Material& m = field.model->MaterialTable[field.element_material[e]];
    lowest = std::min({lowest, m.ConductivityX, m.ConductivityY});
  }
  return lowest;
}

}  // namespace

std::optional<FieldFinding> CheckTemperatureRange(const SolvedField& field,
                                                  std::span<const double> t,
                                                  const EnvironmentValues& values) {
  const Range range = RangeOf(field, values);
  if (!(range.low <= range.high)) return std::nullopt;
  std::int32_t worst = 0, outside = 0;
  for (std::int32_t n = 1; n <= field.node_count; ++n) {
    if (!(range.Outside(t[n]) > kOutsideRange)) continue;
    ++outside;
    if (worst == 0 || range.Outside(t[n]) > range.Outside(t[worst])) worst = n;
  }
  if (worst == 0) return std::nullopt;
  std::string text = "a temperature of " + NumberText(t[worst], 4) + " lies outside " +
                     NumberText(range.low, 6) + " to " + NumberText(range.high, 6) +
                     ", the range of the ambients and fixed temperatures";
  if (outside > 1) text += " (" + std::to_string(outside - 1) + " more nodes do)";
  text += ": the grid is too coarse there";
  const double lambda = LowestConductivityAt(field, worst);
  if (range.largest_h > 0 && std::isfinite(lambda)) {
    text += " for the convection; cells no larger than lambda / h = " +
            NumberText(MetreToMillimetre(lambda / range.largest_h), 2) + " mm there would help";
  }
  const auto [k, j] = field.NodePoints()[worst];
  return FieldFinding{GridPointPlace(k, j), text};
}

}  // namespace kelvane
