#include "detail/detail_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <span>

#include "detail/drawing_shapes.h"
#include "detail/geometry.h"
#include "detail/material_library.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/number_text.h"

namespace kelvane {
namespace {

// Coordinates beyond 1000 km are a slip of the keyboard, and keeping them
// in range keeps every square and product of the geometry finite.
constexpr double kLargestCoordinate = 1e9;
// The physical values a detail can hold, each a wide margin beyond what
// building materials and surfaces have, so that a slip of the keyboard
// (1e30 for 1.30, a resistance for an h) is refused where it is written and
// not met as a solution of broken accuracy: conductivities from 1e-5 (a
// vacuum panel has 0.002) to 1e5 W/(m K) (diamond 2200); h 0, or from 1e-4
// (still air with no radiation has 1) to 1e7 W/(m2 K) (condensing steam
// 1e5), a resistance the inverse of those; temperatures within 1e4 of 0 in
// the model's unit (a fire test reaches 1200 degrees C).
struct Range {
  double least;
  double most;
  const char* unit;
};
constexpr Range kConductivity{1e-5, 1e5, "W/(m K)"};
constexpr Range kHeatTransfer{1e-4, 1e7, "W/(m\xC2\xB2 K)"};
constexpr Range kResistance{1e-7, 1e4, "m\xC2\xB2 K/W"};
constexpr Range kTemperature{-1e4, 1e4, ""};
// Each pair of sides is checked for crossing; beyond this many vertices
// that check alone would take seconds.
constexpr std::size_t kMostVertices = 10000;

// The keys each table knows, in the order a refusal lists them; the
// top-level keys are the sections of DetailReader::kSections. A new key is
// one more entry here, its reading below, and a line in docs/detail-files.md.
constexpr std::string_view kGridKeys[] = {"max_cell", "fine", "growth"};
constexpr std::string_view kPictureKeys[] = {"window"};
constexpr std::string_view kReportKeys[] = {"project", "client", "author", "reference"};
// A material given as a table.
// A condition's table, in [conditions] and in a case.
constexpr std::string_view kConditionKeys[] = {"ambient", "h", "resistance"};
constexpr std::string_view kDrawingKeys[] = {"file", "unit", "offset", "join"};
constexpr std::string_view kShapeKeys[] = {"fill", "rect", "circle", "polygon", "layer", "cell"};
// A condition's resistance by direction: resistance = { up = 0.10, ... }.
constexpr std::string_view kDirectionKeys[] = {"up", "side", "down"};
constexpr std::string_view kPsiKeys[] = {"name", "between", "flanking"};
// An entry of [psi] flanking.
constexpr std::string_view kFlankingKeys[] = {"u", "from", "to", "length"};
// Besides the names of the environments, conditions and fixed temperatures
// a case changes.
constexpr std::string_view kCaseKeys[] = {"name", "frsi_min"};
constexpr std::string_view kCondensationKeys[] = {"frsi_min", "case", "inside", "outside"};
// [condensation] inside and outside.
constexpr std::string_view kInsideKeys[] = {"temperature", "humidity", "vapour_excess"};
constexpr std::string_view kOutsideKeys[] = {"temperature", "humidity"};
// A material's inline table: conductivities by direction, a library entry,
// or an air cavity.
constexpr std::string_view kMaterialKeys[] = {"lambda", "x",          "y",     "library",
                                              "cavity", "emissivity", "colour"};
constexpr std::string_view kCavitiesKeys[] = {"temperature_difference", "mean_temperature"};
constexpr std::string_view kFrameKeys[] = {"between", "panel", "width"};
// [frame] panel.
constexpr std::string_view kPanelKeys[] = {"u", "from", "to", "visible"};
// The cavity kinds of EN ISO 10077-2 a material may be; a well-ventilated
// cavity is drawn as the outside condition.
constexpr std::pair<std::string_view, CavityKind> kCavityKinds[] = {
    {"unventilated", CavityKind::kUnventilated},
    {"slightly ventilated", CavityKind::kSlightlyVentilated}};

SourcePosition PositionOf(const toml::source_region& region) {
  return {static_cast<int>(region.begin.line), static_cast<int>(region.begin.column)};
}

bool Earlier(SourcePosition a, SourcePosition b) {
  return a.line != b.line ? a.line < b.line : a.column < b.column;
}

std::string TypeName(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "an integer";
    case toml::node_type::floating_point: return "a floating-point number";
    case toml::node_type::boolean: return "a boolean";
    case toml::node_type::date: return "a date";
    case toml::node_type::time: return "a time";
    case toml::node_type::date_time: return "a date-time";
    case toml::node_type::array: return "an array";
    case toml::node_type::table: return "a table";
    case toml::node_type::none: break;
  }
  return "nothing";
}

std::string Listed(std::span<const std::string_view> names) {
  std::string text;
  for (std::string_view name : names) text += (text.empty() ? "" : ", ") + std::string(name);
  return text;
}

struct Entry {
  const toml::key* key;
  const toml::node* value;
};

// "a material", "a condition" or "a fixed temperature".
const char* KindText(const Fill& fill) {
  static const char* const kKinds[] = {"void", "a material", "a condition", "a fixed temperature"};
  return kKinds[static_cast<int>(fill.kind)];
}

// The entries of a table in the order the file gives them: the parser keeps
// them sorted by key, but the order of materials and conditions numbers them.
std::vector<Entry> InFileOrder(const toml::table& table) {
  std::vector<Entry> entries;
  for (auto&& [key, value] : table) entries.push_back({&key, &value});
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return Earlier(PositionOf(a.key->source()), PositionOf(b.key->source()));
  });
  return entries;
}

class DetailReader {
 public:
  DetailReader(std::string_view text, const std::string& source, const DrawingFiles& files)
      : text_(text), files_(files) {
    detail_.source = source;
  }
  DetailFile Read();
  static std::vector<std::string_view> SectionKeys();

 private:
  using SectionReader = void (DetailReader::*)(const toml::node&);
  struct Section {
    std::string_view key;
    SectionReader read;
  };

  [[noreturn]] void Fail(ErrorKind kind, const toml::source_region& at,
                         const std::string& detail) const {
    throw RunError(kind, detail_.PlaceOf(PositionOf(at)), detail);
  }
  void RefuseUnknownKeys(const toml::table& table, std::span<const std::string_view> known,
                         const std::string& where) const;
  const toml::table& TableOf(const toml::node& node, const std::string& what) const;
  double Number(const toml::node& node, const std::string& what) const;
  double Positive(const toml::node& node, const std::string& what) const;
  double InRange(const toml::node& node, const std::string& what, const Range& range,
                 bool zero = false) const;
  double Coordinate(const toml::node& node, const std::string& what) const;
  std::vector<double> Coordinates(const toml::node& node, std::size_t count,
                                  const std::string& what, const std::string& form) const;
  std::string Name(const toml::key& key) const;

  void ReadTitle(const toml::node& node);
  void ReadGrid(const toml::node& node);
  void ReadMaterials(const toml::node& node);
  MaterialEntry Material(const toml::key& key, const toml::node& node) const;
  void ReadLibrary(const toml::node& node, MaterialEntry& material) const;
  CavityFill Cavity(const toml::table& table, const std::string& what) const;
  void ReadCavities(const toml::node& node);
  void ReadFrame(const toml::node& node) { frame_ = &node; }
  void ReadFrameTable(const toml::node& node);
  void ReadPanel(const toml::node& node, FrameEntry& frame) const;
  std::uint32_t Colour(const toml::node& node, const std::string& what) const;
  void ReadConditions(const toml::node& node);
  ConditionEntry Condition(const toml::key& key, const toml::node& node) const;
  struct HeatTransfer {
    std::optional<double> h;  // 1 / resistance when given so.
    std::optional<double> resistance;
    std::optional<DirectedResistance> by_direction;
  };
  DirectedResistance ReadDirected(const toml::node& node, const std::string& what) const;
  HeatTransfer ReadHeatTransfer(const toml::table& table, const std::string& what) const;
  const toml::table& ConditionTable(const toml::node& node, const std::string& what,
                                    const char* example) const;
  void ReadFixed(const toml::node& node);
  void ReadDrawing(const toml::node& node);
  void ReadShapes(const toml::node& node);
  Shape ReadShape(const toml::node& node) const;
  void ReadGeometry(const toml::key& key, const toml::node& node, Shape* shape) const;
  std::vector<Point> Polygon(const toml::node& node) const;
  void ReadProbes(const toml::node& node);
  void ReadPicture(const toml::node& node);
  void ReadReport(const toml::node& node);
  // Environments, psi, cases and condensation name conditions and fixed
  // temperatures, which may come further down: they are read once every
  // name is known.
  void ReadEnvironments(const toml::node& node) { environments_ = &node; }
  void ReadPsi(const toml::node& node) { psi_ = &node; }
  void ReadCases(const toml::node& node) { cases_ = &node; }
  void ReadCondensation(const toml::node& node) { condensation_ = &node; }
  void ReadEnvironmentTable(const toml::node& node);
  EnvironmentEntry Group(const toml::key& key, const toml::node& node);
  void RefuseMixedAmbients(const EnvironmentEntry& group) const;
  void ReadPsiTables(const toml::node& node);
  PsiEntry Psi(const toml::node& node, bool named) const;
  void ReadBetween(const toml::node& between, PsiEntry& psi) const;
  void ReadCondensationTable(const toml::node& node);
  CondensationEntry::Climate Climate(const toml::table& inside, const toml::table& outside) const;
  Months MonthsOf(const toml::node& node, const std::string& what, bool percent) const;
  double FactorValue(const toml::node& node, const std::string& what) const;
  FlankingEntry Flanking(const toml::node& node, const std::string& what) const;
  void ReadCaseTables(const toml::node& node);
  CaseEntry Case(const toml::node& node) const;
  CaseOverride Override(const toml::key& key, const toml::node& node,
                        const std::string& in_case) const;
  Target TargetNamed(const std::string& name, const toml::source_region& at,
                     const std::string& where) const;
  void IndexNames();
  void MergeNearLines();
  void RefuseControlCharacters() const;
  Fill FillNamed(const toml::node& node) const;

