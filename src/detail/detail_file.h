// A detail file: a building detail drawn as shapes in millimetres, with
// named materials, convection conditions and fixed temperatures, from which
// the grid maker (grid_maker.h) makes an ordinary grid model. The file is
// TOML; docs/detail-files.md describes every key, its unit and its default,
// and a test checks that it names every key of DetailFileKeys().
//
// The reader refuses, with the file, line and column of the value (or key)
// at fault: TOML syntax, unknown keys anywhere, wrong types, values out of
// range, fills and names that clash or name nothing. What only the made grid
// can tell (a probe in no element, no material at all, a grid too large) is
// the grid maker's to refuse, and what a flanking segment crosses is
// FlankingElements' (flanking.h), at the positions kept here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "detail/cavities.h"
#include "model/labels.h"

namespace kelvane {

// Line and column in the file, from 1, as the TOML parser counts them.
struct SourcePosition {
  int line = 0;
  int column = 0;
};

struct Point {
  double x = 0;
  double y = 0;
};

// An axis-parallel rectangle, x0 < x1 and y0 < y1.
struct Box {
  double x0 = 0;
  double y0 = 0;
  double x1 = 0;
  double y1 = 0;
};

enum class FillKind { kVoid, kMaterial, kCondition, kFixed };

// What a shape paints: void, or entry `index` (from 0) of the file's
// materials, conditions or fixed temperatures.
struct Fill {
  FillKind kind = FillKind::kVoid;
  int index = -1;

  bool operator==(const Fill&) const = default;
};

// kRegion: the closed outlines of a drawing's layer, filled by the
// even-odd rule (an outline within another is a hole).
enum class ShapeKind { kRect, kCircle, kPolygon, kRegion };

struct Shape {
  ShapeKind kind = ShapeKind::kRect;
  Fill fill;
  Box rect;                     // kRect, corners ordered; kCircle, its extent
  Point centre;                 // kCircle
  double radius = 0;            // kCircle
  std::vector<Point> vertices;  // kPolygon: a simple outline, 3 or more
  // kRegion: simple outlines, 3 or more vertices each, no two of which
  // meet; each outline counter-clockwise where it bounds the region from
  // outside, clockwise where it bounds a hole.
  std::vector<std::vector<Point>> rings;
  std::vector<Box> ring_bounds;  // kRegion: each ring's extent (SetRingBounds).
  std::string layer;             // kRegion: the drawing's layer.
  std::optional<double> cell;   // The largest cell within its extent, mm.
  SourcePosition at;            // Its table ([[shape]]).
  SourcePosition fill_at;
  SourcePosition geometry_at;  // The rect, circle or polygon value; the layer key.
  SourcePosition cell_at;
};

// A material: one conductivity, one along x and one along y ({ x = .., y =
// .. }), one from the built-in table ({ library = ".." }, material_library.h),
// or an air cavity ({ cavity = ".." }), whose conductivities each of its
// cavities works out from its size when the grid is made (cavities.h).
struct MaterialEntry {
  std::string name;
  double conductivity = 0;    // W/(m K), along x; 0 for a cavity fill
  double conductivity_y = 0;  // Along y: the same as along x unless given apart.
  std::string library;        // The built-in entry it takes, and that entry's
  std::string source;         //   source; both empty otherwise.
  std::optional<CavityFill> cavity;
  std::optional<std::uint32_t> colour;  // In the picture, 0xRRGGBB, where given.
  SourcePosition at;  // The key.

  bool Anisotropic() const { return conductivity != conductivity_y; }
};


// Surface resistances by the direction of the heat flow out of the room, as
// EN ISO 6946 gives them, m2 K/W: up through a ceiling (the surface faces
// down), sideways through a wall, down through a floor (it faces up). The
// drawing is read as a vertical section, y up.
struct DirectedResistance {
  double up = 0.10;
  double side = 0.13;
  double down = 0.17;
  bool iso6946 = false;  // Given as resistance = "ISO 6946".

