#include "picture/picture_test_util.h"

#include <sstream>

#include "model/input_reader.h"
#include "solver/solver.h"

namespace kelvane::testing {

SolvedModel Solve(const std::string& input_text) {
  SolvedModel solved{ParseInput(input_text, "test.inp"), {}};
  SolveTemperatureField(solved.model, solved.result);
  return solved;
}

std::string WallInput(const std::vector<std::pair<double, int>>& layers,
                      const std::vector<double>& conductivities, double left, double right,
                      int rows) {
  std::ostringstream out;
  out << "\"wall\"\n" << conductivities.size() << "\n";
  for (std::size_t i = 0; i < conductivities.size(); ++i) {
    out << "m" << i + 1 << "," << conductivities[i] << "\n";
  }
  out << "0\n2\n" << left << "\n" << right << "\n" << layers.size() << "," << rows << "\n";
  for (std::size_t i = 0; i < layers.size(); ++i) out << (i ? "," : "") << layers[i].first;
  out << "\n";
  for (int r = 0; r < rows; ++r) out << (r ? "," : "") << 10;
  out << "\n" << std::string(layers.size() + 1, ',') << "\n";
  for (int r = 0; r < rows; ++r) {
    out << "C1";
    for (const auto& layer : layers) out << ",A" << layer.second;
    out << ",C2\n";
  }
  out << std::string(layers.size() + 1, ',') << "\n";
  return out.str();
}

}  // namespace kelvane::testing
