#include "platform/cgroup_memory.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kelvane {
namespace {

// Where a hierarchy keeps the process's group, and the names of its limit
// and usage files.
struct MemoryHierarchy {
  std::string mount;
  std::string path;  // "/" or "/a/b"
  const char* limit = nullptr;
  const char* usage = nullptr;
  const char* inactive_file = nullptr;  // Its key in memory.stat.
};

bool NamesController(const std::string& controllers, const std::string& name) {
  std::istringstream list(controllers);
  for (std::string c; std::getline(list, c, ',');) {
    if (c == name) return true;
  }
  return false;
}

// A hybrid system lists both; the memory controller is then on v1.
std::optional<MemoryHierarchy> FindHierarchy(std::string_view self, const std::string& root) {
  std::optional<MemoryHierarchy> unified;
  std::istringstream lines{std::string(self)};
  for (std::string line; std::getline(lines, line);) {
    const std::size_t first = line.find(':');
    const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string path = line.substr(second + 1);
    if (NamesController(controllers, "memory")) {
      return MemoryHierarchy{root + "/memory", path, "memory.limit_in_bytes",
                             "memory.usage_in_bytes", "total_inactive_file"};
    }
    if (line.compare(0, first, "0") == 0 && controllers.empty()) {
      unified = MemoryHierarchy{root, path, "memory.max", "memory.current", "inactive_file"};
    }
  }
  return unified;
}

// The number a control file holds; nothing for "max" or no file.
std::optional<std::uint64_t> ReadNumber(const std::string& path) {
  std::ifstream in(path);
  std::string text;
  if (!(in >> text) || text == "max") return std::nullopt;
  try {
    return std::stoull(text);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The usage counts the page cache, whose inactive part the kernel gives back
// before it would fail an allocation: a job that has read large files is not
// short of memory for it.
std::uint64_t ReclaimableBytes(const std::string& stat_path, const std::string& key) {
  std::ifstream in(stat_path);
  std::string name;
  std::uint64_t value = 0;
  while (in >> name >> value) {
    if (name == key) return value;
  }
  return 0;
}

}  // namespace

std::optional<std::uint64_t> CgroupMemoryRoom(std::string_view self, const std::string& root) {
  const std::optional<MemoryHierarchy> h = FindHierarchy(self, root);
  if (!h) return std::nullopt;
  std::optional<std::uint64_t> room;
  // From the group up to the root: "/a/b", "/a", "".
  std::string path = h->path;
  while (true) {
    const std::string folder = h->mount + path + "/";
    if (const std::optional<std::uint64_t> limit = ReadNumber(folder + h->limit)) {
      const std::uint64_t usage = ReadNumber(folder + h->usage).value_or(0);
      const std::uint64_t cache = ReclaimableBytes(folder + "memory.stat", h->inactive_file);
      const std::uint64_t used = usage > cache ? usage - cache : 0;
      const std::uint64_t left = *limit > used ? *limit - used : 0;
      room = room ? std::min(*room, left) : left;
    }
    if (path.empty() || path == "/") break;
    const std::size_t cut = path.rfind('/');
    path.erase(cut == std::string::npos ? 0 : cut);
  }
  return room;
}

std::optional<std::uint64_t> CgroupMemoryRoom() {
  std::ifstream in("/proc/self/cgroup");
  std::ostringstream text;
  text << in.rdbuf();
  return CgroupMemoryRoom(text.str(), "/sys/fs/cgroup");
}

}  // namespace kelvane
