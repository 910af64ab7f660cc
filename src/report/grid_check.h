// The grid check of EN ISO 10211: the model solved on its grid and again
// with every cell cut into 2 x 2 (model/subdivide.h); the sums of the heat
// flows entering the model must differ by less than 1 %. The report also
// gives how far the probes and each condition's lowest surface temperature
// moved.
#pragma once

#include "model/labels.h"
#include "report/report.h"
#include "solver/solved_field.h"

namespace kelvane {

// What the check compares of one grid's solution.
struct GridSample {
  GridSize grid;
  double entering = 0;
  SolutionReport solution;
};

// The sample of a finished run with its own values.
GridSample SampleGrid(const SolvedField& field, const ModelLabels& labels);
// The same, taking the grid and the solution from the run's report.
GridSample SampleGrid(const SolvedField& field, const ModelReport& report);

GridCheckReport CompareGrids(const GridSample& given, const GridSample& fine,
                             const ModelLabels& labels);

// The labels of the grid with every cell cut into 2 x 2: the same names, the
// probes in the cells that now hold them, and the drawing's lines with the
// new ones halfway between.
ModelLabels SubdividedLabels(const ModelLabels& labels, std::int32_t last_column,
                             std::int32_t last_row);

}  // namespace kelvane
