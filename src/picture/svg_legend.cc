#include "picture/svg_legend.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "picture/colour_map.h"
#include "picture/svg_palette.h"
#include "platform/number_text.h"
#include "platform/xml_text.h"

namespace kelvane {
namespace {

constexpr double kLegendRow = 18;
constexpr int kMostConditionsShown = 12;

// A round length (1, 2 or 5 times a power of ten) of at most `limit`.
double RoundLengthBelow(double limit) {
  const double power = std::pow(10.0, std::floor(std::log10(limit)));
  for (double mantissa : {5.0, 2.0, 1.0}) {
    if (mantissa * power <= limit) return mantissa * power;
  }
  return power;
}

// A tick on the colour bar at `t` with its text.
void BarTick(SvgPage& page, double t, const std::string& text, bool bold) {
  const SvgLayout& l = page.layout;
  const double ty = l.bar_y + l.bar_height * (1 - page.Fraction(t));
  page.overlay += "<path stroke=\"#333333\" stroke-width=\"0.75\" d=\"M" +
                  SvgPage::P(l.bar_x + l.bar_width) + ' ' + SvgPage::P(ty) + "h5\"/>\n<text x=\"" +
                  SvgPage::P(l.bar_x + l.bar_width + 8) + "\" y=\"" + SvgPage::P(ty) +
                  "\" font-size=\"11\" dominant-baseline=\"central\"" +
                  (bold ? " font-weight=\"bold\"" : "") + ">" + XmlText(text) + "</text>\n";
}

// The legend's rows, one under the other, each a symbol and a text.
struct LegendRows {
  SvgPage& page;
  double x;
  double y;
  double right;  // the widest row's right end

