#include "picture/svg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <vector>

#include "picture/colour_map.h"
#include "picture/isotherms.h"
#include "picture/picture_grid.h"
#include "picture/png.h"
#include "picture/xml_text.h"
#include "platform/error.h"
#include "platform/file_io.h"

namespace kelvane {
namespace {

// The page, in pixels.
constexpr double kMargin = 16;
constexpr double kMaxDrawWidth = 880;
constexpr double kMaxDrawHeight = 620;
constexpr double kBarWidth = 18;
constexpr double kLegendRow = 18;
constexpr double kSubRectPixels = 3;       // vector fill: parts of about 3 px
constexpr double kIsothermPartPixels = 4;  // isotherms: straight over about 4 px

// Palette indices, shared by the vector fill and the raster: 0 white,
// 1..8 convection cells, 9 a fixed-temperature cell with no temperature,
// 10..255 the colour map.
constexpr int kConditionColours = 8;
constexpr int kGreyIndex = 9;
constexpr int kFirstLevelIndex = 10;
constexpr int kFieldLevels = 256 - kFirstLevelIndex;

// Above these sizes a layer is drawn more coarsely or left out, so that
// the file stays a few megabytes for any model.
constexpr std::size_t kMaxVectorRects = 8000;
constexpr double kMaxRasterSide = 2000;
constexpr std::size_t kMaxIsothermPoints = 80000;
constexpr std::size_t kMaxSideRuns = 60000;
constexpr std::size_t kMaxMarkers = 20000;
constexpr double kMaxIsothermParts = 4e6;

// Colour-blind-safe colours for the convection conditions, in turn.
constexpr std::array<Rgb, kConditionColours> kConditionPalette = {{
    {0xE6, 0x9F, 0x00},
    {0x56, 0xB4, 0xE9},
    {0xD5, 0x5E, 0x00},
    {0x00, 0x72, 0xB2},
    {0xCC, 0x79, 0xA7},
    {0x00, 0x9E, 0x73},
    {0xF0, 0xE4, 0x42},
    {0x55, 0x55, 0x55},
}};
constexpr double kTint = 0.10;  // how strongly a convection cell takes its colour

Rgb ConditionColour(int condition) {
  return kConditionPalette[static_cast<std::size_t>(condition - 1) % kConditionColours];
}

Rgb Tinted(Rgb colour) {
  auto mix = [](int c) { return static_cast<std::uint8_t>(std::lround(255 + (c - 255) * kTint)); };
  return {mix(colour.r), mix(colour.g), mix(colour.b)};
}

std::vector<Rgb> Palette() {
  std::vector<Rgb> palette(256, Rgb{255, 255, 255});
  for (int i = 0; i < kConditionColours; ++i) palette[1 + i] = Tinted(kConditionPalette[i]);
  palette[kGreyIndex] = {0xD0, 0xD0, 0xD0};
  for (int q = 0; q < kFieldLevels; ++q) {
    palette[kFirstLevelIndex + q] = ColourMapAt(static_cast<double>(q) / (kFieldLevels - 1));
  }
  return palette;
}

// A number with at most `decimals` decimals, trailing zeros dropped.
std::string Fixed(double value, int decimals) {
  char buffer[512];
  std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                               std::chars_format::fixed, std::clamp(decimals, 0, 12));
  if (written.ec != std::errc()) {
    written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  }
  std::string text(buffer, written.ptr);
  if (text.find('.') != std::string::npos && text.find('e') == std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

// A temperature for a label: fixed decimals, or six significant digits for
// very large values.
std::string TemperatureText(double value, int decimals) {
  if (std::fabs(value) >= 1e9) {
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6).ptr;
    return std::string(buffer, end);
  }
  return Fixed(value, decimals);
}

// The decimals that show a round step: 0.2 needs 1, 5 needs 0.
int DecimalsOf(double step) {
  return std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
}

// A round length (1, 2 or 5 times a power of ten) of at most `limit`.
double RoundLengthBelow(double limit) {
  const double power = std::pow(10.0, std::floor(std::log10(limit)));
  for (double mantissa : {5.0, 2.0, 1.0}) {
    if (mantissa * power <= limit) return mantissa * power;
  }
  return power;
}

double TextWidth(const std::string& text, double font_size) {
  // A rough advance of a proportional sans-serif face; UTF-8 continuation
  // bytes take no room of their own.
  std::size_t characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80 ? 1 : 0;
  return static_cast<double>(characters) * font_size * 0.58;
}

struct Rect {
  int x0, y0, x1, y1, index;
};

// Merges a lattice of palette indices (0 = nothing) into rectangles: runs
// along each row, then runs of equal extent down the rows. Nothing when
// more than `limit` rectangles would be needed.
template <typename IndexAt>
std::optional<std::vector<Rect>> MergeRects(int columns, int rows, std::size_t limit,
                                            IndexAt index_at) {
  std::vector<Rect> rects;
  std::vector<std::size_t> above, current;
  std::vector<int> row(static_cast<std::size_t>(columns));
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) row[x] = index_at(x, y);
    current.clear();
    std::size_t p = 0;
    for (int x = 0; x < columns;) {
      const int index = row[x];
      int end = x + 1;
      while (end < columns && row[end] == index) ++end;
      if (index != 0) {
        while (p < above.size() && rects[above[p]].x0 < x) ++p;
        if (p < above.size() && rects[above[p]].x0 == x && rects[above[p]].x1 == end &&
            rects[above[p]].index == index) {
          rects[above[p]].y1 = y + 1;
          current.push_back(above[p]);
        } else {
          rects.push_back({x, y, end, y + 1, index});
          current.push_back(rects.size() - 1);
          if (rects.size() > limit) return std::nullopt;
        }
      }
      x = end;
    }
    std::swap(above, current);
  }
  return rects;
}

