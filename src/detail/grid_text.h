// A made grid model written as an ordinary grid input file: reading the text
// back with ParseInput gives the very model the grid maker made, and so a
// result file identical to the byte.
#pragma once

#include <string>

#include "detail/grid_maker.h"

namespace kelvane {

std::string GridInputText(const MadeGrid& grid);

}  // namespace kelvane
