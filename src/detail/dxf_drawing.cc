#include "detail/dxf_drawing.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>

#include "platform/error.h"
#include "platform/file_io.h"

namespace kelvane {
namespace {

// A drawing larger than this is no building detail: refused before the
// library holds it twice.
constexpr std::size_t kLargestDxfText = std::size_t{512} << 20;

// One group of the file: its code and value, and the line of the code.
struct Group {
  long code = 0;
  std::string_view value;
  std::size_t line = 0;
};

[[noreturn]] void Refuse(const std::string& source, const std::string& detail) {
  throw RunError(ErrorKind::kSyntaxError, source, detail);
}

std::string LineText(std::size_t line) { return "line " + std::to_string(line); }

// The value as dxflib reads an integer: strtol's, cut to an int.
long LibraryInteger(std::string_view value) {
  const std::string text(value);
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

bool IsGroupCode(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  return !text.empty() && text.size() <= 6 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The file's lines, without their line ends, each checked for length and
// NUL bytes.
std::vector<std::string_view> Lines(std::string_view text, const std::string& source) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) {
      Refuse(source, "not a DXF drawing: " + LineText(lines.size() + 1) +
                         " holds a NUL byte, which no text file does");
    }
    if (line.size() > kLongestDxfLine) {
      Refuse(source, LineText(lines.size() + 1) + " is longer than " +
                         std::to_string(kLongestDxfLine) + " bytes, more than a DXF line holds");
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::vector<Group> Groups(std::string_view text, const std::string& source) {
  if (text.size() > kLargestDxfText) {
    Refuse(source, "the file is larger than 512 MiB, more than a drawing of a detail takes");
  }
  if (text.substr(0, 18) == "AutoCAD Binary DXF") {
    throw RunError(ErrorKind::kInvalidValue, source,
                   "a binary DXF file, which is not read: save the drawing as ASCII DXF");
  }
  const std::vector<std::string_view> lines = Lines(text, source);
  std::vector<Group> groups;
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    if (!IsGroupCode(lines[i])) {
      if (groups.empty()) {
        Refuse(source, "not a DXF drawing: " + LineText(i + 1) +
                           " holds no group code, where a DXF file begins with 0 and SECTION");
      }
      Refuse(source, LineText(i + 1) + " holds " + Quoted(std::string(lines[i])) +
                         " where a group code (a whole number) belongs");
    }
    if (i + 1 == lines.size()) {
      Refuse(source, "the file ends after the group code on " + LineText(i + 1) +
                         ", without its value");
    }
    groups.push_back({LibraryInteger(lines[i]), lines[i + 1], i + 1});
  }
  auto first = std::find_if(groups.begin(), groups.end(),
                            [](const Group& g) { return g.code != 999; });
  if (first == groups.end() || first->code != 0 || first->value != "SECTION") {
    Refuse(source, "not a DXF drawing: it does not begin with the group code 0 and SECTION");
  }
  return groups;
}

// The counts by which dxflib sizes its arrays, each with the code of the
// groups it counts: an LWPOLYLINE's vertices, a SPLINE's knots, control
// points and fit points, a LEADER's vertices.
struct CountCode {
  std::string_view entity;
  long code;
  long counted;
  const char* what;
};
constexpr CountCode kCountCodes[] = {
    {"LWPOLYLINE", 90, 10, "vertex count"},   {"SPLINE", 72, 40, "knot count"},
    {"SPLINE", 73, 10, "control point count"}, {"SPLINE", 74, 11, "fit point count"},
    {"LEADER", 76, 10, "vertex count"},
};

// Checks one entity, groups [first, end): each count it has comes once,
// before what it counts, and is no larger than the groups it counts.
void CheckCounts(const std::vector<Group>& groups, std::size_t first, std::size_t end,
                 const std::string& source) {
  const std::string_view entity = groups[first].value;
  for (const CountCode& count : kCountCodes) {
    if (count.entity != entity) continue;
    std::optional<std::size_t> at;
    long counted = 0;
    for (std::size_t g = first + 1; g < end; ++g) {
      if (groups[g].code == count.code) {
        if (at) {
          Refuse(source, LineText(groups[g].line) + ": a second " + count.what + " in one " +
                             std::string(entity));
        }
        at = g;
      } else if (groups[g].code == count.counted) {
        if (!at) {
          Refuse(source, LineText(groups[g].line) + ": " + std::string(entity) +
                             " data before its " + count.what);
        }
        ++counted;
      }
    }
    if (!at) continue;
    const long value = LibraryInteger(groups[*at].value);
    if (value < 0 || value > counted) {
      Refuse(source, LineText(groups[*at].line) + ": the " + std::string(entity) + "'s " +
                         count.what + " " + std::to_string(value) + " is not the " +
                         std::to_string(counted) + " that follow");
    }
  }
}

// The whole file's groups: entities, as dxflib cuts them, start at every
// group of code 0 or 9.
void CheckGroups(std::string_view text, const std::string& source) {
  const std::vector<Group> groups = Groups(text, source);
  std::size_t first = 0;
  for (std::size_t g = 1; g <= groups.size(); ++g) {
    if (g < groups.size() && groups[g].code != 0 && groups[g].code != 9) continue;
    if (groups[first].code == 0) CheckCounts(groups, first, g, source);
    first = g;
  }
}

DxfPoint Point2(double x, double y) { return {x, y}; }

// Collects what dxflib reads into a DxfDrawing.
class Collector : public DL_CreationAdapter {
 public:
  explicit Collector(DxfDrawing& drawing) : drawing_(drawing) {}

  void setVariableInt(const std::string& key, int value, int) override {
    if (key == "$INSUNITS") drawing_.insunits = value;
  }
  void addLayer(const DL_LayerData& data) override {
    Finish();
    drawing_.table_layers.push_back(data.name);
  }
  void addBlock(const DL_BlockData& data) override {
    Finish();
    auto [block, added] = drawing_.blocks.try_emplace(data.name);
    // A name defined twice keeps its first definition; the second's
    // entities go nowhere.
    target_ = added ? &block->second.entities : &discarded_;
    if (added) block->second.base = Point2(data.bpx, data.bpy);
  }
  void endBlock() override {
    Finish();
    target_ = &drawing_.entities;
  }

  void addLine(const DL_LineData& d) override {
    DxfEntity e = Begin(DxfKind::kLine, false);
    e.points = {Point2(d.x1, d.y1), Point2(d.x2, d.y2)};
    Add(std::move(e));
  }
  void addArc(const DL_ArcData& d) override {
    DxfEntity e = Begin(DxfKind::kArc, true);
    e.centre = Point2(d.cx, d.cy);
    e.radius = d.radius;
    e.start = d.angle1;
    e.end = d.angle2;
    Add(std::move(e));
  }
  void addCircle(const DL_CircleData& d) override {
    DxfEntity e = Begin(DxfKind::kCircle, true);
    e.centre = Point2(d.cx, d.cy);
    e.radius = d.radius;
    Add(std::move(e));
  }
  void addEllipse(const DL_EllipseData& d) override {
    // Given in world coordinates; a plane that faces away turns the minor
    // axis the other way, which is the mirror of the same ellipse.
    DxfEntity e = Begin(DxfKind::kEllipse, true);
    const double sign = e.mirrored ? -1 : 1;
    e.centre = Point2(sign * d.cx, d.cy);
    e.axis = Point2(sign * d.mx, d.my);
    e.ratio = d.ratio;
    e.start = d.angle1;
    e.end = d.angle2;
    Add(std::move(e));
  }
  void addPolyline(const DL_PolylineData& d) override {
    DxfEntity e = Begin(DxfKind::kPolyline, true);
    e.closed = (d.flags & 1) != 0;
    // 3D polylines, meshes and polyface meshes outline nothing in the plane.
    if ((d.flags & (8 | 16 | 64)) != 0) e = Other("POLYLINE");
    pending_ = std::move(e);
  }
  void addVertex(const DL_VertexData& d) override {
    if (DxfEntity* e = Pending(DxfKind::kPolyline)) {
      e->points.push_back(Point2(d.x, d.y));
      e->bulges.push_back(d.bulge);
    }
  }
  void addSpline(const DL_SplineData& d) override {
    DxfEntity e = Begin(DxfKind::kSpline, false);
    e.degree = static_cast<int>(std::min(d.degree, 100u));
    e.closed = (d.flags & 1) != 0;
    pending_ = std::move(e);
  }
  void addControlPoint(const DL_ControlPointData& d) override {
    if (DxfEntity* e = Pending(DxfKind::kSpline)) {
      e->points.push_back(Point2(d.x, d.y));
      e->weights.push_back(d.w);
    }
  }
  void addKnot(const DL_KnotData& d) override {
    if (DxfEntity* e = Pending(DxfKind::kSpline)) e->knots.push_back(d.k);
  }
  void addHatch(const DL_HatchData&) override { pending_ = Begin(DxfKind::kHatch, true); }
  void addHatchLoop(const DL_HatchLoopData&) override {
    if (DxfEntity* e = Pending(DxfKind::kHatch)) e->loops.emplace_back();
  }
  void addHatchEdge(const DL_HatchEdgeData& d) override;
  void addInsert(const DL_InsertData& d) override {
    DxfEntity e = Begin(DxfKind::kInsert, true);
    e.block = d.name;
    e.points = {Point2(d.ipx, d.ipy)};
    e.scale = Point2(d.sx, d.sy);
    e.rotation = d.angle;
    e.columns = d.cols;
    e.rows = d.rows;
    e.spacing = Point2(d.colSp, d.rowSp);
    Add(std::move(e));
  }
  void endEntity() override { Finish(); }

  // Entities that outline nothing: counted on their layers.
  void addPoint(const DL_PointData&) override { Add(Other("POINT")); }
  void addXLine(const DL_XLineData&) override { Add(Other("XLINE")); }
  void addRay(const DL_RayData&) override { Add(Other("RAY")); }
  void addText(const DL_TextData&) override { Add(Other("TEXT")); }
  void addMText(const DL_MTextData&) override { Add(Other("MTEXT")); }
  void addArcAlignedText(const DL_ArcAlignedTextData&) override { Add(Other("ARCALIGNEDTEXT")); }
  void addAttribute(const DL_AttributeData&) override { Add(Other("ATTRIB")); }
  void addDimAlign(const DL_DimensionData&, const DL_DimAlignedData&) override { Dimension(); }
  void addDimLinear(const DL_DimensionData&, const DL_DimLinearData&) override { Dimension(); }
  void addDimRadial(const DL_DimensionData&, const DL_DimRadialData&) override { Dimension(); }
  void addDimDiametric(const DL_DimensionData&, const DL_DimDiametricData&) override {
    Dimension();
  }
  void addDimAngular(const DL_DimensionData&, const DL_DimAngular2LData&) override { Dimension(); }
  void addDimAngular3P(const DL_DimensionData&, const DL_DimAngular3PData&) override {
    Dimension();
  }
  void addDimOrdinate(const DL_DimensionData&, const DL_DimOrdinateData&) override { Dimension(); }
  void addLeader(const DL_LeaderData&) override { Add(Other("LEADER")); }
  void addTrace(const DL_TraceData&) override { Add(Other("TRACE")); }
  void add3dFace(const DL_3dFaceData&) override { Add(Other("3DFACE")); }
  void addSolid(const DL_SolidData&) override { Add(Other("SOLID")); }
  void addImage(const DL_ImageData&) override { Add(Other("IMAGE")); }

  // Whatever is still open when the file ends.
  void Finish() {
    if (pending_) target_->push_back(std::move(*pending_));
    pending_.reset();
  }

 private:
  // The entity being read whose vertices, points or edges follow, when it
  // is of `kind`.
  DxfEntity* Pending(DxfKind kind) {
    return pending_ && pending_->kind == kind ? &*pending_ : nullptr;
  }
  // A new entity on the current attributes' layer; `planar_in_own_system`
  // for the kinds given in their own coordinate system, whose plane may
  // face away (mirrored) or not lie in the drawing's plane at all (then it
  // outlines nothing here and is counted with the others).
  DxfEntity Begin(DxfKind kind, bool planar_in_own_system) {
    Finish();
    DxfEntity e;
    e.kind = kind;
    e.layer = getAttributes().getLayer();
    const double* n = getExtrusion()->getDirection();
    if (planar_in_own_system) {
      if (std::fabs(n[0]) > 1e-9 || std::fabs(n[1]) > 1e-9 || !(n[2] != 0)) {
        e.kind = DxfKind::kOther;
        e.what = "an entity out of the drawing's plane";
      }
      e.mirrored = n[2] < 0;
    }
    // Entities of paper space are a sheet's, not the model's.
    if (getAttributes().isInPaperSpace()) {
      e.kind = DxfKind::kOther;
      e.what = "a paper-space entity";
    }
    return e;
  }
  DxfEntity Other(const char* what) {
    DxfEntity e = Begin(DxfKind::kOther, false);
    if (e.what.empty()) e.what = what;
    return e;
  }
  void Dimension() { Add(Other("DIMENSION")); }
  void Add(DxfEntity e) {
    Finish();
    target_->push_back(std::move(e));
  }

  DxfDrawing& drawing_;
  std::vector<DxfEntity>* target_ = &drawing_.entities;
  std::vector<DxfEntity> discarded_;
  std::optional<DxfEntity> pending_;
};

// A hatch boundary's edge as an entity of its own, in the hatch's system.
// dxflib reads the seed points after a polyline boundary as one more
// polyline edge of its last loop, so a loop that began with a polyline
// takes no further edges.
void Collector::addHatchEdge(const DL_HatchEdgeData& d) {
  DxfEntity* hatch = Pending(DxfKind::kHatch);
  if (hatch == nullptr || hatch->loops.empty()) return;
  std::vector<DxfEntity>& loop = hatch->loops.back();
  if (!loop.empty() && loop.front().kind == DxfKind::kPolyline) return;
  DxfEntity e;
  e.layer = hatch->layer;
  switch (d.type) {
    case 0:
      e.kind = DxfKind::kPolyline;
      e.closed = true;
      for (const std::vector<double>& v : d.vertices) {
        if (v.size() < 2) continue;
        e.points.push_back(Point2(v[0], v[1]));
        e.bulges.push_back(v.size() > 2 ? v[2] : 0);
      }
      break;
    case 1:
      e.kind = DxfKind::kLine;
      e.points = {Point2(d.x1, d.y1), Point2(d.x2, d.y2)};
      break;
    case 2: {
      // A clockwise arc's angles are those of its mirror image.
      e.kind = DxfKind::kArc;
      e.centre = Point2(d.cx, d.cy);
      e.radius = d.radius;
      const double degrees = 180 / M_PI;
      e.start = (d.ccw ? d.angle1 : -d.angle1) * degrees;
      e.end = (d.ccw ? d.angle2 : -d.angle2) * degrees;
      if (!d.ccw) std::swap(e.start, e.end);
      break;
    }
    case 3: {
      e.kind = DxfKind::kEllipse;
      e.centre = Point2(d.cx, d.cy);
      e.axis = Point2(d.mx, d.my);
      e.ratio = d.ratio;
      e.start = d.ccw ? d.angle1 : -d.angle2;
      e.end = d.ccw ? d.angle2 : -d.angle1;
      break;
    }
    case 4:
      e.kind = DxfKind::kSpline;
      e.degree = static_cast<int>(std::min(d.degree, 100u));
      e.knots = d.knots;
      for (std::size_t i = 0; i < d.controlPoints.size(); ++i) {
        const std::vector<double>& v = d.controlPoints[i];
        if (v.size() < 2) continue;
        e.points.push_back(Point2(v[0], v[1]));
        e.weights.push_back(i < d.weights.size() ? d.weights[i] : 1.0);
      }
      if (e.points.empty()) return;  // Seed points, which dxflib reads as an edge.
      break;
    default:
      return;
  }
  loop.push_back(std::move(e));
}

}  // namespace

DxfDrawing ParseDxf(std::string_view text, const std::string& source) {
  CheckGroups(text, source);
  DxfDrawing drawing;
  drawing.source = source;
  Collector collector(drawing);
  std::istringstream stream{std::string(text)};
  DL_Dxf dxf;
  dxf.in(stream, &collector);
  collector.Finish();
  return drawing;
}

DxfDrawing ReadDxfFile(const std::string& path) { return ParseDxf(ReadWholeFile(path), path); }

}  // namespace kelvane
