// The linear thermal transmittance psi = L2D - sum of U_j l_j between two
// environments, from the coupling coefficients of the model's run and the
// flanking elements a detail file gives (EN ISO 10211).
#pragma once

#include <cstdint>
#include <vector>

#include "report/coupling.h"
#include "model/labels.h"
#include "report/report.h"

namespace kelvane {

// A convection condition or fixed temperature by its number.
struct EnvironmentRef {
  Environment::Kind kind = Environment::Kind::kConvection;
  std::int32_t number = 0;
};

// What psi is asked between, and over what.
struct PsiRequest {
  EnvironmentRef between[2];
  std::vector<FlankingReport> flanking;  // In the file's order.
  std::string place = "[psi]";           // Of `between`, for a refusal.
};

// psi of `request`; refuses an environment that touches the model nowhere,
// whose L2D would mean nothing.
PsiReport ComputePsi(const CouplingMatrix& coupling, const PsiRequest& request,
                     const ModelLabels& labels);

}  // namespace kelvane
