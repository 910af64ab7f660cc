#include "picture/picture_test_util.h"

#include <cmath>
#include <random>
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

std::unique_ptr<PictureRun> SyntheticRun(int n, bool scattered) {
  Model m;
  m.Header = "synthetic";
  m.MaterialTable = {Material{}, Material{"a", 1, 1}, Material{"b", 0.1, 0.1}};
  m.ConvectionTable = {Convection{}, Convection{20, 7.7}, Convection{-10, 25}};
  m.FixedTemperatureTable = {0, 5};
  const int last = n + 2;
  MakeCodeBlock(m, last, last);
  for (int k = 2; k <= last - 1; ++k) {
    m.ColumnWidths[k - 1] = 0.001 * (1 + k % 3);
    m.RowHeights[k - 1] = 0.001 * (1 + k % 2);
  }
  std::mt19937 engine(7);
  for (int j = 0; j < last; ++j) {
    for (int k = 0; k < last; ++k) {
      const bool ring = k == 0 || j == 0 || k == last - 1 || j == last - 1;
      std::string code = k == 0 ? "B2" : k == last - 1 ? "B1" : ring ? "" : k < last / 3 ? "A2" : "A1";
      const bool air = scattered ? engine() % 10 < 3 : k > last / 2 && j > last / 2 && k < last * 3 / 4;
      if (!ring && air) {
        code = "B1";
      }
      if (!ring && k == 2 && j == 2) code = "C1";
      m.Codes(k, j) = code.empty() ? BlockCode() : BlockCode{code[0], std::stoi(code.substr(1)), true};
    }
  }
  auto run = std::make_unique<PictureRun>(std::move(m));
  run->SetTemperatures([&](int k, int j) {
    const double x = static_cast<double>(k) / last, y = static_cast<double>(j) / last;
    const double noise = scattered ? std::uniform_real_distribution<double>(-5, 5)(engine) : 0;
    return -10 + 30 * x + 3 * std::sin(6 * y) * x + noise;
  });
  return run;
}

}  // namespace kelvane::testing
