#include "report/coupling.h"

#include "platform/error.h"
#include "report/heat_flow.h"
#include "report/solution_check.h"

namespace kelvane {

std::vector<Environment> TouchingEnvironments(const SolvedField& field,
                                               const ModelLabels& labels) {
  const Model& model = *field.model;
  std::vector<char> has_edge(static_cast<std::size_t>(field.ConvectionCount()) + 1, 0);
  for (std::int32_t e = 1; e <= field.edge_count; ++e) has_edge[field.edge_condition[e]] = 1;
  const std::int32_t fixed_count = field.FixedTemperatureCount();
  std::vector<char> has_node(static_cast<std::size_t>(fixed_count) + 1, 0);
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) has_node[field.fixed_index[i]] = 1;
  std::vector<Environment> environments;
  for (std::int32_t v = 1; v <= field.ConvectionCount(); ++v) {
    if (!has_edge[v]) continue;
    const Convection& c = model.ConvectionTable[v];
    environments.push_back({Environment::Kind::kConvection, v, labels.Condition(v),
                            c.AmbientTemperature, c.HeatTransferCoefficient});
  }
  for (std::int32_t i = 1; i <= fixed_count; ++i) {
    if (!has_node[i]) continue;
    environments.push_back(
        {Environment::Kind::kFixedTemperature, i, labels.Fixed(i), model.FixedTemperatureTable[i], 0});
  }
  return environments;
}

CouplingMatrix ComputeCoupling(const Solution& solution, const ModelLabels& labels) {
  const SolvedField& field = solution.Field();
  CouplingMatrix m;
  m.environments = TouchingEnvironments(field, labels);
  const std::size_t count = m.environments.size();
  m.flow.assign(count, std::vector<double>(count, 0.0));
  const EnvironmentValues model_values = ValuesOf(*field.model);
  for (std::size_t j = 0; j < count; ++j) {
    // Environment j at 1, every other at 0.
    const Environment& unit = m.environments[j];
    EnvironmentValues values = model_values;
    for (Convection& c : values.conditions) c.AmbientTemperature = 0;
    for (double& t : values.fixed) t = 0;
    if (unit.kind == Environment::Kind::kConvection) {
      values.conditions[unit.number].AmbientTemperature = 1;
    } else {
      values.fixed[unit.number] = 1;
    }
    const std::vector<double> t = solution.SolveFor(values);
    RequireSound(field, t, values, labels, "the coupling load of " + Quoted(unit.name) + " at 1 K");
    const EnvironmentFlows flows = HeatFlows(field, t.data(), values.Ambients());
    for (std::size_t i = 0; i < count; ++i) {
      const Environment& through = m.environments[i];
      m.flow[i][j] = through.kind == Environment::Kind::kConvection
                         ? flows.condition[through.number]
                         : flows.fixed[through.number];
    }
  }
  return m;
}

}  // namespace kelvane