// One direction of a lattice over the interior cells: part p lies between
// edge[p] and edge[p + 1] (mm), in cell line `cell[p]`, its centre at
// fraction `centre[p]` of that cell.
struct Axis {
  std::vector<double> edge;
  std::vector<int> cell;
  std::vector<double> centre;
  int Parts() const { return static_cast<int>(cell.size()); }
};

Axis PartsAxis(const PictureGrid& grid, bool along_x, double scale) {
  Axis axis;
  const int last = along_x ? grid.LastColumn() : grid.LastRow();
  auto line = [&](int k) { return along_x ? grid.X(k) : grid.Y(k); };
  for (int k = 1; k <= last - 2; ++k) {
    const double a = line(k), size = line(k + 1) - a;
    const int n = std::clamp(static_cast<int>(std::ceil(size * scale / kSubRectPixels)), 1, 64);
    for (int i = 0; i < n; ++i) {
      axis.edge.push_back(a + size * (static_cast<double>(i) / n));
      axis.cell.push_back(k);
      axis.centre.push_back((i + 0.5) / n);
    }
  }
  axis.edge.push_back(line(last - 1));
  return axis;
}

// Sampling at pixel centres of a raster `pixels` wide over the model.
Axis PixelAxis(const PictureGrid& grid, bool along_x, int pixels) {
  Axis axis;
  const int last = along_x ? grid.LastColumn() : grid.LastRow();
  auto line = [&](int k) { return along_x ? grid.X(k) : grid.Y(k); };
  const double extent = line(last - 1);
  int k = 1;
  for (int p = 0; p < pixels; ++p) {
    const double at = extent * ((p + 0.5) / pixels);
    while (k < last - 2 && line(k + 1) <= at) ++k;
    const double a = line(k), size = line(k + 1) - a;
    axis.edge.push_back(extent * (static_cast<double>(p) / pixels));
    axis.cell.push_back(k);
    axis.centre.push_back(size > 0 ? std::clamp((at - a) / size, 0.0, 1.0) : 0.5);
  }
  axis.edge.push_back(extent);
  return axis;
}

class SvgWriter {
 public:
  SvgWriter(const Model& model, const PictureGrid& grid, const SvgOptions& options)
      : model_(model), grid_(grid), options_(options) {}

  SvgPicture Draw();

 private:
  // Positions: model millimetres to page pixels.
  double Px(double x_mm) const { return layout_.origin_x + layout_.scale * x_mm; }
  double Py(double y_mm) const { return layout_.origin_y + layout_.scale * y_mm; }
  std::string Mm(double value) const { return Fixed(value, mm_decimals_); }
  static std::string P(double value) { return Fixed(value, 2); }

