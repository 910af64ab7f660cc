#include "app/model_source.h"

#include "detail/detail_file.h"
#include "detail/flanking.h"
#include "detail/grid_text.h"
#include "model/units.h"
#include "platform/file_io.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

std::vector<CaseDefinition> Cases(const DetailFile& detail, const Model& model) {
  std::vector<CaseDefinition> cases;
  for (const CaseEntry& entry : detail.cases) {
    CaseDefinition c{entry.name, ValuesOf(model)};
    for (const CaseOverride& o : entry.overrides) {
      const std::size_t n = static_cast<std::size_t>(o.target.index) + 1;
      if (o.target.kind == FillKind::kFixed) {
        c.values.fixed[n] = *o.temperature;
        continue;
      }
      if (o.ambient) c.values.conditions[n].AmbientTemperature = *o.ambient;
      if (o.h) c.values.conditions[n].HeatTransferCoefficient = *o.h;
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

EnvironmentRef RefTo(const Fill& fill) {
  return {fill.kind == FillKind::kFixed ? Environment::Kind::kFixedTemperature
                                        : Environment::Kind::kConvection,
          fill.index + 1};
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

PsiRequest Psi(const DetailFile& detail) {
  PsiRequest psi{{RefTo(detail.psi->between[0]), RefTo(detail.psi->between[1])},
                 {},
                 detail.PlaceOf(detail.psi->between_at)};
  for (const FlankingElement& e : FlankingElements(detail)) psi.flanking.push_back(ReportOf(e));
  return psi;
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
    if (detail.psi) loaded.psi = Psi(detail);
    loaded.made = MakeGrid(detail, limits);
    loaded.cases = Cases(detail, loaded.made->model);
  } else {
    loaded.grid_file = ReadInputFile(path);
    loaded.grid_file_labels = GridFileLabels(loaded.grid_file);
  }
  return loaded;
}

std::string GridFileText(const LoadedModel& loaded, const std::string& path) {
  return loaded.made ? GridInputText(*loaded.made) : ReadWholeFile(path);
}

void NameInDrawing(RunError& error, const ModelLabels& labels) {
  if (!error.grid_place() || !labels.drawing) return;
  const GridPlace& at = *error.grid_place();
  auto x = [&](std::int32_t k) { return labels.PointXmm(k, 0); };
  auto y = [&](std::int32_t j) { return labels.PointYmm(j, 0); };
  if (at.point) {
    error.SetPlace("the point at x " + Mm(x(at.k)) + ", y " + Mm(y(at.j)));
  } else {
    error.SetPlace("the cell from x " + Mm(x(at.k)) + " to " + Mm(x(at.k + 1)) + ", y " +
                   Mm(y(at.j + 1)) + " to " + Mm(y(at.j)));
  }
}

}  // namespace kelvane
