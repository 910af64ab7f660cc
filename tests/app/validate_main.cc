// make validate: the EN ISO 10211 reference cases through the built program,
// as a table. Exits 1 when any value lies outside its tolerance.

#include <cstdio>
#include <exception>

#include "app/validation.h"

int main() {
  try {
    const auto rows = kelvane::testing::RunValidation(KELVANE2D_BINARY, KELVANE_SOURCE_DIR);
    std::fputs(kelvane::testing::ValidationTable(rows).c_str(), stdout);
    for (const auto& row : rows) {
      if (!row.passes()) return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "validate: %s\n", e.what());
    return 1;
  }
}
