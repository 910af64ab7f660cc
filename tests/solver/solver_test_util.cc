#include "solver/solver_test_util.h"

#include <cfenv>
#include <sstream>

#include "platform/error.h"
#include "platform/number_text.h"

namespace kelvane::testing {

std::string InputText(const ModelSketch& sketch) {
  std::ostringstream out;
  out << "test model\n" << sketch.conductivities.size() << "\n";
  for (std::size_t i = 0; i < sketch.conductivities.size(); ++i) {
    out << "m" << i + 1 << "," << NumberText(sketch.conductivities[i]) << "\n";
  }
  out << sketch.conditions.size() << "\n";
  for (auto [ambient, h] : sketch.conditions) {
    out << NumberText(ambient) << "," << NumberText(h) << "\n";
  }
  out << sketch.fixed.size() << "\n";
  for (double t : sketch.fixed) out << NumberText(t) << "\n";
  out << sketch.widths.size() << "," << sketch.heights.size() << "\n";
  for (std::size_t i = 0; i < sketch.widths.size(); ++i) {
    out << (i ? "," : "") << NumberText(sketch.widths[i]);
  }
  out << "\n";
  for (std::size_t i = 0; i < sketch.heights.size(); ++i) {
    out << (i ? "," : "") << NumberText(sketch.heights[i]);
  }
  out << "\n";
  for (const std::string& row : sketch.rows) {
    std::istringstream codes(row);
    std::string code;
    bool first = true;
    while (codes >> code) {
      out << (first ? "" : ",") << (code == "." ? "" : code);
      first = false;
    }
    out << "\n";
  }
  return out.str();
}

ModelSketch RandomModel(std::mt19937& rng) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  ModelSketch sketch;
  const int materials = 1 + pick(3), conditions = pick(4), fixed = pick(3);
  for (int i = 0; i < materials; ++i) sketch.conductivities.push_back(real(0.02, 60));
  for (int i = 0; i < conditions; ++i) sketch.conditions.push_back({real(-20, 40), real(0, 30)});
  for (int i = 0; i < fixed; ++i) sketch.fixed.push_back(real(-20, 40));
  const int columns = 1 + pick(7), rows = 1 + pick(7);
  for (int i = 0; i < columns; ++i) sketch.widths.push_back(1 + pick(200));
  for (int i = 0; i < rows; ++i) sketch.heights.push_back(1 + pick(200));
  auto code = [&](bool ring) {
    int roll = pick(10);
    if (!ring && roll < 6) return "A" + std::to_string(1 + pick(materials));
    if (roll < 8 && conditions > 0) return "B" + std::to_string(1 + pick(conditions));
    if (roll < 9 && fixed > 0) return "C" + std::to_string(1 + pick(fixed));
    return std::string(".");
  };
  for (int j = 0; j < rows + 2; ++j) {
    std::string line;
    for (int k = 0; k < columns + 2; ++k) {
      line += (k ? " " : "") + code(j == 0 || k == 0 || j == rows + 1 || k == columns + 1);
    }
    sketch.rows.push_back(line);
  }
  return sketch;
}

std::string SolveAndInspect(const ModelSketch& sketch,
                            const std::function<void(const Solution&)>& inspect,
                            const SolverOptions& options) {
  Model model = ParseInput(InputText(sketch), "test.inp");
  try {
    const Solution solution = SolveTemperatureField(model, SolverObserver(), options);
    inspect(solution);
  } catch (const RunError& e) {
    return e.what();
  }
  return "";
}

std::string SolveAndInspect(const ModelSketch& sketch,
                            const std::function<void(const SolvedField&)>& inspect,
                            const SolverOptions& options) {
  return SolveAndInspect(
      sketch, [&](const Solution& solution) { inspect(solution.Field()); }, options);
}

TestRun::TestRun(const std::string& input_text, const SolverOptions& options)
    : TestRun(ParseInput(input_text, "test.inp"), options) {}

TestRun::TestRun(Model m, const SolverOptions& options)
    : model(std::move(m)), s(model, &observer, options), result(s.ResultGrid) {
  observer.on_phase = [this](int phase, const char*) { phases.push_back(phase); };
  observer.on_warning = [this](const std::string& w) { warnings.push_back(w); };
  std::feclearexcept(FE_ALL_EXCEPT);
}

void TestRun::RunThrough(PhaseFunction last) { RunPhasesThrough(s, PhaseNumber(last)); }

std::string TestRun::ErrorThrough(PhaseFunction last) {
  try {
    RunThrough(last);
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

ModelSketch BlockSketch(int columns, int rows, const std::function<bool(int, int)>& material) {
  ModelSketch sketch;
  sketch.conductivities = {1};
  sketch.conditions = {{20, 8}};
  sketch.widths.assign(static_cast<std::size_t>(columns), 10);
  sketch.heights.assign(static_cast<std::size_t>(rows), 10);
  for (int j = -1; j <= rows; ++j) {
    std::string row;
    for (int k = -1; k <= columns; ++k) {
      const bool inside = k >= 0 && k < columns && j >= 0 && j < rows;
      row += std::string(k < 0 ? "" : " ") +
             (j < 0 && k >= 0 && k < columns ? "B1" : inside && material(k, j) ? "A1" : ".");
    }
    sketch.rows.push_back(row);
  }
  return sketch;
}

}  // namespace kelvane::testing
