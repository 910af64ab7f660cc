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

std::optional<TemperatureFactor> Factor(const std::vector<ConditionReport>& conditions) {
  const ConditionReport* warm = nullptr;
  const ConditionReport* cold = nullptr;
  int taking_part = 0;
  for (const ConditionReport& c : conditions) {
    if (c.edges == 0 || c.coefficient == 0) continue;
    ++taking_part;
    if (!warm || c.ambient > warm->ambient ||
        (c.ambient == warm->ambient && c.lowest->temperature < warm->lowest->temperature)) {
      warm = &c;
    }
    if (!cold || c.ambient < cold->ambient) cold = &c;
  }
  if (taking_part < 2 || !(warm->ambient > cold->ambient)) return std::nullopt;
  TemperatureFactor f;
  f.warm_condition = warm->number;
  f.cold_condition = cold->number;
  f.warm_name = warm->name;
  f.cold_name = cold->name;
  f.inside = warm->ambient;
  f.outside = cold->ambient;
  f.surface = *warm->lowest;
  f.value = (f.surface.temperature - f.outside) / (f.inside - f.outside);
  return f;
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
    MaterialReport r{labels.materials[m], material.ConductivityX, material.ConductivityY, 0, {}};
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
  r.frsi = Factor(r.conditions);
  for (const FixedReport& f : r.fixed) {
    if (!r.frsi || f.nodes == 0) continue;
    if (f.temperature > r.frsi->inside || f.temperature < r.frsi->outside) {
      r.frsi_withheld = {f, r.frsi->inside, r.frsi->outside};
      r.frsi.reset();
    }
  }
  for (const ProbePoint& p : labels.probes) {
    r.probes.push_back({p.name, MillimetreToMetre(p.x_mm), MillimetreToMetre(p.y_mm),
                        field.FieldAt(t, p.spot.column, p.spot.row, p.spot.fx, p.spot.fy)});
  }
  return r;
}

ModelReport BuildReport(const Solution& solution, const ModelLabels& labels,
                        const std::string& model, bool with_coupling, const PsiRequest* psi) {
  const SolvedField& field = solution.Field();
  ModelReport report;
  report.model = model;
  report.title = labels.title;
  report.solver = field.solver;
  report.labels = labels;
  report.grid = GridSizeOf(field);
  report.materials = Materials(field, labels);
  report.base = ReportSolution(field, field.temperature, ValuesOf(*field.model), labels);
  if (!with_coupling && !psi) return report;
  CouplingMatrix coupling = ComputeCoupling(solution, labels);
  if (psi) report.psi = ComputePsi(coupling, *psi, labels);
  if (with_coupling) report.coupling = std::move(coupling);
  return report;
}

}  // namespace kelvane
