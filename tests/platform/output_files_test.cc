#include "platform/output_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "app/process.h"
#include "platform/error.h"
#include "platform/interrupt.h"

namespace kelvane {
namespace {

using testing::Exists;
using testing::FolderEntries;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

// Each test runs in a folder of its own, as the current folder, so that
// relative names ("./x", "a/../x") mean what a user means by them.
class OutputFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_EQ(chdir(folder_.path().c_str()), 0);
    mkdir("sub", 0755);
    WriteFile("model.toml", "input");
    WriteFile("old.svg", "old picture");
  }
  void TearDown() override {
    ReleaseInterrupts();  // A commit holds them back; the tests' children inherit that.
    ASSERT_EQ(chdir(previous_), 0);
  }

  // The refusal of claiming `path` after `earlier` were claimed, or "" if
  // it was claimed.
  std::string ClaimRefusal(const std::vector<std::string>& earlier, const std::string& path) {
    OutputFiles outputs;
    outputs.AddInput("model.toml");
    for (const std::string& e : earlier) outputs.Claim(e, "the picture", true);
    try {
      outputs.Claim(path, "the result page", true);
    } catch (const RunError& e) {
      return e.what();
    }
    return "";
  }

  TemporaryFolder folder_;
  char previous_[4096];
};

TEST_F(OutputFilesTest, RefusesWhatIsNoFileOrIsAnotherOfTheRun) {
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  ASSERT_EQ(symlink("fifo", "to-fifo"), 0);
  ASSERT_EQ(symlink("sub", "to-sub"), 0);
  ASSERT_EQ(symlink("gone", "dangling"), 0);
  ASSERT_EQ(symlink("model.toml", "to-model"), 0);
  ASSERT_EQ(link("old.svg", "hard.svg"), 0);
  struct Case {
    std::vector<std::string> earlier;
    std::string path;
    std::string refusal;
  } cases[] = {
      {{}, "fifo", "fifo: file not writable: is a FIFO, not a regular file"},
      {{}, "to-fifo", "to-fifo: file not writable: is a FIFO, not a regular file"},
      {{}, "sub", "sub: file not writable: is a folder"},
      {{}, "to-sub", "to-sub: file not writable: is a folder"},
      {{}, "sub/", "sub/: file not writable: is a folder"},
      {{}, "new/", "new/: file not writable: names a folder, not a file"},
      {{}, "sub/..", "sub/..: file not writable: is a folder"},
      {{}, "dangling", "dangling: file not writable: is a symbolic link to nothing"},
      {{}, "none/x.svg", "none/x.svg: file not writable: its folder \"none\" does not exist"},
      {{}, "old.svg/x", "old.svg/x: file not writable: a part of the path before its name is not a folder"},
      {{}, "", "file not writable: the name is empty"},
      {{}, "model.toml",
       "model.toml: file not writable: is the input of the run; the result page needs a file of its own"},
      {{}, "./model.toml",
       "./model.toml: file not writable: is the input of the run; the result page needs a file of its own"},
      {{}, "sub/../model.toml",
       "sub/../model.toml: file not writable: is the input of the run; the result page needs a file of its own"},
      {{}, "to-model",
       "to-model: file not writable: is the input of the run; the result page needs a file of its own"},
      {{"old.svg"}, "old.svg",
       "old.svg: file not writable: both the picture and the result page would be written there"},
      {{"old.svg"}, "hard.svg",
       "hard.svg: file not writable: both the picture and the result page would be written there "
       "(as \"old.svg\")"},
      {{"new.svg"}, "./sub/../new.svg",
       "./sub/../new.svg: file not writable: both the picture and the result page would be written "
       "there (as \"new.svg\")"},
      {{"to-sub/new.svg"}, "sub/new.svg",
       "sub/new.svg: file not writable: both the picture and the result page would be written there "
       "(as \"to-sub/new.svg\")"},
      {{"-"}, "-", "standard output: file not writable: both the picture and the result page would go there"},
      {{"old.svg"}, "sub/new.svg", ""},
      {{"-"}, "new.svg", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClaimRefusal(c.earlier, c.path), c.refusal) << Quoted(c.path);
  }
}

