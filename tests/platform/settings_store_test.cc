#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/file_io.h"

namespace kelvane {
namespace {

TEST(UpdateIniText, KeepsEverythingElse) {
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"empty file", "", "[Kelvane2D1]\nslvpath=/opt/k\n"},
      {"other sections kept, section appended",
       "; comment\n[Other]\nslvpath=x\n",
       "; comment\n[Other]\nslvpath=x\n[Kelvane2D1]\nslvpath=/opt/k\n"},
      {"no final line break", "[Other]\na=1", "[Other]\na=1\n[Kelvane2D1]\nslvpath=/opt/k\n"},
      {"value replaced in place",
       "[Kelvane2D1]\nfirst=1\nslvpath=/old\nlast=2\n",
       "[Kelvane2D1]\nfirst=1\nslvpath=/opt/k\nlast=2\n"},
      {"names compare without case, repeats dropped",
       "[kelvane2d1]\n SlvPath = /old\nslvpath=/older\n",
       "[kelvane2d1]\nslvpath=/opt/k\n"},
      {"key added at the end of its section",
       "[Kelvane2D1]\na=1\n\n[Next]\nb=2\n",
       "[Kelvane2D1]\na=1\nslvpath=/opt/k\n\n[Next]\nb=2\n"},
      {"CRLF files stay CRLF",
       "[Kelvane2D1]\r\na=1\r\n",
       "[Kelvane2D1]\r\na=1\r\nslvpath=/opt/k\r\n"},
      {"byte-order mark before the section",
       "\xEF\xBB\xBF[Kelvane2D1]\nslvpath=/old\n",
       "\xEF\xBB\xBF[Kelvane2D1]\nslvpath=/opt/k\n"},
      {"commented key is not the key",
       "[Kelvane2D1]\n;slvpath=/old\n",
       "[Kelvane2D1]\n;slvpath=/old\nslvpath=/opt/k\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpdateIniText(c.before, "Kelvane2D1", "slvpath", "/opt/k"), c.after) << c.name;
  }
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvane-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    SaveEnv("HOME", &home_);
    SaveEnv("XDG_CONFIG_HOME", &xdg_);
  }
  void TearDown() override {
    RestoreEnv("HOME", home_);
    RestoreEnv("XDG_CONFIG_HOME", xdg_);
    std::system(("chmod -R u+w '" + dir_ + "'; rm -rf '" + dir_ + "'").c_str());
  }
  static void SaveEnv(const char* name, std::optional<std::string>* slot) {
    const char* value = std::getenv(name);
    if (value) *slot = value;
  }
  static void RestoreEnv(const char* name, const std::optional<std::string>& value) {
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::string dir_;
  std::optional<std::string> home_, xdg_;
};

TEST_F(SettingsFileTest, LocationFollowsTheEnvironment) {
  setenv("HOME", "/home/u", 1);
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsFilePath("Tessel"), "/home/u/.config/Tessel/settings.ini");
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(SettingsFilePath("Tessel"), "/home/u/.config/Tessel/settings.ini");
  setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  EXPECT_EQ(SettingsFilePath("Tessel"), "/home/u/.config/Tessel/settings.ini");
  setenv("XDG_CONFIG_HOME", "/cfg/", 1);
  EXPECT_EQ(SettingsFilePath("Tessel"), "/cfg/Tessel/settings.ini");
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("HOME");
  EXPECT_EQ(SettingsFilePath("Tessel"), std::nullopt);
}

TEST_F(SettingsFileTest, WritesCreatingFoldersAndKeepsOtherEntries) {
  setenv("XDG_CONFIG_HOME", (dir_ + "/a/b").c_str(), 1);
  EXPECT_EQ(WriteSettingsValue("Tessel", "Kelvane2D1", "slvpath", "/first"), std::nullopt);
  std::string path = dir_ + "/a/b/Tessel/settings.ini";
  EXPECT_EQ(ReadWholeFile(path), "[Kelvane2D1]\nslvpath=/first\n");
  { std::ofstream(path, std::ios::app) << "[Other]\nkey=kept\n"; }
  EXPECT_EQ(WriteSettingsValue("Tessel", "Kelvane2D1", "slvpath", "/second"), std::nullopt);
  EXPECT_EQ(ReadWholeFile(path), "[Kelvane2D1]\nslvpath=/second\n[Other]\nkey=kept\n");
}

TEST_F(SettingsFileTest, ALinkedFileIsUpdatedWhereItPoints) {
  setenv("XDG_CONFIG_HOME", (dir_ + "/cfg").c_str(), 1);
  std::system(("mkdir -p '" + dir_ + "/cfg/Tessel' '" + dir_ + "/real'").c_str());
  { std::ofstream(dir_ + "/real/settings.ini") << "[Other]\nk=v\n"; }
  ASSERT_EQ(symlink((dir_ + "/real/settings.ini").c_str(),
                    (dir_ + "/cfg/Tessel/settings.ini").c_str()), 0);
  EXPECT_EQ(WriteSettingsValue("Tessel", "Kelvane2D1", "slvpath", "/x"), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir_ + "/real/settings.ini"), "[Other]\nk=v\n[Kelvane2D1]\nslvpath=/x\n");
  struct stat info;
  ASSERT_EQ(lstat((dir_ + "/cfg/Tessel/settings.ini").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(SettingsFileTest, FailureIsAWarningOnly) {
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("HOME");
  EXPECT_EQ(WriteSettingsValue("Tessel", "Kelvane2D1", "slvpath", "/x"),
            "the settings value slvpath was not written: there is no home folder (HOME is not set)");
  setenv("XDG_CONFIG_HOME", (dir_ + "/file").c_str(), 1);
  { std::ofstream(dir_ + "/file") << "a file where a folder should be"; }
  std::optional<std::string> warning = WriteSettingsValue("Tessel", "Kelvane2D1", "slvpath", "/x");
  ASSERT_TRUE(warning.has_value());
  EXPECT_EQ(warning->rfind("the settings value slvpath was not written: ", 0), 0u) << *warning;
  EXPECT_EQ(WriteSettingsValue("Tessel", "Kelvane2D1", "slvpath", "/x\ny"),
            "the settings value slvpath was not written: the value contains a line break");
}

}  // namespace
}  // namespace kelvane
