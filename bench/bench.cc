// The benchmark: whole runs of models made in memory, per phase, with their
// peak memory; the plain profile factorisation against the fast one; and
// the sparse solver on large models, beside the profile solver where that
// fits and beside CHOLMOD on its own in three orders.
//
//   kelvane_bench [--sizes 100,200,300,400] [--runs 3] [--models solid,wall]
//                 [--no-plain] [--sparse-sizes 400,1000,1430,2000]
//                 [--sparse-runs 3] [--sparse-models solid]
//                 [--auto-sizes 100,150,...,600] [--auto-runs 7] [--auto-models solid,wall]
//
// Each whole run happens in a fresh child process (this program started
// again with --child, CHOLMOD alone with --cholmod), so that its peak
// resident size (VmHWM) is its own. Times are those of the run with the
// median whole time. The kernel comparison runs in this process on one
// assembled matrix per model and size.

#include <unistd.h>

#include <algorithm>
#include <cfenv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_cholmod.h"
#include "bench/bench_run.h"
#include "model/input_reader.h"
#include "platform/memory.h"
#include "solver/profile_factor_fast.h"
#include "solver/solver_choice.h"

namespace kelvane::bench {
namespace {


struct Options {
  std::vector<int> sizes = {100, 200, 300, 400};
  std::vector<std::string> models = {"solid", "wall"};
  int runs = 3;
  bool plain = true;
  std::vector<int> sparse_sizes = {400, 1000, 1430, 2000};
  std::vector<std::string> sparse_models = {"solid"};
  int sparse_runs = 3;
  std::vector<int> auto_sizes = {100, 150, 175, 200, 250, 300, 400, 500, 600};
  std::vector<std::string> auto_models = {"solid", "wall"};
  int auto_runs = 7;
};

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) items.push_back(item);
  return items;
}

std::vector<int> ParseSizes(const std::string& text) {
  std::vector<int> sizes;
  for (const std::string& item : SplitList(text)) sizes.push_back(std::atoi(item.c_str()));
  return sizes;
}

// The options; false for a usage error.
bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool value = i + 1 < argc;
    if (arg == "--sizes" && value) {
      o.sizes = ParseSizes(argv[++i]);
    } else if (arg == "--runs" && value) {
      o.runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--models" && value) {
      o.models = SplitList(argv[++i]);
    } else if (arg == "--no-plain") {
      o.plain = false;
    } else if (arg == "--sparse-sizes" && value) {
      o.sparse_sizes = ParseSizes(argv[++i]);
    } else if (arg == "--sparse-models" && value) {
      o.sparse_models = SplitList(argv[++i]);
    } else if (arg == "--sparse-runs" && value) {
      o.sparse_runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--auto-sizes" && value) {
      o.auto_sizes = ParseSizes(argv[++i]);
    } else if (arg == "--auto-models" && value) {
      o.auto_models = SplitList(argv[++i]);
    } else if (arg == "--auto-runs" && value) {
      o.auto_runs = std::max(1, std::atoi(argv[++i]));
    } else {
      return false;
    }
  }
  return true;
}

// The assembled profile system of a model, ready for the factorisation.
struct Assembled {
  std::int32_t n = 0;
  std::vector<std::int32_t> start;
  std::vector<std::int64_t> diagonal;
  std::vector<double> k;
  std::vector<double> f;
};

Assembled Assemble(const std::string& model_name, int size) {
  Model model = ParseInput(ModelText(model_name, size), model_name + ".inp");
  SolverState s(model, nullptr);
  std::feclearexcept(FE_ALL_EXCEPT);
  RunPhasesThrough(s, PhaseNumber(ImposeFixedTemperatures));
  return {s.NodeCount, std::move(s.ProfileStart), std::move(s.DiagonalIndex),
          std::vector<double>(s.ConductanceProfile.begin(), s.ConductanceProfile.end()),
          std::vector<double>(s.LoadVector.begin(), s.LoadVector.end())};
}

