// The block kernel built for processors with AVX-512: a block's eight lanes
// in one register, the same arithmetic as the AVX2 build (and no FMA
// either).
#if defined(__x86_64__)
#define KELVANE_KERNEL_TARGET __attribute__((target("avx512f")))
#define KELVANE_KERNEL_VECTOR 8
#define KELVANE_KERNEL_COLUMNS 8
#include "solver/profile_factor_kernel_impl.h"

namespace kelvane::fast_factor {

void FactorBlocksAvx512(Shared& shared, std::int32_t thread_index) {
  FactorBlocks(shared, thread_index);
}

}  // namespace kelvane::fast_factor
#else
#include "solver/profile_factor_kernel.h"

namespace kelvane::fast_factor {

// Never chosen: ProcessorHasAvx512 is false off x86-64.
void FactorBlocksAvx512(Shared& shared, std::int32_t thread_index) {
  FactorBlocksPortable(shared, thread_index);
}

}  // namespace kelvane::fast_factor
#endif
