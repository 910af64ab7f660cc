#include "model/cell.h"

#include "platform/number_text.h"

namespace kelvane {

std::string Cell::AsText() const {
  if (IsNumber()) return NumberText(number());
  if (IsText()) return text();
  return std::string();
}

ParsedNumber Cell::NumericValue() const {
  if (IsNumber()) return {NumberStatus::kNumber, number()};
  if (IsText()) return ReadAsNumber(text());
  return {NumberStatus::kNumber, 0};
}

}  // namespace kelvane
