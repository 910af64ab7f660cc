// The oracle of a solution, as the fuzz targets and their regression tests
// judge one: the program checks every solution it uses
// (report/solution_check.h) and refuses those rounding has spoilt; one it
// keeps must give a report whose numbers are all finite and whose flows
// balance: those of the model's own values, and those of each coupling load
// (one environment at 1, the others at 0). The balance is held to 1e-3 of
// the largest flow, a hundred times looser than the program's own check,
// and is not weighed where there is no flow but rounding: where every
// environment that passes heat (a condition of h 0 does not) is at one
// temperature, or where no flow reaches 1e-6 W/m for
// each K between them and each W/(m K) of the least conductivity or h (no
// material joins them). Without the program's check, conductivities of
// 1e300 or an ambient of -1e308 fail it.
#pragma once

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <string_view>

#include "model/environment_values.h"
#include "platform/error.h"
#include "model/labels.h"
#include "report/report.h"
#include "report/solution_check.h"
#include "solver/solver.h"

namespace kelvane {

// Whether `text` holds "inf" or "nan" as a word, as a report prints a
// number that is not finite ("-inf W/m", "sum to -nan").
inline bool HoldsNotFinite(std::string_view text) {
  for (std::string_view word : {"inf", "nan"}) {
    for (std::size_t at = text.find(word); at != text.npos; at = text.find(word, at + 1)) {
      const bool starts = at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1]));
      const std::size_t end = at + word.size();
      const bool ends = end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end]));
      if (starts && ends) return true;
    }
  }
  return false;
}

// The least conductivity of the report's materials and h of its
// conditions with edges: what any flow that crosses the model passes at
// least per K, up to its shape.
inline double LeastConductance(const ModelReport& report) {
  double least = INFINITY;
  for (const MaterialReport& m : report.materials) {
    // What has no cells, or conducts nothing, passes no heat to weigh.
    for (double k : {m.conductivity_x, m.conductivity_y}) {
      if (m.cells > 0 && k > 0) least = std::min(least, k);
    }
  }
  for (const ConditionReport& c : report.base.conditions) {
    if (c.edges > 0 && c.coefficient > 0) least = std::min(least, c.coefficient);
  }
  return least;
}

// "" when every flow of `report` is finite and balances; else what is not.
inline std::string ReportFault(const ModelReport& report) {
  if (HoldsNotFinite(ReportText(report))) return "the report holds a number that is not finite";
  const SolutionReport& base = report.base;
  double low = INFINITY, high = -INFINITY;
  for (const ConditionReport& c : base.conditions) {
    if (c.edges == 0 || !(c.coefficient > 0)) continue;  // An h of 0 passes no heat.
    low = std::min(low, c.ambient);
    high = std::max(high, c.ambient);
  }
  for (const FixedReport& f : base.fixed) {
    if (f.nodes == 0) continue;
    low = std::min(low, f.temperature);
    high = std::max(high, f.temperature);
  }
  const double least = LeastConductance(report);
  const bool flows = high > low && !(base.largest_flow <= 1e-6 * least * (high - low));
  if (flows && !(std::fabs(base.balance) <= 1e-3 * base.largest_flow)) {
    return "the flows do not balance";
  }
  // A load of one environment alone has no flow but rounding.
  if (!report.coupling || report.coupling->flow.size() < 2) return "";
  const std::vector<std::vector<double>>& flow = report.coupling->flow;
  for (std::size_t j = 0; j < flow.size(); ++j) {
    double sum = 0, largest = 0;
    for (const std::vector<double>& row : flow) {
      sum += row[j];
      largest = std::max(largest, std::fabs(row[j]));
    }
    if (!(largest <= 1e-6 * least) && !(std::fabs(sum) <= 1e-3 * largest)) {
      return "a coupling load's flows do not balance";
    }
  }
  return "";
}

// The labels of a grid file, with names that no word of a report can be
// taken for.
inline ModelLabels NeutralLabels(const Model& model) {
  ModelLabels labels = GridFileLabels(model);
  labels.title.clear();  // A title may read "nan".
  for (std::size_t m = 1; m < labels.materials.size(); ++m) labels.materials[m] = "A" + std::to_string(m);
  return labels;
}

// "" when the program refuses the solution with a message, or keeps it and
// it passes the oracle; else what is wrong.
inline std::string SolutionFault(const Solution& solution) {
  const SolvedField& field = solution.Field();
  const ModelLabels labels = NeutralLabels(*field.model);
  try {
    RequireSound(field, field.temperature, ValuesOf(*field.model), labels);
    return ReportFault(BuildReport(solution, labels, "fuzz", {true, {}, std::nullopt}));
  } catch (const RunError& e) {
    return std::string_view(e.what()).empty() ? "a refusal without a message" : "";
  }
}

}  // namespace kelvane
