#include "model/cell_code.h"

#include <string>
#include <string_view>

#include "model/leading_number.h"

namespace kelvane {
namespace {

// The common code, a letter and up to nine plain digits ("A1", "B12"): its
// leading number is that integer exactly, so it needs no general reading.
bool SplitPlainCode(const std::string& text, BlockCode* code) {
  if (text.size() < 2 || text.size() > 10) return false;
  std::int32_t number = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *code = {text[0], number, true};
  return true;
}

}  // namespace

BlockCode SplitCellCode(const Cell& cell) {
  if (cell.IsEmpty()) return {};
  if (BlockCode code; cell.IsText() && SplitPlainCode(cell.text(), &code)) return code;
  std::string number_text;
  std::string_view text;
  if (cell.IsText()) {
    text = cell.text();
  } else {
    number_text = cell.AsText();
    text = number_text;
  }
  if (text.empty()) return {};
  std::optional<double> value = LeadingNumber(text.substr(1));
  std::optional<std::int32_t> number = value ? RoundToInt32(*value) : std::nullopt;
  if (!number) return {text[0], 0, false};
  return {text[0], *number, true};
}

}  // namespace kelvane
