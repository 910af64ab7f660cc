#include "picture/picture_grid.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "platform/error.h"

namespace kelvane {
namespace {

// Grid lines in millimetres, 0..last: the ring's lines repeat their
// neighbours, as the ring has no size.
std::vector<double> Lines(const std::vector<double>& inside, int last) {
  std::vector<double> lines(static_cast<std::size_t>(last) + 1, 0.0);
  for (int k = 1; k <= last - 1; ++k) lines[k] = inside[k];
  lines[last] = lines[last - 1];
  lines[0] = lines[1];
  return lines;
}

}  // namespace

PictureGrid::PictureGrid(const SolvedField& field, std::span<const double> temperature)
    : last_column_(field.last_column), last_row_(field.last_row) {
  if (last_column_ < 3 || last_row_ < 3) {
    throw RunError(ErrorKind::kNoMaterial, "picture", "the model has no cell inside the ring");
  }
  x_ = Lines(field.line_x_mm, last_column_);
  y_ = Lines(field.line_y_mm, last_row_);
  if (!std::isfinite(Width()) || !std::isfinite(Height())) {
    throw RunError(ErrorKind::kFloatingPointOverflow, "picture",
                   "the model's extent in millimetres is beyond the range of a number");
  }
  cells_ = Table2<PictureCell>(last_column_ - 1, last_row_ - 1);
  for (int j = 0; j <= last_row_ - 1; ++j) {
    for (int k = 0; k <= last_column_ - 1; ++k) cells_(k, j) = field.CellAt(k, j);
  }
  is_fixed_ = Table2<char>(last_column_, last_row_, 0);
  temperature_ = Table2<double>(last_column_, last_row_, 0.0);
  is_node_ = Table2<char>(last_column_, last_row_, 0);
  const auto points = field.NodePoints();
  for (std::int32_t i = 1; i <= field.fixed_count; ++i) {
    const auto [k, j] = points[field.fixed_node[i]];
    is_fixed_(k, j) = 1;
  }
  for (std::int32_t n = 1; n <= field.node_count; ++n) {
    const auto [k, j] = points[n];
    const double t = temperature[n];
    temperature_(k, j) = t;
    is_node_(k, j) = 1;
    minimum_ = n > 1 ? std::min(minimum_, t) : t;
    maximum_ = n > 1 ? std::max(maximum_, t) : t;
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
      if (is_fixed_(k, j)) points.push_back({k, j, temperature_(k, j)});
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
