#include "report/psi.h"

#include "platform/error.h"

namespace kelvane {
namespace {

// The entries of the coupling matrix that an environment's members are.
std::vector<std::size_t> IndicesOf(const CouplingMatrix& coupling, const EnvironmentLabel& e,
                                   const std::string& place) {
  std::vector<std::size_t> indices;
  for (std::size_t i = 0; i < coupling.environments.size(); ++i) {
    const Environment& c = coupling.environments[i];
    const std::vector<std::int32_t>& numbers =
        c.kind == Environment::Kind::kConvection ? e.conditions : e.fixed;
    if (std::find(numbers.begin(), numbers.end(), c.number) != numbers.end()) indices.push_back(i);
  }
  if (indices.empty()) {
    throw RunError(ErrorKind::kNoElement, place,
                   Quoted(e.name) + " touches the model nowhere, so no heat flows through it");
  }
  return indices;
}

}  // namespace

double CouplingBetween(const CouplingMatrix& coupling, const EnvironmentLabel& a,
                       const EnvironmentLabel& b, const std::string& place) {
  const std::vector<std::size_t> from = IndicesOf(coupling, a, place);
  const std::vector<std::size_t> to = IndicesOf(coupling, b, place);
  double flow = 0;
  for (std::size_t i : from) {
    for (std::size_t j : to) flow += coupling.flow[i][j];
  }
  return -flow;
}

PsiReport ComputePsi(const CouplingMatrix& coupling, const PsiRequest& request) {
  PsiReport r;
  r.name = request.name;
  for (int side = 0; side < 2; ++side) r.between[side] = request.between[side].name;
  r.l2d = CouplingBetween(coupling, request.between[0], request.between[1], request.place);
  r.flanking = request.flanking;
  for (const FlankingReport& f : r.flanking) r.flanking_sum += f.u * f.length;
  r.psi = r.l2d - r.flanking_sum;
  return r;
}

FrameReport ComputeFrame(const CouplingMatrix& coupling, const FrameRequest& request) {
  FrameReport r;
  for (int side = 0; side < 2; ++side) r.between[side] = request.between[side].name;
  r.l2d = CouplingBetween(coupling, request.between[0], request.between[1], request.place);
  r.panel = request.panel;
  r.width = request.width;
  r.u_f = (r.l2d - r.panel.u * r.panel.length) / r.width;
  return r;
}

}  // namespace kelvane
