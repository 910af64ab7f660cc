#include "picture/svg_isotherms.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include "platform/xml_text.h"

namespace kelvane {
namespace {

constexpr double kIsothermPartPixels = 4;  // straight over about 4 px
// Above these, the subdivision is made coarser or the layer left out.
constexpr double kMaxIsothermParts = 4e6;
constexpr std::size_t kMaxIsothermPoints = 80000;

// Each element is cut into n x n parts of about kIsothermPartPixels, fewer
// when the whole model would have too many.
int Subdivisions(const SvgPage& page) {
  const PictureGrid& grid = page.grid;
  double largest_cell = 0;
  for (int k = 1; k <= grid.LastColumn() - 2; ++k) {
    largest_cell = std::max(largest_cell, grid.X(k + 1) - grid.X(k));
  }
  for (int j = 1; j <= grid.LastRow() - 2; ++j) {
    largest_cell = std::max(largest_cell, grid.Y(j + 1) - grid.Y(j));
  }
  int n = std::clamp(
      static_cast<int>(std::ceil(largest_cell * page.layout.scale / kIsothermPartPixels)), 1, 16);
  const double cells = static_cast<double>(grid.LastColumn() - 2) * (grid.LastRow() - 2);
  while (n > 1 && cells * n * n > kMaxIsothermParts) --n;
  return n;
}

// Every line of every level, in level order; nothing when they would take
// too many points.
std::optional<std::vector<Isotherm>> TraceAll(const SvgPage& page) {
  const int n = Subdivisions(page);
  const double tolerance = 0.25 / page.layout.scale;
  std::vector<Isotherm> all;
  std::size_t points = 0;
  for (double level : page.levels.values) {
    for (Isotherm& line : TraceIsotherms(page.grid, level, n)) {
      line.points = SimplifyLine(line.points, tolerance);
      points += line.points.size();
      all.push_back(std::move(line));
    }
    if (points > kMaxIsothermPoints) return std::nullopt;
  }
  return all;
}

// The path data of the lines from `i` on that share its level; moves `i`
// past them.
std::string LevelPath(const SvgPage& page, const std::vector<Isotherm>& all, std::size_t& i) {
  const double level = all[i].level;
  std::string d;
  for (; i < all.size() && all[i].level == level; ++i) {
    const std::vector<PointMm>& p = all[i].points;
    const bool closed = p.size() > 2 && p.front() == p.back();
    const std::size_t count = closed ? p.size() - 1 : p.size();
    for (std::size_t q = 0; q < count; ++q) {
      d += (q == 0 ? "M" : q == 1 ? "L" : " ") + page.Mm(p[q].x) + ' ' + page.Mm(p[q].y);
    }
    if (closed) d += 'Z';
  }
  return d;
}

// A line's length on the page, in pixels.
double PageLength(const SvgPage& page, const Isotherm& line) {
  double length = 0;
  const auto& p = line.points;
  for (std::size_t q = 1; q < p.size(); ++q) {
    length += std::hypot(p[q].x - p[q - 1].x, p[q].y - p[q - 1].y) * page.layout.scale;
  }
  return length;
}

// A place for a label: its centre in page pixels and the angle of the line.
struct LabelSpot {
  double x, y, angle;
};

// The point `goal` pixels along `line`; nothing when the line is shorter.
std::optional<LabelSpot> PointAlong(const SvgPage& page, const Isotherm& line, double goal) {
  const auto& p = line.points;
  double run = 0, seg = 0;
  std::size_t q = 1;
  for (; q < p.size(); ++q) {
    seg = std::hypot(p[q].x - p[q - 1].x, p[q].y - p[q - 1].y) * page.layout.scale;
    if (run + seg >= goal) break;
    run += seg;
  }
  if (q >= p.size()) return std::nullopt;
  const double f = seg > 0 ? (goal - run) / seg : 0;
  LabelSpot spot;
  spot.x = page.Px(p[q - 1].x + (p[q].x - p[q - 1].x) * f);
  spot.y = page.Py(p[q - 1].y + (p[q].y - p[q - 1].y) * f);
  spot.angle = std::atan2(p[q].y - p[q - 1].y, p[q].x - p[q - 1].x) * 180 / std::numbers::pi;
  // Upright text; lines within 15 degrees of vertical are all read from
  // below, as an axis is, whichever way they lean.
  if (spot.angle > 75) spot.angle -= 180;
  if (spot.angle < -105) spot.angle += 180;
  return spot;
}

// The labels placed so far, as circles that another may not overlap.
struct Placed {
  double x, y, radius;
};

bool IsFree(const SvgPage& page, const std::vector<Placed>& placed, double x, double y,
            double radius) {
  if (!(x - radius >= page.frame_x && x + radius <= page.frame_x + page.draw_width &&
        y - radius >= page.frame_y && y + radius <= page.frame_y + page.draw_height)) {
    return false;
  }
  for (const Placed& other : placed) {
    if (std::hypot(other.x - x, other.y - y) < other.radius + radius) return false;
  }
  return true;
}

// Up to three labels a level, on the longest lines first, each at the
// first of a few points along its line where it overlaps no other.
void DrawLabels(SvgPage& page, const std::vector<Isotherm>& lines) {
  constexpr double kFont = 10;
  constexpr int kPerLevel = 3;
  constexpr double kShortest = 70;  // px
  std::vector<std::pair<double, std::size_t>> by_length;
  for (std::size_t i = 0; i < lines.size(); ++i) by_length.push_back({PageLength(page, lines[i]), i});
  std::stable_sort(by_length.begin(), by_length.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  const std::vector<double>& levels = page.levels.values;
  std::vector<int> placed_per_level(levels.size(), 0);
  std::vector<Placed> placed;
  for (auto [length, i] : by_length) {
    if (length < kShortest) break;
    const std::size_t slot = static_cast<std::size_t>(
        std::lower_bound(levels.begin(), levels.end(), lines[i].level) - levels.begin());
    if (slot >= placed_per_level.size() || placed_per_level[slot] >= kPerLevel) continue;
    const std::string text = TemperatureText(lines[i].level, page.label_decimals);
    const double radius = TextWidth(text, kFont) / 2 + 3;
    for (double fraction : {0.5, 0.3, 0.7, 0.15, 0.85}) {
      const std::optional<LabelSpot> spot = PointAlong(page, lines[i], length * fraction);
      if (!spot || !IsFree(page, placed, spot->x, spot->y, radius)) continue;
      placed.push_back({spot->x, spot->y, radius});
      ++placed_per_level[slot];
      page.overlay += "<text class=\"halo\" font-size=\"10\" text-anchor=\"middle\" "
                      "dominant-baseline=\"central\" transform=\"translate(" + SvgPage::P(spot->x) +
                      ' ' + SvgPage::P(spot->y) + ") rotate(" + SvgPage::P(spot->angle) + ")\">" +
                      XmlText(text) + "</text>\n";
      break;
    }
  }
}

}  // namespace

void DrawIsotherms(SvgPage& page) {
  if (page.levels.values.empty()) return;
  const std::optional<std::vector<Isotherm>> all = TraceAll(page);
  if (!all) {
    page.notes.push_back("isotherms left out: the field is too uneven to draw them");
    return;
  }
  std::string paths;
  for (std::size_t i = 0; i < all->size();) {
    const double level = (*all)[i].level;
    const std::string d = LevelPath(page, *all, i);
    if (d.empty()) continue;
    paths += "<path d=\"" + d + "\"><title>" +
             XmlText(TemperatureText(level, page.label_decimals)) + "</title></path>\n";
    ++page.layout.isotherm_count;
  }
  if (paths.empty()) return;
  page.defs += "<g id=\"isotherms\">\n" + paths + "</g>\n";
  page.body += "<use xlink:href=\"#isotherms\" fill=\"none\" stroke=\"#ffffff\" "
               "stroke-opacity=\"0.4\" stroke-linejoin=\"round\" stroke-width=\"" +
               page.Mm(1.8 / page.layout.scale) + "\"/>\n";
  page.body += "<use xlink:href=\"#isotherms\" fill=\"none\" stroke=\"#1a1a1a\" "
               "stroke-linejoin=\"round\" stroke-width=\"" + page.Mm(0.9 / page.layout.scale) +
               "\"/>\n";
  DrawLabels(page, *all);
}

}  // namespace kelvane
