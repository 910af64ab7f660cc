#include "app/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kelvane::testing {

TemporaryFolder::TemporaryFolder() {
  char pattern[] = "/tmp/kelvane-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::system(("chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'").c_str());
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> FolderEntries(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

Outcome RunProgram(const std::string& binary, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env, const std::string& cwd,
                   const RunOptions& options) {
  TemporaryFolder capture;
  const std::string out_path = capture / "out";
  const std::string err_path = capture / "err";
  std::vector<std::string> env_text;
  for (const auto& [name, value] : env) env_text.push_back(name + "=" + value);
  std::vector<char*> argv, envp;
  argv.push_back(const_cast<char*>(binary.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (std::string& e : env_text) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    const bool closed = options.stdout_path == "closed";
    int out = options.stdout_path.empty() ? open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)
              : closed                    ? -1
                                          : open(options.stdout_path.c_str(), O_WRONLY);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(err, 2);
    if (closed) {
      close(1);
    } else {
      dup2(out, 1);
    }
    for (int fd : {out, err, in}) {
      if (fd > 2) close(fd);
    }
    if (chdir(cwd.c_str()) != 0) _exit(126);
    if (options.address_space_limit > 0) {
      rlimit limit{options.address_space_limit, options.address_space_limit};
      setrlimit(RLIMIT_AS, &limit);
    }
    execve(binary.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  const auto started = std::chrono::steady_clock::now();
  if (options.signal_after_ms >= 0) {
    usleep(static_cast<useconds_t>(options.signal_after_ms) * 1000);
    kill(pid, options.signal);
  }
  if (options.kill_after_ms < 0) {
    wait4(pid, &status, 0, &usage);
  } else {
    for (int waited_ms = 0; wait4(pid, &status, WNOHANG, &usage) == 0; waited_ms += 10) {
      if (waited_ms >= options.kill_after_ms) {
        kill(pid, SIGKILL);
        wait4(pid, &status, 0, &usage);
        break;
      }
      usleep(10000);
    }
  }
  Outcome outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  outcome.peak_bytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
  outcome.out = ReadFile(out_path);
  outcome.err = ReadFile(err_path);
  return outcome;
}

}  // namespace kelvane::testing
