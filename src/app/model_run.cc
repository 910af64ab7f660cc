#include "app/model_run.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <new>
#include <optional>

#include "app/model_source.h"
#include "app/version.h"
#include "model/subdivide.h"
#include "output/result_writer.h"
#include "picture/svg.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "report/cases.h"
#include "report/grid_check.h"
#include "report/html_page.h"
#include "report/node_table.h"
#include "report/page_field.h"
#include "report/report.h"
#include "solver/solver.h"

namespace kelvane {
namespace {

// One model's run: what it was asked for and what it has made so far.
struct ModelRun {
  const ModelPaths& paths;
  const CommandLine& line;
  const ModelOutputs& outputs;
  const LoadedModel& loaded;
  ProgressWindow& window;
  std::chrono::steady_clock::time_point started;  // Before the model was read.

  std::optional<ModelReport> report;
  std::string picture;
  std::string nodes;
  std::optional<GridSample> given;  // For the grid check.
  // The result page's picture of the model's own values, and its field.
  PagePicture page_picture;
  std::optional<PageField> page_field;

  // Whether the report is printed; it is made for the result page too.
  bool Reporting() const { return line.report != ReportFormat::kNone; }
  bool Paging() const { return !outputs.html.empty(); }
  // Whether case `c` is to be solved: for the report or the page, or for
  // its picture.
  bool Wanted(const CaseDefinition& c) const {
    return Reporting() || Paging() || c.name == outputs.svg_case;
  }
};

SolverObserver Observer(ModelRun& run) {
  SolverObserver observer;
  observer.on_phase = [&window = run.window](int phase, const char* name) {
    window.Yield(phase, kPhaseCount, name);
  };
  observer.on_warning = [&run](const std::string& warning) {
    run.window.PrintLine(std::string(kProgram) + ": warning: " + run.paths.input + ": " +
                         warning);
  };
  return observer;
}

// Solves with `observer`; a failure names the place as the model's user
// knows it (in the drawing of `labels`, for a detail file), and `what` (a
// case, the fine grid) when it is not the model.
void Solve(const ModelRun& run, const Model& model, const SolverObserver& observer,
           Table2<Cell>& result_grid, const std::string& what, const ModelLabels& labels) {
  run.window.SetModel(what.empty() ? run.paths.input : run.paths.input + ", " + what);
  try {
    SolveTemperatureField(model, result_grid, observer, run.line.solver);
  } catch (RunError& e) {
    NameInDrawing(e, labels);
    if (!what.empty()) e.AddOuterPlace(what);
    e.AddOuterPlace(run.paths.input);
    throw;
  }
}

SvgOptions CasePicture(const CaseDefinition& c) {
  SvgOptions options;
  options.case_name = c.name;
  return options;
}

// The cases whose matrix is the model's, solved on its factors.
void ReportCasesOnFactors(ModelRun& run, const SolvedField& field) {
  const Model& model = run.loaded.model();
  for (std::size_t i = 0; i < run.loaded.cases.size(); ++i) {
    const CaseDefinition& c = run.loaded.cases[i];
    if (!run.Wanted(c) || ChangesCoefficients(c, model)) continue;
    const std::vector<double> t = SolveForValues(field, c.values);
    if (run.report) {
      run.report->cases[i] = {c.name, false, ReportSolution(field, t, c.values, run.loaded.labels)};
    }
    if (c.name == run.outputs.svg_case) {
      run.picture = DrawSvgPicture(field, t, c.values, run.loaded.labels, CasePicture(c)).text;
    }
  }
}

// What the result page needs of the run's view, which ends with the solver.
void CaptureForPage(ModelRun& run, const SolvedField& field) {
  const SvgPicture picture = DrawSvgPicture(field, run.loaded.labels);
  run.page_picture = {picture.text, picture.layout.origin_x, picture.layout.origin_y,
                      picture.layout.scale};
  run.page_field = CapturePageField(field, field.temperature, run.loaded.labels);
}

void OnModelSolved(ModelRun& run, const SolvedField& field) {
  const ModelLabels& labels = run.loaded.labels;
  if (run.Reporting() || run.Paging()) {
    run.report = BuildReport(field, labels, run.paths.input, run.line.coupling,
                             run.loaded.psi ? &*run.loaded.psi : nullptr);
    run.report->cases.resize(run.loaded.cases.size());
  }
  if (run.Paging()) CaptureForPage(run, field);
  if (!run.outputs.svg.empty() && run.outputs.svg_case.empty()) {
    run.picture = run.Paging() ? run.page_picture.svg : DrawSvgPicture(field, labels).text;
  }
  if (!run.outputs.nodes.empty()) run.nodes = NodeTableText(field, field.temperature, labels);
  if (run.line.check_grid) {
    // The report, which the grid check always comes with, has the given
    // grid's solution already.
    run.given = run.report ? SampleGrid(field, *run.report) : SampleGrid(field, labels);
  }
  ReportCasesOnFactors(run, field);
}

// The cases that change a heat-transfer coefficient, each solved as a model
// of its own.
void SolveOwnCases(ModelRun& run) {
  const Model& model = run.loaded.model();
  for (std::size_t i = 0; i < run.loaded.cases.size(); ++i) {
    const CaseDefinition& c = run.loaded.cases[i];
    if (!run.Wanted(c) || !ChangesCoefficients(c, model)) continue;
    SolverObserver observer = Observer(run);
    observer.on_solved = [&](const SolvedField& field) {
      if (run.report) {
        run.report->cases[i] = {c.name, true,
                                ReportSolution(field, field.temperature, c.values,
                                               run.loaded.labels)};
      }
      if (c.name == run.outputs.svg_case) {
        run.picture = DrawSvgPicture(field, run.loaded.labels, CasePicture(c)).text;
      }
    };
    observer.on_warning = nullptr;  // The model's own run gave them.
    Table2<Cell> result_grid;
    Solve(run, ModelForCase(model, c), observer, result_grid, "case \"" + c.name + "\"",
          run.loaded.labels);
  }
}

// The model again with every cell cut into 2 x 2.
void CheckGrid(ModelRun& run) {
  const Model fine_model = SubdividedModel(run.loaded.model());
  const ModelLabels fine_labels = SubdividedLabels(
      run.loaded.labels, run.loaded.model().CellGrid.Last1(), run.loaded.model().CellGrid.Last2());
  std::optional<GridSample> fine;
  SolverObserver observer = Observer(run);
  observer.on_solved = [&](const SolvedField& field) { fine = SampleGrid(field, fine_labels); };
  // A cut cell keeps its code: the model's own run gave the same warnings.
  observer.on_warning = nullptr;
  Table2<Cell> result_grid;
  Solve(run, fine_model, observer, result_grid, "the grid with every cell cut into 2 x 2",
        fine_labels);
  run.report->grid_check = CompareGrids(*run.given, *fine, run.loaded.labels);
}

void RefuseUnknownCase(const ModelRun& run, const std::string& name) {
  std::string known;
  for (const CaseDefinition& c : run.loaded.cases) known += (known.empty() ? "" : ", ") + c.name;
  throw RunError(ErrorKind::kUnknownName, run.paths.input + ", --svg-case",
                 "the model has no case " + Quoted(name) +
                     (known.empty() ? std::string("; it has no cases") : "; its cases: " + known));
}

// The local date and time, as the result page gives them.
std::string LocalDateText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[64];
  if (!localtime_r(&now, &local) ||
      std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local) == 0) {
    return "";
  }
  return text;
}

