// What --version prints: one line that a bug report can quote whole, with
// the program's version, the libraries it was built with and the profile
// kernel this processor gets.
#pragma once

#include <string>
#include <vector>

namespace kelvane {

// The program's version, the CMake project version.
const char* ProgramVersion();

struct LibraryVersion {
  std::string name;
  std::string version;
};

// The libraries the program links, in the order printed: as the running
// program sees them where the library can say (the shared library loaded),
// else as compiled in.
std::vector<LibraryVersion> LinkedLibraries();

// "kelvane2d 1.0.0 (zlib 1.2.13, libpng 1.6.39; profile kernel AVX2)".
std::string VersionLine(const std::string& version, const std::vector<LibraryVersion>& libraries,
                        const std::string& kernel);

// The line for this build on this processor.
std::string VersionLine();

}  // namespace kelvane
