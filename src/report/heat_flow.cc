#include "report/heat_flow.h"

#include <cmath>

namespace kelvane {

double EdgeLength(const SolverState& s, std::int32_t e) {
  const std::int32_t a = s.ConvEdgeNode1[e];
  const std::int32_t b = s.ConvEdgeNode2[e];
  const double dx = s.NodeX[a] - s.NodeX[b];
  const double dy = s.NodeY[a] - s.NodeY[b];
  return std::sqrt(dx * dx + dy * dy);
}

std::vector<double> ModelAmbients(const SolverState& s) {
  std::vector<double> ambient(static_cast<std::size_t>(s.ConvectionCount) + 1, 0.0);
  for (std::int32_t v = 1; v <= s.ConvectionCount; ++v) {
    ambient[v] = s.model.ConvectionTable[v].AmbientTemperature;
  }
  return ambient;
}

std::vector<double> ConvectionLoads(const SolverState& s, const std::vector<double>& ambient) {
  std::vector<double> f(static_cast<std::size_t>(s.NodeCount) + 1, 0.0);
  for (std::int32_t e = 1; e <= s.ConvEdgeCount; ++e) {
    const double hl = EdgeLength(s, e) * s.ConvEdgeCoefficient[e];
    const double q = (ambient[s.ConvEdgeCondition[e]] * hl) / 2;
    f[s.ConvEdgeNode1[e]] += q;
    f[s.ConvEdgeNode2[e]] += q;
  }
  return f;
}

EnvironmentFlows HeatFlows(const SolvedField& field, const double* t,
                           const std::vector<double>& ambient) {
  const SolverState& s = field.s();
  EnvironmentFlows flows;
  flows.condition.assign(static_cast<std::size_t>(s.ConvectionCount) + 1, 0.0);
  flows.fixed.assign(static_cast<std::size_t>(s.model.FixedTemperatureCount()) + 1, 0.0);
  for (std::int32_t e = 1; e <= s.ConvEdgeCount; ++e) {
    const std::int32_t v = s.ConvEdgeCondition[e];
    const double hl = EdgeLength(s, e) * s.ConvEdgeCoefficient[e];
    const double mean = (t[s.ConvEdgeNode1[e]] + t[s.ConvEdgeNode2[e]]) / 2;
    flows.condition[v] += hl * (ambient[v] - mean);
  }
  if (s.FixedNodeCount == 0) return flows;
  const std::vector<double> load = ConvectionLoads(s, ambient);
  for (std::int32_t i = 1; i <= s.FixedNodeCount; ++i) {
    const AssembledRow& row = field.fixed_rows[i];
    double kt = 0;
    for (const auto& [c, k] : row.couplings) kt += k * t[c];
    flows.fixed[s.FixedNodeIndex[i]] += kt - load[row.node];
  }
  return flows;
}

}  // namespace kelvane