  double Fraction(double temperature) const {
    return (temperature - layout_.bar_minimum) / (layout_.bar_maximum - layout_.bar_minimum);
  }
  int LevelIndex(double temperature) const {
    const double t = std::clamp(Fraction(temperature), 0.0, 1.0);
    return kFirstLevelIndex + static_cast<int>(std::lround(t * (kFieldLevels - 1)));
  }
  std::optional<double> FixedTemperature(int number) const {
    if (number < 1 || number > model_.FixedTemperatureCount()) return std::nullopt;
    return model_.FixedTemperatureTable[static_cast<std::size_t>(number)];
  }
  // The palette index at fractions (u, v) of cell (k, j).
  int IndexAt(int k, int j, double u, double v) const;

  void Layout();
  void Fill();
  void VectorFill(const std::vector<Rect>& rects, const Axis& xs, const Axis& ys);
  void RasterFill();
  void Boundaries();
  void ConvectionSides();
  void Isotherms();
  void IsothermLabels(const std::vector<Isotherm>& lines);
  void Markers();
  void ColourBar();
  void Legend();
  void ScaleBar();

  const Model& model_;
  const PictureGrid& grid_;
  SvgOptions options_;
  SvgLayout layout_;
  IsothermLevels levels_;
  int mm_decimals_ = 2;
  int label_decimals_ = 1;
  double draw_width_ = 0;
  double draw_height_ = 0;
  std::string defs_;
  std::string body_;
  std::string overlay_;
  std::vector<std::string> notes_;
  struct Placed {
    double x, y, radius;
  };
  std::vector<Placed> labels_;
};

int SvgWriter::IndexAt(int k, int j, double u, double v) const {
  if (!grid_.IsInterior(k, j)) return 0;
  const PictureCell& cell = grid_.CellAt(k, j);
  switch (cell.kind) {
    case CellKind::kMaterial: {
      const double t00 = *grid_.Temperature(k, j), t10 = *grid_.Temperature(k + 1, j);
      const double t01 = *grid_.Temperature(k, j + 1), t11 = *grid_.Temperature(k + 1, j + 1);
      return LevelIndex((1 - u) * (1 - v) * t00 + u * (1 - v) * t10 + (1 - u) * v * t01 +
                        u * v * t11);
    }
    case CellKind::kFixed: {
      std::optional<double> t = FixedTemperature(cell.number);
      return t ? LevelIndex(*t) : kGreyIndex;
    }
    case CellKind::kConvection:
      return 1 + (cell.number - 1) % kConditionColours;
    case CellKind::kVoid:
      break;
  }
  return 0;
}

void SvgWriter::Layout() {
  const double width_mm = grid_.Width(), height_mm = grid_.Height();
  double scale = std::min(kMaxDrawWidth / width_mm, kMaxDrawHeight / height_mm);
  if (!std::isfinite(scale) || !(scale > 0)) scale = 1;
  layout_.scale = scale;
  draw_width_ = width_mm * scale;
  draw_height_ = height_mm * scale;
  layout_.origin_x = kMargin + 8;
  layout_.origin_y = kMargin + 60;
  // Coordinates in millimetres to a twentieth of a pixel.
  mm_decimals_ = std::clamp(static_cast<int>(std::ceil(-std::log10(0.05 / scale))), 0, 8);

  // A range within the rounding of the values is a uniform field: shown in
  // the middle of the bar, not as noise spread over all its colours.
  double low = grid_.Minimum(), high = grid_.Maximum();
  if (!(high - low > 1e-9 * std::max(std::fabs(low), std::fabs(high)))) {
    const double middle = low + (high - low) / 2;
    const double pad = std::max(1.0, std::fabs(middle) * 1e-6);
    low = middle - pad;
    high = middle + pad;
  }
  layout_.bar_minimum = low;
  layout_.bar_maximum = high;
  levels_ = ChooseIsothermLevels(grid_.Minimum(), grid_.Maximum());
  label_decimals_ = levels_.values.empty() ? 2 : DecimalsOf(levels_.step);

  layout_.bar_x = layout_.origin_x + draw_width_ + 56;
  layout_.bar_y = layout_.origin_y + 26;
  layout_.bar_width = kBarWidth;
  layout_.bar_height = std::clamp(draw_height_ - 26, 220.0, 420.0);
}

void SvgWriter::Fill() {
  bool raster = options_.fill == SvgOptions::Fill::kRaster;
  if (!raster) {
    Axis xs = PartsAxis(grid_, true, layout_.scale);
    Axis ys = PartsAxis(grid_, false, layout_.scale);
    const std::size_t limit =
        options_.fill == SvgOptions::Fill::kVector ? SIZE_MAX : kMaxVectorRects;
    std::optional<std::vector<Rect>> rects =
        MergeRects(xs.Parts(), ys.Parts(), limit, [&](int x, int y) {
          return IndexAt(xs.cell[x], ys.cell[y], xs.centre[x], ys.centre[y]);
        });
    if (rects) {
      VectorFill(*rects, xs, ys);
    } else {
      raster = true;
    }
  }
  if (raster) RasterFill();
  layout_.raster = raster;
}

