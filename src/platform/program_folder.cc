#include "platform/program_folder.h"

#include <unistd.h>

#include <vector>

#include "platform/error.h"
#include "platform/file_io.h"

namespace kelvane {

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) {
      throw RunError(ErrorKind::kFileNotFound, "/proc/self/exe",
                     "the program's own folder cannot be found");
    }
    if (static_cast<std::size_t>(n) < buffer.size()) {
      return FolderOf(std::string(buffer.data(), static_cast<std::size_t>(n)));
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

}  // namespace kelvane
