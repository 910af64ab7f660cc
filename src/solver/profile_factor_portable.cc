// The block kernel built for any x86-64 processor (SSE2): the same
// arithmetic as the AVX2 build, in registers half as wide.
#define KELVANE_KERNEL_TARGET
#define KELVANE_KERNEL_VECTOR 2
#define KELVANE_KERNEL_COLUMNS 2
#include "solver/profile_factor_kernel_impl.h"

namespace kelvane::fast_factor {

void FactorBlocksPortable(Shared& shared, std::int32_t thread_index) {
  FactorBlocks(shared, thread_index);
}

}  // namespace kelvane::fast_factor
