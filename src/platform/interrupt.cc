#include "platform/interrupt.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kelvane {
namespace {

constexpr int kSlots = 16;
// Paths the handler removes. A slot is in use while its first byte is not 0.
char g_temporary_paths[kSlots][PATH_MAX];
volatile sig_atomic_t g_progress_line_shown = 0;

extern "C" void OnInterrupt(int signal_number) {
  for (auto& path : g_temporary_paths) {
    if (path[0] != '\0') unlink(path);
  }
  if (g_progress_line_shown) {
    static const char kClear[] = "\r\033[K";
    ssize_t ignored = write(STDERR_FILENO, kClear, sizeof kClear - 1);
    (void)ignored;
  }
  _exit(128 + signal_number);
}

sigset_t InterruptSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

class SignalsBlocked {
 public:
  SignalsBlocked() {
    const sigset_t set = InterruptSignals();
    sigprocmask(SIG_BLOCK, &set, &previous_);
  }
  ~SignalsBlocked() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

 private:
  sigset_t previous_;
};

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaddset(&action.sa_mask, SIGHUP);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal_number, &action, nullptr);
  }
  // A program started with them blocked (a parent's mask is inherited) is
  // interruptible all the same.
  ReleaseInterrupts();
}

void HoldInterrupts() {
  const sigset_t set = InterruptSignals();
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void ReleaseInterrupts() {
  const sigset_t set = InterruptSignals();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void SetProgressLineShown(bool shown) { g_progress_line_shown = shown ? 1 : 0; }

TemporaryFileGuard::~TemporaryFileGuard() { Remove(); }

int TemporaryFileGuard::Create(const std::string& pattern) {
  Remove();
  if (pattern.size() >= PATH_MAX) {
    errno = ENAMETOOLONG;
    return -1;
  }
  SignalsBlocked blocked;
  int slot = -1;
  for (int i = 0; i < kSlots; ++i) {
    if (g_temporary_paths[i][0] == '\0') {
      slot = i;
      break;
    }
  }
  if (slot < 0) {
    errno = EMFILE;
    return -1;
  }
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  std::memcpy(g_temporary_paths[slot], buffer.data(), buffer.size());
  slot_ = slot;
  path_.assign(buffer.data());
  return fd;
}

int TemporaryFileGuard::RenameTo(const std::string& target) {
  if (slot_ < 0) {
    errno = ENOENT;
    return -1;
  }
  SignalsBlocked blocked;
  if (rename(g_temporary_paths[slot_], target.c_str()) != 0) return -1;
  g_temporary_paths[slot_][0] = '\0';
  slot_ = -1;
  return 0;
}

void TemporaryFileGuard::Remove() {
  if (slot_ < 0) return;
  SignalsBlocked blocked;
  unlink(g_temporary_paths[slot_]);
  g_temporary_paths[slot_][0] = '\0';
  slot_ = -1;
}

}  // namespace kelvane
