// The check of every solution before anything is made of it: a solution
// whose numbers rounding has spoilt is refused, with what was found and
// what in the model causes it, instead of being reported as exact.
//
// A solution is sound when
// - every temperature is finite;
// - every environment's flow is finite;
// - the flows sum to zero within kBalanceBound of the largest of them: the
//   energy balance that the exact solution of the discrete system keeps.
//   Rounding puts it off by 1E-14 to 1E-10 in every example and
//   validation model (up to 4 million nodes), by 7E-07 where aluminium
//   meets a vacuum panel in cells of 0.01 mm (the worst seen in a model
//   one might draw), and by 6.5E-04 and more in the broken models that
//   made this check (h = 1E+14, conductivities spanning 1E+12); the flows
//   are reported to 6 digits and psi, a difference of flows, to 3 or 4.
// - where every environment is at one temperature (no flow at all), every
//   temperature is that one within kIsothermalBound (relative to it, or
//   absolute below 1): the flows are then rounding alone and their balance
//   says nothing;
// - where no flow is larger than kNoFlowBound of the largest conductance
//   times the span of the environments' temperatures, and the
//   conductances span no more than kConductanceSpan, no heat flows (no
//   material joins environments at different temperatures, which the
//   drawing's checks warn of), and the balance of what rounding leaves says
//   nothing either.
//
// What causes a broken solution is named from the model's conductances
// (each material's conductivity and each condition's h times the length
// of its edges, both W/(m K), which the matrix holds side by side): where
// they span more than kConductanceSpan the matrix's condition drowns the
// solution in rounding; and from the environments' temperatures, which
// beyond kLargestTemperature leave no room for the products of the solve.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kelvane {

inline constexpr double kBalanceBound = 1e-5;
inline constexpr double kIsothermalBound = 1e-6;
inline constexpr double kNoFlowBound = 1e-10;
inline constexpr double kConductanceSpan = 1e8;
inline constexpr double kLargestTemperature = 1e150;

// An environment that touches the model: its name in messages
// ("\"outside\""), its temperature and its flow into the model, W/m.
struct EnvironmentFlow {
  std::string name;
  double temperature = 0;
  double flow = 0;
};

// A conductance of the model for the message: what it is ("the
// conductivity of \"steel\"", "h x edge length of \"outside\"") and its
// value, W/(m K).
struct Conductance {
  std::string what;
  double value = 0;
};

struct SolutionFigures {
  std::span<const double> temperature;  // Nodes 1..n; entry 0 unused.
  std::vector<EnvironmentFlow> environments;
  std::vector<Conductance> conductances;
};

struct Unsoundness {
  std::string detail;     // What was found and its cause, for a message.
  std::int32_t node = 0;  // The node the finding is at; 0 for none.
};

// Nothing for a sound solution; else what is wrong with it.
std::optional<Unsoundness> CheckSoundness(const SolutionFigures& figures);

// What in the model can spoil a solution, for the end of a message: the
// span of the conductances, or the largest environment temperature where
// that is beyond kLargestTemperature.
std::string UnsoundnessCause(const SolutionFigures& figures);

}  // namespace kelvane
