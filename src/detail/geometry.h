// The geometry of a detail file's shapes, in millimetres: extents, which
// points and boxes a shape covers, and the area it covers of a box. Outlines
// count as inside: a shape is a closed set.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "detail/detail_file.h"

namespace kelvane {

// The smallest box holding the shape.
Box Bounds(const Shape& shape);

// The outlines of a polygon (its one) or a region (its rings); none for a
// rectangle or a circle.
std::span<const std::vector<Point>> Outlines(const Shape& shape);

// Makes coordinates of the drawing that differ only by rounding one: a
// circle's extent, computed as centre - radius, against a layer drawn at the
// same place would otherwise give two grid lines 1e-14 mm apart and a cell so
// thin that the solution loses every digit. Along each axis, coordinates
// within 1e-9 of the largest (or of 1 mm) of one another take the first that
// was drawn as such (a rect's side, a vertex) before a circle's extent.
void MergeNearCoordinates(std::vector<Shape>& shapes);

// Whether the shape holds the point. A polygon or region is taken by the
// even-odd rule over its outlines, which for a simple outline is its inside.
bool Contains(const Shape& shape, Point p);

// How a shape lies over a box: clear of its inside, over part of it, or over
// all of it. kPartial may also stand for an outline that only touches the
// box: callers that need exact areas take OverlapArea then.
enum class Overlap { kNone, kPartial, kFull };
Overlap Classify(const Shape& shape, const Box& box);

// The area of the part of the box that the shape covers, mm2: exact up to
// rounding, for a polygon by clipping it to the box, for a circle by
// integrating the chord length in closed form.
double OverlapArea(const Shape& shape, const Box& box);

// The area a simple outline encloses.
double PolygonArea(const std::vector<Point>& vertices);

// The signed area an outline encloses: positive counter-clockwise.
double SignedArea(const std::vector<Point>& vertices);

// The first place where the outlines of a region meet where they should
// not: two sides of one outline as MeetingSides has it, or any two sides
// of two outlines that touch or cross. Found by a sweep along x or y,
// whichever makes fewer sides overlap along it, so that outlines of many
// thousand sides cost about their sides' count.
struct OutlineMeeting {
  std::size_t outline[2];  // The outlines of the two sides, the same for one.
  Point at;                // A point the two sides have in common.
};
std::optional<OutlineMeeting> FirstMeeting(std::span<const std::vector<Point>> outlines);

// The pairs of sides the sweep of FirstMeeting compares: those whose
// extents overlap along the better of the two axes. Callers bound it before
// the sweep, which costs about that many comparisons.
std::uint64_t SweepPairs(std::span<const std::vector<Point>> outlines);

// Sets a region's ring_bounds from its rings, by which the functions above
// pass over the rings far from a point or box: a region of many outlines
// costs about the outlines near it. Without them every ring is looked at.
void SetRingBounds(Shape& shape);

// Turns each outline of a region that meets nowhere to the even-odd
// rule's orientation: counter-clockwise where it lies within an even count
// of the others, clockwise where it bounds a hole.
void OrientEvenOdd(std::vector<std::vector<Point>>& outlines);

// The first two sides of an outline that meet where they should not: sides
// that are not neighbours and touch or cross, or neighbours that fold back
// over each other. Side n runs from vertex n to the next, from 1; nothing
// when the outline is simple.
std::optional<std::pair<int, int>> MeetingSides(const std::vector<Point>& vertices);

// The points where an outline crosses horizontal lines, for lines met in
// rising order: with the even-odd rule the outline holds [x0, x1], [x2, x3],
// ... of each line. Sides along a line are left out; a line through a
// vertex counts each side on the half-open rule, so the pairs still match.
// The sides that span the line are kept as it rises, so that a scan costs
// about the crossings it finds, not the vertices on every line.
class OutlineScan {
 public:
  explicit OutlineScan(const std::vector<Point>& vertices);
  // The crossings of every outline, for a region's even-odd rule.
  explicit OutlineScan(std::span<const std::vector<Point>> outlines);
  // The sorted crossings with the line at height y, no lower than the last.
  const std::vector<double>& At(double y);

 private:
  struct Side {
    Point low, high;
  };
  void AddSides(const std::vector<Point>& vertices);
  std::vector<Side> sides_;  // By their lower end.
  std::size_t next_ = 0;
  std::vector<const Side*> spanning_;
  std::vector<double> crossings_;
};

}  // namespace kelvane
