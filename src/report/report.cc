#include "report/report.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <utility>

#include "report/json_text.h"
#include "platform/number_text.h"
#include "model/grid_place.h"
#include "report/heat_flow.h"

namespace kelvane {
namespace {

std::vector<ConditionReport> Conditions(const SolvedField& field, const double* t,
                                        const EnvironmentFlows& flows) {
  const auto points = field.NodePoints();
  auto surface = [&](std::int32_t n) {
    return SurfacePoint{t[n], points[n].first, points[n].second, field.node_x[n],
                        field.node_y[n]};
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

std::string EnvironmentName(const Environment& e) {
  if (e.kind == Environment::Kind::kConvection) {
    return "B" + std::to_string(e.number) + " (ambient " + Short(e.temperature) + ", h " +
           Short(e.coefficient) + ")";
  }
  return "C" + std::to_string(e.number) + " (fixed temperature " + Short(e.temperature) + ")";
}

std::string PointText(const SurfacePoint& p) {
  return Short(p.temperature) + " at " + GridPointPlace(p.column_line, p.row_line) + ", x " +
         Short(p.x * 1000) + " mm, y " + Short(p.y * 1000) + " mm";
}

std::string CouplingText(const CouplingMatrix& m) {
  const std::size_t count = m.environments.size();
  std::string out = "Coupling coefficients, by superposition (" + std::to_string(count) +
                    " solutions with the one factorisation):\n";
  for (std::size_t i = 0; i < count; ++i) {
    out += "  " + Padded(std::to_string(i + 1), 3) + "  " + EnvironmentName(m.environments[i]) +
           "\n";
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
      out += "    " + EnvironmentName(m.environments[i]) + " and " +
             EnvironmentName(m.environments[j]) + ": " + Short(-m.flow[i][j]) + "\n";
    }
  }
  return out;
}

std::string PointJson(const std::optional<SurfacePoint>& p) {
  if (!p) return "null";
  return "{\"temperature\":" + JsonNumber(p->temperature) +
         ",\"column_line\":" + std::to_string(p->column_line) +
         ",\"row_line\":" + std::to_string(p->row_line) + ",\"x\":" + JsonNumber(p->x) +
         ",\"y\":" + JsonNumber(p->y) + "}";
}

std::string CouplingJson(const CouplingMatrix& m) {
  std::string out = "{\"environments\":[";
  for (std::size_t i = 0; i < m.environments.size(); ++i) {
    const Environment& e = m.environments[i];
    out += i ? "," : "";
    if (e.kind == Environment::Kind::kConvection) {
      out += "{\"kind\":\"convection\",\"number\":" + std::to_string(e.number) +
             ",\"ambient\":" + JsonNumber(e.temperature) + ",\"h\":" + JsonNumber(e.coefficient) +
             "}";
    } else {
      out += "{\"kind\":\"fixed\",\"number\":" + std::to_string(e.number) +
             ",\"temperature\":" + JsonNumber(e.temperature) + "}";
    }
  }
  out += "],\"flow\":[";
  for (std::size_t i = 0; i < m.flow.size(); ++i) {
    out += i ? ",[" : "[";
    for (std::size_t j = 0; j < m.flow[i].size(); ++j) {
      out += (j ? "," : "") + JsonNumber(m.flow[i][j]);
    }
    out += "]";
  }
  out += "],\"l2d\":[";
  bool first = true;
  for (std::size_t i = 0; i < m.flow.size(); ++i) {
    for (std::size_t j = i + 1; j < m.flow.size(); ++j) {
      out += (first ? "" : ",") + std::string("{\"between\":[") + std::to_string(i) + "," +
             std::to_string(j) + "],\"value\":" + JsonNumber(-m.flow[i][j]) + "}";
      first = false;
    }
  }
  return out + "]}";
}

}  // namespace

ModelReport BuildReport(const SolvedField& field, const std::string& model,
                        bool with_coupling) {
  const double* t = field.temperature.data();
  const EnvironmentFlows flows = HeatFlows(field, t, ModelAmbients(field));
  ModelReport report;
  report.model = model;
  report.title = field.model->Header;
  report.solver = field.solver;
  report.conditions = Conditions(field, t, flows);
  const std::int32_t fixed_count = field.FixedTemperatureCount();
  for (std::int32_t i = 1; i <= fixed_count; ++i) {
    report.fixed.push_back({i, field.model->FixedTemperatureTable[i], 0, flows.fixed[i]});
  }
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) ++report.fixed[field.fixed_index[i] - 1].nodes;
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
  if (with_coupling) report.coupling = ComputeCoupling(field);
  return report;
}

std::string ReportText(const ModelReport& r) {
  std::string out = "Report for " + Printable(r.model) + ": " + Printable(r.title) + "\n";
  out += "Solved by the " + r.solver + " solver\n";
  out += "Heat flow into the model, W per metre of depth:\n";
  for (const ConditionReport& c : r.conditions) {
    out += "  B" + std::to_string(c.number) + "  ambient " + Short(c.ambient) + ", h " +
           Short(c.coefficient) + ": ";
    if (c.edges == 0) {
      out += "no edge\n";
      continue;
    }
    out += Short(c.flow) + " W/m through " + std::to_string(c.edges) +
           (c.edges == 1 ? " edge, " : " edges, ") + Short(c.length * 1000) + " mm\n";
    out += "      lowest surface temperature " + PointText(*c.lowest) + "\n";
    out += "      highest surface temperature " + PointText(*c.highest) + "\n";
  }
  for (const FixedReport& f : r.fixed) {
    out += "  C" + std::to_string(f.number) + "  fixed temperature " + Short(f.temperature) + ": ";
    out += f.nodes == 0 ? std::string("no node\n")
                        : Short(f.flow) + " W/m through " + std::to_string(f.nodes) +
                              (f.nodes == 1 ? " node\n" : " nodes\n");
  }
  out += "Energy balance: the flows sum to " + Short(r.balance) + " W/m, " +
         Short(r.relative_balance) + " of the largest (" + Short(r.largest_flow) + " W/m)\n";
  if (r.frsi) {
    const TemperatureFactor& f = *r.frsi;
    out += "Temperature factor fRsi = " + Short(f.value) + ": lowest surface temperature " +
           Short(f.surface.temperature) + " on B" + std::to_string(f.warm_condition) +
           " (ambient " + Short(f.inside) + "), outside B" + std::to_string(f.cold_condition) +
           " (ambient " + Short(f.outside) + ")\n";
  }
  if (r.coupling) out += CouplingText(*r.coupling);
  return out + "\n";
}

std::string ReportJson(const ModelReport& r) {
  std::string out = "{\"model\":" + JsonString(r.model) + ",\"title\":" + JsonString(r.title);
  out += ",\"solver\":" + JsonString(r.solver);
  out += ",\"conditions\":[";
  for (std::size_t i = 0; i < r.conditions.size(); ++i) {
    const ConditionReport& c = r.conditions[i];
    out += (i ? ",{" : "{") + std::string("\"number\":") + std::to_string(c.number) +
           ",\"ambient\":" + JsonNumber(c.ambient) + ",\"h\":" + JsonNumber(c.coefficient) +
           ",\"edges\":" + std::to_string(c.edges) + ",\"length\":" + JsonNumber(c.length) +
           ",\"flow\":" + JsonNumber(c.flow) + ",\"lowest\":" + PointJson(c.lowest) +
           ",\"highest\":" + PointJson(c.highest) + "}";
  }
  out += "],\"fixed_temperatures\":[";
  for (std::size_t i = 0; i < r.fixed.size(); ++i) {
    const FixedReport& f = r.fixed[i];
    out += (i ? ",{" : "{") + std::string("\"number\":") + std::to_string(f.number) +
           ",\"temperature\":" + JsonNumber(f.temperature) +
           ",\"nodes\":" + std::to_string(f.nodes) + ",\"flow\":" + JsonNumber(f.flow) + "}";
  }
  out += "],\"balance\":{\"sum\":" + JsonNumber(r.balance) +
         ",\"largest\":" + JsonNumber(r.largest_flow) +
         ",\"relative\":" + JsonNumber(r.relative_balance) + "}";
  out += ",\"frsi\":";
  if (r.frsi) {
    const TemperatureFactor& f = *r.frsi;
    out += "{\"value\":" + JsonNumber(f.value) + ",\"warm_condition\":" +
           std::to_string(f.warm_condition) + ",\"cold_condition\":" +
           std::to_string(f.cold_condition) + ",\"inside\":" + JsonNumber(f.inside) +
           ",\"outside\":" + JsonNumber(f.outside) + ",\"surface\":" + PointJson(f.surface) + "}";
  } else {
    out += "null";
  }
  if (r.coupling) out += ",\"coupling\":" + CouplingJson(*r.coupling);
  return out + "}\n";
}

std::string ReportErrorJson(const std::string& model, const std::string& message) {
  return "{\"model\":" + JsonString(model) + ",\"error\":" + JsonString(message) + "}\n";
}

}  // namespace kelvane
