#include "platform/error.h"

#include <cstdio>

namespace kelvane {

const char* ErrorKindText(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::kInputEndsEarly: return "input ends early";
    case ErrorKind::kFileNotFound: return "file not found";
    case ErrorKind::kFileNotReadable: return "file not readable";
    case ErrorKind::kFileNotWritable: return "file not writable";
    case ErrorKind::kTypeMismatch: return "type mismatch";
    case ErrorKind::kOverflow: return "overflow";
    case ErrorKind::kNegativeCount: return "negative count";
    case ErrorKind::kNegativeSize: return "negative size";
    case ErrorKind::kIndexOutOfRange: return "index out of range";
    case ErrorKind::kDivisionByZero: return "division by zero";
    case ErrorKind::kFloatingPointOverflow: return "floating-point overflow";
    case ErrorKind::kInvalidOperation: return "invalid floating-point operation";
    case ErrorKind::kOutOfMemory: return "out of memory";
    case ErrorKind::kNoMaterial: return "no material";
    case ErrorKind::kUndetermined: return "undetermined temperatures";
    case ErrorKind::kSyntaxError: return "syntax error";
    case ErrorKind::kUnknownKey: return "unknown key";
    case ErrorKind::kMissingKey: return "missing key";
    case ErrorKind::kInvalidValue: return "invalid value";
    case ErrorKind::kUnknownName: return "unknown name";
    case ErrorKind::kDuplicateName: return "duplicate name";
    case ErrorKind::kNoElement: return "no element";
    case ErrorKind::kUnresolved: return "not resolved";
    case ErrorKind::kInaccurate: return "inaccurate solution";
    case ErrorKind::kWarned: return "warning under --strict";
  }
  return "run-time error";
}

RunError::RunError(ErrorKind kind, std::string place, std::string detail)
    : std::runtime_error(""),
      kind_(kind),
      place_(std::move(place)),
      detail_(std::move(detail)),
      what_(Compose(kind_, place_, detail_)) {}

RunError::RunError(ErrorKind kind, const GridPlace& place, std::string detail)
    : RunError(kind, GridPlaceText(place), std::move(detail)) {
  grid_place_ = place;
}

std::string GridPlaceText(const GridPlace& place) {
  const std::string cell = "code row " + std::to_string(place.j + 1) + ", column " +
                           std::to_string(place.k + 1);
  if (!place.point) return cell;
  return "grid point at column line " + std::to_string(place.k) + ", row line " +
         std::to_string(place.j) + " (top-left corner of the cell at " + cell + ")";
}

void RunError::SetPlace(std::string place) {
  place_ = std::move(place);
  what_ = Compose(kind_, place_, detail_);
}

std::string RunError::Compose(ErrorKind kind, const std::string& place,
                              const std::string& detail) {
  // A place may be a file's name, which can hold any byte: the message
  // stays one line, and no byte of it reaches a terminal as a control.
  std::string text;
  if (!place.empty()) text = Printable(place) + ": ";
  text += ErrorKindText(kind);
  if (!detail.empty()) text += ": " + Printable(detail);
  return text;
}

void RunError::AddOuterPlace(const std::string& outer) {
  if (outer.empty() || place_.rfind(outer + ":", 0) == 0) return;
  place_ = place_.empty() ? outer : outer + ", " + place_;
  what_ = Compose(kind_, place_, detail_);
}

namespace {

// A control byte as \xNN, any other byte as it is.
void AppendPrintable(std::string& out, unsigned char c) {
  if (c < 0x20 || c == 0x7f) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
    out += buffer;
  } else {
    out += static_cast<char>(c);
  }
}

}  // namespace

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) AppendPrintable(out, c);
  return out;
}

std::string Quoted(const std::string& text) {
  constexpr std::size_t kLongest = 40;
  std::string out = "\"";
  std::size_t shown = 0;
  for (unsigned char c : text) {
    if (shown == kLongest) {
      out += "...";
      break;
    }
    if (c == '"' || c == '\\') out += '\\';
    AppendPrintable(out, c);
    ++shown;
  }
  out += '"';
  return out;
}

}  // namespace kelvane
