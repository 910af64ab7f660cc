// The run of one model: its outputs claimed (platform/output_files.h), the
// model read (or made from a detail file) and solved, its cases and its grid
// check solved beside it, every solution checked (report/solution_check.h),
// and what the command line asks written: the report to standard output,
// then the picture, the node table, the result page and the grid file put
// in place, the result last. A run that fails leaves every file as it was.
#pragma once

#include <string>

#include "app/command_line.h"
#include "platform/progress_window.h"

namespace kelvane {

inline constexpr const char* kProgram = "kelvane2d";

struct ModelPaths {
  std::string input;
  std::string result;
};

// What one model's run writes besides its result; empty: nothing.
struct ModelOutputs {
  std::string svg;         // The picture's file,
  std::string svg_case;    //   of this case instead of the model's own values.
  std::string save_input;  // The grid file's.
  std::string nodes;       // The node table's.
  std::string html;        // The result page's.
};

// Runs one model. A failure is reported on the window's line (and as a JSON
// line when the report is JSON) and returns false.
bool RunModel(const ModelPaths& paths, const CommandLine& line, ProgressWindow& window,
              const ModelOutputs& outputs);

}  // namespace kelvane
