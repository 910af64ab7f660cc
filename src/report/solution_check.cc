#include "report/solution_check.h"

#include <algorithm>

#include "platform/error.h"
#include "report/coupling.h"
#include "report/heat_flow.h"

namespace kelvane {
namespace {

// Each material's conductivity where it has an element; each condition's h
// times the shortest and the longest of its edges, W/(m K) as well.
std::vector<Conductance> ConductancesOf(const SolvedField& field, const EnvironmentValues& values,
                                        const ModelLabels& labels) {
  const Model& model = *field.model;
  std::vector<char> used(model.MaterialTable.size(), 0);
  for (std::int32_t e = 1; e <= field.element_count; ++e) used[field.element_material[e]] = 1;
  std::vector<Conductance> conductances;
  for (std::size_t m = 1; m < used.size(); ++m) {
    if (!used[m]) continue;
    const Material& material = model.MaterialTable[m];
    conductances.push_back({"the conductivity of " + Quoted(labels.materials[m]),
                            std::max(material.ConductivityX, material.ConductivityY)});
    if (material.ConductivityY != material.ConductivityX) {
      conductances.push_back({"the conductivity of " + Quoted(labels.materials[m]),
                              std::min(material.ConductivityX, material.ConductivityY)});
    }
  }
  const std::size_t conditions = values.conditions.size();
  std::vector<double> shortest(conditions, 0), longest(conditions, 0);
  for (std::int32_t e = 1; e <= field.edge_count; ++e) {
    const std::int32_t v = field.edge_condition[e];
    const double length = field.EdgeLength(e);
    if (longest[v] == 0 || length < shortest[v]) shortest[v] = length;
    longest[v] = std::max(longest[v], length);
  }
  for (std::size_t v = 1; v < conditions; ++v) {
    const double h = values.conditions[v].HeatTransferCoefficient;
    if (longest[v] == 0) continue;
    const std::string what = "h times the edge length of " + Quoted(labels.Condition(static_cast<std::int32_t>(v)));
    conductances.push_back({what, h * longest[v]});
    if (shortest[v] != longest[v]) conductances.push_back({what, h * shortest[v]});
  }
  return conductances;
}

}  // namespace

SolutionFigures FiguresOf(const SolvedField& field, std::span<const double> t,
                          const EnvironmentValues& values, const ModelLabels& labels) {
  SolutionFigures figures;
  figures.temperature = t;
  const EnvironmentFlows flows = HeatFlows(field, t.data(), values.Ambients());
  for (const Environment& e : TouchingEnvironments(field, labels)) {
    if (e.kind == Environment::Kind::kConvection) {
      figures.environments.push_back({Quoted(e.name), values.conditions[e.number].AmbientTemperature,
                                      flows.condition[e.number]});
    } else {
      figures.environments.push_back({Quoted(e.name), values.fixed[e.number], flows.fixed[e.number]});
    }
  }
  figures.conductances = ConductancesOf(field, values, labels);
  return figures;
}

void RequireSound(const SolvedField& field, std::span<const double> t,
                  const EnvironmentValues& values, const ModelLabels& labels,
                  const std::string& load) {
  const std::optional<Unsoundness> found = CheckSoundness(FiguresOf(field, t, values, labels));
  if (!found) return;
  const std::string detail = load.empty() ? found->detail : "in " + load + ", " + found->detail;
  if (found->node == 0) throw RunError(ErrorKind::kInaccurate, "", detail);
  const auto [k, j] = field.NodePoints()[found->node];
  throw RunError(ErrorKind::kInaccurate, GridPlace{true, k, j}, detail);
}

}  // namespace kelvane
