#include "app/layers_listing.h"

#include <algorithm>
#include <cstdio>

#include "app/model_run.h"
#include "detail/drawing_shapes.h"
#include "detail/dxf_layers.h"
#include "platform/error.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

std::string Padded(const std::string& text, std::size_t width, bool right) {
  const std::string pad(width > text.size() ? width - text.size() : 0, ' ');
  return right ? pad + text : text + pad;
}

std::string UnitLine(const DxfDrawing& drawing) {
  const std::optional<DxfUnit> unit = InsunitsUnit(drawing.insunits);
  if (drawing.insunits == 0) return "unit: not given ($INSUNITS 0): the detail file says it\n";
  return "unit: " + std::string(unit ? unit->name : "one not read here") + " ($INSUNITS " +
         std::to_string(drawing.insunits) + ")\n";
}

}  // namespace

std::string LayersListing(const DxfDrawing& drawing) {
  const DrawingLayers layers = ExpandDrawing(drawing, DxfPlacement{},
                                             [](const std::string&) { return kCoarsestChord; });
  std::size_t width = std::string("layer").size();
  for (const DrawingLayer& layer : layers.layers) {
    width = std::max(width, Printable(layer.name).size());
  }
  std::string text = drawing.source + "\n" + UnitLine(drawing);
  text += Padded("layer", width, false) + "  closed outlines  open chains  other entities\n";
  for (const DrawingLayer& layer : layers.layers) {
    text += Padded(Printable(layer.name), width, false) + "  " +
            Padded(std::to_string(layer.outlines.size()), 15, true) + "  " +
            Padded(std::to_string(layer.open.size()), 11, true) + "  " +
            Padded(std::to_string(layer.others), 14, true) + "\n";
  }
  for (const DrawingLayer& layer : layers.layers) {
    for (const std::string& fault : layer.faults) {
      text += "layer " + Quoted(layer.name) + ": " + fault + "\n";
    }
  }
  if (layers.extent) {
    const Box& e = *layers.extent;
    text += "extent: x " + NumberText(e.x0, 6) + " to " + NumberText(e.x1, 6) + ", y " +
            NumberText(e.y0, 6) + " to " + NumberText(e.y1, 6) + " (the drawing's units)\n";
  } else {
    text += "extent: the drawing draws nothing\n";
  }
  return text;
}

int ListLayers(const std::vector<std::string>& paths) {
  int status = 0;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    try {
      const std::string text = LayersListing(ReadDxfFile(paths[i]));
      std::fputs(((i > 0 ? "\n" : "") + text).c_str(), stdout);
    } catch (const RunError& e) {
      std::fflush(stdout);
      std::fprintf(stderr, "%s: error: %s\n", kProgram, e.what());
      status = 1;
    }
  }
  return status;
}

}  // namespace kelvane
