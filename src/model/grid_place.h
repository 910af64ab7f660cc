// Places in a grid model, as messages and reports name them. A cell (k, j)
// is named by its row and column in the file's code block (code row j + 1,
// column k + 1); a grid point by its column line and row line, with the cell
// it is the top-left corner of.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

std::string CellPlace(std::int32_t k, std::int32_t j);
std::string GridPointPlace(std::int32_t k, std::int32_t j);

}  // namespace kelvane
