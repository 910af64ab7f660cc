// The benchmark: whole runs of models made in memory, per phase, with their
// peak memory, and the plain factorisation against the fast one.
//
//   kelvane_bench [--sizes 100,200,300,400] [--runs 3] [--models solid,wall]
//                 [--no-plain]
//
// Each whole run happens in a fresh child process (this program started
// again with --child), so that its peak resident size (VmHWM) is its own.
// Times are those of the run with the median whole time of --runs runs. The kernel comparison runs in this
// process on one assembled matrix per model and size.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cfenv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_models.h"
#include "model/input_reader.h"
#include "output/result_writer.h"
#include "solver/profile_factor_fast.h"
#include "solver/solver_state.h"

namespace kelvane::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

std::string ModelText(const std::string& model, int n) {
  return model == "solid" ? SolidBlockText(n) : WallSlabText(n);
}

// One whole run's times: [0] reading, [1..kPhaseCount] the solver phases,
// [kWrite] writing the result text, [kWhole] the whole run; and its peak
// memory.
constexpr int kWrite = kPhaseCount + 1;
constexpr int kWhole = kPhaseCount + 2;
struct RunTimes {
  std::vector<double> t = std::vector<double>(kWhole + 1, 0.0);
  double peak_mib = 0;
};

// The summed times of phases `first` .. `last`, named by their functions.
double Phases(const RunTimes& run, PhaseFunction first, PhaseFunction last) {
  double sum = 0;
  for (int p = PhaseNumber(first); p <= PhaseNumber(last); ++p) sum += run.t[p];
  return sum;
}

double PeakMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return 0;
}

// --child MODEL N [plain]: one whole run, its times and peak on stdout.
int ChildMain(const std::string& model_name, int n, bool plain) {
  if (plain) SetProfileKernel(ProfileKernel::kPlain);
  RunTimes run;
  Model model;
  {
    std::string text = ModelText(model_name, n);
    const Clock::time_point read_start = Clock::now();
    model = ParseInput(text, model_name + ".inp");
    run.t[0] = Seconds(read_start, Clock::now());
  }
  Table2<Cell> result;
  SolverObserver observer;
  int phase = 0;
  Clock::time_point mark = Clock::now();
  observer.on_phase = [&](int next, const char*) {
    const Clock::time_point now = Clock::now();
    if (phase > 0) run.t[phase] += Seconds(mark, now);
    phase = next;
    mark = now;
  };
  SolveTemperatureField(model, result, observer);
  Clock::time_point now = Clock::now();
  run.t[phase] += Seconds(mark, now);
  std::string text = ResultFileText(result);
  run.t[kWrite] = Seconds(now, Clock::now());
  // The model text is made, not read: it stays out of the whole run.
  double solve = 0;
  for (int p = 1; p <= kPhaseCount; ++p) solve += run.t[p];
  run.t[kWhole] = run.t[0] + solve + run.t[kWrite];
  std::printf("times");
  for (double x : run.t) std::printf(" %.6f", x);
  std::printf(" peak %.3f bytes %zu\n", PeakMiB(), text.size());
  return 0;
}

