// The options as the option table reads them, and their usage errors,
// word for word.

#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

ParsedCommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "kelvane2d");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, SolverAndThreads) {
  struct Case {
    std::vector<const char*> args;
    SolverKind solver;
    int threads;
    bool given = true;  // Unless given, the run chooses by the kind of file.
  } cases[] = {
      {{"m.inp"}, SolverKind::kProfile, 0, false},
      {{"--solver=sparse", "m.inp"}, SolverKind::kSparse, 0},
      {{"--solver=sparse", "--solver=profile"}, SolverKind::kProfile, 0},
      {{"--threads=1"}, SolverKind::kProfile, 1, false},
      {{"--threads=4096", "--solver=sparse"}, SolverKind::kSparse, 4096},
      {{"--solver=auto", "m.toml"}, SolverKind::kAuto, 0},
      {{"--solver=profile", "--solver=auto", "--threads=2"}, SolverKind::kAuto, 2},
      {{"--solver=auto", "--solver=profile"}, SolverKind::kProfile, 0},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = Parse(c.args);
    EXPECT_EQ(parsed.error, "") << c.args[0];
    EXPECT_EQ(parsed.line.solver.solver, c.solver) << c.args[0];
    EXPECT_EQ(parsed.line.solver.threads, c.threads) << c.args[0];
    EXPECT_EQ(parsed.line.solver_given, c.given) << c.args[0];
  }
}

TEST(CommandLine, BadSolverOrThreadsAreUsageErrors) {
  const std::string solver = "--solver takes auto, profile or sparse, as in --solver=sparse";
  const std::string threads = "--threads takes a whole number from 1 to 4096, as in --threads=2";
  struct Case {
    const char* arg;
    std::string error;
  } cases[] = {
      {"--solver", solver},         {"--solver=", solver},       {"--solver=Sparse", solver},
      {"--solver=cholmod", solver}, {"--threads", threads},      {"--threads=", threads},
      {"--solver=Auto", solver},    {"--solver=automatic", solver},
      {"--threads=0", threads},     {"--threads=-2", threads},   {"--threads=4097", threads},
      {"--threads=2x", threads},    {"--threads= 2", threads},   {"--threads=99999999999", threads},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse({c.arg, "m.inp"}).error, c.error) << c.arg;
}

// Values only where an option takes one, and never an empty one.
TEST(CommandLine, ValuesWhereAnOptionTakesOne) {
  struct Case {
    std::vector<const char*> args;
    std::string error;
    std::string svg_file, svg_case, html_file;
    ReportFormat report;
  } cases[] = {
      {{"--svg=a.svg", "m.inp"}, "", "a.svg", "", "", ReportFormat::kNone},
      {{"--svg-case=cold", "--html=p.html", "m.toml"}, "", "", "cold", "p.html",
       ReportFormat::kNone},
      {{"--report=json", "--report=text"}, "", "", "", "", ReportFormat::kText},
      {{"--check-grid", "m.inp"}, "", "", "", "", ReportFormat::kText},
      {{"--check-grid", "--html"}, "", "", "", "", ReportFormat::kNone},
      {{"-q", "-h", "--", "--svg"}, "", "", "", "", ReportFormat::kNone},
      {{"--report=xml"}, "--report takes =json or nothing, not 'xml'", "", "", "", ReportFormat::kNone},
      {{"--svg="}, "unknown option '--svg='", "", "", "", ReportFormat::kNone},
      {{"--svg-case"}, "unknown option '--svg-case'", "", "", "", ReportFormat::kNone},
      {{"--svg-case="}, "unknown option '--svg-case='", "", "", "", ReportFormat::kNone},
      {{"--coupling=yes"}, "unknown option '--coupling=yes'", "", "", "", ReportFormat::kNone},
      {{"-qh"}, "unknown option '-qh'", "", "", "", ReportFormat::kNone},
      {{"--nodes=n.csv", "a.inp", "b.inp"}, "--nodes=FILE names the file of one model, but 2 were given",
       "", "", "", ReportFormat::kNone},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = Parse(c.args);
    EXPECT_EQ(parsed.error, c.error) << c.args[0];
    if (!c.error.empty()) continue;
    EXPECT_EQ(parsed.line.svg_file, c.svg_file) << c.args[0];
    EXPECT_EQ(parsed.line.svg_case, c.svg_case) << c.args[0];
    EXPECT_EQ(parsed.line.svg, !c.svg_file.empty() || !c.svg_case.empty()) << c.args[0];
    EXPECT_EQ(parsed.line.html_file, c.html_file) << c.args[0];
    EXPECT_EQ(parsed.line.report, c.report) << c.args[0];
  }
}

// --svg names a view or a file; each form of it keeps meaning what it did.
TEST(CommandLine, SvgTakesAViewOrAFile) {
  struct Case {
    std::vector<const char*> args;
    std::string svg_file;
    bool materials;
  } cases[] = {
      {{"--svg", "m.toml"}, "", false},
      {{"--svg=temperature", "m.toml"}, "", false},
      {{"--svg=materials", "m.toml"}, "", true},
      {{"--svg=wall.svg", "m.toml"}, "wall.svg", false},
      {{"--svg=materials", "--svg=wall.svg", "m.toml"}, "wall.svg", true},
      {{"--svg=wall.svg", "--svg=materials", "m.toml"}, "wall.svg", true},
      {{"--svg=./materials", "m.toml"}, "./materials", false},
      {{"--svg=Materials", "m.toml"}, "Materials", false},
      {{"--svg=materials", "--svg=temperature", "m.toml"}, "", false},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = Parse(c.args);
    EXPECT_EQ(parsed.error, "") << c.args[0];
    EXPECT_TRUE(parsed.line.svg) << c.args[0];
    EXPECT_EQ(parsed.line.svg_file, c.svg_file) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(parsed.line.svg_materials, c.materials) << c.args[0] << " " << c.args[1];
  }
  // A view is no file: it serves any number of models.
  EXPECT_EQ(Parse({"--svg=materials", "a.toml", "b.toml"}).error, "");
}

TEST(CommandLine, HelpNamesTheSolverOptions) {
  const std::string help = UsageText();
  EXPECT_NE(help.find("--solver=sparse"), std::string::npos);
  EXPECT_NE(help.find("--threads=N"), std::string::npos);
  // Each default where its kind of file is.
  EXPECT_NE(help.find("why (the default for detail files)"), std::string::npos);
  EXPECT_NE(help.find("(the default for grid\n                     files)"), std::string::npos);
}

}  // namespace
}  // namespace kelvane
