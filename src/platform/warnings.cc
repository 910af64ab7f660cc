#include "platform/warnings.h"

#include "platform/error.h"

namespace kelvane {

std::string WarningLine(const Warning& warning) {
  return Printable(warning.place.empty() ? warning.text : warning.place + ": " + warning.text);
}

}  // namespace kelvane
