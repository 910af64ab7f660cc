// Runs the built program as a user would: in a folder of its own, with an
// environment of the test's choosing, capturing its output and status.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kelvane::testing {

struct Outcome {
  int status = -1;  // Exit status, or 128 + signal.
  std::string out;
  std::string err;
  double seconds = 0;            // From the start to the end of the child.
  std::uint64_t peak_bytes = 0;  // Its peak resident size.
};

struct RunOptions {
  std::uint64_t address_space_limit = 0;  // RLIMIT_AS of the child; 0: none.
  int signal_after_ms = -1;               // Send `signal` after this long; -1: never.
  int signal = 0;
  int kill_after_ms = -1;  // A run still going after this long is killed; -1: never.
  // Standard output goes to this file (opened for writing, not truncated)
  // instead of being captured; "closed": the program starts without it.
  std::string stdout_path;
};

Outcome RunProgram(const std::string& binary, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env, const std::string& cwd,
                   const RunOptions& options = RunOptions());

// A fresh folder under /tmp, removed with everything in it at the end.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& path);

}  // namespace kelvane::testing
