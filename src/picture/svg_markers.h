// The markers on the model: a small square at every fixed-temperature node
// and a circle with its temperature at the coldest surface point.
#pragma once

#include "picture/svg_page.h"

namespace kelvane {

// Adds the markers to the page's overlay, or a note when there are too
// many fixed-temperature nodes to mark.
void DrawMarkers(SvgPage& page);

}  // namespace kelvane
