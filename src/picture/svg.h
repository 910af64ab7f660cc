// The picture of a solved model as an SVG document: the model to scale with
// the temperature field in colour, isotherms, material boundaries,
// convection sides, fixed-temperature points, the coldest surface point, a
// colour bar and a legend.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "model/environment_values.h"
#include "model/labels.h"
#include "solver/solved_field.h"

namespace kelvane {

struct SvgOptions {
  // How the field is filled: small models as vector rectangles, larger
  // ones as an embedded PNG; a test may ask for either.
  enum class Fill { kAuto, kVector, kRaster };
  Fill fill = Fill::kAuto;
  // The case of a detail file the picture shows, named in its heading.
  std::string case_name;
  // The temperature field with isotherms, or the materials map: a colour
  // per material, the environments' regions coloured by their ambient.
  enum class View { kTemperature, kMaterials };
  View view = View::kTemperature;
  // The point the report's fRsi takes, the warm side's lowest surface
  // temperature, marked in either view instead of the coldest surface
  // point of all: grid point (column line, row line), its label beside it
  // ("12.93 °C") and its row in the legend.
  struct Mark {
    int column_line = 0;
    int row_line = 0;
    std::string label;
    std::string legend;
  };
  std::optional<Mark> critical;
};

// Where things lie in the picture, in its pixels (SVG user units).
struct SvgLayout {
  double width = 0;
  double height = 0;
  // The model's top-left corner and its millimetres per pixel: a point x mm
  // from the left and y mm from the top lies at origin + scale * (x, y).
  double origin_x = 0;
  double origin_y = 0;
  double scale = 0;
  // The colour bar: bar_maximum at its top edge, bar_minimum at its bottom.
  double bar_x = 0;
  double bar_y = 0;
  double bar_width = 0;
  double bar_height = 0;
  double bar_minimum = 0;
  double bar_maximum = 0;
  bool raster = false;
  int isotherm_count = 0;
};

struct SvgPicture {
  std::string text;
  SvgLayout layout;
};

// The picture of the finished run `field` with the node temperatures
// `temperature` (1..node_count) of a solution for the environment values
// `values`, named as `labels` name the model's parts.
SvgPicture DrawSvgPicture(const SolvedField& field, std::span<const double> temperature,
                          const EnvironmentValues& values, const ModelLabels& labels,
                          const SvgOptions& options = SvgOptions());
// The same with the run's own temperatures and values.
SvgPicture DrawSvgPicture(const SolvedField& field, const ModelLabels& labels,
                          const SvgOptions& options = SvgOptions());

}  // namespace kelvane
