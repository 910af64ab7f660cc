// One detail file through the reader, the flanking elements of its psi,
// the grid maker, the grid text and, when the grid is small, the solver:
// what the fuzz target runs on every input and the regression test on every
// input kept. Grids are bounded so that one run stays fast.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "detail/detail_file.h"
#include "detail/flanking.h"
#include "detail/grid_maker.h"
#include "detail/grid_text.h"
#include "detail/probe.h"
#include "model/input_reader.h"
#include "platform/error.h"
#include "solver/solver.h"

namespace kelvane {

// "" when the flanking elements come out with a finite U and layers that
// fit on their segment, or in a RunError with a message; otherwise what
// went wrong.
inline std::string FlankingFault(const DetailFile& detail) {
  try {
    for (const FlankingElement& e : FlankingElements(detail)) {
      if (!(e.u >= 0) || !std::isfinite(e.u)) return "a U is not finite or below 0";
      if (!e.from_segment) continue;
      if (e.layers.empty()) return "a segment without layers";
      double across = 0;
      for (const FlankingLayer& layer : e.layers) {
        if (!(layer.thickness > 0)) return "a layer is not thicker than 0";
        across += layer.thickness;
      }
      const double span = std::fabs(e.to.x - e.from.x) + std::fabs(e.to.y - e.from.y);
      const double rounding = 1e-9 * (std::fabs(e.from.x) + std::fabs(e.from.y) + span);
      if (across > span + rounding) return "the layers are thicker than the segment is long";
    }
  } catch (const RunError& e) {
    if (std::string_view(e.what()).empty()) return "a refusal without a message";
  }
  return "";
}

// "" when the input ends as it must, in a made grid that reads back from
// its text as itself or in a RunError with a message; otherwise what went
// wrong.
inline std::string RunDetailInput(std::string_view text) {
  constexpr std::uint64_t kGridPoints = 20000;  // Made and read back.
  constexpr std::size_t kSolvedCells = 2000;
  try {
    const DetailFile detail = ParseDetail(text, "fuzz.toml");
    if (std::string fault = FlankingFault(detail); !fault.empty()) return fault;
    const MadeGrid grid = MakeGrid(detail, GridLimits{kGridPoints});
    if (!(ParseInput(GridInputText(grid), "made.inp") == grid.model)) {
      return "the grid text reads back as another model";
    }
    for (const MaterialArea& area : grid.labels.areas) {
      if (!std::isfinite(area.drawn) || !std::isfinite(area.cells)) return "an area is not finite";
    }
    if (grid.widths.size() * grid.heights.size() > kSolvedCells) return "";
    SolverObserver quiet;
    quiet.on_warning = [](const std::string&) {};
    const Solution solution = SolveTemperatureField(grid.model, quiet);
    for (const ProbePoint& probe : grid.labels.probes) {
      if (!std::isfinite(ProbeTemperature(probe.spot, solution.ResultGrid()))) {
        return "a probe is not finite";
      }
    }
  } catch (const RunError& e) {
    if (std::string_view(e.what()).empty()) return "a refusal without a message";
  }
  return "";
}

}  // namespace kelvane
