#include "app/model_source.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "detail/detail_file.h"
#include "detail/drawing_checks.h"
#include "detail/flanking.h"
#include "detail/grid_text.h"
#include "detail/probe.h"
#include "model/units.h"
#include "platform/file_io.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

// A case's change of one condition of the file, on each of the model's
// conditions it became (one for each way its surfaces face).
void Change(const CaseOverride& o, const std::vector<std::int32_t>& numbers,
            const std::vector<Facing>& facing, EnvironmentValues& values) {
  for (std::int32_t v : numbers) {
    Convection& c = values.conditions[v];
    if (o.ambient) c.AmbientTemperature = *o.ambient;
    if (o.by_direction) {
      const DirectedResistance& r = *o.by_direction;
      c.HeatTransferCoefficient =
          1 / (facing[v] == Facing::kCeiling ? r.up : facing[v] == Facing::kFloor ? r.down : r.side);
    } else if (o.h) {
      c.HeatTransferCoefficient = *o.h;
    }
  }
}

// Refuses a case that leaves an environment's conditions at other ambients.
void RefuseSplitEnvironments(const DetailFile& detail, const CaseEntry& entry,
                             const ModelLabels& labels, const EnvironmentValues& values) {
  for (const EnvironmentLabel& e : labels.environments) {
    std::vector<double> ambients;
    for (std::int32_t v : e.conditions) ambients.push_back(values.conditions[v].AmbientTemperature);
    for (std::int32_t i : e.fixed) ambients.push_back(values.fixed[i]);
    if (std::adjacent_find(ambients.begin(), ambients.end(), std::not_equal_to<>()) ==
        ambients.end()) {
      continue;
    }
    throw RunError(ErrorKind::kInvalidValue, detail.PlaceOf(entry.at),
                   "case " + Quoted(entry.name) + " gives the conditions of environment " +
                       Quoted(e.name) + " different ambients; change the environment as a whole");
  }
}

std::vector<CaseDefinition> Cases(const DetailFile& detail, const MadeGrid& made) {
  std::vector<CaseDefinition> cases;
  for (const CaseEntry& entry : detail.cases) {
    CaseDefinition c{entry.name, ValuesOf(made.model), entry.frsi_min};
    for (const CaseOverride& o : entry.overrides) {
      for (const Fill& member : TargetMembers(detail, o.target)) {
        if (member.kind == FillKind::kFixed) {
          // An environment's h alone leaves its fixed temperatures as they are.
          if (o.temperature || o.ambient) {
            c.values.fixed[member.index + 1] = o.temperature ? *o.temperature : *o.ambient;
          }
        } else {
          Change(o, made.condition_numbers[member.index], made.facing, c.values);
        }
      }
    }
    RefuseSplitEnvironments(detail, entry, made.labels, c.values);
    cases.push_back(std::move(c));
  }
  return cases;
}

// A flanking element of the drawing as the report has it, lengths in metres.
FlankingReport ReportOf(const FlankingElement& e) {
  FlankingReport f{.u = e.u,
                   .length = MillimetreToMetre(e.length),
                   .from_segment = e.from_segment,
                   .from_x = MillimetreToMetre(e.from.x),
                   .from_y = MillimetreToMetre(e.from.y),
                   .to_x = MillimetreToMetre(e.to.x),
                   .to_y = MillimetreToMetre(e.to.y),
                   .layers = {},
                   .resistance_from = e.resistance_from,
                   .resistance_to = e.resistance_to};
  for (const FlankingLayer& l : e.layers) {
    f.layers.push_back({l.material, MillimetreToMetre(l.thickness), l.conductivity});
  }
  return f;
}

PsiRequest PsiOf(const DetailFile& detail, const MadeGrid& made, const PsiEntry& entry,
                 const std::vector<FlankingElement>& elements) {
  PsiRequest psi{entry.name,
                 {LabelOf(detail, entry.between[0], made.condition_numbers),
                  LabelOf(detail, entry.between[1], made.condition_numbers)},
                 {},
                 detail.PlaceOf(entry.between_at)};
  for (const FlankingElement& e : elements) psi.flanking.push_back(ReportOf(e));
  return psi;
}

