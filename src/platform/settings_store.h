// The per-user settings store: an INI file at
// ${XDG_CONFIG_HOME:-$HOME/.config}/<application>/settings.ini. The program
// writes one value there at every start, so that other programs can find it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

// Where the settings file of `application` lies, from the environment;
// nothing when neither XDG_CONFIG_HOME (absolute) nor HOME is set.
std::optional<std::string> SettingsFilePath(const std::string& application);

// Sets `key` in `[section]` of an INI text to `value`. An existing value is
// replaced (later repeats of the key in that section are dropped); every
// other section, key, comment and blank line is kept as it stands. A missing
// section is appended, a missing key is added at the end of its section.
// Section and key names compare without regard to case, as INI readers do.
std::string UpdateIniText(std::string_view text, std::string_view section,
                          std::string_view key, std::string_view value);

// Writes the value into the settings file, creating folders as needed and
// replacing the file atomically under a lock, so that programs starting at
// the same moment never leave it torn. Returns a warning when the value
// could not be written; the caller goes on regardless.
std::optional<std::string> WriteSettingsValue(const std::string& application,
                                              const std::string& section,
                                              const std::string& key,
                                              const std::string& value);

}  // namespace kelvane