  // The top-level keys in the order the messages list them. A new section
  // of the format is one more line here and its reader.
  static constexpr Section kSections[] = {
      {"title", &DetailReader::ReadTitle},
      {"grid", &DetailReader::ReadGrid},
      {"materials", &DetailReader::ReadMaterials},
      {"conditions", &DetailReader::ReadConditions},
      {"fixed", &DetailReader::ReadFixed},
      {"drawing", &DetailReader::ReadDrawing},
      {"shape", &DetailReader::ReadShapes},
      {"probes", &DetailReader::ReadProbes},
      {"environments", &DetailReader::ReadEnvironments},
      {"psi", &DetailReader::ReadPsi},
      {"case", &DetailReader::ReadCases},
      {"condensation", &DetailReader::ReadCondensation},
      {"cavities", &DetailReader::ReadCavities},
      {"frame", &DetailReader::ReadFrame},
      {"picture", &DetailReader::ReadPicture},
      {"report", &DetailReader::ReadReport},
  };

  std::string_view text_;
  const DrawingFiles& files_;
  DetailFile detail_;
  std::vector<const toml::node*> fills_;  // The fill value of each shape.
  std::map<std::string, std::pair<Fill, SourcePosition>> fills_by_name_;
  const toml::node* environments_ = nullptr;
  const toml::node* psi_ = nullptr;
  const toml::node* cases_ = nullptr;
  const toml::node* condensation_ = nullptr;
  const toml::node* frame_ = nullptr;
  std::map<std::string, int> environments_by_name_;
};

void DetailReader::RefuseUnknownKeys(const toml::table& table,
                                     std::span<const std::string_view> known,
                                     const std::string& where) const {
  for (const Entry& entry : InFileOrder(table)) {
    if (std::find(known.begin(), known.end(), entry.key->str()) == known.end()) {
      Fail(ErrorKind::kUnknownKey, entry.key->source(),
           Quoted(std::string(entry.key->str())) + " in " + where + ", which knows " +
               Listed(known));
    }
  }
}

const toml::table& DetailReader::TableOf(const toml::node& node, const std::string& what) const {
  if (!node.is_table()) {
    Fail(ErrorKind::kTypeMismatch, node.source(), what + " must be a table, not " + TypeName(node));
  }
  return *node.as_table();
}

double DetailReader::Number(const toml::node& node, const std::string& what) const {
  double value;
  if (const auto* integer = node.as_integer()) {
    value = static_cast<double>(integer->get());
  } else if (const auto* floating = node.as_floating_point()) {
    value = floating->get();
  } else {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         what + " must be a number, not " + TypeName(node));
  }
  if (!std::isfinite(value)) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         what + " must be a finite number, not " + (std::isnan(value) ? "nan" : "inf"));
  }
  return value;
}

double DetailReader::Positive(const toml::node& node, const std::string& what) const {
  const double value = Number(node, what);
  if (!(value > 0)) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         what + " must be above 0, not " + NumberText(value));
  }
  return value;
}

// A value within `range`, or 0 as well when `zero` allows it.
double DetailReader::InRange(const toml::node& node, const std::string& what, const Range& range,
                             bool zero) const {
  const double value = Number(node, what);
  if (!(value >= range.least && value <= range.most) && !(zero && value == 0)) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         what + " must " + (zero ? "be 0 or " : "") + "lie between " + NumberText(range.least) +
             " and " + NumberText(range.most) + (*range.unit ? " " : "") + range.unit + ", not " +
             NumberText(value));
  }
  return value;
}

double DetailReader::Coordinate(const toml::node& node, const std::string& what) const {
  const double value = Number(node, what);
  if (std::fabs(value) > kLargestCoordinate) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         what + " must lie within 1E+09 mm of 0, not " + NumberText(value));
  }
  return value;
}

// An array of `count` lengths or coordinates, `form` showing it, e.g.
// "[x0, y0, x1, y1]".
std::vector<double> DetailReader::Coordinates(const toml::node& node, std::size_t count,
                                              const std::string& what,
                                              const std::string& form) const {
  const toml::array* array = node.as_array();
  if (array == nullptr) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         what + " must be an array " + form + ", not " + TypeName(node));
  }
  if (array->size() != count) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         what + " must have " + std::to_string(count) + " numbers " + form + ", not " +
             std::to_string(array->size()));
  }
  std::vector<double> values;
  for (std::size_t i = 0; i < count; ++i) {
    values.push_back(Coordinate((*array)[i], "number " + std::to_string(i + 1) + " of " + what));
  }
  return values;
}

std::string DetailReader::Name(const toml::key& key) const {
  std::string name(key.str());
  if (name.empty()) Fail(ErrorKind::kInvalidValue, key.source(), "a name must not be empty");
  if (name == "void") {
    Fail(ErrorKind::kInvalidValue, key.source(),
         "the name \"void\" is kept for regions left empty");
  }
  return name;
}

void DetailReader::ReadTitle(const toml::node& node) {
  if (!node.is_string()) {
    Fail(ErrorKind::kTypeMismatch, node.source(), "title must be a string, not " + TypeName(node));
  }
  detail_.title = node.as_string()->get();
}

void DetailReader::ReadGrid(const toml::node& node) {
  const toml::table& grid = TableOf(node, "grid");
  RefuseUnknownKeys(grid, kGridKeys, "[grid]");
  GridSettings& settings = detail_.grid;
  const toml::node* max_cell = grid.get("max_cell");
  if (max_cell == nullptr) Fail(ErrorKind::kMissingKey, grid.source(), "[grid] needs max_cell");
  settings.max_cell = Positive(*max_cell, "max_cell");
  settings.max_cell_at = PositionOf(max_cell->source());
  const toml::node* fine = grid.get("fine");
  const toml::node* growth = grid.get("growth");
  if ((fine == nullptr) != (growth == nullptr)) {
    const toml::node* given = fine != nullptr ? fine : growth;
    Fail(ErrorKind::kMissingKey, given->source(),
         fine != nullptr ? "fine needs growth beside it" : "growth needs fine beside it");
  }
  if (fine == nullptr) return;
  settings.fine = Positive(*fine, "fine");
  settings.fine_at = PositionOf(fine->source());
  settings.growth = Number(*growth, "growth");
  if (!(*settings.growth >= 1)) {
    Fail(ErrorKind::kInvalidValue, growth->source(),
         "growth must be 1 or more, not " + NumberText(*settings.growth));
  }
}

void DetailReader::ReadMaterials(const toml::node& node) {
  detail_.materials_at = PositionOf(node.source());
  for (const Entry& entry : InFileOrder(TableOf(node, "materials"))) {
    detail_.materials.push_back(Material(*entry.key, *entry.value));
  }
}