// Times one kernel on fresh copies of the matrix: the median of `runs`.
template <typename Factor>
double TimeFactor(const Assembled& a, std::vector<double>& work, int runs, Factor factor) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    std::copy(a.k.begin(), a.k.end(), work.begin());
    ProfileMatrix m{a.n, a.start.data(), a.diagonal.data(), work.data()};
    const Clock::time_point t0 = Clock::now();
    if (factor(m) != 0) {
      std::fprintf(stderr, "kelvane_bench: zero pivot\n");
      std::exit(1);
    }
    times.push_back(Seconds(t0, Clock::now()));
  }
  return Median(times);
}

std::string SelfPath() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "kelvane_bench";
  path[length] = '\0';
  return path;
}

void PrintMachine() {
  FILE* pipe = popen("lscpu 2>/dev/null", "r");
  if (pipe == nullptr) return;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    if (std::strncmp(line, "Model name:", 11) == 0 || std::strncmp(line, "CPU(s):", 7) == 0 ||
        std::strncmp(line, "L2 cache:", 9) == 0 || std::strncmp(line, "L3 cache:", 9) == 0) {
      std::printf("  %s", line);
    }
  }
  pclose(pipe);
  std::printf("  AVX2: %s, AVX-512: %s\n", ProcessorHasAvx2() ? "yes" : "no",
              ProcessorHasAvx512() ? "yes" : "no");
}

const char* ModelTitle(const std::string& model) {
  return model == "solid" ? "solid block" : "wall and slab";
}

}  // namespace
}  // namespace kelvane::bench

