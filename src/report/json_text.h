// Pieces of JSON text: strings quoted and escaped, numbers in their shortest
// form that reads back to the same 64-bit value.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// `text` as a JSON string. '"', '\' and control characters are escaped; a
// byte that is not part of valid UTF-8 becomes U+FFFD, so the output is
// always valid UTF-8 whatever the input file held.
std::string JsonString(std::string_view text);

// The shortest decimal text that reads back as `value` ("0.1", "1e-15",
// "-0"); null for an infinity or a NaN, which JSON cannot express.
std::string JsonNumber(double value);

}  // namespace kelvane
