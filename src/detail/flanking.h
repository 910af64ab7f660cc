// The flanking elements of a psi value: the walls and slabs that run one-
// dimensionally at the cut-off planes, whose U times length is taken from the
// coupling coefficient L2D. An element gives its U, or a segment drawn across
// its layers, from which U follows: the materials the segment crosses, as the
// drawing paints them, and the surface resistances of the two environments
// at its ends.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "detail/detail_file.h"

namespace kelvane {

struct FlankingLayer {
  std::string material;
  double thickness = 0;     // mm along the segment
  double conductivity = 0;  // W/(m K) along the segment; 0 for a cavity until it is known
  bool cavity = false;      // An air cavity's fill: its conductivity is the cavity's,
  Point middle;             //   the one that holds this point of the layer.
};

struct FlankingElement {
  double u = 0;       // W/(m2 K)
  double length = 0;  // mm
  bool from_segment = false;
  Point from, to;                     // When from_segment.
  std::vector<FlankingLayer> layers;  // In order from `from` to `to`, when from_segment.
  double resistance_from = 0;         // m2 K/W: 1/h of the condition at `from` (0 for a fixed
  double resistance_to = 0;           //   temperature, infinite for h = 0), and at `to`.
  SourcePosition at;
};

// The flanking elements of `psi`, one of `detail.psi`, in file order.
//
// A segment must be horizontal or vertical, start in the region of one of
// the two `between` environments and end in the other's (in either order),
// and cross at least one material and only materials in between. The fill of
// each point is that of the last shape that holds it, outline included, as
// the grid maker paints a cell by its centre: so an end exactly on an outline
// belongs to the shape painted last there (an end on the face between a
// material and an air region drawn after it lies in the air). The segment is
// cut where it crosses any shape's outline, exactly as far as the arithmetic
// of rectangles, circles and polygon sides goes; pieces thinner than rounding
// (1E-09 of the coordinates) belong to the piece before them, and
// consecutive pieces of one material are one layer, its thickness the
// difference of its two ends. U = 1 / (R_from + sum d/lambda + R_to), summed
// in that order from `from`, with R as the condition gives it (its
// resistance when written so, else 1/h; by direction where given so: the
// side resistance at the end of a horizontal segment, the down resistance
// at an end above the layers, on a floor, the up one below them).
//
// Refused with the entry's line and column: a segment that is not
// horizontal or vertical, that does not start and end in the two
// environments' regions, that crosses void, a fixed temperature, a third
// condition or one of the two environments between its layers, or that
// crosses no material.
std::vector<FlankingElement> FlankingElements(const DetailFile& detail, const PsiEntry& psi);

// The insulating panel of [frame] as a flanking element of its two
// environments, b_p its length; refused as a flanking segment is, at the
// panel.
FlankingElement FramePanel(const DetailFile& detail, const FrameEntry& frame);

// The equivalent conductivity, along a segment, of the cavity that holds a
// point: `along_x` for a horizontal segment.
using CavityConductivityAt = std::function<double(Point point, bool along_x)>;

// Gives the layers of an element that cross air cavities the conductivity
// of their cavity along the segment, R = d / lambda, and works out its U
// again.
void UseCavityConductivities(FlankingElement& element, const CavityConductivityAt& lambda);

}  // namespace kelvane
