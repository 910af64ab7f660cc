#include "report/coupling.h"

#include "report/heat_flow.h"

namespace kelvane {
namespace {

std::vector<Environment> TouchingEnvironments(const SolvedField& field) {
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
    environments.push_back({Environment::Kind::kConvection, v, c.AmbientTemperature,
                            c.HeatTransferCoefficient});
  }
  for (std::int32_t i = 1; i <= fixed_count; ++i) {
    if (!has_node[i]) continue;
    environments.push_back(
        {Environment::Kind::kFixedTemperature, i, model.FixedTemperatureTable[i], 0});
  }
  return environments;
}

}  // namespace

CouplingMatrix ComputeCoupling(const SolvedField& field) {
  CouplingMatrix m;
  m.environments = TouchingEnvironments(field);
  const std::size_t count = m.environments.size();
  m.flow.assign(count, std::vector<double>(count, 0.0));
  std::vector<char> fixed(static_cast<std::size_t>(field.node_count) + 1, 0);
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) fixed[field.fixed_node[i]] = 1;
  for (std::size_t j = 0; j < count; ++j) {
    const Environment& unit = m.environments[j];
    const bool convection = unit.kind == Environment::Kind::kConvection;
    std::vector<double> ambient(static_cast<std::size_t>(field.ConvectionCount()) + 1, 0.0);
    if (convection) ambient[unit.number] = 1;
    std::vector<double> f = ConvectionLoads(field, ambient);
    // The elimination of the fixed nodes: the couplings of those at 1 move
    // to the load of the free nodes, then every fixed row reads T = value.
    for (std::int32_t i = 1; i <= field.fixed_count; ++i) {
      if (convection || field.fixed_index[i] != unit.number) continue;
      for (const auto& [c, k] : field.fixed_rows[i].couplings) {
        if (!fixed[c]) f[c] -= k;  /* F(c) -= K(c,p) x 1 */
      }
    }
    for (std::int32_t i = 1; i <= field.fixed_count; ++i) {
      const bool at_one = !convection && field.fixed_index[i] == unit.number;
      f[field.fixed_node[i]] = at_one ? 1 : 0;
    }
    field.Solve(f);
    const EnvironmentFlows flows = HeatFlows(field, f.data(), ambient);
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
