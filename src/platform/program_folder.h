// The folder that holds the running executable, and path joining as the
// start-up sequence does it.
#pragma once

#include <string>

namespace kelvane {

// The folder of the running executable, without a trailing "/" except for
// the root folder itself.
std::string ProgramFolder();

// folder + "/" + name: the separator is always added, so the root folder
// gives "//name", which the system resolves like "/name".
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace kelvane
