// The soundness check of every solution the program makes use of (the
// model's, each case's, the grid check's and each coupling load's): the
// figures of solver/soundness.h gathered from a solved field, with the
// names of the model's labels.
#pragma once

#include <span>
#include <string>

#include "model/environment_values.h"
#include "model/labels.h"
#include "solver/soundness.h"
#include "solver/solved_field.h"

namespace kelvane {

// The figures of the temperatures t[1..node_count] that `field`'s system
// gives for `values`: the environments that touch the model with their
// flows, and the conductances of the materials and conditions in use.
SolutionFigures FiguresOf(const SolvedField& field, std::span<const double> t,
                          const EnvironmentValues& values, const ModelLabels& labels);

// Refuses an unsound solution with "inaccurate solution", at the grid point
// of the node it names (if any); `load`, when not empty, names the load in
// the message ("the coupling load of \"outside\" at 1 K").
void RequireSound(const SolvedField& field, std::span<const double> t,
                  const EnvironmentValues& values, const ModelLabels& labels,
                  const std::string& load = "");

}  // namespace kelvane
