// The block kernel built for processors with AVX2 (and without FMA: the
// sums must round each product and each addition on their own).
#if defined(__x86_64__)
#define KELVANE_KERNEL_TARGET __attribute__((target("avx2")))
#define KELVANE_KERNEL_VECTOR 4
#define KELVANE_KERNEL_COLUMNS 4
#define KELVANE_KERNEL_ENTRY FactorBlocksAvx2
#include "solver/profile_factor_kernel_impl.h"
#endif