TEST_F(OutputFilesTest, RefusesDevicesMadeHere) {
  if (geteuid() != 0) GTEST_SKIP() << "mknod needs root; the FIFO case covers the rest";
  ASSERT_EQ(mknod("null", S_IFCHR | 0666, makedev(1, 3)), 0);
  ASSERT_EQ(mknod("disk", S_IFBLK | 0600, makedev(7, 0)), 0);
  EXPECT_EQ(ClaimRefusal({}, "null"), "null: file not writable: is a character device, not a regular file");
  EXPECT_EQ(ClaimRefusal({}, "disk"), "disk: file not writable: is a block device, not a regular file");
}

TEST_F(OutputFilesTest, NothingIsInPlaceBeforeTheCommitAndNoTemporaryFileStays) {
  {
    OutputFiles outputs;
    outputs.Write(outputs.Claim("old.svg", "the picture"), "new picture");
    outputs.Write(outputs.Claim("new.html", "the result page"), "page");
    EXPECT_EQ(ReadFile("old.svg"), "old picture");
    EXPECT_FALSE(Exists("new.html"));
    // The run fails here: the outputs go out of scope uncommitted.
  }
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"model.toml", "old.svg", "sub"}));
  EXPECT_EQ(ReadFile("old.svg"), "old picture");
}

TEST_F(OutputFilesTest, CommitPutsEveryOutputInPlaceThroughLinksWithTheirModes) {
  chmod("old.svg", 0600);
  ASSERT_EQ(symlink("old.svg", "link.svg"), 0);
  std::string printed;
  {
    OutputFiles outputs;
    outputs.SetStandardOutputWriter([&](std::string_view text) { printed = text; });
    outputs.Write(outputs.Claim("link.svg", "the picture"), "new picture");
    outputs.Write(outputs.Claim("sub/page.html", "the result page"), "page");
    outputs.Write(outputs.Claim("-", "the report", true), "report");
    outputs.Claim("never.csv", "the node table");  // Never written: never made.
    outputs.Commit();
  }
  EXPECT_EQ(printed, "report");
  EXPECT_EQ(ReadFile("old.svg"), "new picture");
  struct stat info;
  ASSERT_EQ(lstat("link.svg", &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(stat("old.svg", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(ReadFile("sub/page.html"), "page");
  EXPECT_EQ(FolderEntries("."),
            (std::vector<std::string>{"link.svg", "model.toml", "old.svg", "sub"}));
  EXPECT_EQ(FolderEntries("sub"), std::vector<std::string>{"page.html"});
}

// A failure of standard output or of a target that changed since its claim
// leaves every file as it was.
TEST_F(OutputFilesTest, AFailedCommitPutsNothingInPlace) {
  {
    OutputFiles outputs;
    outputs.SetStandardOutputWriter([](std::string_view) {
      throw RunError(ErrorKind::kFileNotWritable, "standard output", "No space left on device");
    });
    outputs.Write(outputs.Claim("old.svg", "the picture"), "new picture");
    outputs.Write(outputs.Claim("-", "the report", true), "report");
    EXPECT_THROW(outputs.Commit(), RunError);
  }
  {
    OutputFiles outputs;
    outputs.Write(outputs.Claim("old.svg", "the picture"), "new picture");
    outputs.Write(outputs.Claim("late.html", "the result page"), "page");
    ASSERT_EQ(mkfifo("late.html", 0644), 0);
    try {
      outputs.Commit();
      ADD_FAILURE() << "committed over a FIFO";
    } catch (const RunError& e) {
      EXPECT_STREQ(e.what(), "late.html: file not writable: is a FIFO, not a regular file");
    }
  }
  EXPECT_EQ(ReadFile("old.svg"), "old picture");
  EXPECT_EQ(FolderEntries("."),
            (std::vector<std::string>{"late.html", "model.toml", "old.svg", "sub"}));
}

}  // namespace
}  // namespace kelvane
