#include "report/psi.h"

#include "platform/error.h"

namespace kelvane {
namespace {

const std::string& NameOf(const EnvironmentRef& e, const ModelLabels& labels) {
  return e.kind == Environment::Kind::kConvection ? labels.Condition(e.number)
                                                  : labels.Fixed(e.number);
}

std::size_t IndexOf(const CouplingMatrix& coupling, const EnvironmentRef& e,
                    const ModelLabels& labels, const std::string& place) {
  for (std::size_t i = 0; i < coupling.environments.size(); ++i) {
    const Environment& c = coupling.environments[i];
    if (c.kind == e.kind && c.number == e.number) return i;
  }
  throw RunError(ErrorKind::kNoElement, place,
                 Quoted(NameOf(e, labels)) +
                     " touches the model nowhere, so no heat flows through it");
}

}  // namespace

PsiReport ComputePsi(const CouplingMatrix& coupling, const PsiRequest& request,
                     const ModelLabels& labels) {
  PsiReport r;
  for (int side = 0; side < 2; ++side) r.between[side] = NameOf(request.between[side], labels);
  const std::size_t a = IndexOf(coupling, request.between[0], labels, request.place);
  const std::size_t b = IndexOf(coupling, request.between[1], labels, request.place);
  r.l2d = -coupling.flow[a][b];
  r.flanking = request.flanking;
  for (const FlankingReport& f : r.flanking) r.flanking_sum += f.u * f.length;
  r.psi = r.l2d - r.flanking_sum;
  return r;
}

}  // namespace kelvane
