#include <algorithm>
#include <cmath>

#include "model/grid_place.h"
#include "model/units.h"
#include "platform/error.h"
#include "platform/number_text.h"
#include "report/report.h"
#include "report/rounding.h"

// The report as lines of text, for a person at a terminal: numbers rounded
// as report/rounding.h rounds them for people, each with its unit, places
// named as the model names them.

namespace kelvane {
namespace {

// Six significant digits, in the program's number style ("1.5E-07"), for
// the shares and areas that no rounding rule covers.
std::string Short(double value) { return NumberText(value, 6); }

constexpr const char* kCelsius = " \xC2\xB0""C";

// A temperature with its unit: a detail file's are degrees Celsius, a grid
// file's in the input's own unit, which the report does not know.
std::string Temperature(double value, const ModelLabels& labels) {
  return TemperatureValue(value) + (labels.drawing ? kCelsius : "");
}
// A difference of temperatures, with its sign.
std::string TemperatureChange(double value, const ModelLabels& labels) {
  const std::string text = TemperatureValue(value);
  return (value > 0 && text.find_first_not_of("0.") != std::string::npos ? "+" : "") + text +
         (labels.drawing ? " K" : "");
}
std::string Flow(double value) { return FlowValue(value) + " W/m"; }

// How a condition's surface takes heat: its R where the file gave one, else h.
std::string SurfaceText(std::int32_t number, double h, const ModelLabels& labels) {
  if (labels.GivenAsResistance(number)) {
    return "R " + AsWrittenValue(1 / h) + " m\xC2\xB2 K/W";
  }
  return "h " + AsWrittenValue(h) + " W/(m\xC2\xB2 K)";
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// Millimetres to 0.1 mm, as a person reads a length of the drawing.
std::string Mm(double metres) { return LengthValue(MetreToMillimetre(metres)); }

// A coupling matrix's environment, with R where its condition was given R.
std::string EnvironmentName(const Environment& e, const ModelLabels& labels) {
  if (e.kind == Environment::Kind::kConvection) {
    const auto named = std::find(labels.conditions.begin(), labels.conditions.end(), e.name);
    const bool resistance =
        named != labels.conditions.end() && e.coefficient != 0 &&
        labels.GivenAsResistance(static_cast<std::int32_t>(named - labels.conditions.begin()));
    return e.name + " (ambient " + Temperature(e.temperature, labels) +
           (resistance ? ", R " + AsWrittenValue(1 / e.coefficient)
                       : ", h " + AsWrittenValue(e.coefficient)) +
           ")";
  }
  return e.name + " (fixed temperature " + Temperature(e.temperature, labels) + ")";
}

// A point of a detail file's drawing by its coordinates; of a grid file by
// its grid point too.
std::string PointText(const SurfacePoint& p, const ModelLabels& labels) {
  const std::string at =
      labels.drawing ? "" : GridPlaceText(GridPointPlace(p.column_line, p.row_line)) + ", ";
  return Temperature(p.temperature, labels) + " at " + at + "x " + Mm(p.x) + " mm, y " + Mm(p.y) + " mm";
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
    for (std::size_t j = 0; j < count; ++j) out += Padded(CoefficientValue(m.flow[i][j]), 13);
    out += "\n";
  }
  out += "  L2D between two environments, W/(m K) (minus the entry above):\n";
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = i + 1; j < count; ++j) {
      out += "    " + EnvironmentName(m.environments[i], labels) + " and " +
             EnvironmentName(m.environments[j], labels) + ": " + CoefficientValue(-m.flow[i][j]) +
             "\n";
    }
  }
  return out;
}

// The environments of more than one condition or fixed temperature, with
// their flows together.
std::string EnvironmentsText(const SolutionReport& r, const ModelLabels& labels) {
  std::string out;
  for (const EnvironmentReport& e : r.environments) {
    if (e.members.size() < 2) continue;
    std::string members;
    for (const std::string& m : e.members) members += (members.empty() ? "" : ", ") + Printable(m);
    out += "  " + Printable(e.name) + "  ambient " + Temperature(e.ambient, labels) + ": " +
           (e.touches ? Flow(e.flow) : std::string("touches nothing")) + " (" + members +
           ")\n";
  }
  return out.empty() ? out : "Environments, their conditions and fixed temperatures together:\n" + out;
}

