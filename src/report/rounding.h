// Numbers for people: what the text report and the result page show, to
// what the method supports and a reader needs. The JSON report, the CSV and
// the node table keep full doubles; these are for reading only.
//
// Every rounding that would show a minus sign before nothing but zeros
// ("-0.000") drops the sign.
#pragma once

#include <string>

namespace kelvane {

// `value` with exactly `decimals` decimals (0 to 350, enough
// for the smallest double), no exponent.
std::string Decimals(double value, int decimals);
// From here on, Decimals and Significant give the exponent form: a value of
// 1E+15 or more is no measure of anything a model holds.
inline constexpr double kLargestFixed = 1e15;

// `value` to `digits` significant digits (1 to 17) without an exponent:
// whole numbers of more digits keep them all ("12346" to 4 digits), small
// ones get the decimals they need ("0.001235"), and those below 1E-04 the
// program's exponent form ("3.553E-15").
std::string Significant(double value, int digits);

// A temperature, to 0.01 K.
std::string TemperatureValue(double value);
// A heat flow, W/m, to 4 significant digits.
std::string FlowValue(double value);
// L2D, U or psi, W/(m K) or W/(m2 K): to 0.001, and to 4 significant
// digits below 0.01, where 0.001 would keep too little.
std::string CoefficientValue(double value);
// A difference of two coefficients of about `scale` (psi = L2D - sum of U l)
// as CoefficientValue, and 0 where it is rounding alone: within
// kDifferenceRounding of the scale, as a plane wall's psi is.
inline constexpr double kDifferenceRounding = 1e-9;
std::string DifferenceValue(double difference, double scale);
// fRsi and other factors between 0 and 1, to 0.001.
std::string FactorValue(double value);
// A length in millimetres, to 0.1 mm.
std::string LengthValue(double mm);
// A value the user wrote (h, R, lambda), as written: the shortest text of
// up to 12 significant digits, so that 1 / (1 / 0.13) shows 0.13.
std::string AsWrittenValue(double value);
// A percentage with its sign, to 0.01 %.
std::string SignedPercentValue(double percent);

}  // namespace kelvane
