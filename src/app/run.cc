#include "app/run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <optional>
#include <vector>

#include "app/command_line.h"
#include "model/input_reader.h"
#include "output/result_writer.h"
#include "picture/svg.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/interrupt.h"
#include "platform/program_folder.h"
#include "platform/progress_window.h"
#include "platform/settings_store.h"
#include "report/report.h"
#include "solver/solver.h"

namespace kelvane {
namespace {

constexpr const char* kProgram = "kelvane2d";

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Reads, solves and writes one model, with its report as `line` asks and its
// picture when `svg_path` is not empty; a failure is reported on the
// window's line and returns false.
bool RunModel(const ModelPaths& paths, const ReaderSettings& settings, const CommandLine& line,
              ProgressWindow& window, const std::string& svg_path) {
  window.SetModel(paths.input);
  SolverObserver observer;
  observer.on_phase = [&window](int phase, const char* name) {
    window.Yield(phase, kPhaseCount, name);
  };
  observer.on_warning = [&window, &paths](const std::string& warning) {
    window.PrintLine(std::string(kProgram) + ": warning: " + paths.input + ": " + warning);
  };
  // The report and the picture are worked out while the run's state lives;
  // the picture is written before the result, the report printed after it.
  std::optional<ModelReport> report;
  std::string picture;
  observer.on_solved = [&](const SolvedField& field) {
    if (line.report != ReportFormat::kNone) {
      report = BuildReport(field, paths.input, line.coupling);
    }
    if (!svg_path.empty()) picture = DrawSvgPicture(field).text;
  };
  auto fail = [&](const std::string& message) {
    window.PrintLine(std::string(kProgram) + ": error: " + message);
    if (line.report == ReportFormat::kJson) {
      window.PrintText(stdout, ReportErrorJson(paths.input, message));
    }
  };
  try {
    Model model = ReadInputFile(paths.input, settings);
    Table2<Cell> result_grid;
    try {
      SolveTemperatureField(model, result_grid, observer, line.solver);
    } catch (RunError& e) {
      e.AddOuterPlace(paths.input);
      throw;
    }
    // The picture first: a run that fails on it writes no result.
    if (!svg_path.empty()) ReplaceFileAtomically(svg_path, picture);
    WriteResultFile(paths.result, result_grid);
    if (report) {
      window.PrintText(stdout, line.report == ReportFormat::kJson ? ReportJson(*report)
                                                                   : ReportText(*report));
    }
    return true;
  } catch (const RunError& e) {
    fail(e.what());
  } catch (const std::bad_alloc&) {
    fail(paths.input + ": " + ErrorKindText(ErrorKind::kOutOfMemory) +
         ": the model's tables do not fit in memory");
  } catch (const std::exception& e) {
    fail(paths.input + ": " + e.what());
  }
  return false;
}

}  // namespace

ModelPaths PathsFor(const std::string& path) {
  if (IsFolder(path)) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return {JoinPath(folder, kInputFileName), JoinPath(folder, kResultFileName)};
  }
  const std::string extension = ".inp";
  std::string base = path;
  std::size_t slash = path.find_last_of('/');
  std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
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
  if (line.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (line.version) {
    std::printf("%s %s\n", kProgram, kVersion);
    return 0;
  }
  InstallInterruptHandlers();
  const bool draw = line.progress == CommandLine::Progress::kShown ||
                    (line.progress == CommandLine::Progress::kAuto && isatty(STDERR_FILENO));
  ProgressWindow frm_main(draw, stderr);

  // 1. The program's folder into the settings store, before any input.
  std::string program_folder;
  try {
    program_folder = ProgramFolder();
  } catch (const RunError& e) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, e.what());
    return 1;
  }
  if (auto warning = WriteSettingsValue("Tessel", std::string(ProgressWindow::kCaption) + "1",
                                        "slvpath", program_folder)) {
    frm_main.PrintLine(std::string(kProgram) + ": warning: " + *warning);
  }
  // 2-3. The progress window with its start caption.
  frm_main.Show();
  frm_main.SetLabel("計算開始");
  // 4-5. Folder, file names and units.
  const std::string app_folder = program_folder;
  ReaderSettings settings;
  settings.LengthUnit = "mm";
  settings.HeatUnit = "si";
  std::vector<ModelPaths> models;
  if (line.paths.empty()) {
    models.push_back({JoinPath(app_folder, kInputFileName), JoinPath(app_folder, kResultFileName)});
  } else {
    for (const std::string& path : line.paths) models.push_back(PathsFor(path));
  }
  // 6-7. Read, solve and write each model.
  bool all_done = true;
  for (const ModelPaths& paths : models) {
    const std::string svg_path =
        !line.svg ? "" : !line.svg_file.empty() ? line.svg_file : PicturePathFor(paths.result);
    if (!RunModel(paths, settings, line, frm_main, svg_path)) all_done = false;
  }
  // 8-10. The end caption; the window goes.
  frm_main.SetLabel("計算終了");
  frm_main.Unload();
  return all_done ? 0 : 1;
}

}  // namespace kelvane
