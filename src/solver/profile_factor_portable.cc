// The block kernel built for any x86-64 processor (SSE2): the same
// arithmetic as the AVX2 build, in registers half as wide.
#define KELVANE_KERNEL_TARGET
#define KELVANE_KERNEL_VECTOR 2
#define KELVANE_KERNEL_COLUMNS 2
#define KELVANE_KERNEL_ENTRY FactorBlocksPortable
#include "solver/profile_factor_kernel_impl.h"