// A material's value: a conductivity, or a table of lambda, of x and y, of
// library, or of cavity and emissivity; any table may give the material's
// colour in the picture: { lambda = 0.8, colour = "#c05030" }.
MaterialEntry DetailReader::Material(const toml::key& key, const toml::node& node) const {
  MaterialEntry material;
  material.name = Name(key);
  material.at = PositionOf(key.source());
  const std::string what = "material " + Quoted(material.name);
  if (!node.is_table()) {
    material.conductivity =
        InRange(node, "the conductivity of " + Quoted(material.name), kConductivity);
    material.conductivity_y = material.conductivity;
    return material;
  }
  const toml::table& table = *node.as_table();
  RefuseUnknownKeys(table, kMaterialKeys, what);
  const toml::node* x = table.get("x");
  const toml::node* y = table.get("y");
  const toml::node* library = table.get("library");
  const toml::node* cavity = table.get("cavity");
  const toml::node* lambda = table.get("lambda");
  const int given = (x != nullptr || y != nullptr) + (library != nullptr) + (cavity != nullptr) +
                    (lambda != nullptr);
  if (given != 1) {
    Fail(given == 0 ? ErrorKind::kMissingKey : ErrorKind::kInvalidValue, table.source(),
         what + " must be one of { lambda = 0.8 }, { x = 0.5, y = 0.2 }, { library = \"...\" } "
                "and { cavity = \"unventilated\" }" + (given == 0 ? "" : ", not several"));
  }
  if (const toml::node* colour = table.get("colour")) {
    material.colour = Colour(*colour, "colour of " + what);
  }
  if (table.get("emissivity") != nullptr && cavity == nullptr) {
    Fail(ErrorKind::kInvalidValue, table.get("emissivity")->source(),
         "emissivity of " + what + " belongs to a cavity, which it is not");
  }
  if (lambda != nullptr) {
    material.conductivity = InRange(*lambda, "the conductivity of " + Quoted(material.name),
                                    kConductivity);
    material.conductivity_y = material.conductivity;
  } else if (library != nullptr) {
    ReadLibrary(*library, material);
  } else if (cavity != nullptr) {
    material.cavity = Cavity(table, what);
  } else {
    if (x == nullptr || y == nullptr) {
      Fail(ErrorKind::kMissingKey, table.source(),
           what + " needs both x and y, its conductivities along each, W/(m K)");
    }
    material.conductivity = InRange(*x, "x of " + what, kConductivity);
    material.conductivity_y = InRange(*y, "y of " + what, kConductivity);
  }
  return material;
}

// { library = "..." }: an entry of the built-in table, by its exact name.
void DetailReader::ReadLibrary(const toml::node& node, MaterialEntry& material) const {
  if (!node.is_string()) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         "library must be the name of an entry of kelvane2d --materials, not " + TypeName(node));
  }
  const std::string& name = node.as_string()->get();
  const LibraryMaterial* entry = FindLibraryMaterial(name);
  if (entry == nullptr) {
    std::string nearest;
    for (std::string_view n : NearestLibraryNames(name)) {
      nearest += (nearest.empty() ? "" : ", ") + Quoted(std::string(n));
    }
    Fail(ErrorKind::kUnknownName, node.source(),
         "library " + Quoted(name) + " names no entry of kelvane2d --materials; the nearest are " +
             nearest);
  }
  material.conductivity = entry->conductivity;
  material.conductivity_y = entry->conductivity;
  material.library = std::string(entry->name);
  material.source = std::string(entry->source);
}

CavityFill DetailReader::Cavity(const toml::table& table, const std::string& what) const {
  const toml::node& kind = *table.get("cavity");
  const std::string* name = kind.is_string() ? &kind.as_string()->get() : nullptr;
  const auto* found =
      name == nullptr ? std::end(kCavityKinds)
                      : std::find_if(std::begin(kCavityKinds), std::end(kCavityKinds),
                                     [&](const auto& k) { return k.first == *name; });
  if (found == std::end(kCavityKinds)) {
    Fail(name == nullptr ? ErrorKind::kTypeMismatch : ErrorKind::kInvalidValue, kind.source(),
         "cavity of " + what + " must be \"unventilated\" or \"slightly ventilated\" (a "
         "well-ventilated cavity is drawn as the outside condition), not " +
             (name == nullptr ? TypeName(kind) : Quoted(*name)));
  }
  CavityFill fill;
  fill.kind = found->second;
  const toml::node* emissivity = table.get("emissivity");
  if (emissivity == nullptr) return fill;
  const std::string of = "emissivity of " + what;
  if (const toml::array* faces = emissivity->as_array()) {
    if (faces->size() != 4) {
      Fail(ErrorKind::kInvalidValue, emissivity->source(),
           of + " must be one number or 4 [left, right, bottom, top], not " +
               std::to_string(faces->size()));
    }
    static const char* const kFaces[] = {"left", "right", "bottom", "top"};
    for (std::size_t i = 0; i < 4; ++i) {
      fill.emissivity[i] = FactorValue((*faces)[i], std::string(kFaces[i]) + " " + of);
    }
  } else {
    fill.emissivity.fill(FactorValue(*emissivity, of));
  }
  return fill;
}

// [cavities]: the temperature difference and mean temperature the cavities'
// conductivities are worked out at.
void DetailReader::ReadCavities(const toml::node& node) {
  const toml::table& table = TableOf(node, "cavities");
  RefuseUnknownKeys(table, kCavitiesKeys, "[cavities]");
  if (const toml::node* difference = table.get("temperature_difference")) {
    detail_.cavities.temperature_difference = Positive(*difference, "temperature_difference");
    if (detail_.cavities.temperature_difference > 1000) {
      Fail(ErrorKind::kInvalidValue, difference->source(),
           "temperature_difference must be above 0 and at most 1000 K, not " +
               NumberText(detail_.cavities.temperature_difference));
    }
  }
  if (const toml::node* mean = table.get("mean_temperature")) {
    const double t = Number(*mean, "mean_temperature");
    if (!(t > -273.15 && t <= 1000)) {
      Fail(ErrorKind::kInvalidValue, mean->source(),
           "mean_temperature must lie above -273.15 and at most 1000 °C, not " + NumberText(t));
    }
    detail_.cavities.mean_temperature = t;
  }
}

// A colour as "#rrggbb", to 0xRRGGBB.
std::uint32_t DetailReader::Colour(const toml::node& node, const std::string& what) const {
  const auto* text = node.as_string();
  if (text == nullptr) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         what + " must be a string such as \"#c05030\", not " + TypeName(node));
  }
  const std::string& value = text->get();
  std::uint32_t colour = 0;
  const char* first = value.data() + 1;
  const char* last = value.data() + value.size();
  const bool hex = value.size() == 7 && value[0] == '#' &&
                   std::all_of(first, last, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
  if (!hex || std::from_chars(first, last, colour, 16).ptr != last) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         what + " must be \"#\" and six hexadecimal digits, as in \"#c05030\", not " +
             Quoted(value));
  }
  return colour;
}

// A condition's value: a table of ambient, h and resistance, of which
// `example` is one.
const toml::table& DetailReader::ConditionTable(const toml::node& node, const std::string& what,
                                                const char* example) const {
  if (!node.is_table()) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         what + " must be a table such as " + example + ", not " + TypeName(node));
  }
  const toml::table& table = *node.as_table();
  RefuseUnknownKeys(table, kConditionKeys, what);
  return table;
}

// h or resistance of a condition's table, as far as it gives them.
DetailReader::HeatTransfer DetailReader::ReadHeatTransfer(const toml::table& table,
                                                          const std::string& what) const {
  const toml::node* h = table.get("h");
  const toml::node* resistance = table.get("resistance");
  if (h != nullptr && resistance != nullptr) {
    Fail(ErrorKind::kInvalidValue, table.source(), what + " has both h and resistance; give one");
  }
  HeatTransfer given;
  if (h != nullptr) {
    given.h = InRange(*h, "h of " + what, kHeatTransfer, true);
  } else if (resistance != nullptr && (resistance->is_string() || resistance->is_table())) {
    given.by_direction = ReadDirected(*resistance, "resistance of " + what);
    given.h = 1 / given.by_direction->side;
  } else if (resistance != nullptr) {
    given.resistance = InRange(*resistance, "resistance of " + what, kResistance);
    given.h = 1 / *given.resistance;
  }
  return given;
}

// Resistances by the direction of the heat flow: "ISO 6946", or a table of
// up, side and down, each defaulting to the standard's.
DirectedResistance DetailReader::ReadDirected(const toml::node& node,
                                              const std::string& what) const {
  DirectedResistance directed;
  if (const auto* name = node.as_string()) {
    if (name->get() != "ISO 6946") {
      Fail(ErrorKind::kInvalidValue, node.source(),
           what + " must be a number, \"ISO 6946\" or a table such as { up = 0.10, side = "
                  "0.13, down = 0.17 }, not " + Quoted(name->get()));
    }
    directed.iso6946 = true;
    return directed;
  }
  const toml::table& table = *node.as_table();
  RefuseUnknownKeys(table, kDirectionKeys, what);
  for (auto [key, value] : {std::pair{"up", &directed.up}, std::pair{"side", &directed.side},
                             std::pair{"down", &directed.down}}) {
    if (const toml::node* r = table.get(key)) {
      *value = InRange(*r, std::string(key) + " of " + what, kResistance);
    }
  }
  return directed;
}

