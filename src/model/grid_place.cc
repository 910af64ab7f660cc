#include "model/grid_place.h"

namespace kelvane {

std::string CellPlace(std::int32_t k, std::int32_t j) {
  return "code row " + std::to_string(j + 1) + ", column " + std::to_string(k + 1);
}

std::string GridPointPlace(std::int32_t k, std::int32_t j) {
  return "grid point at column line " + std::to_string(k) + ", row line " +
         std::to_string(j) + " (top-left corner of the cell at " + CellPlace(k, j) + ")";
}

}  // namespace kelvane
