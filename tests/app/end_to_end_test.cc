// The program as a user runs it: copied into a folder beside its model, with
// HOME pointing at a folder of the test's own.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "app/process.h"
#include "app/version.h"

namespace kelvane::testing {
namespace {

const char kWorkedExample[] =
    "\"Steel plate\"\n1\nSteel,50\n1\n20,10\n1\n100\n2,1\n10,20\n5\n"
    "B1,B1,B1,B1\nC1,A1,A1,B1\n,,,\n";
const char kWorkedResult[] =
    " 4 ,  5 \r\n"
    "100,99.0334408723144,98.0988354738635,,\r\n"
    "100,99.0796113038465,98.1347165644368,,\r\n"
    ",,,,\r\n"
    ",,,,\r\n";

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = folder_ / "bin";
    mkdir(bin_.c_str(), 0755);
    program_ = bin_ + "/kelvane2d";
    WriteFile(program_, ReadFile(KELVANE2D_BINARY));
    chmod(program_.c_str(), 0755);
    home_ = folder_ / "home";
    mkdir(home_.c_str(), 0755);
  }
  Outcome Run(const std::vector<std::string>& args, bool with_home = true) {
    std::map<std::string, std::string> env = {{"PATH", "/usr/bin:/bin"}};
    if (with_home) env["HOME"] = home_;
    // Sanitizer builds report leaks through their own runtime; keep it quiet.
    env["ASAN_OPTIONS"] = "detect_leaks=1";
    return RunProgram(program_, args, env, folder_.path());
  }
  std::string Settings() { return ReadFile(home_ + "/.config/Tessel/settings.ini"); }

  TemporaryFolder folder_;
  std::string bin_, program_, home_;
};

TEST_F(EndToEnd, WithoutArgumentsRunsTheModelInTheProgramFolder) {
  WriteFile(bin_ + "/kelvane.inp", kWorkedExample);
  Outcome o = Run({});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(ReadFile(bin_ + "/kelvane.otp.csv"), kWorkedResult);
  EXPECT_EQ(Settings(), "[Kelvane2D1]\nslvpath=" + bin_ + "\n");
  EXPECT_EQ(FolderEntries(bin_), (std::vector<std::string>{"kelvane.inp", "kelvane.otp.csv", "kelvane2d"}));
}

TEST_F(EndToEnd, MissingInputFailsClearlyAndStillWritesTheSettings) {
  Outcome o = Run({});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "kelvane2d: error: " + bin_ + "/kelvane.inp: file not found: no such file\n");
  EXPECT_FALSE(Exists(bin_ + "/kelvane.otp.csv"));
  EXPECT_EQ(Settings(), "[Kelvane2D1]\nslvpath=" + bin_ + "\n");
}

TEST_F(EndToEnd, AFailedRunKeepsTheEarlierResult) {
  WriteFile(bin_ + "/kelvane.inp", "\"Steel plate\"\n1\nSteel,50\n1\n20,10\n");
  WriteFile(bin_ + "/kelvane.otp.csv", "earlier result");
  Outcome o = Run({});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "kelvane2d: error: " + bin_ +
                       "/kelvane.inp, end of file after line 5: input ends early: the file ends "
                       "before the number of fixed temperatures\n");
  EXPECT_EQ(ReadFile(bin_ + "/kelvane.otp.csv"), "earlier result");
  EXPECT_EQ(FolderEntries(bin_), (std::vector<std::string>{"kelvane.inp", "kelvane.otp.csv", "kelvane2d"}));
}

TEST_F(EndToEnd, SeveralModelsRunOneAfterAnother) {
  WriteFile(folder_ / "wall.inp", kWorkedExample);
  WriteFile(folder_ / "plate.txt", kWorkedExample);
  mkdir((folder_ / "detail").c_str(), 0755);
  WriteFile(folder_ / "detail/kelvane.inp", kWorkedExample);
  Outcome o = Run({"wall.inp", "missing.inp", "plate.txt", folder_ / "detail/"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "kelvane2d: error: missing.inp: file not found: no such file\n");
  EXPECT_EQ(ReadFile(folder_ / "wall.otp.csv"), kWorkedResult);
  EXPECT_EQ(ReadFile(folder_ / "plate.txt.otp.csv"), kWorkedResult);
  EXPECT_EQ(ReadFile(folder_ / "detail/kelvane.otp.csv"), kWorkedResult);
  EXPECT_FALSE(Exists(folder_ / "missing.otp.csv"));
  // The settings value is the program's folder, whatever the models.
  EXPECT_EQ(Settings(), "[Kelvane2D1]\nslvpath=" + bin_ + "\n");
}

TEST_F(EndToEnd, UsageHelpAndVersion) {
  Outcome unknown = Run({"--frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err,
            "kelvane2d: usage error: unknown option '--frobnicate'\nTry 'kelvane2d --help'.\n");
  EXPECT_FALSE(Exists(home_ + "/.config"));
  Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: kelvane2d", 0), 0u);
  Outcome version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, VersionLine() + "\n");
  EXPECT_EQ(version.err, "");
  EXPECT_FALSE(Exists(home_ + "/.config"));
}

TEST_F(EndToEnd, UnwritableSettingsAreOnlyAWarning) {
  WriteFile(folder_ / "wall.inp", kWorkedExample);
  Outcome o = Run({"wall.inp"}, /*with_home=*/false);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err,
            "kelvane2d: warning: the settings value slvpath was not written: there is no home "
            "folder (HOME is not set)\n");
  EXPECT_EQ(ReadFile(folder_ / "wall.otp.csv"), kWorkedResult);
}

