#include "detail/probe.h"

#include <algorithm>
#include <vector>

#include "detail/grid_maker.h"
#include "model/bilinear.h"

namespace kelvane {
namespace {

// The cells k (from 1) whose sides lines[k - 1] and lines[k] hold `at`: the
// first whose far side reaches it, and the next one too when it lies on
// their common line. `lines` runs upward when `rising`, downward otherwise.
std::vector<int> CellsAround(const std::vector<double>& lines, double at, bool rising) {
  auto before = [rising](double line, double value) {
    return rising ? line < value : line > value;
  };
  const auto far = std::lower_bound(lines.begin() + 1, lines.end(), at, before);
  std::vector<int> cells;
  if (far == lines.end() || before(at, *(far - 1))) return cells;
  const int k = static_cast<int>(far - lines.begin());
  cells.push_back(k);
  if (*far == at && k + 1 < static_cast<int>(lines.size())) cells.push_back(k + 1);
  return cells;
}

double Fraction(double from, double to, double at) {
  return to == from ? 0 : std::clamp((at - from) / (to - from), 0.0, 1.0);
}

}  // namespace

std::optional<ProbeSpot> FindElement(const MadeGrid& grid, Point p) {
  const std::vector<double>& column_x = grid.labels.column_x_mm;
  const std::vector<double>& row_y = grid.labels.row_y_mm;
  for (int k : CellsAround(column_x, p.x, true)) {
    for (int j : CellsAround(row_y, p.y, false)) {
      const BlockCode& code = grid.model.Codes(k, j);
      if (code.letter != 'A' || code.number < 1 || code.number > grid.model.MaterialCount()) {
        continue;
      }
      return ProbeSpot{k, j, Fraction(column_x[k - 1], column_x[k], p.x),
                       Fraction(row_y[j - 1], row_y[j], p.y)};
    }
  }
  return std::nullopt;
}

double ProbeTemperature(const ProbeSpot& spot, const Table2<Cell>& result_grid) {
  auto t = [&](int k, int j) { return result_grid(k, j).NumericValue().value; };
  const int k = spot.column, j = spot.row;
  return Bilinear(t(k, j), t(k + 1, j), t(k, j + 1), t(k + 1, j + 1), spot.fx, spot.fy);
}

}  // namespace kelvane