void SvgWriter::VectorFill(const std::vector<Rect>& rects, const Axis& xs, const Axis& ys) {
  const std::vector<Rgb> palette = Palette();
  std::vector<std::string> paths(256);
  for (const Rect& r : rects) {
    std::string& d = paths[static_cast<std::size_t>(r.index)];
    d += 'M' + Mm(xs.edge[r.x0]) + ' ' + Mm(ys.edge[r.y0]) + 'H' + Mm(xs.edge[r.x1]) + 'V' +
         Mm(ys.edge[r.y1]) + 'H' + Mm(xs.edge[r.x0]) + 'z';
  }
  body_ += "<g shape-rendering=\"crispEdges\">\n";
  for (std::size_t i = 1; i < paths.size(); ++i) {
    if (paths[i].empty()) continue;
    body_ += "<path fill=\"" + HexColour(palette[i]) + "\" d=\"" + paths[i] + "\"/>\n";
  }
  body_ += "</g>\n";
}

void SvgWriter::RasterFill() {
  const double longest = std::max(draw_width_, draw_height_);
  const double factor = std::min(2.0, kMaxRasterSide / longest);
  PaletteImage image;
  image.width = std::max(1, static_cast<int>(std::ceil(draw_width_ * factor)));
  image.height = std::max(1, static_cast<int>(std::ceil(draw_height_ * factor)));
  image.palette = Palette();
  Axis xs = PixelAxis(grid_, true, image.width);
  Axis ys = PixelAxis(grid_, false, image.height);
  image.indices.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.indices[static_cast<std::size_t>(y) * image.width + x] =
          static_cast<std::uint8_t>(IndexAt(xs.cell[x], ys.cell[y], xs.centre[x], ys.centre[y]));
    }
  }
  body_ += "<image x=\"0\" y=\"0\" width=\"" + Mm(grid_.Width()) + "\" height=\"" +
           Mm(grid_.Height()) + "\" preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64," +
           Base64(EncodePng(image)) + "\"/>\n";
}

// A path of grid sides, in millimetres.
template <typename Keep>
std::string SidesPath(const PictureGrid& grid, const std::vector<GridSide>& sides, Keep keep,
                      const std::function<std::string(double)>& mm) {
  std::string d;
  for (const GridSide& side : sides) {
    if (!keep(side)) continue;
    if (side.vertical) {
      d += 'M' + mm(grid.X(side.line)) + ' ' + mm(grid.Y(side.from)) + 'V' + mm(grid.Y(side.to));
    } else {
      d += 'M' + mm(grid.X(side.from)) + ' ' + mm(grid.Y(side.line)) + 'H' + mm(grid.X(side.to));
    }
  }
  return d;
}

void SvgWriter::Boundaries() {
  const std::vector<GridSide> sides = grid_.MaterialBoundaries();
  if (sides.size() > kMaxSideRuns) {
    notes_.push_back("material boundaries left out: too many to draw");
    return;
  }
  const std::string d = SidesPath(
      grid_, sides, [](const GridSide&) { return true; },
      [this](double v) { return Mm(v); });
  if (d.empty()) return;
  body_ += "<path fill=\"none\" stroke=\"#303030\" stroke-width=\"" + Mm(0.8 / layout_.scale) +
           "\" stroke-linecap=\"square\" d=\"" + d + "\"/>\n";
}

void SvgWriter::ConvectionSides() {
  const std::vector<GridSide> sides = grid_.ConvectionSides();
  if (sides.size() > kMaxSideRuns) {
    notes_.push_back("convection sides left out: too many to draw");
    return;
  }
  for (int condition = 1; condition <= model_.ConvectionCount(); ++condition) {
    const std::string d = SidesPath(
        grid_, sides, [condition](const GridSide& s) { return s.condition == condition; },
        [this](double v) { return Mm(v); });
    if (d.empty()) continue;
    body_ += "<path fill=\"none\" stroke=\"" + HexColour(ConditionColour(condition)) +
             "\" stroke-width=\"" + Mm(3 / layout_.scale) + "\" d=\"" + d + "\"/>\n";
  }
}

