// libFuzzer target for detail files: the bytes are a detail file, run
// through the reader, the grid maker, the grid text read back and, for small
// grids, the solver (detail_run.h). Every outcome must be a grid that reads
// back as itself or a RunError: never a crash, a hang, a leak, undefined
// behaviour or a runaway allocation.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "detail_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!kelvane::RunDetailInput(text).empty()) __builtin_trap();
  return 0;
}
