// The keys beside the model: the colour bar with its ticks, the scale bar,
// and the legend of lines, conditions, markers and notes. They grow the
// page's width and height to hold them.
#pragma once

#include <optional>

#include "picture/svg_page.h"

namespace kelvane {

// The bar's gradient into the page's defs, the bar and its ticks into the
// overlay.
void DrawColourBar(SvgPage& page);

// A round length in millimetres below the model.
void DrawScaleBar(SvgPage& page);

// The legend below the colour bar; the notes of the layers left out come
// last, so it is drawn after every other layer.
// The row of the critical point, where given, takes the coldest surface
// point's.
void DrawLegend(SvgPage& page, const std::optional<SvgOptions::Mark>& critical);
// The materials view's legend at the colour bar's place: a swatch and lambda
// for every material, a swatch and the ambient for every condition and
// fixed temperature, then the lines and markers.
void DrawMaterialsLegend(SvgPage& page, const std::optional<SvgOptions::Mark>& critical);

}  // namespace kelvane
