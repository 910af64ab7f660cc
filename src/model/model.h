// The model that the readers make and the solver reads: the tables of
// materials, convection conditions and fixed temperatures, and the code
// block, typed. Every table is indexed from 0; slot 0 is never filled, and
// the number n of a cell code selects slot n.
//
// The code block holds cell (k, j) for k = 0..LastColumn-1 (left to right)
// and j = 0..LastRow-1 (top to bottom, in file order); the cells with k = 0,
// k = LastColumn - 1, j = 0 or j = LastRow - 1 form the outer ring, which
// carries conditions only and has no size. Lengths are in metres.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

// A cell's code as the solver reads it: its letter (the first character, 0
// for an empty code) and its number (the leading number of the rest, rounded
// halves to even). `fits` is false, and `number` 0, when that number lies
// beyond the 32-bit range.
struct BlockCode {
  char letter = '\0';
  std::int32_t number = 0;
  bool fits = true;

  friend bool operator==(const BlockCode&, const BlockCode&) = default;
};

inline BlockCode MaterialCode(std::int32_t n) { return {'A', n, true}; }
inline BlockCode ConvectionCode(std::int32_t n) { return {'B', n, true}; }
inline BlockCode FixedTemperatureCode(std::int32_t n) { return {'C', n, true}; }

// The text a code reads back from: "" for an empty code, else its letter and
// number ("A12").
std::string CanonicalText(const BlockCode& code);

struct Model {
  std::string Header;  // The first field; the solver never reads it.
  std::vector<Material> MaterialTable;          // 0..MaterialCount
  std::vector<Convection> ConvectionTable;      // 0..ConvectionCount
  std::vector<double> FixedTemperatureTable;    // 0..FixedTemperatureCount
  // Cell (k, j)'s code at (k, j): last indices LastColumn - 1, LastRow - 1.
  Table2<BlockCode> Codes;
  // The width of cell column k and the height of cell row j, metres, for
  // 1..LastColumn-2 and 1..LastRow-2; the ring's entries are 0.
  std::vector<double> ColumnWidths;
  std::vector<double> RowHeights;
  // The codes a grid file wrote otherwise than CanonicalText ("A01", "A",
  // "7"), by cell index j * LastColumn + k, ascending: messages quote a code
  // as the file wrote it.
  std::vector<std::pair<std::uint64_t, std::string>> WrittenCodes;

  int MaterialCount() const { return static_cast<int>(MaterialTable.size()) - 1; }
  int ConvectionCount() const { return static_cast<int>(ConvectionTable.size()) - 1; }
  int FixedTemperatureCount() const {
    return static_cast<int>(FixedTemperatureTable.size()) - 1;
  }
  // The last indices of the grid points: column lines 0..LastColumn, row
  // lines 0..LastRow.
  std::int32_t LastColumn() const { return Codes.Last1() + 1; }
  std::int32_t LastRow() const { return Codes.Last2() + 1; }

  // The code of cell (k, j) as the file wrote it.
  std::string CodeText(std::int32_t k, std::int32_t j) const;

  // Equal when every table and every cell is.
  friend bool operator==(const Model&, const Model&) = default;
};

// A code block of `last_column` x `last_row` cells, every code empty and
// every size 0.
void MakeCodeBlock(Model& model, std::int32_t last_column, std::int32_t last_row);

}  // namespace kelvane
