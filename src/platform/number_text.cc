#include "platform/number_text.h"

#include <charconv>

namespace kelvane {

std::string NumberText(double value, int significant_digits) {
  if (value == 0) return "0";
  char buffer[64];
  // General format with 15 significant digits is C's "%.15g".
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::general, significant_digits);
  std::string text(buffer, ec == std::errc() ? end : buffer);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

}  // namespace kelvane
