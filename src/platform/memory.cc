#include "platform/memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
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

// Room under RLIMIT_AS, less what the process maps already.
std::optional<std::uint64_t> AddressSpaceRoom() {
  rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
  std::ifstream status("/proc/self/status");
  std::string name;
  std::uint64_t mapped = 0;
  for (std::string line; std::getline(status, line);) {
    std::istringstream fields(line);
    std::uint64_t kib = 0;
    if (fields >> name >> kib && name == "VmSize:") mapped = kib * 1024;
  }
  return limit.rlim_cur > mapped ? limit.rlim_cur - mapped : 0;
}

std::optional<std::uint64_t> AvailableMemory() {
  std::optional<std::uint64_t> room;
  for (std::optional<std::uint64_t> r : {MemAvailable(), CgroupMemoryRoom(), AddressSpaceRoom()}) {
    if (r) room = room ? std::min(*room, *r) : *r;
  }
  return room;
}

std::uint64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t size = 0, resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

std::string MemorySizeText(std::uint64_t bytes) {
  const double gib = 1024.0 * 1024 * 1024;
  char text[32];
  if (bytes >= gib / 2) {
    std::snprintf(text, sizeof text, "%.1f GiB", bytes / gib);
  } else {
    std::snprintf(text, sizeof text, "%.0f MiB", bytes / (1024.0 * 1024));
  }
  return text;
}

std::optional<std::uint64_t> ShortOfMemory(std::uint64_t bytes) {
  // Asking the system costs several file reads; a table this small fits,
  // and if it does not, the allocation's own failure is reported.
  constexpr std::uint64_t kAlwaysFits = std::uint64_t{64} << 20;
  if (bytes < kAlwaysFits) return std::nullopt;
  std::optional<std::uint64_t> room = AvailableMemory();
  if (!room || bytes <= *room) return std::nullopt;
  return room;
}

RunError MemoryRefusal(const std::string& what, std::uint64_t bytes, std::uint64_t room,
                       const std::string& advice) {
  return RunError(ErrorKind::kOutOfMemory, "",
                  what + " needs " + MemorySizeText(bytes) + "; this machine has " +
                      MemorySizeText(room) + advice);
}

void RequireMemory(std::uint64_t bytes, const std::string& what) {
  if (std::optional<std::uint64_t> room = ShortOfMemory(bytes)) {
    throw MemoryRefusal(what, bytes, *room);
  }
}

}  // namespace kelvane
