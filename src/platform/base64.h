// Standard base64 with padding (RFC 4648), for data: URIs and the data a
// result page carries.
#pragma once

#include <string>

namespace kelvane {

std::string Base64(const std::string& bytes);

}  // namespace kelvane
