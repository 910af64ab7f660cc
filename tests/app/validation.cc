#include "app/validation.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

#include "app/process.h"

namespace kelvane::testing {
namespace {

// A probe's temperature on the model's grid and on the one with every cell
// halved, by the probe's name.
struct ProbeValues {
  double given = 0;
  double halved = 0;
};

ProbeValues Probe(const nlohmann::json& report, const std::string& name) {
  ProbeValues values;
  bool found = false;
  for (const auto& p : report.at("probes")) {
    if (p.at("name") == name) values.given = p.at("temperature"), found = true;
  }
  for (const auto& p : report.at("grid_check").at("probes")) {
    if (p.at("name") == name) values.halved = p.at("temperature");
  }
  if (!found) throw std::runtime_error("no probe " + name);
  return values;
}

// EN ISO 10077-2 Annex D, D.7, W/(m K).
constexpr double kD7Reference = 0.285;

}  // namespace

bool ValidationRow::passes() const {
  return std::fabs(deviation()) <= tolerance && std::fabs(change()) <= tolerance;
}

double HalfSquareColumn(double x, double y) {
  const double pi = std::numbers::pi;
  double sum = 0;
  for (int n = 1; n < 400; n += 2) {
    // sinh(n pi y) / sinh(n pi) without overflow.
    const double ratio = std::exp(n * pi * (y - 1)) * (1 - std::exp(-2 * n * pi * y)) /
                         (1 - std::exp(-2 * n * pi));
    sum += std::sin(n * pi * x) * ratio / n;
  }
  return 80 / pi * sum;
}

std::vector<ValidationRow> RunValidation(const std::string& binary, const std::string& source_dir) {
  TemporaryFolder folder;
  const std::string names[] = {"iso10211_case1", "iso10211_case2", "iso10077_d7"};
  std::vector<std::string> args = {"--quiet", "--report=json", "--check-grid"};
  for (const std::string& name : names) {
    WriteFile(folder / (name + ".toml"),
              ReadFile(source_dir + "/examples/validation/" + name + ".toml"));
    args.push_back(name + ".toml");
  }
  const Outcome run =
      RunProgram(binary, args, {{"PATH", "/usr/bin:/bin"}, {"HOME", folder.path()}}, folder.path());
  if (run.status != 0) throw std::runtime_error("the program failed: " + run.err);
  const std::size_t line_end = run.out.find('\n');
  const std::size_t second_end = run.out.find('\n', line_end + 1);
  const nlohmann::json case1 = nlohmann::json::parse(run.out.substr(0, line_end));
  const nlohmann::json case2 =
      nlohmann::json::parse(run.out.substr(line_end + 1, second_end - line_end - 1));
  const nlohmann::json d7 = nlohmann::json::parse(run.out.substr(second_end + 1));

  std::vector<ValidationRow> rows;
  // Case 1: 28 points on the eighths of a, against the analytical solution;
  // the detail file names its probes "i/8, j/8".
  for (int i = 1; i <= 4; ++i) {
    for (int j = 1; j <= 7; ++j) {
      const ProbeValues p = Probe(case1, std::to_string(i) + "/8, " + std::to_string(j) + "/8");
      char quantity[40];
      std::snprintf(quantity, sizeof quantity, "T(%da/8, %da/8)", i, j);
      rows.push_back(
          {"Case 1", quantity, "°C", HalfSquareColumn(i / 8.0, j / 8.0), p.given, p.halved, 0.1});
    }
  }
  // Case 2: the nine points of the standard's table, and the heat flow.
  struct Point {
    const char* name;
    double x_mm, y_mm, reference;
  };
  const Point points[] = {{"A", 0, 47.5, 7.1},   {"B", 500, 47.5, 0.8}, {"C", 0, 41.5, 7.9},
                          {"D", 15, 41.5, 6.3},  {"E", 500, 41.5, 0.8}, {"F", 0, 36.5, 16.4},
                          {"G", 15, 36.5, 16.3}, {"H", 0, 0, 16.8},     {"I", 500, 0, 18.3}};
  for (const Point& point : points) {
    const ProbeValues p = Probe(case2, point.name);
    char quantity[40];
    std::snprintf(quantity, sizeof quantity, "%s (%g, %g)", point.name, point.x_mm, point.y_mm);
    rows.push_back({"Case 2", quantity, "°C", point.reference, p.given, p.halved, 0.1});
  }
  // The flow from the room, which is all that enters the model.
  rows.push_back({"Case 2", "heat flow", "W/m", 9.5,
                  case2.at("conditions").at(0).at("flow").get<double>(),
                  case2.at("grid_check").at("entering_fine").get<double>(), 0.1});
  // EN ISO 10077-2 Annex D, D.7: L2D of the frame within 3 %. The room and
  // the outside are its only environments, 20 K apart, so on the finer grid
  // L2D is the flow entering the model over 20 K.
  rows.push_back({"D.7", "L2D", "W/mK", kD7Reference,
                  d7.at("frame").at("l2d").get<double>(),
                  d7.at("grid_check").at("entering_fine").get<double>() / 20,
                  0.03 * kD7Reference});
  return rows;
}

std::string ValidationTable(const std::vector<ValidationRow>& rows) {
  std::string out;
  char line[200];
  std::snprintf(line, sizeof line, "%-7s %-16s %-4s %10s %10s %10s %11s %10s  %s\n", "case",
                "quantity", "unit", "reference", "computed", "deviation", "cells / 2", "change",
                "class A");
  out += line;
  int failed = 0;
  for (const ValidationRow& r : rows) {
    // "°C" is two bytes but one column wide.
    const bool degrees = r.unit == "°C";

    std::snprintf(line, sizeof line, "%-7s %-16s %-*s %10.4f %10.4f %+10.4f %11.4f %+10.4f  %s\n",
                  r.case_name.c_str(), r.quantity.c_str(), degrees ? 5 : 4, r.unit.c_str(),
                  r.reference, r.computed, r.deviation(), r.halved, r.change(),
                  r.passes() ? "pass" : "FAIL");
    out += line;
    if (!r.passes()) ++failed;
  }
  out += std::to_string(rows.size() - failed) + " of " + std::to_string(rows.size()) +
         " within their tolerance (0.1 K or W/m; 3 % of L2D for a frame), on both grids.\n";
  return out;
}

}  // namespace kelvane::testing
