// The result page of one model (--html): one HTML document that opens in
// any browser with no network and no other file. A header with the title,
// the input file, the date, the version, the grid and the run time; the
// picture, inline, with a readout of x, y, the temperature and the material
// under the pointer (computed in the page from the nodal temperatures it
// carries) and points pinned by a click; then the report's tables. It
// prints on A4 without its interactive parts.
#pragma once

#include <string>

#include "report/page_field.h"
#include "report/report.h"

namespace kelvane {

// The picture as --svg draws it, and where the model lies on it: a point x
// mm right of column line 1 and y mm below row line 1 lies at origin +
// scale * (x, y) in the picture's units.
struct PagePicture {
  std::string svg;
  double origin_x = 0;
  double origin_y = 0;
  double scale = 1;
  // The materials view, laid out as the temperature view is; the page
  // switches between them. Empty: the page has the one view.
  std::string materials_svg;
};

// What the page says of the run itself.
struct PageRun {
  std::string date;     // As the page prints it.
  std::string version;  // The program's.
  double seconds = 0;   // From reading the model to its report.
  std::string input_sha256;  // Of the input file's bytes; empty if unknown.
};

std::string HtmlPage(const ModelReport& report, const PageField& field,
                     const PagePicture& picture, const PageRun& run);

}  // namespace kelvane
