// The layers of grid sides: thin lines where materials meet, and the
// convection sides in the colour of their condition.
#pragma once

#include "picture/svg_page.h"

namespace kelvane {

// Material boundaries into the page's body, or a note when there are too
// many to draw.
void DrawMaterialBoundaries(SvgPage& page);

// One path per convection condition into the page's body, or a note.
void DrawConvectionSides(SvgPage& page);

}  // namespace kelvane
