// A profile matrix owned by a test: rows with chosen starts, all zero.
#pragma once

#include <cstdint>
#include <vector>

#include "solver/profile_solver.h"

namespace kelvane::testing {

struct Profile {
  std::int32_t n = 0;
  std::vector<std::int32_t> start;
  std::vector<std::int64_t> diagonal;
  std::vector<double> k;
  ProfileMatrix View() { return {n, start.data(), diagonal.data(), k.data()}; }
  double& At(int r, int c) { return k[diagonal[r] - r + c]; }
};

// starts[r - 1] is ProfileStart(r).
inline Profile MakeProfile(const std::vector<std::int32_t>& starts) {
  Profile p;
  p.n = static_cast<std::int32_t>(starts.size());
  p.start.assign(1, 0);
  p.start.insert(p.start.end(), starts.begin(), starts.end());
  p.diagonal.assign(p.n + 1, 0);
  for (int r = 1; r <= p.n; ++r) {
    p.diagonal[r] = (r == 1 ? 0 : p.diagonal[r - 1]) + (r - p.start[r]) + 1;
  }
  p.k.assign(p.diagonal[p.n] + 1, 0.0);
  return p;
}

}  // namespace kelvane::testing
