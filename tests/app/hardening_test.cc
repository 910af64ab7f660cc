// Broken input of every kind is refused with one clear line that names the
// kind and the place, exit status 1 and no result; interrupts and programs
// starting together lose nothing.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/process.h"

namespace kelvane::testing {
namespace {

const char* const kWorkedFields[] = {
    "t", "1", "Steel", "50", "1", "20", "10", "1", "100", "2", "1", "10", "20", "5",
    "B1", "B1", "B1", "B1", "C1", "A1", "A1", "B1", "", "", "", ""};

// A block of n x n cells of one material, inside air above and outside air
// below.
std::string SolidModel(int n) {
  std::ostringstream out;
  out << "solid\n1\nconcrete,2.3\n2\n20,7.69\n-10,25\n0\n" << n << "," << n << "\n";
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < n; ++i) out << (i ? "," : "") << "10";
    out << "\n";
  }
  for (int j = 0; j < n + 2; ++j) {
    for (int k = 0; k < n + 2; ++k) {
      bool side = k == 0 || k == n + 1;
      out << (k ? "," : "") << (side ? "" : j == 0 ? "B1" : j == n + 1 ? "B2" : "A1");
    }
    out << "\n";
  }
  return out.str();
}

// "491 MiB" or "0.8 GiB" at the start of `text`, in bytes.
std::uint64_t SizeInBytes(const char* text) {
  char* unit = nullptr;
  const double figure = std::strtod(text, &unit);
  return static_cast<std::uint64_t>(figure * (std::strncmp(unit, " GiB", 4) == 0 ? 1 << 30 : 1 << 20));
}

bool Sanitized() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#else
  return false;
#endif
}

class Hardening : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args, const RunOptions& options = RunOptions()) {
    std::map<std::string, std::string> env = {{"PATH", "/usr/bin:/bin"}, {"HOME", folder_ / "home"}};
    return RunProgram(KELVANE2D_BINARY, args, env, folder_.path(), options);
  }
  // Runs one model file and checks the one-line refusal; returns stderr.
  void ExpectRefused(const std::string& name, const std::string& content, const std::string& place,
                     const std::string& kind) {
    WriteFile(folder_ / "m.inp", content);
    Outcome o = Run({"m.inp"});
    SCOPED_TRACE(name);
    EXPECT_EQ(o.status, 1);
    const std::string prefix = "kelvane2d: error: m.inp" + place;
    EXPECT_EQ(o.err.rfind(prefix, 0), 0u) << o.err;
    EXPECT_NE(o.err.find(": " + kind + ": "), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_FALSE(Exists(folder_ / "m.otp.csv"));
    std::remove((folder_ / "m.inp").c_str());
  }
  TemporaryFolder folder_;
};

TEST_F(Hardening, BadInputsAreRefusedWithKindAndPlace) {
  struct Case {
    const char* name;
    std::string content;
    std::string place;  // After the file name.
    std::string kind;
  } cases[] = {
      {"empty file", "", ", end of file after line 1", "input ends early"},
      {"negative count", "t,-2", ", line 1, field 2 (number of materials)", "negative count"},
      {"negative columns", "t,0,0,0,-1,1", ", line 1, field 5 (number of columns)", "negative count"},
      {"count beyond 32 bits", "t,0,0,1e10", ", line 1, field 4 (number of fixed temperatures)", "overflow"},
      {"code beyond 32 bits", "t,1,m,1,0,0,1,1,1,1\n,,\n,A4294967296,\n,,",
       ", code row 2, column 2", "overflow"},
      {"number beyond the double range", "t,0,0,1,1e309", ", line 1, field 5 (fixed temperature 1)", "overflow"},
      {"text for a conductivity", "t,1,m,high", ", line 1, field 4 (conductivity of material 1)", "type mismatch"},
      {"code naming no material", "t,1,m,1,1,0,5,0,1,1,1,1\n,B1,\n,A2,\n,,",
       ", code row 2, column 2", "index out of range"},
      {"code naming no condition", "t,1,m,1,1,0,5,0,1,1,1,1\n,B3,\n,A1,\n,,",
       ", code row 1, column 2", "index out of range"},
      {"zero spacing under an element", "t,1,m,1,1,0,5,0,1,1,0,1\n,B1,\n,A1,\n,,",
       ", code row 2, column 2", "division by zero"},
      {"no material", "t,1,m,1,1,0,5,0,1,1,1,1\n,B1,\n,,\n,,", "", "no material"},
      {"undetermined part", "t,1,m,1,0,0,1,1,1,1\n,,\n,A1,\n,,",
       ", grid point at column line 1, row line 1", "undetermined temperatures"},
      {"fixed temperature beyond its table", "t,1,m,1,0,1,5,1,1,1,1\n,,\n,A1,C2\n,,",
       ", grid point at column line 2, row line 1", "index out of range"},
      {"unclosed quote", "\"title", ", line 1, field 1 (header)", "input ends early"},
      {"huge declared grid", "t,0,0,0,100000,100000,1", ", line 1, field 6 (number of rows)",
       "input ends early"},
  };
  for (const Case& c : cases) ExpectRefused(c.name, c.content, c.place, c.kind);
}

