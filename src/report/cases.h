// Cases: the model's geometry and grid solved again with other values for
// some of its environments, as a detail file's [[case]] tables ask. A case
// that changes only ambients and fixed temperatures leaves the matrix as it
// is: its solution comes from the model's own factors, one substitution
// (Solution::SolveFor). A case that changes a heat-transfer coefficient
// changes the matrix and is solved as a model of its own.
#pragma once

#include <string>
#include <vector>

#include "model/environment_values.h"
#include "model/model.h"

namespace kelvane {

struct CaseDefinition {
  std::string name;
  EnvironmentValues values;  // The model's, with the case's changes.
};

// Whether the case changes a heat-transfer coefficient of `model`.
bool ChangesCoefficients(const CaseDefinition& c, const Model& model);

// The model with the case's values, for a solution of its own.
Model ModelForCase(const Model& model, const CaseDefinition& c);

}  // namespace kelvane
