// Reading numbers out of texts, the two ways the input file does it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvane {

enum class NumberStatus { kNotANumber, kNumber, kOverflow };

struct ParsedNumber {
  NumberStatus status = NumberStatus::kNotANumber;
  double value = 0;
};

// The value of the longest leading decimal number of a text: optional sign,
// digits with an optional decimal point, an optional exponent ("E" or "D",
// either case, optional sign, digits). Blanks, tabs and line feeds anywhere
// in the text are skipped; a text that starts with no number gives 0.
// Nothing is returned when the value lies beyond the range of a double.
std::optional<double> LeadingNumber(std::string_view text);

// Whether a text, blanks and tabs around it aside, is one decimal number in
// the syntax above (at least one digit, no blanks inside), and its value.
ParsedNumber ReadAsNumber(std::string_view text);

// Rounds to the nearest 32-bit integer, halves to the even neighbour (2.5
// gives 2, 3.5 gives 4); nothing when the result lies outside the range.
std::optional<std::int32_t> RoundToInt32(double value);

}  // namespace kelvane
