// The colours of the picture's field: one palette of 256 entries, shared by
// the vector fill and the raster image, and the colours that mark each
// convection condition.
#pragma once

#include <cstdint>
#include <optional>
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

// The materials view's palette indices: 1..kMaterialSlots the materials
// (repeating beyond), then the conditions' and the fixed temperatures'
// regions, then grey.
inline constexpr int kMaterialSlots = 180;
inline constexpr int kConditionSlots = 40;
inline constexpr int kFixedSlots = 30;
inline constexpr int kFirstConditionSlot = 1 + kMaterialSlots;
inline constexpr int kFirstFixedSlot = kFirstConditionSlot + kConditionSlots;
inline constexpr int kMaterialsGreyIndex = kFirstFixedSlot + kFixedSlots;

// Material `material`'s colour (from 1): `own` where its file gave one, else
// a colour of a qualitative palette that colour-blind readers tell apart
// (Paul Tol's "light", pale enough for black lines and text), in turn.
// The first six differ plainly from every AmbientColour.
Rgb MaterialColour(int material, std::optional<std::uint32_t> own);

// The colour of an environment region by its temperature among
// [coldest, warmest]: the warmest a red, the coldest a blue, the middle a
// pale grey; a lone temperature is warm.
Rgb AmbientColour(double temperature, double coldest, double warmest);

}  // namespace kelvane
