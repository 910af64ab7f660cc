// What a picture of a solved model shows, taken from the finished run: the
// grid lines in millimetres, what each cell is, the temperature at every
// node, which nodes are held at a fixed temperature, and the sides where
// material meets a convection condition. It keeps its own copy, so it
// outlives the run.
//
// Indices follow the grid terms of the input (solver/solved_field.h): cell
// (k, j) has the corners (k, j) .. (k + 1, j + 1); the cells with k = 0,
// k = LastColumn - 1, j = 0 or j = LastRow - 1 form the ring of conditions,
// which has no size and is not drawn.
#pragma once

#include <optional>
#include <vector>

#include "model/table2.h"
#include "solver/solved_field.h"

namespace kelvane {

// What a cell is: the material, the condition or the fixed temperature.
using PictureCell = CellRole;

// A run of unit sides on one grid line: along column line `line` from row
// line `from` to row line `to` (vertical), or along row line `line` from
// column line `from` to `to`.
struct GridSide {
  bool vertical = false;
  int line = 0;
  int from = 0;
  int to = 0;
  int condition = 0;  // for convection sides
  friend bool operator==(const GridSide&, const GridSide&) = default;
};

struct PicturePoint {
  int k = 0;
  int j = 0;
  double temperature = 0;
};

class PictureGrid {
 public:
  // The picture of `field` with the node temperatures `temperature`
  // (1..node_count): the run's own, or those of another load.
  PictureGrid(const SolvedField& field, std::span<const double> temperature);
  explicit PictureGrid(const SolvedField& field) : PictureGrid(field, field.temperature) {}

  int LastColumn() const { return last_column_; }
  int LastRow() const { return last_row_; }
  // Whether cell (k, j) lies inside the ring, where cells have a size.
  bool IsInterior(int k, int j) const {
    return k >= 1 && k <= last_column_ - 2 && j >= 1 && j <= last_row_ - 2;
  }
  const PictureCell& CellAt(int k, int j) const { return cells_(k, j); }
  // An interior material cell: an element of the mesh.
  bool IsElement(int k, int j) const {
    return IsInterior(k, j) && cells_(k, j).kind == CellKind::kMaterial;
  }

  // Column line k (1..LastColumn-1) from the left, row line j
  // (1..LastRow-1) from the top, in millimetres.
  double X(int k) const { return x_[k]; }
  double Y(int j) const { return y_[j]; }
  double Width() const { return x_[last_column_ - 1]; }
  double Height() const { return y_[last_row_ - 1]; }

  // The temperature of grid point (k, j) if it is a node.
  std::optional<double> Temperature(int k, int j) const;
  // The lowest and highest node temperature; equal when there is no node.
  double Minimum() const { return minimum_; }
  double Maximum() const { return maximum_; }

  // Sides between an element and a convection cell, merged into runs of
  // one condition along one grid line.
  std::vector<GridSide> ConvectionSides() const;
  // Sides where an element or an interior fixed-temperature cell meets a
  // cell of another material or kind, merged into runs.
  std::vector<GridSide> MaterialBoundaries() const;
  // The fixed-temperature nodes, row by row.
  std::vector<PicturePoint> FixedNodes() const;
  // The coldest node at an end of a convection side, the first one row by
  // row on a tie; nothing when the model has no convection side.
  std::optional<PicturePoint> ColdestSurfacePoint() const;

 private:
  int last_column_ = 0;
  int last_row_ = 0;
  std::vector<double> x_;
  std::vector<double> y_;
  Table2<PictureCell> cells_;
  Table2<char> is_fixed_;
  Table2<double> temperature_;
  Table2<char> is_node_;
  double minimum_ = 0;
  double maximum_ = 0;
};

}  // namespace kelvane