std::string FlowsText(const SolutionReport& r, const ModelLabels& labels) {
  std::string out = "Heat flow into the model, W per metre of depth:\n";
  for (const ConditionReport& c : r.conditions) {
    out += "  " + Printable(c.name) + "  ambient " + Temperature(c.ambient, labels) + ", " +
           SurfaceText(c.number, c.coefficient, labels) + ": ";
    if (c.edges == 0) {
      out += "no edge\n";
      continue;
    }
    out += Flow(c.flow) + " through " + std::to_string(c.edges) +
           (c.edges == 1 ? " edge, " : " edges, ") + Mm(c.length) + " mm\n";
    out += "      lowest surface temperature " + PointText(*c.lowest, labels) + "\n";
    out += "      highest surface temperature " + PointText(*c.highest, labels) + "\n";
  }
  for (const FixedReport& f : r.fixed) {
    out += "  " + Printable(f.name) + "  fixed temperature " +
           Temperature(f.temperature, labels) + ": ";
    out += f.nodes == 0 ? std::string("no node\n")
                        : Flow(f.flow) + " through " + std::to_string(f.nodes) +
                              (f.nodes == 1 ? " node\n" : " nodes\n");
  }
  return out + EnvironmentsText(r, labels);
}

// "inside" where the environment is the condition, else "room, at room
// (floor)".
std::string SideText(const std::string& environment, const std::string& condition) {
  return Printable(environment) + (environment == condition ? "" : ", at " + Printable(condition));
}

std::string FactorText(const TemperatureFactor& f, const ModelLabels& labels) {
  return "fRsi = " + FactorValue(f.value) + ": lowest surface temperature " +
         Temperature(f.surface.temperature, labels) + " on the warm side " +
         SideText(f.environment, f.warm_name) + " (ambient " + Temperature(f.inside, labels) +
         "), cold side " + SideText(f.cold_environment, f.cold_name) + " (ambient " +
         Temperature(f.outside, labels) + ")\n";
}

std::string FactorsText(const SolutionReport& r, const ModelLabels& labels) {
  std::string out;
  if (r.frsi_by_environment.empty()) {
    if (r.frsi) out += "Temperature factor " + FactorText(*r.frsi, labels);
  } else {
    out += "Temperature factor by warm environment:\n";
    for (const TemperatureFactor& f : r.frsi_by_environment) out += "  " + FactorText(f, labels);
  }
  if (r.verdict) {
    const std::string margin = FactorValue(r.verdict->margin);
    out += "  asked fRsi >= " + FactorValue(r.verdict->frsi_min) + " (" + r.verdict->basis +
           "): " + (r.verdict->met ? "met" : "NOT MET") + ", margin " +
           (r.verdict->margin > 0 && margin != "0.000" ? "+" : "") + margin + "\n";
  }
  return out;
}

std::string ProbesText(const std::vector<ProbeReport>& probes, const ModelLabels& labels) {
  if (probes.empty()) return "";
  std::string out = "Probes, the temperature at a point of the drawing:\n";
  for (const ProbeReport& p : probes) {
    out += "  " + Printable(p.name) + " (x " + Mm(p.x) + " mm, y " + Mm(p.y) +
           " mm): " + Temperature(p.temperature, labels) + "\n";
  }
  return out;
}

std::string SolutionText(const SolutionReport& r, const ModelLabels& labels) {
  std::string out = FlowsText(r, labels);
  out += "Energy balance: the flows sum to " + Flow(r.balance) + ", " +
         Short(r.relative_balance) + " of the largest (" + Flow(r.largest_flow) + ")\n";
  out += FactorsText(r, labels);
  if (r.frsi_withheld) out += "Temperature factor fRsi: " + FrsiWithheldText(r) + "\n";
  return out + ProbesText(r.probes, labels);
}

