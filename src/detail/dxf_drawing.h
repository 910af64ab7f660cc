// A DXF drawing as read: its entities in the drawing's own units and
// coordinate system, per block, with the layer each was drawn on. Only what
// an outline can be made of is kept in full (lines, arcs, circles,
// ellipses, polylines with bulges, splines, hatch boundaries and inserts of
// blocks); every other entity (text, dimensions, points, ...) is kept as its
// kind and layer alone, to be counted. What the entities become in
// millimetres, after blocks and units, is dxf_layers.h's.
//
// The groups of the file are checked before dxflib (Debian's libdxflib)
// reads them, so that no file can make the library allocate without bound
// or loop for ever: every line of at most kLongestDxfLine bytes, a group
// code of digits on every other line, and the counts that the library
// allocates arrays by (of polyline vertices, spline knots and points,
// leader vertices) no larger than the groups that follow them. Refused, each
// with the file's name: a file that is not DXF, a binary DXF file (say so),
// a file that breaks those rules (with its line).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

// The longest line the reader takes, in bytes; dxflib reads at most 1023.
constexpr std::size_t kLongestDxfLine = 1000;

struct DxfPoint {
  double x = 0;
  double y = 0;
};

enum class DxfKind {
  kLine,      // points[0] to points[1]
  kArc,       // centre, radius, angles in degrees, counter-clockwise from start to end
  kCircle,    // centre, radius
  kEllipse,   // centre, axis (the major axis's end from the centre), ratio, params in radians
  kPolyline,  // points with bulges, closed or not
  kSpline,    // degree, knots, points (control points) with weights, closed or not
  kHatch,     // loops, each a list of edges (lines, arcs, ellipses, splines, polylines)
  kInsert,    // block, at, scale, rotation, columns and rows
  kOther,     // Text, dimensions, points and the like: counted, not drawn.
};

struct DxfEntity {
  DxfKind kind = DxfKind::kOther;
  std::string layer;
  // The entity's plane faces away (extrusion 0, 0, -1): its coordinates
  // are mirrored in x, as the arbitrary-axis rule has it. Only entities
  // given in their own coordinate system (arcs, circles, polylines,
  // hatches, inserts) are affected.
  bool mirrored = false;
  std::vector<DxfPoint> points;
  std::vector<double> bulges;   // kPolyline: one per point, for the side after it.
  std::vector<double> weights;  // kSpline: one per control point.
  std::vector<double> knots;    // kSpline
  int degree = 0;               // kSpline
  bool closed = false;          // kPolyline, kSpline
  DxfPoint centre;              // kArc, kCircle, kEllipse
  double radius = 0;            // kArc, kCircle
  double start = 0;             // kArc (degrees), kEllipse (radians)
  double end = 0;
  DxfPoint axis;                // kEllipse
  double ratio = 1;             // kEllipse: minor to major axis
  std::vector<std::vector<DxfEntity>> loops;  // kHatch
  std::string block;                          // kInsert
  DxfPoint scale{1, 1};                       // kInsert
  double rotation = 0;                        // kInsert, degrees
  int columns = 1;                            // kInsert: an array of copies,
  int rows = 1;                               //   spaced by `spacing`.
  DxfPoint spacing;
  std::string what;  // kOther: the entity's name, e.g. "TEXT"; else the kind's.
};

struct DxfBlock {
  DxfPoint base;
  std::vector<DxfEntity> entities;
};

struct DxfDrawing {
  std::string source;                    // The file's name in messages.
  int insunits = 0;                      // $INSUNITS; 0 when not given (unitless).
  std::vector<DxfEntity> entities;       // Model space, in file order.
  std::map<std::string, DxfBlock> blocks;
  std::vector<std::string> table_layers;  // The LAYER table, in file order.
};

// Reads a DXF drawing from its text; `source` names it in messages.
DxfDrawing ParseDxf(std::string_view text, const std::string& source);

// Reads the DXF file at `path`.
DxfDrawing ReadDxfFile(const std::string& path);

}  // namespace kelvane
