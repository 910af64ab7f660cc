// The room under control-group memory limits, read from a made-up
// /sys/fs/cgroup: either hierarchy, the tightest group on the way up, and
// groups this process cannot see or that set no limit passed over.

#include "platform/cgroup_memory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "app/process.h"

namespace kelvane {
namespace {

TEST(CgroupMemory, TheTightestLimitFromTheGroupUp) {
  struct Case {
    const char* name;
    const char* self;  // /proc/self/cgroup
    std::vector<std::pair<const char*, const char*>> files;
    std::optional<std::uint64_t> room;
  } cases[] = {
      {"v2, the limit on the job, none on the task", "0::/job_7/step_0/task_0\n",
       {{"job_7/memory.max", "1000\n"}, {"job_7/memory.current", "300\n"},
        {"job_7/step_0/memory.max", "max\n"}, {"job_7/step_0/memory.current", "290\n"}},
       700},
      {"v2, the step tighter than the job", "0::/job_7/step_0\n",
       {{"job_7/memory.max", "1000\n"}, {"job_7/memory.current", "300\n"},
        {"job_7/step_0/memory.max", "500\n"}, {"job_7/step_0/memory.current", "290\n"}},
       210},
      {"v1 beside a unified line: v1 holds the memory controller",
       "5:cpu:/other\n4:memory:/slurm/uid_1/job_7\n0::/\n",
       {{"memory/slurm/uid_1/job_7/memory.limit_in_bytes", "2048\n"},
        {"memory/slurm/uid_1/job_7/memory.usage_in_bytes", "48\n"}, {"memory.max", "10\n"}},
       2000},
      {"v1, memory among other controllers", "3:cpuacct,memory:/x\n",
       {{"memory/x/memory.limit_in_bytes", "100\n"}, {"memory/x/memory.usage_in_bytes", "40\n"}},
       60},
      {"v1 in a container: its group is the mount's root", "4:memory:/docker/abc\n",
       {{"memory/memory.limit_in_bytes", "4096\n"}, {"memory/memory.usage_in_bytes", "96\n"}},
       4000},
      {"v2, inactive page cache is room", "0::/g\n",
       {{"g/memory.max", "1000\n"}, {"g/memory.current", "900\n"},
        {"g/memory.stat", "anon 100\nfile 800\nactive_file 200\ninactive_file 600\n"}},
       700},
      {"v1, the hierarchy's total inactive cache", "4:memory:/x\n",
       {{"memory/x/memory.limit_in_bytes", "1000\n"}, {"memory/x/memory.usage_in_bytes", "900\n"},
        {"memory/x/memory.stat", "inactive_file 1\ntotal_inactive_file 500\n"}},
       600},
      {"more used than the limit", "0::/g\n",
       {{"g/memory.max", "100\n"}, {"g/memory.current", "150\n"}}, 0},
      {"no limit anywhere", "0::/g\n", {{"g/memory.max", "max\n"}}, std::nullopt},
      {"no memory hierarchy", "1:cpu:/\n", {{"memory.max", "100\n"}}, std::nullopt},
      {"nothing readable", "", {}, std::nullopt},
  };
  for (const Case& c : cases) {
    testing::TemporaryFolder root;
    for (const auto& [path, text] : c.files) {
      std::filesystem::create_directories(std::filesystem::path(root / path).parent_path());
      testing::WriteFile(root / path, text);
    }
    EXPECT_EQ(CgroupMemoryRoom(c.self, root.path()), c.room) << c.name;
  }
}

}  // namespace
}  // namespace kelvane
