#include "report/report.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <utility>

#include "model/units.h"
#include "platform/number_text.h"
#include "model/grid_place.h"
#include "report/heat_flow.h"
#include "report/psi.h"

namespace kelvane {
namespace {

std::vector<ConditionReport> Conditions(const SolvedField& field, const ModelLabels& labels,
                                        const double* t, const EnvironmentValues& values,
                                        const EnvironmentFlows& flows) {
  const auto points = field.NodePoints();
  auto surface = [&](std::int32_t n) {
    const auto [k, j] = points[n];
    return SurfacePoint{t[n], k, j, labels.PointX(k, field.node_x[n]),
                        labels.PointY(j, field.node_y[n])};
  };
  std::vector<ConditionReport> conditions(static_cast<std::size_t>(field.ConvectionCount()));
  for (std::int32_t v = 1; v <= field.ConvectionCount(); ++v) {
    ConditionReport& c = conditions[v - 1];
    c.number = v;
    c.name = labels.Condition(v);
    c.ambient = values.conditions[v].AmbientTemperature;
    c.coefficient = values.conditions[v].HeatTransferCoefficient;
    c.flow = flows.condition[v];
  }
  for (std::int32_t e = 1; e <= field.edge_count; ++e) {
    ConditionReport& c = conditions[field.edge_condition[e] - 1];
    ++c.edges;
    c.length += field.EdgeLength(e);
    // The field is linear along an edge, so its extremes lie at the ends;
    // the first end met wins a tie.
    for (std::int32_t n : {field.edge_node1[e], field.edge_node2[e]}) {
      if (!c.lowest || t[n] < c.lowest->temperature) c.lowest = surface(n);
      if (!c.highest || t[n] > c.highest->temperature) c.highest = surface(n);
    }
  }
  return conditions;
}

std::vector<EnvironmentReport> Environments(const SolutionReport& r, const ModelLabels& labels) {
  std::vector<EnvironmentReport> environments;
  for (const EnvironmentLabel& label : labels.environments) {
    EnvironmentReport e{label.name, 0, 0, {}, false};
    bool first = true;
    for (std::int32_t v : label.conditions) {
      const ConditionReport& c = r.conditions[v - 1];
      e.members.push_back(c.name);
      e.flow += c.flow;
      e.touches = e.touches || c.edges > 0;
      if (first) e.ambient = c.ambient;
      first = false;
    }
    for (std::int32_t i : label.fixed) {
      const FixedReport& f = r.fixed[i - 1];
      e.members.push_back(f.name);
      e.flow += f.flow;
      e.touches = e.touches || f.nodes > 0;
      if (first) e.ambient = f.temperature;
      first = false;
    }
    environments.push_back(std::move(e));
  }
  return environments;
}

// The conditions of an environment that take part in fRsi: with edges and
// h != 0.
std::vector<const ConditionReport*> TakingPart(const SolutionReport& r,
                                               const EnvironmentLabel& label) {
  std::vector<const ConditionReport*> part;
  for (std::int32_t v : label.conditions) {
    const ConditionReport& c = r.conditions[v - 1];
    if (c.edges > 0 && c.coefficient != 0) part.push_back(&c);
  }
  return part;
}

// fRsi of every warm environment: those at the highest ambient of the
// environments that take part, against the first at the lowest.
std::vector<TemperatureFactor> Factors(const SolutionReport& r, const ModelLabels& labels) {
  std::vector<std::pair<const EnvironmentLabel*, std::vector<const ConditionReport*>>> part;
  for (const EnvironmentLabel& label : labels.environments) {
    std::vector<const ConditionReport*> conditions = TakingPart(r, label);
    if (!conditions.empty()) part.emplace_back(&label, std::move(conditions));
  }
  if (part.size() < 2) return {};
  auto ambient = [](const auto& p) { return p.second.front()->ambient; };
  const auto cold = std::min_element(part.begin(), part.end(), [&](const auto& a, const auto& b) {
    return ambient(a) < ambient(b);
  });
  const double inside = ambient(*std::max_element(
      part.begin(), part.end(), [&](const auto& a, const auto& b) { return ambient(a) < ambient(b); }));
  if (!(inside > ambient(*cold))) return {};
  std::vector<TemperatureFactor> factors;
  for (const auto& [label, conditions] : part) {
    if (conditions.front()->ambient != inside) continue;
    const ConditionReport* lowest = conditions.front();
    for (const ConditionReport* c : conditions) {
      if (c->lowest->temperature < lowest->lowest->temperature) lowest = c;
    }
    TemperatureFactor f;
    f.environment = label->name;
    f.warm_condition = lowest->number;
    f.warm_name = lowest->name;
    f.cold_environment = cold->first->name;
    f.cold_condition = cold->second.front()->number;
    f.cold_name = cold->second.front()->name;
    f.inside = inside;
    f.outside = ambient(*cold);
    f.surface = *lowest->lowest;
    f.value = (f.surface.temperature - f.outside) / (f.inside - f.outside);
    factors.push_back(std::move(f));
  }
  return factors;
}

// The area of each material's cells, m2, summed over the cells row by row.
std::vector<double> CellAreas(const SolvedField& field) {
  std::vector<double> area(static_cast<std::size_t>(field.MaterialCount()) + 1, 0.0);
  for (std::int32_t j = 1; j <= field.last_row - 2; ++j) {
    const double height = field.line_y_mm[j + 1] - field.line_y_mm[j];
    for (std::int32_t k = 1; k <= field.last_column - 2; ++k) {
      const CellRole role = field.CellAt(k, j);
      if (role.kind != CellKind::kMaterial) continue;
      area[role.number] += (field.line_x_mm[k + 1] - field.line_x_mm[k]) * height;
    }
  }
  for (double& a : area) a = SquareMillimetreToSquareMetre(a);
  return area;
}

// Every material, with the drawing's areas for a detail file (the grid
// maker's, which weigh the cells against the drawing) and its cells' areas
// otherwise.
std::vector<MaterialReport> Materials(const SolvedField& field, const ModelLabels& labels) {
  std::vector<MaterialReport> materials;
  const std::vector<double> cells = labels.drawing ? std::vector<double>() : CellAreas(field);
  for (std::int32_t m = 1; m <= field.MaterialCount(); ++m) {
    const Material& material = field.model->MaterialTable[m];
    MaterialReport r{labels.materials[m], material.ConductivityX, material.ConductivityY, 0, {}, {}};
    if (static_cast<std::size_t>(m) < labels.material_sources.size()) {
      r.source = labels.material_sources[m];
    }
    if (labels.drawing) {
      const MaterialArea& area = labels.areas[m - 1];
      r.cells = SquareMillimetreToSquareMetre(area.cells);
      r.drawn = SquareMillimetreToSquareMetre(area.drawn);
    } else {
      r.cells = cells[m];
    }
    materials.push_back(std::move(r));
  }
  return materials;
}

}  // namespace

// L2D between every two environments that touch the model.
std::vector<EnvironmentCoupling> EnvironmentCouplings(const CouplingMatrix& coupling,
                                                      const ModelLabels& labels) {
  std::vector<const EnvironmentLabel*> touching;
  for (const EnvironmentLabel& e : labels.environments) {
    const bool touches = std::any_of(
        coupling.environments.begin(), coupling.environments.end(), [&](const Environment& c) {
          const auto& numbers = c.kind == Environment::Kind::kConvection ? e.conditions : e.fixed;
          return std::find(numbers.begin(), numbers.end(), c.number) != numbers.end();
        });
    if (touches) touching.push_back(&e);
  }
  std::vector<EnvironmentCoupling> pairs;
  for (std::size_t a = 0; a < touching.size(); ++a) {
    for (std::size_t b = a + 1; b < touching.size(); ++b) {
      pairs.push_back({{touching[a]->name, touching[b]->name},
                       CouplingBetween(coupling, *touching[a], *touching[b], "")});
    }
  }
  return pairs;
}

bool MaterialReport::AsDrawn() const {
  return !drawn || MaterialArea{name, *drawn, cells}.AsDrawn();
}

std::string FrsiWithheldText(const SolutionReport& r) {
  const SolutionReport::FactorWithheld& w = *r.frsi_withheld;
  const bool above = w.by.temperature > w.inside;
  return "not given, since the fixed temperature " + Quoted(w.by.name) + " (" +
         NumberText(w.by.temperature, 6) + ") lies " + (above ? "above the warm" : "below the cold") +
         " side's ambient (" + NumberText(above ? w.inside : w.outside, 6) + ")";
}

GridSize GridSizeOf(const SolvedField& field) {
  return {field.last_column - 2, field.last_row - 2, field.node_count, field.element_count};
}

SolutionReport ReportSolution(const SolvedField& field, std::span<const double> t,
                              const EnvironmentValues& values, const ModelLabels& labels) {
  const EnvironmentFlows flows = HeatFlows(field, t.data(), values.Ambients());
  SolutionReport r;
  r.conditions = Conditions(field, labels, t.data(), values, flows);
  for (std::size_t i = 1; i < values.fixed.size(); ++i) {
    r.fixed.push_back({static_cast<std::int32_t>(i), labels.Fixed(static_cast<std::int32_t>(i)),
                       values.fixed[i], 0, flows.fixed[i]});
  }
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) ++r.fixed[field.fixed_index[i] - 1].nodes;
  for (const ConditionReport& c : r.conditions) {
    r.balance += c.flow;
    r.largest_flow = std::max(r.largest_flow, std::fabs(c.flow));
  }
  for (const FixedReport& f : r.fixed) {
    r.balance += f.flow;
    r.largest_flow = std::max(r.largest_flow, std::fabs(f.flow));
  }
  if (r.largest_flow > 0) r.relative_balance = r.balance / r.largest_flow;
  r.environments = Environments(r, labels);
  std::vector<TemperatureFactor> factors = Factors(r, labels);
  for (const FixedReport& f : r.fixed) {
    if (factors.empty() || f.nodes == 0 || r.frsi_withheld) continue;
    if (f.temperature > factors.front().inside || f.temperature < factors.front().outside) {
      r.frsi_withheld = {f, factors.front().inside, factors.front().outside};
      factors.clear();
    }
  }
  if (!factors.empty()) {
    r.frsi = *std::min_element(factors.begin(), factors.end(),
                               [](const auto& a, const auto& b) { return a.value < b.value; });
  }
  if (factors.size() > 1) r.frsi_by_environment = std::move(factors);
  for (const ProbePoint& p : labels.probes) {
    r.probes.push_back({p.name, MillimetreToMetre(p.x_mm), MillimetreToMetre(p.y_mm),
                        field.FieldAt(t, p.spot.column, p.spot.row, p.spot.fx, p.spot.fy)});
  }
  return r;
}

ModelReport BuildReport(const Solution& solution, const ModelLabels& labels,
                        const std::string& model, const ReportRequest& request) {
  const SolvedField& field = solution.Field();
  ModelReport report;
  report.model = model;
  report.title = labels.title;
  report.solver = field.solver;
  report.solver_reason = field.solver_reason;
  report.labels = labels;
  report.grid = GridSizeOf(field);
  report.materials = Materials(field, labels);
  report.base = ReportSolution(field, field.temperature, ValuesOf(*field.model), labels);
  if (!request.coupling && request.psi.empty() && !request.frame) return report;
  CouplingMatrix coupling = ComputeCoupling(solution, labels);
  for (const PsiRequest& psi : request.psi) report.psi.push_back(ComputePsi(coupling, psi));
  if (request.frame) report.frame = ComputeFrame(coupling, *request.frame);
  if (request.coupling) {
    report.environment_coupling = EnvironmentCouplings(coupling, labels);
    report.coupling = std::move(coupling);
  }
  return report;
}

}  // namespace kelvane
