// Cases: the model's geometry and grid solved again with other values for
// some of its environments, as a detail file's [[case]] tables ask. A case
// that changes only ambients and fixed temperatures leaves the matrix as it
// is: its solution comes from the model's own factors, one substitution. A
// case that changes a heat-transfer coefficient changes the matrix and is
// solved as a model of its own.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"
#include "report/environment_values.h"
#include "report/solved_field.h"

namespace kelvane {

struct CaseDefinition {
  std::string name;
  EnvironmentValues values;  // The model's, with the case's changes.
};

// Whether the case changes a heat-transfer coefficient of `model`.
bool ChangesCoefficients(const CaseDefinition& c, const Model& model);

// The model with the case's values, for a solution of its own.
Model ModelForCase(const Model& model, const CaseDefinition& c);

// The node temperatures (1..node_count) that the finished run's system
// gives for other ambients and fixed temperatures, with its heat-transfer
// coefficients: the loads are formed as the run forms its own, the fixed
// temperatures taken out through the fixed nodes' assembled equations, and
// the run's factors solve.
std::vector<double> SolveForValues(const SolvedField& field, const EnvironmentValues& values);

}  // namespace kelvane
