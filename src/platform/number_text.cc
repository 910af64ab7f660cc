#include "platform/number_text.h"

#include <algorithm>
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

std::string ExactNumberText(double value) {
  // The shortest scientific form has exactly the digits that round-trip.
  char buffer[64];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  int digits = 0;
  for (const char* c = buffer; ec == std::errc() && c != end && *c != 'e'; ++c) {
    digits += *c >= '0' && *c <= '9' ? 1 : 0;
  }
  return NumberText(value, std::max(15, digits));
}

}  // namespace kelvane
