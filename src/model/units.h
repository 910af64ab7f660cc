// The one home of unit conversions. Drawings, detail files and the text
// report speak millimetres; the solver, the model and the report's types
// speak metres (and W/m, W/(m K)); the JSON report speaks SI units. Every
// change of unit goes through here, so that each conversion is the same
// operation, to the bit, wherever it is made.
#pragma once

namespace kelvane {

// x / 1000.
double MillimetreToMetre(double x);
// x * 1000.
double MetreToMillimetre(double x);
// x / 1e6.
double SquareMillimetreToSquareMetre(double x);
// x * 1e6.
double SquareMetreToSquareMillimetre(double x);

}  // namespace kelvane
