// The SVG picture while its layers are drawn: where the model and the
// colour bar lie on the page, how numbers are written, and the parts of the
// document that the layers add to, in the order the document has them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "picture/colour_map.h"
#include "picture/isotherms.h"
#include "picture/picture_grid.h"
#include "picture/svg.h"
#include "model/environment_values.h"
#include "model/labels.h"

namespace kelvane {

// The page, in pixels.
inline constexpr double kMargin = 16;

struct SvgPage {
  SvgPage(const EnvironmentValues& values_in, const ModelLabels& labels_in,
          const PictureGrid& grid_in)
      : values(values_in), labels(labels_in), grid(grid_in), condition_slots_(ConditionSlots()) {}

  const EnvironmentValues& values;  // The conditions and fixed temperatures drawn.
  const ModelLabels& labels;
  const PictureGrid& grid;
  SvgLayout layout;
  IsothermLevels levels;
  int mm_decimals = 2;     // model coordinates to a twentieth of a pixel
  int label_decimals = 1;  // temperatures to the isotherm step
  double draw_width = 0;   // the drawn part's size on the page, in pixels:
  double draw_height = 0;  //   the model's, or its [picture] window's
  double frame_x = 0;      // the drawn part's top-left corner on the page
  double frame_y = 0;
  // The drawn part in model millimetres from the top-left corner.
  double window_left = 0, window_top = 0, window_width = 0, window_height = 0;
  bool windowed = false;   // only a part of the model is drawn
  std::string defs;     // inside <defs>
  std::string body;     // under the model's transform, in millimetres
  std::string overlay;  // above it, in page pixels
  std::vector<std::string> notes;  // layers left out, for the legend
  bool materials_view = false;     // SvgOptions::View::kMaterials
  std::vector<Material> materials;  // entry n: material n, for its legend row

  int ConditionCount() const { return static_cast<int>(values.conditions.size()) - 1; }
  int FixedCount() const { return static_cast<int>(values.fixed.size()) - 1; }
  // The coldest and warmest ambient and fixed temperature: the range of the
  // materials view's environment colours.
  std::pair<double, double> AmbientRange() const;
  // The materials view's colour of condition v's and fixed temperature i's
  // regions.
  Rgb ConditionFill(int v) const;
  // The colour slot (ConditionColour, ConditionIndex) of condition v: warm
  // conditions (their ambient in the upper half of AmbientRange) take the
  // palette's oranges and reds, cold ones its blues, each in turn.
  int ConditionSlot(int v) const { return condition_slots_[static_cast<std::size_t>(v)]; }
  Rgb FixedFill(int i) const;
  // Material m's colour in the materials view: its own, or its palette
  // slot's; an air cavity takes its fill's, so that the cavities of one
  // fill read as one kind.
  Rgb MaterialFill(int m) const;
  // Whether material m is an air cavity, whose conductivities are worked
  // out rather than written.
  bool IsCavity(int m) const;
  // Model millimetres (from the top-left corner) to page pixels.
  double Px(double x_mm) const { return layout.origin_x + layout.scale * x_mm; }
  double Py(double y_mm) const { return layout.origin_y + layout.scale * y_mm; }
  // Whether page pixel (x, y) lies in the drawn part.
  bool InFrame(double x, double y) const {
    return x >= frame_x - 0.5 && x <= frame_x + draw_width + 0.5 && y >= frame_y - 0.5 &&
           y <= frame_y + draw_height + 0.5;
  }
  // A coordinate in millimetres and one in pixels, as the document writes them.
  std::string Mm(double value) const;
  static std::string P(double value);
  // Where `temperature` lies on the colour bar, 0 at its bottom, 1 at its top.
  double Fraction(double temperature) const {
    return (temperature - layout.bar_minimum) / (layout.bar_maximum - layout.bar_minimum);
  }

 private:
  // Each condition's slot (entry v), worked out once: the picture's cells
  // ask for it pixel by pixel.
  std::vector<int> ConditionSlots() const;
  std::vector<int> condition_slots_;
};

// The page of `model` with its scale, the colour bar's range and place,
// and the isotherm levels; nothing drawn yet.
SvgPage LayOutPage(const EnvironmentValues& values, const ModelLabels& labels,
                   const PictureGrid& grid);

// A number with at most `decimals` decimals, trailing zeros dropped.
std::string Fixed(double value, int decimals);

// A temperature for a label: fixed decimals, or six significant digits for
// very large values.
std::string TemperatureText(double value, int decimals);

// A rough width of `text` in pixels at `font_size`.
double TextWidth(const std::string& text, double font_size);

}  // namespace kelvane
