// One DXF drawing through the reader, the expansion of its blocks and
// curves, the layer listing, and, for each layer whose outlines can be a
// layer shape, the checks of its outlines and a small grid of them: what
// the DXF fuzz target runs on every input and the regression test on every
// input kept.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

#include "app/layers_listing.h"
#include "detail/dxf_drawing.h"
#include "detail/dxf_layers.h"
#include "detail/geometry.h"
#include "detail/grid_lines.h"
#include "detail/grid_maker.h"
#include "platform/error.h"

namespace kelvane {

// A detail of one material painted by the layer's outlines, max_cell an
// eighth of their extent; "" or what went wrong.
inline std::string LayerGridFault(const DrawingLayer& layer) {
  DetailFile detail;
  detail.source = "fuzz.toml";
  MaterialEntry material;
  material.name = "m";
  material.conductivity = material.conductivity_y = 1;
  material.at = {1, 1};
  detail.materials.push_back(material);
  Shape shape;
  shape.kind = ShapeKind::kRegion;
  shape.fill = {FillKind::kMaterial, 0};
  shape.rings = layer.outlines;
  OrientEvenOdd(shape.rings);
  SetRingBounds(shape);
  for (const std::vector<Point>& ring : shape.rings) {
    if (!(std::fabs(SignedArea(ring)) > 0)) return "an outline of no area";
  }
  const Box box = Bounds(shape);
  detail.grid.max_cell = std::max(box.x1 - box.x0, box.y1 - box.y0) / 8;
  if (!(detail.grid.max_cell > 0) || !std::isfinite(detail.grid.max_cell)) return "";
  detail.shapes.push_back(shape);
  const MadeGrid grid = MakeGrid(detail, GridLimits{20000});
  const double drawn = grid.labels.areas[0].drawn;
  const double area = OverlapArea(shape, box);
  // The grid maker moves coordinates closer than kMergedShare of the cell
  // there onto one line, so the area it surveys may differ from the
  // region's by at most its outlines' length times that move.
  double perimeter = 0;
  for (const std::vector<Point>& ring : shape.rings) {
    for (std::size_t i = 0; i < ring.size(); ++i) {
      const Point a = ring[i], b = ring[(i + 1) % ring.size()];
      perimeter += std::hypot(b.x - a.x, b.y - a.y);
    }
  }
  const double moved = 2 * perimeter * kMergedShare * detail.grid.max_cell;
  if (!std::isfinite(drawn) || std::fabs(drawn - area) > 1e-6 * (std::fabs(area) + 1) + moved) {
    return "the survey's area is not the region's";
  }
  return "";
}

inline std::string RunDxfInput(std::string_view text) {
  try {
    const DxfDrawing drawing = ParseDxf(text, "fuzz.dxf");
    if (LayersListing(drawing).empty()) return "an empty listing";
    const DrawingLayers layers =
        ExpandDrawing(drawing, DxfPlacement{}, [](const std::string&) { return 0.05; });
    for (const DrawingLayer& layer : layers.layers) {
      if (!layer.faults.empty() || !layer.open.empty() || layer.outlines.empty()) continue;
      if (SweepPairs(layer.outlines) > 20000000 || FirstMeeting(layer.outlines)) continue;
      try {
        if (std::string fault = LayerGridFault(layer); !fault.empty()) return fault;
      } catch (const RunError& e) {
        if (std::string_view(e.what()).empty()) return "a refusal without a message";
      }
    }
  } catch (const RunError& e) {
    if (std::string_view(e.what()).empty()) return "a refusal without a message";
  }
  return "";
}

}  // namespace kelvane
