// The markers on the model: a small square at every fixed-temperature node,
// a cross with its name at every probe, and a circle with its temperature at
// the critical point (the one fRsi takes) or, without one, at the coldest
// surface point.
#pragma once

#include <optional>

#include "picture/svg_page.h"

namespace kelvane {

// Adds the markers to the page's overlay, or a note when there are too
// many fixed-temperature nodes to mark.
void DrawMarkers(SvgPage& page, const std::optional<SvgOptions::Mark>& critical);

}  // namespace kelvane