// How much area each material gained or lost where sloped and curved sides
// became steps of cells; one line when none did.
std::string AreasText(const std::vector<MaterialReport>& materials) {
  std::string changed;
  for (const MaterialReport& m : materials) {
    if (m.AsDrawn()) continue;
    const double drawn = SquareMetreToSquareMillimetre(*m.drawn);
    const double cells = SquareMetreToSquareMillimetre(m.cells);
    const double change = cells - drawn;
    changed += "  " + Printable(m.name) + ": " + Significant(drawn, 6) + " mm\xC2\xB2 drawn, " +
               Significant(cells, 6) + " mm\xC2\xB2 in cells (" + (change > 0 ? "+" : "") +
               Significant(change, 4) + " mm\xC2\xB2, " +
               SignedPercentValue(drawn > 0 ? 100 * change / drawn : 0) + " %)\n";
  }
  if (changed.empty()) return "Areas: every material's cells cover exactly what is drawn\n";
  return "Areas of the materials, as drawn and as the cells cover them (sloped and curved "
         "sides become steps):\n" + changed;
}

// The materials that conduct differently along x and y, and those taken
// from the built-in table with their source; nothing when there are none.
// Cavities are listed with their sizes below.
std::string MaterialNotesText(const std::vector<MaterialReport>& materials,
                              const std::vector<CavityLabel>& cavities) {
  std::string out;
  for (const MaterialReport& m : materials) {
    const auto number = static_cast<std::int32_t>(&m - materials.data() + 1);
    if (std::any_of(cavities.begin(), cavities.end(),
                    [number](const CavityLabel& c) { return c.material == number; })) {
      continue;
    }
    if (m.conductivity_x != m.conductivity_y && m.source.empty()) {
      out += "  " + Printable(m.name) + ": x " + AsWrittenValue(m.conductivity_x) + ", y " +
             AsWrittenValue(m.conductivity_y) + " W/(m K)\n";
    } else if (!m.source.empty()) {
      out += "  " + Printable(m.name) + ": " + AsWrittenValue(m.conductivity_x) + " W/(m K), " +
             Printable(m.source) + "\n";
    }
  }
  return out.empty() ? out : "Materials by direction and from the built-in table:\n" + out;
}

// Each air cavity and the equivalent conductivities its size gives.
std::string CavitiesText(const std::vector<CavityLabel>& cavities, const ModelLabels& labels) {
  if (cavities.empty()) return "";
  std::string out = "Air cavities (EN ISO 10077-2), lengths in mm, h in W/(m\xC2\xB2 K), "
                    "lambda in W/(m K):\n";
  auto axis = [](const char* name, const CavityAxisLabel& a) {
    return std::string(" ") + name + ": d " + LengthValue(a.d_mm) + ", b " + LengthValue(a.b_mm) +
           ", h_a " + Significant(a.h_a, 4) + ", h_r " + Significant(a.h_r, 4) + ", lambda " +
           Significant(a.conductivity, 4);
  };
  for (const CavityLabel& c : cavities) {
    out += "  " + Printable(labels.materials[c.material]) + " (" + c.kind + ") at x " +
           LengthValue(c.x_mm) + ", y " + LengthValue(c.y_mm) + ": A " +
           Significant(c.area_mm2, 4) + " mm\xC2\xB2, w " + LengthValue(c.width_mm) + ", t " +
           LengthValue(c.height_mm) + ";" + axis("along x", c.along_x) + ";" +
           axis("along y", c.along_y) + "\n";
  }
  return out;
}

std::string FlankingText(const FlankingReport& f, std::size_t number);

