#include "picture/svg_field.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "picture/png.h"
#include "platform/base64.h"
#include "picture/svg_palette.h"

namespace kelvane {
namespace {

// Above this many rectangles the vector fill gives way to the raster, and
// the raster's longest side stays below this many pixels, so that the file
// stays a few megabytes for any model.
constexpr std::size_t kMaxVectorRects = 8000;
constexpr double kMaxRasterSide = 2000;
constexpr double kSubRectPixels = 3;  // vector fill: parts of about 3 px

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

// Sampling at pixel centres of a raster `pixels` wide over the `extent` mm
// of the model from `from`.
Axis PixelAxis(const PictureGrid& grid, bool along_x, int pixels, double from, double extent) {
  Axis axis;
  const int last = along_x ? grid.LastColumn() : grid.LastRow();
  auto line = [&](int k) { return along_x ? grid.X(k) : grid.Y(k); };
  int k = 1;
  for (int p = 0; p < pixels; ++p) {
    const double at = from + extent * ((p + 0.5) / pixels);
    while (k < last - 2 && line(k + 1) <= at) ++k;
    const double a = line(k), size = line(k + 1) - a;
    axis.edge.push_back(from + extent * (static_cast<double>(p) / pixels));
    axis.cell.push_back(k);
    axis.centre.push_back(size > 0 ? std::clamp((at - a) / size, 0.0, 1.0) : 0.5);
  }
  axis.edge.push_back(from + extent);
  return axis;
}

int LevelIndex(const SvgPage& page, double temperature) {
  const double t = std::clamp(page.Fraction(temperature), 0.0, 1.0);
  return kFirstLevelIndex + static_cast<int>(std::lround(t * (kFieldLevels - 1)));
}

// The materials view's palette index of `cell`.
int MaterialsIndex(const SvgPage& page, const PictureCell& cell) {
  switch (cell.kind) {
    case CellKind::kMaterial: return 1 + (cell.number - 1) % kMaterialSlots;
    case CellKind::kConvection: return kFirstConditionSlot + (cell.number - 1) % kConditionSlots;
    case CellKind::kFixed:
      if (cell.number < 1 || cell.number > page.FixedCount()) return kMaterialsGreyIndex;
      return kFirstFixedSlot + (cell.number - 1) % kFixedSlots;
    case CellKind::kVoid: break;
  }
  return 0;
}

// The materials view's palette: the first material, condition and fixed
// temperature that take each slot give its colour.
std::vector<Rgb> MaterialsPalette(const SvgPage& page) {
  std::vector<Rgb> palette(256, Rgb{255, 255, 255});
  const int materials = static_cast<int>(page.materials.size()) - 1;
  for (int m = std::min(materials, kMaterialSlots); m >= 1; --m) palette[m] = page.MaterialFill(m);
  for (int v = std::min(page.ConditionCount(), kConditionSlots); v >= 1; --v) {
    palette[kFirstConditionSlot + v - 1] = page.ConditionFill(v);
  }
  for (int i = std::min(page.FixedCount(), kFixedSlots); i >= 1; --i) {
    palette[kFirstFixedSlot + i - 1] = page.FixedFill(i);
  }
  palette[kMaterialsGreyIndex] = {0xD0, 0xD0, 0xD0};
  return palette;
}

std::vector<Rgb> PaletteOf(const SvgPage& page) {
  return page.materials_view ? MaterialsPalette(page) : FieldPalette();
}

// The palette index at fractions (u, v) of cell (k, j).
int IndexAt(const SvgPage& page, int k, int j, double u, double v) {
  const PictureGrid& grid = page.grid;
  if (!grid.IsInterior(k, j)) return 0;
  const PictureCell& cell = grid.CellAt(k, j);
  if (page.materials_view) return MaterialsIndex(page, cell);
  switch (cell.kind) {
    case CellKind::kMaterial: {
      const double t00 = *grid.Temperature(k, j), t10 = *grid.Temperature(k + 1, j);
      const double t01 = *grid.Temperature(k, j + 1), t11 = *grid.Temperature(k + 1, j + 1);
      return LevelIndex(page, (1 - u) * (1 - v) * t00 + u * (1 - v) * t10 +
                                  (1 - u) * v * t01 + u * v * t11);
    }
    case CellKind::kFixed:
      // A fixed-temperature number that names no temperature is grey.
      if (cell.number < 1 || cell.number > page.FixedCount()) return kGreyIndex;
      return LevelIndex(page, page.values.fixed[static_cast<std::size_t>(cell.number)]);
    case CellKind::kConvection:
      return ConditionIndex(page.ConditionSlot(cell.number));
    case CellKind::kVoid:
      break;
  }
  return 0;
}

void VectorFill(SvgPage& page, const std::vector<Rect>& rects, const Axis& xs, const Axis& ys) {
  const std::vector<Rgb> palette = PaletteOf(page);
  std::vector<std::string> paths(256);
  for (const Rect& r : rects) {
    std::string& d = paths[static_cast<std::size_t>(r.index)];
    d += 'M' + page.Mm(xs.edge[r.x0]) + ' ' + page.Mm(ys.edge[r.y0]) + 'H' +
         page.Mm(xs.edge[r.x1]) + 'V' + page.Mm(ys.edge[r.y1]) + 'H' + page.Mm(xs.edge[r.x0]) +
         'z';
  }
  page.body += "<g shape-rendering=\"crispEdges\">\n";
  for (std::size_t i = 1; i < paths.size(); ++i) {
    if (paths[i].empty()) continue;
    page.body += "<path fill=\"" + HexColour(palette[i]) + "\" d=\"" + paths[i] + "\"/>\n";
  }
  page.body += "</g>\n";
}

void RasterFill(SvgPage& page) {
  const double longest = std::max(page.draw_width, page.draw_height);
  const double factor = std::min(2.0, kMaxRasterSide / longest);
  PaletteImage image;
  image.width = std::max(1, static_cast<int>(std::ceil(page.draw_width * factor)));
  image.height = std::max(1, static_cast<int>(std::ceil(page.draw_height * factor)));
  image.palette = PaletteOf(page);
  // The drawn part only: a window of a large model keeps its detail.
  Axis xs = PixelAxis(page.grid, true, image.width, page.window_left, page.window_width);
  Axis ys = PixelAxis(page.grid, false, image.height, page.window_top, page.window_height);
  image.indices.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.indices[static_cast<std::size_t>(y) * image.width + x] = static_cast<std::uint8_t>(
          IndexAt(page, xs.cell[x], ys.cell[y], xs.centre[x], ys.centre[y]));
    }
  }
  page.body += "<image x=\"" + page.Mm(page.window_left) + "\" y=\"" + page.Mm(page.window_top) +
               "\" width=\"" + page.Mm(page.window_width) + "\" height=\"" +
               page.Mm(page.window_height) +
               "\" preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64," +
               Base64(EncodePng(image)) + "\"/>\n";
}

}  // namespace

void DrawField(SvgPage& page, SvgOptions::Fill fill) {
  bool raster = fill == SvgOptions::Fill::kRaster;
  if (!raster) {
    Axis xs = PartsAxis(page.grid, true, page.layout.scale);
    Axis ys = PartsAxis(page.grid, false, page.layout.scale);
    const std::size_t limit = fill == SvgOptions::Fill::kVector ? SIZE_MAX : kMaxVectorRects;
    std::optional<std::vector<Rect>> rects =
        MergeRects(xs.Parts(), ys.Parts(), limit, [&](int x, int y) {
          return IndexAt(page, xs.cell[x], ys.cell[y], xs.centre[x], ys.centre[y]);
        });
    if (rects) {
      VectorFill(page, *rects, xs, ys);
    } else {
      raster = true;
    }
  }
  if (raster) RasterFill(page);
  page.layout.raster = raster;
}

}  // namespace kelvane
