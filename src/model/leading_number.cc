#include "model/leading_number.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace kelvane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Matches a decimal number at the start of `s` and writes it into `number`
// in the form strtod reads ("D" exponents become "E"). Returns the length of
// the match, 0 when `s` does not start with a number.
std::size_t MatchNumber(std::string_view s, std::string* number) {
  std::size_t i = 0;
  number->clear();
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') *number += '-';
    ++i;
  }
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) {
    *number += s[i++];
    ++digits;
  }
  if (i < s.size() && s[i] == '.') {
    *number += s[i++];
    while (i < s.size() && IsDigit(s[i])) {
      *number += s[i++];
      ++digits;
    }
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "E";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
    std::size_t exponent_digits = 0;
    while (j < s.size() && IsDigit(s[j])) {
      exponent += s[j++];
      ++exponent_digits;
    }
    if (exponent_digits > 0) {
      *number += exponent;
      i = j;
    }
  }
  return i;
}

ParsedNumber Convert(const std::string& number) {
  errno = 0;
  double value = std::strtod(number.c_str(), nullptr);
  if (std::isinf(value)) return {NumberStatus::kOverflow, 0};
  return {NumberStatus::kNumber, value};
}

}  // namespace

std::optional<double> LeadingNumber(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') compact += c;
  }
  std::string number;
  if (MatchNumber(compact, &number) == 0) return 0.0;
  ParsedNumber parsed = Convert(number);
  if (parsed.status == NumberStatus::kOverflow) return std::nullopt;
  return parsed.value;
}

ParsedNumber ReadAsNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  std::string number;
  std::size_t length = MatchNumber(text, &number);
  if (length == 0 || length != text.size()) return {};
  return Convert(number);
}

std::optional<std::int32_t> RoundToInt32(double value) {
  // nearbyint rounds in the default mode: to nearest, halves to even.
  double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace kelvane
