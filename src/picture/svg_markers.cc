#include "picture/svg_markers.h"

#include <optional>
#include <vector>

#include "platform/xml_text.h"

namespace kelvane {
namespace {

constexpr std::size_t kMaxMarkers = 20000;

void DrawFixedNodes(SvgPage& page) {
  const std::vector<PicturePoint> fixed = page.grid.FixedNodes();
  if (fixed.size() > kMaxMarkers) {
    page.notes.push_back("fixed-temperature points not marked: too many to draw");
    return;
  }
  if (fixed.empty()) return;
  std::string d;
  for (const PicturePoint& p : fixed) {
    d += 'M' + SvgPage::P(page.Px(page.grid.X(p.k)) - 2) + ' ' +
         SvgPage::P(page.Py(page.grid.Y(p.j)) - 2) + "h4v4h-4z";
  }
  page.overlay += "<path fill=\"#111111\" stroke=\"#ffffff\" stroke-width=\"0.75\" d=\"" + d +
                  "\"/>\n";
}

void DrawColdestPoint(SvgPage& page, const PicturePoint& coldest) {
  const double x = page.Px(page.grid.X(coldest.k)), y = page.Py(page.grid.Y(coldest.j));
  const std::string cx = SvgPage::P(x), cy = SvgPage::P(y);
  page.overlay += "<circle cx=\"" + cx + "\" cy=\"" + cy +
                  "\" r=\"6\" fill=\"none\" stroke=\"#ffffff\" stroke-width=\"4\"/>\n"
                  "<circle cx=\"" + cx + "\" cy=\"" + cy +
                  "\" r=\"6\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1.8\"/>\n";
  // The label right of the circle, or left where it would run off the
  // page; above it, or below near the top.
  const std::string text = TemperatureText(coldest.temperature, page.label_decimals + 1);
  const double width = TextWidth(text, 11);
  const bool left = x + 10 + width > page.layout.origin_x + page.draw_width + 40;
  const double ty = y - 10 < page.layout.origin_y + 8 ? y + 18 : y - 10;
  page.overlay += "<text class=\"halo\" font-size=\"11\" font-weight=\"bold\" x=\"" +
                  SvgPage::P(left ? x - 9 : x + 9) + "\" y=\"" + SvgPage::P(ty) +
                  "\" text-anchor=\"" + (left ? "end" : "start") + "\">" + XmlText(text) +
                  "</text>\n";
}

}  // namespace

void DrawMarkers(SvgPage& page) {
  DrawFixedNodes(page);
  if (std::optional<PicturePoint> coldest = page.grid.ColdestSurfacePoint()) {
    DrawColdestPoint(page, *coldest);
  }
}

}  // namespace kelvane
