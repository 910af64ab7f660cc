#include "model/model.h"

#include <algorithm>

namespace kelvane {

std::string CanonicalText(const BlockCode& code) {
  if (code.letter == '\0') return "";
  return code.letter + std::to_string(code.number);
}

std::string Model::CodeText(std::int32_t k, std::int32_t j) const {
  const std::uint64_t index =
      static_cast<std::uint64_t>(j) * static_cast<std::uint64_t>(LastColumn()) +
      static_cast<std::uint64_t>(k);
  const auto written = std::lower_bound(
      WrittenCodes.begin(), WrittenCodes.end(), index,
      [](const std::pair<std::uint64_t, std::string>& entry, std::uint64_t i) {
        return entry.first < i;
      });
  if (written != WrittenCodes.end() && written->first == index) return written->second;
  return CanonicalText(Codes(k, j));
}

void MakeCodeBlock(Model& model, std::int32_t last_column, std::int32_t last_row) {
  model.Codes = Table2<BlockCode>(last_column - 1, last_row - 1);
  model.ColumnWidths.assign(static_cast<std::size_t>(last_column), 0.0);
  model.RowHeights.assign(static_cast<std::size_t>(last_row), 0.0);
  model.WrittenCodes.clear();
}

}  // namespace kelvane
