// SHA-256 (FIPS 180-4) of a string of bytes, as 64 lowercase hexadecimal
// digits: what ties a printed result to the input it was made from.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

std::string Sha256Hex(std::string_view bytes);

}  // namespace kelvane
