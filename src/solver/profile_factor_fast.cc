#include "solver/profile_factor_fast.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <new>
#include <thread>
#include <vector>

#include "platform/cores.h"
#include "solver/profile_factor_kernel.h"

namespace kelvane {
namespace {

constexpr int kCheckedFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;
// Below this many stored entries a second thread costs more than it gives.
constexpr std::int64_t kTwoThreadsFrom = 1 << 20;

std::atomic<ProfileKernel> chosen_kernel{ProfileKernel::kFast};

int ThreadsFor(const ProfileMatrix& m, const FastFactorOptions& options,
               std::int32_t block_count) {
  return ChooseFactorThreads(options.threads, options.threads > 0 ? 1 : AvailableCores(),
                             m.diagonal[m.n], block_count);
}

struct ProcessorFeatures {
  bool avx2 = false;
  bool avx512 = false;
};

const ProcessorFeatures& Features() {
  static const ProcessorFeatures features = [] {
    ProcessorFeatures f;
#if defined(__x86_64__)
    __builtin_cpu_init();
    f.avx2 = __builtin_cpu_supports("avx2") != 0;
    f.avx512 = __builtin_cpu_supports("avx512f") != 0;
#endif
    return f;
  }();
  return features;
}

using BlockFunction = void (*)(fast_factor::Shared&, std::int32_t);

// The build of the block kernel to run.
BlockFunction ChosenBlocks(const FastFactorOptions& options) {
#if defined(__x86_64__)
  if (options.avx512 && Features().avx512) return fast_factor::FactorBlocksAvx512;
  if (options.avx2 && Features().avx2) return fast_factor::FactorBlocksAvx2;
#else
  (void)options;
#endif
  return fast_factor::FactorBlocksPortable;
}

}  // namespace

bool ProcessorHasAvx2() { return Features().avx2; }

bool ProcessorHasAvx512() { return Features().avx512; }

int ChooseFactorThreads(int requested, int cores, std::int64_t entries, std::int32_t blocks) {
  const int threads = requested > 0 ? requested : entries >= kTwoThreadsFrom ? cores : 1;
  return std::max(1, std::min(threads, blocks));
}

// In step with the choice of factor_blocks in FactorProfileFast: a new
// build of the kernel gets its name here too.
const char* ProcessorKernelName() {
  return ProcessorHasAvx512() ? "AVX-512" : ProcessorHasAvx2() ? "AVX2" : "portable";
}

std::int32_t FactorProfileFast(const ProfileMatrix& m, const FastFactorOptions& options) {
  if (m.n < 1) return 0;
  // The kernel tells its own overflow and invalid-operation flags from
  // earlier ones only if there are none yet.
  if (std::fetestexcept(FE_OVERFLOW | FE_INVALID)) return FactorProfilePlain(m);

  using fast_factor::Shared;
  Shared shared;
  shared.m = m;
  shared.block_count = (m.n + fast_factor::kBlockRows - 1) / fast_factor::kBlockRows;
  for (std::int32_t r = 1; r <= m.n; ++r) {
    shared.max_width = std::max(shared.max_width, r - m.start[r]);
  }
  const BlockFunction factor_blocks = ChosenBlocks(options);
  fexcept_t entry_flags;
  std::fegetexceptflag(&entry_flags, FE_ALL_EXCEPT);

  // Workers start on a gate that opens with the number of threads that
  // really started, so that every block has its thread.
  const int wanted = ThreadsFor(m, options, shared.block_count);
  std::atomic<int> gate{0};
  std::vector<int> worker_flags(static_cast<std::size_t>(wanted), 0);
  std::vector<std::thread> workers;
  for (int t = 1; t < wanted; ++t) {
    try {
      workers.emplace_back([&, t] {
        gate.wait(0);
        if (t >= gate.load()) return;
        std::feclearexcept(FE_ALL_EXCEPT);
        factor_blocks(shared, t);
        worker_flags[t] = std::fetestexcept(FE_ALL_EXCEPT);
      });
    } catch (const std::system_error&) {
      break;
    }
  }
  shared.thread_count = static_cast<std::int32_t>(workers.size()) + 1;
  gate.store(shared.thread_count);
  gate.notify_all();
  factor_blocks(shared, 0);
  for (std::thread& worker : workers) worker.join();

  if (shared.out_of_memory.load()) throw std::bad_alloc();
  const std::int32_t given_up = shared.given_up.load();
  if (given_up != INT32_MAX) {
    // The rows before it are final and raised none of the checked flags;
    // the plain kernel does the rest and raises what it raises.
    std::fesetexceptflag(&entry_flags, FE_ALL_EXCEPT);
    return FactorProfilePlainFrom(m, given_up);
  }
  int raised = 0;
  for (int flags : worker_flags) raised |= flags;
  if (raised != 0) std::feraiseexcept(raised & (kCheckedFlags | FE_UNDERFLOW | FE_INEXACT));
  return shared.zero_pivot.load();
}

void SetProfileKernel(ProfileKernel kernel) { chosen_kernel.store(kernel); }

ProfileKernel ChosenProfileKernel() { return chosen_kernel.load(); }

std::int32_t FactorProfileChosen(const ProfileMatrix& m, int threads) {
  if (ChosenProfileKernel() == ProfileKernel::kPlain) return FactorProfilePlain(m);
  FastFactorOptions options;
  options.threads = threads;
  return FactorProfileFast(m, options);
}

void SolveProfileChosen(const ProfileMatrix& m, double* f) {
  if (ChosenProfileKernel() == ProfileKernel::kPlain) {
    SolveProfilePlain(m, f);
  } else {
    SolveProfileFast(m, f);
  }
}

}  // namespace kelvane
