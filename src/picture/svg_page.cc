#include "picture/svg_page.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "picture/svg_palette.h"

namespace kelvane {
namespace {

constexpr double kMaxDrawWidth = 880;
constexpr double kMaxDrawHeight = 620;
constexpr double kBarWidth = 18;

// The decimals that show a round step: 0.2 needs 1, 5 needs 0.
int DecimalsOf(double step) {
  return std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
}

// A range within the rounding of the values is a uniform field: shown in
// the middle of the bar, not as noise spread over all its colours.
void SetBarRange(double low, double high, SvgLayout& layout) {
  if (!(high - low > 1e-9 * std::max(std::fabs(low), std::fabs(high)))) {
    const double middle = low + (high - low) / 2;
    const double pad = std::max(1.0, std::fabs(middle) * 1e-6);
    low = middle - pad;
    high = middle + pad;
  }
  layout.bar_minimum = low;
  layout.bar_maximum = high;
}

// A detail file's [picture] window, in the drawing's coordinates (y up), as
// the part of the model it covers, in millimetres from its top-left corner
// (y down); a window that misses the model is the whole model.
void SetWindow(SvgPage& page) {
  const ModelLabels& labels = page.labels;
  if (!labels.picture_window || labels.column_x_mm.empty() || labels.row_y_mm.empty()) return;
  const PictureWindow& w = *labels.picture_window;
  const double left = std::max(0.0, w.x0 - labels.column_x_mm.front());
  const double right = std::min(page.grid.Width(), w.x1 - labels.column_x_mm.front());
  const double top = std::max(0.0, labels.row_y_mm.front() - w.y1);
  const double bottom = std::min(page.grid.Height(), labels.row_y_mm.front() - w.y0);
  if (!(right > left) || !(bottom > top)) return;
  page.windowed = true;
  page.window_left = left;
  page.window_top = top;
  page.window_width = right - left;
  page.window_height = bottom - top;
}

}  // namespace

std::pair<double, double> SvgPage::AmbientRange() const {
  double coldest = HUGE_VAL, warmest = -HUGE_VAL;
  for (int v = 1; v <= ConditionCount(); ++v) {
    coldest = std::min(coldest, values.conditions[static_cast<std::size_t>(v)].AmbientTemperature);
    warmest = std::max(warmest, values.conditions[static_cast<std::size_t>(v)].AmbientTemperature);
  }
  for (int i = 1; i <= FixedCount(); ++i) {
    coldest = std::min(coldest, values.fixed[static_cast<std::size_t>(i)]);
    warmest = std::max(warmest, values.fixed[static_cast<std::size_t>(i)]);
  }
  return {coldest, warmest};
}

Rgb SvgPage::ConditionFill(int v) const {
  const auto [coldest, warmest] = AmbientRange();
  return AmbientColour(values.conditions[static_cast<std::size_t>(v)].AmbientTemperature, coldest,
                       warmest);
}

std::vector<int> SvgPage::ConditionSlots() const {
  static constexpr int kWarmSlots[] = {1, 3, 5, 7};
  static constexpr int kColdSlots[] = {2, 4, 6, 8};
  const auto [coldest, warmest] = AmbientRange();
  const double middle = (coldest + warmest) / 2;
  std::vector<int> slots(values.conditions.size(), 0);
  int warm_before = 0, cold_before = 0;  // The conditions so far on each side.
  for (int v = 1; v <= ConditionCount(); ++v) {
    const bool warm = !(values.conditions[static_cast<std::size_t>(v)].AmbientTemperature < middle);
    slots[static_cast<std::size_t>(v)] =
        warm ? kWarmSlots[warm_before++ % 4] : kColdSlots[cold_before++ % 4];
  }
  return slots;
}

bool SvgPage::IsCavity(int m) const {
  return std::any_of(labels.cavities.begin(), labels.cavities.end(),
                     [m](const CavityLabel& c) { return c.material == m; });
}

Rgb SvgPage::MaterialFill(int m) const {
  for (const CavityLabel& c : labels.cavities) {
    if (c.material == m && c.fill_material != m && c.fill_material > 0) m = c.fill_material;
  }
  const int slot = 1 + (m - 1) % kMaterialSlots;
  const auto& own = labels.material_colours;
  return MaterialColour(slot, static_cast<std::size_t>(m) < own.size() ? own[m] : std::nullopt);
}

Rgb SvgPage::FixedFill(int i) const {
  const auto [coldest, warmest] = AmbientRange();
  return AmbientColour(values.fixed[static_cast<std::size_t>(i)], coldest, warmest);
}

std::string SvgPage::Mm(double value) const { return Fixed(value, mm_decimals); }

std::string SvgPage::P(double value) { return Fixed(value, 2); }

SvgPage LayOutPage(const EnvironmentValues& values, const ModelLabels& labels,
                   const PictureGrid& grid) {
  SvgPage page(values, labels, grid);
  page.window_width = grid.Width();
  page.window_height = grid.Height();
  SetWindow(page);
  const double width_mm = page.window_width, height_mm = page.window_height;
  double scale = std::min(kMaxDrawWidth / width_mm, kMaxDrawHeight / height_mm);
  if (!std::isfinite(scale) || !(scale > 0)) scale = 1;
  SvgLayout& layout = page.layout;
  layout.scale = scale;
  page.draw_width = width_mm * scale;
  page.draw_height = height_mm * scale;
  page.frame_x = kMargin + 8;
  page.frame_y = kMargin + 60;
  layout.origin_x = page.frame_x - scale * page.window_left;
  layout.origin_y = page.frame_y - scale * page.window_top;
  page.mm_decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(0.05 / scale))), 0, 8);

  SetBarRange(grid.Minimum(), grid.Maximum(), layout);
  page.levels = ChooseIsothermLevels(grid.Minimum(), grid.Maximum());
  page.label_decimals = page.levels.values.empty() ? 2 : DecimalsOf(page.levels.step);

  layout.bar_x = page.frame_x + page.draw_width + 56;
  layout.bar_y = page.frame_y + 26;
  layout.bar_width = kBarWidth;
  layout.bar_height = std::clamp(page.draw_height - 26, 220.0, 420.0);
  return page;
}

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

std::string TemperatureText(double value, int decimals) {
  if (std::fabs(value) >= 1e9) {
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6).ptr;
    return std::string(buffer, end);
  }
  return Fixed(value, decimals);
}

double TextWidth(const std::string& text, double font_size) {
  // A rough advance of a proportional sans-serif face; UTF-8 continuation
  // bytes take no room of their own.
  std::size_t characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80 ? 1 : 0;
  return static_cast<double>(characters) * font_size * 0.58;
}

}  // namespace kelvane
