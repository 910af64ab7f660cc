#include "report/report.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "model/units.h"

// The report as JSON, written by nlohmann-json: members in the order
// docs/results.md lists them, numbers in a short text that reads back to
// the same double (20 is written 20.0), infinities and NaN as null, and
// bytes of a title or file name that are not UTF-8 replaced by U+FFFD, so
// that every line parses.

namespace kelvane {
namespace {

using Json = nlohmann::ordered_json;

std::string JsonLine(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json PointJson(const SurfacePoint& p) {
  return {{"temperature", p.temperature},
          {"column_line", p.column_line},
          {"row_line", p.row_line},
          {"x", p.x},
          {"y", p.y}};
}

Json PointJson(const std::optional<SurfacePoint>& p) { return p ? PointJson(*p) : Json(); }

Json ConditionJson(const ConditionReport& c) {
  return {{"number", c.number},
          {"name", c.name},
          {"ambient", c.ambient},
          {"h", c.coefficient},
          {"edges", c.edges},
          {"length", c.length},
          {"flow", c.flow},
          {"lowest", PointJson(c.lowest)},
          {"highest", PointJson(c.highest)}};
}

Json FactorJson(const TemperatureFactor& f) {
  return {{"value", f.value},
          {"warm_condition", f.warm_condition},
          {"cold_condition", f.cold_condition},
          {"inside", f.inside},
          {"outside", f.outside},
          {"surface", PointJson(f.surface)},
          {"environment", f.environment},
          {"cold_environment", f.cold_environment}};
}

Json FactorJson(const std::optional<TemperatureFactor>& f) { return f ? FactorJson(*f) : Json(); }

Json VerdictJson(const std::optional<FactorVerdict>& v) {
  if (!v) return Json();
  return {{"frsi_min", v->frsi_min}, {"basis", v->basis}, {"met", v->met}, {"margin", v->margin}};
}

Json EnvironmentsJson(const std::vector<EnvironmentReport>& environments) {
  Json json = Json::array();
  for (const EnvironmentReport& e : environments) {
    json.push_back({{"name", e.name}, {"ambient", e.ambient}, {"flow", e.flow},
                    {"members", e.members}, {"touches", e.touches}});
  }
  return json;
}

Json EnvironmentJson(const Environment& e) {
  if (e.kind == Environment::Kind::kConvection) {
    return {{"kind", "convection"}, {"number", e.number}, {"name", e.name},
            {"ambient", e.temperature}, {"h", e.coefficient}};
  }
  return {{"kind", "fixed"}, {"number", e.number}, {"name", e.name},
          {"temperature", e.temperature}};
}

Json CouplingJson(const CouplingMatrix& m) {
  Json environments = Json::array();
  for (const Environment& e : m.environments) environments.push_back(EnvironmentJson(e));
  Json l2d = Json::array();
  for (std::size_t i = 0; i < m.flow.size(); ++i) {
    for (std::size_t j = i + 1; j < m.flow.size(); ++j) {
      l2d.push_back({{"between", {i, j}}, {"value", -m.flow[i][j]}});
    }
  }
  return {{"environments", environments}, {"flow", m.flow}, {"l2d", l2d}};
}

Json ProbesJson(const std::vector<ProbeReport>& probes) {
  Json json = Json::array();
  for (const ProbeReport& p : probes) {
    json.push_back({{"name", p.name}, {"x", p.x}, {"y", p.y}, {"temperature", p.temperature}});
  }
  return json;
}

Json AreasJson(const std::vector<MaterialReport>& materials) {
  Json json = Json::array();
  for (const MaterialReport& m : materials) {
    json.push_back({{"material", m.name}, {"drawn", m.drawn.value_or(0)}, {"cells", m.cells}});
  }
  return json;
}

// The members one solution gives, in the order docs/results.md lists them.
Json SolutionJson(const SolutionReport& r) {
  Json conditions = Json::array();
  for (const ConditionReport& c : r.conditions) conditions.push_back(ConditionJson(c));
  Json fixed = Json::array();
  for (const FixedReport& f : r.fixed) {
    fixed.push_back({{"number", f.number},
                     {"name", f.name},
                     {"temperature", f.temperature},
                     {"nodes", f.nodes},
                     {"flow", f.flow}});
  }
  Json by_environment = Json::array();
  for (const TemperatureFactor& f : r.frsi_by_environment) by_environment.push_back(FactorJson(f));
  return {{"conditions", conditions},
          {"fixed_temperatures", fixed},
          {"balance",
           {{"sum", r.balance}, {"largest", r.largest_flow}, {"relative", r.relative_balance}}},
          {"frsi", FactorJson(r.frsi)},
          {"probes", ProbesJson(r.probes)},
          {"environments", EnvironmentsJson(r.environments)},
          {"frsi_by_environment", by_environment},
          {"frsi_verdict", VerdictJson(r.verdict)}};
}

Json FlankingJson(const FlankingReport& f) {
  Json layers = Json::array();
  for (const FlankingLayerReport& l : f.layers) {
    layers.push_back(
        {{"material", l.material}, {"thickness", l.thickness}, {"conductivity", l.conductivity}});
  }
  Json one = {{"u", f.u}, {"length", f.length}, {"from", Json()}, {"to", Json()}};
  if (f.from_segment) {
    one["from"] = {f.from_x, f.from_y};
    one["to"] = {f.to_x, f.to_y};
    one["layers"] = layers;
    one["resistance_from"] = f.resistance_from;
    one["resistance_to"] = f.resistance_to;
  }
  return one;
}

// Every material, when some conducts differently along x and y or comes
// from the built-in table.
Json MaterialsJson(const std::vector<MaterialReport>& materials) {
  Json json = Json::array();
  for (const MaterialReport& m : materials) {
    json.push_back({{"name", m.name},
                    {"conductivity_x", m.conductivity_x},
                    {"conductivity_y", m.conductivity_y},
                    {"source", m.source}});
  }
  return json;
}

Json CavityAxisJson(const CavityAxisLabel& a) {
  return {{"d", MillimetreToMetre(a.d_mm)},
          {"b", MillimetreToMetre(a.b_mm)},
          {"h_a", a.h_a},
          {"h_r", a.h_r},
          {"conductivity", a.conductivity}};
}

Json CavitiesJson(const std::vector<CavityLabel>& cavities, const ModelLabels& labels) {
  Json json = Json::array();
  for (const CavityLabel& c : cavities) {
    json.push_back({{"name", labels.materials[c.material]},
                    {"fill", c.fill},
                    {"kind", c.kind},
                    {"point", {MillimetreToMetre(c.x_mm), MillimetreToMetre(c.y_mm)}},
                    {"area", SquareMillimetreToSquareMetre(c.area_mm2)},
                    {"width", MillimetreToMetre(c.width_mm)},
                    {"height", MillimetreToMetre(c.height_mm)},
                    {"along_x", CavityAxisJson(c.along_x)},
                    {"along_y", CavityAxisJson(c.along_y)}});
  }
  return json;
}

Json FrameJson(const FrameReport& f) {
  return {{"between", {f.between[0], f.between[1]}},
          {"l2d", f.l2d},
          {"u_p", f.panel.u},
          {"b_p", f.panel.length},
          {"b_f", f.width},
          {"u_f", f.u_f},
          {"panel", FlankingJson(f.panel)}};
}

Json PsiJson(const PsiReport& p) {
  Json flanking = Json::array();
  for (const FlankingReport& f : p.flanking) flanking.push_back(FlankingJson(f));
  return {{"name", p.name},
          {"between", {p.between[0], p.between[1]}},
          {"l2d", p.l2d},
          {"flanking", flanking},
          {"flanking_sum", p.flanking_sum},
          {"psi", p.psi}};
}

Json CondensationJson(const CondensationReport& c) {
  Json months = Json::array();
  for (const CondensationMonth& m : c.months) {
    months.push_back({{"outside_temperature", m.outside_temperature},
                      {"outside_humidity", m.outside_humidity},
                      {"inside_temperature", m.inside_temperature},
                      {"inside_pressure", m.inside_pressure},
                      {"surface_minimum", m.surface_minimum},
                      {"frsi_min", m.frsi_min ? Json(*m.frsi_min) : Json()}});
  }
  Json design = Json();
  if (c.design_month) design = {{"month", *c.design_month + 1}, {"frsi_min", *c.months[*c.design_month].frsi_min}};
  return {{"months", months}, {"design", design}, {"judged", c.judged}};
}

Json ChangeJson(const std::optional<std::pair<std::string, double>>& change) {
  if (!change) return Json();
  return {{"name", change->first}, {"change", change->second}};
}

Json GridCheckJson(const GridCheckReport& g) {
  return {{"fine_grid",
           {{"columns", g.fine_grid.columns},
            {"rows", g.fine_grid.rows},
            {"nodes", g.fine_grid.nodes},
            {"elements", g.fine_grid.elements}}},
          {"redrawn", g.redrawn},
          {"entering", g.entering},
          {"entering_fine", g.entering_fine},
          {"relative_difference", g.relative_difference},
          {"passes", g.passes},
          {"no_flow", g.no_flow},
          {"probe_change", ChangeJson(g.probe_change)},
          {"surface_change", ChangeJson(g.surface_change)},
          {"probes", ProbesJson(g.fine_probes)}};
}

}  // namespace

std::string ReportJson(const ModelReport& r) {
  Json json = {{"model", r.model}, {"title", r.title}, {"solver", r.solver}};
  if (!r.solver_reason.empty()) json["solver_reason"] = r.solver_reason;
  json["grid"] = {{"columns", r.grid.columns},
                  {"rows", r.grid.rows},
                  {"nodes", r.grid.nodes},
                  {"elements", r.grid.elements}};
  Json warnings = Json::array();
  for (const Warning& w : r.warnings) warnings.push_back({{"place", w.place}, {"text", w.text}});
  json["warnings"] = warnings;
  json.update(SolutionJson(r.base));
  if (r.labels.drawing) json["areas"] = AreasJson(r.materials);
  if (std::any_of(r.materials.begin(), r.materials.end(), [](const MaterialReport& m) {
        return m.conductivity_x != m.conductivity_y || !m.source.empty();
      })) {
    json["materials"] = MaterialsJson(r.materials);
  }
  if (!r.labels.cavities.empty()) json["cavities"] = CavitiesJson(r.labels.cavities, r.labels);
  if (!r.psi.empty()) {
    // "psi" is the first, as a file of one [psi] gives it; "psi_values" all.
    json["psi"] = PsiJson(r.psi.front());
    Json all = Json::array();
    for (const PsiReport& p : r.psi) all.push_back(PsiJson(p));
    json["psi_values"] = all;
  }
  if (r.frame) json["frame"] = FrameJson(*r.frame);
  if (r.condensation) json["condensation"] = CondensationJson(*r.condensation);
  if (!r.cases.empty()) {
    Json cases = Json::array();
    for (const CaseReport& c : r.cases) {
      Json one = {{"name", c.name}, {"own_factorisation", c.own_factorisation}};
      one.update(SolutionJson(c.solution));
      cases.push_back(one);
    }
    json["cases"] = cases;
  }
  if (r.grid_check) json["grid_check"] = GridCheckJson(*r.grid_check);
  if (r.coupling) {
    json["coupling"] = CouplingJson(*r.coupling);
    Json pairs = Json::array();
    for (const EnvironmentCoupling& e : r.environment_coupling) {
      pairs.push_back({{"between", {e.between[0], e.between[1]}}, {"value", e.l2d}});
    }
    json["coupling"]["environment_l2d"] = pairs;
  }
  return JsonLine(json);
}

std::string ReportErrorJson(const std::string& model, const std::string& message) {
  return JsonLine({{"model", model}, {"error", message}});
}

}  // namespace kelvane
