// What a run writes is claimed before it computes and put in place only
// once it has succeeded: an output that is a device, a FIFO, a folder, the
// input or another output of the run is refused; a failed, full or
// interrupted run leaves every earlier output as it was, byte for byte, and
// no new file; a standard output that fails is an error; names with control
// bytes stay on their line; and solutions that rounding has spoilt are
// refused with their cause.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <map>
#include <random>
#include <sstream>

#include "app/process.h"

namespace kelvane::testing {
namespace {

const char kWall[] =
    "title = \"wall\"\n[grid]\nmax_cell = 20\n[materials]\nbrick = 0.8\n[conditions]\n"
    "inside = { ambient = 20, resistance = 0.13 }\noutside = { ambient = -10, resistance = 0.04 }\n"
    "[[shape]]\nfill = \"brick\"\nrect = [0, 0, 240, 200]\n"
    "[[shape]]\nfill = \"outside\"\nrect = [-20, 0, 0, 200]\n"
    "[[shape]]\nfill = \"inside\"\nrect = [240, 0, 260, 200]\n";

// A block of n x n cells of 10 mm between two airs, as a grid file.
std::string SolidGrid(int n, const std::string& conductivity = "2.3",
                      const std::string& outside_h = "25", const std::string& outside = "-10") {
  std::ostringstream out;
  out << "solid\n1\nconcrete," << conductivity << "\n2\n20,7.69\n" << outside << ","
      << outside_h << "\n0\n"
      << n << "," << n << "\n";
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < n; ++i) out << (i ? "," : "") << "10";
    out << "\n";
  }
  for (int j = 0; j < n + 2; ++j) {
    for (int k = 0; k < n + 2; ++k) {
      const bool side = k == 0 || k == n + 1;
      out << (k ? "," : "") << (side ? "" : j == 0 ? "B1" : j == n + 1 ? "B2" : "A1");
    }
    out << "\n";
  }
  return out.str();
}

// Every entry of a folder and of its sub-folders but the settings' home:
// its kind and, for a file, its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder, const std::string& prefix = "") {
  std::map<std::string, std::string> entries;
  for (const std::string& name : FolderEntries(folder)) {
    if (prefix.empty() && name == "home") continue;
    const std::string path = folder + "/" + name;
    struct stat info;
    lstat(path.c_str(), &info);
    if (S_ISDIR(info.st_mode)) {
      entries[prefix + name] = "folder";
      for (const auto& [inner, what] : Snapshot(path, prefix + name + "/")) entries[inner] = what;
    } else if (S_ISREG(info.st_mode)) {
      entries[prefix + name] = "file: " + ReadFile(path);
    } else {
      entries[prefix + name] = "mode " + std::to_string(info.st_mode & S_IFMT);
    }
  }
  return entries;
}

class SafeOutputs : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(folder_ / "w.toml", kWall);
    WriteFile(folder_ / "w.otp.csv", "earlier result");
    WriteFile(folder_ / "w.svg", "earlier picture");
    WriteFile(folder_ / "w.html", "earlier page");
    mkdir((folder_ / "sub").c_str(), 0755);
    mkdir((folder_ / "home").c_str(), 0755);
  }
  Outcome Run(const std::vector<std::string>& args, const RunOptions& options = RunOptions()) {
    const std::map<std::string, std::string> env = {{"PATH", "/usr/bin:/bin"},
                                                    {"HOME", folder_ / "home"}};
    return RunProgram(KELVANE2D_BINARY, args, env, folder_.path(), options);
  }
  // Runs `args`, which must fail with `err` and leave the folder as it was.
  void ExpectRefusedAndNothingChanged(const std::vector<std::string>& args, const std::string& err,
                                      const RunOptions& options = RunOptions()) {
    const auto before = Snapshot(folder_.path());
    const Outcome o = Run(args, options);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, err);
    EXPECT_EQ(Snapshot(folder_.path()), before);
  }
  TemporaryFolder folder_;
};

