#include "solver/solver_test_util.h"

#include <cfenv>
#include <sstream>

#include "platform/error.h"
#include "platform/number_text.h"

namespace kelvane::testing {

std::string InputText(const ModelSpec& spec) {
  std::ostringstream out;
  out << "test model\n" << spec.conductivities.size() << "\n";
  for (std::size_t i = 0; i < spec.conductivities.size(); ++i) {
    out << "m" << i + 1 << "," << NumberText(spec.conductivities[i]) << "\n";
  }
  out << spec.conditions.size() << "\n";
  for (auto [ambient, h] : spec.conditions) {
    out << NumberText(ambient) << "," << NumberText(h) << "\n";
  }
  out << spec.fixed.size() << "\n";
  for (double t : spec.fixed) out << NumberText(t) << "\n";
  out << spec.widths.size() << "," << spec.heights.size() << "\n";
  for (std::size_t i = 0; i < spec.widths.size(); ++i) {
    out << (i ? "," : "") << NumberText(spec.widths[i]);
  }
  out << "\n";
  for (std::size_t i = 0; i < spec.heights.size(); ++i) {
    out << (i ? "," : "") << NumberText(spec.heights[i]);
  }
  out << "\n";
  for (const std::string& row : spec.rows) {
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

TestRun::TestRun(const std::string& input_text)
    : model(ParseInput(input_text, "test.inp")), s(model, result, observer) {
  observer.on_phase = [this](int phase, const char*) { phases.push_back(phase); };
  observer.on_warning = [this](const std::string& w) { warnings.push_back(w); };
  std::feclearexcept(FE_ALL_EXCEPT);
}

void TestRun::RunThrough(Step last) {
  static void (*const kSteps[])(SolverState&) = {
      SetUpGridLines,     MarkFixedTemperaturePoints, ReadCellCodes,
      NumberNodes,        NumberElements,             SetNodeCoordinates,
      CollectFixedNodes,  CollectConvectionEdges,     CheckEveryPartIsDetermined,
      BuildProfile,       AssembleConduction,         AddConvectionTerms,
      ImposeFixedTemperatures, FactorProfile,         SolveProfile,
      FillResultGrid,
  };
  for (; next_step <= static_cast<int>(last); ++next_step) kSteps[next_step](s);
  CheckFloatingPoint(s);
}

std::string TestRun::ErrorThrough(Step last) {
  try {
    RunThrough(last);
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace kelvane::testing
