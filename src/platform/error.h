// The one error type of the program. Wherever a run cannot go on, the code
// throws a RunError naming the kind of fault and the place; only the command
// line front end catches it, prints one line and ends the run with status 1.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvane {

enum class ErrorKind {
  kInputEndsEarly,
  kFileNotFound,
  kFileNotReadable,
  kFileNotWritable,
  kTypeMismatch,
  kOverflow,
  kNegativeCount,
  kNegativeSize,
  kIndexOutOfRange,
  kDivisionByZero,
  kFloatingPointOverflow,
  kInvalidOperation,
  kOutOfMemory,
  kNoMaterial,
  kUndetermined,
  // Detail files: what their reader and the grid maker refuse.
  kSyntaxError,
  kUnknownKey,
  kMissingKey,
  kInvalidValue,
  kUnknownName,
  kDuplicateName,
  kNoElement,
  kUnresolved,
  // A solution that rounding has spoilt (solver/soundness.h).
  kInaccurate,
  // A warning, which --strict makes a refusal.
  kWarned,
};

// The words a message uses for the kind, e.g. "input ends early".
const char* ErrorKindText(ErrorKind kind);

// A place in a model's grid: cell (k, j), whose code stands at code row
// j + 1, column k + 1 of the file, or grid point (k, j), the top-left corner
// of that cell.
struct GridPlace {
  bool point = false;
  std::int32_t k = 0;
  std::int32_t j = 0;
};

// "code row 3, column 2"; "grid point at column line 1, row line 2 (top-left
// corner of the cell at code row 3, column 2)".
std::string GridPlaceText(const GridPlace& place);

class RunError : public std::runtime_error {
 public:
  // `place` says where (file, line, field; a code-block cell; a grid point),
  // `detail` says what was found there.
  RunError(ErrorKind kind, std::string place, std::string detail);
  // A place in the grid, kept as it is beside its text, so that a caller who
  // knows what the grid was made from can name the place in its own terms.
  RunError(ErrorKind kind, const GridPlace& place, std::string detail);

  ErrorKind kind() const { return kind_; }
  const std::string& place() const { return place_; }
  const std::string& detail() const { return detail_; }
  const std::optional<GridPlace>& grid_place() const { return grid_place_; }

  // Prefixes the place with an outer one, e.g. the model file's name; a
  // place that names a line of that file already ("wall.toml:12:5") stays.
  void AddOuterPlace(const std::string& outer);
  // Names the place anew.
  void SetPlace(std::string place);

 private:
  static std::string Compose(ErrorKind kind, const std::string& place,
                             const std::string& detail);
  ErrorKind kind_;
  std::string place_;
  std::string detail_;
  std::optional<GridPlace> grid_place_;
  std::string what_;

 public:
  // "PLACE: KIND: DETAIL", or "KIND: DETAIL" without a place.
  const char* what() const noexcept override { return what_.c_str(); }
};

// Quotes a text for a message: "A7", with control bytes escaped and very long
// texts shortened, so that one message stays one readable line.
std::string Quoted(const std::string& text);

// A text with its control bytes shown as \xNN, so that it stays on its line.
std::string Printable(std::string_view text);

}  // namespace kelvane
