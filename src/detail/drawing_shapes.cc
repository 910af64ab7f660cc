#include "detail/drawing_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "detail/dxf_drawing.h"
#include "detail/dxf_layers.h"
#include "detail/geometry.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

constexpr std::size_t kLayersNamed = 12;  // In the message for a layer not found.
// The sweep for outlines that meet compares this many pairs of sides in a
// second or two; a drawing that asks for more is no detail.
constexpr std::uint64_t kMostSidePairs = 200000000;

// The chord error of a layer's curves, mm.
double ChordError(const DetailFile& detail, const std::string& layer) {
  double smallest = detail.grid.max_cell;
  if (detail.grid.fine) smallest = std::min(smallest, *detail.grid.fine);
  for (const Shape& shape : detail.shapes) {
    if (shape.kind == ShapeKind::kRegion && shape.layer == layer && shape.cell) {
      smallest = std::min(smallest, *shape.cell);
    }
  }
  return std::min(smallest / kChordFactor, kCoarsestChord);
}

// mm per drawing unit: as [drawing] says, or the drawing's $INSUNITS.
double UnitOf(const DetailFile& detail, const DxfDrawing& drawing) {
  const DrawingSettings& settings = *detail.drawing;
  const std::optional<DxfUnit> file_unit = InsunitsUnit(drawing.insunits);
  const std::string insunits = "$INSUNITS " + std::to_string(drawing.insunits);
  if (!settings.unit) {
    if (file_unit && file_unit->mm != 1) {
      throw RunError(ErrorKind::kMissingKey, detail.PlaceOf(settings.at),
                     settings.file + " gives its unit as " + file_unit->name + " (" + insunits +
                         "); say unit = \"" + file_unit->name + "\" or unit = \"file\" in [drawing]" +
                         ", or unit = \"mm\" to take its numbers as mm");
    }
    return 1;
  }
  if (*settings.unit != "file") {
    static const std::pair<const char*, double> kUnits[] = {
        {"mm", 1}, {"cm", 10}, {"m", 1000}, {"in", 25.4}};
    for (const auto& [name, mm] : kUnits) {
      if (*settings.unit == name) return mm;
    }
  }
  if (!file_unit) {
    throw RunError(ErrorKind::kInvalidValue, detail.PlaceOf(settings.unit_at),
                   "unit = \"file\" takes the unit from the drawing's $INSUNITS, and " +
                       settings.file +
                       (drawing.insunits == 0 ? std::string(" gives none")
                                              : " gives " + insunits + ", which is no unit read here"));
  }
  return file_unit->mm;
}

std::string LayerList(const DrawingLayers& layers) {
  if (layers.layers.empty()) return "it has no layer";
  std::string text = "its layers are ";
  for (std::size_t i = 0; i < layers.layers.size() && i < kLayersNamed; ++i) {
    text += (i > 0 ? ", " : "") + Quoted(layers.layers[i].name);
  }
  if (layers.layers.size() > kLayersNamed) text += ", ...";
  return text;
}

class LayerShapes {
 public:
  LayerShapes(DetailFile& detail, const DrawingLayers& layers)
      : detail_(detail), layers_(layers) {}
  void Fill(Shape& shape) const;

 private:
  [[noreturn]] void Fail(const Shape& shape, const std::string& text) const {
    throw RunError(ErrorKind::kInvalidValue, detail_.PlaceOf(shape.geometry_at),
                   detail_.drawing->file + ", layer " + Quoted(shape.layer) + ": " + text);
  }

  DetailFile& detail_;
  const DrawingLayers& layers_;
};

void LayerShapes::Fill(Shape& shape) const {
  auto layer = std::find_if(layers_.layers.begin(), layers_.layers.end(),
                            [&](const DrawingLayer& l) { return l.name == shape.layer; });
  if (layer == layers_.layers.end()) {
    throw RunError(ErrorKind::kUnknownName, detail_.PlaceOf(shape.geometry_at),
                   detail_.drawing->file + " has no layer " + Quoted(shape.layer) + "; " +
                       LayerList(layers_));
  }
  if (!layer->faults.empty()) Fail(shape, layer->faults[0]);
  if (!layer->open.empty()) {
    const OpenChain& chain = layer->open[0];
    const double gap = std::hypot(chain.end.x - chain.start.x, chain.end.y - chain.start.y);
    Fail(shape, "the outline through " + DrawingPointText(chain.start) +
                    " does not close: its ends are " + NumberText(gap, 3) + " mm apart");
  }
  if (layer->outlines.empty()) Fail(shape, "the layer holds no closed outline");
  if (const std::uint64_t pairs = SweepPairs(layer->outlines); pairs > kMostSidePairs) {
    Fail(shape, "its outlines have " + std::to_string(pairs) +
                    " pairs of sides side by side, more than the " +
                    std::to_string(kMostSidePairs) + " that are checked for crossings");
  }
  if (auto meeting = FirstMeeting(layer->outlines)) {
    const Point a = layer->outlines[meeting->outline[0]][0];
    const Point b = layer->outlines[meeting->outline[1]][0];
    if (meeting->outline[0] == meeting->outline[1]) {
      Fail(shape, "the outline through " + DrawingPointText(a) + " crosses or touches itself at " +
                      DrawingPointText(meeting->at));
    }
    Fail(shape, "the outlines through " + DrawingPointText(a) + " and " + DrawingPointText(b) +
                    " meet at " + DrawingPointText(meeting->at) +
                    "; outlines of one layer must neither touch nor cross");
  }
  shape.rings = layer->outlines;
  OrientEvenOdd(shape.rings);
  SetRingBounds(shape);
}

}  // namespace

void FillLayerShapes(DetailFile& detail, const DrawingFiles& files) {
  auto first = std::find_if(detail.shapes.begin(), detail.shapes.end(),
                            [](const Shape& s) { return s.kind == ShapeKind::kRegion; });
  if (first == detail.shapes.end()) return;
  if (!detail.drawing) {
    throw RunError(ErrorKind::kMissingKey, detail.PlaceOf(first->geometry_at),
                   "a layer shape needs [drawing] with the file of the drawing");
  }
  const DrawingSettings& settings = *detail.drawing;
  DrawingLayers layers;
  try {
    const DxfDrawing drawing =
        ParseDxf(files ? files(settings.path) : ReadWholeFile(settings.path), settings.file);
    DxfPlacement placement{UnitOf(detail, drawing), settings.offset, settings.join};
    layers = ExpandDrawing(drawing, placement,
                           [&](const std::string& layer) { return ChordError(detail, layer); });
  } catch (const RunError& e) {
    // Refusals of the unit name their own place, those of the file its key.
    if (e.place().rfind(detail.source + ":", 0) == 0) throw;
    throw RunError(e.kind(), detail.PlaceOf(settings.file_at), e.place() + ": " + e.detail());
  }
  const LayerShapes filler(detail, layers);
  for (Shape& shape : detail.shapes) {
    if (shape.kind == ShapeKind::kRegion) filler.Fill(shape);
  }
}

}  // namespace kelvane
