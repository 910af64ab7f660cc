// The command line: kelvane2d [OPTION]... [PATH]...
#pragma once

#include <string>
#include <vector>

#include "report/report.h"
#include "solver/solver.h"

namespace kelvane {

struct CommandLine {
  enum class Progress { kAuto, kShown, kHidden };
  Progress progress = Progress::kAuto;
  bool help = false;
  bool version = false;
  ReportFormat report = ReportFormat::kNone;  // --report, --report=json
  bool coupling = false;  // --coupling (implies a report, or goes into the page)
  bool svg = false;          // --svg: a picture beside each result
  std::string svg_file;      // --svg=FILE: the picture's name, for one model
  bool svg_materials = false;  // --svg=materials: the materials view (--svg=temperature: not)
  std::string svg_case;      // --svg-case=NAME: the picture of that case
  bool save_input = false;   // --save-input: a detail file's grid beside it
  std::string save_input_file;  // --save-input=FILE: the grid of the one model
  bool check_grid = false;   // --check-grid (implies a report)
  bool nodes = false;        // --nodes: the nodal temperatures by coordinates
  std::string nodes_file;    // --nodes=FILE: those of the one model
  bool html = false;         // --html: a result page beside each result
  std::string html_file;     // --html=FILE: the page of the one model
  SolverOptions solver;      // --solver=auto|profile|sparse, --threads=N
  bool solver_given = false;  // Whether --solver was: else auto for a detail
                              // file, profile for a grid file.
  bool strict = false;       // --strict: a warning refuses the model
  bool layers = false;       // --layers: list the layers of each PATH, a DXF drawing
  bool materials = false;    // --materials: list the built-in design conductivities
  std::vector<std::string> paths;  // Model files or folders, in order.
};

struct ParsedCommandLine {
  CommandLine line;
  std::string error;  // Not empty: a usage error, in words.
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// The text --help prints.
std::string UsageText();

}  // namespace kelvane