ConditionEntry DetailReader::Condition(const toml::key& key, const toml::node& node) const {
  ConditionEntry condition;
  condition.name = Name(key);
  condition.at = PositionOf(key.source());
  const std::string what = "condition " + Quoted(condition.name);
  const toml::table& table = ConditionTable(node, what, "{ ambient = 20, resistance = 0.13 }");
  const toml::node* ambient = table.get("ambient");
  if (ambient == nullptr) Fail(ErrorKind::kMissingKey, node.source(), what + " needs ambient");
  condition.ambient = InRange(*ambient, "ambient of " + what, kTemperature);
  const HeatTransfer given = ReadHeatTransfer(table, what);
  if (!given.h) Fail(ErrorKind::kMissingKey, node.source(), what + " needs h or resistance");
  condition.h = *given.h;
  condition.resistance = given.resistance;
  condition.by_direction = given.by_direction;
  return condition;
}

void DetailReader::ReadConditions(const toml::node& node) {
  for (const Entry& entry : InFileOrder(TableOf(node, "conditions"))) {
    detail_.conditions.push_back(Condition(*entry.key, *entry.value));
  }
}

void DetailReader::ReadFixed(const toml::node& node) {
  for (const Entry& entry : InFileOrder(TableOf(node, "fixed"))) {
    const std::string name = Name(*entry.key);
    detail_.fixed.push_back({name,
                             InRange(*entry.value, "the temperature of " + Quoted(name),
                                     kTemperature),
                             PositionOf(entry.key->source())});
  }
}

std::vector<Point> DetailReader::Polygon(const toml::node& node) const {
  const toml::array* array = node.as_array();
  if (array == nullptr) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         "polygon must be an array of points [x, y], not " + TypeName(node));
  }
  if (array->size() < 3 || array->size() > kMostVertices) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         "a polygon needs 3 to " + std::to_string(kMostVertices) + " vertices, not " +
             std::to_string(array->size()));
  }
  std::vector<Point> vertices;
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string what = "vertex " + std::to_string(i + 1) + " of the polygon";
    std::vector<double> xy = Coordinates((*array)[i], 2, what, "[x, y]");
    vertices.push_back({xy[0], xy[1]});
  }
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const std::size_t next = (i + 1) % vertices.size();
    if (vertices[i].x != vertices[next].x || vertices[i].y != vertices[next].y) continue;
    // The last vertex repeating the first is the usual case.
    const std::size_t repeat = next == 0 ? i : next, first = next == 0 ? 0 : i;
    Fail(ErrorKind::kInvalidValue, (*array)[repeat].source(),
         "vertex " + std::to_string(repeat + 1) + " of the polygon repeats vertex " +
             std::to_string(first + 1) +
             (next == 0 ? "; the outline closes by itself: leave the last vertex out"
                        : "; leave one of them out"));
  }
  if (auto sides = MeetingSides(vertices)) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         "the polygon's sides " + std::to_string(sides->first) + " and " +
             std::to_string(sides->second) +
             " meet (side n runs from vertex n to the next); an outline must not cross itself");
  }
  return vertices;
}

void DetailReader::ReadGeometry(const toml::key& key, const toml::node& node, Shape* shape) const {
  shape->geometry_at = PositionOf(node.source());
  if (key.str() == "rect") {
    std::vector<double> v = Coordinates(node, 4, "rect", "[x0, y0, x1, y1]");
    if (v[0] == v[2] || v[1] == v[3]) {
      Fail(ErrorKind::kInvalidValue, node.source(),
           std::string("the rect has no ") + (v[0] == v[2] ? "width" : "height") +
               ": x0 and x1, y0 and y1 must differ");
    }
    shape->kind = ShapeKind::kRect;
    shape->rect = {std::min(v[0], v[2]), std::min(v[1], v[3]), std::max(v[0], v[2]),
                   std::max(v[1], v[3])};
  } else if (key.str() == "circle") {
    std::vector<double> v = Coordinates(node, 3, "circle", "[x, y, radius]");
    if (!(v[2] > 0)) {
      Fail(ErrorKind::kInvalidValue, node.source(),
           "the circle's radius must be above 0, not " + NumberText(v[2]));
    }
    shape->kind = ShapeKind::kCircle;
    shape->centre = {v[0], v[1]};
    shape->radius = v[2];
    shape->rect = {v[0] - v[2], v[1] - v[2], v[0] + v[2], v[1] + v[2]};
  } else if (key.str() == "layer") {
    if (!node.is_string()) {
      Fail(ErrorKind::kTypeMismatch, node.source(),
           "layer must be the name of a layer of the drawing, not " + TypeName(node));
    }
    shape->kind = ShapeKind::kRegion;
    shape->layer = node.as_string()->get();
  } else {
    shape->kind = ShapeKind::kPolygon;
    shape->vertices = Polygon(node);
  }
}

Shape DetailReader::ReadShape(const toml::node& node) const {
  const toml::table& table = TableOf(node, "each [[shape]]");
  RefuseUnknownKeys(table, kShapeKeys, "[[shape]]");
  Shape shape;
  shape.at = PositionOf(table.source());
  const toml::key* geometry = nullptr;
  for (const Entry& entry : InFileOrder(table)) {
    if (entry.key->str() == "fill" || entry.key->str() == "cell") continue;
    if (geometry != nullptr) {
      Fail(ErrorKind::kInvalidValue, entry.key->source(),
           "a shape is one of rect, circle, polygon and layer, not both " +
               std::string(geometry->str()) +
               " and " + std::string(entry.key->str()));
    }
    geometry = entry.key;
    ReadGeometry(*entry.key, *entry.value, &shape);
  }
  if (table.get("fill") == nullptr) {
    Fail(ErrorKind::kMissingKey, table.source(), "[[shape]] needs fill");
  }
  if (geometry == nullptr) {
    Fail(ErrorKind::kMissingKey, table.source(),
         "[[shape]] needs one of rect, circle, polygon and layer");
  }
  if (const toml::node* cell = table.get("cell")) {
    shape.cell = Positive(*cell, "cell");
    shape.cell_at = PositionOf(cell->source());
  }
  return shape;
}

void DetailReader::ReadShapes(const toml::node& node) {
  const toml::array* array = node.as_array();
  if (array == nullptr) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         "shape must be an array of tables, each one [[shape]], not " + TypeName(node));
  }
  for (const toml::node& element : *array) {
    detail_.shapes.push_back(ReadShape(element));
    fills_.push_back(element.as_table()->get("fill"));
  }
}

void DetailReader::ReadDrawing(const toml::node& node) {
  const toml::table& table = TableOf(node, "drawing");
  RefuseUnknownKeys(table, kDrawingKeys, "[drawing]");
  DrawingSettings settings;
  settings.at = PositionOf(table.source());
  const toml::node* file = table.get("file");
  if (file == nullptr) {
    Fail(ErrorKind::kMissingKey, table.source(), "[drawing] needs file, the DXF file's name");
  }
  if (!file->is_string() || file->as_string()->get().empty()) {
    Fail(ErrorKind::kTypeMismatch, file->source(),
         "file must be the name of a DXF file, not " +
             (file->is_string() ? std::string("an empty string") : TypeName(*file)));
  }
  settings.file = file->as_string()->get();
  settings.file_at = PositionOf(file->source());
  const std::string folder = FolderOf(detail_.source);
  settings.path = settings.file.front() == '/' || folder == "." ? settings.file
                                                                : folder + "/" + settings.file;
  if (const toml::node* unit = table.get("unit")) {
    static constexpr std::string_view kUnits[] = {"mm", "cm", "m", "in", "file"};
    const std::string* given = unit->is_string() ? &unit->as_string()->get() : nullptr;
    if (given == nullptr || std::find(std::begin(kUnits), std::end(kUnits), *given) == std::end(kUnits)) {
      Fail(given == nullptr ? ErrorKind::kTypeMismatch : ErrorKind::kInvalidValue, unit->source(),
           "unit must be one of \"mm\", \"cm\", \"m\", \"in\" and \"file\" (the drawing's "
           "$INSUNITS), not " + (given == nullptr ? TypeName(*unit) : Quoted(*given)));
    }
    settings.unit = *given;
    settings.unit_at = PositionOf(unit->source());
  }
  if (const toml::node* offset = table.get("offset")) {
    const std::vector<double> xy = Coordinates(*offset, 2, "offset", "[x, y]");
    settings.offset = {xy[0], xy[1]};
  }
  if (const toml::node* join = table.get("join")) {
    settings.join = Number(*join, "join");
    if (!(settings.join >= 0 && settings.join <= 10)) {
      Fail(ErrorKind::kInvalidValue, join->source(),
           "join must be 0 to 10 mm, not " + NumberText(settings.join));
    }
  }
  detail_.drawing = std::move(settings);
}

