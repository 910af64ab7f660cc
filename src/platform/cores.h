// The processor cores this process may run on.
#pragma once

namespace kelvane {

// The cores in the process's affinity mask (what taskset, cgroups' cpusets
// and batch schedulers such as Slurm grant it), at least 1.
int AvailableCores();

}  // namespace kelvane