TEST_F(SafeOutputs, OutputsThatAreNoFileOrAnotherOfTheRunAreRefused) {
  ASSERT_EQ(mkfifo((folder_ / "fifo").c_str(), 0644), 0);
  ASSERT_EQ(symlink("fifo", (folder_ / "to-fifo").c_str()), 0);
  ASSERT_EQ(symlink("sub", (folder_ / "to-sub").c_str()), 0);
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--svg=fifo", "w.toml"}, "fifo: file not writable: is a FIFO, not a regular file"},
      {{"--html=to-fifo", "w.toml"}, "to-fifo: file not writable: is a FIFO, not a regular file"},
      {{"--nodes=sub", "w.toml"}, "sub: file not writable: is a folder"},
      {{"--svg=to-sub/", "w.toml"}, "to-sub/: file not writable: is a folder"},
      {{"--svg=none/w.svg", "w.toml"},
       "none/w.svg: file not writable: its folder \"none\" does not exist"},
      {{"--save-input=w.toml", "w.toml"},
       "w.toml: file not writable: is the input of the run; the grid file needs a file of its own"},
      {{"--svg=./w.toml", "w.toml"},
       "./w.toml: file not writable: is the input of the run; the picture needs a file of its own"},
      {{"--html=sub/../w.toml", "w.toml"},
       "sub/../w.toml: file not writable: is the input of the run; the result page needs a file "
       "of its own"},
      {{"--nodes=w.otp.csv", "w.toml"},
       "w.otp.csv: file not writable: both the node table and the result would be written there"},
      {{"--svg=x.svg", "--html=./x.svg", "w.toml"},
       "./x.svg: file not writable: both the picture and the result page would be written there "
       "(as \"x.svg\")"},
      {{"--svg=-", "--report", "w.toml"},
       "standard output: file not writable: both the picture and the report would go there"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    ExpectRefusedAndNothingChanged(c.args, "kelvane2d: error: " + c.err + "\n");
  }
}

