// What a detail file draws or gives that is valid but most often a mistake,
// found before the model is solved. Each finding is a Warning with the place
// of the key or shape it concerns (platform/warnings.h); the run prints them
// and --strict refuses the model at the first.
//
// Values out of the range of building physics:
// - a conductivity above kMostConductivity (aluminium is 160 to 230 W/(m K),
//   copper 380) or below kLeastConductivity (still air is 0.025, the best
//   vacuum panels 0.007);
// - a heat-transfer coefficient below kLeastH or above kMostH W/(m2 K), or a
//   surface resistance above kMostResistance m2 K/W: h and resistance
//   swapped, most likely.
// Dimensions out of scale, the signs of a drawing in metres or of a length
// in metres in a drawing in millimetres:
// - a drawing smaller than kLeastDrawing mm across;
// - a material shape thinner than kLeastThickness mm;
// - a circle of radius below kLeastThickness mm;
// - a flanking length, or [frame]'s b_p or b_f, under kLeastFlankingShare
//   of the drawing's size.
// What the made grid shows:
// - a condition or fixed temperature none of whose cells borders material
//   (it takes no heat);
// - void cells that material encloses, or a void strip between materials
//   that more than kGapRuns rows or columns cross within kGapWidest mm
//   (a gap left undrawn: void is adiabatic);
// - two environments at different temperatures that touch material, but no
//   piece of material joins (their coupling is zero).
#pragma once

#include "detail/detail_file.h"
#include "detail/grid_maker.h"
#include "platform/warnings.h"

namespace kelvane {

inline constexpr double kMostConductivity = 500;
inline constexpr double kLeastConductivity = 0.005;
inline constexpr double kLeastH = 1;
inline constexpr double kMostH = 1000;
inline constexpr double kMostResistance = 1;
inline constexpr double kLeastDrawing = 10;
inline constexpr double kLeastThickness = 0.1;
inline constexpr double kLeastFlankingShare = 0.01;
inline constexpr double kGapWidest = 20;
inline constexpr int kGapRuns = 3;
// Voids named one by one; more are counted in one warning.
inline constexpr int kMostVoidsNamed = 10;

// The findings about the file's values and dimensions, in file order.
Warnings CheckValues(const DetailFile& detail);

// The findings about the made grid of `detail`: conditions, voids, paths.
Warnings CheckMadeGrid(const DetailFile& detail, const MadeGrid& made);

// Both, values first.
Warnings CheckDrawing(const DetailFile& detail, const MadeGrid& made);

}  // namespace kelvane
