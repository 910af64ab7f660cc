#include "platform/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/interrupt.h"
#include "platform/standard_output.h"

namespace kelvane {
namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
  throw RunError(ErrorKind::kFileNotWritable, path, why);
}

// The path with every link, "." and ".." resolved; "" with errno set when
// it leads nowhere.
std::string RealPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return "";
  std::string real = resolved;
  std::free(resolved);
  return real;
}

// What a file that is not a regular one is, for the refusal.
std::string NotRegular(mode_t mode) {
  if (S_ISDIR(mode)) return "is a folder";
  const char* kind = S_ISCHR(mode)    ? "a character device"
                     : S_ISBLK(mode)  ? "a block device"
                     : S_ISFIFO(mode) ? "a FIFO"
                     : S_ISSOCK(mode) ? "a socket"
                                      : "not a regular file";
  return std::string("is ") + kind + ", not a regular file";
}

// A name that ends in "/", "." or ".." names a folder, whether or not it
// exists.
bool NamesFolder(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  return name.empty() || name == "." || name == "..";
}

// Where `path` leads and what is there: `info` of the file when it exists
// (through a link), else the normalised path of the new name. Refuses what
// no output may be written to.
std::string Resolve(const std::string& path, bool* exists, struct stat* info) {
  if (path.empty()) Refuse(path, "the name is empty");
  struct stat link;
  if (lstat(path.c_str(), &link) == 0) {
    if (stat(path.c_str(), info) != 0) {
      Refuse(path, errno == ENOENT ? "is a symbolic link to nothing" : std::strerror(errno));
    }
    if (!S_ISREG(info->st_mode)) Refuse(path, NotRegular(info->st_mode));
    *exists = true;
    return RealPath(path);
  }
  if (errno == ENOTDIR) Refuse(path, "a part of the path before its name is not a folder");
  if (errno != ENOENT) Refuse(path, std::strerror(errno));
  if (NamesFolder(path)) Refuse(path, "names a folder, not a file");
  const std::string folder = FolderOf(path);
  const std::string real_folder = RealPath(folder);
  if (real_folder.empty()) {
    Refuse(path, errno == ENOENT ? "its folder " + Quoted(folder) + " does not exist"
                                 : std::strerror(errno));
  }
  *exists = false;
  return real_folder == "/" ? "/" + path.substr(path.find_last_of('/') + 1)
                            : real_folder + "/" + path.substr(path.find_last_of('/') + 1);
}

// Whether a file can be made and replaced in the folder of `target`.
void RequireReplaceable(const std::string& path, const std::string& target, bool exists,
                        const struct stat& info) {
  const std::string folder = FolderOf(target);
  if (access(folder.c_str(), W_OK | X_OK) != 0) Refuse(path, std::strerror(errno));
  struct stat folder_info;
  const uid_t me = geteuid();
  if (exists && me != 0 && stat(folder.c_str(), &folder_info) == 0 &&
      (folder_info.st_mode & S_ISVTX) && info.st_uid != me && folder_info.st_uid != me) {
    Refuse(path, "belongs to another user, and the sticky bit of its folder lets only them "
                 "replace it");
  }
}

void SyncFolder(const std::string& folder) {
  // A file system that cannot sync a folder (some refuse) keeps the renames
  // by its own schedule; the outputs are in place either way.
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

OutputFiles::OutputFiles() { ReleaseInterrupts(); }

OutputFiles::~OutputFiles() = default;

void OutputFiles::AddInput(const std::string& path) {
  Input input{path, RealPath(path)};
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    input.exists = true;
    input.device = info.st_dev;
    input.inode = info.st_ino;
  }
  inputs_.push_back(std::move(input));
}

int OutputFiles::Claim(const std::string& path, const std::string& what, bool standard_output) {
  Output output;
  output.path = path;
  output.what = what;
  if (standard_output && path == "-") {
    output.standard_output = true;
  } else {
    struct stat info;
    output.target = Resolve(path, &output.exists, &info);
    RequireReplaceable(path, output.target, output.exists, info);
    output.device = output.exists ? info.st_dev : 0;
    output.inode = output.exists ? info.st_ino : 0;
    output.mode = output.exists ? info.st_mode & 07777 : NewFileMode();
  }
  RefuseSameFile(output);
  outputs_.push_back(std::move(output));
  return static_cast<int>(outputs_.size()) - 1;
}

void OutputFiles::RefuseSameFile(const Output& claimed) const {
  auto same = [&](bool exists, dev_t device, ino_t inode, const std::string& target) {
    return (claimed.exists && exists && claimed.device == device && claimed.inode == inode) ||
           (!target.empty() && claimed.target == target);
  };
  if (claimed.standard_output) {
    for (const Output& o : outputs_) {
      if (o.standard_output) {
        Refuse("standard output", "both " + o.what + " and " + claimed.what + " would go there");
      }
    }
    return;
  }
  for (const Input& input : inputs_) {
    if (same(input.exists, input.device, input.inode, input.real)) {
      Refuse(claimed.path, "is the input of the run; " + claimed.what + " needs a file of its own");
    }
  }
  for (const Output& o : outputs_) {
    if (!o.standard_output && same(o.exists, o.device, o.inode, o.target)) {
      Refuse(claimed.path, "both " + o.what + " and " + claimed.what + " would be written there" +
                               (o.path == claimed.path ? "" : " (as " + Quoted(o.path) + ")"));
    }
  }
}

void OutputFiles::Write(int output, std::string_view content) {
  Output& o = outputs_.at(static_cast<std::size_t>(output));
  if (o.standard_output) {
    o.content.assign(content);
  } else {
    o.temporary = std::make_unique<TemporaryFileGuard>();
    try {
      WriteTemporaryFile(o.target, content, o.mode, *o.temporary);
    } catch (RunError& e) {
      e.SetPlace(o.path);
      throw;
    }
  }
  o.written = true;
}

// What was checked at the claim holds still: nothing else has put a
// folder, a device or the like where an output goes.
void OutputFiles::CheckTargetsAgain() const {
  for (const Output& o : outputs_) {
    if (!o.written || o.standard_output) continue;
    struct stat info;
    if (lstat(o.target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      Refuse(o.path, NotRegular(info.st_mode));
    }
  }
}

void OutputFiles::Commit() {
  CheckTargetsAgain();
  for (const Output& o : outputs_) {
    if (!o.written || !o.standard_output) continue;
    if (write_standard_output_) {
      write_standard_output_(o.content);
    } else {
      WriteStandardOutput(o.content);
    }
  }
  HoldInterrupts();
  RenameAll();
}

void OutputFiles::RenameAll() {
  std::set<std::string> folders;
  for (Output& o : outputs_) {
    if (!o.written || o.standard_output) continue;
    if (o.temporary->RenameTo(o.target) != 0) {
      Refuse(o.path, std::strerror(errno));
    }
    folders.insert(FolderOf(o.target));
  }
  for (const std::string& folder : folders) SyncFolder(folder);
}

}  // namespace kelvane
