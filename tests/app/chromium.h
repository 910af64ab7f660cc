// Headless Chromium for the tests that look at what a reader sees: where it
// is, and a run of it with the flags that work here (as root, without a GPU,
// a display or the network), its profile in a folder of the test's own.
#pragma once

#include <string>
#include <vector>

#include "app/process.h"

namespace kelvane::testing {

// The browser's path; empty where it is not installed.
std::string FindChromium();

// Runs `chromium` headless on the file `page` with `extra` arguments (what
// to make of it: --screenshot=..., --dump-dom, --print-to-pdf=...).
Outcome RunChromium(const std::string& chromium, const TemporaryFolder& folder,
                    const std::string& page, const std::vector<std::string>& extra);

}  // namespace kelvane::testing
