#include "model/units.h"

namespace kelvane {

double MillimetreToMetre(double x) { return x / 1000; }

double MetreToMillimetre(double x) { return x * 1000; }

double SquareMillimetreToSquareMetre(double x) { return x / 1e6; }

double SquareMetreToSquareMillimetre(double x) { return x * 1e6; }

}  // namespace kelvane