// The cavity's material number of the made grid's cell that holds a point,
// or 0 where that cell is of no cavity.
std::int32_t CavityAt(const MadeGrid& made, Point p) {
  const std::optional<ProbeSpot> spot = FindElement(made, p);
  const std::int32_t m = spot ? made.model.Codes(spot->column, spot->row).number : 0;
  const bool cavity = std::any_of(made.labels.cavities.begin(), made.labels.cavities.end(),
                                  [m](const CavityLabel& c) { return c.material == m; });
  return cavity ? m : 0;
}

// The conductivity along a segment of the cavity that holds a point of its
// layer, in the made grid; refused at the segment's entry when the grid's
// cell there is of no cavity. A segment along a side of the cavity has cells
// of other materials beside it: the cells just either side of it are tried
// too.
CavityConductivityAt CavityLookup(const DetailFile& detail, const MadeGrid& made,
                                  const FlankingElement& element, const std::string& what) {
  return [&detail, &made, &element, what](Point p, bool along_x) {
    const double nudge = 1e-6 * std::max(1.0, std::fabs(along_x ? p.y : p.x));
    std::int32_t m = 0;
    for (double side : {0.0, nudge, -nudge}) {
      if (m == 0) m = CavityAt(made, along_x ? Point{p.x, p.y + side} : Point{p.x + side, p.y});
    }
    if (m == 0) {
      throw RunError(ErrorKind::kInvalidValue, detail.PlaceOf(element.at),
                     what + " crosses a cavity at [" + NumberText(p.x) + ", " + NumberText(p.y) +
                         "], where the grid's cell is of no cavity; draw the cavity wider there "
                         "or give it smaller cells");
    }
    const Material& material = made.model.MaterialTable[m];
    return along_x ? material.ConductivityX : material.ConductivityY;
  };
}

std::optional<FrameRequest> FrameOf(const DetailFile& detail, const MadeGrid& made,
                                    FlankingElement panel) {
  if (!detail.frame) return std::nullopt;
  const FrameEntry& frame = *detail.frame;
  UseCavityConductivities(panel, CavityLookup(detail, made, panel, "the panel of [frame]"));
  return FrameRequest{{LabelOf(detail, frame.between[0], made.condition_numbers),
                       LabelOf(detail, frame.between[1], made.condition_numbers)},
                      ReportOf(panel),
                      MillimetreToMetre(frame.width),
                      detail.PlaceOf(frame.between_at)};
}

std::optional<CondensationRequest> CondensationOf(const DetailFile& detail) {
  if (!detail.condensation) return std::nullopt;
  const CondensationEntry& c = *detail.condensation;
  CondensationRequest request{c.frsi_min, std::nullopt, c.case_name};
  if (c.monthly) {
    const CondensationEntry::Climate& m = *c.monthly;
    request.climate = Climate{m.inside_temperature, m.inside_humidity, m.vapour_excess,
                              m.outside_temperature, m.outside_humidity};
  }
  return request;
}

std::string Mm(double value) { return NumberText(value, 6) + " mm"; }

}  // namespace

bool IsDetailFile(const std::string& path) {
  const std::string tail = ".toml";
  return path.size() > tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
}

