#include "app/run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <optional>
#include <vector>

#include "app/command_line.h"
#include "app/layers_listing.h"
#include "app/model_run.h"
#include "app/model_source.h"
#include "app/version.h"
#include "detail/material_library.h"
#include "output/result_writer.h"
#include "picture/svg.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/interrupt.h"
#include "platform/program_folder.h"
#include "platform/progress_window.h"
#include "platform/settings_store.h"
#include "platform/standard_output.h"
#include "report/report.h"
#include "solver/solver.h"

namespace kelvane {
namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The files a model's run writes besides its result.
ModelOutputs OutputsFor(const ModelPaths& paths, const CommandLine& line) {
  ModelOutputs outputs;
  if (line.svg) {
    outputs.svg = !line.svg_file.empty() ? line.svg_file : BesideResult(paths.result, ".svg");
  }
  outputs.svg_case = line.svg_case;
  if (line.nodes) {
    outputs.nodes =
        !line.nodes_file.empty() ? line.nodes_file : BesideResult(paths.result, ".nodes.csv");
  }
  if (line.html) {
    outputs.html = !line.html_file.empty() ? line.html_file : BesideResult(paths.result, ".html");
  }
  if (!line.save_input_file.empty()) {
    outputs.save_input = line.save_input_file;
  } else if (line.save_input && IsDetailFile(paths.input)) {
    outputs.save_input = BesideResult(paths.result, ".inp");
  }
  return outputs;
}

}  // namespace

std::string BesideResult(const std::string& result_path, const std::string& extension) {
  const std::string tail = ".otp.csv";
  if (result_path.size() > tail.size() && EndsWith(result_path, tail)) {
    return result_path.substr(0, result_path.size() - tail.size()) + extension;
  }
  return result_path + extension;
}

ModelPaths PathsFor(const std::string& path) {
  if (IsFolder(path)) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return {JoinPath(folder, kInputFileName), JoinPath(folder, kResultFileName)};
  }
  std::string base = path;
  std::size_t slash = path.find_last_of('/');
  std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const std::string extension = IsDetailFile(path) ? ".toml" : ".inp";
  if (EndsWith(path, extension) && path.size() - extension.size() > name_start) {
    base = path.substr(0, path.size() - extension.size());
  }
  return {path, base + ".otp.csv"};
}

int RunMain(int argc, const char* const* argv) {
  ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "%s: usage error: %s\nTry '%s --help'.\n", kProgram,
                 parsed.error.c_str(), kProgram);
    return 2;
  }
  const CommandLine& line = parsed.line;
  if (line.help || line.version || line.materials) {
    try {
      WriteStandardOutput(line.help      ? UsageText()
                          : line.version ? VersionLine() + "\n"
                                         : MaterialLibraryText());
    } catch (const RunError& e) {
      std::fprintf(stderr, "%s: error: %s\n", kProgram, e.what());
      return 1;
    }
    return 0;
  }
  if (line.layers) return ListLayers(line.paths);
  InstallInterruptHandlers();
  const bool draw = line.progress == CommandLine::Progress::kShown ||
                    (line.progress == CommandLine::Progress::kAuto && isatty(STDERR_FILENO));
  ProgressWindow progress(draw, stderr);

  // The program's folder goes into the settings store before any input is
  // read, so that other tools find the program even when a run fails.
  std::string program_folder;
  try {
    program_folder = ProgramFolder();
  } catch (const RunError& e) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, e.what());
    return 1;
  }
  if (auto warning = WriteSettingsValue("Tessel", std::string(ProgressWindow::kCaption) + "1",
                                        "slvpath", program_folder)) {
    progress.PrintLine(std::string(kProgram) + ": warning: " + *warning);
  }
  progress.Start();
  progress.SetStage("計算開始");
  std::vector<ModelPaths> models;
  if (line.paths.empty()) {
    models.push_back(
        {JoinPath(program_folder, kInputFileName), JoinPath(program_folder, kResultFileName)});
  } else {
    for (const std::string& path : line.paths) models.push_back(PathsFor(path));
  }
  bool all_done = true;
  for (const ModelPaths& paths : models) {
    if (!RunModel(paths, line, progress, OutputsFor(paths, line))) all_done = false;
  }
  progress.SetStage("計算終了");
  progress.Close();
  return all_done ? 0 : 1;
}

}  // namespace kelvane
