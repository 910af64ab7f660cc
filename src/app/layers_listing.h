// kelvane2d --layers FILE...: what each DXF drawing holds, per layer, for
// the user who writes a detail file on it.
#pragma once

#include <string>
#include <vector>

#include "detail/dxf_drawing.h"

namespace kelvane {

// The listing of one drawing: its unit ($INSUNITS), a table of its layers
// with the closed outlines, open chains and other entities on each, what
// keeps a layer's outlines from being read, and the drawing's extent, in the
// drawing's units. Curves are cut into chords within 0.1 of the drawing's
// units of them; the counts do not depend on it.
std::string LayersListing(const DxfDrawing& drawing);

// Prints the listing of each path on stdout, a refusal on stderr; returns
// the exit status (1 when any drawing could not be read).
int ListLayers(const std::vector<std::string>& paths);

}  // namespace kelvane
