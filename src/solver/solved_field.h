// The finished run as the report and the picture see it: the grid lines, the
// cells, the mesh, the convection edges, the fixed nodes with their
// equations as assembled, and the temperatures. It is a read-only view into
// a Solution (solver.h), which owns what it points to and outlives it.
//
// Indices follow the grid terms of the model (model/model.h). Cell (k, j),
// k = 0..LastColumn-1 and j = 0..LastRow-1; the cells with k = 0,
// k = LastColumn - 1, j = 0 or j = LastRow - 1 form the ring, which has no
// size. Grid point (k, j) is the top-left corner of cell (k, j). Nodes,
// elements, edges and fixed nodes are numbered from 1; entry 0 of their
// lists is unused. Lengths are in metres, but for the grid lines, which are
// in millimetres as the drawing places them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <span>
#include <utility>
#include <vector>

#include "model/model.h"
#include "model/table2.h"
#include "solver/loads.h"

namespace kelvane {

enum class CellKind { kVoid, kMaterial, kConvection, kFixed };

// What a cell is: a material, a convection condition or a fixed temperature
// with its number in the model's table ("C" cells keep the number they name,
// whether or not it exists), or void.
struct CellRole {
  CellKind kind = CellKind::kVoid;
  std::int32_t number = 0;
  friend bool operator==(const CellRole&, const CellRole&) = default;
};

struct SolvedField {
  const Model* model = nullptr;
  const char* solver = "profile";  // Which solver ran: "profile" or "sparse".
  // Why, where --solver=auto chose it (solver/solver_choice.h); else empty.
  std::string solver_reason;
  std::int32_t last_column = 0;  // Last indices of the code block.
  std::int32_t last_row = 0;

  // Column line k and row line j, 1..Last-1, in millimetres: x from column
  // line 1 to the right, y from row line 1 downward, each the sum of the
  // spacings before it as the input gives them (a drawing places the lines
  // where the input put them, to the last digit).
  std::vector<double> line_x_mm;
  std::vector<double> line_y_mm;
  // Per cell: 1..MaterialCount a material, above that MaterialCount + the
  // convection condition; 0 otherwise (the solver's CellCode).
  const Table2<std::int32_t>* cell_code = nullptr;
  // Per grid point (0..LastColumn, 0..LastRow): its node, 0 where none.
  const Table2<std::int32_t>* node_number = nullptr;

  std::int32_t node_count = 0;
  std::span<const double> node_x;  // Metres from column line 1.
  std::span<const double> node_y;  // Metres up from the last row line.
  std::span<const double> temperature;

  // Corners 1..4: left top, left bottom, right bottom, right top.
  std::int32_t element_count = 0;
  std::span<const std::array<std::int32_t, 5>> element_nodes;
  std::span<const std::int32_t> element_material;

  std::int32_t edge_count = 0;
  std::span<const std::int32_t> edge_node1;
  std::span<const std::int32_t> edge_node2;
  std::span<const double> edge_coefficient;
  std::span<const double> edge_ambient;
  std::span<const std::int32_t> edge_condition;

  // In the grid's column order; fixed_index is the number in
  // FixedTemperatureTable, fixed_rows[i] the equation of fixed_node[i].
  std::int32_t fixed_count = 0;
  std::span<const std::int32_t> fixed_node;
  std::span<const double> fixed_temperature;
  std::span<const std::int32_t> fixed_index;
  std::span<const AssembledRow> fixed_rows;

  std::int32_t MaterialCount() const { return model->MaterialCount(); }
  std::int32_t ConvectionCount() const { return model->ConvectionCount(); }
  std::int32_t FixedTemperatureCount() const { return model->FixedTemperatureCount(); }
  // The node at grid point (k, j), 0 where there is none.
  std::int32_t NodeAt(std::int32_t k, std::int32_t j) const { return (*node_number)(k, j); }
  CellRole CellAt(std::int32_t k, std::int32_t j) const;
  // The grid point (k, j) of every node, 1..node_count.
  std::vector<std::pair<std::int32_t, std::int32_t>> NodePoints() const;
  // The bilinear field of the element at cell (k, j) with node temperatures
  // t, at fx rightward and fy downward from its top-left corner (0 to 1).
  double FieldAt(std::span<const double> t, std::int32_t k, std::int32_t j, double fx,
                 double fy) const;
  // The length of convection edge e in metres, as the convection terms take it.
  double EdgeLength(std::int32_t e) const;
  EdgeLists Edges() const {
    return {edge_count, edge_node1, edge_node2, edge_coefficient, edge_condition};
  }
};

}  // namespace kelvane
