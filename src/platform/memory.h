// How much memory the program may still take, and the refusal of a table
// that would not fit: a model too large for the machine is refused with the
// size it needs instead of being killed part way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.h"

namespace kelvane {

// Which limit leaves a process the least room.
enum class MemoryLimit {
  kSystem,        // the memory the system reports available
  kControlGroup,  // the control group's memory limit
  kAddressSpace,  // the process's address-space limit (ulimit -v)
};

struct MemoryRoom {
  std::uint64_t bytes = 0;
  MemoryLimit limit = MemoryLimit::kSystem;
};

// The room under the tightest of those limits; nothing if none is known.
std::optional<MemoryRoom> LeastMemoryRoom();

// The bytes this process can still allocate: LeastMemoryRoom's.
std::optional<std::uint64_t> AvailableMemory();

// The bytes this process may still map under its address-space limit
// (RLIMIT_AS); nothing without a limit.
std::optional<std::uint64_t> AddressSpaceRoom();

// The bytes of address space this process maps now (its virtual size); 0
// if unknown.
std::uint64_t MappedBytes();

// The bytes this process has in memory now (its resident size); 0 if
// unknown.
std::uint64_t ResidentBytes();

// "31.4 GiB", "512 MiB".
std::string MemorySizeText(std::uint64_t bytes);

// The same, rounded up: a figure the user may give as a limit.
std::string MemorySizeTextUp(std::uint64_t bytes);

// The room left when `bytes` more would not fit; nothing when they fit, or
// when nothing is known.
std::optional<MemoryRoom> ShortOfMemory(std::uint64_t bytes);

// The out-of-memory error for `what`, which needs `bytes` where `room` is
// left: "the matrix needs 31.4 GiB; this machine has 23.4 GiB", the room
// under an address-space limit "of address space (ulimit -v)" and under a
// control group's "in its control group", then `advice` as it is.
RunError MemoryRefusal(const std::string& what, std::uint64_t bytes, MemoryRoom room,
                       const std::string& advice = "");

// Refuses with that error when `bytes` more would not fit.
void RequireMemory(std::uint64_t bytes, const std::string& what);

}  // namespace kelvane