TEST_F(EndToEnd, ProgressLineOnlyWhenAsked) {
  WriteFile(folder_ / "wall.inp", kWorkedExample);
  Outcome quiet = Run({"wall.inp"});
  EXPECT_EQ(quiet.err, "");
  Outcome shown = Run({"--progress", "wall.inp"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_NE(shown.err.find("\rKelvane2D  計算開始  wall.inp  [ 1/16] grid lines\033[K"),
            std::string::npos)
      << shown.err;
  EXPECT_NE(shown.err.find("[16/16] result grid"), std::string::npos);
  // The line is cleared when the window goes.
  EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K");
}

TEST_F(EndToEnd, WarningsNameTheModel) {
  WriteFile(folder_ / "ring.inp", "t\n1\nm,1\n1\n0,5\n0\n1,1\n10\n10\nA1,B1,.\n.,A1,.\n.,.,.\n");
  Outcome o = Run({"ring.inp"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err,
            "kelvane2d: warning: ring.inp: 1 material cell lies in the outer ring of the code "
            "block, which carries conditions only; left out of the mesh (the first at code row "
            "1, column 1)\n");
}

// A picture as --svg writes it: a whole SVG document.
bool IsPicture(const std::string& path) {
  const std::string text = ReadFile(path);
  return text.starts_with("<?xml") && text.find("<svg ") != std::string::npos &&
         text.ends_with("</svg>\n");
}

TEST_F(EndToEnd, SvgDrawsEachModelBesideItsResult) {
  WriteFile(folder_ / "wall.inp", kWorkedExample);
  WriteFile(folder_ / "plate.txt", kWorkedExample);
  mkdir((folder_ / "detail").c_str(), 0755);
  WriteFile(folder_ / "detail/kelvane.inp", kWorkedExample);
  Outcome o = Run({"--svg", "wall.inp", "plate.txt", "detail"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  EXPECT_TRUE(IsPicture(folder_ / "wall.svg"));
  EXPECT_TRUE(IsPicture(folder_ / "plate.txt.svg"));
  EXPECT_TRUE(IsPicture(folder_ / "detail/kelvane.svg"));
  EXPECT_TRUE(Exists(folder_ / "wall.otp.csv"));
}

TEST_F(EndToEnd, SvgDrawsTheProgramFoldersModelWithoutAPath) {
  WriteFile(bin_ + "/kelvane.inp", kWorkedExample);
  Outcome o = Run({"--svg"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(IsPicture(bin_ + "/kelvane.svg"));
}

TEST_F(EndToEnd, SvgNamesThePictureOfOneModel) {
  WriteFile(folder_ / "wall.inp", kWorkedExample);
  Outcome o = Run({"--svg=picture.svg", "wall.inp"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(IsPicture(folder_ / "picture.svg"));
  EXPECT_FALSE(Exists(folder_ / "wall.svg"));

  Outcome two = Run({"--svg=picture.svg", "wall.inp", "wall.inp"});
  EXPECT_EQ(two.status, 2);
  EXPECT_NE(two.err.find("usage error: --svg=FILE"), std::string::npos) << two.err;
  EXPECT_EQ(Run({"--svg=", "wall.inp"}).status, 2);
}

TEST_F(EndToEnd, SvgDrawsNothingWithoutTheOptionOrForAFailedModel) {
  WriteFile(folder_ / "wall.inp", kWorkedExample);
  WriteFile(folder_ / "bad.inp", "\"bad\"\n1\n");
  Outcome o = Run({"wall.inp"});
  EXPECT_EQ(o.status, 0);
  EXPECT_FALSE(Exists(folder_ / "wall.svg"));
  Outcome bad = Run({"--svg", "bad.inp"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_FALSE(Exists(folder_ / "bad.svg"));
}

TEST_F(EndToEnd, SvgThatCannotBeWrittenFailsTheRunWithoutAResult) {
  WriteFile(folder_ / "wall.inp", kWorkedExample);
  Outcome o = Run({"--svg=missing/picture.svg", "wall.inp"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(o.err.starts_with("kelvane2d: error: missing/picture.svg: file not writable: "))
      << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1);
  EXPECT_FALSE(Exists(folder_ / "wall.otp.csv"));
}

TEST_F(EndToEnd, SvgIsInTheHelp) {
  Outcome help = Run({"--help"});
  EXPECT_NE(help.out.find("--svg "), std::string::npos);
  EXPECT_NE(help.out.find("--svg=FILE"), std::string::npos);
}

}  // namespace
}  // namespace kelvane::testing