void SvgWriter::Isotherms() {
  if (levels_.values.empty()) return;
  double largest_cell = 0;
  for (int k = 1; k <= grid_.LastColumn() - 2; ++k) {
    largest_cell = std::max(largest_cell, grid_.X(k + 1) - grid_.X(k));
  }
  for (int j = 1; j <= grid_.LastRow() - 2; ++j) {
    largest_cell = std::max(largest_cell, grid_.Y(j + 1) - grid_.Y(j));
  }
  int n = std::clamp(static_cast<int>(std::ceil(largest_cell * layout_.scale / kIsothermPartPixels)),
                     1, 16);
  const double cells = static_cast<double>(grid_.LastColumn() - 2) * (grid_.LastRow() - 2);
  while (n > 1 && cells * n * n > kMaxIsothermParts) --n;
  const double tolerance = 0.25 / layout_.scale;

  std::vector<Isotherm> all;
  std::size_t points = 0;
  for (double level : levels_.values) {
    for (Isotherm& line : TraceIsotherms(grid_, level, n)) {
      line.points = SimplifyLine(line.points, tolerance);
      points += line.points.size();
      all.push_back(std::move(line));
    }
    if (points > kMaxIsothermPoints) {
      notes_.push_back("isotherms left out: the field is too uneven to draw them");
      return;
    }
  }
  std::string paths;
  for (std::size_t i = 0; i < all.size();) {
    const double level = all[i].level;
    std::string d;
    for (; i < all.size() && all[i].level == level; ++i) {
      const std::vector<PointMm>& p = all[i].points;
      const bool closed = p.size() > 2 && p.front() == p.back();
      const std::size_t count = closed ? p.size() - 1 : p.size();
      for (std::size_t q = 0; q < count; ++q) {
        d += (q == 0 ? "M" : q == 1 ? "L" : " ") + Mm(p[q].x) + ' ' + Mm(p[q].y);
      }
      if (closed) d += 'Z';
    }
    if (!d.empty()) {
      paths += "<path d=\"" + d + "\"><title>" + XmlText(TemperatureText(level, label_decimals_)) +
               "</title></path>\n";
      ++layout_.isotherm_count;
    }
  }
  if (paths.empty()) return;
  defs_ += "<g id=\"isotherms\">\n" + paths + "</g>\n";
  body_ += "<use xlink:href=\"#isotherms\" fill=\"none\" stroke=\"#ffffff\" stroke-opacity=\"0.4\" "
           "stroke-linejoin=\"round\" stroke-width=\"" + Mm(1.8 / layout_.scale) + "\"/>\n";
  body_ += "<use xlink:href=\"#isotherms\" fill=\"none\" stroke=\"#1a1a1a\" "
           "stroke-linejoin=\"round\" stroke-width=\"" + Mm(0.9 / layout_.scale) + "\"/>\n";
  IsothermLabels(all);
}