// U_f of the frame, with what it is made of.
std::string FrameText(const FrameReport& f) {
  std::string out = "Frame U_f (EN ISO 10077-2) between " + Printable(f.between[0]) + " and " +
                    Printable(f.between[1]) + ":\n";
  out += "  L2D " + CoefficientValue(f.l2d) + " W/(m K), from the coupling coefficients\n";
  std::string panel = FlankingText(f.panel, 1);
  panel.replace(0, panel.find(':'), "  panel");
  out += panel;
  // The formula's terms to 4 digits, so that it gives U_f as shown: L2D to
  // 0.001 would be divided by b_f, a few hundredths of a metre.
  return out + "  U_f = (L2D - U_p b_p) / b_f = (" + Significant(f.l2d, 4) + " - " +
         Significant(f.panel.u, 4) + " x " + AsWrittenValue(f.panel.length) + ") / " +
         AsWrittenValue(f.width) + " = " + CoefficientValue(f.u_f) + " W/(m\xC2\xB2 K), b_p " +
         Mm(f.panel.length) + " mm, b_f " + Mm(f.width) + " mm\n";
}

std::string FlankingText(const FlankingReport& f, std::size_t number) {
  std::string out = "  flanking element " + std::to_string(number) + ": U " + CoefficientValue(f.u) +
                    " W/(m\xC2\xB2 K) x l " + Mm(f.length) + " mm = " +
                    CoefficientValue(f.u * f.length) + " W/(m K)";
  if (!f.from_segment) return out + ", U as given\n";
  out += ", U of the layers from (" + Mm(f.from_x) + ", " + Mm(f.from_y) + ") to (" +
         Mm(f.to_x) + ", " + Mm(f.to_y) + ") mm:\n     ";
  for (const FlankingLayerReport& l : f.layers) {
    out += " " + Printable(l.material) + " " + Mm(l.thickness) + " mm (" +
           AsWrittenValue(l.conductivity) + " W/(m K)),";
  }
  return out + " surface resistances " + AsWrittenValue(f.resistance_from) + " and " +
         AsWrittenValue(f.resistance_to) + " m\xC2\xB2 K/W\n";
}

std::string PsiText(const PsiReport& p) {
  std::string out = "Linear thermal transmittance psi" +
                    (p.name.empty() ? std::string() : " " + Quoted(p.name)) + " between " +
                    Printable(p.between[0]) + " and " + Printable(p.between[1]) + ", W/(m K):\n";
  out += "  L2D " + CoefficientValue(p.l2d) + ", from the coupling coefficients\n";
  for (std::size_t i = 0; i < p.flanking.size(); ++i) out += FlankingText(p.flanking[i], i + 1);
  return out + "  psi = L2D - sum of U l = " + CoefficientValue(p.l2d) + " - " +
         CoefficientValue(p.flanking_sum) + " = " + DifferenceValue(p.psi, p.l2d) + "\n";
}

// L2D between environments, where some environment is more than one
// condition or fixed temperature.
std::string EnvironmentCouplingText(const ModelReport& r) {
  if (!r.labels.AnyGrouped()) return "";
  std::string out = "  L2D between two environments, W/(m K) (their conditions' entries summed):\n";
  for (const EnvironmentCoupling& e : r.environment_coupling) {
    out += "    " + Printable(e.between[0]) + " and " + Printable(e.between[1]) + ": " +
           CoefficientValue(e.l2d) + "\n";
  }
  return out;
}

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

std::string CondensationText(const CondensationReport& c) {
  std::string out =
      "Mould by EN ISO 13788, month by month (surface humidity at most 80 %):\n"
      "  month       outside  humidity  inside  p_i, Pa  theta_si,min  fRsi,min\n";
  for (std::size_t m = 0; m < c.months.size(); ++m) {
    const CondensationMonth& month = c.months[m];
    out += "  " + std::string(kMonths[m]) + std::string(11 - std::string(kMonths[m]).size(), ' ') +
           Padded(TemperatureValue(month.outside_temperature), 8) +
           Padded(Short(month.outside_humidity), 10) +
           Padded(TemperatureValue(month.inside_temperature), 8) +
           Padded(Decimals(month.inside_pressure, 0), 9) +
           Padded(TemperatureValue(month.surface_minimum), 14) +
           Padded(month.frsi_min ? FactorValue(*month.frsi_min) : std::string("-"), 10) + "\n";
  }
  if (c.design_month) {
    out += "  design fRsi,min " + FactorValue(*c.months[*c.design_month].frsi_min) + " (" +
           kMonths[*c.design_month] + "), judged on " + c.judged + "\n";
  }
  return out;
}

