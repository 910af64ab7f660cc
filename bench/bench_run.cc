#include "bench/bench_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "bench/bench_models.h"
#include "model/input_reader.h"
#include "output/result_writer.h"
#include "solver/profile_factor_fast.h"

namespace kelvane::bench {
namespace {


}  // namespace

std::string ModelText(const std::string& model, int n) {
  return model == "solid" ? SolidBlockText(n) : WallSlabText(n);
}

double Phases(const RunTimes& run, PhaseFunction first, PhaseFunction last) {
  double sum = 0;
  for (int p = PhaseNumber(first); p <= PhaseNumber(last); ++p) sum += run.t[p];
  return sum;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

RunTimes MedianRun(std::vector<RunTimes> runs) {
  std::vector<double> peaks;
  for (const RunTimes& r : runs) peaks.push_back(r.peak_mib);
  std::sort(runs.begin(), runs.end(),
            [](const RunTimes& a, const RunTimes& b) { return a.t[kWhole] < b.t[kWhole]; });
  RunTimes m = runs[runs.size() / 2];
  m.peak_mib = Median(peaks);
  return m;
}

double PeakMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return 0;
}

std::string ChildOutput(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    std::fprintf(stderr, "kelvane_bench: cannot start %s\n", command.c_str());
    std::exit(1);
  }
  char buffer[4096];
  std::string out;
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  if (pclose(pipe) != 0) {
    std::fprintf(stderr, "kelvane_bench: child run failed: %s\n%s\n", command.c_str(), out.c_str());
    std::exit(1);
  }
  return out;
}

int WholeRunChild(const std::string& model_name, int n, SolverKind solver, bool plain) {
  if (plain) SetProfileKernel(ProfileKernel::kPlain);
  RunTimes run;
  Model model;
  {
    std::string text = ModelText(model_name, n);
    const Clock::time_point read_start = Clock::now();
    model = ParseInput(text, model_name + ".inp");
    run.t[0] = Seconds(read_start, Clock::now());
  }
  SolverObserver observer;
  int phase = 0;
  Clock::time_point mark = Clock::now();
  observer.on_phase = [&](int next, const char*) {
    const Clock::time_point now = Clock::now();
    if (phase > 0) run.t[phase] += Seconds(mark, now);
    phase = next;
    mark = now;
  };
  const Solution solution = SolveTemperatureField(model, observer, SolverOptions{solver, 0});
  Clock::time_point now = Clock::now();
  run.t[phase] += Seconds(mark, now);
  std::string text = ResultFileText(solution.ResultGrid());
  run.t[kWrite] = Seconds(now, Clock::now());
  // The model text is made, not read: it stays out of the whole run.
  double solve = 0;
  for (int p = 1; p <= kPhaseCount; ++p) solve += run.t[p];
  run.t[kWhole] = run.t[0] + solve + run.t[kWrite];
  std::printf("times");
  for (double x : run.t) std::printf(" %.6f", x);
  std::printf(" peak %.3f bytes %zu solver %s\n", PeakMiB(), text.size(),
              solution.Field().solver);
  return 0;
}

RunTimes OneWholeRun(const std::string& self, const std::string& model, int n, SolverKind solver,
                     bool plain) {
  const std::string command = "'" + self + "' --child " + model + " " + std::to_string(n) + " " +
                              SolverName(solver) + (plain ? " plain" : "");
  std::istringstream in(ChildOutput(command));
  RunTimes run;
  std::string word;
  in >> word;
  for (double& x : run.t) in >> x;
  std::size_t bytes = 0;
  in >> word >> run.peak_mib >> word >> bytes >> word >> run.solver;
  return run;
}

RunTimes MedianWholeRun(const std::string& self, const std::string& model, int n,
                        SolverKind solver, bool plain, int runs) {
  std::vector<RunTimes> all;
  for (int i = 0; i < runs; ++i) all.push_back(OneWholeRun(self, model, n, solver, plain));
  return MedianRun(all);
}

}  // namespace kelvane::bench
