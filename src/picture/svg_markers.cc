#include "picture/svg_markers.h"

#include <algorithm>
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
  std::string d;
  for (const PicturePoint& p : fixed) {
    if (!page.InFrame(page.Px(page.grid.X(p.k)), page.Py(page.grid.Y(p.j)))) continue;
    d += 'M' + SvgPage::P(page.Px(page.grid.X(p.k)) - 2) + ' ' +
         SvgPage::P(page.Py(page.grid.Y(p.j)) - 2) + "h4v4h-4z";
  }
  if (d.empty()) return;
  page.overlay += "<path fill=\"#111111\" stroke=\"#ffffff\" stroke-width=\"0.75\" d=\"" + d +
                  "\"/>\n";
}

// A rectangle of the page taken by a label, in pixels.
struct Box {
  double x0, y0, x1, y1;
  bool Meets(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// A circle at grid point (k, j) with `text` beside it: right of the circle
// and above it where that is free of `taken` and on the page, else left,
// else below; right and above when no place is free.
void DrawCircledPoint(SvgPage& page, int k, int j, const std::string& text,
                      const std::string& id, const std::vector<Box>& taken) {
  const double x = page.Px(page.grid.X(k)), y = page.Py(page.grid.Y(j));
  if (!page.InFrame(x, y)) return;
  const std::string cx = SvgPage::P(x), cy = SvgPage::P(y);
  page.overlay += "<g" + (id.empty() ? std::string() : " class=\"" + id + "\"") +
                  "><circle cx=\"" + cx + "\" cy=\"" + cy +
                  "\" r=\"6\" fill=\"none\" stroke=\"#ffffff\" stroke-width=\"4\"/>\n"
                  "<circle cx=\"" + cx + "\" cy=\"" + cy +
                  "\" r=\"6\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1.8\"/>\n";
  const double width = TextWidth(text, 11);
  const bool right_fits = x + 10 + width <= page.frame_x + page.draw_width + 40;
  const bool above_fits = y - 10 >= page.frame_y + 8;
  bool left = !right_fits;
  double ty = above_fits ? y - 10 : y + 18;
  for (const auto& [on_left, above] : {std::pair{false, true}, {true, true}, {false, false},
                                       {true, false}}) {
    if ((!on_left && !right_fits) || (above && !above_fits)) continue;
    const double by = above ? y - 10 : y + 18;
    const Box box = on_left ? Box{x - 9 - width, by - 10, x - 9, by + 3}
                            : Box{x + 9, by - 10, x + 9 + width, by + 3};
    if (std::none_of(taken.begin(), taken.end(), [&](const Box& t) { return t.Meets(box); })) {
      left = on_left;
      ty = by;
      break;
    }
  }
  page.overlay += "<text class=\"halo\" font-size=\"11\" font-weight=\"bold\" x=\"" +
                  SvgPage::P(left ? x - 9 : x + 9) + "\" y=\"" + SvgPage::P(ty) +
                  "\" text-anchor=\"" + (left ? "end" : "start") + "\">" + XmlText(text) +
                  "</text></g>\n";
}

// Each probe a small cross with its name, where the drawing puts it; the
// places its names take.
std::vector<Box> DrawProbes(SvgPage& page) {
  std::vector<Box> taken;
  const PictureGrid& grid = page.grid;
  for (const ProbePoint& probe : page.labels.probes) {
    const ProbeSpot& s = probe.spot;
    if (s.column < 1 || s.column + 1 > grid.LastColumn() - 1 || s.row < 1 ||
        s.row + 1 > grid.LastRow() - 1) {
      continue;
    }
    const double x = page.Px(grid.X(s.column) + s.fx * (grid.X(s.column + 1) - grid.X(s.column)));
    const double y = page.Py(grid.Y(s.row) + s.fy * (grid.Y(s.row + 1) - grid.Y(s.row)));
    if (!page.InFrame(x, y)) continue;
    const std::string d = "M" + SvgPage::P(x - 4) + ' ' + SvgPage::P(y - 4) + "l8 8M" +
                          SvgPage::P(x - 4) + ' ' + SvgPage::P(y + 4) + "l8 -8";
    page.overlay += "<g class=\"k-probe\"><path stroke=\"#ffffff\" stroke-width=\"3.5\" d=\"" +
                    d + "\"/><path stroke=\"#000000\" stroke-width=\"1.5\" d=\"" + d +
                    "\"/>\n<text class=\"halo\" font-size=\"10\" x=\"" + SvgPage::P(x + 6) +
                    "\" y=\"" + SvgPage::P(y + 12) + "\">" + XmlText(probe.name) + "</text></g>\n";
    taken.push_back({x + 6, y + 3, x + 6 + TextWidth(probe.name, 10), y + 15});
  }
  return taken;
}

}  // namespace

void DrawMarkers(SvgPage& page, const std::optional<SvgOptions::Mark>& critical) {
  DrawFixedNodes(page);
  const std::vector<Box> taken = DrawProbes(page);
  if (critical) {
    DrawCircledPoint(page, critical->column_line, critical->row_line, critical->label,
                     "k-critical", taken);
  } else if (std::optional<PicturePoint> coldest = page.grid.ColdestSurfacePoint()) {
    DrawCircledPoint(page, coldest->k, coldest->j,
                     TemperatureText(coldest->temperature, page.label_decimals + 1), "", taken);
  }
}

}  // namespace kelvane
