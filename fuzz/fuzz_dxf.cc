// libFuzzer target for DXF drawings: the bytes are a drawing, read by
// dxflib after our checks of its groups, expanded into layers, listed, and
// each layer that could be a layer shape made into a small grid
// (dxf_run.h). Every outcome must be layers or a RunError: never a crash, a
// hang, a leak, undefined behaviour or a runaway allocation.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dxf_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!kelvane::RunDxfInput(text).empty()) __builtin_trap();
  return 0;
}
