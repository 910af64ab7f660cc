// The room a process has under the memory limits of its control groups:
// the unified hierarchy's (cgroup v2, memory.max) or the v1 memory
// controller's (memory.limit_in_bytes), as batch schedulers such as Slurm
// and container runtimes set them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

// The room left under the tightest memory limit of the process's control
// group and the groups above it. `self` is the text of /proc/self/cgroup,
// `root` the folder the hierarchies are mounted under (/sys/fs/cgroup). A
// line naming the v1 memory controller ("4:memory:/slurm/job_7") takes
// root/memory/slurm/job_7, else the unified line ("0::/job_7") takes
// root/job_7. A group without a limit, or whose folder this process cannot
// see (a container sees its own group as the root), is passed over, since
// schedulers set the limit on the job and not on each task. Nothing when no
// group has a limit. The inactive page cache (memory.stat) counts as room.
std::optional<std::uint64_t> CgroupMemoryRoom(std::string_view self, const std::string& root);

// The same for this process.
std::optional<std::uint64_t> CgroupMemoryRoom();

}  // namespace kelvane
