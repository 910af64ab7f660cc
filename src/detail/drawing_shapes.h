// Layer shapes: the shapes a detail file takes from the layers of its DXF
// drawing ([drawing], dxf_layers.h). Each layer shape becomes a region of
// every closed outline on its layer, in mm after the drawing's unit and
// offset, its curves cut into chords no farther from them than
//
//   the smallest of max_cell, fine and the cells of the shapes that take
//   the layer, over kChordFactor, and never more than kCoarsestChord,
//
// so that the chords lie well within the cells along them.
//
// Refused at the layer key, naming the drawing, the layer and a point of
// the drawing: a layer the drawing does not have or that holds no closed
// outline; one with a chain of lines and arcs that does not close, ends
// where three or more meet, an outline that encloses no area or a spline
// that cannot be drawn; an outline that crosses or touches itself, and two
// outlines of one layer that touch or cross. What the drawing's file gets
// wrong (no DXF, a binary DXF, blocks nested too deep) is refused at the
// file key; a drawing whose $INSUNITS names a unit other than mm while the
// detail file gives none, at [drawing].
#pragma once

#include "detail/detail_file.h"

namespace kelvane {

constexpr double kChordFactor = 20;
constexpr double kCoarsestChord = 0.1;  // mm

// Fills the rings of every layer shape of `detail` from its drawing, read
// by `files` (ReadWholeFile when empty).
void FillLayerShapes(DetailFile& detail, const DrawingFiles& files);

}  // namespace kelvane
