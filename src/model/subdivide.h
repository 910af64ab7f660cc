// A grid model with every cell cut into 2 x 2: each column width and row
// height halved into two, each code copied into the four cells it becomes.
// The outer ring stays as it is, since it has no size. The cut model
// describes the same drawing on a grid twice as fine, which is how the
// grid check of EN ISO 10211 compares two grids.
#pragma once

#include "model/model.h"

namespace kelvane {

Model SubdividedModel(const Model& model);

// The cell of the cut grid that holds the point at fraction f (0 to 1) of
// cell k of the given grid along one direction, and the point's fraction in
// it. Ring cells stay single cells.
struct CutPosition {
  int cell = 0;
  double fraction = 0;
};
CutPosition CutCell(int k, double f, int last);

}  // namespace kelvane
