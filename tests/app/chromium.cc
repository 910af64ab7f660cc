#include "app/chromium.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::testing {

std::string FindChromium() {
  for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser",
                           "/usr/lib/chromium/chromium", "/snap/bin/chromium"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return "";
}

Outcome RunChromium(const std::string& chromium, const TemporaryFolder& folder,
                    const std::string& page, const std::vector<std::string>& extra) {
  const std::string profile = folder / "chromium-profile";
  mkdir(profile.c_str(), 0700);
  std::vector<std::string> args = {
      "120", chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
      "--no-first-run", "--disable-background-networking", "--disable-component-update",
      "--disable-sync", "--user-data-dir=" + profile};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back("file://" + page);
  return RunProgram("/usr/bin/timeout", args, {{"PATH", "/usr/bin:/bin"}, {"HOME", folder.path()}},
                    folder.path());
}

}  // namespace kelvane::testing
