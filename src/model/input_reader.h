// The reader of the model file. It takes the fields strictly in this order:
//   1  header (text, kept only as the model's title)
//   2  MaterialCount, then that many records: name, conductivity
//   4  ConvectionCount, then that many records: ambient temperature,
//      heat-transfer coefficient
//   6  FixedTemperatureCount, then that many temperatures
//   8  ColumnCount, 9 RowCount
//  10  ColumnCount column widths, 11 RowCount row heights
//  12  (RowCount + 2) x (ColumnCount + 2) cell codes, row by row
// Fields after the last cell code are not read. Counts are the leading
// number of their field rounded to a 32-bit integer, halves to even; loop
// bounds are computed as leading number + 1 or + 2 in floating point, then
// rounded. Conductivities are in W/(m K), coefficients in W/(m2 K) and
// spacings in millimetres, which the model holds in metres; each code is
// read into its letter and number (model/cell_code.h). What cannot be read
// is a RunError naming the file, the line and the field.
#pragma once

#include <string>
#include <string_view>

#include "model/model.h"

namespace kelvane {

// Reads a model from a text; `source_name` names it in messages.
Model ParseInput(std::string_view text, const std::string& source_name);

// Reads the model file at `path`.
Model ReadInputFile(const std::string& path);

}  // namespace kelvane
