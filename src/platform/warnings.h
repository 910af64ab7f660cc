// Warnings: what is valid but suspicious in a model (a gap between two
// layers, a condition that touches nothing, a unit slip). The readers and
// checks return them as data, each with its place (a detail file's
// "wall.toml:12:5", a point of the drawing); the run prints each as one
// "warning:" line on stderr, lists them in the report, the JSON and the
// page, and with --strict refuses the model at the first one.
#pragma once

#include <string>
#include <vector>

namespace kelvane {

struct Warning {
  std::string place;  // Where, as an error would name it; may be empty.
  std::string text;   // What was found, and what to do about it.

  friend bool operator==(const Warning&, const Warning&) = default;
};

using Warnings = std::vector<Warning>;

// "PLACE: TEXT", or TEXT without a place, made printable: the line a
// warning prints after "warning: ".
std::string WarningLine(const Warning& warning);

}  // namespace kelvane
