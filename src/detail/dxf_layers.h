// What each layer of a DXF drawing holds, in millimetres: its closed
// outlines, the chains of lines and arcs that do not close, and the count
// of entities that outline nothing.
//
// Blocks are expanded where they are inserted (scaled, rotated, mirrored,
// in arrays, nested); an entity on layer 0 within a block takes the layer of
// the insert that places it, as CAD shows it. Curves become polygons:
// an arc, circle, bulge, ellipse or spline is cut into chords none of which
// lies farther from the curve than the layer's chord error, each curve's
// ends kept exactly where they are drawn. Closed entities (circles, closed
// polylines and splines, full ellipses, hatch boundary paths) are outlines
// as they stand; lines, arcs and open polylines, splines and ellipse arcs
// are joined end to end where two ends lie within `join` of each other, and
// a chain that comes back to its start is an outline.
//
// Bounded for any file: inserts nest at most kDeepestInsert deep, a block
// that inserts itself is refused, and the expanded drawing holds at most
// kMostDxfEntities entities and kMostDxfVertices vertices.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "detail/detail_file.h"
#include "detail/dxf_drawing.h"

namespace kelvane {

constexpr int kDeepestInsert = 16;
constexpr std::size_t kMostDxfEntities = 1000000;
constexpr std::size_t kMostDxfVertices = 4000000;

// How the drawing's coordinates become the detail's: mm = unit * value +
// offset.
struct DxfPlacement {
  double unit = 1;  // mm per drawing unit
  Point offset;     // mm
  double join = 0.01;  // mm: ends this close are one point.
};

// A chain of lines and arcs whose ends meet nothing, from start to end.
struct OpenChain {
  Point start;
  Point end;
};

struct DrawingLayer {
  std::string name;
  std::vector<std::vector<Point>> outlines;  // Closed, in drawing order, mm.
  std::vector<OpenChain> open;
  int others = 0;  // Entities that outline nothing: text, dimensions, ...
  // What keeps the layer's entities from being outlines: ends where three
  // or more meet, outlines that enclose no area, splines that cannot be
  // drawn, points beyond 1E+09 mm. The first few, each a sentence with a
  // point of the drawing.
  std::vector<std::string> faults;
};

struct DrawingLayers {
  std::vector<DrawingLayer> layers;  // Those of the LAYER table first, in its order,
                                     // then those only entities name, as met.
  std::optional<Box> extent;         // Of every outline and chain, mm; none when empty.
};

// The layers of `drawing`, each curve cut to the chord error that
// `chord_error(layer)` gives (mm, above 0). Refuses, naming the file, a
// drawing whose blocks nest too deep, insert themselves or expand beyond
// the bounds above.
DrawingLayers ExpandDrawing(const DxfDrawing& drawing, const DxfPlacement& placement,
                            const std::function<double(const std::string&)>& chord_error);

// Millimetres per unit of the $INSUNITS code, with the unit's name;
// nothing for 0 (unitless) and codes of no length a detail is drawn in.
struct DxfUnit {
  double mm = 1;
  const char* name = "mm";
};
std::optional<DxfUnit> InsunitsUnit(int code);

// "x 12.4, y 80.1 mm": a point of the drawing in a message, to 0.0001 mm.
std::string DrawingPointText(Point p);

}  // namespace kelvane