LoadedModel LoadModel(const std::string& path, const GridLimits& limits) {
  LoadedModel loaded;
  if (IsDetailFile(path)) {
    const DetailFile& detail = loaded.detail.emplace(ReadDetailFile(path));
    // What is wrong with the drawing's psi is said before its grid is made.
    std::vector<std::vector<FlankingElement>> flanking;
    for (const PsiEntry& psi : detail.psi) flanking.push_back(FlankingElements(detail, psi));
    std::optional<FlankingElement> panel;
    if (detail.frame) panel = FramePanel(detail, *detail.frame);
    const MadeGrid& made = loaded.made.emplace(MakeGrid(detail, limits));
    for (std::size_t i = 0; i < detail.psi.size(); ++i) {
      for (std::size_t e = 0; e < flanking[i].size(); ++e) {
        UseCavityConductivities(flanking[i][e],
                                CavityLookup(detail, made, flanking[i][e],
                                             "flanking entry " + std::to_string(e + 1)));
      }
      loaded.psi.push_back(PsiOf(detail, made, detail.psi[i], flanking[i]));
    }
    if (panel) loaded.frame = FrameOf(detail, made, *panel);
    loaded.cases = Cases(detail, made);
    loaded.condensation = CondensationOf(detail);
    loaded.warnings = made.warnings;
    const Warnings found = CheckDrawing(detail, made);
    loaded.warnings.insert(loaded.warnings.end(), found.begin(), found.end());
  } else {
    loaded.grid_file = ReadInputFile(path);
    loaded.grid_file_labels = GridFileLabels(loaded.grid_file);
  }
  return loaded;
}

std::string GridFileText(const LoadedModel& loaded, const std::string& path) {
  if (!loaded.made) return ReadWholeFile(path);
  for (const ConditionEntry& c : loaded.detail->conditions) {
    if (!c.by_direction) continue;
    // A grid file gives each convection cell one coefficient for all its sides.
    throw RunError(ErrorKind::kInvalidValue, loaded.detail->PlaceOf(c.at),
                   "--save-input cannot write this model: a grid file holds one heat-transfer "
                   "coefficient for every side of a convection cell, and condition " +
                       Quoted(c.name) + " takes its surface resistances by direction");
  }
  // A grid file holds one conductivity per material.
  const Model& model = loaded.made->model;
  for (std::size_t m = 1; m < model.MaterialTable.size(); ++m) {
    const Material& material = model.MaterialTable[m];
    if (material.ConductivityX == material.ConductivityY) continue;
    const ModelLabels& labels = loaded.made->labels;
    const auto cavity = std::find_if(labels.cavities.begin(), labels.cavities.end(),
                                     [&](const CavityLabel& c) { return c.material == int(m); });
    const std::string& fill = cavity != labels.cavities.end() ? cavity->fill : labels.materials[m];
    const auto entry = std::find_if(loaded.detail->materials.begin(), loaded.detail->materials.end(),
                                    [&](const MaterialEntry& e) { return e.name == fill; });
    throw RunError(ErrorKind::kInvalidValue, loaded.detail->PlaceOf(entry->at),
                   "--save-input cannot write this model: a grid file holds one conductivity for "
                   "each material, and " +
                       (cavity != labels.cavities.end()
                            ? "the cavity " + Quoted(labels.materials[m]) +
                                  (labels.materials[m] == fill ? "" : " of " + Quoted(fill))
                            : "material " + Quoted(fill)) +
                       " conducts differently along x (" + NumberText(material.ConductivityX, 6) +
                       ") and along y (" + NumberText(material.ConductivityY, 6) + " W/(m K))");
  }
  return GridInputText(*loaded.made);
}

std::string DrawingPlaceText(const GridPlace& at, const ModelLabels& labels) {
  if (!labels.drawing) return GridPlaceText(at);
  auto x = [&](std::int32_t k) { return labels.PointXmm(k, 0); };
  auto y = [&](std::int32_t j) { return labels.PointYmm(j, 0); };
  if (at.point) return "the point at x " + Mm(x(at.k)) + ", y " + Mm(y(at.j));
  return "the cell from x " + Mm(x(at.k)) + " to " + Mm(x(at.k + 1)) + ", y " + Mm(y(at.j + 1)) +
         " to " + Mm(y(at.j));
}

void NameInDrawing(RunError& error, const ModelLabels& labels) {
  if (!error.grid_place() || !labels.drawing) return;
  error.SetPlace(DrawingPlaceText(*error.grid_place(), labels));
}

}  // namespace kelvane