void DetailReader::ReadProbes(const toml::node& node) {
  for (const Entry& entry : InFileOrder(TableOf(node, "probes"))) {
    const std::string name(entry.key->str());
    std::vector<double> xy = Coordinates(*entry.value, 2, "probe " + Quoted(name), "[x, y]");
    detail_.probes.push_back({name, {xy[0], xy[1]}, PositionOf(entry.key->source())});
  }
}

void DetailReader::ReadPicture(const toml::node& node) {
  const toml::table& picture = TableOf(node, "picture");
  RefuseUnknownKeys(picture, kPictureKeys, "[picture]");
  const toml::node* window = picture.get("window");
  if (window == nullptr) return;
  const std::vector<double> w = Coordinates(*window, 4, "window", "[x0, y0, x1, y1]");
  if (!(w[2] > w[0]) || !(w[3] > w[1])) {
    Fail(ErrorKind::kInvalidValue, window->source(),
         "window [x0, y0, x1, y1] must have x1 above x0 and y1 above y0, not [" +
             NumberText(w[0]) + ", " + NumberText(w[1]) + ", " + NumberText(w[2]) + ", " +
             NumberText(w[3]) + "]");
  }
  detail_.picture_window = PictureWindow{w[0], w[1], w[2], w[3]};
}

void DetailReader::ReadReport(const toml::node& node) {
  const toml::table& report = TableOf(node, "report");
  RefuseUnknownKeys(report, kReportKeys, "[report]");
  ReportHeader& header = detail_.header;
  for (auto [key, value] : {std::pair{"project", &header.project}, {"client", &header.client},
                            {"author", &header.author}, {"reference", &header.reference}}) {
    const toml::node* given = report.get(key);
    if (given == nullptr) continue;
    if (!given->is_string()) {
      Fail(ErrorKind::kTypeMismatch, given->source(),
           std::string(key) + " of [report] must be a string, not " + TypeName(*given));
    }
    *value = given->as_string()->get();
  }
}

// The environment, condition or fixed temperature a name in `where` stands
// for.
Target DetailReader::TargetNamed(const std::string& name, const toml::source_region& at,
                                 const std::string& where) const {
  const std::string what = Quoted(name) + " in " + where;
  if (auto group = environments_by_name_.find(name); group != environments_by_name_.end()) {
    return {group->second, {}};
  }
  auto found = fills_by_name_.find(name);
  if (found == fills_by_name_.end()) {
    Fail(ErrorKind::kUnknownName, at,
         what + " names no environment, condition or fixed temperature");
  }
  if (found->second.first.kind == FillKind::kMaterial) {
    Fail(ErrorKind::kInvalidValue, at,
         what + " names a material, not an environment, condition or fixed temperature");
  }
  return {-1, found->second.first};
}

// [environments]: each key a group's name, each value the names of its
// conditions and fixed temperatures.
void DetailReader::ReadEnvironmentTable(const toml::node& node) {
  for (const Entry& entry : InFileOrder(TableOf(node, "environments"))) {
    const std::string name = Name(*entry.key);
    if (auto earlier = fills_by_name_.find(name); earlier != fills_by_name_.end()) {
      const SourcePosition first = earlier->second.second;
      Fail(ErrorKind::kDuplicateName, entry.key->source(),
           Quoted(name) + " names " + KindText(earlier->second.first) + " already, at line " +
               std::to_string(first.line) + ", column " + std::to_string(first.column));
    }
    EnvironmentEntry group = Group(*entry.key, *entry.value);
    environments_by_name_.emplace(name, static_cast<int>(detail_.environments.size()));
    detail_.environments.push_back(std::move(group));
  }
}

EnvironmentEntry DetailReader::Group(const toml::key& key, const toml::node& node) {
  EnvironmentEntry group{Name(key), {}, PositionOf(key.source())};
  const std::string what = "environment " + Quoted(group.name);
  const toml::array* names = node.as_array();
  if (names == nullptr || names->empty()) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         what + " must be an array of one or more names of conditions and fixed temperatures, "
                "such as [\"room wall\", \"room floor\"], not " + TypeName(node));
  }
  for (const toml::node& member : *names) {
    if (!member.is_string()) {
      Fail(ErrorKind::kTypeMismatch, member.source(),
           "a member of " + what + " must be a name, not " + TypeName(member));
    }
    const Target target = TargetNamed(member.as_string()->get(), member.source(), what);
    if (target.environment >= 0) {
      Fail(ErrorKind::kInvalidValue, member.source(),
           Quoted(member.as_string()->get()) + " in " + what +
               " is an environment; an environment holds conditions and fixed temperatures");
    }
    const Target in = EnvironmentOf(detail_, target.fill);
    if (in.environment >= 0 || std::count(group.members.begin(), group.members.end(), target.fill)) {
      const std::string& other = in.environment >= 0 ? detail_.environments[in.environment].name
                                                     : group.name;
      Fail(ErrorKind::kDuplicateName, member.source(),
           Quoted(member.as_string()->get()) + " is in environment " + Quoted(other) +
               " already; a condition belongs to one environment");
    }
    group.members.push_back(target.fill);
  }
  RefuseMixedAmbients(group);
  return group;
}

// The ambient (or fixed temperature) of a member of an environment.
double AmbientOf(const DetailFile& detail, const Fill& fill) {
  return fill.kind == FillKind::kFixed ? detail.fixed[fill.index].temperature
                                       : detail.conditions[fill.index].ambient;
}

void DetailReader::RefuseMixedAmbients(const EnvironmentEntry& group) const {
  for (const Fill& member : group.members) {
    const double first = AmbientOf(detail_, group.members.front());
    if (AmbientOf(detail_, member) == first) continue;
    throw RunError(ErrorKind::kInvalidValue, detail_.PlaceOf(group.at),
                   "environment " + Quoted(group.name) + " joins " +
                       Quoted(FillName(detail_, group.members.front())) + " at " +
                       NumberText(first) + " and " + Quoted(FillName(detail_, member)) + " at " +
                       NumberText(AmbientOf(detail_, member)) +
                       "; the conditions of one environment share its ambient");
  }
}

// One [psi] table, or [[psi]] tables each with its name.
void DetailReader::ReadPsiTables(const toml::node& node) {
  if (node.is_table()) {
    detail_.psi.push_back(Psi(node, false));
    return;
  }
  const toml::array* array = node.as_array();
  if (array == nullptr) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         "psi must be a table [psi] or tables [[psi]], not " + TypeName(node));
  }
  for (const toml::node& element : *array) {
    PsiEntry psi = Psi(element, true);
    for (const PsiEntry& earlier : detail_.psi) {
      if (earlier.name != psi.name) continue;
      Fail(ErrorKind::kDuplicateName, element.source(),
           "[[psi]] " + Quoted(psi.name) + " is named already, at line " +
               std::to_string(earlier.at.line) + ", column " + std::to_string(earlier.at.column));
    }
    detail_.psi.push_back(std::move(psi));
  }
}

PsiEntry DetailReader::Psi(const toml::node& node, bool named) const {
  const toml::table& table = TableOf(node, named ? "each [[psi]]" : "psi");
  const std::string where = named ? "[[psi]]" : "[psi]";
  RefuseUnknownKeys(table, kPsiKeys, where);
  PsiEntry psi;
  psi.at = PositionOf(table.source());
  if (const toml::node* name = table.get("name")) {
    if (!name->is_string() || name->as_string()->get().empty()) {
      Fail(ErrorKind::kTypeMismatch, name->source(), "the name of a psi must be a text, not empty");
    }
    psi.name = name->as_string()->get();
  } else if (named) {
    Fail(ErrorKind::kMissingKey, table.source(),
         "[[psi]] needs name, such as name = \"external dimensions\"");
  }
  const toml::node* between = table.get("between");
  if (between == nullptr) {
    Fail(ErrorKind::kMissingKey, table.source(),
         where + " needs between, such as between = [\"inside\", \"outside\"]");
  }
  ReadBetween(*between, psi);
  if (const toml::node* flanking = table.get("flanking")) {
    const toml::array* entries = flanking->as_array();
    if (entries == nullptr) {
      Fail(ErrorKind::kTypeMismatch, flanking->source(),
           "flanking must be an array of tables such as { u = 0.35, length = 1000 }, not " +
               TypeName(*flanking));
    }
    for (std::size_t i = 0; i < entries->size(); ++i) {
      psi.flanking.push_back(Flanking((*entries)[i], "flanking entry " + std::to_string(i + 1)));
    }
  }
  return psi;
}

