// The --version line: what a bug report quotes.

#include "app/version.h"

#include <gtest/gtest.h>

#include <regex>

namespace kelvane {
namespace {

TEST(Version, TheLineNamesVersionLibrariesAndKernel) {
  struct Case {
    std::vector<LibraryVersion> libraries;
    const char* kernel;
    const char* line;
  };
  const Case cases[] = {
      {{}, "portable", "kelvane2d 2.3.4 (profile kernel portable)"},
      {{{"zlib", "1.2.13"}}, "AVX2", "kelvane2d 2.3.4 (zlib 1.2.13; profile kernel AVX2)"},
      {{{"zlib", "1.2.13"}, {"libpng", "1.6.39"}, {"CHOLMOD", "5.0.1"}},
       "AVX-512",
       "kelvane2d 2.3.4 (zlib 1.2.13, libpng 1.6.39, CHOLMOD 5.0.1; profile kernel AVX-512)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionLine("2.3.4", c.libraries, c.kernel), c.line);
  }
}

// A library whose version macro or function went astray shows as an empty
// or odd version here rather than in a bug report.
TEST(Version, EveryLinkedLibraryHasADottedVersion) {
  std::vector<std::string> names;
  for (const LibraryVersion& library : LinkedLibraries()) {
    names.push_back(library.name);
    EXPECT_TRUE(std::regex_match(library.version, std::regex(R"(\d+\.\d+(\.\d+)*)")))
        << library.name << " '" << library.version << "'";
  }
  EXPECT_EQ(names, (std::vector<std::string>{"zlib", "libpng", "nlohmann-json", "toml++",
                                               "CHOLMOD", "OpenBLAS"}));
  EXPECT_TRUE(std::regex_match(ProgramVersion(), std::regex(R"(\d+\.\d+\.\d+)")));
}

}  // namespace
}  // namespace kelvane
