#include "report/html_tables.h"

#include <algorithm>
#include <cmath>

#include "model/units.h"
#include "platform/xml_text.h"
#include "platform/number_text.h"
#include "report/rounding.h"

namespace kelvane {
namespace {

constexpr const char* kSquared = "\xC2\xB2";
constexpr const char* kDash = "\xE2\x80\x94";  // For a value there is not.

// Results rounded for people (report/rounding.h), as the text report has
// them; areas and shares, which no rounding rule covers, to six digits.
std::string Short(double value) { return NumberText(value, 6); }
std::string Mm(double metres) { return LengthValue(MetreToMillimetre(metres)); }
std::string ShortMm2(double square_metres) {
  return Short(SquareMetreToSquareMillimetre(square_metres));
}
std::string T(double value) { return TemperatureValue(value); }
std::string Signed(double value) { return (value > 0 ? "+" : "") + Short(value); }
std::string SignedTemperature(double value) {
  const std::string text = T(value);
  return (value > 0 && text.find_first_not_of("0.") != std::string::npos ? "+" : "") + text;
}

// A column heading of temperatures: a detail file's are degrees Celsius, a
// grid file's in the input's unit.
std::string TemperatureHead(const std::string& what, const ModelLabels& labels) {
  return labels.drawing ? what + ", &deg;C" : what;
}

std::string Tag(const std::string& tag, const std::string& html) {
  return "<" + tag + ">" + html + "</" + tag + ">";
}

std::string Heading(int level, const std::string& html) {
  return Tag("h" + std::to_string(level), html) + "\n";
}

std::string Section(const std::string& id, const std::string& html) {
  return "<section id=\"" + XmlText(id) + "\">\n" + html + "</section>\n";
}

// A column's heading (HTML) and whether it holds numbers, which are set
// right-aligned in tabular figures.
struct Column {
  std::string head;
  bool number = true;
};

// A table of `rows`, each cell HTML, under the headings of `columns`.
std::string Table(const std::vector<Column>& columns,
                  const std::vector<std::vector<std::string>>& rows) {
  std::string out = "<div class=\"k-table\"><table>\n<thead><tr>";
  for (const Column& c : columns) out += (c.number ? "<th class=\"n\">" : "<th>") + c.head + "</th>";
  out += "</tr></thead>\n<tbody>\n";
  for (const std::vector<std::string>& row : rows) {
    out += "<tr>";
    for (std::size_t i = 0; i < row.size(); ++i) {
      out += (i < columns.size() && columns[i].number ? "<td class=\"n\">" : "<td>") + row[i] +
             "</td>";
    }
    out += "</tr>\n";
  }
  return out + "</tbody></table></div>\n";
}

// A table of two columns: what, and its value.
std::string Facts(const std::vector<std::pair<std::string, std::string>>& facts) {
  std::string out = "<div class=\"k-table\"><table class=\"k-facts\">\n<tbody>\n";
  for (const auto& [what, value] : facts) {
    out += "<tr><th scope=\"row\">" + what + "</th><td class=\"n\">" + value + "</td></tr>\n";
  }
  return out + "</tbody></table></div>\n";
}

std::string Conductivity(const MaterialReport& m) {
  if (m.conductivity_x == m.conductivity_y) return AsWrittenValue(m.conductivity_x);
  return "x " + AsWrittenValue(m.conductivity_x) + ", y " + AsWrittenValue(m.conductivity_y);
}

// A grid file's places are grid points, which its user finds in the code
// block; a detail file's are points of the drawing.
std::string GridPointText(const SurfacePoint& p) {
  return std::to_string(p.column_line) + ", " + std::to_string(p.row_line);
}

// h and R of a condition: the one the file gave as written, the other from
// it to four digits.
std::pair<std::string, std::string> SurfaceValues(const ConditionReport& c,
                                                  const ModelLabels& labels) {
  if (c.coefficient == 0) return {"0", kDash};
  if (labels.GivenAsResistance(c.number)) {
    return {Significant(c.coefficient, 4), AsWrittenValue(1 / c.coefficient)};
  }
  return {AsWrittenValue(c.coefficient), Significant(1 / c.coefficient, 4)};
}

std::string ConditionsTable(const SolutionReport& r, const ModelLabels& labels) {
  std::vector<std::vector<std::string>> rows;
  for (const ConditionReport& c : r.conditions) {
    const bool edges = c.edges > 0;
    const auto [h, resistance] = SurfaceValues(c, labels);
    rows.push_back({XmlText(c.name), T(c.ambient), h, resistance,
                    edges ? FlowValue(c.flow) : "no edge", std::to_string(c.edges),
                    Mm(c.length)});
  }
  return Table({{"Condition", false},
                {TemperatureHead("Ambient", labels)},
                {std::string("h, W/(m") + kSquared + " K)"},
                {std::string("R, m") + kSquared + " K/W"},
                {"Heat flow, W/m"},
                {"Edges"},
                {"Length, mm"}},
               rows);
}

std::string SurfaceTable(const SolutionReport& r, const ModelLabels& labels) {
  std::vector<std::vector<std::string>> rows;
  for (const ConditionReport& c : r.conditions) {
    if (c.edges == 0) continue;
    std::vector<std::string> row = {XmlText(c.name)};
    for (const SurfacePoint& p : {*c.lowest, *c.highest}) {
      row.insert(row.end(), {T(p.temperature), Mm(p.x), Mm(p.y)});
      if (!labels.drawing) row.push_back(GridPointText(p));
    }
    rows.push_back(row);
  }
  if (rows.empty()) return "";
  std::vector<Column> columns = {{"Condition", false}};
  for (const char* which : {"Lowest", "Highest"}) {
    columns.insert(columns.end(), {{TemperatureHead(which, labels)}, {"x, mm"}, {"y, mm"}});
    if (!labels.drawing) columns.push_back({"Column, row line"});
  }
  return Table(columns, rows);
}

std::string FixedTable(const SolutionReport& r, const ModelLabels& labels) {
  std::vector<std::vector<std::string>> rows;
  for (const FixedReport& f : r.fixed) {
    rows.push_back({XmlText(f.name), T(f.temperature), std::to_string(f.nodes),
                    f.nodes > 0 ? FlowValue(f.flow) : "no node"});
  }
  return Table({{"Fixed temperature", false},
                {TemperatureHead("Temperature", labels)},
                {"Nodes"},
                {"Heat flow, W/m"}},
               rows);
}

// "room" where the environment is the condition, else "room, at room (floor)".
std::string SideHtml(const std::string& environment, const std::string& condition) {
  return XmlText(environment) + (environment == condition ? "" : ", at " + XmlText(condition));
}

std::string FactorTable(const TemperatureFactor& f, const std::optional<FactorVerdict>& verdict,
                        const ModelLabels& labels) {
  const std::string unit = labels.drawing ? " &deg;C" : "";
  std::vector<std::pair<std::string, std::string>> facts = {
      {"f<sub>Rsi</sub>", FactorValue(f.value)},
      {"Lowest surface temperature on the warm side", T(f.surface.temperature) + unit},
      {"at x, y (mm)", Mm(f.surface.x) + ", " + Mm(f.surface.y)},
      {"Warm side", SideHtml(f.environment, f.warm_name) + ", ambient " + T(f.inside) + unit},
      {"Cold side",
       SideHtml(f.cold_environment, f.cold_name) + ", ambient " + T(f.outside) + unit}};
  if (verdict) {
    const std::string margin = FactorValue(verdict->margin);
    facts.push_back({"Asked", "f<sub>Rsi</sub> &ge; " + FactorValue(verdict->frsi_min) + " (" +
                                  XmlText(verdict->basis) + ")"});
    facts.push_back({"Verdict", (verdict->met ? "<span class=\"k-pass\">met</span>"
                                              : "<span class=\"k-fail\">NOT MET</span>") +
                                    std::string(", margin ") +
                                    (verdict->margin > 0 && margin != "0.000" ? "+" : "") +
                                    margin});
  }
  return Facts(facts);
}

// The environments of more than one condition or fixed temperature.
std::string EnvironmentsTable(const SolutionReport& r, const ModelLabels& labels) {
  std::vector<std::vector<std::string>> rows;
  for (const EnvironmentReport& e : r.environments) {
    if (e.members.size() < 2) continue;
    std::string members;
    for (const std::string& m : e.members) members += (members.empty() ? "" : ", ") + XmlText(m);
    rows.push_back({XmlText(e.name), T(e.ambient), e.touches ? FlowValue(e.flow) : "touches nothing",
                    members});
  }
  if (rows.empty()) return "";
  return Table({{"Environment", false},
                {TemperatureHead("Ambient", labels)},
                {"Heat flow, W/m"},
                {"Its conditions", false}},
               rows);
}

std::string ProbesTable(const std::vector<ProbeReport>& probes, const ModelLabels& labels) {
  std::vector<std::vector<std::string>> rows;
  for (const ProbeReport& p : probes) {
    rows.push_back({XmlText(p.name), Mm(p.x), Mm(p.y), T(p.temperature)});
  }
  return Table({{"Probe", false}, {"x, mm"}, {"y, mm"}, {TemperatureHead("Temperature", labels)}},
               rows);
}

std::string EnvironmentName(const Environment& e) { return XmlText(e.name); }


// How far the cells' area of a material is from its drawn area, %.
std::string AreaChange(const MaterialReport& m) {
  if (!m.drawn || !(*m.drawn > 0)) return kDash;
  if (m.AsDrawn()) return "0";
  return Signed(100 * (m.cells - *m.drawn) / *m.drawn);
}

// Where a flanking element's U came from: given, or a segment across the
// drawing.
std::string FlankingSource(const FlankingReport& f) {
  if (!f.from_segment) return "given";
  return "the layers from (" + Mm(f.from_x) + ", " + Mm(f.from_y) + ") to (" + Mm(f.to_x) +
         ", " + Mm(f.to_y) + ") mm";
}

// The resistances that make 1/U of a flanking element from a segment: the
// surface resistances at its ends and the layers it crosses.
std::string FlankingLayers(const FlankingReport& f, const std::string& what) {
  std::vector<std::vector<std::string>> rows = {
      {"surface resistance", kDash, kDash, AsWrittenValue(f.resistance_from)}};
  for (const FlankingLayerReport& layer : f.layers) {
    rows.push_back({XmlText(layer.material), Mm(layer.thickness),
                    AsWrittenValue(layer.conductivity),
                    CoefficientValue(layer.thickness / layer.conductivity)});
  }
  rows.push_back({"surface resistance", kDash, kDash, AsWrittenValue(f.resistance_to)});
  return Tag("p", what + ", its layers: U = 1 / (sum of R).") +
         "\n" +
         Table({{"Layer", false},
                {"Thickness, mm"},
                {"Conductivity, W/(m K)"},
                {std::string("R, m") + kSquared + " K/W"}},
               rows);
}

}  // namespace

std::string MaterialsSection(const ModelReport& report) {
  const bool drawing = report.labels.drawing;
  std::vector<std::vector<std::string>> rows;
  for (const MaterialReport& m : report.materials) {
    std::vector<std::string> row = {XmlText(m.name), Conductivity(m), ShortMm2(m.cells)};
    if (drawing) {
      row.push_back(m.drawn ? ShortMm2(*m.drawn) : kDash);
      row.push_back(AreaChange(m));
    }
    rows.push_back(row);
  }
  std::vector<Column> columns = {{"Material", false},
                                 {"Conductivity, W/(m K)"},
                                 {std::string("Area, mm") + kSquared}};
  if (drawing) {
    columns.push_back({std::string("Drawn, mm") + kSquared});
    columns.push_back({"Cells against drawing, %"});
  }
  return Section("k-materials", Heading(2, "Materials") + Table(columns, rows));
}

std::string SolutionSections(const SolutionReport& r, const ModelLabels& labels, int level,
                             const std::string& id) {
  std::string out;
  if (!r.conditions.empty()) {
    out += Section(id + "-conditions", Heading(level, "Conditions and heat flows") +
                                           ConditionsTable(r, labels) +
                                           EnvironmentsTable(r, labels));
  }
  const std::string surface = SurfaceTable(r, labels);
  if (!surface.empty()) {
    out += Section(id + "-surface", Heading(level, "Surface temperatures") + surface);
  }
  if (!r.fixed.empty()) {
    out += Section(id + "-fixed", Heading(level, "Fixed temperatures") + FixedTable(r, labels));
  }
  out += Section(id + "-balance",
                 Heading(level, "Energy balance") +
                     Facts({{"Sum of the flows, W/m", FlowValue(r.balance)},
                            {"Largest flow, W/m", FlowValue(r.largest_flow)},
                            {"Sum against the largest", Short(r.relative_balance)}}));
  if (r.frsi) {
    std::string factors;
    if (r.frsi_by_environment.empty()) {
      factors = FactorTable(*r.frsi, r.verdict, labels);
    } else {
      for (const TemperatureFactor& f : r.frsi_by_environment) {
        factors += Heading(level + 1, "Warm side " + XmlText(f.environment)) +
                   FactorTable(f, f.value == r.frsi->value ? r.verdict : std::nullopt, labels);
      }
    }
    out += Section(id + "-frsi", Heading(level, "Temperature factor f<sub>Rsi</sub>") + factors);
  }
  if (r.frsi_withheld) {
    out += Section(id + "-frsi", Heading(level, "Temperature factor f<sub>Rsi</sub>") + "<p>f<sub>Rsi</sub> is " +
                                     XmlText(FrsiWithheldText(r)) + ".</p>\n");
  }
  if (!r.probes.empty()) {
    out += Section(id + "-probes", Heading(level, "Probes") + ProbesTable(r.probes, labels));
  }
  return out;
}

std::string MaterialNotesSection(const ModelReport& report) {
  std::vector<std::vector<std::string>> rows;
  for (const MaterialReport& m : report.materials) {
    if (m.conductivity_x == m.conductivity_y && m.source.empty()) continue;
    const auto number = static_cast<std::int32_t>(&m - report.materials.data() + 1);
    const std::vector<CavityLabel>& cavities = report.labels.cavities;
    if (std::any_of(cavities.begin(), cavities.end(),
                    [number](const CavityLabel& c) { return c.material == number; })) {
      continue;  // In the cavities' own table.
    }
    rows.push_back({XmlText(m.name), AsWrittenValue(m.conductivity_x), AsWrittenValue(m.conductivity_y),
                    m.source.empty() ? kDash : XmlText(m.source)});
  }
  if (rows.empty()) return "";
  return Section("k-material-notes",
                 Heading(2, "Materials by direction and from the built-in table") +
                     Table({{"Material", false},
                            {"&lambda;<sub>x</sub>, W/(m K)"},
                            {"&lambda;<sub>y</sub>, W/(m K)"},
                            {"Built-in entry and source", false}},
                           rows));
}

std::string CavitiesSection(const ModelReport& report) {
  const std::vector<CavityLabel>& cavities = report.labels.cavities;
  if (cavities.empty()) return "";
  std::vector<std::vector<std::string>> sizes, axes;
  for (const CavityLabel& c : cavities) {
    const std::string name = XmlText(report.labels.materials[c.material]);
    sizes.push_back({name, XmlText(c.fill), c.kind, LengthValue(c.x_mm) + ", " + LengthValue(c.y_mm),
                     Significant(c.area_mm2, 4), LengthValue(c.width_mm), LengthValue(c.height_mm)});
    for (const auto& [axis, a] : {std::pair{"x", &c.along_x}, std::pair{"y", &c.along_y}}) {
      axes.push_back({name, axis, LengthValue(a->d_mm), LengthValue(a->b_mm), Significant(a->h_a, 4),
                      Significant(a->h_r, 4), Significant(a->conductivity, 4)});
    }
  }
  const std::string per_m2 = std::string("W/(m") + kSquared + " K)";
  return Section("k-cavities",
                 Heading(2, "Air cavities (EN ISO 10077-2)") +
                     Tag("p", "Each cavity is a solid of its own conductivity along x and y, "
                              "from its area A and its cells' extent w &times; t.") +
                     "\n" +
                     Table({{"Cavity", false},
                            {"Fill", false},
                            {"Kind", false},
                            {"A point in it, mm", false},
                            {std::string("A, mm") + kSquared},
                            {"w, mm"},
                            {"t, mm"}},
                           sizes) +
                     Table({{"Cavity", false},
                            {"Heat flow along", false},
                            {"d, mm"},
                            {"b, mm"},
                            {"h<sub>a</sub>, " + per_m2},
                            {"h<sub>r</sub>, " + per_m2},
                            {"&lambda;, W/(m K)"}},
                           axes));
}

std::string FrameSection(const FrameReport& frame) {
  const std::string between = XmlText(frame.between[0]) + " and " + XmlText(frame.between[1]);
  return Section(
      "k-frame",
      Heading(2, "Frame U<sub>f</sub> (EN ISO 10077-2)") +
          Facts({{"Between", between},
                 {"L<sub>2D</sub>, W/(m K)", CoefficientValue(frame.l2d)},
                 {std::string("U<sub>p</sub> of the panel, W/(m") + kSquared + " K)",
                  CoefficientValue(frame.panel.u)},
                 {"U<sub>p</sub> from", FlankingSource(frame.panel)},
                 {"b<sub>p</sub>, visible panel, mm", Mm(frame.panel.length)},
                 {"b<sub>f</sub>, frame, mm", Mm(frame.width)},
                 {std::string("U<sub>f</sub> = (L<sub>2D</sub> &minus; U<sub>p</sub> "
                              "b<sub>p</sub>) / b<sub>f</sub>, W/(m") + kSquared + " K)",
                  "<strong>" + CoefficientValue(frame.u_f) + "</strong>"}}) +
          (frame.panel.from_segment ? FlankingLayers(frame.panel, "The panel") : ""));
}

std::string PsiSection(const PsiReport& psi, std::size_t index) {
  std::vector<std::vector<std::string>> rows;
  std::string layers;
  for (std::size_t i = 0; i < psi.flanking.size(); ++i) {
    const FlankingReport& f = psi.flanking[i];
    rows.push_back({std::to_string(i + 1), CoefficientValue(f.u), Mm(f.length),
                    CoefficientValue(f.u * f.length), FlankingSource(f)});
    if (f.from_segment) layers += FlankingLayers(f, "Flanking element " + std::to_string(i + 1));
  }
  const std::string between = XmlText(psi.between[0]) + " and " + XmlText(psi.between[1]);
  return Section(
      index == 0 ? "k-psi" : "k-psi-" + std::to_string(index + 1),
      Heading(2, "Linear thermal transmittance &psi;" +
                     (psi.name.empty() ? std::string() : ", " + XmlText(psi.name))) +
          Facts({{"Between", between}, {"L<sub>2D</sub>, W/(m K)", CoefficientValue(psi.l2d)}}) +
          Table({{"Flanking element"},
                 {std::string("U, W/(m") + kSquared + " K)"},
                 {"l, mm"},
                 {"U l, W/(m K)"},
                 {"U from", false}},
                rows) +
          Facts({{"&Sigma; U l, W/(m K)", CoefficientValue(psi.flanking_sum)},
                 {"&psi; = L<sub>2D</sub> &minus; &Sigma; U l, W/(m K)",
                  "<strong>" + DifferenceValue(psi.psi, psi.l2d) + "</strong>"}}) +
          layers);
}

// L2D between environments of several conditions, their entries summed.
std::string EnvironmentCouplingTable(const std::vector<EnvironmentCoupling>& environments) {
  if (environments.empty()) return "";
  std::vector<std::vector<std::string>> rows;
  for (const EnvironmentCoupling& e : environments) {
    rows.push_back({XmlText(e.between[0]), XmlText(e.between[1]), CoefficientValue(e.l2d)});
  }
  return Tag("p", "Between environments, each the sum of its conditions' entries:") + "\n" +
         Table({{"Between", false}, {"and", false}, {"L<sub>2D</sub>, W/(m K)"}}, rows);
}

std::string CondensationSection(const CondensationReport& c) {
  static const char* const kMonths[] = {"January", "February", "March",     "April",
                                        "May",     "June",     "July",      "August",
                                        "September", "October", "November", "December"};
  std::vector<std::vector<std::string>> rows;
  for (std::size_t m = 0; m < c.months.size(); ++m) {
    const CondensationMonth& month = c.months[m];
    rows.push_back({kMonths[m], T(month.outside_temperature), Short(month.outside_humidity),
                    T(month.inside_temperature), Decimals(month.inside_pressure, 0),
                    T(month.surface_minimum),
                    month.frsi_min ? FactorValue(*month.frsi_min) : std::string(kDash)});
  }
  std::string design;
  if (c.design_month) {
    design = Tag("p", "Design value f<sub>Rsi,min</sub> = " +
                          FactorValue(*c.months[*c.design_month].frsi_min) + ", in " +
                          kMonths[*c.design_month] + "; judged on " + XmlText(c.judged) + ".") +
             "\n";
  }
  return Section("k-condensation",
                 Heading(2, "Mould, month by month (EN ISO 13788)") +
                     Table({{"Month", false},
                            {"Outside, &deg;C"},
                            {"Outside humidity, %"},
                            {"Inside, &deg;C"},
                            {"p<sub>i</sub>, Pa"},
                            {"&theta;<sub>si,min</sub>, &deg;C"},
                            {"f<sub>Rsi,min</sub>"}},
                           rows) +
                     design);
}

std::string CasesSection(const std::vector<CaseReport>& cases, const ModelLabels& labels) {
  std::string out = Heading(2, "Cases");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const CaseReport& c = cases[i];
    const std::string id = "k-case-" + std::to_string(i + 1);
    out += Section(id, Heading(3, "Case &ldquo;" + XmlText(c.name) + "&rdquo;") +
                           Tag("p", c.own_factorisation
                                        ? "Other heat-transfer coefficients: solved on its own."
                                        : "Other ambients: solved on the model's factorisation.") +
                           "\n" + SolutionSections(c.solution, labels, 4, id));
  }
  return Section("k-cases", out);
}

