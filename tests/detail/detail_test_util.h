// Detail files for tests: made from text, with their grids drawn as rows of
// codes, and random drawings for the properties that must hold for any.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "detail/grid_maker.h"

namespace kelvane::testing {

// A [grid] and two materials, a condition and a fixed temperature named
// "a", "b", "air" and "hot", before `shapes`.
std::string WithHeader(const std::string& shapes, const std::string& grid = "max_cell = 10");

MadeGrid MakeFromText(const std::string& text);

// The message of the RunError that reading and making `text` raises, or
// "no error".
std::string DetailError(const std::string& text);

// The code block, top row first: codes separated by blanks, "." for void.
std::vector<std::string> CodeRows(const Model& model);

// A random detail file: rectangles, circles and convex polygons with random
// fills, sizes and grid settings, on a few hundred cells or less.
std::string RandomDrawing(std::mt19937& rng);

}  // namespace kelvane::testing
