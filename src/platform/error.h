// The one error type of the program. Wherever a run cannot go on, the code
// throws a RunError naming the kind of fault and the place; only the command
// line front end catches it, prints one line and ends the run with status 1.
#pragma once

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
};

// The words a message uses for the kind, e.g. "input ends early".
const char* ErrorKindText(ErrorKind kind);

class RunError : public std::runtime_error {
 public:
  // `place` says where (file, line, field; a code-block cell; a grid point),
  // `detail` says what was found there.
  RunError(ErrorKind kind, std::string place, std::string detail);

  ErrorKind kind() const { return kind_; }
  const std::string& place() const { return place_; }
  const std::string& detail() const { return detail_; }

  // Prefixes the place with an outer one, e.g. the model file's name.
  void AddOuterPlace(const std::string& outer);

 private:
  static std::string Compose(ErrorKind kind, const std::string& place,
                             const std::string& detail);
  ErrorKind kind_;
  std::string place_;
  std::string detail_;
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
