// Grid lines and cell codes: phases 1 to 3.

#include <cstdint>
#include <string>

#include "model/leading_number.h"
#include "platform/error.h"
#include "solver/solver_state.h"

namespace kelvane {
namespace {

constexpr double kGaussPoint = 0.577350269189626;

// A cell code split into its letter (the first character, 0 for an empty
// text) and its number (the leading number of the rest, rounded).
struct CodeParts {
  char letter = '\0';
  std::int32_t number = 0;
};

CodeParts SplitCode(const SolverState& s, std::int32_t k, std::int32_t j) {
  const Cell& cell = s.model.CellGrid(k + 1, j + 1);
  if (cell.IsEmpty()) return {};
  std::string number_text;
  std::string_view text;
  if (cell.IsText()) {
    text = cell.text();
  } else {
    number_text = cell.AsText();
    text = number_text;
  }
  if (text.empty()) return {};
  std::optional<double> value = LeadingNumber(text.substr(1));
  std::optional<std::int32_t> number = value ? RoundToInt32(*value) : std::nullopt;
  if (!number) {
    throw RunError(ErrorKind::kOverflow, CellPlace(k, j),
                   "the number in the code " + Quoted(std::string(text)) +
                       " lies beyond the 32-bit integer range");
  }
  return {text[0], *number};
}

// Adds the spacings of one direction into grid-line coordinates and copies
// the spacing cells into the result grid's row 0 or column 0.
void SumSpacings(SolverState& s, bool columns) {
  std::vector<double>& line = columns ? s.GridX : s.GridY;
  const std::int32_t last = columns ? s.LastColumn : s.LastRow;
  line[1] = 0;
  for (std::int32_t k = 1; k <= last - 2; ++k) {
    const Cell& spacing = columns ? s.model.CellGrid(k + 1, 0) : s.model.CellGrid(0, k + 1);
    ParsedNumber value = spacing.NumericValue();
    if (value.status != NumberStatus::kNumber) {
      throw RunError(value.status == NumberStatus::kOverflow ? ErrorKind::kOverflow
                                                             : ErrorKind::kTypeMismatch,
                     std::string(columns ? "column width " : "row height ") + std::to_string(k),
                     Quoted(spacing.AsText()) + " is not a number");
    }
    line[k + 1] = line[k] + value.value;
    if (columns) {
      s.ResultGrid(k + 1, 0) = spacing;
    } else {
      s.ResultGrid(0, k + 1) = spacing;
    }
  }
}

}  // namespace

void SetUpGridLines(SolverState& s) {
  s.GaussPoint = {};
  Yield(s, 1);
  s.GaussPoint[1] = kGaussPoint;
  s.GaussPoint[2] = -kGaussPoint;

  s.MaterialCount = s.model.MaterialCount();
  s.ConvectionCount = s.model.ConvectionCount();
  s.LastColumn = s.model.CellGrid.Last1();
  s.LastRow = s.model.CellGrid.Last2();
  std::int64_t points = (static_cast<std::int64_t>(s.LastColumn) + 1) *
                        (static_cast<std::int64_t>(s.LastRow) + 1);
  if (points > INT32_MAX) {
    throw RunError(ErrorKind::kOverflow, "grid size",
                   "the grid has more points than the 32-bit range holds");
  }
  s.GridPointCount = static_cast<std::int32_t>(points);

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
  Yield(s, 2);
  const std::int32_t lc = s.LastColumn;
  const std::int32_t lr = s.LastRow;
  // Each pass determines a visited cell's letter and number first; only a
  // "C" cell writes, and a later write to a point replaces an earlier one.
  auto mark = [&](std::int32_t k, std::int32_t j, auto write) {
    CodeParts code = SplitCode(s, k, j);
    if (code.letter == 'C') write(code.number);
  };
  // 1: every cell but the last ring column and row, all four corners.
  for (std::int32_t j = 0; j <= lr - 2; ++j) {
    for (std::int32_t k = 0; k <= lc - 2; ++k) {
      mark(k, j, [&](std::int32_t n) {
        s.FixedIndex(k, j) = n;
        s.FixedIndex(k, j + 1) = n;
        s.FixedIndex(k + 1, j + 1) = n;
        s.FixedIndex(k + 1, j) = n;
      });
    }
  }
  // 2: the last ring row, its corners on row line LastRow - 1.
  for (std::int32_t k = 0, j = lr - 1; k <= lc - 1; ++k) {
    mark(k, j, [&](std::int32_t n) {
      s.FixedIndex(k, j) = n;
      s.FixedIndex(k + 1, j) = n;
    });
  }
  // 3: the last ring column, its corners on column line LastColumn - 1.
  for (std::int32_t j = 0, k = lc - 1; j <= lr - 1; ++j) {
    mark(k, j, [&](std::int32_t n) {
      s.FixedIndex(k, j) = n;
      s.FixedIndex(k, j + 1) = n;
    });
  }
  // 4: the last cell alone, at the point where both lines meet.
  mark(lc - 1, lr - 1, [&](std::int32_t n) { s.FixedIndex(lc - 1, lr - 1) = n; });
}

void ReadCellCodes(SolverState& s) {
  Yield(s, 3);
  for (std::int32_t j = 0; j <= s.LastRow - 1; ++j) {
    for (std::int32_t k = 0; k <= s.LastColumn - 1; ++k) {
      CodeParts code = SplitCode(s, k, j);
      if (code.letter == 'A') {
        // "A" alone and "A0" leave the cell void; a number that names no
        // material is refused rather than read as something else.
        if (code.number < 0 || code.number > s.MaterialCount) {
          throw RunError(ErrorKind::kIndexOutOfRange, CellPlace(k, j),
                         "the code " + Quoted(s.model.CellGrid(k + 1, j + 1).AsText()) +
                             " names material " + std::to_string(code.number) +
                             ", but the model has " + std::to_string(s.MaterialCount) +
                             (s.MaterialCount == 1 ? " material" : " materials"));
        }
        s.CellCode(k, j) = code.number;
      } else if (code.letter == 'B') {
        if (code.number < 1 || code.number > s.ConvectionCount) {
          throw RunError(ErrorKind::kIndexOutOfRange, CellPlace(k, j),
                         "the code " + Quoted(s.model.CellGrid(k + 1, j + 1).AsText()) +
                             " names convection condition " + std::to_string(code.number) +
                             ", but the model has " + std::to_string(s.ConvectionCount) +
                             (s.ConvectionCount == 1 ? " condition" : " conditions"));
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
