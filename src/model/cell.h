// A cell of the model grid or the result grid: empty, a 64-bit number, or a
// text.
#pragma once

#include <string>
#include <variant>

#include "model/leading_number.h"

namespace kelvane {

class Cell {
 public:
  Cell() = default;
  static Cell Number(double value) { return Cell(Value(value)); }
  static Cell Text(std::string text) { return Cell(Value(std::move(text))); }

  bool IsEmpty() const { return value_.index() == 0; }
  bool IsNumber() const { return value_.index() == 1; }
  bool IsText() const { return value_.index() == 2; }
  double number() const { return std::get<double>(value_); }
  const std::string& text() const { return std::get<std::string>(value_); }

  // The text of the cell: a number's standard decimal text (15 significant
  // digits), the empty text for an empty cell, or the text itself.
  std::string AsText() const;
  // The numeric value: the number, 0 for an empty cell, or what the text
  // reads as; kNotANumber for other text (a type mismatch in arithmetic).
  ParsedNumber NumericValue() const;

  friend bool operator==(const Cell& a, const Cell& b) = default;

 private:
  using Value = std::variant<std::monostate, double, std::string>;
  explicit Cell(Value value) : value_(std::move(value)) {}
  Value value_;
};

}  // namespace kelvane
