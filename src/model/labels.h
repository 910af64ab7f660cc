// What the report and the picture call the parts of a model, and where they
// place it: a detail file's names in its drawing's coordinates, or a grid
// file's codes (B1, C2) in the grid's own, x from column line 1 and y up from
// the last row line. The readers make them (the grid maker for a detail
// file); the report and the picture read them.
//
// Drawing coordinates here are in millimetres, as drawn; the report's types
// speak metres, and convert through model/units.h.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/units.h"

namespace kelvane {

// Where a point lies in a grid: the element, cell (column, row) of the code
// block, and the point's place in it, from 0 to 1: fx rightward from column
// line `column`, fy downward from row line `row`, the cell's top left corner.
struct ProbeSpot {
  int column = 0;
  int row = 0;
  double fx = 0;
  double fy = 0;

  friend bool operator==(const ProbeSpot&, const ProbeSpot&) = default;
};

// A point whose temperature the report gives: the bilinear field of the
// element at its spot. x_mm and y_mm are where the drawing has it.
struct ProbePoint {
  std::string name;
  double x_mm = 0;
  double y_mm = 0;
  ProbeSpot spot;
};

// A material's area as drawn and as its cells cover it, mm2: sloped and
// curved sides become steps.
struct MaterialArea {
  std::string material;
  double drawn = 0;
  double cells = 0;
  // Whether the cells cover what is drawn. Their sizes pass through 15-digit
  // text, so a difference below 1E-9 of the area is rounding.
  bool AsDrawn() const { return std::fabs(cells - drawn) <= 1e-9 * std::max(drawn, cells); }
};

// An environment: a room or the outside, the conditions (by their numbers
// in the model, a condition whose surfaces face several ways being several)
// and fixed temperatures that share its ambient.
struct EnvironmentLabel {
  std::string name;
  std::vector<std::int32_t> conditions;
  std::vector<std::int32_t> fixed;

  friend bool operator==(const EnvironmentLabel&, const EnvironmentLabel&) = default;
};

// An air cavity of a detail file, a solid of its own conductivities along x
// and y worked out from its size (detail/cavities.h): along each axis its
// size d along the flow and b across it (mm), the coefficients h_a and h_r
// (W/(m2 K)) and the conductivity (W/(m K)).
struct CavityAxisLabel {
  double d_mm = 0;
  double b_mm = 0;
  double h_a = 0;
  double h_r = 0;
  double conductivity = 0;
};
struct CavityLabel {
  std::string fill;  // The cavity fill's name,
  std::string kind;  //   "unventilated" or "slightly ventilated".
  std::int32_t material = 0;  // The cavity's material number in the model.
  double x_mm = 0;  // A point in it: the centre of its lowest, leftmost cell.
  double y_mm = 0;
  double area_mm2 = 0;
  double width_mm = 0;   // Its cells' extent along x,
  double height_mm = 0;  //   and along y.
  CavityAxisLabel along_x;
  CavityAxisLabel along_y;
  std::int32_t fill_material = 0;  // The fill's own material number.
};

// Who and what a result is for, as a detail file's [report] gives it; the
// report and the page print it at their top. Each may be empty.
struct ReportHeader {
  std::string project;
  std::string client;
  std::string author;
  std::string reference;
  bool Empty() const { return project.empty() && client.empty() && author.empty() && reference.empty(); }
  friend bool operator==(const ReportHeader&, const ReportHeader&) = default;
};

// The part of the drawing a picture shows, mm in the drawing's coordinates.
struct PictureWindow {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct ModelLabels {
  std::string title;
  ReportHeader header;
  std::optional<PictureWindow> picture_window;  // None: the whole model.
  // Entry n names material n, condition n, fixed temperature n; entry 0 is
  // unused, as in the model's tables.
  std::vector<std::string> materials;
  std::vector<std::string> conditions;
  std::vector<std::string> fixed;
  // Entry n: material n's colour in the picture's materials view, 0xRRGGBB,
  // where the file gave one. Shorter than `materials` when none did.
  std::vector<std::optional<std::uint32_t>> material_colours;
  // Entry n: condition n's surface resistance, m2 K/W, where the file gave
  // the condition a resistance rather than h (the report shows it so).
  // Shorter than `conditions` when none did.
  std::vector<std::optional<double>> resistances;
  // A detail file: places are points of the drawing, which are where its
  // column lines 1..LastColumn-1 (entry k - 1) and row lines (top first)
  // lie, in mm. A grid file: grid points of the code block, placed by the
  // solver's coordinates.
  bool drawing = false;
  std::vector<double> column_x_mm;
  std::vector<double> row_y_mm;
  std::vector<ProbePoint> probes;  // In the file's order.
  std::vector<MaterialArea> areas;  // A detail file's, material by material.
  // A detail file's: entry n the built-in entry material n takes and its
  // source, "reinforced concrete, 2 % steel (EN ISO 10456:2007, Table 3)",
  // or empty; may be shorter than `materials`.
  std::vector<std::string> material_sources;
  std::vector<CavityLabel> cavities;  // In the order their first cells come.
  // Every environment: a detail file's groups, then its conditions and
  // fixed temperatures in none; a grid file's conditions and fixed
  // temperatures, each its own.
  std::vector<EnvironmentLabel> environments;

  const std::string& Condition(std::int32_t v) const { return conditions[v]; }
  bool GivenAsResistance(std::int32_t v) const {
    return v >= 0 && static_cast<std::size_t>(v) < resistances.size() && resistances[v];
  }
  // Whether some environment is more than one condition or fixed temperature.
  bool AnyGrouped() const {
    return std::any_of(environments.begin(), environments.end(), [](const EnvironmentLabel& e) {
      return e.conditions.size() + e.fixed.size() > 1;
    });
  }
  const std::string& Fixed(std::int32_t i) const { return fixed[i]; }
  // The coordinates, in metres, of grid point (k, j), which the solver puts
  // at x, y (m): the drawing's for a detail file, the solver's for a grid
  // file.
  double PointX(std::int32_t k, double x_m) const {
    return drawing ? MillimetreToMetre(column_x_mm[Line(k, column_x_mm.size())]) : x_m;
  }
  double PointY(std::int32_t j, double y_m) const {
    return drawing ? MillimetreToMetre(row_y_mm[Line(j, row_y_mm.size())]) : y_m;
  }
  // The same in millimetres.
  double PointXmm(std::int32_t k, double x_m) const {
    return drawing ? column_x_mm[Line(k, column_x_mm.size())] : MetreToMillimetre(x_m);
  }
  double PointYmm(std::int32_t j, double y_m) const {
    return drawing ? row_y_mm[Line(j, row_y_mm.size())] : MetreToMillimetre(y_m);
  }
  // The drawing point (mm) of the solver's node coordinates x, y (m): x from
  // column line 1, y up from the last row line.
  double DrawingX(double x_m) const { return column_x_mm.front() + MetreToMillimetre(x_m); }
  double DrawingY(double y_m) const { return row_y_mm.back() + MetreToMillimetre(y_m); }

 private:
  // The entry of line k; the ring's outer lines lie on their neighbours.
  static std::size_t Line(std::int32_t k, std::size_t lines) {
    return static_cast<std::size_t>(std::clamp<std::int64_t>(k, 1, static_cast<std::int64_t>(lines))) - 1;
  }
};

// A grid file's labels: its title, its materials' names, B n and C n.
ModelLabels GridFileLabels(const Model& model);

}  // namespace kelvane
