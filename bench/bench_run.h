// Whole runs of a model for the benchmark, each in a fresh child process
// (this program started again), so that its peak resident size is its own.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "solver/solver_state.h"

namespace kelvane::bench {

// One whole run's times: [0] reading, [1..kPhaseCount] the solver's phases,
// [kWrite] writing the result text, [kWhole] the whole run; and its peak
// memory.
inline constexpr int kWrite = kPhaseCount + 1;
inline constexpr int kWhole = kPhaseCount + 2;
struct RunTimes {
  std::vector<double> t = std::vector<double>(kWhole + 1, 0.0);
  double peak_mib = 0;
  std::string solver;  // The solver that ran (auto's choice).
};

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

std::string ModelText(const std::string& model, int n);

// The summed times of phases `first` .. `last`, named by their functions.
double Phases(const RunTimes& run, PhaseFunction first, PhaseFunction last);

double Median(std::vector<double> v);
// The run whose whole time is the median, so that its phases add up to its
// whole; and the median peak.
RunTimes MedianRun(std::vector<RunTimes> runs);

// This process's peak resident size so far (VmHWM).
double PeakMiB();

// The output of `command`, a run of this program; ends the benchmark if it
// fails.
std::string ChildOutput(const std::string& command);

// In the child: one whole run with `solver` (and the plain profile kernels
// when `plain`), its times and peak on stdout.
int WholeRunChild(const std::string& model, int n, SolverKind solver, bool plain);

// In the parent: one whole run in a child.
RunTimes OneWholeRun(const std::string& self, const std::string& model, int n, SolverKind solver,
                     bool plain);

// In the parent: `runs` whole runs, each in a child, and their median.
RunTimes MedianWholeRun(const std::string& self, const std::string& model, int n,
                        SolverKind solver, bool plain, int runs);

}  // namespace kelvane::bench
