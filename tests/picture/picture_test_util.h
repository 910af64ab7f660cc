// Models for the picture tests, written as input text, and their runs as
// the picture sees them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/model.h"
#include "picture/picture_grid.h"
#include "picture/svg.h"
#include "solver/solved_field.h"
#include "solver/solver_test_util.h"

namespace kelvane::testing {

// A model's run for a picture: solved, or only meshed with temperatures
// set by hand (any field, without solving a large model).
class PictureRun {
 public:
  // Reads `input_text` and solves it; a failure throws the RunError.
  explicit PictureRun(const std::string& input_text);
  // Meshes `model` only; every node is at 0 until SetTemperatures.
  explicit PictureRun(Model model);
  PictureRun(const PictureRun&) = delete;

  // Sets the temperature of every node from its grid point.
  void SetTemperatures(const std::function<double(int k, int j)>& at);

  SolvedField Field() { return ViewOfRun(run_.s); }
  PictureGrid Grid() { return PictureGrid(Field()); }
  SvgPicture Svg(const SvgOptions& options = SvgOptions()) {
    return DrawSvgPicture(Field(), GridFileLabels(run_.model), options);
  }

 private:
  TestRun run_;
};

// A wall of one row of cells between a fixed temperature on the left
// (fixed temperature 1) and on the right (2), with void above and below:
// its temperature changes along x only. `layers` gives each cell's width
// in mm and material number.
std::string WallInput(const std::vector<std::pair<double, int>>& layers,
                      const std::vector<double>& conductivities, double left, double right,
                      int rows = 2);

// A model of n x n cells of 1 to 3 mm, meshed only: two materials, air on
// the right and inside (or scattered over the model), cold air on the left,
// and a field set by hand: smooth, or noisy with scattered air. A large
// model's picture and page without solving it.
std::unique_ptr<PictureRun> SyntheticRun(int n, bool scattered);

}  // namespace kelvane::testing
