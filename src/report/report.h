// The engineering results of one solved model, printed after it on stdout:
// the heat flow through every convection condition and fixed temperature,
// the lowest and highest surface temperature of each condition, the energy
// balance, the temperature factor fRsi and, on request, the coupling
// coefficients. As text (--report) or as one JSON object per line
// (--report=json). Flows are in W per metre of depth, positive into the
// model; temperatures in the model's unit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/coupling.h"
#include "report/solved_field.h"

namespace kelvane {

enum class ReportFormat { kNone, kText, kJson };

// A node on a convection edge, with its temperature: grid point (column
// line, row line) and coordinates in metres, y up from the last row line.
struct SurfacePoint {
  double temperature = 0;
  std::int32_t column_line = 0;
  std::int32_t row_line = 0;
  double x = 0;
  double y = 0;
};

struct ConditionReport {
  std::int32_t number = 0;
  double ambient = 0;
  double coefficient = 0;
  std::int32_t edges = 0;
  double length = 0;  // metres
  double flow = 0;
  std::optional<SurfacePoint> lowest;   // None without edges.
  std::optional<SurfacePoint> highest;
};

struct FixedReport {
  std::int32_t number = 0;
  double temperature = 0;
  std::int32_t nodes = 0;
  double flow = 0;
};

// fRsi = (T_si,min - T_e) / (T_i - T_e): T_i the ambient of the warmest
// condition, T_e that of the coldest, T_si,min the lowest surface
// temperature on the edges of the warmest (of all that share its ambient).
// Only conditions with edges and h != 0 take part.
struct TemperatureFactor {
  double value = 0;
  std::int32_t warm_condition = 0;
  std::int32_t cold_condition = 0;
  double inside = 0;
  double outside = 0;
  SurfacePoint surface;
};

struct ModelReport {
  std::string model;  // The model file, as the command line named it.
  std::string title;
  std::string solver;  // "profile" or "sparse".
  std::vector<ConditionReport> conditions;  // Every condition, in number order.
  std::vector<FixedReport> fixed;           // Every fixed temperature.
  double balance = 0;           // Sum of all flows, conditions first.
  double largest_flow = 0;      // Largest magnitude among them.
  double relative_balance = 0;  // balance / largest_flow; 0 when all are 0.
  std::optional<TemperatureFactor> frsi;  // With two conditions or more.
  std::optional<CouplingMatrix> coupling;
};

ModelReport BuildReport(const SolvedField& field, const std::string& model,
                        bool with_coupling);

// The report as lines of text, ending with an empty line.
std::string ReportText(const ModelReport& report);
// The report as one JSON object on one line.
std::string ReportJson(const ModelReport& report);
// The JSON line of a model that failed: {"model": ..., "error": ...}.
std::string ReportErrorJson(const std::string& model, const std::string& message);

}  // namespace kelvane
