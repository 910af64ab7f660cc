// The colours of the picture's field: one palette of 256 entries, shared by
// the vector fill and the raster image, and the colours that mark each
// convection condition.
#pragma once

#include <vector>

#include "picture/colour_map.h"

namespace kelvane {

// Palette indices: 0 white (nothing), 1..8 convection cells, 9 a
// fixed-temperature cell with no temperature, 10..255 the colour map.
inline constexpr int kConditionColours = 8;
inline constexpr int kGreyIndex = 9;
inline constexpr int kFirstLevelIndex = 10;
inline constexpr int kFieldLevels = 256 - kFirstLevelIndex;

// The colour of convection condition `condition` (from 1); colour-blind-safe
// colours in turn, repeating after eight.
Rgb ConditionColour(int condition);

// The palette index of a convection cell of `condition`: its colour, tinted.
int ConditionIndex(int condition);

// The 256 colours of the indices above.
std::vector<Rgb> FieldPalette();

}  // namespace kelvane
