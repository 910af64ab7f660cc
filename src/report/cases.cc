#include "report/cases.h"

#include "report/heat_flow.h"

namespace kelvane {

bool ChangesCoefficients(const CaseDefinition& c, const Model& model) {
  for (std::size_t v = 1; v < model.ConvectionTable.size(); ++v) {
    if (c.values.conditions[v].HeatTransferCoefficient !=
        model.ConvectionTable[v].HeatTransferCoefficient) {
      return true;
    }
  }
  return false;
}

Model ModelForCase(const Model& model, const CaseDefinition& c) {
  Model case_model = model;
  case_model.ConvectionTable = c.values.conditions;
  case_model.FixedTemperatureTable = c.values.fixed;
  return case_model;
}

std::vector<double> SolveForValues(const SolvedField& field, const EnvironmentValues& values) {
  std::vector<double> f = ConvectionLoads(field, values.Ambients());
  std::vector<char> fixed(static_cast<std::size_t>(field.node_count) + 1, 0);
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) fixed[field.fixed_node[i]] = 1;
  // The fixed temperatures move to the load of the free nodes, fixed node by
  // fixed node as the run takes them out: F(c) -= K(c,p) T(p).
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) {
    const double t = values.fixed[field.fixed_index[i]];
    for (const auto& [c, k] : field.fixed_rows[i].couplings) {
      if (!fixed[c]) f[c] -= k * t;
    }
  }
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) {
    f[field.fixed_node[i]] = values.fixed[field.fixed_index[i]];
  }
  field.Solve(f);
  return f;
}

}  // namespace kelvane
