// The reference cases of examples/validation (EN ISO 10211 cases 1 and 2,
// EN ISO 10077-2 frame D.7), run through the built program: each reference
// value beside the program's value on the committed grid and on the same
// grid with every cell halved.
#pragma once

#include <string>
#include <vector>

namespace kelvane::testing {

struct ValidationRow {
  std::string case_name;
  std::string quantity;  // "T(1a/8, 7a/8)", "A (0, 47.5)", "heat flow"
  std::string unit;      // "°C", "W/m" or "W/mK"
  double reference = 0;
  double computed = 0;   // on the committed grid
  double halved = 0;     // with every cell halved
  double tolerance = 0;

  double deviation() const { return computed - reference; }
  double change() const { return halved - computed; }
  bool passes() const;
};

// Runs the program `binary` on the three models under `source_dir`'s
// examples/validation, in a scratch folder. Throws std::runtime_error when a
// run fails, or when a halved model does not halve its base model's cells.
std::vector<ValidationRow> RunValidation(const std::string& binary, const std::string& source_dir);

// The table of reference, computed value, deviation and grid change.
std::string ValidationTable(const std::vector<ValidationRow>& rows);

// Case 1's analytical solution for a = 1: (80/pi) sum over odd n of
// sin(n pi x) sinh(n pi y) / (n sinh(n pi)).
double HalfSquareColumn(double x, double y);

}  // namespace kelvane::testing
