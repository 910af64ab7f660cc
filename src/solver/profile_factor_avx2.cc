// The block kernel built for processors with AVX2 (and without FMA: the
// sums must round each product and each addition on their own).
#if defined(__x86_64__)
#define KELVANE_KERNEL_TARGET __attribute__((target("avx2")))
#define KELVANE_KERNEL_VECTOR 4
#define KELVANE_KERNEL_COLUMNS 4
#include "solver/profile_factor_kernel_impl.h"

namespace kelvane::fast_factor {

void FactorBlocksAvx2(Shared& shared, std::int32_t thread_index) {
  FactorBlocks(shared, thread_index);
}

}  // namespace kelvane::fast_factor
#else
#include "solver/profile_factor_kernel.h"

namespace kelvane::fast_factor {

// Never chosen: ProcessorHasAvx2 is false off x86-64.
void FactorBlocksAvx2(Shared& shared, std::int32_t thread_index) {
  FactorBlocksPortable(shared, thread_index);
}

}  // namespace kelvane::fast_factor
#endif
