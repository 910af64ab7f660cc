#include "model/field_reader.h"

#include "platform/error.h"

namespace kelvane {

void FieldReader::ConsumeBreak() {
  if (data_[pos_] == '\r' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
  fields_on_line_ = 0;
}

bool FieldReader::Next(Field* field) {
  if (ended_) return false;
  const bool at_end = pos_ == data_.size();
  if (at_end && !empty_field_pending_) {
    ended_ = true;
    return false;
  }
  field->line = line_;
  field->index_in_line = ++fields_on_line_;
  field->text.clear();
  field->quoted = false;
  if (at_end) {
    // The empty field after a final comma.
    empty_field_pending_ = false;
    ended_ = true;
    return true;
  }
  std::size_t i = pos_;
  while (i < data_.size() && (data_[i] == ' ' || data_[i] == '\t')) ++i;
  if (i < data_.size() && data_[i] == '"') {
    ReadQuoted(i, field);
  } else {
    ReadPlain(i, field);
  }
  if (pos_ == data_.size()) {
    ended_ = true;  // The text ends inside this field: it is the last.
  } else if (data_[pos_] == ',') {
    ++pos_;
    empty_field_pending_ = pos_ == data_.size();
  } else {
    ConsumeBreak();
  }
  return true;
}

void FieldReader::ReadQuoted(std::size_t quote, Field* field) {
  std::size_t close = data_.find('"', quote + 1);
  if (close == std::string_view::npos) {
    throw RunError(ErrorKind::kInputEndsEarly,
                   "line " + std::to_string(field->line) + ", field " +
                       std::to_string(field->index_in_line),
                   "the quoted field has no closing quote");
  }
  field->text.assign(data_.substr(quote + 1, close - quote - 1));
  field->quoted = true;
  // Line breaks inside the quotes still count as lines; the next field is
  // then the first to start on the new line.
  for (std::size_t k = quote + 1; k < close; ++k) {
    if (data_[k] == '\n' || (data_[k] == '\r' && data_[k + 1] != '\n')) {
      ++line_;
      fields_on_line_ = 0;
    }
  }
  pos_ = close + 1;
  while (pos_ < data_.size() && data_[pos_] != ',' && !AtBreak(pos_)) ++pos_;
}

void FieldReader::ReadPlain(std::size_t start, Field* field) {
  std::size_t end = start;
  while (end < data_.size() && data_[end] != ',' && !AtBreak(end)) ++end;
  std::size_t last = end;
  while (last > start && (data_[last - 1] == ' ' || data_[last - 1] == '\t')) --last;
  field->text.assign(data_.substr(start, last - start));
  pos_ = end;
}

int FieldReader::LastLine() const {
  int lines = 1;
  for (std::size_t i = 0; i < data_.size(); ++i) {
    bool is_break = data_[i] == '\n' ||
                    (data_[i] == '\r' && (i + 1 == data_.size() || data_[i + 1] != '\n'));
    if (is_break && i + 1 < data_.size()) ++lines;
  }
  return lines;
}

}  // namespace kelvane
