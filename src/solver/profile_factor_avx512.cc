// The block kernel built for processors with AVX-512: a block's eight lanes
// in one register, the same arithmetic as the AVX2 build (and no FMA
// either).
#if defined(__x86_64__)
#define KELVANE_KERNEL_TARGET __attribute__((target("avx512f")))
#define KELVANE_KERNEL_VECTOR 8
#define KELVANE_KERNEL_COLUMNS 8
#define KELVANE_KERNEL_ENTRY FactorBlocksAvx512
#include "solver/profile_factor_kernel_impl.h"
#endif
