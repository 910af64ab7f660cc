#include "report/report.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <utility>

#include "platform/number_text.h"
#include "model/grid_place.h"
#include "report/heat_flow.h"

namespace kelvane {
namespace {

std::vector<ConditionReport> Conditions(const SolvedField& field, const ModelLabels& labels,
                                        const double* t, const EnvironmentFlows& flows) {
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
    c.ambient = field.model->ConvectionTable[v].AmbientTemperature;
    c.coefficient = field.model->ConvectionTable[v].HeatTransferCoefficient;
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
  f.inside = warm->ambient;
  f.outside = cold->ambient;
  f.surface = *warm->lowest;
  f.value = (f.surface.temperature - f.outside) / (f.inside - f.outside);
  return f;
}

// Six significant digits, in the program's number style ("1.5E-07").
std::string Short(double value) { return NumberText(value, 6); }

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string EnvironmentName(const Environment& e, const ModelLabels& labels) {
  if (e.kind == Environment::Kind::kConvection) {
    return labels.Condition(e.number) + " (ambient " + Short(e.temperature) + ", h " +
           Short(e.coefficient) + ")";
  }
  return labels.Fixed(e.number) + " (fixed temperature " + Short(e.temperature) + ")";
}

// A point of a detail file's drawing by its coordinates; of a grid file by
// its grid point too.
std::string PointText(const SurfacePoint& p, const ModelLabels& labels) {
  const std::string at =
      labels.drawing ? "" : GridPlaceText(GridPointPlace(p.column_line, p.row_line)) + ", ";
  return Short(p.temperature) + " at " + at + "x " + Short(p.x * 1000) + " mm, y " +
         Short(p.y * 1000) + " mm";
}

std::string CouplingText(const CouplingMatrix& m, const ModelLabels& labels) {
  const std::size_t count = m.environments.size();
  std::string out = "Coupling coefficients, by superposition (" + std::to_string(count) +
                    " solutions with the one factorisation):\n";
  for (std::size_t i = 0; i < count; ++i) {
    out += "  " + Padded(std::to_string(i + 1), 3) + "  " +
           EnvironmentName(m.environments[i], labels) + "\n";
  }
  out += "  Heat flow into the model through row i, W/m, for 1 K at column j and 0 elsewhere:\n";
  out += "     ";
  for (std::size_t j = 0; j < count; ++j) out += Padded(std::to_string(j + 1), 13);
  out += "\n";
  for (std::size_t i = 0; i < count; ++i) {
    out += "  " + Padded(std::to_string(i + 1), 3);
    for (std::size_t j = 0; j < count; ++j) out += Padded(Short(m.flow[i][j]), 13);
    out += "\n";
  }
  out += "  L2D between two environments, W/(m K) (minus the entry above):\n";
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = i + 1; j < count; ++j) {
      out += "    " + EnvironmentName(m.environments[i], labels) + " and " +
             EnvironmentName(m.environments[j], labels) + ": " + Short(-m.flow[i][j]) + "\n";
    }
  }
  return out;
}

}  // namespace

ModelReport BuildReport(const SolvedField& field, const ModelLabels& labels,
                        const std::string& model, bool with_coupling) {
  const double* t = field.temperature.data();
  const EnvironmentFlows flows = HeatFlows(field, t, ModelAmbients(field));
  ModelReport report;
  report.model = model;
  report.title = labels.title;
  report.labels = labels;
  report.grid = {field.last_column - 2, field.last_row - 2, field.node_count,
                 field.element_count};
  report.conditions = Conditions(field, labels, t, flows);
  const std::int32_t fixed_count = field.FixedTemperatureCount();
  for (std::int32_t i = 1; i <= fixed_count; ++i) {
    report.fixed.push_back({i, field.model->FixedTemperatureTable[i], 0, flows.fixed[i]});
  }
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) {
    ++report.fixed[field.fixed_index[i] - 1].nodes;
  }
  for (const ConditionReport& c : report.conditions) {
    report.balance += c.flow;
    report.largest_flow = std::max(report.largest_flow, std::fabs(c.flow));
  }
  for (const FixedReport& f : report.fixed) {
    report.balance += f.flow;
    report.largest_flow = std::max(report.largest_flow, std::fabs(f.flow));
  }
  if (report.largest_flow > 0) report.relative_balance = report.balance / report.largest_flow;
  report.frsi = Factor(report.conditions);
  for (const ProbePoint& p : labels.probes) {
    report.probes.push_back(
        {p.name, p.x_mm, p.y_mm, field.FieldAt(field.temperature, p.column, p.row, p.fx, p.fy)});
  }
  if (with_coupling) report.coupling = ComputeCoupling(field);
  return report;
}