  void Row(const std::string& symbol, const std::string& text) {
    page.overlay += symbol + "<text x=\"" + SvgPage::P(x + 24) + "\" y=\"" + SvgPage::P(y) +
                    "\" font-size=\"11\" dominant-baseline=\"central\">" + XmlText(text) +
                    "</text>\n";
    right = std::max(right, x + 24 + TextWidth(text, 11));
    y += kLegendRow;
  }
  std::string LineSymbol(const std::string& colour, double width) const {
    return "<path stroke=\"" + colour + "\" stroke-width=\"" + SvgPage::P(width) + "\" d=\"M" +
           SvgPage::P(x) + ' ' + SvgPage::P(y) + "h18\"/>";
  }
};

// The conditions that some side uses, in their order, the first twelve of
// them by name.
void ConditionRows(LegendRows& rows) {
  const SvgPage& page = rows.page;
  std::vector<char> used(static_cast<std::size_t>(std::max(0, page.ConditionCount())) + 1, 0);
  for (const GridSide& side : page.grid.ConvectionSides()) {
    used[static_cast<std::size_t>(side.condition)] = 1;
  }
  int shown = 0, hidden = 0;
  for (int v = 1; v <= page.ConditionCount(); ++v) {
    if (!used[static_cast<std::size_t>(v)]) continue;
    if (shown == kMostConditionsShown) {
      ++hidden;
      continue;
    }
    const Convection& c = page.values.conditions[static_cast<std::size_t>(v)];
    // R where the file gave R, as written; else h.
    const double h = c.HeatTransferCoefficient;
    const std::string surface =
        page.labels.GivenAsResistance(v) && h != 0
            ? ", R " + NumberText(1 / h, 12) + " m\xC2\xB2 K/W"
            : ", h " + NumberText(h, 12) + " W/(m\xC2\xB2 K)";
    rows.Row(rows.LineSymbol(HexColour(ConditionColour(page.ConditionSlot(v))), 3),
             page.labels.Condition(v) + ": ambient " + TemperatureText(c.AmbientTemperature, 6) +
                 (page.labels.drawing ? " \xC2\xB0""C" : "") + surface);
    ++shown;
  }
  if (hidden > 0) rows.Row("", "and " + std::to_string(hidden) + " more conditions");
}

}  // namespace

void DrawColourBar(SvgPage& page) {
  const auto anchors = ColourMapAnchors();
  page.defs += "<linearGradient id=\"bar\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">\n";
  for (std::size_t i = 0; i < anchors.size(); ++i) {
    page.defs += "<stop offset=\"" + Fixed(static_cast<double>(i) / (anchors.size() - 1), 4) +
                 "\" stop-color=\"" + HexColour(anchors[i]) + "\"/>\n";
  }
  page.defs += "</linearGradient>\n";
  const SvgLayout& l = page.layout;
  const double x = l.bar_x, y = l.bar_y;
  // The unit beside the heading, on its line: below it, it met the top
  // tick's label.
  page.overlay += "<text x=\"" + SvgPage::P(x) + "\" y=\"" + SvgPage::P(y - 14) +
                  "\" font-size=\"12\" font-weight=\"bold\">Temperature<tspan "
                  "font-size=\"10\" font-weight=\"normal\" fill=\"#444444\">, " +
                  (page.labels.drawing ? "\xC2\xB0""C" : "in the input's unit") +
                  "</tspan></text>\n"
                  "<rect x=\"" + SvgPage::P(x) + "\" y=\"" + SvgPage::P(y) + "\" width=\"" +
                  SvgPage::P(l.bar_width) + "\" height=\"" + SvgPage::P(l.bar_height) +
                  "\" fill=\"url(#bar)\" stroke=\"#333333\" stroke-width=\"0.75\"/>\n";
  const double maximum = page.grid.Maximum(), minimum = page.grid.Minimum();
  BarTick(page, maximum, TemperatureText(maximum, page.label_decimals + 1), true);
  BarTick(page, minimum, TemperatureText(minimum, page.label_decimals + 1), true);
  // Every level that leaves room, at least 13 px from its neighbours.
  auto bar_y = [&](double t) { return y + l.bar_height * (1 - page.Fraction(t)); };
  double last_y = bar_y(maximum);
  const double bottom_y = bar_y(minimum);
  for (auto it = page.levels.values.rbegin(); it != page.levels.values.rend(); ++it) {
    const double ty = bar_y(*it);
    if (ty - last_y < 13 || bottom_y - ty < 13) continue;
    BarTick(page, *it, TemperatureText(*it, page.label_decimals), false);
    last_y = ty;
  }
}

void DrawScaleBar(SvgPage& page) {
  const double length = RoundLengthBelow(std::min(page.window_width, 160 / page.layout.scale));
  const double px = length * page.layout.scale;
  const double x = page.frame_x, y = page.frame_y + page.draw_height + 22;
  page.overlay += "<path fill=\"none\" stroke=\"#333333\" stroke-width=\"1\" d=\"M" +
                  SvgPage::P(x) + ' ' + SvgPage::P(y - 4) + "v4h" + SvgPage::P(px) +
                  "v-4\"/>\n<text x=\"" + SvgPage::P(x + px + 6) + "\" y=\"" + SvgPage::P(y) +
                  "\" font-size=\"11\">" + XmlText(TemperatureText(length, 6)) + " mm</text>\n";
  page.layout.height = std::max(page.layout.height, y + 10 + kMargin);
}

namespace {

void CircleRow(LegendRows& rows, const std::string& text) {
  rows.Row("<circle cx=\"" + SvgPage::P(rows.x + 9) + "\" cy=\"" + SvgPage::P(rows.y) +
               "\" r=\"5\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1.8\"/>",
           text);
}

// The rows below the keys of lines: fixed points, probes, the circled
// point and the notes; then the page grows to hold the legend.
void MarkerRows(LegendRows& rows, const std::optional<SvgOptions::Mark>& critical) {
  SvgPage& page = rows.page;
  const std::vector<PicturePoint> fixed = page.grid.FixedNodes();
  if (!fixed.empty()) {
    rows.Row("<path fill=\"#111111\" d=\"M" + SvgPage::P(rows.x + 7) + ' ' +
                 SvgPage::P(rows.y - 2) + "h4v4h-4z\"/>",
             "fixed temperature (" + std::to_string(fixed.size()) + " points)");
  }
  if (!page.labels.probes.empty()) {
    rows.Row("<path stroke=\"#000000\" stroke-width=\"1.5\" d=\"M" + SvgPage::P(rows.x + 5) +
                 ' ' + SvgPage::P(rows.y - 4) + "l8 8m0 -8l-8 8\"/>",
             "probe");
  }
  if (critical) {
    CircleRow(rows, critical->legend);
  } else if (std::optional<PicturePoint> coldest = page.grid.ColdestSurfacePoint()) {
    CircleRow(rows, "coldest surface point: " +
                        TemperatureText(coldest->temperature, page.label_decimals + 1));
  }
  for (const std::string& note : page.notes) rows.Row("", note);
  page.layout.width = std::max(page.layout.width, rows.right + kMargin);
  page.layout.height = std::max(page.layout.height, rows.y + kMargin);
}

std::string Swatch(const LegendRows& rows, Rgb colour) {
  return "<rect x=\"" + SvgPage::P(rows.x) + "\" y=\"" + SvgPage::P(rows.y - 6) +
         "\" width=\"18\" height=\"12\" fill=\"" + HexColour(colour) +
         "\" stroke=\"#303030\" stroke-width=\"0.75\"/>";
}

// As written (12 digits), or to `digits` where worked out (a cavity's).
std::string Lambda(const Material& m, int digits) {
  const std::string x = NumberText(m.ConductivityX, digits);
  if (m.ConductivityX == m.ConductivityY) return "\xCE\xBB " + x + " W/(m K)";
  return "\xCE\xBB x " + x + ", y " + NumberText(m.ConductivityY, digits) + " W/(m K)";
}

}  // namespace

void DrawLegend(SvgPage& page, const std::optional<SvgOptions::Mark>& critical) {
  const SvgLayout& l = page.layout;
  LegendRows rows{page, l.bar_x, l.bar_y + l.bar_height + 30, l.bar_x + l.bar_width + 80};
  if (l.isotherm_count > 0) {
    rows.Row(rows.LineSymbol("#1a1a1a", 0.9),
             "isotherms every " + TemperatureText(page.levels.step, page.label_decimals));
  }
  rows.Row(rows.LineSymbol("#303030", 0.8), "material boundary");
  ConditionRows(rows);
  MarkerRows(rows, critical);
}

void DrawMaterialsLegend(SvgPage& page, const std::optional<SvgOptions::Mark>& critical) {
  const SvgLayout& l = page.layout;
  page.overlay += "<text x=\"" + SvgPage::P(l.bar_x) + "\" y=\"" + SvgPage::P(l.bar_y - 20) +
                  "\" font-size=\"12\" font-weight=\"bold\">Materials</text>\n";
  LegendRows rows{page, l.bar_x, l.bar_y, l.bar_x + 80};
  const int materials = static_cast<int>(page.materials.size()) - 1;
  for (int m = 1; m <= std::min(materials, kMostConditionsShown * 3); ++m) {
    const std::size_t n = static_cast<std::size_t>(m);
    const std::string name = n < page.labels.materials.size() ? page.labels.materials[n] : "";
    rows.Row(Swatch(rows, page.MaterialFill(m)),
             name + ": " + Lambda(page.materials[n], page.IsCavity(m) ? 4 : 12));
  }
  if (materials > kMostConditionsShown * 3) {
    rows.Row("", "and " + std::to_string(materials - kMostConditionsShown * 3) + " more materials");
  }
  rows.y += 8;
  const int conditions = std::min(page.ConditionCount(), kMostConditionsShown);
  for (int v = 1; v <= conditions; ++v) {
    const double ambient = page.values.conditions[static_cast<std::size_t>(v)].AmbientTemperature;
    rows.Row(Swatch(rows, page.ConditionFill(1 + (v - 1) % kConditionSlots)),
             page.labels.Condition(v) + ": ambient " + TemperatureText(ambient, 6) +
                 (page.labels.drawing ? " \xC2\xB0""C" : ""));
  }
  if (page.ConditionCount() > conditions) {
    rows.Row("", "and " + std::to_string(page.ConditionCount() - conditions) + " more conditions");
  }
  const int fixed = std::min(page.FixedCount(), kMostConditionsShown);
  for (int i = 1; i <= fixed; ++i) {
    rows.Row(Swatch(rows, page.FixedFill(1 + (i - 1) % kFixedSlots)),
             page.labels.Fixed(i) + ": fixed at " +
                 TemperatureText(page.values.fixed[static_cast<std::size_t>(i)], 6) +
                 (page.labels.drawing ? " \xC2\xB0""C" : ""));
  }
  rows.y += 8;
  rows.Row(rows.LineSymbol("#303030", 0.8), "material boundary");
  MarkerRows(rows, critical);
}

}  // namespace kelvane
