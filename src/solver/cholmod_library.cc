#include "solver/cholmod_library.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/error.h"

namespace kelvane {
namespace {

constexpr const char* kOpenBlas = "libopenblas.so.0";
constexpr const char* kCholmod = "libcholmod.so.3";

// Where CHOLMOD lies in memory, once loaded: GOMP_parallel below runs only
// its loops inline.
std::atomic<const void*> cholmod_base{nullptr};

// The object that holds `address`, or nullptr.
const void* ObjectOf(const void* address) {
  Dl_info info{};
  return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

[[noreturn]] void Missing(const std::string& what) {
  const char* why = dlerror();
  throw RunError(ErrorKind::kFileNotFound, "",
                 "the sparse solver needs " + what +
                     " (Debian: libsuitesparse-dev and libopenblas-dev)" +
                     (why != nullptr ? std::string(": ") + why : std::string()));
}

template <typename Function>
void Find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  if (function == nullptr) Missing(std::string(name) + " in " + kCholmod);
}

CholmodLibrary Load() {
  // One BLAS thread to start with (see the header); the factorisation sets
  // its own number. An idle BLAS thread spins before it sleeps, by default
  // for 2^28 cycles, which between the many small calls of a supernodal
  // factorisation takes a core from the rest of the run; 2^20 cycles are a
  // few hundred microseconds (a user's own setting is kept).
  setenv("OPENBLAS_NUM_THREADS", "1", 1);
  setenv("OPENBLAS_THREAD_TIMEOUT", "20", 0);
  // OpenBLAS first and global, so that CHOLMOD's BLAS calls reach it even
  // where the system's libblas.so.3 is the slow reference one.
  void* blas = dlopen(kOpenBlas, RTLD_NOW | RTLD_GLOBAL);
  if (blas == nullptr) Missing(kOpenBlas);
  void* cholmod = dlopen(kCholmod, RTLD_NOW | RTLD_LOCAL);
  if (cholmod == nullptr) Missing(kCholmod);
  CholmodLibrary c;
  Find(cholmod, "cholmod_l_start", c.start);
  Find(cholmod, "cholmod_l_finish", c.finish);
  Find(cholmod, "cholmod_l_analyze_p", c.analyze_p);
  Find(cholmod, "cholmod_l_factorize", c.factorize);
  Find(cholmod, "cholmod_l_solve2", c.solve2);
  Find(cholmod, "cholmod_l_free_factor", c.free_factor);
  Find(cholmod, "cholmod_l_free_dense", c.free_dense);
  Find(cholmod, "SuiteSparse_config", c.config);
  cholmod_base = ObjectOf(reinterpret_cast<const void*>(c.start));
  c.set_blas_threads = reinterpret_cast<void (*)(int)>(dlsym(blas, "openblas_set_num_threads"));
  if (c.set_blas_threads == nullptr) Missing(std::string("openblas_set_num_threads in ") + kOpenBlas);
  return c;
}

}  // namespace

// CHOLMOD spreads a few loops of its supernodal factorisation over OpenMP
// threads: four, whatever the machine, for every supernode of more than 64
// rows, and libgomp wakes them with a system call even when it runs the loop
// alone. On a grid of a million nodes that is a million system calls, for
// loops that only copy numbers. The program therefore defines the one entry
// CHOLMOD calls them through and runs the loop on the calling thread; the
// program exports it (the kelvane target's link options), so that it comes
// before libgomp's. Called outside any parallel region, libgomp's
// omp_get_num_threads and omp_get_thread_num then give 1 and 0, and the loop
// body takes every iteration itself. Any other caller (an OpenBLAS built
// with OpenMP, whose threads wait for each other) gets libgomp's own.
extern "C" void GOMP_parallel(void (*body)(void*), void* data, unsigned threads,
                              unsigned flags) {
  using Parallel = void (*)(void (*)(void*), void*, unsigned, unsigned);
  const void* base = cholmod_base.load();
  if (base == nullptr || ObjectOf(__builtin_return_address(0)) != base) {
    static const auto next = reinterpret_cast<Parallel>(dlsym(RTLD_NEXT, "GOMP_parallel"));
    if (next != nullptr) return next(body, data, threads, flags);
  }
  body(data);
}

const CholmodLibrary& LoadCholmod() {
  static std::mutex mutex;
  static bool loaded = false;
  static CholmodLibrary library;
  std::lock_guard<std::mutex> lock(mutex);
  if (!loaded) {
    library = Load();
    loaded = true;
  }
  return library;
}

cholmod_sparse UpperTriangle(const SparseSystem& k) {
  cholmod_sparse a{};
  a.nrow = a.ncol = static_cast<std::size_t>(k.m);
  a.nzmax = k.row.size();
  a.p = const_cast<std::int64_t*>(k.column_start.data());
  a.i = const_cast<std::int64_t*>(k.row.data());
  a.x = const_cast<double*>(k.value.data());
  a.stype = 1;
  a.itype = CHOLMOD_LONG;
  a.xtype = CHOLMOD_REAL;
  a.dtype = CHOLMOD_DOUBLE;
  a.sorted = 1;
  a.packed = 1;
  return a;
}

std::uint64_t BlasThreadBytes(int threads) {
  return static_cast<std::uint64_t>(threads) * (std::uint64_t{136} << 20);
}

}  // namespace kelvane
