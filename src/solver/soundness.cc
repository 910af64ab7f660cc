#include "solver/soundness.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/number_text.h"

namespace kelvane {
namespace {

std::string Figure(double value) { return NumberText(value, 3); }

// The first node whose temperature is not finite, and how many are not.
std::pair<std::int32_t, std::int64_t> NotFiniteTemperatures(std::span<const double> t) {
  std::int32_t first = 0;
  std::int64_t count = 0;
  for (std::size_t n = 1; n < t.size(); ++n) {
    if (std::isfinite(t[n])) continue;
    if (first == 0) first = static_cast<std::int32_t>(n);
    ++count;
  }
  return {first, count};
}

std::optional<Unsoundness> Found(const SolutionFigures& figures, const std::string& what,
                                 std::int32_t node = 0) {
  return Unsoundness{what + "; " + UnsoundnessCause(figures), node};
}

// Where every environment is at one temperature: every node at it too.
std::optional<Unsoundness> CheckIsothermal(const SolutionFigures& figures, double t0) {
  const double bound = kIsothermalBound * std::max(1.0, std::fabs(t0));
  std::int32_t worst = 0;
  double off = 0;
  for (std::size_t n = 1; n < figures.temperature.size(); ++n) {
    const double d = std::fabs(figures.temperature[n] - t0);
    if (d > off) {
      off = d;
      worst = static_cast<std::int32_t>(n);
    }
  }
  if (off <= bound) return std::nullopt;
  return Found(figures,
               "every environment is at " + Figure(t0) + ", but the temperature here is " +
                   Figure(figures.temperature[worst]) + ", off by more than rounding allows (" +
                   Figure(bound) + ")",
               worst);
}

// The largest conductance times the span of the environments'
// temperatures, W/m: the size of the flows where heat does flow; 0 where
// the conductances span too much for rounding to leave any flow exact.
double FlowScale(const SolutionFigures& figures) {
  double most = 0, least = std::numeric_limits<double>::infinity();
  for (const Conductance& c : figures.conductances) {
    if (!(c.value > 0)) continue;
    most = std::max(most, c.value);
    least = std::min(least, c.value);
  }
  if (!(most <= kConductanceSpan * least)) return 0;
  const auto [low, high] = std::minmax_element(
      figures.environments.begin(), figures.environments.end(),
      [](const EnvironmentFlow& a, const EnvironmentFlow& b) { return a.temperature < b.temperature; });
  return most * (high->temperature - low->temperature);
}

}  // namespace

std::string UnsoundnessCause(const SolutionFigures& figures) {
  const EnvironmentFlow* hottest = nullptr;
  for (const EnvironmentFlow& e : figures.environments) {
    if (!hottest || !(std::fabs(e.temperature) <= std::fabs(hottest->temperature))) hottest = &e;
  }
  if (hottest && !(std::fabs(hottest->temperature) <= kLargestTemperature)) {
    return "the temperature " + Figure(hottest->temperature) + " of " + hottest->name +
           " leaves the arithmetic no room (keep temperatures within " +
           Figure(kLargestTemperature) + ")";
  }
  const Conductance* least = nullptr;
  const Conductance* most = nullptr;
  for (const Conductance& c : figures.conductances) {
    if (!(c.value > 0)) continue;
    if (!least || c.value < least->value) least = &c;
    if (!most || !(c.value <= most->value)) most = &c;
  }
  if (!least) return "the model has no conductance to weigh";
  const double span = most->value / least->value;
  std::string cause = "the conductances span " + Figure(span) + " (" + most->what + ", " +
                      Figure(most->value) + " W/(m K), to " + least->what + ", " +
                      Figure(least->value) + ")";
  if (!(span <= kConductanceSpan)) {
    cause += ", beyond what rounding leaves accurate; keep the span below " +
             Figure(kConductanceSpan);
  }
  return cause;
}

std::optional<Unsoundness> CheckSoundness(const SolutionFigures& figures) {
  const auto [node, count] = NotFiniteTemperatures(figures.temperature);
  if (node != 0) {
    return Found(figures,
                 "the temperature here is " + Figure(figures.temperature[node]) +
                     (count > 1 ? " (and at " + std::to_string(count - 1) + " more nodes)" : ""),
                 node);
  }
  double sum = 0, largest = 0;
  const EnvironmentFlow* through = nullptr;
  bool one_temperature = true;
  for (const EnvironmentFlow& e : figures.environments) {
    if (!std::isfinite(e.flow)) {
      return Found(figures, "the flow through " + e.name + " is " + Figure(e.flow) + " W/m");
    }
    sum += e.flow;
    if (!through || std::fabs(e.flow) > largest) {
      largest = std::fabs(e.flow);
      through = &e;
    }
    one_temperature = one_temperature && e.temperature == figures.environments[0].temperature;
  }
  if (!through) return std::nullopt;
  if (one_temperature) return CheckIsothermal(figures, through->temperature);
  if (largest <= kNoFlowBound * FlowScale(figures)) return std::nullopt;
  if (std::fabs(sum) <= kBalanceBound * largest) return std::nullopt;
  return Found(figures, "the flows sum to " + Figure(sum) + " W/m, " +
                            Figure(std::fabs(sum) / largest) + " of the largest (" +
                            Figure(through->flow) + " W/m through " + through->name +
                            "), where rounding allows " + Figure(kBalanceBound));
}

}  // namespace kelvane
