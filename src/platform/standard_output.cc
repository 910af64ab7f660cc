#include "platform/standard_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/error.h"

namespace kelvane {
namespace {

bool g_output_closed = false;  // Descriptor 1 was closed at the start.

std::string Reason(int error_number) {
  if (g_output_closed) return "it is closed";
  return error_number != 0 ? std::strerror(error_number) : "a write failed";
}

}  // namespace

void ReserveStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = open("/dev/null", O_RDONLY);
    if (opened < 0) continue;
    if (opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
    if (fd == STDOUT_FILENO) g_output_closed = true;
  }
}

void WriteStandardOutput(std::string_view text) {
  errno = 0;
  const bool ok = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                  std::fflush(stdout) == 0;
  if (!ok || std::ferror(stdout)) {
    const int e = errno;
    std::clearerr(stdout);
    throw RunError(ErrorKind::kFileNotWritable, "standard output", Reason(e));
  }
}

int FinishStandardOutput(int status, const char* program) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
  int e = errno;
  const bool closed = std::fclose(stdout) == 0;
  if (flushed && !closed) e = errno;
  if (flushed && closed) return status;
  const RunError error(ErrorKind::kFileNotWritable, "standard output", Reason(e));
  std::fprintf(stderr, "%s: error: %s\n", program, error.what());
  return 1;
}

}  // namespace kelvane
