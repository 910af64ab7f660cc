// The keys beside the model: the colour bar with its ticks, the scale bar,
// and the legend of lines, conditions, markers and notes. They grow the
// page's width and height to hold them.
#pragma once

#include "picture/svg_page.h"

namespace kelvane {

// The bar's gradient into the page's defs, the bar and its ticks into the
// overlay.
void DrawColourBar(SvgPage& page);

// A round length in millimetres below the model.
void DrawScaleBar(SvgPage& page);

// The legend below the colour bar; the notes of the layers left out come
// last, so it is drawn after every other layer.
void DrawLegend(SvgPage& page);

}  // namespace kelvane
