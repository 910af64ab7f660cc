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

// L2D between two environments: minus the flow through `a`'s conditions and
// fixed temperatures when `b`'s are at 1 K and every other at 0, the sum of
// the entries of `coupling` between their members (superposition). Refuses
// (at `place`) an environment that touches the model nowhere, whose L2D
// would mean nothing.
double CouplingBetween(const CouplingMatrix& coupling, const EnvironmentLabel& a,
                       const EnvironmentLabel& b, const std::string& place);

// psi of `request`.
PsiReport ComputePsi(const CouplingMatrix& coupling, const PsiRequest& request);

// U_f of `request`: (L2D - U_p b_p) / b_f.
FrameReport ComputeFrame(const CouplingMatrix& coupling, const FrameRequest& request);

}  // namespace kelvane