void SvgWriter::IsothermLabels(const std::vector<Isotherm>& lines) {
  constexpr double kFont = 10;
  constexpr int kPerLevel = 3;
  constexpr double kShortest = 70;  // px
  std::vector<std::pair<double, std::size_t>> by_length;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    double length = 0;
    const auto& p = lines[i].points;
    for (std::size_t q = 1; q < p.size(); ++q) {
      length += std::hypot(p[q].x - p[q - 1].x, p[q].y - p[q - 1].y) * layout_.scale;
    }
    by_length.push_back({length, i});
  }
  std::stable_sort(by_length.begin(), by_length.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<int> placed_per_level(levels_.values.size(), 0);
  for (auto [length, i] : by_length) {
    if (length < kShortest) break;
    const Isotherm& line = lines[i];
    const std::size_t level_slot = static_cast<std::size_t>(
        std::lower_bound(levels_.values.begin(), levels_.values.end(), line.level) -
        levels_.values.begin());
    if (level_slot >= placed_per_level.size() || placed_per_level[level_slot] >= kPerLevel) continue;
    const std::string text = TemperatureText(line.level, label_decimals_);
    const double radius = TextWidth(text, kFont) / 2 + 3;
    for (double fraction : {0.5, 0.3, 0.7, 0.15, 0.85}) {
      // The point at this fraction of the line's length.
      double goal = length * fraction, run = 0;
      const auto& p = line.points;
      std::size_t q = 1;
      double seg = 0;
      for (; q < p.size(); ++q) {
        seg = std::hypot(p[q].x - p[q - 1].x, p[q].y - p[q - 1].y) * layout_.scale;
        if (run + seg >= goal) break;
        run += seg;
      }
      if (q >= p.size()) continue;
      const double f = seg > 0 ? (goal - run) / seg : 0;
      const double x = Px(p[q - 1].x + (p[q].x - p[q - 1].x) * f);
      const double y = Py(p[q - 1].y + (p[q].y - p[q - 1].y) * f);
      double angle = std::atan2(p[q].y - p[q - 1].y, p[q].x - p[q - 1].x) * 180 / std::numbers::pi;
      // Upright text; lines within 15 degrees of vertical are all read from
      // below, as an axis is, whichever way they lean.
      if (angle > 75) angle -= 180;
      if (angle < -105) angle += 180;
      bool free = x - radius >= layout_.origin_x && x + radius <= layout_.origin_x + draw_width_ &&
                  y - radius >= layout_.origin_y && y + radius <= layout_.origin_y + draw_height_;
      for (const Placed& other : labels_) {
        if (std::hypot(other.x - x, other.y - y) < other.radius + radius) free = false;
      }
      if (!free) continue;
      labels_.push_back({x, y, radius});
      ++placed_per_level[level_slot];
      overlay_ += "<text class=\"halo\" font-size=\"10\" text-anchor=\"middle\" "
                  "dominant-baseline=\"central\" transform=\"translate(" + P(x) + ' ' + P(y) +
                  ") rotate(" + P(angle) + ")\">" + XmlText(text) + "</text>\n";
      break;
    }
  }
}

void SvgWriter::Markers() {
  const std::vector<PicturePoint> fixed = grid_.FixedNodes();
  if (fixed.size() > kMaxMarkers) {
    notes_.push_back("fixed-temperature points not marked: too many to draw");
  } else if (!fixed.empty()) {
    std::string d;
    for (const PicturePoint& p : fixed) {
      d += 'M' + P(Px(grid_.X(p.k)) - 2) + ' ' + P(Py(grid_.Y(p.j)) - 2) + "h4v4h-4z";
    }
    overlay_ += "<path fill=\"#111111\" stroke=\"#ffffff\" stroke-width=\"0.75\" d=\"" + d +
                "\"/>\n";
  }
  if (std::optional<PicturePoint> coldest = grid_.ColdestSurfacePoint()) {
    const double x = Px(grid_.X(coldest->k)), y = Py(grid_.Y(coldest->j));
    overlay_ += "<circle cx=\"" + P(x) + "\" cy=\"" + P(y) +
                "\" r=\"6\" fill=\"none\" stroke=\"#ffffff\" stroke-width=\"4\"/>\n"
                "<circle cx=\"" + P(x) + "\" cy=\"" + P(y) +
                "\" r=\"6\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1.8\"/>\n";
    const std::string text = TemperatureText(coldest->temperature, label_decimals_ + 1);
    const double width = TextWidth(text, 11);
    const bool left = x + 10 + width > layout_.origin_x + draw_width_ + 40;
    const double ty = y - 10 < layout_.origin_y + 8 ? y + 18 : y - 10;
    overlay_ += "<text class=\"halo\" font-size=\"11\" font-weight=\"bold\" x=\"" +
                P(left ? x - 9 : x + 9) + "\" y=\"" + P(ty) + "\" text-anchor=\"" +
                (left ? "end" : "start") + "\">" + XmlText(text) + "</text>\n";
  }
}

