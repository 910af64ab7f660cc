// One detail file through the reader, the flanking elements of its psi,
// the grid maker, the grid text and, when the grid is small, the solver:
// what the fuzz target runs on every input and the regression test on every
// input kept. Grids are bounded so that one run stays fast.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "detail/detail_file.h"
#include "detail/drawing_checks.h"
#include "detail/flanking.h"
#include "detail/grid_maker.h"
#include "detail/grid_text.h"
#include "detail/probe.h"
#include "model/input_reader.h"
#include "platform/error.h"
#include "solution_oracle.h"
#include "report/field_checks.h"
#include "solver/solver.h"

namespace kelvane {

// "" when the flanking elements come out with a finite U and layers that
// fit on their segment, or in a RunError with a message; otherwise what
// went wrong.
inline std::string FlankingFault(const DetailFile& detail) {
  try {
    std::vector<FlankingElement> elements;
    for (const PsiEntry& psi : detail.psi) {
      for (const FlankingElement& e : FlankingElements(detail, psi)) elements.push_back(e);
    }
    for (const FlankingElement& e : elements) {
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

// The drawing every [drawing] file names: layers "A" (a square with a
// round chamber and a square one), "B" (a rounded square, a block inserted
// rotated), "C" (an open chain), "D" (two squares that touch) and "0".
inline std::string FuzzDrawing(const std::string&) {
  return "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nR\n10\n0\n20\n0\n"
         "0\nLWPOLYLINE\n8\n0\n90\n4\n70\n1\n10\n0\n20\n0\n42\n0.4\n10\n10\n20\n0\n"
         "10\n10\n20\n10\n42\n0.4\n10\n0\n20\n10\n0\nENDBLK\n8\n0\n0\nENDSEC\n"
         "0\nSECTION\n2\nENTITIES\n"
         "0\nLWPOLYLINE\n8\nA\n90\n4\n70\n1\n10\n0\n20\n0\n10\n40\n20\n0\n10\n40\n20\n30\n"
         "10\n0\n20\n30\n0\nCIRCLE\n8\nA\n10\n10\n20\n15\n40\n5\n"
         "0\nLINE\n8\nA\n10\n25\n20\n10\n11\n35\n21\n10\n0\nLINE\n8\nA\n10\n35\n20\n10\n11\n35\n21\n20\n"
         "0\nLINE\n8\nA\n10\n35\n20\n20\n11\n25\n21\n20\n0\nARC\n8\nA\n10\n25\n20\n15\n40\n5\n"
         "50\n90\n51\n270\n0\nINSERT\n8\nB\n2\nR\n10\n50\n20\n5\n50\n30\n"
         "0\nLINE\n8\nC\n10\n0\n20\n40\n11\n10\n21\n40\n0\nLINE\n8\nC\n10\n10\n20\n40\n11\n10\n21\n50\n"
         "0\nLWPOLYLINE\n8\nD\n90\n4\n70\n1\n10\n60\n20\n40\n10\n70\n20\n40\n10\n70\n20\n50\n"
         "10\n60\n20\n50\n0\nLWPOLYLINE\n8\nD\n90\n3\n70\n1\n10\n70\n20\n40\n10\n80\n20\n40\n"
         "10\n75\n20\n50\n0\nENDSEC\n0\nEOF\n";
}

// "" when the input ends as it must, in a made grid that reads back from
// its text as itself, and whose solution, for a small grid, is sound
// (solution_oracle.h), or in a RunError with a message; otherwise what went
// wrong.
inline std::string RunDetailInput(std::string_view text) {
  constexpr std::uint64_t kGridPoints = 20000;  // Made and read back.
  constexpr std::size_t kSolvedCells = 2000;
  try {
    const DetailFile detail = ParseDetail(text, "fuzz.toml", FuzzDrawing);
    if (std::string fault = FlankingFault(detail); !fault.empty()) return fault;
    const MadeGrid grid = MakeGrid(detail, GridLimits{kGridPoints});
    // A grid file holds no conditions by direction.
    if (grid.model.DirectedConditions.empty() &&
        !(ParseInput(GridInputText(grid), "made.inp") == grid.model)) {
      return "the grid text reads back as another model";
    }
    for (const MaterialArea& area : grid.labels.areas) {
      if (!std::isfinite(area.drawn) || !std::isfinite(area.cells)) return "an area is not finite";
    }
    for (const Warning& warning : CheckDrawing(detail, grid)) {
      if (warning.text.empty() || warning.place.empty()) return "a warning without its words or place";
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
    if (std::string fault = SolutionFault(solution); !fault.empty()) return fault;
    const auto outside = CheckTemperatureRange(solution.Field(), solution.Field().temperature,
                                               ValuesOf(grid.model));
    if (outside && outside->text.empty()) return "a finding without its words";
  } catch (const RunError& e) {
    if (std::string_view(e.what()).empty()) return "a refusal without a message";
  }
  return "";
}

}  // namespace kelvane
