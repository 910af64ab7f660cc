// Text for SVG and other XML documents.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// `text` as XML character data or an attribute value: the five special
// characters escaped, bytes that are not valid UTF-8 and control characters
// replaced by U+FFFD, tabs and line breaks by blanks. A title read from any
// input therefore never breaks the document.
std::string XmlText(std::string_view text);

}  // namespace kelvane