  friend bool operator==(const DirectedResistance&, const DirectedResistance&) = default;
};

struct ConditionEntry {
  std::string name;
  double ambient = 0;
  double h = 0;                      // W/(m2 K); 1 / resistance when given so.
  std::optional<double> resistance;  // m2 K/W, as written.
  // Resistances by direction instead: each surface's h is 1 / its own.
  std::optional<DirectedResistance> by_direction;
  SourcePosition at;
};

struct FixedEntry {
  std::string name;
  double temperature = 0;
  SourcePosition at;
};

struct ProbeEntry {
  std::string name;
  Point point;  // mm
  SourcePosition at;
};

// An environment: a room or the outside, of one or more conditions and
// fixed temperatures that share an ambient ([environments] room = ["room
// wall", "room floor"]). A condition or fixed temperature in no group is an
// environment of its own.
struct EnvironmentEntry {
  std::string name;
  std::vector<Fill> members;  // kCondition or kFixed, in the order given.
  SourcePosition at;          // The key.
};

// What psi's between and a case's change name: an environment of
// [environments], or one condition or fixed temperature (in a group or not).
struct Target {
  int environment = -1;  // Entry of DetailFile::environments, or none, and
  Fill fill;             //   then this condition or fixed temperature.

  bool operator==(const Target&) const = default;
};

// The linear thermal transmittance asked for: psi = L2D - sum of U_j l_j
// between the two environments `between`.
struct FlankingEntry {
  std::optional<double> u;    // W/(m2 K), given directly, or
  std::optional<Point> from;  // a segment across the element's layers, mm
  std::optional<Point> to;
  double length = 0;  // mm, > 0
  SourcePosition at;  // The entry (its inline table).
};

struct PsiEntry {
  std::string name;                     // [[psi]] name; empty for a single [psi].
  Target between[2];                    // Two that share no condition.
  std::vector<FlankingEntry> flanking;  // May be empty (psi = L2D then).
  SourcePosition at;                    // The [psi] table.
  SourcePosition between_at;
};

// [frame]: the frame's U_f = (L2D - U_p b_p) / b_f of EN ISO 10077-2, L2D
// between the two environments `between` (inside first), U_p that of the
// insulating panel (given, or from a segment across its layers, as a
// flanking element's), b_p its visible width and b_f the frame's projected
// width, mm.
struct FrameEntry {
  Target between[2];
  FlankingEntry panel;  // Its length is b_p.
  double width = 0;     // b_f, mm
  SourcePosition at;
  SourcePosition between_at;
};

// A case: the same geometry and grid with other values for some conditions
// (ambient and/or h or resistance) and fixed temperatures.
struct CaseOverride {
  Target target;
  std::optional<double> ambient;      // Conditions.
  std::optional<double> h;            // Conditions: W/(m2 K), 1 / resistance when given so.
  std::optional<double> resistance;   // As written.
  std::optional<DirectedResistance> by_direction;  // Instead of h, by direction.
  std::optional<double> temperature;  // Fixed temperatures: `pipe = 50`.
  SourcePosition at;                  // The key.
};

struct CaseEntry {
  std::string name;                     // Unique among the cases, not empty.
  std::vector<CaseOverride> overrides;  // In file order.
  std::optional<double> frsi_min;       // The case's own requirement.
  SourcePosition at;                    // Its table ([[case]]).
};

// Twelve monthly means, January first.
using Months = std::array<double, 12>;

// [condensation]: what fRsi is asked to reach. `frsi_min` directly, or
// worked out month by month by EN ISO 13788 from the inside temperature
// and humidity (relative, %, or the moisture excess over the outside, g/m3)
// and the outside's monthly climate.
struct CondensationEntry {
  std::optional<double> frsi_min;
  SourcePosition frsi_min_at;
  std::string case_name;  // The case whose fRsi the verdict takes; "" for the model's own.
  SourcePosition case_at;
  struct Climate {
    Months inside_temperature{};
    std::optional<Months> inside_humidity;  // %
    std::optional<Months> vapour_excess;    // g/m3
    Months outside_temperature{};
    Months outside_humidity{};  // %
  };
  std::optional<Climate> monthly;
  SourcePosition at;  // The table.
};

struct GridSettings {
  double max_cell = 0;           // mm
  std::optional<double> fine;    // mm; set together with growth.
  std::optional<double> growth;  // >= 1
  SourcePosition max_cell_at;
  SourcePosition fine_at;
};

// [drawing]: the DXF drawing whose layers layer shapes take.
struct DrawingSettings {
  std::string file;  // As written.
  std::string path;  // The file beside the detail file.
  std::optional<std::string> unit;  // As written: mm, cm, m, in or file.
  Point offset;                     // mm
  double join = 0.01;               // mm
  SourcePosition at;                // The table.
  SourcePosition file_at;
  SourcePosition unit_at;
};

struct DetailFile {
  std::string source;  // The file's name in messages.
  std::string title;
  GridSettings grid;
  std::vector<MaterialEntry> materials;    // In file order: material n is A n.
  SourcePosition materials_at;             // [materials], when the file has it.
  std::vector<ConditionEntry> conditions;  // In file order: B n.
  std::vector<FixedEntry> fixed;           // In file order: C n.
  std::optional<DrawingSettings> drawing;
  std::vector<Shape> shapes;               // In painting order.
  std::vector<ProbeEntry> probes;          // In file order.
  std::vector<EnvironmentEntry> environments;  // In file order.
  std::vector<PsiEntry> psi;                   // One [psi], or each [[psi]] in order.
  std::vector<CaseEntry> cases;  // In file order.
  std::optional<CondensationEntry> condensation;
  CavitySettings cavities;  // [cavities], or the standard's values.
  std::optional<FrameEntry> frame;
  ReportHeader header;                      // [report]
  std::optional<PictureWindow> picture_window;  // [picture] window

