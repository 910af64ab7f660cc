// The field of a bilinear four-node element at a point of it.
#pragma once

namespace kelvane {

// The value at fractions (fx, fy) of the element's width and height, from
// its corner values: t00 at (0, 0), t10 at (1, 0), t01 at (0, 1), t11 at
// (1, 1).
inline double Bilinear(double t00, double t10, double t01, double t11, double fx, double fy) {
  return (1 - fx) * (1 - fy) * t00 + fx * (1 - fy) * t10 + (1 - fx) * fy * t01 + fx * fy * t11;
}

}  // namespace kelvane
