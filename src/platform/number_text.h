// The platform's conversion of a 64-bit float to text, used for the text of
// a number cell and for every temperature in the result file: at most 15
// significant digits, no trailing zeros, no decimal point for whole values,
// exponent form ("1E-05", "1.5E+20") when the decimal exponent is below -4
// or at least 15, and "0" for both zeros. A report may ask for fewer
// significant digits in the same style.
#pragma once

#include <string>

namespace kelvane {

std::string NumberText(double value, int significant_digits = 15);

// The shortest text in the same style that reads back to the same double:
// 15 significant digits, or 16 or 17 where fewer would round it.
std::string ExactNumberText(double value);

}  // namespace kelvane
