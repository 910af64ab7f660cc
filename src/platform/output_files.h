// The files one run writes, claimed before the run computes anything and
// put in place together once it has succeeded.
//
// A claim refuses, naming the path: a folder, a device, a FIFO or a socket
// (or a symbolic link to one), a symbolic link to nothing, a name in a
// folder that does not exist, a file that the folder's sticky bit keeps
// from being replaced, the run's input, and a file that another output of
// the same run claims already. Two paths are one file when they have the
// same device and inode (where the file exists) or the same normalised
// path: the real path of its folder (links, "." and ".." resolved) and its
// name (where it does not). A symbolic link to a regular file is written
// through: the file it points to is replaced, the link stays.
//
// Each output is written to a temporary file beside its target as soon as
// its content is known, flushed to disk. Commit() then writes standard
// output, holds interrupts back, renames the temporary files over their
// targets in the order they were claimed (the run claims its result file
// last, so that a result never stands beside pictures of an older run) and
// flushes each folder. A run that fails or is interrupted before Commit()
// leaves every earlier output as it was and no new one: the temporary
// files are removed by the destructor or, on an interrupt, by the handler
// (platform/interrupt.h).
//
// The remaining window: the renames are one act for interrupts, which wait
// until they are done (and then until the next run starts, or for ever if
// the program ends first: the run has succeeded), but not
// for a crash of the machine or a SIGKILL between two of them, after which
// the outputs renamed so far are new, the rest old, and the temporary files
// of the rest are left behind; and a rename that fails after others have
// been done (the targets were checked again just before, so only a fault of
// the file system itself can do that) leaves those others new.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

class TemporaryFileGuard;

class OutputFiles {
 public:
  // A new run: interrupts held back by an earlier run's commit are let
  // through now (and end the program if one came).
  OutputFiles();
  ~OutputFiles();
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // The run reads `path`, which exists: no output may be it.
  void AddInput(const std::string& path);

  // Claims `path` for the output that `what` names in messages ("the
  // picture"); "-" is standard output when `standard_output` allows it,
  // else a file of that name. Returns the output's number for Write.
  int Claim(const std::string& path, const std::string& what, bool standard_output = false);

  // Writes output `output`'s content: a file's to its temporary file now,
  // standard output's at Commit().
  void Write(int output, std::string_view content);

  // Puts every output written in place. Standard output is written first,
  // by `write_standard_output` if set (it throws on failure), else to
  // stdout with every error checked.
  void Commit();
  void SetStandardOutputWriter(std::function<void(std::string_view)> write) {
    write_standard_output_ = std::move(write);
  }

 private:
  struct Output {
    std::string path;    // As given: for messages.
    std::string target;  // The file to replace or make.
    std::string what;
    bool standard_output = false;
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;  // Of the new file: an existing file's are kept.
    bool written = false;
    std::string content;  // Standard output's.
    std::unique_ptr<TemporaryFileGuard> temporary;
  };
  struct Input {
    std::string path;
    std::string real;
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
  };
  void RefuseSameFile(const Output& claimed) const;
  void CheckTargetsAgain() const;
  void RenameAll();

  std::vector<Input> inputs_;
  std::vector<Output> outputs_;
  std::function<void(std::string_view)> write_standard_output_;
};

}  // namespace kelvane
