// SIGINT, SIGTERM and SIGHUP end the run at once with status 128 + signal.
// Temporary files that are being written are registered here so that the
// handler can remove them: an interrupted run leaves no temporary file, no
// partial result, and an earlier result as it was.
#pragma once

#include <string>

namespace kelvane {

void InstallInterruptHandlers();

// While a TemporaryFileGuard lives, its path is removed if the program is
// interrupted. Create() makes the file (mkstemp) and registers it with signals
// blocked, so no interrupt can fall between the two.
class TemporaryFileGuard {
 public:
  TemporaryFileGuard() = default;
  ~TemporaryFileGuard();
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

  // Creates a new file from `pattern` (ending in XXXXXX); returns its open
  // descriptor or -1 with errno set.
  int Create(const std::string& pattern);
  const std::string& path() const { return path_; }
  // Renames the file to `target` and forgets it, with signals blocked, so an
  // interrupt sees either the temporary file or the finished one. Returns 0,
  // or -1 with errno set (the file is then still registered).
  int RenameTo(const std::string& target);
  // Removes the file if it is still registered.
  void Remove();

 private:
  std::string path_;
  int slot_ = -1;
};

// Holds SIGINT, SIGTERM and SIGHUP back: one that comes from now on waits
// until ReleaseInterrupts(), and is lost if the program ends first. A run
// holds them from the moment it puts its outputs in place, so that a run
// whose outputs are in place is not then reported as interrupted.
void HoldInterrupts();
// Lets them through again; one that came while they were held ends the
// program now.
void ReleaseInterrupts();

// Tells the handler that a progress line is on the terminal and should be
// cleared before the program ends.
void SetProgressLineShown(bool shown);

}  // namespace kelvane
