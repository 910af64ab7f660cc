#include "output/result_writer.h"

#include "platform/file_io.h"
#include "platform/number_text.h"

namespace kelvane {

std::string PrintForm(long long value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  return (value < 0 ? "-" : " ") + digits + " ";
}

std::string ResultFileText(const Table2<Cell>& result_grid) {
  const int last_column = result_grid.Last1();
  const int last_row = result_grid.Last2();
  std::string text = PrintForm(last_row) + ", " + PrintForm(last_column) + "\r\n";
  text.reserve(text.size() + static_cast<std::size_t>(last_row) *
                                 (static_cast<std::size_t>(last_column) * 18 + 2));
  for (int i = 1; i <= last_row; ++i) {
    for (int k = 1; k <= last_column; ++k) {
      if (k > 1) text += ',';
      const Cell& cell = result_grid(k, i);
      if (cell.IsNumber()) {
        text += NumberText(cell.number());
      } else if (cell.IsText()) {
        text += cell.text();
      }
    }
    text += "\r\n";
  }
  return text;
}

void WriteResultFile(const std::string& path, const Table2<Cell>& result_grid) {
  ReplaceFileAtomically(path, ResultFileText(result_grid));
}

}  // namespace kelvane
