#include "app/command_line.h"

#include <string_view>

namespace kelvane {

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
  -h, --help   print this help and exit
  --version    print the version, the libraries it was built with and the
               profile kernel this processor gets, and exit

Exit status: 0 when every model was computed, 1 when any failed, 2 for a
usage error, 128 + the signal number when interrupted.

Examples:
  kelvane2d wall.inp   compute wall.inp into wall.otp.csv beside it
  kelvane2d --coupling --svg wall.inp
                       also print the report with the coupling coefficients,
                       and draw wall.svg
  kelvane2d -q --report=json studies/*.inp > flows.jsonl
                       one JSON line per model, for scripts
)";
}

}  // namespace kelvane