void DetailReader::ReadBetween(const toml::node& between, PsiEntry& psi) const {
  psi.between_at = PositionOf(between.source());
  const toml::array* names = between.as_array();
  if (names == nullptr) {
    Fail(ErrorKind::kTypeMismatch, between.source(),
         "between must be an array of two names such as [\"inside\", \"outside\"], not " +
             TypeName(between));
  }
  if (names->size() != 2) {
    Fail(ErrorKind::kInvalidValue, between.source(),
         "between must name two environments, not " + std::to_string(names->size()));
  }
  for (std::size_t i = 0; i < 2; ++i) {
    const toml::node& name = (*names)[i];
    if (!name.is_string()) {
      Fail(ErrorKind::kTypeMismatch, name.source(),
           "name " + std::to_string(i + 1) + " of between must be a string, not " + TypeName(name));
    }
    psi.between[i] = TargetNamed(name.as_string()->get(), name.source(), "between");
  }
  if (psi.between[0] == psi.between[1]) {
    Fail(ErrorKind::kInvalidValue, (*names)[1].source(),
         "between names " + Quoted(TargetName(detail_, psi.between[0])) +
             " twice; psi lies between two different environments");
  }
  const std::vector<Fill> a = TargetMembers(detail_, psi.between[0]);
  for (const Fill& member : TargetMembers(detail_, psi.between[1])) {
    if (std::find(a.begin(), a.end(), member) == a.end()) continue;
    Fail(ErrorKind::kInvalidValue, (*names)[1].source(),
         "between names " + Quoted(TargetName(detail_, psi.between[0])) + " and " +
             Quoted(TargetName(detail_, psi.between[1])) + ", which share " +
             Quoted(FillName(detail_, member)) + "; psi lies between two different environments");
  }
}

// [frame]: between the inside and the outside environment, the panel and
// the frame's width b_f.
void DetailReader::ReadFrameTable(const toml::node& node) {
  const toml::table& table = TableOf(node, "frame");
  RefuseUnknownKeys(table, kFrameKeys, "[frame]");
  FrameEntry frame;
  frame.at = PositionOf(table.source());
  for (const char* key : {"between", "panel", "width"}) {
    if (table.get(key) != nullptr) continue;
    Fail(ErrorKind::kMissingKey, table.source(),
         std::string("[frame] needs ") + key +
             (std::string_view(key) == "between"
                  ? ", such as between = [\"inside\", \"outside\"]"
                  : std::string_view(key) == "panel"
                        ? ", such as panel = { u = 1.03, visible = 190 }"
                        : ", the frame's projected width b_f in mm"));
  }
  PsiEntry pair;
  ReadBetween(*table.get("between"), pair);
  frame.between[0] = pair.between[0];
  frame.between[1] = pair.between[1];
  frame.between_at = pair.between_at;
  ReadPanel(*table.get("panel"), frame);
  const toml::node& width = *table.get("width");
  frame.width = Positive(width, "width of [frame]");
  if (frame.width > kLargestCoordinate) {
    Fail(ErrorKind::kInvalidValue, width.source(),
         "width of [frame] must be at most 1E+09 mm, not " + NumberText(frame.width));
  }
  detail_.frame = frame;
}

// The insulating panel: its U given, or a segment across it from one
// environment to the other; and its visible width b_p, mm.
void DetailReader::ReadPanel(const toml::node& node, FrameEntry& frame) const {
  const std::string what = "panel of [frame]";
  const toml::table& table = TableOf(node, what);
  RefuseUnknownKeys(table, kPanelKeys, what);
  FlankingEntry& panel = frame.panel;
  panel.at = PositionOf(table.source());
  const toml::node* u = table.get("u");
  const toml::node* from = table.get("from");
  const toml::node* to = table.get("to");
  if (u != nullptr && (from != nullptr || to != nullptr)) {
    Fail(ErrorKind::kInvalidValue, table.source(), what + " has both u and from/to; give one");
  }
  if (u == nullptr && (from == nullptr || to == nullptr)) {
    Fail(ErrorKind::kMissingKey, table.source(),
         what + " needs u, or from and to across the panel's layers");
  }
  if (u != nullptr) {
    panel.u = Positive(*u, "u of " + what);
  } else {
    const std::vector<double> a = Coordinates(*from, 2, "from of " + what, "[x, y]");
    const std::vector<double> b = Coordinates(*to, 2, "to of " + what, "[x, y]");
    panel.from = Point{a[0], a[1]};
    panel.to = Point{b[0], b[1]};
  }
  const toml::node* visible = table.get("visible");
  if (visible == nullptr) {
    Fail(ErrorKind::kMissingKey, table.source(),
         what + " needs visible, the panel's visible width b_p in mm");
  }
  panel.length = Positive(*visible, "visible of " + what);
  if (panel.length > kLargestCoordinate) {
    Fail(ErrorKind::kInvalidValue, visible->source(),
         "visible of " + what + " must be at most 1E+09 mm, not " + NumberText(panel.length));
  }
}

FlankingEntry DetailReader::Flanking(const toml::node& node, const std::string& what) const {
  const toml::table& table = TableOf(node, what);
  RefuseUnknownKeys(table, kFlankingKeys, what);
  FlankingEntry entry;
  entry.at = PositionOf(table.source());
  const toml::node* u = table.get("u");
  const toml::node* from = table.get("from");
  const toml::node* to = table.get("to");
  if (u != nullptr && (from != nullptr || to != nullptr)) {
    Fail(ErrorKind::kInvalidValue, table.source(), what + " has both u and from/to; give one");
  }
  if (u == nullptr && from == nullptr && to == nullptr) {
    Fail(ErrorKind::kMissingKey, table.source(), what + " needs u, or from and to");
  }
  if ((from == nullptr) != (to == nullptr)) {
    Fail(ErrorKind::kMissingKey, (from != nullptr ? from : to)->source(),
         what + (from != nullptr ? " has from but no to" : " has to but no from"));
  }
  if (u != nullptr) {
    entry.u = Number(*u, "u of " + what);
    if (*entry.u < 0) {
      Fail(ErrorKind::kInvalidValue, u->source(),
           "u of " + what + " must be 0 or more, not " + NumberText(*entry.u));
    }
  } else {
    const std::vector<double> a = Coordinates(*from, 2, "from of " + what, "[x, y]");
    const std::vector<double> b = Coordinates(*to, 2, "to of " + what, "[x, y]");
    entry.from = Point{a[0], a[1]};
    entry.to = Point{b[0], b[1]};
  }
  const toml::node* length = table.get("length");
  if (length == nullptr) Fail(ErrorKind::kMissingKey, table.source(), what + " needs length, mm");
  entry.length = Positive(*length, "length of " + what);
  if (entry.length > kLargestCoordinate) {
    Fail(ErrorKind::kInvalidValue, length->source(),
         "length of " + what + " must be at most 1E+09 mm, not " + NumberText(entry.length));
  }
  return entry;
}

void DetailReader::ReadCaseTables(const toml::node& node) {
  const toml::array* array = node.as_array();
  if (array == nullptr) {
    Fail(ErrorKind::kTypeMismatch, node.source(),
         "case must be an array of tables, each one [[case]], not " + TypeName(node));
  }
  for (const toml::node& element : *array) detail_.cases.push_back(Case(element));
}

CaseEntry DetailReader::Case(const toml::node& node) const {
  const toml::table& table = TableOf(node, "each [[case]]");
  CaseEntry entry;
  entry.at = PositionOf(table.source());
  const toml::node* name = table.get("name");
  if (name == nullptr) Fail(ErrorKind::kMissingKey, table.source(), "[[case]] needs name");
  if (!name->is_string()) {
    Fail(ErrorKind::kTypeMismatch, name->source(),
         "the name of a case must be a string, not " + TypeName(*name));
  }
  entry.name = name->as_string()->get();
  if (entry.name.empty()) {
    Fail(ErrorKind::kInvalidValue, name->source(), "the name of a case must not be empty");
  }
  for (const CaseEntry& earlier : detail_.cases) {
    if (earlier.name != entry.name) continue;
    Fail(ErrorKind::kDuplicateName, name->source(),
         Quoted(entry.name) + " names a case already, at line " + std::to_string(earlier.at.line) +
             ", column " + std::to_string(earlier.at.column));
  }
  const std::string in_case = "case " + Quoted(entry.name);
  for (const Entry& e : InFileOrder(table)) {
    if (e.key->str() == "name") continue;
    if (e.key->str() == "frsi_min") {
      entry.frsi_min = FactorValue(*e.value, "frsi_min of " + in_case);
      continue;
    }
    entry.overrides.push_back(Override(*e.key, *e.value, in_case));
  }
  return entry;
}