std::string CouplingSection(const CouplingMatrix& m,
                            const std::vector<EnvironmentCoupling>& grouped,
                            const ModelLabels& labels) {
  const std::size_t count = m.environments.size();
  std::vector<std::vector<std::string>> environments, matrix, l2d;
  std::vector<Column> columns = {{"i"}};
  for (std::size_t i = 0; i < count; ++i) {
    const Environment& e = m.environments[i];
    const bool convection = e.kind == Environment::Kind::kConvection;
    environments.push_back({std::to_string(i + 1), EnvironmentName(e),
                            convection ? "condition" : "fixed temperature", T(e.temperature),
                            convection ? AsWrittenValue(e.coefficient) : kDash});
    columns.push_back({"j = " + std::to_string(i + 1)});
    std::vector<std::string> row = {std::to_string(i + 1)};
    for (std::size_t j = 0; j < count; ++j) row.push_back(CoefficientValue(m.flow[i][j]));
    matrix.push_back(row);
    for (std::size_t j = i + 1; j < count; ++j) {
      l2d.push_back({EnvironmentName(e), EnvironmentName(m.environments[j]),
                     CoefficientValue(-m.flow[i][j])});
    }
  }
  return Section(
      "k-coupling",
      Heading(2, "Coupling coefficients") +
          Table({{"#"}, {"Environment", false}, {"Kind", false},
                 {TemperatureHead("Temperature", labels)},
                 {std::string("h, W/(m") + kSquared + " K)"}},
                environments) +
          Tag("p", "Heat flow into the model through environment i, W/m, for 1 K at "
                   "environment j and 0 at every other:") +
          "\n" + Table(columns, matrix) +
          Table({{"Between", false}, {"and", false}, {"L<sub>2D</sub>, W/(m K)"}}, l2d) +
          EnvironmentCouplingTable(grouped));
}

