// The result page's own style sheet and script, written by hand and inlined
// into every page: no framework, nothing fetched. Their text is the files
// src/report/page/page.css and page.js, compiled in at build time
// (cmake/embed.cmake); edit those.
#pragma once

namespace kelvane {

// The screen and print (A4) styles.
const char* PageStyle();

// The readout under the pointer and the pinned points. It reads the field
// from the data attributes of the element #k-field (report/html_page.cc)
// and draws into the picture's SVG.
const char* PageScript();

}  // namespace kelvane
