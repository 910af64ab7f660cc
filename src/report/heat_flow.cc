#include "report/heat_flow.h"

#include <algorithm>

#include "solver/loads.h"

namespace kelvane {

namespace {

// Calls edge(v, q) with the flow q into the model through every convection
// edge of condition v, then fixed(i, q) with the reaction q of every node
// held at fixed temperature i.
template <typename Edge, typename Fixed>
void VisitFlows(const SolvedField& field, const double* t, const std::vector<double>& ambient,
                Edge edge, Fixed fixed) {
  for (std::int32_t e = 1; e <= field.edge_count; ++e) {
    const std::int32_t v = field.edge_condition[e];
    const double hl = field.EdgeLength(e) * field.edge_coefficient[e];
    const double mean = (t[field.edge_node1[e]] + t[field.edge_node2[e]]) / 2;
    edge(v, hl * (ambient[v] - mean));
  }
  if (field.fixed_count == 0) return;
  std::vector<double> load(static_cast<std::size_t>(field.node_count) + 1, 0.0);
  AddConvectionLoad(field.Edges(), field.node_x.data(), field.node_y.data(), ambient, load.data());
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) {
    const AssembledRow& row = field.fixed_rows[i];
    double kt = 0;
    for (const auto& [c, k] : row.couplings) kt += k * t[c];
    fixed(field.fixed_index[i], kt - load[row.node]);
  }
}

}  // namespace

EnvironmentFlows HeatFlows(const SolvedField& field, const double* t,
                           const std::vector<double>& ambient) {
  EnvironmentFlows flows;
  flows.condition.assign(static_cast<std::size_t>(field.ConvectionCount()) + 1, 0.0);
  flows.fixed.assign(static_cast<std::size_t>(field.FixedTemperatureCount()) + 1, 0.0);
  VisitFlows(
      field, t, ambient, [&](std::int32_t v, double q) { flows.condition[v] += q; },
      [&](std::int32_t i, double q) { flows.fixed[i] += q; });
  return flows;
}

double EnteringFlow(const SolvedField& field, const double* t, const std::vector<double>& ambient) {
  double entering = 0;
  auto add = [&](std::int32_t, double q) { entering += std::max(0.0, q); };
  VisitFlows(field, t, ambient, add, add);
  return entering;
}

}  // namespace kelvane
