// How much memory the program may still take, and the refusal of a table
// that would not fit: a model too large for the machine is refused with the
// size it needs instead of being killed part way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.h"

namespace kelvane {

// The bytes this process can still allocate: the smallest of the memory
// the system reports available, the room left under the process's control
// group limit and under its address-space limit. Nothing if none is known.
std::optional<std::uint64_t> AvailableMemory();

// The bytes this process may still map under its address-space limit
// (RLIMIT_AS); nothing without a limit.
std::optional<std::uint64_t> AddressSpaceRoom();

// The bytes this process has in memory now (its resident size); 0 if
// unknown.
std::uint64_t ResidentBytes();

// "31.4 GiB", "512 MiB".
std::string MemorySizeText(std::uint64_t bytes);

// The room left when `bytes` more would not fit; nothing when they fit, or
// when nothing is known.
std::optional<std::uint64_t> ShortOfMemory(std::uint64_t bytes);

// The out-of-memory error for `what`, which needs `bytes` where `room` is
// left: "the matrix needs 31.4 GiB; this machine has 23.4 GiB", then
// `advice` as it is.
RunError MemoryRefusal(const std::string& what, std::uint64_t bytes, std::uint64_t room,
                       const std::string& advice = "");

// Refuses with that error when `bytes` more would not fit.
void RequireMemory(std::uint64_t bytes, const std::string& what);

}  // namespace kelvane
