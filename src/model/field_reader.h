// Splits an input text into fields, the sequential-field syntax of the input
// file:
//  - a field ends at a comma or at a line break (LF, CRLF or a lone CR, each
//    one break), so commas and line breaks are interchangeable;
//  - blanks and tabs around an unquoted field are dropped;
//  - a field whose first non-blank character is a double quote runs to the
//    next double quote, commas and line breaks inside kept; anything after
//    the closing quote up to the separator is ignored;
//  - a comma right before the end of the text is followed by one empty
//    field; after a final line break there is no further field.
// Bytes are taken as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

struct Field {
  std::string text;
  bool quoted = false;
  int line = 0;           // 1-based line on which the field starts
  int index_in_line = 0;  // 1-based position among the fields of that line
};

class FieldReader {
 public:
  explicit FieldReader(std::string_view data) : data_(data) {}

  // Reads the next field. Returns false when the text has no further field.
  // A quoted field without its closing quote is an "input ends early" error
  // naming the field's line and number (no file name; the caller adds it).
  bool Next(Field* field);

  // The most fields the rest of the text can still hold: every field but a
  // final empty one takes at least one byte.
  std::uint64_t FieldsAtMost() const { return data_.size() - pos_ + 1; }

  // The number of the last line that holds anything, for messages at the end.
  int LastLine() const;

 private:
  bool AtBreak(std::size_t i) const { return data_[i] == '\n' || data_[i] == '\r'; }
  // Consumes the line break at pos_ (LF, CR or CRLF).
  void ConsumeBreak();
  // Read the field that starts at `quote` (a double quote) or `start`, and
  // leave pos_ at the separator after it or at the end of the text.
  void ReadQuoted(std::size_t quote, Field* field);
  void ReadPlain(std::size_t start, Field* field);

  std::string_view data_;
  std::size_t pos_ = 0;
  int line_ = 1;
  int fields_on_line_ = 0;
  bool empty_field_pending_ = false;  // The text ended right after a comma.
  bool ended_ = false;
};

}  // namespace kelvane