void SvgWriter::ColourBar() {
  const auto anchors = ColourMapAnchors();
  defs_ += "<linearGradient id=\"bar\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">\n";
  for (std::size_t i = 0; i < anchors.size(); ++i) {
    defs_ += "<stop offset=\"" + Fixed(static_cast<double>(i) / (anchors.size() - 1), 4) +
             "\" stop-color=\"" + HexColour(anchors[i]) + "\"/>\n";
  }
  defs_ += "</linearGradient>\n";
  const double x = layout_.bar_x, y = layout_.bar_y, w = layout_.bar_width, h = layout_.bar_height;
  overlay_ += "<text x=\"" + P(x) + "\" y=\"" + P(y - 20) +
              "\" font-size=\"12\" font-weight=\"bold\">Temperature</text>\n"
              "<text x=\"" + P(x) + "\" y=\"" + P(y - 7) +
              "\" font-size=\"10\" fill=\"#444444\">in the input's unit</text>\n"
              "<rect x=\"" + P(x) + "\" y=\"" + P(y) + "\" width=\"" + P(w) + "\" height=\"" + P(h) +
              "\" fill=\"url(#bar)\" stroke=\"#333333\" stroke-width=\"0.75\"/>\n";
  auto bar_y = [&](double t) { return y + h * (1 - Fraction(t)); };
  auto tick = [&](double t, const std::string& text, bool bold) {
    const double ty = bar_y(t);
    overlay_ += "<path stroke=\"#333333\" stroke-width=\"0.75\" d=\"M" + P(x + w) + ' ' + P(ty) +
                "h5\"/>\n<text x=\"" + P(x + w + 8) + "\" y=\"" + P(ty) +
                "\" font-size=\"11\" dominant-baseline=\"central\"" +
                (bold ? " font-weight=\"bold\"" : "") + ">" + XmlText(text) + "</text>\n";
  };
  tick(grid_.Maximum(), TemperatureText(grid_.Maximum(), label_decimals_ + 1), true);
  tick(grid_.Minimum(), TemperatureText(grid_.Minimum(), label_decimals_ + 1), true);
  // Every level that leaves room, at least 13 px from its neighbours.
  double last_y = bar_y(grid_.Maximum());
  const double bottom_y = bar_y(grid_.Minimum());
  for (auto it = levels_.values.rbegin(); it != levels_.values.rend(); ++it) {
    const double ty = bar_y(*it);
    if (ty - last_y < 13 || bottom_y - ty < 13) continue;
    tick(*it, TemperatureText(*it, label_decimals_), false);
    last_y = ty;
  }
}

void SvgWriter::Legend() {
  double y = layout_.bar_y + layout_.bar_height + 30;
  const double x = layout_.bar_x;
  double right = x + layout_.bar_width + 80;
  auto row = [&](const std::string& symbol, const std::string& text) {
    overlay_ += symbol + "<text x=\"" + P(x + 24) + "\" y=\"" + P(y) +
                "\" font-size=\"11\" dominant-baseline=\"central\">" + XmlText(text) + "</text>\n";
    right = std::max(right, x + 24 + TextWidth(text, 11));
    y += kLegendRow;
  };
  auto line_symbol = [&](const std::string& colour, double width) {
    return "<path stroke=\"" + colour + "\" stroke-width=\"" + P(width) + "\" d=\"M" + P(x) +
           ' ' + P(y) + "h18\"/>";
  };
  if (layout_.isotherm_count > 0) {
    row(line_symbol("#1a1a1a", 0.9), "isotherms every " + TemperatureText(levels_.step, label_decimals_));
  }
  row(line_symbol("#303030", 0.8), "material boundary");
  // Conditions that some side uses, in their order.
  std::vector<char> used(static_cast<std::size_t>(std::max(0, model_.ConvectionCount())) + 1, 0);
  for (const GridSide& side : grid_.ConvectionSides()) used[static_cast<std::size_t>(side.condition)] = 1;
  int shown = 0, hidden = 0;
  for (int v = 1; v <= model_.ConvectionCount(); ++v) {
    if (!used[static_cast<std::size_t>(v)]) continue;
    if (shown == 12) {
      ++hidden;
      continue;
    }
    const Convection& c = model_.ConvectionTable[static_cast<std::size_t>(v)];
    row(line_symbol(HexColour(ConditionColour(v)), 3),
        "B" + std::to_string(v) + ": ambient " + TemperatureText(c.AmbientTemperature, 6) +
            ", h " + TemperatureText(c.HeatTransferCoefficient, 6) + " W/(m\xC2\xB2 K)");
    ++shown;
  }
  if (hidden > 0) row("", "and " + std::to_string(hidden) + " more conditions");
  const std::vector<PicturePoint> fixed = grid_.FixedNodes();
  if (!fixed.empty()) {
    row("<path fill=\"#111111\" d=\"M" + P(x + 7) + ' ' + P(y - 2) + "h4v4h-4z\"/>",
        "fixed temperature (" + std::to_string(fixed.size()) + " points)");
  }
  if (std::optional<PicturePoint> coldest = grid_.ColdestSurfacePoint()) {
    row("<circle cx=\"" + P(x + 9) + "\" cy=\"" + P(y) +
            "\" r=\"5\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1.8\"/>",
        "coldest surface point: " + TemperatureText(coldest->temperature, label_decimals_ + 1));
  }
  for (const std::string& note : notes_) row("", note);
  layout_.width = std::max(layout_.width, right + kMargin);
  layout_.height = std::max(layout_.height, y + kMargin);
}

