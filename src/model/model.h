// The model tables that the reader fills and the solver reads. Every table is
// indexed from 0; slot 0 is never filled, and the number n of a cell code
// selects slot n.
#pragma once

#include <string>
#include <vector>

#include "model/cell.h"
#include "model/table2.h"

namespace kelvane {

struct Material {
  std::string Name;
  double ConductivityX = 0;  // W/(m K), applied to the x derivatives
  double ConductivityY = 0;  // W/(m K), applied to the y derivatives

  friend bool operator==(const Material&, const Material&) = default;
};

struct Convection {
  double AmbientTemperature = 0;
  double HeatTransferCoefficient = 0;  // W/(m2 K)

  friend bool operator==(const Convection&, const Convection&) = default;
};

struct Model {
  std::string Header;  // The first field; the solver never reads it.
  std::vector<Material> MaterialTable;          // 0..MaterialCount
  std::vector<Convection> ConvectionTable;      // 0..ConvectionCount
  std::vector<double> FixedTemperatureTable;    // 0..FixedTemperatureCount
  // (0..LastColumn, 0..LastRow): row 0 holds the column widths in
  // (2..LastColumn-1, 0), column 0 the row heights in (0, 2..LastRow-1), in
  // metres; (1..LastColumn, 1..LastRow) hold the cell codes as read.
  Table2<Cell> CellGrid;

  int MaterialCount() const { return static_cast<int>(MaterialTable.size()) - 1; }
  int ConvectionCount() const { return static_cast<int>(ConvectionTable.size()) - 1; }
  int FixedTemperatureCount() const {
    return static_cast<int>(FixedTemperatureTable.size()) - 1;
  }

  // Equal when every table and every cell is.
  friend bool operator==(const Model&, const Model&) = default;
};

}  // namespace kelvane
