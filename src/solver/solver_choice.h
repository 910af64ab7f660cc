// Which solver a run takes when it leaves the choice to the program
// (--solver=auto): the one predicted to finish first, from what each
// solver's work will be, known before either builds its system.
//
// The profile solver's work follows from its profile, which its set-up
// computes from the mesh in one pass: the rows' lengths give the matrix it
// holds and passes over (its length) and the terms of its factorisation
// (about the square of each row's length over two). The sparse solver's
// work is estimated from the grid: nested dissection of a grid of n nodes,
// t across on average (n over the longer side in grid points), takes about
// 19.5 n t floating-point operations to factor (18.9 to 19.6 n^1.5 on
// square grids of 400 to 2000 cells by CHOLMOD's own count). Each cost is
// in seconds, from coefficients fitted on the benchmark (docs/performance.md),
// and counts only what the two solvers do differently: the phases from the
// system's layout on.
#pragma once

#include <cstdint>
#include <string>

#include "solver/solver.h"

namespace kelvane {

// What the profile solver would hold and do, from its profile.
struct ProfileWork {
  double nodes = 0;
  double length = 0;  // ProfileLength: the entries of the profile.
  double terms = 0;   // Multiply-adds of the factorisation, sum of w (w + 1) / 2.
};

// What the sparse solver would do, estimated before its pattern is made.
struct SparseWork {
  double nodes = 0;
  double flops = 0;  // Of the numeric factorisation.
};

// The factorisation's operations for nested dissection of `nodes` nodes on a
// grid whose longer side holds `longer_side` grid points.
double NestedDissectionFlops(double nodes, double longer_side);

// Seconds each solver is predicted to take for its own phases.
double PredictedProfileSeconds(const ProfileWork& work);
double PredictedSparseSeconds(const SparseWork& work);

// What the choice is made from.
struct SolverCosts {
  double nodes = 0;
  double profile_seconds = 0;
  double sparse_seconds = 0;
  bool profile_fits = true;  // Whether the profile's matrix fits in memory.
  // Whether CHOLMOD and OpenBLAS load; asked only where the sparse solver
  // would be chosen.
  bool sparse_available = true;
};

struct SolverChoice {
  SolverKind solver = SolverKind::kProfile;
  // Why, in words, as the report gives it: "auto: profile, 12 k nodes,
  // predicted faster: profile 0.021 s, sparse 0.048 s".
  std::string reason;
};

// The profile solver, which is exact to the bit, unless the sparse one is
// predicted to take less than kSparseMargin of its time, or the profile
// does not fit in memory; never the sparse solver where its libraries are
// missing. Within the cost model's error (about 15 % near the crossover)
// the exact result is worth more than the time.
inline constexpr double kSparseMargin = 0.85;
SolverChoice ChooseSolver(const SolverCosts& costs);

// "850", "1.7 k", "12 k", "1.3 M": a count of nodes as the reason gives it.
std::string RoundedCount(double count);

}  // namespace kelvane