std::string CasesText(const std::vector<CaseReport>& cases, const ModelLabels& labels) {
  std::string out;
  for (const CaseReport& c : cases) {
    out += "Case " + Quoted(c.name) +
           (c.own_factorisation ? " (other heat-transfer coefficients: solved on its own):\n"
                                : " (other ambients: solved on the model's factorisation):\n");
    // The case's lines, set in under its heading.
    const std::string lines = SolutionText(c.solution, labels);
    std::size_t start = 0;
    while (start < lines.size()) {
      const std::size_t end = lines.find('\n', start);
      out += "  " + lines.substr(start, end + 1 - start);
      start = end + 1;
    }
  }
  return out;
}

std::string GridCheckText(const GridCheckReport& g, const ModelLabels& labels) {
  std::string out = std::string("Grid check, ") +
                    (g.redrawn ? "the drawing's grid made again with every cell size halved ("
                               : "every cell cut into 2 x 2 (") +
                    std::to_string(g.fine_grid.columns) + " x " +
                    std::to_string(g.fine_grid.rows) + " cells, " +
                    std::to_string(g.fine_grid.nodes) + " nodes):\n";
  out += "  heat flows entering the model: " + Flow(g.entering) + " on the model's grid, " +
         Flow(g.entering_fine) + " on the fine one, " +
         SignedPercentValue(100 * g.relative_difference) + " % (EN ISO 10211 asks less than 1 %: " +
         (g.no_flow ? "met, as no heat flows: every environment is at one temperature"
                    : g.passes ? "met" : "NOT MET") +
         ")\n";
  if (g.probe_change) {
    out += "  largest change of a probe: " + Printable(g.probe_change->first) + ", " +
           TemperatureChange(g.probe_change->second, labels) + "\n";
  }
  if (g.surface_change) {
    out += "  largest change of a lowest surface temperature: " +
           Printable(g.surface_change->first) + ", " +
           TemperatureChange(g.surface_change->second, labels) + "\n";
  }
  return out;
}

std::string WarningsText(const Warnings& warnings) {
  if (warnings.empty()) return "";
  std::string out = "Warnings (" + std::to_string(warnings.size()) + "):\n";
  for (const Warning& w : warnings) out += "  " + WarningLine(w) + "\n";
  return out;
}

}  // namespace

std::string ReportText(const ModelReport& r) {
  std::string out = "Report for " + Printable(r.model) +
                    (r.title.empty() ? "" : ": " + Printable(r.title)) + "\n";
  const ReportHeader& h = r.labels.header;
  for (const auto& [what, value] : {std::pair{"Project", &h.project}, {"Client", &h.client},
                                    {"Author", &h.author}, {"Reference", &h.reference}}) {
    if (!value->empty()) out += std::string(what) + ": " + Printable(*value) + "\n";
  }
  out += "Solved by the " + r.solver + " solver" +
         (r.solver_reason.empty() ? "" : " (" + r.solver_reason + ")") + "\n";
  if (r.labels.drawing) {
    out += "Grid made from the drawing: " + std::to_string(r.grid.columns) + " x " +
           std::to_string(r.grid.rows) + " cells, " + std::to_string(r.grid.elements) +
           " elements, " + std::to_string(r.grid.nodes) + " nodes\n";
  }
  out += WarningsText(r.warnings);
  out += SolutionText(r.base, r.labels);
  if (r.labels.drawing) out += AreasText(r.materials);
  out += MaterialNotesText(r.materials, r.labels.cavities) +
         CavitiesText(r.labels.cavities, r.labels);
  for (const PsiReport& p : r.psi) out += PsiText(p);
  if (r.frame) out += FrameText(*r.frame);
  if (r.condensation) out += CondensationText(*r.condensation);
  out += CasesText(r.cases, r.labels);
  if (r.grid_check) out += GridCheckText(*r.grid_check, r.labels);
  if (r.coupling) out += CouplingText(*r.coupling, r.labels) + EnvironmentCouplingText(r);
  return out + "\n";
}

}  // namespace kelvane
