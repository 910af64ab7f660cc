#include "model/units.h"

namespace kelvane {

double KcalPerHourToWatt(double x) { return x * kWattPerKcalPerHour; }

double MillimetreToMetre(double x) { return x / 1000; }

}  // namespace kelvane