TEST_F(Hardening, TruncationAtEveryFieldEndsEarly) {
  const int count = sizeof kWorkedFields / sizeof kWorkedFields[0];
  for (int cut = 0; cut < count; ++cut) {
    std::string content;
    for (int i = 0; i < cut; ++i) content += std::string(kWorkedFields[i]) + "\n";
    WriteFile(folder_ / "m.inp", content);
    Outcome o = Run({"m.inp"});
    SCOPED_TRACE("cut after " + std::to_string(cut) + " fields");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("kelvane2d: error: m.inp, ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find(": input ends early: "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("line "), std::string::npos) << o.err;
    EXPECT_FALSE(Exists(folder_ / "m.otp.csv"));
  }
}

TEST_F(Hardening, FilesThatCannotBeReadOrWritten) {
  Outcome missing = Run({"absent.inp"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "kelvane2d: error: absent.inp: file not found: no such file\n");

  Outcome device = Run({"/dev/zero"});
  EXPECT_EQ(device.status, 1);
  EXPECT_EQ(device.err, "kelvane2d: error: /dev/zero: file not readable: not a regular file\n");

  WriteFile(folder_ / "m.inp", "t,1,m,1,1,0,5,0,1,1,1,1\n,B1,\n,A1,\n,,");
  mkdir((folder_ / "m.otp.csv").c_str(), 0755);
  Outcome folder = Run({"m.inp"});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "kelvane2d: error: m.otp.csv: file not writable: is a folder\n");

  mkdir((folder_ / "locked").c_str(), 0755);
  WriteFile(folder_ / "locked/kelvane.inp", "t,1,m,1,1,0,5,0,1,1,1,1\n,B1,\n,A1,\n,,");
  if (geteuid() != 0) {
    chmod((folder_ / "locked").c_str(), 0555);
    Outcome locked = Run({"locked"});
    chmod((folder_ / "locked").c_str(), 0755);
    EXPECT_EQ(locked.status, 1);
    EXPECT_EQ(locked.err.rfind("kelvane2d: error: locked/kelvane.otp.csv: file not writable: ", 0), 0u)
        << locked.err;
  }
  // A result folder that does not exist (the model path names one).
  Outcome gone = Run({"nowhere/m.inp"});
  EXPECT_EQ(gone.status, 1);
}

// Under an address-space limit the refusal names it, and what it advises for
// the sparse solver is a limit under which that one runs: the address space
// with the libraries and the buffers of its BLAS threads, not what it would
// hold in memory.
TEST_F(Hardening, TooLargeForMemoryIsRefusedWithTheSizeItNeeds) {
  if (Sanitized()) GTEST_SKIP() << "the sanitizers reserve address space of their own";
  WriteFile(folder_ / "big.inp", SolidModel(300));
  RunOptions limited;
  limited.address_space_limit = 160ull << 20;
  Outcome o = Run({"big.inp"}, limited);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err.rfind("kelvane2d: error: big.inp: out of memory: the matrix needs 2", 0), 0u)
      << o.err;
  const std::string advice = " of address space (ulimit -v); with --solver=sparse it would need ";
  const std::size_t at = o.err.find(advice);
  ASSERT_NE(at, std::string::npos) << o.err;
  EXPECT_EQ(o.err.substr(o.err.size() - 18), " of address space\n") << o.err;
  EXPECT_FALSE(Exists(folder_ / "big.otp.csv"));

  limited.address_space_limit = SizeInBytes(o.err.c_str() + at + advice.size());
  Outcome sparse = Run({"--solver=sparse", "big.inp"}, limited);
  EXPECT_EQ(sparse.status, 0) << limited.address_space_limit << ": " << sparse.err;
}

