#include "report/rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/number_text.h"

namespace kelvane {
namespace {

// "-0.00" and "-0" lose their sign: a reader takes them for a cold zero.
std::string WithoutNegativeZero(std::string text) {
  if (!text.empty() && text[0] == '-' &&
      text.find_first_not_of("0.", 1) == std::string::npos) {
    text.erase(0, 1);
  }
  return text;
}

}  // namespace

std::string Decimals(double value, int decimals) {
  // Beyond what any model means, the digits would only be noise.
  if (!std::isfinite(value) || std::fabs(value) >= kLargestFixed) return NumberText(value, 6);
  // The largest double's 309 digits, a sign, a point and 350 decimals.
  char buffer[700];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::fixed, std::clamp(decimals, 0, 350));
  return WithoutNegativeZero(std::string(buffer, ec == std::errc() ? end : buffer));
}

std::string Significant(double value, int digits) {
  if (!std::isfinite(value)) return NumberText(value);
  if (value == 0) return "0";
  digits = std::clamp(digits, 1, 17);
  // The scientific form rounds first, so its exponent is that of the
  // rounded value (9.9996 to 4 digits is 1.000e+01).
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::scientific, digits - 1);
  const std::string text(buffer, ec == std::errc() ? end : buffer);
  const int exponent = std::stoi(text.substr(text.find('e') + 1));
  // Below 1E-04 the zeros would outnumber the digits.
  if (exponent < -4 || std::fabs(value) >= kLargestFixed) return NumberText(value, digits);
  return Decimals(value, std::max(0, digits - 1 - exponent));
}

std::string TemperatureValue(double value) { return Decimals(value, 2); }

std::string FlowValue(double value) { return Significant(value, 4); }

std::string DifferenceValue(double difference, double scale) {
  return CoefficientValue(std::fabs(difference) <= kDifferenceRounding * std::fabs(scale) ? 0
                                                                                          : difference);
}

std::string CoefficientValue(double value) {
  if (value != 0 && std::fabs(value) < 0.01) return Significant(value, 4);
  return Decimals(value, 3);
}

std::string FactorValue(double value) { return Decimals(value, 3); }

std::string LengthValue(double mm) { return Decimals(mm, 1); }

std::string AsWrittenValue(double value) { return NumberText(value, 12); }

std::string SignedPercentValue(double percent) {
  const std::string text = Decimals(percent, 2);
  return text[0] == '-' || text.find_first_not_of("0.") == std::string::npos ? text : "+" + text;
}

}  // namespace kelvane
