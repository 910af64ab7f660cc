// The fixture of the tests that run the built program in a folder of their
// own: its output, and its JSON report of a detail file written there.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "app/process.h"

namespace kelvane::testing {

class ProgramTest : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args) {
    return RunProgram(KELVANE2D_BINARY, args,
                      {{"PATH", "/usr/bin:/bin"}, {"HOME", folder_.path()}}, folder_.path());
  }
  // `text` written as `file` and run with -q --report=json and `options`.
  nlohmann::json Report(const std::string& file, const std::string& text,
                        std::vector<std::string> options = {}) {
    WriteFile(folder_ / file, text);
    options.insert(options.begin(), {"-q", "--report=json"});
    options.push_back(file);
    const Outcome o = Run(options);
    EXPECT_EQ(o.status, 0) << o.err;
    return o.status == 0 ? nlohmann::json::parse(o.out) : nlohmann::json();
  }
  static std::string ExampleText(const std::string& name) {
    return ReadFile(std::string(KELVANE_SOURCE_DIR) + "/examples/" + name);
  }
  TemporaryFolder folder_;
};

}  // namespace kelvane::testing
