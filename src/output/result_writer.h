// The result file: a header line with the last row index and the last
// column index of the result grid, then one line per row 1..last of the
// texts of its cells 1..last, joined with ","; every line ends with CR LF.
// Row 0 and column 0 never appear.
#pragma once

#include <string>

#include "model/cell.h"
#include "model/table2.h"

namespace kelvane {

// The print form of an integer in the header: the sign's place (a blank, or
// "-"), the digits, and one blank behind: " 23 ".
std::string PrintForm(long long value);

// The whole text of the result file for a result grid.
std::string ResultFileText(const Table2<Cell>& result_grid);

// Writes the result file. The text goes to a temporary file beside `path`
// that replaces `path` only when complete: a failed write leaves no partial
// file, and an earlier result survives every failure.
void WriteResultFile(const std::string& path, const Table2<Cell>& result_grid);

}  // namespace kelvane
