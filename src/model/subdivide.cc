#include "model/subdivide.h"

namespace kelvane {
namespace {

// The cell of the given grid that cut cell k' comes from: the ring's cells
// are their own, the interior's come in pairs.
int SourceCell(int cut, int cut_last) {
  if (cut == 0) return 0;
  if (cut == cut_last - 1) return (cut_last - 2) / 2 + 1;
  return (cut + 1) / 2;
}

}  // namespace

Model SubdividedModel(const Model& model) {
  const int columns = model.CellGrid.Last1() - 2;
  const int rows = model.CellGrid.Last2() - 2;
  const int last_column = 2 * columns + 2;
  const int last_row = 2 * rows + 2;
  Model cut;
  cut.Header = model.Header;
  cut.MaterialTable = model.MaterialTable;
  cut.ConvectionTable = model.ConvectionTable;
  cut.FixedTemperatureTable = model.FixedTemperatureTable;
  cut.CellGrid = Table2<Cell>(last_column, last_row);
  // Cell k's code stands at (k + 1, j + 1), its width at (k + 1, 0).
  for (int k = 1; k <= 2 * columns; ++k) {
    const Cell& width = model.CellGrid(SourceCell(k, last_column) + 1, 0);
    cut.CellGrid(k + 1, 0) = Cell::Number(width.NumericValue().value / 2);
  }
  for (int j = 1; j <= 2 * rows; ++j) {
    const Cell& height = model.CellGrid(0, SourceCell(j, last_row) + 1);
    cut.CellGrid(0, j + 1) = Cell::Number(height.NumericValue().value / 2);
  }
  for (int j = 0; j <= last_row - 1; ++j) {
    for (int k = 0; k <= last_column - 1; ++k) {
      cut.CellGrid(k + 1, j + 1) =
          model.CellGrid(SourceCell(k, last_column) + 1, SourceCell(j, last_row) + 1);
    }
  }
  return cut;
}

CutPosition CutCell(int k, double f, int last) {
  if (k == 0) return {0, f};
  if (k == last - 1) return {2 * (last - 2) + 1, f};
  if (f < 0.5) return {2 * k - 1, 2 * f};
  return {2 * k, 2 * f - 1};
}

}  // namespace kelvane
