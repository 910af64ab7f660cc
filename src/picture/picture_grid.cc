#include "picture/picture_grid.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "model/cell_code.h"
#include "model/leading_number.h"
#include "platform/error.h"

namespace kelvane {
namespace {

// Spacings in metres summed into grid-line positions in millimetres; a
// negative spacing (possible only where no element lies) draws as zero.
std::vector<double> Lines(const Table2<Cell>& grid, int last, bool columns) {
  std::vector<double> lines(static_cast<std::size_t>(last) + 1, 0.0);
  for (int k = 1; k <= last - 2; ++k) {
    const Cell& spacing = columns ? grid(k + 1, 0) : grid(0, k + 1);
    ParsedNumber value = spacing.NumericValue();
    const double mm = value.status == NumberStatus::kNumber ? value.value * 1000 : 0;
    lines[k + 1] = lines[k] + std::max(0.0, mm);
  }
  lines[last] = lines[last - 1];
  lines[0] = lines[1];
  return lines;
}

}  // namespace

PictureGrid::PictureGrid(const Model& model, const Table2<Cell>& result_grid)
    : last_column_(model.CellGrid.Last1()), last_row_(model.CellGrid.Last2()) {
  if (last_column_ < 3 || last_row_ < 3) {
    throw RunError(ErrorKind::kNoMaterial, "picture", "the model has no cell inside the ring");
  }
  x_ = Lines(model.CellGrid, last_column_, true);
  y_ = Lines(model.CellGrid, last_row_, false);
  if (!std::isfinite(Width()) || !std::isfinite(Height())) {
    throw RunError(ErrorKind::kFloatingPointOverflow, "picture",
                   "the model's extent in millimetres is beyond the range of a number");
  }

  const int materials = model.MaterialCount();
  const int conditions = model.ConvectionCount();
  cells_ = Table2<PictureCell>(last_column_ - 1, last_row_ - 1);
  std::vector<CodeParts> codes(static_cast<std::size_t>(last_column_) * last_row_);
  auto code_at = [&](int k, int j) -> CodeParts& {
    return codes[static_cast<std::size_t>(j) * last_column_ + k];
  };
  for (int j = 0; j <= last_row_ - 1; ++j) {
    for (int k = 0; k <= last_column_ - 1; ++k) {
      // A number that does not fit counts as 0; the solver refuses such
      // codes before a picture is drawn.
      CodeParts code = SplitCellCode(model.CellGrid(k + 1, j + 1));
      code_at(k, j) = code;
      PictureCell& cell = cells_(k, j);
      if (code.letter == 'A' && code.number >= 1 && code.number <= materials) {
        cell = {CellKind::kMaterial, code.number};
      } else if (code.letter == 'B' && code.number >= 1 && code.number <= conditions) {
        cell = {CellKind::kConvection, code.number};
      } else if (code.letter == 'C') {
        cell = {CellKind::kFixed, code.number};
      }
    }
  }

  // The fixed-temperature points, written as the solver writes them.
  fixed_index_ = Table2<int>(last_column_, last_row_, 0);
  ForEachFixedTemperatureWrite(
      last_column_, last_row_, [&](int k, int j, std::initializer_list<GridPoint> points) {
        const CodeParts& code = code_at(k, j);
        if (code.letter != 'C') return;
        for (auto [pk, pj] : points) fixed_index_(pk, pj) = code.number;
      });

  temperature_ = Table2<double>(last_column_, last_row_, 0.0);
  is_node_ = Table2<char>(last_column_, last_row_, 0);
  bool any = false;
  for (int j = 1; j <= last_row_ - 1; ++j) {
    for (int k = 1; k <= last_column_ - 1; ++k) {
      if (k > result_grid.Last1() || j > result_grid.Last2()) continue;
      const Cell& value = result_grid(k, j);
      if (!value.IsNumber()) continue;
      temperature_(k, j) = value.number();
      is_node_(k, j) = 1;
      minimum_ = any ? std::min(minimum_, value.number()) : value.number();
      maximum_ = any ? std::max(maximum_, value.number()) : value.number();
      any = true;
    }
  }
}

std::optional<double> PictureGrid::Temperature(int k, int j) const {
  if (k < 0 || k > last_column_ || j < 0 || j > last_row_ || !is_node_(k, j)) return std::nullopt;
  return temperature_(k, j);
}

namespace {

// Walks the unit sides of every grid line and merges neighbours that give
// the same nonzero key into one run.
template <typename KeyOf>
std::vector<GridSide> Runs(int last_column, int last_row, KeyOf key_of) {
  std::vector<GridSide> runs;
  auto walk = [&](bool vertical, int line, int first, int last) {
    int open_key = 0, open_from = 0;
    for (int i = first; i <= last + 1; ++i) {
      const int key = i <= last ? key_of(vertical, line, i) : 0;
      if (key != open_key) {
        if (open_key != 0) runs.push_back({vertical, line, open_from, i, open_key});
        open_key = key;
        open_from = i;
      }
    }
  };
  // Column line L lies between cells (L - 1, j) and (L, j); row line L
  // between cells (k, L - 1) and (k, L). Only interior rows and columns
  // can border an element.
  for (int line = 1; line <= last_column - 1; ++line) walk(true, line, 1, last_row - 2);
  for (int line = 1; line <= last_row - 1; ++line) walk(false, line, 1, last_column - 2);
  return runs;
}

}  // namespace

std::vector<GridSide> PictureGrid::ConvectionSides() const {
  return Runs(last_column_, last_row_, [this](bool vertical, int line, int i) {
    const int ka = vertical ? line - 1 : i, ja = vertical ? i : line - 1;
    const int kb = vertical ? line : i, jb = vertical ? i : line;
    if (IsElement(ka, ja) && cells_(kb, jb).kind == CellKind::kConvection) {
      return cells_(kb, jb).number;
    }
    if (IsElement(kb, jb) && cells_(ka, ja).kind == CellKind::kConvection) {
      return cells_(ka, ja).number;
    }
    return 0;
  });
}

std::vector<GridSide> PictureGrid::MaterialBoundaries() const {
  auto identity = [this](int k, int j) {
    if (IsElement(k, j)) return cells_(k, j).number;
    if (IsInterior(k, j) && cells_(k, j).kind == CellKind::kFixed) {
      return -1 - std::clamp(cells_(k, j).number, 0, INT_MAX - 2);
    }
    return INT_MIN;
  };
  return Runs(last_column_, last_row_, [&](bool vertical, int line, int i) {
    const int a = vertical ? identity(line - 1, i) : identity(i, line - 1);
    const int b = vertical ? identity(line, i) : identity(i, line);
    return a != b ? 1 : 0;
  });
}

std::vector<PicturePoint> PictureGrid::FixedNodes() const {
  std::vector<PicturePoint> points;
  for (int j = 1; j <= last_row_ - 1; ++j) {
    for (int k = 1; k <= last_column_ - 1; ++k) {
      if (is_node_(k, j) && fixed_index_(k, j) > 0) points.push_back({k, j, temperature_(k, j)});
    }
  }
  return points;
}

std::optional<PicturePoint> PictureGrid::ColdestSurfacePoint() const {
  std::optional<PicturePoint> coldest;
  Table2<char> surface(last_column_, last_row_, 0);
  for (const GridSide& side : ConvectionSides()) {
    for (int i = side.from; i <= side.to; ++i) {
      if (side.vertical) {
        surface(side.line, i) = 1;
      } else {
        surface(i, side.line) = 1;
      }
    }
  }
  for (int j = 1; j <= last_row_ - 1; ++j) {
    for (int k = 1; k <= last_column_ - 1; ++k) {
      if (!surface(k, j) || !is_node_(k, j)) continue;
      if (!coldest || temperature_(k, j) < coldest->temperature) {
        coldest = PicturePoint{k, j, temperature_(k, j)};
      }
    }
  }
  return coldest;
}

}  // namespace kelvane
