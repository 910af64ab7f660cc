#include "app/validation.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

#include "app/process.h"
#include "model/input_reader.h"

namespace kelvane::testing {
namespace {

// Grid-line coordinates of a model, in metres: x of column line k (from 1),
// y of row line j measured up from the last row line.
struct GridLines {
  std::vector<double> x, y;
  std::vector<double> widths, heights;
};

GridLines LinesOf(const std::string& model_path) {
  Model model = ReadInputFile(model_path);
  const Table2<Cell>& grid = model.CellGrid;
  GridLines lines;
  for (int k = 2; k <= grid.Last1() - 1; ++k) lines.widths.push_back(grid(k, 0).NumericValue().value);
  for (int j = 2; j <= grid.Last2() - 1; ++j) lines.heights.push_back(grid(0, j).NumericValue().value);
  lines.x = {0, 0};
  for (double w : lines.widths) lines.x.push_back(lines.x.back() + w);
  std::vector<double> down = {0, 0};
  for (double h : lines.heights) down.push_back(down.back() + h);
  for (double d : down) lines.y.push_back(down.back() - d);
  return lines;
}

std::size_t LineAt(const std::vector<double>& lines, double at) {
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (std::fabs(lines[i] - at) < 1e-9) return i;
  }
  throw std::runtime_error("no grid line at " + std::to_string(at) + " m");
}

void CheckHalved(const GridLines& base, const GridLines& halved, const std::string& name) {
  auto halves = [](const std::vector<double>& a, const std::vector<double>& b) {
    if (b.size() != 2 * a.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (std::fabs(b[2 * i] - a[i] / 2) > 1e-12 || std::fabs(b[2 * i + 1] - a[i] / 2) > 1e-12) {
        return false;
      }
    }
    return true;
  };
  if (!halves(base.widths, halved.widths) || !halves(base.heights, halved.heights)) {
    throw std::runtime_error(name + ": the halved model does not halve every cell");
  }
}

// The solved model: its grid and its result file.
struct Solved {
  GridLines lines;
  std::vector<std::vector<std::string>> fields;  // [row line][column line]
  nlohmann::json report;

  double TemperatureAt(double x_m, double y_m) const {
    const std::size_t k = LineAt(lines.x, x_m);
    const std::size_t j = LineAt(lines.y, y_m);
    const std::string& text = fields.at(j).at(k);
    if (text.empty()) throw std::runtime_error("no node at the point");
    return std::stod(text);
  }
};

Solved Load(const std::string& folder, const std::string& name, const nlohmann::json& report) {
  Solved solved;
  solved.lines = LinesOf(folder + "/" + name + ".inp");
  solved.report = report;
  const std::string text = ReadFile(folder + "/" + name + ".otp.csv");
  std::size_t start = text.find("\r\n") + 2;  // after the header
  solved.fields.push_back({});                // row line 0
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    std::vector<std::string> row = {""};  // column line 0
    std::string line = text.substr(start, end - start);
    std::size_t from = 0;
    while (true) {
      const std::size_t comma = line.find(',', from);
      row.push_back(line.substr(from, comma - from));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    solved.fields.push_back(row);
    start = end + 2;
  }
  return solved;
}

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
  const std::string names[] = {"iso10211_case1", "iso10211_case1_halved", "iso10211_case2",
                               "iso10211_case2_halved"};
  std::vector<std::string> args = {"--quiet", "--report=json"};
  for (const std::string& name : names) {
    WriteFile(folder / (name + ".inp"),
              ReadFile(source_dir + "/examples/validation/" + name + ".inp"));
    args.push_back(name + ".inp");
  }
  const Outcome run =
      RunProgram(binary, args, {{"PATH", "/usr/bin:/bin"}, {"HOME", folder.path()}}, folder.path());
  if (run.status != 0) throw std::runtime_error("the program failed: " + run.err);
  std::vector<Solved> solved;
  std::size_t start = 0;
  for (const std::string& name : names) {
    const std::size_t end = run.out.find('\n', start);
    solved.push_back(Load(folder.path(), name, nlohmann::json::parse(run.out.substr(start, end - start))));
    start = end + 1;
  }
  CheckHalved(solved[0].lines, solved[1].lines, "case 1");
  CheckHalved(solved[2].lines, solved[3].lines, "case 2");

  std::vector<ValidationRow> rows;
  // Case 1: 28 points on the eighths of a, against the analytical solution.
  for (int i = 1; i <= 4; ++i) {
    for (int j = 1; j <= 7; ++j) {
      const double x = i / 8.0, y = j / 8.0;
      char quantity[40];
      std::snprintf(quantity, sizeof quantity, "T(%da/8, %da/8)", i, j);
      rows.push_back({"Case 1", quantity, "°C", HalfSquareColumn(x, y),
                      solved[0].TemperatureAt(x, y), solved[1].TemperatureAt(x, y), 0.1});
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
  for (const Point& p : points) {
    char quantity[40];
    std::snprintf(quantity, sizeof quantity, "%s (%g, %g)", p.name, p.x_mm, p.y_mm);
    rows.push_back({"Case 2", quantity, "°C", p.reference,
                    solved[2].TemperatureAt(p.x_mm / 1000, p.y_mm / 1000),
                    solved[3].TemperatureAt(p.x_mm / 1000, p.y_mm / 1000), 0.1});
  }
  // The inside is condition 1: its flow into the model is the detail's.
  rows.push_back({"Case 2", "heat flow", "W/m", 9.5,
                  solved[2].report.at("conditions").at(0).at("flow").get<double>(),
                  solved[3].report.at("conditions").at(0).at("flow").get<double>(), 0.1});
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
         " within the tolerance of 0.1 (K or W/m), on both grids.\n";
  return out;
}

}  // namespace kelvane::testing
