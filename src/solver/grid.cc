// Grid lines and cell codes: phases 1 to 3.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "model/leading_number.h"
#include "platform/error.h"
#include "platform/memory.h"
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

// The common code, a letter and up to nine plain digits ("A1", "B12"): its
// leading number is that integer exactly, so it needs no general reading.
bool SplitPlainCode(const std::string& text, CodeParts* code) {
  if (text.size() < 2 || text.size() > 10) return false;
  std::int32_t number = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *code = {text[0], number};
  return true;
}

CodeParts SplitCode(const SolverState& s, std::int32_t k, std::int32_t j) {
  const Cell& cell = s.model.CellGrid(k + 1, j + 1);
  if (cell.IsEmpty()) return {};
  if (CodeParts code; cell.IsText() && SplitPlainCode(cell.text(), &code)) return code;
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

namespace {

// Calls visit(k, j, points...) for every cell the four passes visit, in their
// order, with the grid points that cell writes if it is a "C" cell.
template <typename Visit>
void ForEachFixedTemperatureWrite(const SolverState& s, Visit visit) {
  const std::int32_t lc = s.LastColumn;
  const std::int32_t lr = s.LastRow;
  using Point = std::pair<std::int32_t, std::int32_t>;
  // 1: every cell but the last ring column and row, all four corners.
  for (std::int32_t j = 0; j <= lr - 2; ++j) {
    for (std::int32_t k = 0; k <= lc - 2; ++k) {
      visit(k, j, {Point{k, j}, Point{k, j + 1}, Point{k + 1, j + 1}, Point{k + 1, j}});
    }
  }
  // 2: the last ring row, its corners on row line LastRow - 1.
  for (std::int32_t k = 0, j = lr - 1; k <= lc - 1; ++k) {
    visit(k, j, {Point{k, j}, Point{k + 1, j}});
  }
  // 3: the last ring column, its corners on column line LastColumn - 1.
  for (std::int32_t j = 0, k = lc - 1; j <= lr - 1; ++j) {
    visit(k, j, {Point{k, j}, Point{k, j + 1}});
  }
  // 4: the last cell alone, at the point where both lines meet.
  visit(lc - 1, lr - 1, {Point{lc - 1, lr - 1}});
}

}  // namespace

void MarkFixedTemperaturePoints(SolverState& s) {
  Yield(s, 2);
  // Each visited cell's letter and number are determined first; only a "C"
  // cell writes, and a later write to a point replaces an earlier one.
  ForEachFixedTemperatureWrite(
      s, [&](std::int32_t k, std::int32_t j,
             std::initializer_list<std::pair<std::int32_t, std::int32_t>> points) {
        CodeParts code = SplitCode(s, k, j);
        if (code.letter != 'C') return;
        for (auto [pk, pj] : points) s.FixedIndex(pk, pj) = code.number;
      });
}

std::string FixedTemperatureCodeAt(const SolverState& s, std::int32_t k, std::int32_t j) {
  std::string found;
  ForEachFixedTemperatureWrite(
      s, [&](std::int32_t ck, std::int32_t cj,
             std::initializer_list<std::pair<std::int32_t, std::int32_t>> points) {
        for (auto [pk, pj] : points) {
          if (pk != k || pj != j) continue;
          const Cell& cell = s.model.CellGrid(ck + 1, cj + 1);
          std::string text = cell.AsText();
          if (!text.empty() && text[0] == 'C') found = Quoted(text) + " at " + CellPlace(ck, cj);
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
                 "the code " + Quoted(s.model.CellGrid(k + 1, j + 1).AsText()) + " names " +
                     record + " " + std::to_string(number) + ", but the model has " +
                     std::to_string(count) + " " + (count == 1 ? one : many));
}

}  // namespace

void ReadCellCodes(SolverState& s) {
  Yield(s, 3);
  for (std::int32_t j = 0; j <= s.LastRow - 1; ++j) {
    for (std::int32_t k = 0; k <= s.LastColumn - 1; ++k) {
      CodeParts code = SplitCode(s, k, j);
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
