// How much memory the program may still take, and the refusal of a table
// that would not fit: a model too large for the machine is refused with the
// size it needs instead of being killed part way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvane {

// The bytes this process can still allocate: the smallest of the memory
// the system reports available, the room left under the process's control
// group limit and under its address-space limit. Nothing if none is known.
std::optional<std::uint64_t> AvailableMemory();

// "31.4 GiB", "512 MiB".
std::string MemorySizeText(std::uint64_t bytes);

// Refuses with an out-of-memory error when `bytes` more would not fit:
// "the matrix needs 31.4 GiB; this machine has 23.4 GiB".
void RequireMemory(std::uint64_t bytes, const std::string& what);

}  // namespace kelvane
