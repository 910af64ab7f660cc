// Places in a grid model, as messages and reports name them (GridPlace in
// platform/error.h): a cell by its row and column in the file's code block,
// a grid point by its column line and row line.
#pragma once

#include <cstdint>

#include "platform/error.h"

namespace kelvane {

inline GridPlace CellPlace(std::int32_t k, std::int32_t j) { return {false, k, j}; }
inline GridPlace GridPointPlace(std::int32_t k, std::int32_t j) { return {true, k, j}; }

}  // namespace kelvane
