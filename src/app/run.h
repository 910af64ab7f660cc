// Main: the start-up sequence and the run of each model.
#pragma once

#include <string>

#include "app/model_run.h"

namespace kelvane {

inline constexpr const char* kInputFileName = "kelvane.inp";
inline constexpr const char* kResultFileName = "kelvane.otp.csv";

// The input and result of a command-line PATH: a folder gives its
// kelvane.inp and kelvane.otp.csv; a file "x.inp" gives "x.otp.csv" beside
// it, any other name gets ".otp.csv" appended.
ModelPaths PathsFor(const std::string& path);

// A file beside a result, named after it: "wall.otp.csv" and ".svg" give
// "wall.svg"; a result of another name gets the extension appended.
std::string BesideResult(const std::string& result_path, const std::string& extension);

// The whole program; returns the exit status.
int RunMain(int argc, const char* const* argv);

}  // namespace kelvane
