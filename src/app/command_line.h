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
  bool coupling = false;                      // --coupling (implies a report)
  bool svg = false;          // --svg: a picture beside each result
  std::string svg_file;      // --svg=FILE: the picture's name, for one model
  SolverOptions solver;      // --solver=profile|sparse, --threads=N
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