// A temperature factor asked for: above 0 and at most 1.
double DetailReader::FactorValue(const toml::node& node, const std::string& what) const {
  const double value = Positive(node, what);
  if (value > 1) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         what + " must be above 0 and at most 1, not " + NumberText(value));
  }
  return value;
}

CaseOverride DetailReader::Override(const toml::key& key, const toml::node& node,
                                    const std::string& in_case) const {
  CaseOverride change;
  change.at = PositionOf(key.source());
  const std::string name(key.str());
  change.target = TargetNamed(name, key.source(), in_case);
  const std::vector<Fill> members = TargetMembers(detail_, change.target);
  const bool all_fixed = std::all_of(members.begin(), members.end(),
                                     [](const Fill& f) { return f.kind == FillKind::kFixed; });
  if (all_fixed && change.target.environment < 0) {
    change.temperature =
        InRange(node, "fixed temperature " + Quoted(name) + " in " + in_case, kTemperature);
    return change;
  }
  const std::string what =
      (change.target.environment >= 0 ? "environment " : "condition ") + Quoted(name) + " in " +
      in_case;
  const toml::table& table = ConditionTable(node, what, "{ ambient = -5, resistance = 0.25 }");
  const HeatTransfer given = ReadHeatTransfer(table, what);
  const toml::node* ambient = table.get("ambient");
  if (ambient == nullptr && !given.h) {
    Fail(ErrorKind::kMissingKey, node.source(),
         what + " changes nothing; give ambient, h or resistance");
  }
  if (ambient != nullptr) change.ambient = InRange(*ambient, "ambient of " + what, kTemperature);
  change.h = given.h;
  change.resistance = given.resistance;
  change.by_direction = given.by_direction;
  if (given.h && all_fixed) {
    Fail(ErrorKind::kInvalidValue, table.source(),
         what + " holds fixed temperatures only, which have no h or resistance");
  }
  for (const Fill& member : members) {
    if (!given.by_direction || member.kind != FillKind::kCondition ||
        detail_.conditions[member.index].by_direction) {
      continue;
    }
    Fail(ErrorKind::kInvalidValue, table.source(),
         what + " gives resistances by direction to " +
             Quoted(FillName(detail_, member)) +
             ", whose own resistance is one; give it resistances by direction in [conditions] too");
  }
  return change;
}

// [condensation]: frsi_min, or the climate of EN ISO 13788 that gives it,
// and the case whose fRsi the verdict takes.
void DetailReader::ReadCondensationTable(const toml::node& node) {
  const toml::table& table = TableOf(node, "condensation");
  RefuseUnknownKeys(table, kCondensationKeys, "[condensation]");
  CondensationEntry entry;
  entry.at = PositionOf(table.source());
  const toml::node* inside = table.get("inside");
  const toml::node* outside = table.get("outside");
  if (const toml::node* frsi_min = table.get("frsi_min")) {
    if (inside != nullptr || outside != nullptr) {
      Fail(ErrorKind::kInvalidValue, frsi_min->source(),
           "[condensation] has both frsi_min and a climate (inside, outside); give one");
    }
    entry.frsi_min = FactorValue(*frsi_min, "frsi_min");
    entry.frsi_min_at = PositionOf(frsi_min->source());
  } else if (inside == nullptr || outside == nullptr) {
    Fail(ErrorKind::kMissingKey, table.source(),
         "[condensation] needs frsi_min, or inside and outside (the climate month by month)");
  } else {
    entry.monthly = Climate(TableOf(*inside, "inside of [condensation]"),
                            TableOf(*outside, "outside of [condensation]"));
  }
  if (const toml::node* name = table.get("case")) {
    entry.case_at = PositionOf(name->source());
    if (!name->is_string()) {
      Fail(ErrorKind::kTypeMismatch, name->source(), "case must be a case's name, not " + TypeName(*name));
    }
    entry.case_name = name->as_string()->get();
    if (std::none_of(detail_.cases.begin(), detail_.cases.end(),
                     [&](const CaseEntry& c) { return c.name == entry.case_name; })) {
      Fail(ErrorKind::kUnknownName, name->source(),
           "case " + Quoted(entry.case_name) + " of [condensation] names no [[case]]");
    }
  }
  detail_.condensation = entry;
}

CondensationEntry::Climate DetailReader::Climate(const toml::table& inside,
                                                 const toml::table& outside) const {
  RefuseUnknownKeys(inside, kInsideKeys, "inside of [condensation]");
  RefuseUnknownKeys(outside, kOutsideKeys, "outside of [condensation]");
  CondensationEntry::Climate climate;
  const toml::node* t = inside.get("temperature");
  if (t == nullptr) Fail(ErrorKind::kMissingKey, inside.source(), "inside needs temperature, °C");
  if (t->is_array()) {
    climate.inside_temperature = MonthsOf(*t, "temperature of inside", false);
  } else {
    climate.inside_temperature.fill(Number(*t, "temperature of inside"));
  }
  const toml::node* humidity = inside.get("humidity");
  const toml::node* excess = inside.get("vapour_excess");
  if ((humidity == nullptr) == (excess == nullptr)) {
    Fail(ErrorKind::kMissingKey, inside.source(),
         "inside needs humidity (12 monthly values, %) or vapour_excess (12, g/m3); give one");
  }
  if (humidity) climate.inside_humidity = MonthsOf(*humidity, "humidity of inside", true);
  if (excess) climate.vapour_excess = MonthsOf(*excess, "vapour_excess of inside", false);
  for (const char* key : {"temperature", "humidity"}) {
    const toml::node* value = outside.get(key);
    if (value == nullptr) {
      Fail(ErrorKind::kMissingKey, outside.source(),
           std::string("outside needs ") + key + ", 12 monthly values");
    }
    const bool percent = std::string_view(key) == "humidity";
    (percent ? climate.outside_humidity : climate.outside_temperature) =
        MonthsOf(*value, std::string(key) + " of outside", percent);
  }
  return climate;
}

// Twelve numbers, January first; a humidity in % from 0 to 100.
Months DetailReader::MonthsOf(const toml::node& node, const std::string& what, bool percent) const {
  const toml::array* array = node.as_array();
  if (array == nullptr || array->size() != 12) {
    Fail(ErrorKind::kInvalidValue, node.source(),
         what + " must be 12 monthly values, January first, not " +
             (array ? std::to_string(array->size()) + (array->size() == 1 ? " value" : " values")
                    : TypeName(node)));
  }
  Months months{};
  for (std::size_t m = 0; m < 12; ++m) {
    months[m] = Number((*array)[m], what);
    if (percent && !(months[m] >= 0 && months[m] <= 100)) {
      Fail(ErrorKind::kInvalidValue, (*array)[m].source(),
           what + " is a relative humidity in %, from 0 to 100, not " + NumberText(months[m]));
    }
  }
  return months;
}

// A shape whose sides became one grid line is a slip of the pen, not a
// layer: it would paint nothing.
void DetailReader::MergeNearLines() {
  std::vector<Box> drawn;
  for (const Shape& shape : detail_.shapes) drawn.push_back(Bounds(shape));
  MergeNearCoordinates(detail_.shapes);
  for (std::size_t i = 0; i < detail_.shapes.size(); ++i) {
    const Shape& shape = detail_.shapes[i];
    const Box merged = Bounds(shape);
    if (merged.x0 < merged.x1 && merged.y0 < merged.y1) continue;
    const bool wide = merged.x0 < merged.x1;
    static const char* const kKinds[] = {"rect", "circle", "polygon", "layer's outline"};
    throw RunError(ErrorKind::kInvalidValue, detail_.PlaceOf(shape.geometry_at),
                   std::string("the ") + kKinds[static_cast<int>(shape.kind)] + " is " +
                       NumberText(wide ? drawn[i].y1 - drawn[i].y0 : drawn[i].x1 - drawn[i].x0) +
                       " mm " + (wide ? "high" : "wide") +
                       ", too little to tell its sides apart from rounding");
  }
}

// Names are unique across materials, conditions and fixed temperatures;
// each names what a fill paints.
void DetailReader::IndexNames() {
  struct Named {
    const std::string* name;
    SourcePosition at;
    Fill fill;
  };
  std::vector<Named> names;
  for (std::size_t i = 0; i < detail_.materials.size(); ++i) {
    names.push_back({&detail_.materials[i].name,
                     detail_.materials[i].at,
                     {FillKind::kMaterial, static_cast<int>(i)}});
  }
  for (std::size_t i = 0; i < detail_.conditions.size(); ++i) {
    names.push_back({&detail_.conditions[i].name,
                     detail_.conditions[i].at,
                     {FillKind::kCondition, static_cast<int>(i)}});
  }
  for (std::size_t i = 0; i < detail_.fixed.size(); ++i) {
    names.push_back(
        {&detail_.fixed[i].name, detail_.fixed[i].at, {FillKind::kFixed, static_cast<int>(i)}});
  }
  std::stable_sort(names.begin(), names.end(),
                   [](const Named& a, const Named& b) { return Earlier(a.at, b.at); });
  for (const Named& named : names) {
    auto [earlier, added] = fills_by_name_.try_emplace(*named.name, named.fill, named.at);
    if (added) continue;
    const SourcePosition first = earlier->second.second;
    throw RunError(ErrorKind::kDuplicateName, detail_.PlaceOf(named.at),
                   Quoted(*named.name) + " names " + KindText(earlier->second.first) +
                       " already, at line " +
                       std::to_string(first.line) + ", column " + std::to_string(first.column));
  }
}

