#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/error.h"
#include "platform/file_io.h"

namespace kelvane {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The section name of a "[name]" line, if it is one.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);  // A byte-order mark.
  std::string_view t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

// The key of a "key=value" line, if it is one (comments are not).
std::optional<std::string_view> KeyName(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '#') return std::nullopt;
  std::size_t equals = t.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(0, equals));
}

// Creates every missing folder of `path`.
bool MakeFolders(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      std::string part = path.substr(0, i);
      if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<std::string> SettingsFilePath(const std::string& application) {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return std::nullopt;
    base = std::string(home) + "/.config";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/" + application + "/settings.ini";
}

std::string UpdateIniText(std::string_view text, std::string_view section,
                          std::string_view key, std::string_view value) {
  const std::string newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  const std::string entry = std::string(key) + "=" + std::string(value);

  // Split into lines, each with its own line break (the last may have none).
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  auto body = [](std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  };

  std::string out;
  bool in_section = false;
  bool section_seen = false;
  bool written = false;
  std::size_t section_end = 0;  // Where to add the key if it is missing.
  for (std::string_view line : lines) {
    std::string_view content = body(line);
    if (auto name = SectionName(content)) {
      in_section = !section_seen && SameName(*name, section);
      if (in_section) section_seen = true;
      out += line;
      if (in_section) section_end = out.size();
      continue;
    }
    if (in_section) {
      if (auto k = KeyName(content); k && SameName(*k, key)) {
        if (written) continue;  // A repeat of the key: the value is one.
        std::string_view ending = line.substr(content.size());
        out += entry;
        out += ending.empty() ? std::string_view() : ending;
        written = true;
        section_end = out.size();
        continue;
      }
      out += line;
      if (!Trim(content).empty()) section_end = out.size();
      continue;
    }
    out += line;
  }
  if (written) return out;
  if (section_seen) {
    std::string insert;
    if (section_end > 0 && out[section_end - 1] != '\n') insert += newline;
    insert += entry + newline;
    out.insert(section_end, insert);
    return out;
  }
  if (!out.empty() && out.back() != '\n') out += newline;
  out += "[" + std::string(section) + "]" + newline + entry + newline;
  return out;
}

std::optional<std::string> WriteSettingsValue(const std::string& application,
                                              const std::string& section,
                                              const std::string& key,
                                              const std::string& value) {
  const std::string prefix = "the settings value " + key + " was not written: ";
  if (value.find_first_of("\r\n") != std::string::npos) {
    return prefix + "the value contains a line break";
  }
  std::optional<std::string> path = SettingsFilePath(application);
  if (!path) return prefix + "there is no home folder (HOME is not set)";
  std::string folder = FolderOf(*path);
  if (!MakeFolders(folder)) {
    return prefix + folder + ": " + std::strerror(errno);
  }
  // The folder's lock serialises the read-modify-write of programs that
  // start at the same moment; the rename makes each replacement whole.
  int lock = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock >= 0) {
    while (flock(lock, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  std::optional<std::string> warning;
  try {
    std::string old;
    try {
      old = ReadWholeFile(*path);
    } catch (const RunError& e) {
      if (e.kind() != ErrorKind::kFileNotFound) throw;
    }
    // A settings file that is a link is updated where it points.
    std::string target = *path;
    if (char* resolved = realpath(path->c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
    ReplaceFileAtomically(target, UpdateIniText(old, section, key, value));
  } catch (const RunError& e) {
    warning = prefix + e.what();
  }
  if (lock >= 0) close(lock);
  return warning;
}

}  // namespace kelvane
