#include "report/grid_check.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "model/subdivide.h"
#include "report/heat_flow.h"

namespace kelvane {
namespace {

// Keeps the change fine - given of `name` when it is the largest so far.
void KeepLargest(std::optional<std::pair<std::string, double>>& largest, const std::string& name,
                 double given, double fine) {
  const double change = fine - given;
  if (!largest || std::fabs(change) > std::fabs(largest->second)) largest = {name, change};
}

// Whether every environment that exchanges heat with the model is at one
// temperature, so that the exact flows are all zero.
bool AtOneTemperature(const SolutionReport& s) {
  std::vector<double> temperatures;
  for (const ConditionReport& c : s.conditions) {
    if (c.edges > 0 && c.coefficient != 0) temperatures.push_back(c.ambient);
  }
  for (const FixedReport& f : s.fixed) {
    if (f.nodes > 0) temperatures.push_back(f.temperature);
  }
  return std::adjacent_find(temperatures.begin(), temperatures.end(), std::not_equal_to<>()) ==
         temperatures.end();
}

std::vector<double> WithMidpoints(const std::vector<double>& lines) {
  std::vector<double> cut;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) cut.push_back((lines[i - 1] + lines[i]) / 2);
    cut.push_back(lines[i]);
  }
  return cut;
}

}  // namespace

GridSample SampleGrid(const SolvedField& field, const ModelLabels& labels) {
  const EnvironmentValues values = ValuesOf(*field.model);
  return {GridSizeOf(field), EnteringFlow(field, field.temperature.data(), values.Ambients()),
          ReportSolution(field, field.temperature, values, labels)};
}

GridSample SampleGrid(const SolvedField& field, const ModelReport& report) {
  const EnvironmentValues values = ValuesOf(*field.model);
  return {report.grid, EnteringFlow(field, field.temperature.data(), values.Ambients()),
          report.base};
}

GridCheckReport CompareGrids(const GridSample& given, const GridSample& fine,
                             const ModelLabels& labels) {
  GridCheckReport r;
  r.fine_grid = fine.grid;
  r.entering = given.entering;
  r.entering_fine = fine.entering;
  r.relative_difference = given.entering != 0 ? (fine.entering - given.entering) / given.entering
                                              : (fine.entering == 0 ? 0 : INFINITY);
  r.no_flow = AtOneTemperature(given.solution);
  if (r.no_flow) r.relative_difference = 0;
  r.passes = std::fabs(r.relative_difference) < 0.01;
  r.fine_probes = fine.solution.probes;
  for (std::size_t i = 0; i < given.solution.probes.size(); ++i) {
    KeepLargest(r.probe_change, given.solution.probes[i].name,
                given.solution.probes[i].temperature, fine.solution.probes[i].temperature);
  }
  for (std::size_t v = 0; v < given.solution.conditions.size(); ++v) {
    const ConditionReport& a = given.solution.conditions[v];
    const ConditionReport& b = fine.solution.conditions[v];
    if (!a.lowest || !b.lowest) continue;
    KeepLargest(r.surface_change, a.name, a.lowest->temperature,
                b.lowest->temperature);
  }
  return r;
}

ModelLabels SubdividedLabels(const ModelLabels& labels, std::int32_t last_column,
                             std::int32_t last_row) {
  ModelLabels cut = labels;
  cut.column_x_mm = WithMidpoints(labels.column_x_mm);
  cut.row_y_mm = WithMidpoints(labels.row_y_mm);
  for (ProbePoint& p : cut.probes) {
    const CutPosition column = CutCell(p.spot.column, p.spot.fx, last_column);
    const CutPosition row = CutCell(p.spot.row, p.spot.fy, last_row);
    p.spot = {column.cell, row.cell, column.fraction, row.fraction};
  }
  return cut;
}

}  // namespace kelvane
