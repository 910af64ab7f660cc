#include "output/result_writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/error.h"
#include "platform/file_io.h"

namespace kelvane {
namespace {

TEST(ResultWriter, PrintFormOfTheHeader) {
  EXPECT_EQ(PrintForm(23), " 23 ");
  EXPECT_EQ(PrintForm(0), " 0 ");
  EXPECT_EQ(PrintForm(-4), "-4 ");
}

TEST(ResultWriter, ShapeOfTheFile) {
  // A 2 x 1 model: result grid (0..5, 0..4).
  Table2<Cell> grid(5, 4);
  grid(1, 1) = Cell::Number(100);
  grid(2, 1) = Cell::Number(0.5);
  grid(3, 2) = Cell::Number(-1e-5);
  grid(4, 3) = Cell::Text("x");
  grid(0, 1) = Cell::Number(7);  // Row 0 and column 0 never appear.
  grid(2, 0) = Cell::Number(8);
  EXPECT_EQ(ResultFileText(grid),
            " 4 ,  5 \r\n"
            "100,0.5,,,\r\n"
            ",,-1E-05,,\r\n"
            ",,,x,\r\n"
            ",,,,\r\n");
}

class ResultFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvane-writer-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::vector<std::string> Entries() {
    std::vector<std::string> names;
    std::string list = dir_ + "/list";
    std::system(("ls -A '" + dir_ + "' > '" + list + "'").c_str());
    std::ifstream in(list);
    for (std::string name; std::getline(in, name);) {
      if (name != "list") names.push_back(name);
    }
    return names;
  }
  std::string dir_;
};

TEST_F(ResultFileTest, ReplacesWholeAndLeavesNoTemporaryFile) {
  Table2<Cell> grid(3, 3);
  std::string path = dir_ + "/r.otp.csv";
  { std::ofstream(path) << "an older and much longer result that must go entirely\n"; }
  WriteResultFile(path, grid);
  EXPECT_EQ(ReadWholeFile(path), ResultFileText(grid));
  EXPECT_EQ(Entries(), std::vector<std::string>{"r.otp.csv"});
}

TEST_F(ResultFileTest, FailuresKeepTheEarlierResult) {
  Table2<Cell> grid(3, 3);
  std::string folder_path = dir_ + "/folder.otp.csv";
  mkdir(folder_path.c_str(), 0755);
  try {
    WriteResultFile(folder_path, grid);
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(std::string(e.what()), folder_path + ": file not writable: is a folder");
  }
  try {
    WriteResultFile(dir_ + "/missing/r.otp.csv", grid);
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::kFileNotWritable);
  }
  if (geteuid() != 0) {
    std::string path = dir_ + "/r.otp.csv";
    { std::ofstream(path) << "earlier"; }
    chmod(dir_.c_str(), 0555);
    EXPECT_THROW(WriteResultFile(path, grid), RunError);
    chmod(dir_.c_str(), 0755);
    EXPECT_EQ(ReadWholeFile(path), "earlier");
  }
  std::vector<std::string> entries = Entries();
  for (const std::string& name : entries) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

}  // namespace
}  // namespace kelvane
