#include "app/model_source.h"

#include "detail/detail_file.h"
#include "detail/flanking.h"
#include "detail/grid_text.h"
#include "platform/file_io.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

ModelLabels DetailLabels(const MadeGrid& made) {
  ModelLabels labels;
  labels.title = made.title;
  labels.materials = made.material_names;
  labels.conditions = made.condition_names;
  labels.fixed = made.fixed_names;
  labels.drawing = true;
  labels.column_x_mm = made.column_x;
  labels.row_y_mm = made.row_y;
  for (const PlacedProbe& p : made.probes) {
    labels.probes.push_back(
        {p.name, p.point.x, p.point.y, p.spot.column, p.spot.row, p.spot.fx, p.spot.fy});
  }
  for (std::size_t n = 1; n < made.areas.size(); ++n) {
    labels.areas.push_back({made.material_names[n], made.areas[n].drawn, made.areas[n].cells});
  }
  return labels;
}

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

PsiRequest Psi(const DetailFile& detail) {
  PsiRequest psi{{RefTo(detail.psi->between[0]), RefTo(detail.psi->between[1])},
                 {},
                 detail.PlaceOf(detail.psi->between_at)};
  for (const FlankingElement& e : FlankingElements(detail)) {
    FlankingReport f{e.u, e.length / 1000, e.from_segment, e.from.x, e.from.y, e.to.x, e.to.y,
                     {}, e.resistance_from, e.resistance_to};
    for (const FlankingLayer& l : e.layers) f.layers.push_back({l.material, l.thickness, l.conductivity});
    psi.flanking.push_back(std::move(f));
  }
  return psi;
}

std::string Mm(double value) { return NumberText(value, 6) + " mm"; }

}  // namespace

bool IsDetailFile(const std::string& path) {
  const std::string tail = ".toml";
  return path.size() > tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
}

LoadedModel LoadModel(const std::string& path) {
  LoadedModel loaded;
  if (IsDetailFile(path)) {
    const DetailFile detail = ReadDetailFile(path);
    // What is wrong with the drawing's psi is said before its grid is made.
    if (detail.psi) loaded.psi = Psi(detail);
    loaded.made = MakeGrid(detail);
    loaded.labels = DetailLabels(*loaded.made);
    loaded.cases = Cases(detail, loaded.made->model);
  } else {
    loaded.grid_file = ReadInputFile(path);
    loaded.labels = GridFileLabels(loaded.grid_file);
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
