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
  const int columns = model.LastColumn() - 2;
  const int rows = model.LastRow() - 2;
  const int last_column = 2 * columns + 2;
  const int last_row = 2 * rows + 2;
  Model cut;
  cut.Header = model.Header;
  cut.MaterialTable = model.MaterialTable;
  cut.ConvectionTable = model.ConvectionTable;
  cut.FixedTemperatureTable = model.FixedTemperatureTable;
  MakeCodeBlock(cut, last_column, last_row);
  for (int k = 1; k <= 2 * columns; ++k) {
    cut.ColumnWidths[k] = model.ColumnWidths[SourceCell(k, last_column)] / 2;
  }
  for (int j = 1; j <= 2 * rows; ++j) {
    cut.RowHeights[j] = model.RowHeights[SourceCell(j, last_row)] / 2;
  }
  for (int j = 0; j <= last_row - 1; ++j) {
    for (int k = 0; k <= last_column - 1; ++k) {
      cut.Codes(k, j) = model.Codes(SourceCell(k, last_column), SourceCell(j, last_row));
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
