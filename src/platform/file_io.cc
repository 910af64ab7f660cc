#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/error.h"
#include "platform/interrupt.h"

namespace kelvane {
namespace {

std::string Reason(int error_number) { return std::strerror(error_number); }

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

mode_t NewFileMode() {
  static const mode_t mask = [] {
    mode_t m = umask(0);
    umask(m);
    return m;
  }();
  return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ReadWholeFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    int e = errno;
    if (e == ENOENT || e == ENOTDIR) {
      throw RunError(ErrorKind::kFileNotFound, path, "no such file");
    }
    throw RunError(ErrorKind::kFileNotReadable, path, Reason(e));
  }
  struct stat info;
  if (fstat(fd, &info) != 0) {
    int e = errno;
    close(fd);
    throw RunError(ErrorKind::kFileNotReadable, path, Reason(e));
  }
  if (S_ISDIR(info.st_mode)) {
    close(fd);
    throw RunError(ErrorKind::kFileNotReadable, path, "is a folder");
  }
  if (!S_ISREG(info.st_mode)) {
    close(fd);
    throw RunError(ErrorKind::kFileNotReadable, path, "not a regular file");
  }
  std::string content;
  try {
    content.resize(static_cast<std::size_t>(info.st_size));
  } catch (const std::bad_alloc&) {
    close(fd);
    throw RunError(ErrorKind::kOutOfMemory, path, "the file does not fit in memory");
  }
  std::size_t have = 0;
  while (have < content.size()) {
    ssize_t n = read(fd, content.data() + have, content.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      close(fd);
      throw RunError(ErrorKind::kFileNotReadable, path, Reason(e));
    }
    if (n == 0) break;  // The file shrank while it was read.
    have += static_cast<std::size_t>(n);
  }
  content.resize(have);
  close(fd);
  return content;
}

void WriteTemporaryFile(const std::string& path, std::string_view content, mode_t mode,
                        TemporaryFileGuard& temporary) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  int fd = temporary.Create(FolderOf(path) + "/." + name + ".tmp-XXXXXX");
  if (fd < 0) {
    throw RunError(ErrorKind::kFileNotWritable, path, Reason(errno));
  }
  bool ok = WriteAll(fd, content) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  int e = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    e = errno;
  }
  if (!ok) {
    temporary.Remove();
    throw RunError(ErrorKind::kFileNotWritable, path, Reason(e));
  }
}

void ReplaceFileAtomically(const std::string& path, std::string_view content) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    throw RunError(ErrorKind::kFileNotWritable, path, "is a folder");
  }
  TemporaryFileGuard temporary;
  WriteTemporaryFile(path, content, NewFileMode(), temporary);
  if (temporary.RenameTo(path) != 0) {
    const int e = errno;
    temporary.Remove();
    throw RunError(ErrorKind::kFileNotWritable, path,
                   e == EISDIR ? "is a folder" : Reason(e));
  }
}

}  // namespace kelvane
