#include "picture/svg.h"

#include <algorithm>
#include <cmath>

#include "picture/picture_grid.h"
#include "picture/svg_field.h"
#include "picture/svg_isotherms.h"
#include "picture/svg_legend.h"
#include "picture/svg_markers.h"
#include "picture/svg_page.h"
#include "picture/svg_sides.h"
#include "platform/xml_text.h"
#include "platform/error.h"
#include "platform/file_io.h"

namespace kelvane {
namespace {

// The layers, bottom to top. The legend comes last: it lists the notes of
// the layers left out.
// The materials view has no isotherms and no colour bar: its legend names
// the materials instead.
void DrawLayers(SvgPage& page, const SvgOptions& options) {
  DrawField(page, options.fill);
  DrawMaterialBoundaries(page);
  if (!page.materials_view) DrawIsotherms(page);
  // The regions' own colours tell the conditions apart there.
  if (!page.materials_view) DrawConvectionSides(page);
  DrawMarkers(page, options.critical);
  if (!page.materials_view) DrawColourBar(page);
  DrawScaleBar(page);
  page.layout.width =
      std::max(page.layout.width, page.frame_x + page.draw_width + kMargin);
  if (page.materials_view) {
    DrawMaterialsLegend(page, options.critical);
  } else {
    DrawLegend(page, options.critical);
  }
}

// The two lines of heading: the title and the model's size and range. The
// page grows to hold them.
std::string Heading(SvgPage& page, const std::string& title, const std::string& case_name) {
  const PictureGrid& grid = page.grid;
  const int columns = grid.LastColumn() - 2, rows = grid.LastRow() - 2;
  const std::string summary =
      (case_name.empty() ? "" : "case \xE2\x80\x9C" + case_name + "\xE2\x80\x9D; ") +
      std::to_string(columns) + " \xC3\x97 " + std::to_string(rows) + " cells, " +
      Fixed(grid.Width(), 3) + " \xC3\x97 " + Fixed(grid.Height(), 3) + " mm; temperatures " +
      TemperatureText(grid.Minimum(), page.label_decimals + 1) + " to " +
      TemperatureText(grid.Maximum(), page.label_decimals + 1) +
      (page.windowed ? "; shown: " + Fixed(page.window_width, 3) + " \xC3\x97 " +
                           Fixed(page.window_height, 3) + " mm of it"
                     : "");
  page.layout.width = std::max({page.layout.width, kMargin + 8 + TextWidth(summary, 12) + kMargin,
                                kMargin + 8 + TextWidth(title, 18) * 1.1 + kMargin});
  return "<text x=\"" + SvgPage::P(kMargin + 8) + "\" y=\"" + SvgPage::P(kMargin + 18) +
         "\" font-size=\"18\" font-weight=\"bold\">" + XmlText(title) + "</text>\n" +
         "<text x=\"" + SvgPage::P(kMargin + 8) + "\" y=\"" + SvgPage::P(kMargin + 38) +
         "\" font-size=\"12\" fill=\"#444444\">" + XmlText(summary) + "</text>\n";
}

std::string Document(const SvgPage& page, const std::string& title, const std::string& heading) {
  const std::string width = SvgPage::P(std::ceil(page.layout.width));
  const std::string height = SvgPage::P(std::ceil(page.layout.height));
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
      "width=\"" + width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + ' ' + height +
      "\" font-family=\"DejaVu Sans, Liberation Sans, Arial, Helvetica, sans-serif\">\n";
  s += "<title>" + XmlText(title) + "</title>\n";
  s += "<style>.halo{paint-order:stroke;stroke:#ffffff;stroke-width:3px;stroke-linejoin:round;"
       "fill:#000000}</style>\n";
  s += "<defs>\n" + page.defs + "</defs>\n";
  s += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  s += heading;
  // A window shows its part of the model only.
  if (page.windowed) {
    s += "<clipPath id=\"window\"><rect x=\"" + SvgPage::P(page.frame_x) + "\" y=\"" +
         SvgPage::P(page.frame_y) + "\" width=\"" + SvgPage::P(page.draw_width) +
         "\" height=\"" + SvgPage::P(page.draw_height) + "\"/></clipPath>\n"
         "<g clip-path=\"url(#window)\">\n";
  }
  s += "<g transform=\"translate(" + SvgPage::P(page.layout.origin_x) + ' ' +
       SvgPage::P(page.layout.origin_y) + ") scale(" + Fixed(page.layout.scale, 9) + ")\">\n" +
       page.body + "</g>\n";
  if (page.windowed) {
    s += "<rect x=\"" + SvgPage::P(page.frame_x) + "\" y=\"" + SvgPage::P(page.frame_y) +
         "\" width=\"" + SvgPage::P(page.draw_width) + "\" height=\"" +
         SvgPage::P(page.draw_height) +
         "\" fill=\"none\" stroke=\"#8c8c8c\" stroke-width=\"0.75\"/>\n</g>\n";
  }
  s += page.overlay;
  s += "</svg>\n";
  return s;
}

}  // namespace

SvgPicture DrawSvgPicture(const SolvedField& field, std::span<const double> temperature,
                          const EnvironmentValues& values, const ModelLabels& labels,
                          const SvgOptions& options) {
  PictureGrid grid(field, temperature);
  SvgPage page = LayOutPage(values, labels, grid);
  page.materials_view = options.view == SvgOptions::View::kMaterials;
  page.materials = field.model->MaterialTable;
  DrawLayers(page, options);
  const std::string title = labels.title.empty() ? "(untitled model)" : labels.title;
  const std::string heading = Heading(page, title, options.case_name);
  SvgPicture picture;
  picture.text = Document(page, title, heading);
  picture.layout = page.layout;
  picture.layout.width = std::ceil(picture.layout.width);
  picture.layout.height = std::ceil(picture.layout.height);
  return picture;
}

SvgPicture DrawSvgPicture(const SolvedField& field, const ModelLabels& labels,
                          const SvgOptions& options) {
  return DrawSvgPicture(field, field.temperature, ValuesOf(*field.model), labels, options);
}

}  // namespace kelvane