namespace kelvane::bench {
namespace {

// The plain and fast profile kernels on one model's matrix, as one line of
// the kernel table: plain, AVX2 and the build chosen (AVX-512 where there
// is) on one thread, the chosen on its threads; false when any result
// differs from another.
bool KernelLine(const std::string& self, const std::string& model, int n, const Assembled& a,
                const Options& o, double whole_fast, std::string& line) {
  std::vector<double> work(a.k.size());
  double t_plain = 0;
  if (o.plain) {
    t_plain = TimeFactor(a, work, n <= 200 ? o.runs : 1,
                         [](const ProfileMatrix& x) { return FactorProfilePlain(x); });
  }
  const std::vector<double> plain_result = work;
  const double t_avx2 = TimeFactor(a, work, o.runs, [](const ProfileMatrix& x) {
    FastFactorOptions one;
    one.threads = 1;
    one.avx512 = false;
    return FactorProfileFast(x, one);
  });
  bool same = !o.plain ||
              std::memcmp(plain_result.data(), work.data(), work.size() * sizeof(double)) == 0;
  const std::vector<double> avx2_result = work;
  const double t_one = TimeFactor(a, work, o.runs, [](const ProfileMatrix& x) {
    FastFactorOptions one;
    one.threads = 1;
    return FactorProfileFast(x, one);
  });
  same = same && std::memcmp(avx2_result.data(), work.data(), work.size() * sizeof(double)) == 0;
  const double t_fast =
      TimeFactor(a, work, o.runs, [](const ProfileMatrix& x) { return FactorProfileFast(x); });
  same = same && std::memcmp(avx2_result.data(), work.data(), work.size() * sizeof(double)) == 0;
  // The substitutions on the factored matrix.
  ProfileMatrix factored{a.n, a.start.data(), a.diagonal.data(), work.data()};
  std::vector<double> f_plain = a.f, f_fast = a.f;
  Clock::time_point t0 = Clock::now();
  SolveProfilePlain(factored, f_plain.data());
  const double t_solve_plain = Seconds(t0, Clock::now());
  t0 = Clock::now();
  SolveProfileFast(factored, f_fast.data());
  const double t_solve_fast = Seconds(t0, Clock::now());
  same = same && f_plain == f_fast;
  char text[512];
  int used = o.plain ? std::snprintf(text, sizeof text, "%5d %9.3f", n, t_plain)
                     : std::snprintf(text, sizeof text, "%5d %9s", n, "-");
  used += std::snprintf(text + used, sizeof text - used, " %9.3f %9.3f %9.3f %8.2fx %6s %7.3f %7.3f",
                        t_avx2, t_one, t_fast, t_avx2 / t_one, same ? "yes" : "NO",
                        t_solve_plain, t_solve_fast);
  if (o.plain && model == "solid") {
    const double whole_plain = MedianWholeRun(self, model, n, SolverKind::kProfile, true, 1).t[kWhole];
    std::snprintf(text + used, sizeof text - used, " %9.3f %9.3f %7.1fx", whole_plain, whole_fast,
                  whole_plain / whole_fast);
  }
  line = text;
  return same;
}

// Whole profile runs per phase, the same sizes with the sparse solver, and
// the kernels side by side.
bool ProfileSection(const std::string& self, const std::string& model, const Options& o) {
  std::printf("\n%s: whole runs, seconds (the solver's phases grouped)\n", ModelTitle(model));
  std::printf("%5s %8s %10s %7s %7s %7s %7s %7s %7s %7s %7s %6s %8s %8s %5s %7s %8s %6s\n",
              "cells", "nodes", "profile", "read", "mesh", "layout", "assembly", "factor", "solve",
              "write", "whole", "other", "peak MiB", "bound", "", "sparse", "peak MiB", "ratio");
  std::vector<std::string> kernel_lines;
  for (int n : o.sizes) {
    const RunTimes m = MedianWholeRun(self, model, n, SolverKind::kProfile, false, o.runs);
    const RunTimes sp = MedianWholeRun(self, model, n, SolverKind::kSparse, false, o.runs);
    const Assembled a = Assemble(model, n);
    const std::int64_t length = a.diagonal[a.n];
    const double bound = 1.15 * 8 * static_cast<double>(length) / (1024.0 * 1024) + 64;
    const double factor = Phases(m, FactorProfile, FactorProfile);
    std::printf("%5d %8d %10lld %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %5.1f%% %8.1f "
                "%8.1f %5s %7.3f %8.1f %5.2fx\n",
                n, a.n, static_cast<long long>(length), m.t[0],
                Phases(m, SetUpGridLines, CheckEveryPartIsDetermined),
                Phases(m, BuildProfile, BuildProfile),
                Phases(m, AssembleConduction, ImposeFixedTemperatures), factor,
                Phases(m, SolveProfile, FillResultGrid), m.t[kWrite], m.t[kWhole],
                100 * (m.t[kWhole] - factor) / m.t[kWhole], m.peak_mib, bound,
                m.peak_mib <= bound ? "ok" : "OVER", sp.t[kWhole], sp.peak_mib,
                m.t[kWhole] / sp.t[kWhole]);
    std::fflush(stdout);
    std::string line;
    if (!KernelLine(self, model, n, a, o, m.t[kWhole], line)) {
      std::fprintf(stderr, "kelvane_bench: the fast factors differ from the plain ones\n");
      return false;
    }
    kernel_lines.push_back(line);
  }
  std::printf("\n%s: factorisation alone, seconds (plain: median of %d runs up to 200 "
              "cells, else 1)\n", ModelTitle(model), o.runs);
  std::printf("%5s %9s %9s %9s %9s %9s %6s %7s %7s %9s %9s %8s\n", "cells", "plain", "AVX2 1T",
              "chosen 1T", "chosen", "AVX2/ch.", "same", "subst", "subst", "run plain",
              "run fast", "ratio");
  std::printf("%5s %9s %9s %9s %9s %9s %6s %7s %7s\n", "", "", "", "", "", "", "", "plain", "fast");
  for (const std::string& line : kernel_lines) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  return true;
}

// Whether the profile of an n x n model surely fits: its matrix, about
// 8 (n+1)^2 (n+3) bytes, within half the memory there is.
bool ProfileFits(int n) {
  const double bytes = 8.0 * (n + 1.0) * (n + 1.0) * (n + 3.0);
  const std::optional<std::uint64_t> room = AvailableMemory();
  return room && bytes < 0.5 * static_cast<double>(*room);
}

// Whole sparse runs per phase, the profile solver's where it fits, and
// CHOLMOD on its own on the same system in three orders.
void SparseSection(const std::string& self, const std::string& model, const Options& o) {
  std::printf("\n%s, sparse solver: whole runs, seconds, and the profile solver's where it "
              "fits\n", ModelTitle(model));
  std::printf("%5s %9s %7s %7s %7s %7s %7s %7s %7s %7s %8s %8s %8s\n", "cells", "nodes", "read",
              "mesh", "pattern", "assembly", "factor", "solve", "write", "whole", "peak MiB",
              "profile", "peak MiB");
  std::vector<RunTimes> sparse;
  for (int n : o.sparse_sizes) {
    const RunTimes m = MedianWholeRun(self, model, n, SolverKind::kSparse, false, o.sparse_runs);
    sparse.push_back(m);
    std::printf("%5d %9lld %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %8.1f", n,
                (n + 1LL) * (n + 1LL), m.t[0], Phases(m, SetUpGridLines, CheckEveryPartIsDetermined),
                Phases(m, BuildSparseSystem, BuildSparseSystem),
                Phases(m, AssembleConduction, ImposeFixedTemperaturesSparse),
                Phases(m, FactorSparse, FactorSparse), Phases(m, SolveSparse, FillResultGrid),
                m.t[kWrite], m.t[kWhole], m.peak_mib);
    if (ProfileFits(n)) {
      const RunTimes p = MedianWholeRun(self, model, n, SolverKind::kProfile, false, o.sparse_runs);
      std::printf(" %8.3f %8.1f\n", p.t[kWhole], p.peak_mib);
    } else {
      std::printf(" %8s %8s\n", "no room", "");
    }
    std::fflush(stdout);
  }
  std::printf("\n%s, CHOLMOD on its own on the same system: analysis (with the ordering), "
              "factorisation, one solution\n", ModelTitle(model));
  std::printf("%5s %-18s %10s %8s %8s %8s %8s %8s %8s %10s\n", "cells", "ordering", "nnz(L)",
              "Gflop", "analyse", "factor", "solve", "total", "peak MiB", "sparse run");
  for (std::size_t i = 0; i < o.sparse_sizes.size(); ++i) {
    const int n = o.sparse_sizes[i];
    for (SparseOrdering ordering :
         {SparseOrdering::kAsNumbered, SparseOrdering::kAmd, SparseOrdering::kCholmodDefault}) {
      const CholmodTimes t = MedianCholmodRun(self, model, n, ordering, o.sparse_runs);
      std::printf("%5d %-18s %10.4g %8.2f %8.3f %8.3f %8.3f %8.3f %8.1f %9.2fx\n", n,
                  OrderingName(ordering), t.entries, t.flops / 1e9, t.analyse, t.factor, t.solve,
                  t.Total(), t.peak_mib, t.Total() / sparse[i].t[kWhole]);
      std::fflush(stdout);
    }
  }
}

// What --solver=auto predicts for a model: its work and the costs.
struct Prediction {
  ProfileWork profile;
  SparseWork sparse;
};

Prediction Predict(const std::string& model_name, int n) {
  Model model = ParseInput(ModelText(model_name, n), model_name + ".inp");
  SolverState s(model, nullptr);
  std::feclearexcept(FE_ALL_EXCEPT);
  RunPhasesThrough(s, PhaseNumber(CheckEveryPartIsDetermined));
  return {ProfileWorkOf(s), SparseWorkOf(s)};
}

// The solvers' own phases, from the system's layout on.
double OwnPhases(const RunTimes& run) {
  double sum = 0;
  for (int p = PhaseNumber(BuildProfile); p <= kPhaseCount; ++p) sum += run.t[p];
  return sum;
}

// Whole runs with each solver and with auto, taken in turn `runs` times so
// that a change of load falls on all three; the medians, what auto chose
// and predicted, and auto's time against the better of the two.
void AutoSection(const std::string& self, const std::string& model, const Options& o) {
  std::printf("\n%s, --solver=auto: whole runs, seconds, median of %d taken in turn; 'own' is "
              "the solver's phases from the layout on\n", ModelTitle(model), o.auto_runs);
  std::printf("%5s %8s %10s %10s %10s %8s %8s %8s %8s %8s %8s %8s %8s %7s %6s\n", "cells",
              "nodes", "length", "terms", "nd flops", "p own", "p pred", "s own", "s pred",
              "profile", "sparse", "auto", "chose", "worst", "ratio");
  for (int n : o.auto_sizes) {
    const Prediction p = Predict(model, n);
    std::vector<RunTimes> runs[3];
    double worst = 0;
    for (int i = 0; i < o.auto_runs; ++i) {
      runs[0].push_back(OneWholeRun(self, model, n, SolverKind::kProfile, false));
      runs[1].push_back(OneWholeRun(self, model, n, SolverKind::kSparse, false));
      runs[2].push_back(OneWholeRun(self, model, n, SolverKind::kAuto, false));
      const double best = std::min(runs[0].back().t[kWhole], runs[1].back().t[kWhole]);
      worst = std::max(worst, runs[2].back().t[kWhole] / best);
    }
    const RunTimes pr = MedianRun(runs[0]), sp = MedianRun(runs[1]), au = MedianRun(runs[2]);
    std::printf("%5d %8.0f %10.4g %10.4g %10.4g %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8s "
                "%6.2fx %5.2fx\n",
                n, p.profile.nodes, p.profile.length, p.profile.terms, p.sparse.flops,
                OwnPhases(pr), PredictedProfileSeconds(p.profile), OwnPhases(sp),
                PredictedSparseSeconds(p.sparse), pr.t[kWhole], sp.t[kWhole], au.t[kWhole],
                au.solver.c_str(), worst, au.t[kWhole] / std::min(pr.t[kWhole], sp.t[kWhole]));
    std::fflush(stdout);
  }
}

int BenchMain(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--child") {
    return WholeRunChild(argv[2], std::atoi(argv[3]),
                         argc <= 4                          ? SolverKind::kProfile
                         : std::string(argv[4]) == "sparse" ? SolverKind::kSparse
                         : std::string(argv[4]) == "auto"   ? SolverKind::kAuto
                                                            : SolverKind::kProfile,
                         argc > 5 && std::string(argv[5]) == "plain");
  }
  if (argc >= 5 && std::string(argv[1]) == "--cholmod") {
    return CholmodChild(argv[2], std::atoi(argv[3]),
                        static_cast<SparseOrdering>(std::atoi(argv[4])));
  }
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: kelvane_bench [--sizes 100,200,300,400] [--runs 3] "
                 "[--models solid,wall] [--no-plain]\n"
                 "                     [--sparse-sizes 400,1000,1430,2000] [--sparse-runs 3] "
                 "[--sparse-models solid]\n"
                 "                     [--auto-sizes 100,200] [--auto-runs 7] "
                 "[--auto-models solid,wall]\n");
    return 2;
  }
  const std::string self = SelfPath();
  std::printf("Kelvane2D benchmark, median of %d runs (%d for the sparse sizes)\n", o.runs,
              o.sparse_runs);
  PrintMachine();
  for (const std::string& model : o.models) {
    if (!o.sizes.empty() && !ProfileSection(self, model, o)) return 1;
  }
  for (const std::string& model : o.sparse_models) {
    if (!o.sparse_sizes.empty()) SparseSection(self, model, o);
  }
  for (const std::string& model : o.auto_models) {
    if (!o.auto_sizes.empty()) AutoSection(self, model, o);
  }
  return 0;
}

}  // namespace
}  // namespace kelvane::bench

int main(int argc, char** argv) { return kelvane::bench::BenchMain(argc, argv); }
