#include "app/command_line.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace kelvane {
namespace {

// More threads than this are surely a mistake, not a machine.
constexpr int kMostThreads = 4096;

// --solver=NAME; false with `error` set for any other value.
bool ParseSolver(std::string_view arg, SolverOptions& options, std::string& error) {
  if (arg == "--solver=profile" || arg == "--solver=sparse") {
    options.solver = arg == "--solver=sparse" ? SolverKind::kSparse : SolverKind::kProfile;
    return true;
  }
  error = "--solver takes profile or sparse, as in --solver=sparse";
  return false;
}

// --threads=N; false with `error` set for anything but a count in range.
bool ParseThreads(std::string_view arg, SolverOptions& options, std::string& error) {
  constexpr std::string_view kPrefix = "--threads=";
  const char* first = arg.data() + std::min(arg.size(), kPrefix.size());
  const char* last = arg.data() + arg.size();
  int threads = 0;
  const auto [end, problem] = std::from_chars(first, last, threads);
  if (!arg.starts_with(kPrefix) || first == last || problem != std::errc() || end != last ||
      threads < 1 || threads > kMostThreads) {
    error = "--threads takes a whole number from 1 to " + std::to_string(kMostThreads) +
            ", as in --threads=2";
    return false;
  }
  options.threads = threads;
  return true;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
  ParsedCommandLine parsed;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (options_end || arg.empty() || arg[0] != '-' || arg == "-") {
      parsed.line.paths.emplace_back(arg);
    } else if (arg == "--") {
      options_end = true;
    } else if (arg == "--help" || arg == "-h") {
      parsed.line.help = true;
    } else if (arg == "--version") {
      parsed.line.version = true;
    } else if (arg == "--quiet" || arg == "-q") {
      parsed.line.progress = CommandLine::Progress::kHidden;
    } else if (arg == "--progress") {
      parsed.line.progress = CommandLine::Progress::kShown;
    } else if (arg == "--report" || arg == "--report=text") {
      parsed.line.report = ReportFormat::kText;
    } else if (arg == "--report=json") {
      parsed.line.report = ReportFormat::kJson;
    } else if (arg == "--coupling") {
      parsed.line.coupling = true;
    } else if (arg == "--svg") {
      parsed.line.svg = true;
    } else if (arg.starts_with("--svg=") && arg.size() > 6) {
      parsed.line.svg = true;
      parsed.line.svg_file = std::string(arg.substr(6));
    } else if (arg == "--solver" || arg.starts_with("--solver=")) {
      if (!ParseSolver(arg, parsed.line.solver, parsed.error)) return parsed;
    } else if (arg == "--threads" || arg.starts_with("--threads=")) {
      if (!ParseThreads(arg, parsed.line.solver, parsed.error)) return parsed;
    } else {
      parsed.error = "unknown option '" + std::string(arg) + "'";
      return parsed;
    }
  }
  if (parsed.line.coupling && parsed.line.report == ReportFormat::kNone) {
    parsed.line.report = ReportFormat::kText;
  }
  if (!parsed.line.svg_file.empty() && parsed.line.paths.size() > 1) {
    parsed.error = "--svg=FILE names the picture of one model, but " +
                   std::to_string(parsed.line.paths.size()) + " were given";
  }
  return parsed;
}

std::string UsageText() {
  return R"(Usage: kelvane2d [OPTION]... [PATH]...
Computes the steady two-dimensional temperature field of a model and writes
the nodal temperatures as comma-separated text.

Without PATH, reads kelvane.inp from the program's own folder and writes
kelvane.otp.csv beside it. Each PATH is a model file (wall.inp gives
wall.otp.csv beside it; any other name gets .otp.csv appended) or a folder
(its kelvane.inp and kelvane.otp.csv). Models run one after another; a model
that fails is reported and the others still run.

Options:
  --progress   draw the progress line on stderr even when it is no terminal
  -q, --quiet  draw no progress line
  --report     print the heat flows, surface temperatures, energy balance and
               fRsi of each model on stdout after it (--report=json: one
               JSON object per model and line)
  --coupling   add the coupling coefficients L2D between every two
               environments to the report
  --svg        also draw each model as a picture beside its result
               (wall.inp gives wall.svg)
  --svg=FILE   draw the picture of the one model into FILE
  --solver=profile  solve by the profile method (the default): exact to the
               bit, for models up to about 800 x 800 cells
  --solver=sparse   solve by sparse Cholesky (CHOLMOD) in nested-dissection
               order: far less time and memory for large models, the same
               temperatures to about 1E-12 of their range
  --threads=N  factor on N threads (default: one per core the program may
               run on)
  -h, --help   print this help and exit
  --version    print the version and exit

Exit status: 0 when every model was computed, 1 when any failed, 2 for a
usage error.
)";
}

}  // namespace kelvane