void SvgWriter::ScaleBar() {
  const double length = RoundLengthBelow(std::min(grid_.Width(), 160 / layout_.scale));
  const double px = length * layout_.scale;
  const double x = layout_.origin_x, y = layout_.origin_y + draw_height_ + 22;
  overlay_ += "<path fill=\"none\" stroke=\"#333333\" stroke-width=\"1\" d=\"M" + P(x) + ' ' +
              P(y - 4) + "v4h" + P(px) + "v-4\"/>\n<text x=\"" + P(x + px + 6) + "\" y=\"" +
              P(y) + "\" font-size=\"11\">" + XmlText(TemperatureText(length, 6)) + " mm</text>\n";
  layout_.height = std::max(layout_.height, y + 10 + kMargin);
}

SvgPicture SvgWriter::Draw() {
  Layout();
  Fill();
  Boundaries();
  Isotherms();
  ConvectionSides();
  Markers();
  ColourBar();
  ScaleBar();
  layout_.width = std::max(layout_.width, layout_.origin_x + draw_width_ + kMargin);
  Legend();

  const std::string title = model_.Header.empty() ? "(untitled model)" : model_.Header;
  const int columns = grid_.LastColumn() - 2, rows = grid_.LastRow() - 2;
  std::string summary = std::to_string(columns) + " \xC3\x97 " + std::to_string(rows) +
                        " cells, " + Fixed(grid_.Width(), 3) + " \xC3\x97 " +
                        Fixed(grid_.Height(), 3) + " mm; temperatures " +
                        TemperatureText(grid_.Minimum(), label_decimals_ + 1) + " to " +
                        TemperatureText(grid_.Maximum(), label_decimals_ + 1);
  layout_.width = std::max({layout_.width, kMargin + 8 + TextWidth(summary, 12) + kMargin,
                            kMargin + 8 + TextWidth(title, 18) * 1.1 + kMargin});

  SvgPicture picture;
  std::string& s = picture.text;
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
       "width=\"" + P(std::ceil(layout_.width)) + "\" height=\"" + P(std::ceil(layout_.height)) +
       "\" viewBox=\"0 0 " + P(std::ceil(layout_.width)) + ' ' + P(std::ceil(layout_.height)) +
       "\" font-family=\"DejaVu Sans, Liberation Sans, Arial, Helvetica, sans-serif\">\n";
  s += "<title>" + XmlText(title) + "</title>\n";
  s += "<style>.halo{paint-order:stroke;stroke:#ffffff;stroke-width:3px;stroke-linejoin:round;"
       "fill:#000000}</style>\n";
  s += "<defs>\n" + defs_ + "</defs>\n";
  s += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  s += "<text x=\"" + P(kMargin + 8) + "\" y=\"" + P(kMargin + 18) +
       "\" font-size=\"18\" font-weight=\"bold\">" + XmlText(title) + "</text>\n";
  s += "<text x=\"" + P(kMargin + 8) + "\" y=\"" + P(kMargin + 38) +
       "\" font-size=\"12\" fill=\"#444444\">" + XmlText(summary) + "</text>\n";
  s += "<g transform=\"translate(" + P(layout_.origin_x) + ' ' + P(layout_.origin_y) + ") scale(" +
       Fixed(layout_.scale, 9) + ")\">\n" + body_ + "</g>\n";
  s += overlay_;
  s += "</svg>\n";
  layout_.width = std::ceil(layout_.width);
  layout_.height = std::ceil(layout_.height);
  picture.layout = layout_;
  return picture;
}

}  // namespace

SvgPicture DrawSvgPicture(const SolvedField& field, const SvgOptions& options) {
  PictureGrid grid(field);
  return SvgWriter(*field.model, grid, options).Draw();
}

std::string PicturePathFor(const std::string& result_path) {
  const std::string tail = ".otp.csv";
  if (result_path.size() > tail.size() &&
      result_path.compare(result_path.size() - tail.size(), tail.size(), tail) == 0) {
    return result_path.substr(0, result_path.size() - tail.size()) + ".svg";
  }
  return result_path + ".svg";
}

}  // namespace kelvane
