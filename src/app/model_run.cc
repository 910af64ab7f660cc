#include "app/model_run.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "app/model_source.h"
#include "app/version.h"
#include "model/subdivide.h"
#include "model/units.h"
#include "output/result_writer.h"
#include "picture/svg.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/output_files.h"
#include "platform/sha256.h"
#include "report/cases.h"
#include "report/condensation.h"
#include "report/grid_check.h"
#include "report/html_page.h"
#include "report/node_table.h"
#include "report/page_field.h"
#include "report/report.h"
#include "report/field_checks.h"
#include "report/rounding.h"
#include "report/solution_check.h"
#include "solver/solver.h"

namespace kelvane {
namespace {

// What one model's run is asked for; it does not change while it runs.
struct ModelRun {
  const ModelPaths& paths;
  const CommandLine& line;
  const ModelOutputs& outputs;
  ProgressWindow& window;
  std::chrono::steady_clock::time_point started;  // Before the model was read.
  Warnings& warnings;  // What the run has found suspicious, in order.
  // The solver as asked, or by default auto for a detail file and the
  // profile solver, exact to the bit as it always was, for a grid file.
  SolverOptions solver;

  // Whether the report is printed; it is made for the result page too.
  bool Reporting() const { return line.report != ReportFormat::kNone; }
  bool Paging() const { return !outputs.html.empty(); }
  bool Drawing() const { return !outputs.svg.empty(); }
  // Whether case `c` is to be solved: for the report or the page, or for
  // its picture.
  bool Wanted(const CaseDefinition& c) const {
    return Reporting() || Paging() || c.name == outputs.svg_case;
  }
};

// What a model's run has made, step by step, for the outputs at its end.
struct ModelResults {
  std::string result;    // The result file's text.
  std::string picture;   // --svg's, of the model or of --svg-case's case.
  std::string nodes;     // --nodes'.
  std::optional<ModelReport> report;   // For --report and --html.
  std::optional<GridSample> sample;    // The model's grid, for --check-grid.
  PagePicture page_picture;            // For --html: the picture and its field.
  PageField page_field;
};

// Prints a warning as it is found (one without a place is the model's) and
// keeps it for the report; under --strict, refuses the model with it.
void Warn(const ModelRun& run, const Warning& warning) {
  if (run.line.strict) throw RunError(ErrorKind::kWarned, warning.place, warning.text);
  run.window.PrintLine(std::string(kProgram) + ": warning: " +
                       (warning.place.empty() ? Printable(run.paths.input) + ": " : "") +
                       WarningLine(warning));
  run.warnings.push_back(warning);
}

SolverObserver Observer(const ModelRun& run, bool with_warnings) {
  SolverObserver observer;
  observer.on_phase = [&window = run.window](int phase, const char* name) {
    window.Yield(phase, kPhaseCount, name);
  };
  if (with_warnings) {
    observer.on_warning = [&run](const std::string& warning) { Warn(run, {"", warning}); };
  }
  return observer;
}

// Runs `step`; a failure names the place as the model's user knows it (in
// the drawing of `labels`, for a detail file), and `what` (a case, the fine
// grid) when it is not the model itself.
template <typename Step>
auto Named(const ModelRun& run, const std::string& what, const ModelLabels& labels, Step step) {
  try {
    return step();
  } catch (RunError& e) {
    NameInDrawing(e, labels);
    if (!what.empty()) e.AddOuterPlace(what);
    e.AddOuterPlace(run.paths.input);
    throw;
  }
}

// The limits of a grid made for the run's solver, whose tables the grid
// maker weighs before it makes the grid.
GridLimits LimitsFor(const ModelRun& run) {
  GridLimits limits;
  // Auto weighs the grid by the lighter of the two, which for any grid too
  // large to fit is the sparse solver's.
  limits.sparse = run.solver.solver != SolverKind::kProfile;
  return limits;
}

// Solves `model` and checks its solution (report/solution_check.h); the
// model's own run alone gives warnings.
Solution Solve(const ModelRun& run, const Model& model, const std::string& what,
               const ModelLabels& labels) {
  run.window.SetModel(what.empty() ? run.paths.input : run.paths.input + ", " + what);
  return Named(run, what, labels, [&] {
    Solution solution = SolveTemperatureField(model, Observer(run, what.empty()), run.solver);
    const SolvedField& field = solution.Field();
    RequireSound(field, field.temperature, ValuesOf(model), labels);
    return solution;
  });
}

// The critical point of a solution: the warm side's lowest surface
// temperature, the one its fRsi takes; none without fRsi.
std::optional<SvgOptions::Mark> CriticalMark(const SolutionReport& r, const ModelLabels& labels) {
  if (!r.frsi) return std::nullopt;
  const SurfacePoint& p = r.frsi->surface;
  const std::string t =
      TemperatureValue(p.temperature) + (labels.drawing ? " \xC2\xB0""C" : "");
  return SvgOptions::Mark{
      p.column_line, p.row_line, t,
      "lowest surface temperature on the warm side (fRsi " + FactorValue(r.frsi->value) +
          "): " + t + " at x " + LengthValue(MetreToMillimetre(p.x)) + ", y " +
          LengthValue(MetreToMillimetre(p.y)) + " mm"};
}

// What the picture of a solution shows: the view asked for, the case, and
// its critical point.
SvgOptions PictureOptions(const ModelRun& run, const SolvedField& field, std::span<const double> t,
                          const EnvironmentValues& values, const ModelLabels& labels,
                          const std::string& case_name) {
  SvgOptions options;
  options.case_name = case_name;
  options.view = run.line.svg_materials ? SvgOptions::View::kMaterials
                                        : SvgOptions::View::kTemperature;
  options.critical = CriticalMark(ReportSolution(field, t, values, labels), labels);
  return options;
}

std::string DrawPicture(const ModelRun& run, const SolvedField& field, std::span<const double> t,
                        const EnvironmentValues& values, const ModelLabels& labels,
                        const std::string& case_name) {
  return DrawSvgPicture(field, t, values, labels,
                        PictureOptions(run, field, t, values, labels, case_name))
      .text;
}

// The cases whose matrix is the model's, solved on its factors.
void SolveCasesOnFactors(const ModelRun& run, const LoadedModel& loaded,
                         const Solution& solution, ModelResults& results) {
  const SolvedField& field = solution.Field();
  for (std::size_t i = 0; i < loaded.cases.size(); ++i) {
    const CaseDefinition& c = loaded.cases[i];
    if (!run.Wanted(c) || ChangesCoefficients(c, loaded.model())) continue;
    const std::vector<double> t = solution.SolveFor(c.values);
    Named(run, "case " + Quoted(c.name), loaded.labels(),
          [&] { RequireSound(field, t, c.values, loaded.labels()); });
    if (results.report) {
      results.report->cases[i] = {c.name, false, ReportSolution(field, t, c.values, loaded.labels())};
    }
    if (c.name == run.outputs.svg_case) {
      results.picture = DrawPicture(run, field, t, c.values, loaded.labels(), c.name);
    }
  }
}

// The model with its own values: what every output takes of its solution,
// which ends here, before the cases and grids of their own are solved.
ModelResults SolveModel(const ModelRun& run, const LoadedModel& loaded) {
  const Solution solution = Solve(run, loaded.model(), "", loaded.labels());
  const SolvedField& field = solution.Field();
  const ModelLabels& labels = loaded.labels();
  if (auto found = CheckTemperatureRange(field, field.temperature, ValuesOf(loaded.model()))) {
    Warn(run, {Printable(run.paths.input) + ", " + DrawingPlaceText(found->at, labels), found->text});
  }
  ModelResults results;
  results.result = ResultFileText(solution.ResultGrid());
  if (run.Reporting() || run.Paging()) {
    // Its coupling loads are checked as they are solved.
    results.report = Named(run, "", labels, [&] {
      return BuildReport(solution, labels, run.paths.input, {run.line.coupling, loaded.psi, loaded.frame});
    });
    results.report->cases.resize(loaded.cases.size());
  }
  const EnvironmentValues values = ValuesOf(loaded.model());
  if (run.Paging()) {
    // Both views, which the page switches between; they share the layout.
    SvgOptions options = PictureOptions(run, field, field.temperature, values, labels, "");
    options.view = SvgOptions::View::kTemperature;
    const SvgPicture picture = DrawSvgPicture(field, field.temperature, values, labels, options);
    options.view = SvgOptions::View::kMaterials;
    results.page_picture = {picture.text, picture.layout.origin_x, picture.layout.origin_y,
                            picture.layout.scale,
                            DrawSvgPicture(field, field.temperature, values, labels, options).text};
    results.page_field = CapturePageField(field, field.temperature, labels);
  }
  if (run.Drawing() && run.outputs.svg_case.empty()) {
    results.picture = run.Paging() ? (run.line.svg_materials ? results.page_picture.materials_svg
                                                             : results.page_picture.svg)
                                   : DrawPicture(run, field, field.temperature, values, labels, "");
  }
  if (!run.outputs.nodes.empty()) results.nodes = NodeTableText(field, field.temperature, labels);
  if (run.line.check_grid) {
    // The report, which the grid check always comes with, has the given
    // grid's solution already.
    results.sample = results.report ? SampleGrid(field, *results.report) : SampleGrid(field, labels);
  }
  SolveCasesOnFactors(run, loaded, solution, results);
  return results;
}

// The cases that change a heat-transfer coefficient, each solved as a model
// of its own.
void SolveCasesOfTheirOwn(const ModelRun& run, const LoadedModel& loaded,
                          ModelResults& results) {
  for (std::size_t i = 0; i < loaded.cases.size(); ++i) {
    const CaseDefinition& c = loaded.cases[i];
    if (!run.Wanted(c) || !ChangesCoefficients(c, loaded.model())) continue;
    const Model model = ModelForCase(loaded.model(), c);
    const Solution solution = Solve(run, model, "case \"" + c.name + "\"", loaded.labels());
    const SolvedField& field = solution.Field();
    if (results.report) {
      results.report->cases[i] = {
          c.name, true, ReportSolution(field, field.temperature, c.values, loaded.labels())};
    }
    if (c.name == run.outputs.svg_case) {
      results.picture =
          DrawPicture(run, field, field.temperature, c.values, loaded.labels(), c.name);
    }
  }
}

// The model on a finer grid, against its own: a detail file's grid made
// again from the drawing with every cell size halved, so that its shapes
// are resolved anew; a grid file's with every cell cut into 2 x 2.
GridCheckReport CheckGrid(const ModelRun& run, const LoadedModel& loaded,
                          const GridSample& given) {
  if (loaded.detail) {
    const MadeGrid fine = MakeGrid(*loaded.detail, LimitsFor(run), 0.5);
    const Solution solution =
        Solve(run, fine.model, "the grid made again with cells half as large", fine.labels);
    GridCheckReport check =
        CompareGrids(given, SampleGrid(solution.Field(), fine.labels), loaded.labels());
    check.redrawn = true;
    return check;
  }
  const Model& model = loaded.model();
  const Model fine_model = SubdividedModel(model);
  const ModelLabels fine_labels =
      SubdividedLabels(loaded.labels(), model.LastColumn(), model.LastRow());
  const Solution fine = Solve(run, fine_model, "the grid with every cell cut into 2 x 2",
                              fine_labels);
  return CompareGrids(given, SampleGrid(fine.Field(), fine_labels), loaded.labels());
}

void RefuseUnknownCase(const ModelRun& run, const LoadedModel& loaded) {
  const std::string& name = run.outputs.svg_case;
  if (name.empty() || std::any_of(loaded.cases.begin(), loaded.cases.end(),
                                  [&](const CaseDefinition& c) { return c.name == name; })) {
    return;
  }
  std::string known;
  for (const CaseDefinition& c : loaded.cases) known += (known.empty() ? "" : ", ") + c.name;
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

std::string PageText(const ModelRun& run, const ModelResults& results) {
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - run.started;
  // The bytes as they are now: read once more, as the page is written.
  std::string sha256;
  try {
    sha256 = Sha256Hex(ReadWholeFile(run.paths.input));
  } catch (const RunError&) {
  }
  return HtmlPage(*results.report, results.page_field, results.page_picture,
                  {LocalDateText(), ProgramVersion(), took.count(), sha256});
}

// What one model's run writes, claimed before it computes anything: its
// numbers in `files`, -1 where it is not asked for.
struct ClaimedOutputs {
  OutputFiles files;
  int grid = -1;
  int picture = -1;
  int nodes = -1;
  int page = -1;
  int report = -1;
  int result = -1;
};

// Every output but the result may be standard output ("-"). The result is
// claimed last and so put in place last (platform/output_files.h).
void ClaimOutputs(const ModelRun& run, ClaimedOutputs& claimed) {
  OutputFiles& files = claimed.files;
  files.AddInput(run.paths.input);
  files.SetStandardOutputWriter(
      [&window = run.window](std::string_view text) { window.PrintStandardOutput(text); });
  const ModelOutputs& o = run.outputs;
  if (!o.save_input.empty()) claimed.grid = files.Claim(o.save_input, "the grid file", true);
  if (run.Drawing()) claimed.picture = files.Claim(o.svg, "the picture", true);
  if (!o.nodes.empty()) claimed.nodes = files.Claim(o.nodes, "the node table", true);
  if (run.Paging()) claimed.page = files.Claim(o.html, "the result page", true);
  if (run.Reporting()) claimed.report = files.Claim("-", "the report", true);
  claimed.result = files.Claim(run.paths.result, "the result");
}

// Every output to its temporary file, the report kept for standard output;
// then all of them in place together.
void WriteOutputs(const ModelRun& run, const ModelResults& results, ClaimedOutputs& claimed) {
  OutputFiles& files = claimed.files;
  if (claimed.picture >= 0) files.Write(claimed.picture, results.picture);
  if (claimed.nodes >= 0) files.Write(claimed.nodes, results.nodes);
  if (claimed.page >= 0) files.Write(claimed.page, PageText(run, results));
  if (claimed.report >= 0) {
    files.Write(claimed.report, run.line.report == ReportFormat::kJson
                                    ? ReportJson(*results.report)
                                    : ReportText(*results.report));
  }
  files.Write(claimed.result, results.result);
  files.Commit();
}

std::vector<std::optional<double>> CaseMinimums(const LoadedModel& loaded) {
  std::vector<std::optional<double>> minimum;
  for (const CaseDefinition& c : loaded.cases) minimum.push_back(c.frsi_min);
  return minimum;
}

// The run of one model, step by step.
void RunSteps(const ModelRun& run) {
  ClaimedOutputs claimed;
  ClaimOutputs(run, claimed);
  const LoadedModel loaded = LoadModel(run.paths.input, LimitsFor(run));
  for (const Warning& warning : loaded.warnings) Warn(run, warning);
  // The grid is written as soon as it is made, and put in place with the
  // rest once the run has succeeded.
  if (claimed.grid >= 0) claimed.files.Write(claimed.grid, GridFileText(loaded, run.paths.input));
  RefuseUnknownCase(run, loaded);
  ModelResults results = SolveModel(run, loaded);
  SolveCasesOfTheirOwn(run, loaded, results);
  if (run.line.check_grid) results.report->grid_check = CheckGrid(run, loaded, *results.sample);
  if (results.report) {
    JudgeFactors(*results.report, loaded.condensation, CaseMinimums(loaded));
    results.report->warnings = run.warnings;
  }
  WriteOutputs(run, results, claimed);
}

}  // namespace

bool RunModel(const ModelPaths& paths, const CommandLine& line, ProgressWindow& window,
              const ModelOutputs& outputs) {
  SolverOptions solver = line.solver;
  if (!line.solver_given) {
    solver.solver = IsDetailFile(paths.input) ? SolverKind::kAuto : SolverKind::kProfile;
  }
  Warnings warnings;
  const ModelRun run{paths, line, outputs, window, std::chrono::steady_clock::now(),
                     warnings, solver};
  window.SetModel(paths.input);
  auto fail = [&](const std::string& message) {
    window.PrintLine(std::string(kProgram) + ": error: " + message);
    if (line.report == ReportFormat::kJson) {
      // A standard output that fails is reported once, at the program's end.
      try {
        window.PrintStandardOutput(ReportErrorJson(paths.input, message));
      } catch (const RunError&) {
      }
    }
  };
  try {
    RunSteps(run);
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
