// What a drawing holds between its grid lines, found before any cell is
// made. The lines of the drawing cut it into blocks; a rectangle covers a
// block whole or not at all, so only polygons, circles and layer regions
// can cover part of one. The survey finds which intervals between lines hold material (the
// grid maker cuts those into cells, the others stay one cell) and the area
// that each material takes in the drawing, against which the grid's cells
// are later weighed.
//
// How exact the areas are: a block covered by rectangles, or by one polygon
// or circle over them, is exact up to rounding (the polygon clipped to the
// block, the circle's part integrated in closed form, a region's outlines
// each clipped and their signed areas summed). Where two sloped or
// curved outlines pass through one block, the block is quartered down to
// 1/1024 of its sides and each smallest piece that two outlines still cross
// goes whole to the shape that holds its centre: the error is at most the
// area of those pieces, which lie along the outlines.
#pragma once

#include <vector>

#include "detail/detail_file.h"

namespace kelvane {

struct BlockSurvey {
  std::vector<bool> column_has_material;  // Interval i, between xs[i] and xs[i + 1].
  std::vector<bool> row_has_material;     // Interval j, between ys[j] and ys[j + 1].
  // Whether block (i, j), between those intervals, is of material all over
  // (of one or several); at j * (xs.size() - 1) + i.
  std::vector<bool> block_all_material;
  std::vector<double> drawn_area;         // mm2 per material of the file.
};

// `xs` and `ys` are the drawing's grid lines, ascending, holding every edge
// of every shape's extent.
BlockSurvey SurveyBlocks(const DetailFile& detail, const std::vector<double>& xs,
                         const std::vector<double>& ys);
// The same for `shapes` (a drawing whose coordinates the grid maker has moved
// onto its lines) of a file with `materials` materials.
BlockSurvey SurveyBlocks(const std::vector<Shape>& shapes, std::size_t materials,
                         const std::vector<double>& xs, const std::vector<double>& ys);

}  // namespace kelvane
