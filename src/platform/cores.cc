#include "platform/cores.h"

#include <sched.h>

#include <thread>

namespace kelvane {

int AvailableCores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count >= 1) return count;
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware >= 1 ? static_cast<int>(hardware) : 1;
}

}  // namespace kelvane
