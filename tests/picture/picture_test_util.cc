#include "picture/picture_test_util.h"

#include <sstream>

#include "model/input_reader.h"

namespace kelvane::testing {

PictureRun::PictureRun(const std::string& input_text) : run_(input_text) {
  run_.RunThrough(FillResultGrid);
}

PictureRun::PictureRun(Model model) : run_(std::move(model)) {
  run_.RunThrough(CollectConvectionEdges);
  run_.s.LoadVector.assign(static_cast<std::size_t>(run_.s.NodeCount) + 1, 0.0);
}

void PictureRun::SetTemperatures(const std::function<double(int k, int j)>& at) {
  const SolverState& s = run_.s;
  for (int j = 1; j <= s.LastRow - 1; ++j) {
    for (int k = 1; k <= s.LastColumn - 1; ++k) {
      if (s.NodeNumber(k, j) > 0) run_.s.LoadVector[s.NodeNumber(k, j)] = at(k, j);
    }
  }
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
