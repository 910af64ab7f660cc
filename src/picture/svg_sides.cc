#include "picture/svg_sides.h"

#include <vector>

#include "picture/svg_palette.h"

namespace kelvane {
namespace {

// A layer with more runs of sides than this is left out.
constexpr std::size_t kMaxSideRuns = 60000;

// A path of the grid sides of `condition`, or of all of them for 0, in
// millimetres.
std::string SidesPath(const SvgPage& page, const std::vector<GridSide>& sides, int condition) {
  const PictureGrid& grid = page.grid;
  std::string d;
  for (const GridSide& side : sides) {
    if (condition != 0 && side.condition != condition) continue;
    if (side.vertical) {
      d += 'M' + page.Mm(grid.X(side.line)) + ' ' + page.Mm(grid.Y(side.from)) + 'V' +
           page.Mm(grid.Y(side.to));
    } else {
      d += 'M' + page.Mm(grid.X(side.from)) + ' ' + page.Mm(grid.Y(side.line)) + 'H' +
           page.Mm(grid.X(side.to));
    }
  }
  return d;
}

}  // namespace

void DrawMaterialBoundaries(SvgPage& page) {
  const std::vector<GridSide> sides = page.grid.MaterialBoundaries();
  if (sides.size() > kMaxSideRuns) {
    page.notes.push_back("material boundaries left out: too many to draw");
    return;
  }
  const std::string d = SidesPath(page, sides, 0);
  if (d.empty()) return;
  page.body += "<path fill=\"none\" stroke=\"#303030\" stroke-width=\"" +
               page.Mm(0.8 / page.layout.scale) + "\" stroke-linecap=\"square\" d=\"" + d +
               "\"/>\n";
}

void DrawConvectionSides(SvgPage& page) {
  const std::vector<GridSide> sides = page.grid.ConvectionSides();
  if (sides.size() > kMaxSideRuns) {
    page.notes.push_back("convection sides left out: too many to draw");
    return;
  }
  for (int condition = 1; condition <= page.ConditionCount(); ++condition) {
    const std::string d = SidesPath(page, sides, condition);
    if (d.empty()) continue;
    page.body += "<path fill=\"none\" stroke=\"" + HexColour(ConditionColour(page.ConditionSlot(condition))) +
                 "\" stroke-width=\"" + page.Mm(3 / page.layout.scale) + "\" d=\"" + d + "\"/>\n";
  }
}

}  // namespace kelvane