Fill DetailReader::FillNamed(const toml::node& node) const {
  if (!node.is_string()) {
    Fail(ErrorKind::kTypeMismatch, node.source(), "fill must be a string, not " + TypeName(node));
  }
  const std::string& name = node.as_string()->get();
  if (name == "void") return Fill{};
  auto found = fills_by_name_.find(name);
  if (found == fills_by_name_.end()) {
    Fail(ErrorKind::kUnknownName, node.source(),
         "fill " + Quoted(name) + " names no material, condition or fixed temperature");
  }
  return found->second.first;
}

// TOML allows no control character but the tab and line breaks, other
// than escaped in a string. They are refused before the parser sees them:
// its own checks of them rest on assertions.
void DetailReader::RefuseControlCharacters() const {
  SourcePosition at{1, 1};
  for (unsigned char c : text_) {
    if (c == '\n') {
      at = {at.line + 1, 1};
      continue;
    }
    if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7f) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02X", c);
      throw RunError(ErrorKind::kSyntaxError, detail_.PlaceOf(at),
                     std::string("the control character ") + code +
                         " may stand only as an escape in a string");
    }
    if ((c & 0xC0) != 0x80) ++at.column;  // Columns count characters, not bytes.
  }
}

// Where a string that does not end begins: a one-line string the line
// ends in, or a multi-line one the file ends in. What the parser says of it
// ("unescaped control characters") points at its end, not at its start.
std::optional<SourcePosition> UnterminatedString(std::string_view text) {
  SourcePosition at{1, 1}, start;
  std::string_view close;  // The open string's closing quotes; none outside one.
  bool comment = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      if (!close.empty() && close.size() == 1) return start;
      comment = false;
      at = {at.line + 1, 1};
      continue;
    }
    if (close.empty() && !comment) {
      if (c == '#') comment = true;
      if (c == '"' || c == '\'') {
        start = at;
        const bool triple = text.substr(i, 3) == std::string(3, c);
        close = triple ? (c == '"' ? "\"\"\"" : "'''") : (c == '"' ? "\"" : "'");
        if (triple) {
          i += 2;
          at.column += 2;
        }
      }
    } else if (!close.empty()) {
      if (c == '\\' && close[0] == '"') {
        ++i;  // An escape: the next character is the string's.
        ++at.column;
      } else if (text.substr(i, close.size()) == close) {
        i += close.size() - 1;
        at.column += static_cast<int>(close.size()) - 1;
        close = {};
      }
    }
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++at.column;
  }
  if (!close.empty()) return start;
  return std::nullopt;
}

DetailFile DetailReader::Read() {
  RefuseControlCharacters();
  toml::table root;
  try {
    root = toml::parse(text_, detail_.source);
  } catch (const toml::parse_error& e) {
    const std::optional<SourcePosition> open = UnterminatedString(text_);
    if (open && open->line <= static_cast<int>(e.source().begin.line)) {
      throw RunError(ErrorKind::kSyntaxError, detail_.PlaceOf(*open),
                     "unterminated string: the string that begins here does not end");
    }
    Fail(ErrorKind::kSyntaxError, e.source(), std::string(e.description()));
  }
  for (const Entry& entry : InFileOrder(root)) {
    const Section* section =
        std::find_if(std::begin(kSections), std::end(kSections),
                     [&](const Section& s) { return s.key == entry.key->str(); });
    if (section == std::end(kSections)) {
      std::string known;
      for (const Section& s : kSections) known += (known.empty() ? "" : ", ") + std::string(s.key);
      Fail(ErrorKind::kUnknownKey, entry.key->source(),
           Quoted(std::string(entry.key->str())) + "; a detail file knows " + known);
    }
    (this->*section->read)(*entry.value);
  }
  if (root.get("grid") == nullptr) {
    throw RunError(ErrorKind::kMissingKey, detail_.source,
                   "the file has no [grid] table with max_cell");
  }
  FillLayerShapes(detail_, files_);
  MergeNearLines();
  IndexNames();
  for (std::size_t i = 0; i < detail_.shapes.size(); ++i) {
    detail_.shapes[i].fill = FillNamed(*fills_[i]);
    detail_.shapes[i].fill_at = PositionOf(fills_[i]->source());
  }
  if (environments_ != nullptr) ReadEnvironmentTable(*environments_);
  if (psi_ != nullptr) ReadPsiTables(*psi_);
  if (cases_ != nullptr) ReadCaseTables(*cases_);
  if (condensation_ != nullptr) ReadCondensationTable(*condensation_);
  if (frame_ != nullptr) ReadFrameTable(*frame_);
  return std::move(detail_);
}

std::vector<std::string_view> DetailReader::SectionKeys() {
  std::vector<std::string_view> keys;
  for (const Section& s : kSections) keys.push_back(s.key);
  return keys;
}

}  // namespace

std::vector<DetailKeys> DetailFileKeys() {
  return {{"", DetailReader::SectionKeys()},
          {"[grid]", {std::begin(kGridKeys), std::end(kGridKeys)}},
          {"material", {std::begin(kMaterialKeys), std::end(kMaterialKeys)}},
          {"[picture]", {std::begin(kPictureKeys), std::end(kPictureKeys)}},
          {"[report]", {std::begin(kReportKeys), std::end(kReportKeys)}},
          {"condition", {std::begin(kConditionKeys), std::end(kConditionKeys)}},
          {"[drawing]", {std::begin(kDrawingKeys), std::end(kDrawingKeys)}},
          {"[[shape]]", {std::begin(kShapeKeys), std::end(kShapeKeys)}},
          {"resistance by direction", {std::begin(kDirectionKeys), std::end(kDirectionKeys)}},
          {"[psi]", {std::begin(kPsiKeys), std::end(kPsiKeys)}},
          {"[condensation]", {std::begin(kCondensationKeys), std::end(kCondensationKeys)}},
          {"inside of [condensation]", {std::begin(kInsideKeys), std::end(kInsideKeys)}},
          {"outside of [condensation]", {std::begin(kOutsideKeys), std::end(kOutsideKeys)}},
          {"flanking", {std::begin(kFlankingKeys), std::end(kFlankingKeys)}},
          {"[[case]]", {std::begin(kCaseKeys), std::end(kCaseKeys)}},
          {"[cavities]", {std::begin(kCavitiesKeys), std::end(kCavitiesKeys)}},
          {"[frame]", {std::begin(kFrameKeys), std::end(kFrameKeys)}},
          {"panel", {std::begin(kPanelKeys), std::end(kPanelKeys)}}};
}

std::string DetailFile::PlaceOf(SourcePosition at) const {
  return source + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
}

const std::string& FillName(const DetailFile& detail, const Fill& fill) {
  static const std::string kVoid = "void";
  switch (fill.kind) {
    case FillKind::kMaterial: return detail.materials[fill.index].name;
    case FillKind::kCondition: return detail.conditions[fill.index].name;
    case FillKind::kFixed: return detail.fixed[fill.index].name;
    case FillKind::kVoid: break;
  }
  return kVoid;
}

const std::string& TargetName(const DetailFile& detail, const Target& target) {
  return target.environment >= 0 ? detail.environments[target.environment].name
                                 : FillName(detail, target.fill);
}

std::vector<Fill> TargetMembers(const DetailFile& detail, const Target& target) {
  if (target.environment >= 0) return detail.environments[target.environment].members;
  return {target.fill};
}

Target EnvironmentOf(const DetailFile& detail, const Fill& fill) {
  for (std::size_t e = 0; e < detail.environments.size(); ++e) {
    const std::vector<Fill>& members = detail.environments[e].members;
    if (std::find(members.begin(), members.end(), fill) != members.end()) {
      return {static_cast<int>(e), {}};
    }
  }
  return {-1, fill};
}

DetailFile ParseDetail(std::string_view text, const std::string& source_name,
                       const DrawingFiles& drawing_files) {
  return DetailReader(text, source_name, drawing_files).Read();
}

DetailFile ReadDetailFile(const std::string& path) {
  return ParseDetail(ReadWholeFile(path), path);
}

}  // namespace kelvane
