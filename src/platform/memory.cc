#include "platform/memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/cgroup_memory.h"

namespace kelvane {
namespace {

std::optional<std::uint64_t> MemAvailable() {
  std::ifstream meminfo("/proc/meminfo");
  std::string name;
  std::uint64_t kib = 0;
  std::string unit;
  while (meminfo >> name >> kib >> unit) {
    if (name == "MemAvailable:") return kib * 1024;
  }
  return std::nullopt;
}

}  // namespace

std::uint64_t MappedBytes() {
  std::ifstream status("/proc/self/status");
  std::string name;
  std::uint64_t mapped = 0;
  for (std::string line; std::getline(status, line);) {
    std::istringstream fields(line);
    std::uint64_t kib = 0;
    if (fields >> name >> kib && name == "VmSize:") mapped = kib * 1024;
  }
  return mapped;
}

// Room under RLIMIT_AS, less what the process maps already.
std::optional<std::uint64_t> AddressSpaceRoom() {
  rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
  const std::uint64_t mapped = MappedBytes();
  return limit.rlim_cur > mapped ? limit.rlim_cur - mapped : 0;
}

std::optional<MemoryRoom> LeastMemoryRoom() {
  const std::pair<std::optional<std::uint64_t>, MemoryLimit> rooms[] = {
      {MemAvailable(), MemoryLimit::kSystem},
      {CgroupMemoryRoom(), MemoryLimit::kControlGroup},
      {AddressSpaceRoom(), MemoryLimit::kAddressSpace}};
  std::optional<MemoryRoom> least;
  for (const auto& [bytes, limit] : rooms) {
    if (bytes && (!least || *bytes < least->bytes)) least = MemoryRoom{*bytes, limit};
  }
  return least;
}

std::optional<std::uint64_t> AvailableMemory() {
  const std::optional<MemoryRoom> room = LeastMemoryRoom();
  return room ? std::optional<std::uint64_t>(room->bytes) : std::nullopt;
}

std::uint64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t size = 0, resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

namespace {

// In GiB to a tenth from half a GiB on, else in MiB; `round` takes the
// figure in those units to a whole number of them.
std::string SizeText(std::uint64_t bytes, double (*round)(double)) {
  const double gib = 1024.0 * 1024 * 1024;
  char text[32];
  if (bytes >= gib / 2) {
    std::snprintf(text, sizeof text, "%.1f GiB", round(bytes / gib * 10) / 10);
  } else {
    std::snprintf(text, sizeof text, "%.0f MiB", round(bytes / (1024.0 * 1024)));
  }
  return text;
}

}  // namespace

std::string MemorySizeText(std::uint64_t bytes) { return SizeText(bytes, std::round); }

std::string MemorySizeTextUp(std::uint64_t bytes) { return SizeText(bytes, std::ceil); }

std::optional<MemoryRoom> ShortOfMemory(std::uint64_t bytes) {
  // Asking the system costs several file reads; a table this small fits,
  // and if it does not, the allocation's own failure is reported.
  constexpr std::uint64_t kAlwaysFits = std::uint64_t{64} << 20;
  if (bytes < kAlwaysFits) return std::nullopt;
  std::optional<MemoryRoom> room = LeastMemoryRoom();
  if (!room || bytes <= room->bytes) return std::nullopt;
  return room;
}

RunError MemoryRefusal(const std::string& what, std::uint64_t bytes, MemoryRoom room,
                       const std::string& advice) {
  const char* where = room.limit == MemoryLimit::kAddressSpace   ? " of address space (ulimit -v)"
                      : room.limit == MemoryLimit::kControlGroup ? " in its control group"
                                                                 : "";
  return RunError(ErrorKind::kOutOfMemory, "",
                  what + " needs " + MemorySizeText(bytes) + "; this machine has " +
                      MemorySizeText(room.bytes) + where + advice);
}

void RequireMemory(std::uint64_t bytes, const std::string& what) {
  if (std::optional<MemoryRoom> room = ShortOfMemory(bytes)) {
    throw MemoryRefusal(what, bytes, *room);
  }
}

}  // namespace kelvane
