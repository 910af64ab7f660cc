// The --version line: what a bug report quotes.

#include "app/version.h"

#include <gtest/gtest.h>

#include <regex>

namespace kelvane {
namespace {

// A library whose version macro or function went astray shows as an empty
// or odd version here rather than in a bug report.
TEST(Version, EveryLinkedLibraryHasADottedVersion) {
  std::vector<std::string> names;
  for (const LibraryVersion& library : LinkedLibraries()) {
    names.push_back(library.name);
    EXPECT_TRUE(std::regex_match(library.version, std::regex(R"(\d+\.\d+(\.\d+)*)")))
        << library.name << " '" << library.version << "'";
  }
  EXPECT_EQ(names, (std::vector<std::string>{"zlib", "libpng", "nlohmann-json", "toml++", "dxflib",
                                               "CHOLMOD", "OpenBLAS"}));
  EXPECT_TRUE(std::regex_match(ProgramVersion(), std::regex(R"(\d+\.\d+\.\d+)")));
}

}  // namespace
}  // namespace kelvane
