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
    } else if (arg.starts_with("--svg-case=") && arg.size() > 11) {
      parsed.line.svg = true;
      parsed.line.svg_case = std::string(arg.substr(11));
    } else if (arg == "--check-grid") {
      parsed.line.check_grid = true;
    } else if (arg == "--nodes") {
      parsed.line.nodes = true;
    } else if (arg.starts_with("--nodes=") && arg.size() > 8) {
      parsed.line.nodes = true;
      parsed.line.nodes_file = std::string(arg.substr(8));
    } else if (arg == "--html") {
      parsed.line.html = true;
    } else if (arg.starts_with("--html=") && arg.size() > 7) {
      parsed.line.html = true;
      parsed.line.html_file = std::string(arg.substr(7));
    } else if (arg == "--save-input") {
      parsed.line.save_input = true;
    } else if (arg.starts_with("--save-input=") && arg.size() > 13) {
      parsed.line.save_input = true;
      parsed.line.save_input_file = std::string(arg.substr(13));
    } else {
      parsed.error = "unknown option '" + std::string(arg) + "'";
      return parsed;
    }
  }
  // What the report gains goes into the result page when there is one.
  if ((parsed.line.coupling || parsed.line.check_grid) && !parsed.line.html &&
      parsed.line.report == ReportFormat::kNone) {
    parsed.line.report = ReportFormat::kText;
  }
  // An option that names one file serves one model.
  const std::size_t models = parsed.line.paths.size();
  for (const auto& [file, option] : {std::pair{&parsed.line.svg_file, "--svg=FILE"},
                                     std::pair{&parsed.line.save_input_file, "--save-input=FILE"},
                                     std::pair{&parsed.line.nodes_file, "--nodes=FILE"},
                                     std::pair{&parsed.line.html_file, "--html=FILE"}}) {
    if (!file->empty() && models > 1) {
      parsed.error = std::string(option) + " names the file of one model, but " +
                     std::to_string(models) + " were given";
    }
  }
  return parsed;
}

std::string UsageText() {
  return R"(Usage: kelvane2d [OPTION]... [PATH]...
Computes the steady two-dimensional temperature field of a model and writes
the nodal temperatures as comma-separated text.

Without PATH, reads kelvane.inp from the program's own folder and writes
kelvane.otp.csv beside it. Each PATH is a detail file (wall.toml: a detail
drawn as shapes with named materials and conditions, from which the program
makes the grid), a grid file (wall.inp: the grid of cell codes itself) or a
folder (its kelvane.inp). The result goes beside the input: wall.toml and
wall.inp give wall.otp.csv, any other name gets .otp.csv appended. Models run
one after another; a model that fails is reported and the others still run.

Options:
  --progress   draw the progress line on stderr even when it is no terminal
  -q, --quiet  draw no progress line
  --report     print the heat flows, surface temperatures, energy balance,
               fRsi and probes of each model on stdout after it, and a detail
               file's psi and cases (--report=json: one JSON object per model
               and line)
  --coupling   add the coupling coefficients L2D between every two
               environments to the report (and to the result page)
  --svg        also draw each model as a picture beside its result
               (wall.inp gives wall.svg)
  --svg=FILE   draw the picture of the one model into FILE
  --svg-case=NAME
               draw the picture of a detail file's case NAME instead of the
               model's own values (implies --svg)
  --check-grid solve each model again with every cell cut into 2 x 2 and
               report whether the heat flows entering it differ by less than
               1 %, as EN ISO 10211 asks (implies --report, unless --html
               takes the answer)
  --nodes      also write the nodal temperatures by coordinates beside each
               result (wall.toml gives wall.nodes.csv: x_mm,y_mm,temperature)
  --nodes=FILE write those of the one model into FILE
  --html       also write each model's result page beside its result
               (wall.toml gives wall.html): one HTML file with the picture, a
               temperature readout under the pointer and the report's
               tables, which opens in any browser and prints on A4
  --html=FILE  write the result page of the one model into FILE
  --save-input
               also write the grid made from each detail file as a grid file
               beside it (wall.toml gives wall.inp); running that file gives
               the same result
  --save-input=FILE
               write the grid of the one model into FILE
  -h, --help   print this help and exit
  --version    print the version, the libraries it was built with and the
               profile kernel this processor gets, and exit

Exit status: 0 when every model was computed, 1 when any failed, 2 for a
usage error, 128 + the signal number when interrupted.

Examples:
  kelvane2d wall.toml  make the grid of the detail wall.toml, compute it into
                       wall.otp.csv beside it
  kelvane2d wall.inp   compute wall.inp into wall.otp.csv beside it
  kelvane2d --coupling --svg wall.inp
                       also print the report with the coupling coefficients,
                       and draw wall.svg
  kelvane2d --html --check-grid wall.toml
                       write wall.html, the result page with the grid check
  kelvane2d -q --report=json studies/*.inp > flows.jsonl
                       one JSON line per model, for scripts
)";
}

}  // namespace kelvane