RunTimes RunChild(const std::string& self, const std::string& model, int n, bool plain) {
  std::string command = "'" + self + "' --child " + model + " " + std::to_string(n) +
                        (plain ? " plain" : "");
  RunTimes run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::string out;
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  if (pclose(pipe) != 0) {
    std::fprintf(stderr, "kelvane_bench: child run failed: %s\n", out.c_str());
    std::exit(1);
  }
  std::istringstream in(out);
  std::string word;
  in >> word;
  for (double& x : run.t) in >> x;
  in >> word >> run.peak_mib;
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The run whose whole time is the median, so that its phases add up to
// its whole; and the median peak.
RunTimes MedianRun(std::vector<RunTimes> runs) {
  std::vector<double> peaks;
  for (const RunTimes& r : runs) peaks.push_back(r.peak_mib);
  std::sort(runs.begin(), runs.end(),
            [](const RunTimes& a, const RunTimes& b) { return a.t[kWhole] < b.t[kWhole]; });
  RunTimes m = runs[runs.size() / 2];
  m.peak_mib = Median(peaks);
  return m;
}

// The assembled system of a model, ready for the factorisation.
struct Assembled {
  std::int32_t n = 0;
  std::vector<std::int32_t> start;
  std::vector<std::int64_t> diagonal;
  std::vector<double> k;
  std::vector<double> f;
};

Assembled Assemble(const std::string& model_name, int size) {
  Model model = ParseInput(ModelText(model_name, size), model_name + ".inp");
  Table2<Cell> result;
  SolverObserver observer;
  SolverState s(model, result, observer);
  std::feclearexcept(FE_ALL_EXCEPT);
  RunPhasesThrough(s, PhaseNumber(ImposeFixedTemperatures));
  return {s.NodeCount, std::move(s.ProfileStart), std::move(s.DiagonalIndex),
          std::vector<double>(s.ConductanceProfile.begin(), s.ConductanceProfile.end()),
          std::move(s.LoadVector)};
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

std::vector<int> ParseSizes(const std::string& text) {
  std::vector<int> sizes;
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) sizes.push_back(std::atoi(item.c_str()));
  return sizes;
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
  std::printf("  AVX2: %s\n", ProcessorHasAvx2() ? "yes" : "no");
}

int BenchMain(int argc, char** argv) {
  std::vector<int> sizes = {100, 200, 300, 400};
  std::vector<std::string> models = {"solid", "wall"};
  int runs = 3;
  bool plain = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--child" && i + 2 < argc) {
      return ChildMain(argv[i + 1], std::atoi(argv[i + 2]),
                       i + 3 < argc && std::string(argv[i + 3]) == "plain");
    } else if (arg == "--sizes" && i + 1 < argc) {
      sizes = ParseSizes(argv[++i]);
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--models" && i + 1 < argc) {
      models.clear();
      std::istringstream in(argv[++i]);
      std::string item;
      while (std::getline(in, item, ',')) models.push_back(item);
    } else if (arg == "--no-plain") {
      plain = false;
    } else {
      std::fprintf(stderr,
                   "usage: kelvane_bench [--sizes 100,200,300,400] [--runs 3] "
                   "[--models solid,wall] [--no-plain]\n");
      return 2;
    }
  }
  const std::string self = SelfPath();
  std::printf("Kelvane2D benchmark, median of %d runs\n", runs);
  PrintMachine();

  for (const std::string& model : models) {
    std::printf("\n%s: whole runs, seconds (the solver's phases grouped)\n",
                model == "solid" ? "solid block" : "wall and slab");
    std::printf("%5s %8s %10s %7s %7s %7s %7s %7s %7s %7s %7s %6s %8s %8s %5s\n", "cells",
                "nodes", "profile", "read", "mesh", "layout", "assembly", "factor", "solve", "write",
                "whole", "other", "peak MiB", "bound", "");
    std::vector<std::string> kernel_lines;
    for (int n : sizes) {
      std::vector<RunTimes> all;
      for (int i = 0; i < runs; ++i) all.push_back(RunChild(self, model, n, false));
      RunTimes m = MedianRun(all);
      Assembled a = Assemble(model, n);
      const std::int64_t length = a.diagonal[a.n];
      const double bound = 1.15 * 8 * static_cast<double>(length) / (1024.0 * 1024) + 64;
      const double mesh = Phases(m, SetUpGridLines, CheckEveryPartIsDetermined);
      const double factor = Phases(m, FactorProfile, FactorProfile);
      const double other = m.t[kWhole] - factor;
      std::printf("%5d %8d %10lld %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %5.1f%% %8.1f %8.1f %5s\n",
                  n, a.n, static_cast<long long>(length), m.t[0], mesh,
                  Phases(m, BuildProfile, BuildProfile),
                  Phases(m, AssembleConduction, ImposeFixedTemperatures), factor,
                  Phases(m, SolveProfile, FillResultGrid), m.t[kWrite], m.t[kWhole],
                  100 * other / m.t[kWhole], m.peak_mib, bound, m.peak_mib <= bound ? "ok" : "OVER");
      std::fflush(stdout);

      // The kernels on the same matrix.
      std::vector<double> work(a.k.size());
      const int plain_runs = n <= 200 ? runs : 1;
      double t_plain = 0, t_whole_plain = 0;
      if (plain) {
        t_plain = TimeFactor(a, work, plain_runs, [](const ProfileMatrix& x) {
          return FactorProfilePlain(x);
        });
      }
      std::vector<double> plain_result = work;
      const double t_one = TimeFactor(a, work, runs, [](const ProfileMatrix& x) {
        FastFactorOptions one;
        one.threads = 1;
        return FactorProfileFast(x, one);
      });
      const double t_fast = TimeFactor(a, work, runs, [](const ProfileMatrix& x) {
        return FactorProfileFast(x);
      });
      bool same =
          !plain || std::memcmp(plain_result.data(), work.data(), work.size() * sizeof(double)) == 0;
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
      if (plain && model == "solid") t_whole_plain = RunChild(self, model, n, true).t[kWhole];
      char line[512];
      if (plain) {
        int used = std::snprintf(line, sizeof line,
                                 "%5d %9.3f %9.3f %9.3f %7.1fx %7.1fx %6s %7.3f %7.3f", n, t_plain,
                                 t_one, t_fast, t_plain / t_one, t_plain / t_fast,
                                 same ? "yes" : "NO", t_solve_plain, t_solve_fast);
        if (t_whole_plain > 0) {
          std::snprintf(line + used, sizeof line - used, " %9.3f %9.3f %7.1fx", t_whole_plain,
                        m.t[kWhole], t_whole_plain / m.t[kWhole]);
        }
      } else {
        std::snprintf(line, sizeof line, "%5d %9s %9.3f %9.3f %8s %8s %6s %7.3f %7.3f", n, "-",
                      t_one, t_fast, "", "", "", t_solve_plain, t_solve_fast);
      }
      kernel_lines.push_back(line);
      if (!same) {
        std::fprintf(stderr, "kelvane_bench: the fast factors differ from the plain ones\n");
        return 1;
      }
    }
    std::printf("\n%s: factorisation alone, seconds (plain: median of %d runs up to 200 "
                "cells, else 1)\n",
                model == "solid" ? "solid block" : "wall and slab", runs);
    std::printf("%5s %9s %9s %9s %8s %8s %6s %7s %7s %9s %9s %8s\n", "cells", "plain",
                "fast 1T", "fast", "ratio 1T", "ratio", "same", "subst", "subst", "run plain",
                "run fast", "ratio");
    std::printf("%5s %9s %9s %9s %8s %8s %6s %7s %7s\n", "", "", "", "", "", "", "", "plain",
                "fast");
    for (const std::string& line : kernel_lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace
}  // namespace kelvane::bench

int main(int argc, char** argv) { return kelvane::bench::BenchMain(argc, argv); }
