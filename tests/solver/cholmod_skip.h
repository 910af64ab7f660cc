// For tests that need CHOLMOD: why it cannot be loaded, so that they skip
// with that reason on a machine without it, as the program refuses the
// sparse solver there.
#pragma once

#include <string>

#include "platform/error.h"
#include "solver/cholmod_library.h"

namespace kelvane::testing {

// "" when CHOLMOD and OpenBLAS load; otherwise the program's message.
inline std::string CholmodMissing() {
  try {
    LoadCholmod();
  } catch (const RunError& e) {
    return e.what();
  }
  return "";
}

}  // namespace kelvane::testing
