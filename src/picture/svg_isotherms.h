// The isotherm layer: the lines at the page's levels, traced through the
// elements and simplified to the page's resolution, each level one path
// with its temperature as title, and labels along the longest lines.
#pragma once

#include "picture/svg_page.h"

namespace kelvane {

// Adds the lines to the page's defs and body and their labels to the
// overlay, and counts the levels drawn in layout.isotherm_count; leaves a
// note instead when the lines would take too many points.
void DrawIsotherms(SvgPage& page);

}  // namespace kelvane
