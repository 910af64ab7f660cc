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

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

enum class ShapeKind { kRect, kCircle, kPolygon };

struct Shape {
  ShapeKind kind = ShapeKind::kRect;
  Fill fill;
  Box rect;                     // kRect, corners ordered; kCircle, its extent
  Point centre;                 // kCircle
  double radius = 0;            // kCircle
  std::vector<Point> vertices;  // kPolygon: a simple outline, 3 or more
  std::optional<double> cell;   // The largest cell within its extent, mm.
  SourcePosition at;            // Its table ([[shape]]).
  SourcePosition fill_at;
  SourcePosition geometry_at;  // The rect, circle or polygon value.
  SourcePosition cell_at;
};

struct MaterialEntry {
  std::string name;
  double conductivity = 0;  // W/(m K)
  SourcePosition at;        // The key.
};

struct ConditionEntry {
  std::string name;
  double ambient = 0;
  double h = 0;                      // W/(m2 K); 1 / resistance when given so.
  std::optional<double> resistance;  // m2 K/W, as written.
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

// The linear thermal transmittance asked for: psi = L2D - sum of U_j l_j
// between the two environments `between` (conditions or fixed
// temperatures).
struct FlankingEntry {
  std::optional<double> u;    // W/(m2 K), given directly, or
  std::optional<Point> from;  // a segment across the element's layers, mm
  std::optional<Point> to;
  double length = 0;  // mm, > 0
  SourcePosition at;  // The entry (its inline table).
};

struct PsiEntry {
  Fill between[2];                      // kCondition or kFixed, two different ones
  std::vector<FlankingEntry> flanking;  // May be empty (psi = L2D then).
  SourcePosition at;                    // The [psi] table.
  SourcePosition between_at;
};

// A case: the same geometry and grid with other values for some conditions
// (ambient and/or h or resistance) and fixed temperatures.
struct CaseOverride {
  Fill target;                        // kCondition or kFixed
  std::optional<double> ambient;      // Conditions.
  std::optional<double> h;            // Conditions: W/(m2 K), 1 / resistance when given so.
  std::optional<double> resistance;   // As written.
  std::optional<double> temperature;  // Fixed temperatures: `pipe = 50`.
  SourcePosition at;                  // The key.
};

struct CaseEntry {
  std::string name;                     // Unique among the cases, not empty.
  std::vector<CaseOverride> overrides;  // In file order.
  SourcePosition at;                    // Its table ([[case]]).
};

struct GridSettings {
  double max_cell = 0;           // mm
  std::optional<double> fine;    // mm; set together with growth.
  std::optional<double> growth;  // >= 1
  SourcePosition max_cell_at;
  SourcePosition fine_at;
};

struct DetailFile {
  std::string source;  // The file's name in messages.
  std::string title;
  GridSettings grid;
  std::vector<MaterialEntry> materials;    // In file order: material n is A n.
  SourcePosition materials_at;             // [materials], when the file has it.
  std::vector<ConditionEntry> conditions;  // In file order: B n.
  std::vector<FixedEntry> fixed;           // In file order: C n.
  std::vector<Shape> shapes;               // In painting order.
  std::vector<ProbeEntry> probes;          // In file order.
  std::optional<PsiEntry> psi;
  std::vector<CaseEntry> cases;  // In file order.

  // "wall.toml:12:5", the place of a refusal.
  std::string PlaceOf(SourcePosition at) const;
};

// The name a fill paints with: a material's, condition's or fixed
// temperature's name, or "void".
const std::string& FillName(const DetailFile& detail, const Fill& fill);

// The keys the reader knows in one kind of table: `table` is "" for the top
// level, "[grid]", "condition" (a condition's inline table, in [conditions]
// and in a case), "[[shape]]", "[psi]", "flanking" (an entry of [psi]
// flanking) or "[[case]]" (whose other keys are the names of what it
// changes). The tables whose keys are names ([materials], [conditions],
// [fixed], [probes]) have none.
struct DetailKeys {
  std::string_view table;
  std::vector<std::string_view> keys;  // In the order a refusal lists them.
};
std::vector<DetailKeys> DetailFileKeys();

// Reads a detail file from a text; `source_name` names it in messages.
DetailFile ParseDetail(std::string_view text, const std::string& source_name);

// Reads the detail file at `path`.
DetailFile ReadDetailFile(const std::string& path);

}  // namespace kelvane