  // "wall.toml:12:5", the place of a refusal.
  std::string PlaceOf(SourcePosition at) const;
};

// The name a fill paints with: a material's, condition's or fixed
// temperature's name, or "void".
const std::string& FillName(const DetailFile& detail, const Fill& fill);

// The name of what a target names.
const std::string& TargetName(const DetailFile& detail, const Target& target);
// The conditions and fixed temperatures a target stands for.
std::vector<Fill> TargetMembers(const DetailFile& detail, const Target& target);
// The environment a condition or fixed temperature is in: the group that
// holds it, or itself.
Target EnvironmentOf(const DetailFile& detail, const Fill& fill);

// The keys the reader knows in one kind of table: `table` is "" for the top
// level, "[grid]", "condition" (a condition's inline table, in [conditions]
// and in a case), "[drawing]", "[[shape]]", "[psi]", "flanking" (an entry of
// [psi] flanking), "material" (a material's inline table), "[cavities]",
// "[frame]", "panel" (of [frame]) or "[[case]]" (whose other keys are the names of what it
// changes). The tables whose keys are names ([materials], [conditions],
// [fixed], [probes]) have none.
struct DetailKeys {
  std::string_view table;
  std::vector<std::string_view> keys;  // In the order a refusal lists them.
};
std::vector<DetailKeys> DetailFileKeys();

// The text of a drawing a detail file names, by its path; ReadWholeFile
// when not given.
using DrawingFiles = std::function<std::string(const std::string& path)>;

// Reads a detail file from a text; `source_name` names it in messages, and
// the drawing of its layer shapes ([drawing] file) is named relative to its
// folder (drawing_shapes.h).
DetailFile ParseDetail(std::string_view text, const std::string& source_name,
                       const DrawingFiles& drawing_files = {});

// Reads the detail file at `path`.
DetailFile ReadDetailFile(const std::string& path);

}  // namespace kelvane
