// Solved models for the picture tests, written as input text.
#pragma once

#include <string>

#include "model/cell.h"
#include "model/model.h"
#include "model/table2.h"

namespace kelvane::testing {

struct SolvedModel {
  Model model;
  Table2<Cell> result;
};

// Reads `input_text` and solves it; a failure throws the RunError.
SolvedModel Solve(const std::string& input_text);

// A wall of one row of cells between a fixed temperature on the left
// (fixed temperature 1) and on the right (2), with void above and below:
// its temperature changes along x only. `layers` gives each cell's width
// in mm and material number.
std::string WallInput(const std::vector<std::pair<double, int>>& layers,
                      const std::vector<double>& conductivities, double left, double right,
                      int rows = 2);

}  // namespace kelvane::testing
