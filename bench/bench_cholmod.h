// CHOLMOD on its own, on the sparse solver's system of a model: analysis in
// a chosen order, factorisation and one solution, timed in a child process
// with CHOLMOD's own memory handling, as any program would call it.
#pragma once

#include <string>

#include "solver/sparse_factor.h"

namespace kelvane::bench {

struct CholmodTimes {
  double entries = 0;  // Nonzeros of L.
  double flops = 0;
  double analyse = 0;  // Seconds, the ordering included.
  double factor = 0;
  double solve = 0;
  double peak_mib = 0;  // The child's, the system's assembly included.
  double Total() const { return analyse + factor + solve; }
};

const char* OrderingName(SparseOrdering ordering);

// In the child: times CHOLMOD on the model and prints the result.
int CholmodChild(const std::string& model, int n, SparseOrdering ordering);

// In the parent: the median of `runs` children by total time.
CholmodTimes MedianCholmodRun(const std::string& self, const std::string& model, int n,
                              SparseOrdering ordering, int runs);

}  // namespace kelvane::bench
