// Grid lines and cell codes: the first three phases.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/memory.h"
#include "solver/fixed_points.h"
#include "solver/solver_state.h"

namespace kelvane {
namespace {

constexpr double kGaussPoint = 0.577350269189626;

// The code of cell (k, j); a number beyond the 32-bit range ends the run.
BlockCode CodeOf(const SolverState& s, std::int32_t k, std::int32_t j) {
  const BlockCode& code = s.model.Codes(k, j);
  if (!code.fits) {
    throw RunError(ErrorKind::kOverflow, CellPlace(k, j),
                   "the number in the code " + Quoted(s.model.CodeText(k, j)) +
                       " lies beyond the 32-bit integer range");
  }
  return code;
}

// Adds the spacings of one direction into grid-line coordinates and copies
// them into the result grid's row 0 or column 0.
void SumSpacings(SolverState& s, bool columns) {
  std::vector<double>& line = columns ? s.GridX : s.GridY;
  const std::vector<double>& spacing = columns ? s.model.ColumnWidths : s.model.RowHeights;
  const std::int32_t last = columns ? s.LastColumn : s.LastRow;
  line[1] = 0;
  for (std::int32_t k = 1; k <= last - 2; ++k) {
    line[k + 1] = line[k] + spacing[k];
    if (columns) {
      s.ResultGrid(k + 1, 0) = Cell::Number(spacing[k]);
    } else {
      s.ResultGrid(0, k + 1) = Cell::Number(spacing[k]);
    }
  }
}

}  // namespace

void SetUpGridLines(SolverState& s) {
  s.GaussPoint = {};
  s.GaussPoint[1] = kGaussPoint;
  s.GaussPoint[2] = -kGaussPoint;

  s.MaterialCount = s.model.MaterialCount();
  s.ConvectionCount = s.model.ConvectionCount();
  s.LastColumn = s.model.LastColumn();
  s.LastRow = s.model.LastRow();
  std::int64_t points = (static_cast<std::int64_t>(s.LastColumn) + 1) *
                        (static_cast<std::int64_t>(s.LastRow) + 1);
  if (points > INT32_MAX) {
    throw RunError(ErrorKind::kOverflow, "grid size",
                   "the grid has more points than the 32-bit range holds");
  }
  s.GridPointCount = static_cast<std::int32_t>(points);
  // The result grid's cells and three integer tables per grid point.
  RequireMemory(static_cast<std::uint64_t>(points) * (sizeof(Cell) + 3 * sizeof(std::int32_t)),
                "the grid tables");

  s.ResultGrid = Table2<Cell>(s.LastColumn + 1, s.LastRow + 1);
  s.FixedIndex = Table2<std::int32_t>(s.LastColumn + 1, s.LastRow + 1, 0);
  s.CellCode = Table2<std::int32_t>(s.LastColumn + 1, s.LastRow + 1, 0);
  s.NodeNumber = Table2<std::int32_t>(s.LastColumn, s.LastRow, 0);
  s.GridX.assign(static_cast<std::size_t>(s.LastColumn) + 3, 0.0);
  s.GridY.assign(static_cast<std::size_t>(s.LastRow) + 3, 0.0);

  SumSpacings(s, true);
  SumSpacings(s, false);
}

void MarkFixedTemperaturePoints(SolverState& s) {
  // Each visited cell's letter and number are determined first; only a "C"
  // cell writes, and a later write to a point replaces an earlier one.
  ForEachFixedTemperatureWrite(
      s.LastColumn, s.LastRow,
      [&](std::int32_t k, std::int32_t j, std::initializer_list<GridPoint> points) {
        const BlockCode code = CodeOf(s, k, j);
        if (code.letter != 'C') return;
        for (auto [pk, pj] : points) s.FixedIndex(pk, pj) = code.number;
      });
}

std::string FixedTemperatureCodeAt(const SolverState& s, std::int32_t k, std::int32_t j) {
  std::string found;
  ForEachFixedTemperatureWrite(
      s.LastColumn, s.LastRow,
      [&](std::int32_t ck, std::int32_t cj, std::initializer_list<GridPoint> points) {
        for (auto [pk, pj] : points) {
          if (pk != k || pj != j || s.model.Codes(ck, cj).letter != 'C') continue;
          found = Quoted(s.model.CodeText(ck, cj)) + " at " + GridPlaceText(CellPlace(ck, cj));
        }
      });
  return found;
}

namespace {

// Refuses a code whose number names no record of its table.
[[noreturn]] void RefuseCode(const SolverState& s, std::int32_t k, std::int32_t j,
                             std::int32_t number, const char* record, std::int32_t count,
                             const char* one, const char* many) {
  throw RunError(ErrorKind::kIndexOutOfRange, CellPlace(k, j),
                 "the code " + Quoted(s.model.CodeText(k, j)) + " names " +
                     record + " " + std::to_string(number) + ", but the model has " +
                     std::to_string(count) + " " + (count == 1 ? one : many));
}

}  // namespace

void ReadCellCodes(SolverState& s) {
  for (std::int32_t j = 0; j <= s.LastRow - 1; ++j) {
    for (std::int32_t k = 0; k <= s.LastColumn - 1; ++k) {
      const BlockCode code = CodeOf(s, k, j);
      if (code.letter == 'A') {
        // "A" alone and "A0" leave the cell void; a number that names no
        // material is refused rather than read as something else.
        if (code.number < 0 || code.number > s.MaterialCount) {
          RefuseCode(s, k, j, code.number, "material", s.MaterialCount, "material", "materials");
        }
        s.CellCode(k, j) = code.number;
      } else if (code.letter == 'B') {
        if (code.number < 1 || code.number > s.ConvectionCount) {
          RefuseCode(s, k, j, code.number, "convection condition", s.ConvectionCount,
                     "condition", "conditions");
        }
        std::int64_t cell_code = static_cast<std::int64_t>(code.number) + s.MaterialCount;
        if (cell_code > INT32_MAX) {
          throw RunError(ErrorKind::kOverflow, CellPlace(k, j),
                         "material count plus condition number lies beyond the 32-bit range");
        }
        s.CellCode(k, j) = static_cast<std::int32_t>(cell_code);
      }
    }
  }
}

}  // namespace kelvane