std::string GridCheckSection(const GridCheckReport& g, const std::vector<ProbeReport>& probes,
                             const ModelLabels& labels) {
  std::vector<std::pair<std::string, std::string>> facts = {
      {g.redrawn ? "Fine grid, the drawing's made again with every cell size halved"
                 : "Fine grid, every cell cut into 2 &times; 2",
       std::to_string(g.fine_grid.columns) + " &times; " + std::to_string(g.fine_grid.rows) +
           " cells, " + std::to_string(g.fine_grid.nodes) + " nodes"},
      {"Heat flows entering the model, W/m", FlowValue(g.entering)},
      {"The same on the fine grid, W/m", FlowValue(g.entering_fine)},
      {"Difference, %", SignedPercentValue(100 * g.relative_difference)},
      {"EN ISO 10211 asks less than 1 %",
       g.no_flow  ? "<span class=\"k-pass\">met</span>, as no heat flows: every environment is at "
                    "one temperature"
       : g.passes ? "<span class=\"k-pass\">met</span>"
                  : "<span class=\"k-fail\">not met</span>"}};
  if (g.surface_change) {
    facts.push_back({"Largest change of a lowest surface temperature: " +
                         XmlText(g.surface_change->first),
                     SignedTemperature(g.surface_change->second)});
  }
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i = 0; i < probes.size() && i < g.fine_probes.size(); ++i) {
    rows.push_back({XmlText(probes[i].name), T(probes[i].temperature),
                    T(g.fine_probes[i].temperature),
                    SignedTemperature(g.fine_probes[i].temperature - probes[i].temperature)});
  }
  return Section("k-grid-check",
                 Heading(2, "Grid check") + Facts(facts) +
                     (rows.empty() ? std::string()
                                   : Table({{"Probe", false},
                                            {TemperatureHead("Model's grid", labels)},
                                            {TemperatureHead("Fine grid", labels)},
                                            {"Change"}},
                                           rows)));
}

}  // namespace kelvane
