// The unit conversions of the input: kcal/h based units to watts, and
// millimetres to metres.
#pragma once

namespace kelvane {

// The double nearest to 1.16279 (bits 3FF29AC9AFE1DA7B).
inline constexpr double kWattPerKcalPerHour = 1.16279;

// x * 1.16279; an infinite result is a floating-point overflow, reported by
// the caller, which knows the field.
double KcalPerHourToWatt(double x);

// x / 1000.
double MillimetreToMetre(double x);

}  // namespace kelvane