// Under a limit on the address space the sparse solver takes as many BLAS
// threads as fit, or refuses; a BLAS thread short of its buffer would retry
// for ever, so a run that hangs is killed and fails the test.
TEST_F(Hardening, SparseUnderAnAddressSpaceLimitRunsOrRefusesButNeverHangs) {
  if (Sanitized()) GTEST_SKIP() << "the sanitizers reserve address space of their own";
  WriteFile(folder_ / "big.inp", SolidModel(300));
  RunOptions limited;
  limited.kill_after_ms = 30000;
  int ran = 0, refused = 0;
  for (std::uint64_t mib = 200; mib <= 500; mib += 20) {
    limited.address_space_limit = mib << 20;
    Outcome o = Run({"--solver=sparse", "--threads=4", "big.inp"}, limited);
    ASSERT_TRUE(o.status == 0 || o.status == 1) << mib << " MiB: status " << o.status;
    if (o.status == 0) {
      ++ran;
      continue;
    }
    ++refused;
    EXPECT_EQ(o.err.rfind("kelvane2d: error: big.inp: out of memory: ", 0), 0u) << o.err;
  }
  EXPECT_GT(ran, 0);
  EXPECT_GT(refused, 0);
}

// A square of 8 m of concrete between two airs, with [grid] as given.
std::string SquareDetail(const std::string& grid) {
  return "title = \"a square of 8 m\"\n[grid]\n" + grid +
         "\n[materials]\nconcrete = 2.3\n[conditions]\n"
         "inside = { ambient = 20, resistance = 0.13 }\noutside = { ambient = -10, resistance = 0.04 }\n"
         "[[shape]]\nfill = \"concrete\"\nrect = [0, 0, 8000, 8000]\n"
         "[[shape]]\nfill = \"outside\"\nrect = [-10, 0, 0, 8000]\n"
         "[[shape]]\nfill = \"inside\"\nrect = [8000, 0, 8010, 8000]\n";
}

