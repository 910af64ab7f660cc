// One detail file through the reader, the grid maker, the grid text and,
// when the grid is small, the solver: what the fuzz target runs on every
// input and the regression test on every input kept. Grids are bounded so
// that one run stays fast.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "detail/detail_file.h"
#include "detail/grid_maker.h"
#include "detail/grid_text.h"
#include "model/input_reader.h"
#include "platform/error.h"
#include "solver/solver.h"

namespace kelvane {

// "" when the input ends as it must, in a made grid that reads back from
// its text as itself or in a RunError with a message; otherwise what went
// wrong.
inline std::string RunDetailInput(std::string_view text) {
  constexpr std::uint64_t kGridPoints = 20000;  // Made and read back.
  constexpr std::size_t kSolvedCells = 2000;
  try {
    const MadeGrid grid = MakeGrid(ParseDetail(text, "fuzz.toml"), GridLimits{kGridPoints});
    if (!(ParseInput(GridInputText(grid), "made.inp") == grid.model)) {
      return "the grid text reads back as another model";
    }
    for (const MaterialArea& area : grid.areas) {
      if (!std::isfinite(area.drawn) || !std::isfinite(area.cells)) return "an area is not finite";
    }
    if (grid.widths.size() * grid.heights.size() > kSolvedCells) return "";
    Table2<Cell> result;
    SolverObserver quiet;
    quiet.on_warning = [](const std::string&) {};
    SolveTemperatureField(grid.model, result, quiet);
    for (const PlacedProbe& probe : grid.probes) {
      if (!std::isfinite(ProbeTemperature(probe.spot, result))) return "a probe is not finite";
    }
  } catch (const RunError& e) {
    if (std::string_view(e.what()).empty()) return "a refusal without a message";
  }
  return "";
}

}  // namespace kelvane
