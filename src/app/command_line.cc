#include "app/command_line.h"

#include <charconv>
#include <string_view>
#include <utility>

#include "platform/error.h"

namespace kelvane {
namespace {

// More threads than this are surely a mistake, not a machine.
constexpr int kMostThreads = 4096;

// What an option does with its value ("" when it has none); false with
// `error` set for a value it does not take.
using ApplyOption = bool (*)(CommandLine& line, std::string_view value, std::string& error);

// One option of the table below. An option that takes a value has it after
// '=' ("--svg=wall.svg"); an empty value is no value. A plain option sets
// `flag` and, given a value, `file`; any other says what it does in `apply`.
struct OptionRule {
  std::string_view name;
  std::string_view short_name;  // "-q", or empty.
  enum class Value { kNone, kOptional, kRequired } value = Value::kNone;
  bool CommandLine::*flag = nullptr;
  std::string CommandLine::*file = nullptr;
  ApplyOption apply = nullptr;
};

bool SetReport(CommandLine& line, std::string_view value, std::string& error) {
  if (value.empty() || value == "text") {
    line.report = ReportFormat::kText;
  } else if (value == "json") {
    line.report = ReportFormat::kJson;
  } else {
    error = "--report takes =json or nothing, not '" + Printable(value) + "'";
    return false;
  }
  return true;
}

bool SetSolver(CommandLine& line, std::string_view value, std::string& error) {
  for (SolverKind kind : {SolverKind::kProfile, SolverKind::kSparse, SolverKind::kAuto}) {
    if (value == SolverName(kind)) {
      line.solver.solver = kind;
      line.solver_given = true;
      return true;
    }
  }
  error = "--solver takes auto, profile or sparse, as in --solver=sparse";
  return false;
}

bool SetThreads(CommandLine& line, std::string_view value, std::string& error) {
  int threads = 0;
  const char* last = value.data() + value.size();
  const auto [end, problem] = std::from_chars(value.data(), last, threads);
  if (value.empty() || problem != std::errc() || end != last || threads < 1 ||
      threads > kMostThreads) {
    error = "--threads takes a whole number from 1 to " + std::to_string(kMostThreads) +
            ", as in --threads=2";
    return false;
  }
  line.solver.threads = threads;
  return true;
}

// --svg, --svg=temperature or --svg=materials (the view), --svg=FILE. A
// file of either name is written ./materials. Given twice, as in
// --svg=materials --svg=wall.svg, both hold.
bool SetSvg(CommandLine& line, std::string_view value, std::string&) {
  line.svg = true;
  if (value == "temperature" || value == "materials") {
    line.svg_materials = value == "materials";
  } else if (!value.empty()) {
    line.svg_file = std::string(value);
  }
  return true;
}

using V = OptionRule::Value;
using C = CommandLine;
constexpr OptionRule kOptions[] = {
    {"--help", "-h", V::kNone, &C::help},
    {"--version", "", V::kNone, &C::version},
    {"--quiet", "-q", V::kNone, nullptr, nullptr,
     [](CommandLine& line, std::string_view, std::string&) {
       line.progress = CommandLine::Progress::kHidden;
       return true;
     }},
    {"--progress", "", V::kNone, nullptr, nullptr,
     [](CommandLine& line, std::string_view, std::string&) {
       line.progress = CommandLine::Progress::kShown;
       return true;
     }},
    {"--report", "", V::kOptional, nullptr, nullptr, SetReport},
    {"--coupling", "", V::kNone, &C::coupling},
    {"--svg", "", V::kOptional, nullptr, nullptr, SetSvg},
    {"--svg-case", "", V::kRequired, &C::svg, &C::svg_case},
    {"--check-grid", "", V::kNone, &C::check_grid},
    {"--nodes", "", V::kOptional, &C::nodes, &C::nodes_file},
    {"--html", "", V::kOptional, &C::html, &C::html_file},
    {"--save-input", "", V::kOptional, &C::save_input, &C::save_input_file},
    {"--solver", "", V::kRequired, nullptr, nullptr, SetSolver},
    {"--threads", "", V::kRequired, nullptr, nullptr, SetThreads},
    {"--strict", "", V::kNone, &C::strict},
    {"--layers", "", V::kNone, &C::layers},
    {"--materials", "", V::kNone, &C::materials},
};

// Whether `rule` takes the value an argument has (`given`: it has '=').
bool TakesValue(const OptionRule& rule, bool given, std::string_view value) {
  switch (rule.value) {
    case V::kNone: return !given;
    case V::kOptional: return !given || !value.empty();
    case V::kRequired: return rule.apply != nullptr || !value.empty();
  }
  return false;
}

bool ApplyRule(const OptionRule& rule, CommandLine& line, std::string_view value,
               std::string& error) {
  if (rule.apply) return rule.apply(line, value, error);
  line.*rule.flag = true;
  if (!value.empty()) line.*rule.file = std::string(value);
  return true;
}

// Applies one option; false with `error` set when it is not one or its
// value is wrong.
bool ApplyOneOption(std::string_view arg, CommandLine& line, std::string& error) {
  const std::size_t equals = arg.find('=');
  const std::string_view name = arg.substr(0, equals);
  const std::string_view value = equals == arg.npos ? "" : arg.substr(equals + 1);
  for (const OptionRule& rule : kOptions) {
    if (arg == rule.short_name) return ApplyRule(rule, line, "", error);
    if (name != rule.name) continue;
    if (TakesValue(rule, equals != arg.npos, value) && ApplyRule(rule, line, value, error)) {
      return true;
    }
    break;
  }
  if (error.empty()) error = "unknown option '" + Printable(arg) + "'";
  return false;
}

// What follows from the options together.
void CheckTogether(ParsedCommandLine& parsed) {
  CommandLine& line = parsed.line;
  // What the report gains goes into the result page when there is one.
  if ((line.coupling || line.check_grid) && !line.html && line.report == ReportFormat::kNone) {
    line.report = ReportFormat::kText;
  }
  if (line.layers && line.paths.empty()) {
    parsed.error = "--layers lists the layers of DXF drawings: name them, as in "
                   "kelvane2d --layers frame.dxf";
    return;
  }
  // An option that names one file serves one model.
  const std::size_t models = line.paths.size();
  for (const auto& [file, option] : {std::pair{&line.svg_file, "--svg=FILE"},
                                     std::pair{&line.save_input_file, "--save-input=FILE"},
                                     std::pair{&line.nodes_file, "--nodes=FILE"},
                                     std::pair{&line.html_file, "--html=FILE"}}) {
    if (!file->empty() && models > 1) {
      parsed.error = std::string(option) + " names the file of one model, but " +
                     std::to_string(models) + " were given";
    }
  }
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
    } else if (!ApplyOneOption(arg, parsed.line, parsed.error)) {
      return parsed;
    }
  }
  CheckTogether(parsed);
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
  --progress         draw the progress line on stderr even when it is not a
                     terminal
  -q, --quiet        draw no progress line
  --report           print the heat flows, surface temperatures, energy
                     balance, fRsi and probes of each model on stdout after it,
                     and a detail file's psi and cases (--report=json: one JSON
                     object per model and line)
  --coupling         add the coupling coefficients L2D between every two
                     environments to the report (and to the result page)
  --svg              also draw each model as a picture beside its result
                     (wall.inp gives wall.svg)
  --svg=FILE         draw the picture of the one model into FILE
  --svg=materials    draw the materials map instead of the temperature field
                     (--svg=temperature, the default); with --svg=FILE too,
                     the picture of the one model into FILE
  --svg-case=NAME    draw the picture of a detail file's case NAME instead of
                     the model's own values (implies --svg)
  --check-grid       solve each model again on a finer grid (a detail file's
                     made again with every cell size halved, a grid file's
                     cells cut into 2 x 2) and report whether the heat flows
                     entering it differ by less than 1 %, as EN ISO 10211
                     asks (implies --report, unless --html takes the answer)
  --nodes            also write the nodal temperatures by coordinates beside
                     each result as x_mm,y_mm,temperature (wall.toml gives
                     wall.nodes.csv)
  --nodes=FILE       write those of the one model into FILE
  --html             also write each model's result page beside its result
                     (wall.toml gives wall.html): one HTML file with the
                     picture, a temperature readout under the pointer and the
                     report's tables, which opens in any browser and prints
                     on A4
  --html=FILE        write the result page of the one model into FILE
  --save-input       also write the grid made from each detail file as a grid
                     file beside it (wall.toml gives wall.inp); running that
                     file gives the same result
  --save-input=FILE  write the grid of the one model into FILE
  --solver=auto      solve by whichever of the two methods below is predicted
                     to be faster for the model: the profile method for small
                     models (up to some 25 000 to 35 000 nodes), sparse
                     Cholesky for larger ones; the report says which ran and
                     why (the default for detail files)
  --solver=profile   solve by the profile method (the default for grid
                     files): exact to the bit, the same result on every
                     machine; best for small models
  --solver=sparse    solve by sparse Cholesky (CHOLMOD) in nested-dissection
                     order: far less time and memory for large models
                     (1000 x 1000 cells in a few seconds and 1 GiB), the same
                     temperatures to better than 1E-10 of their range
  --threads=N        factor on N threads, at most one per core the program may
                     run on (the default)
  --strict           refuse a model that gives a warning (a void between two
                     materials, a condition that touches nothing, a value or
                     a size out of scale), as an error: exit 1, no result
  --layers           list the layers of each PATH, a DXF drawing, with the
                     closed outlines, open chains and other entities on each,
                     and the drawing's extent, and exit: what a detail file's
                     layer shapes take
  --materials        list the design conductivities a detail file may name a
                     material by ({ library = "..." }), each with its source,
                     and exit
  -h, --help         print this help and exit
  --version          print the version, the libraries it was built with and the
                     profile kernel this processor gets, and exit

A FILE of - is standard output. A model's files are written only once it
has been computed: one that fails, or is interrupted, leaves every earlier
file as it was.

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
  kelvane2d --layers frame.dxf
                       list the layers of the drawing frame.dxf
  kelvane2d -q --report=json studies/*.inp > flows.jsonl
                       one JSON line per model, for scripts
)";
}

}  // namespace kelvane