std::string PageText(const ModelRun& run) {
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - run.started;
  return HtmlPage(*run.report, *run.page_field, run.page_picture,
                  {LocalDateText(), ProgramVersion(), took.count()});
}

void SolveAndWrite(ModelRun& run) {
  if (!run.outputs.svg_case.empty() &&
      std::none_of(run.loaded.cases.begin(), run.loaded.cases.end(),
                   [&](const CaseDefinition& c) { return c.name == run.outputs.svg_case; })) {
    RefuseUnknownCase(run, run.outputs.svg_case);
  }
  SolverObserver observer = Observer(run);
  observer.on_solved = [&run](const SolvedField& field) { OnModelSolved(run, field); };
  Table2<Cell> result_grid;
  Solve(run, run.loaded.model(), observer, result_grid, "", run.loaded.labels);
  SolveOwnCases(run);
  if (run.line.check_grid) CheckGrid(run);
  // The picture, the node table and the page first: a run that fails on
  // them writes no result.
  if (!run.outputs.svg.empty()) ReplaceFileAtomically(run.outputs.svg, run.picture);
  if (!run.outputs.nodes.empty()) ReplaceFileAtomically(run.outputs.nodes, run.nodes);
  if (run.Paging()) ReplaceFileAtomically(run.outputs.html, PageText(run));
  WriteResultFile(run.paths.result, result_grid);
  if (run.Reporting()) {
    run.window.PrintText(stdout, run.line.report == ReportFormat::kJson
                                     ? ReportJson(*run.report)
                                     : ReportText(*run.report));
  }
}

}  // namespace

bool RunModel(const ModelPaths& paths, const ReaderSettings& settings, const CommandLine& line,
              ProgressWindow& window, const ModelOutputs& outputs) {
  const auto started = std::chrono::steady_clock::now();
  window.SetModel(paths.input);
  auto fail = [&](const std::string& message) {
    window.PrintLine(std::string(kProgram) + ": error: " + message);
    if (line.report == ReportFormat::kJson) {
      window.PrintText(stdout, ReportErrorJson(paths.input, message));
    }
  };
  try {
    const LoadedModel loaded = LoadModel(paths.input, settings);
    // The grid is saved before it is solved, so that a grid that cannot be
    // solved can be looked at.
    if (!outputs.save_input.empty()) {
      ReplaceFileAtomically(outputs.save_input, GridFileText(loaded, paths.input));
    }
    ModelRun run{paths, line, outputs, loaded, window, started, {}, {}, {}, {}, {}, {}};
    SolveAndWrite(run);
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

}  // namespace kelvane