// Devices made here, never the system's: as root, a run once replaced
// /dev/null with a regular file.
TEST_F(SafeOutputs, DevicesAreRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "mknod needs root; the FIFO cases cover the rest";
  ASSERT_EQ(mknod((folder_ / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  for (const char* option : {"--svg=null", "--html=null", "--nodes=null", "--save-input=null"}) {
    SCOPED_TRACE(option);
    ExpectRefusedAndNothingChanged(
        {option, "w.toml"},
        "kelvane2d: error: null: file not writable: is a character device, not a regular file\n");
  }
}

TEST_F(SafeOutputs, AStandardOutputThatFailsIsAnError) {
  const std::string full = "kelvane2d: error: standard output: file not writable: No space left on device\n";
  const std::string closed = "kelvane2d: error: standard output: file not writable: it is closed\n";
  for (const char* to : {"/dev/full", "closed"}) {
    RunOptions options;
    options.stdout_path = to;
    const std::string err = std::string(to) == "closed" ? closed : full;
    for (const char* option : {"-h", "--version"}) {
      SCOPED_TRACE(std::string(option) + " > " + to);
      const Outcome o = Run({option}, options);
      EXPECT_EQ(o.status, 1);
      EXPECT_EQ(o.err, err);
    }
    // The report goes out before the files are put in place: a report
    // lost leaves them as they were.
    SCOPED_TRACE(std::string("--report > ") + to);
    ExpectRefusedAndNothingChanged({"--report", "--svg", "w.toml"}, err, options);
  }
}

TEST_F(SafeOutputs, NamesWithControlBytesStayOnTheirLine) {
  const std::string name = "a\nb\x1b[31m.toml";
  Outcome missing = Run({name});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "kelvane2d: error: a\\x0Ab\\x1B[31m.toml: file not found: no such file\n");
  ASSERT_EQ(mkfifo((folder_ / "p\r\x07").c_str(), 0644), 0);
  ExpectRefusedAndNothingChanged(
      {"--svg=p\r\x07", "w.toml"},
      "kelvane2d: error: p\\x0D\\x07: file not writable: is a FIFO, not a regular file\n");
  Outcome option = Run({"--x\x1b]0;t\x07"});
  EXPECT_EQ(option.status, 2);
  EXPECT_EQ(option.err.substr(0, option.err.find('\n')),
            "kelvane2d: usage error: unknown option '--x\\x1B]0;t\\x07'");
}

// A small file system of its own, so that the disk is full part way
// through the outputs.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const std::string& at) : at_(at) {
    mkdir(at.c_str(), 0755);
    mounted_ = geteuid() == 0 && mount("tmpfs", at.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) umount(at_.c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::string at_;
  bool mounted_ = false;
};

TEST_F(SafeOutputs, AFullDiskLeavesEveryOutputAsItWas) {
  SmallFileSystem disk(folder_ / "disk");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root (CAP_SYS_ADMIN)";
  WriteFile(folder_ / "disk/w.toml", kWall);
  WriteFile(folder_ / "disk/w.otp.csv", "earlier result");
  WriteFile(folder_ / "disk/w.svg", "earlier picture");
  // The result (about 10 kB) and the picture fit; the page (about 60 kB)
  // does not.
  const auto before = Snapshot(folder_ / "disk");
  const Outcome o = Run({"--svg", "--html", "disk/w.toml"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "kelvane2d: error: disk/w.html: file not writable: No space left on device\n");
  EXPECT_EQ(Snapshot(folder_ / "disk"), before);
}

// Signals at points all through a run: each run ends either interrupted,
// with every earlier output as it was and no other file, or done, with
// every output new; never in between.
TEST_F(SafeOutputs, InterruptsLeaveEitherEveryOldOutputOrEveryNewOne) {
  WriteFile(folder_ / "s.inp", SolidGrid(200));
  const std::map<std::string, std::string> earlier = {{"s.otp.csv", "earlier result"},
                                                      {"s.svg", "earlier picture"},
                                                      {"s.html", "earlier page"},
                                                      {"s.nodes.csv", "earlier nodes"}};
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  int interrupted = 0;
  for (int at = 0; at < 12; ++at) {
    for (const auto& [name, text] : earlier) WriteFile(folder_ / name, text);
    RunOptions options;
    options.signal = signals[at % 3];
    options.signal_after_ms = 20 + 80 * at;
    SCOPED_TRACE("signal " + std::to_string(options.signal) + " after " +
                 std::to_string(options.signal_after_ms) + " ms");
    const auto before = Snapshot(folder_.path());
    const Outcome o = Run({"--svg", "--html", "--nodes", "s.inp"}, options);
    if (o.status == 128 + options.signal) {
      ++interrupted;
      EXPECT_EQ(Snapshot(folder_.path()), before);
      continue;
    }
    EXPECT_EQ(o.status, 0) << o.err;
    const auto after = Snapshot(folder_.path());
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, text] : earlier) EXPECT_NE(after.at(name), "file: " + text) << name;
  }
  EXPECT_GT(interrupted, 0);
}

// The broken models of the probe, as grid files (a detail file refuses
// their values where they are written): each refused, with the cause.
TEST_F(SafeOutputs, SolutionsThatRoundingHasSpoiltAreRefused) {
  struct Case {
    const char* name;
    std::string model;
    std::string err;    // What was found,
    std::string cause;  // and what causes it.
  } cases[] = {
      // Every temperature 4.5E-286 where the answer is about -3.
      {"conductivity 1e300", SolidGrid(20, "1e300"),
       "inaccurate solution: the flows sum to -19.2 W/m, 0.385 of the largest (-50 W/m through "
       "\"B2\"), where rounding allows 1E-05; ",
       "the conductances span 1.3E+301 (the conductivity of \"concrete\", 1E+300 W/(m K), to h "
       "times the edge length of \"B1\", 0.0769), beyond what rounding leaves accurate; keep the "
       "span below 1E+08\n"},
      {"h = 1e14", SolidGrid(20, "2.3", "1e14"),
       "inaccurate solution: the flows sum to -0.00221 W/m, 7.99E-05 of the largest (-27.7 W/m "
       "through \"B2\"), where rounding allows 1E-05; ",
       "the conductances span 1.3E+13 (h times the edge length of \"B2\", 1E+12 W/(m K), to h "
       "times the edge length of \"B1\", 0.0769), beyond what rounding leaves accurate; keep the "
       "span below 1E+08\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(folder_ / "m.inp", c.model);
    WriteFile(folder_ / "m.otp.csv", "earlier result");
    const auto before = Snapshot(folder_.path());
    const Outcome o = Run({"--report", "--svg", "m.inp"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "kelvane2d: error: m.inp: " + c.err + c.cause);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(Snapshot(folder_.path()), before);
  }
}

// The probe's models with inf and NaN in the report: refused where the
// value is written (a detail file), or by the check of the solution (a
// grid file, whose values may be anything its format holds).
TEST_F(SafeOutputs, ValuesBeyondTheArithmeticAreRefused) {
  const std::string case_text = std::string(kWall) +
                                "[[case]]\nname = \"cold\"\noutside = { ambient = -1e308 }\n";
  struct Case {
    const char* file;
    std::string model;
    std::string err;
  } cases[] = {
      {"m.inp", SolidGrid(20, "1e-8", "25", "-1e308"),
       "m.inp: inaccurate solution: the flow through \"B2\" is inf W/m; the temperature -1E+308 "
       "of \"B2\" leaves the arithmetic no room (keep temperatures within 1E+150)"},
      {"m.toml", case_text,
       "m.toml:20:23: invalid value: ambient of condition \"outside\" in case \"cold\" must lie "
       "between -10000 and 10000, not -1E+308"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    WriteFile(folder_ / c.file, c.model);
    ExpectRefusedAndNothingChanged({"--report", c.file}, "kelvane2d: error: " + c.err + "\n");
  }
}

}  // namespace
}  // namespace kelvane::testing
