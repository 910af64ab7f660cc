// The field layer of the picture: every cell inside the ring in its colour,
// material cells with the bilinear temperature field. Small models get
// vector rectangles, larger ones an embedded PNG image.
#pragma once

#include "picture/svg.h"
#include "picture/svg_page.h"

namespace kelvane {

// Adds the field to the page's body and sets layout.raster.
void DrawField(SvgPage& page, SvgOptions::Fill fill);

}  // namespace kelvane