namespace {

std::string FlowsText(const ModelReport& r) {
  const ModelLabels& labels = r.labels;
  std::string out = "Heat flow into the model, W per metre of depth:\n";
  for (const ConditionReport& c : r.conditions) {
    out += "  " + Printable(labels.Condition(c.number)) + "  ambient " + Short(c.ambient) +
           ", h " + Short(c.coefficient) + ": ";
    if (c.edges == 0) {
      out += "no edge\n";
      continue;
    }
    out += Short(c.flow) + " W/m through " + std::to_string(c.edges) +
           (c.edges == 1 ? " edge, " : " edges, ") + Short(c.length * 1000) + " mm\n";
    out += "      lowest surface temperature " + PointText(*c.lowest, labels) + "\n";
    out += "      highest surface temperature " + PointText(*c.highest, labels) + "\n";
  }
  for (const FixedReport& f : r.fixed) {
    out += "  " + Printable(labels.Fixed(f.number)) + "  fixed temperature " +
           Short(f.temperature) + ": ";
    out += f.nodes == 0 ? std::string("no node\n")
                        : Short(f.flow) + " W/m through " + std::to_string(f.nodes) +
                              (f.nodes == 1 ? " node\n" : " nodes\n");
  }
  return out;
}

std::string FactorText(const TemperatureFactor& f, const ModelLabels& labels) {
  return "Temperature factor fRsi = " + Short(f.value) + ": lowest surface temperature " +
         Short(f.surface.temperature) + " on the warm side " +
         Printable(labels.Condition(f.warm_condition)) + " (ambient " + Short(f.inside) +
         "), cold side " + Printable(labels.Condition(f.cold_condition)) + " (ambient " +
         Short(f.outside) + ")\n";
}

std::string ProbesText(const std::vector<ProbeReport>& probes) {
  if (probes.empty()) return "";
  std::string out = "Probes, the temperature at a point of the drawing:\n";
  for (const ProbeReport& p : probes) {
    out += "  " + Printable(p.name) + " (x " + Short(p.x_mm) + " mm, y " + Short(p.y_mm) +
           " mm): " + Short(p.temperature) + "\n";
  }
  return out;
}

// How much area each material gained or lost where sloped and curved sides
// became steps of cells; one line when none did. The cells' sizes pass
// through 15-digit text, so a change below 1E-9 of the area is rounding.
std::string AreasText(const std::vector<DrawnArea>& areas) {
  std::string changed;
  for (const DrawnArea& a : areas) {
    const double change = a.cells - a.drawn;
    if (std::fabs(change) <= 1e-9 * std::max(a.drawn, a.cells)) continue;
    changed += "  " + Printable(a.material) + ": " + Short(a.drawn) + " mm\xC2\xB2 drawn, " +
               Short(a.cells) + " mm\xC2\xB2 in cells (" + (change > 0 ? "+" : "") +
               Short(change) + " mm\xC2\xB2, " + (change > 0 ? "+" : "") +
               Short(a.drawn > 0 ? 100 * change / a.drawn : 0) + " %)\n";
  }
  if (changed.empty()) return "Areas: every material's cells cover exactly what is drawn\n";
  return "Areas of the materials, as drawn and as the cells cover them (sloped and curved "
         "sides become steps):\n" + changed;
}

}  // namespace

std::string ReportText(const ModelReport& r) {
  std::string out = "Report for " + Printable(r.model) + ": " + Printable(r.title) + "\n";
  if (r.labels.drawing) {
    out += "Grid made from the drawing: " + std::to_string(r.grid.columns) + " x " +
           std::to_string(r.grid.rows) + " cells, " + std::to_string(r.grid.elements) +
           " elements, " + std::to_string(r.grid.nodes) + " nodes\n";
  }
  out += FlowsText(r);
  out += "Energy balance: the flows sum to " + Short(r.balance) + " W/m, " +
         Short(r.relative_balance) + " of the largest (" + Short(r.largest_flow) + " W/m)\n";
  if (r.frsi) out += FactorText(*r.frsi, r.labels);
  out += ProbesText(r.probes);
  if (r.labels.drawing) out += AreasText(r.labels.areas);
  if (r.coupling) out += CouplingText(*r.coupling, r.labels);
  return out + "\n";
}

}  // namespace kelvane