// Files of a few hundred bytes that ask for grids far beyond the memory are
// refused before the grid is made, at the [grid] key that asks for the most
// cells, with the sizes: in milliseconds and a few MB, where they took
// 12 to 22 GB and up to two minutes before.
TEST_F(Hardening, GridsBeyondTheMemoryAreRefusedBeforeTheyAreMade) {
  struct Case {
    const char* grid;
    const char* solver;
    const char* refusal;
  } cases[] = {
      {"max_cell = 1", "profile",
       "m.toml:3:12: out of memory: the grid of 8002 x 8000 cells with the profile solver's "
       "tables needs 3821.6 GiB; this machine has "},
      {"max_cell = 100\nfine = 1e-310\ngrowth = 1.2", "profile",
       "m.toml:4:8: out of memory: the grid of 7953 x 7951 cells with the profile solver's tables "
       "needs 3751.9 GiB; this machine has "},
      // Cells that do not grow cost what they cost; so many would not fit
      // with either solver.
      {"max_cell = 100\nfine = 0.5\ngrowth = 1", "profile",
       "m.toml:4:8: out of memory: the grid of 16002 x 16000 cells with the profile solver's tables "
       "needs 30545.2 GiB; this machine has "},
      {"max_cell = 100\nfine = 0.5\ngrowth = 1", "sparse",
       "m.toml:4:8: out of memory: the grid of 16002 x 16000 cells with the sparse solver's tables "
       "needs 202.6 GiB; this machine has "},
      {"max_cell = 0.5", "sparse",
       "m.toml:3:12: out of memory: the grid of 16002 x 16000 cells with the sparse solver's tables "
       "needs 202.6 GiB; this machine has "},
      {"max_cell = 100\nfine = 0.1\ngrowth = 1", "sparse",
       "m.toml:4:8: overflow: the grid would have 80002 x 80000 cells, more than a grid of "
       "2147483647 grid points holds\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.grid) + ", " + c.solver);
    WriteFile(folder_ / "m.toml", SquareDetail(c.grid));
    // Under 16 GiB of address space every one is too large on any machine
    // (the sanitizers reserve address space of their own).
    RunOptions limited;
    limited.address_space_limit = Sanitized() ? 0 : std::uint64_t{16} << 30;
    Outcome o = Run({std::string("--solver=") + c.solver, "m.toml"}, limited);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind(std::string("kelvane2d: error: ") + c.refusal, 0), 0u) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_LT(o.seconds, 1.0);
    EXPECT_LT(o.peak_bytes, 100u << 20);
    EXPECT_FALSE(Exists(folder_ / "m.otp.csv"));
  }
}

// Threads beyond the cores would only wait for each other's rows; the
// factorisation takes no more than there are, with the same bits.
TEST_F(Hardening, ThreadsBeyondTheCoresCostNothing) {
  WriteFile(folder_ / "m.inp", SolidModel(200));
  ASSERT_EQ(Run({"--threads=1", "m.inp"}).status, 0);
  const std::string one = ReadFile(folder_ / "m.otp.csv");
  RunOptions bounded;
  bounded.kill_after_ms = 20000;  // 4096 threads on 2 cores took a minute
  EXPECT_EQ(Run({"--threads=4096", "m.inp"}, bounded).status, 0);
  EXPECT_EQ(ReadFile(folder_ / "m.otp.csv"), one);
}

TEST_F(Hardening, InterruptLeavesNothingBehind) {
  WriteFile(folder_ / "big.inp", SolidModel(400));
  WriteFile(folder_ / "big.otp.csv", "earlier result");
  for (int signal_number : {SIGINT, SIGTERM}) {
    RunOptions interrupt;
    interrupt.signal_after_ms = 150;
    interrupt.signal = signal_number;
    Outcome o = Run({"big.inp"}, interrupt);
    EXPECT_EQ(o.status, 128 + signal_number);
    EXPECT_EQ(ReadFile(folder_ / "big.otp.csv"), "earlier result");
    EXPECT_EQ(FolderEntries(folder_.path()),
              (std::vector<std::string>{"big.inp", "big.otp.csv", "home"}));
  }
}

TEST_F(Hardening, ProgramsStartingTogetherNeverTearTheSettings) {
  const std::string ini = folder_ / "home/.config/Tessel/settings.ini";
  std::system(("mkdir -p '" + folder_ / "home/.config/Tessel" + "'").c_str());
  const std::string others = "; kept\n[Other]\nkey=value\n";
  WriteFile(ini, others);
  for (int round = 0; round < 10; ++round) {
    std::vector<pid_t> children;
    for (int i = 0; i < 8; ++i) {
      pid_t pid = fork();
      if (pid == 0) {
        Outcome o = Run({"no-model.inp"});
        _exit(o.status == 1 ? 0 : 1);
      }
      children.push_back(pid);
    }
    for (pid_t pid : children) {
      int status = 0;
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::string text = ReadFile(ini);
    EXPECT_EQ(text.rfind(others, 0), 0u) << text;
    EXPECT_EQ(text.substr(others.size()).rfind("[Kelvane2D1]\nslvpath=", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '['), 2) << text;
  }
  EXPECT_EQ(FolderEntries(folder_ / "home/.config/Tessel"), std::vector<std::string>{"settings.ini"});
}

}  // namespace
}  // namespace kelvane::testing
