#include "model/input_reader.h"

#include <cmath>
#include <cstdint>

#include "model/cell.h"
#include "model/cell_code.h"
#include "model/field_reader.h"
#include "model/leading_number.h"
#include "model/units.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/memory.h"

namespace kelvane {
namespace {

std::string Str(std::int64_t n) { return std::to_string(n); }

// What a field holds, in words for messages ("code at code row 3, column 2").
// Kept as parts and put together only when a message needs it, since a large
// model has a million fields.
struct FieldName {
  const char* first;
  std::int64_t a = -1;
  const char* second = nullptr;
  std::int64_t b = -1;

  FieldName(const char* text) : first(text) {}  // NOLINT: plain names convert.
  FieldName(const char* f, std::int64_t x, const char* s = nullptr, std::int64_t y = -1)
      : first(f), a(x), second(s), b(y) {}
  std::string Text() const {
    std::string text = first;
    if (a >= 0) text += Str(a);
    if (second != nullptr) text += second;
    if (b >= 0) text += Str(b);
    return text;
  }
};

class InputParser {
 public:
  InputParser(std::string_view text, const std::string& source_name)
      : fields_(text), source_(source_name) {}

  Model Parse();

 private:
  // The last indices of the loops over the widths and heights, as the
  // counts give them (a count that is no whole number may differ from the
  // code block's extent).
  struct GridExtent {
    std::int32_t last_width = 0;
    std::int32_t last_height = 0;
  };

  // The sections of the file, in their order.
  void ParseMaterials(Model& model);
  void ParseConditions(Model& model);
  void ParseFixedTemperatures(Model& model);
  GridExtent ParseGridSize(Model& model);
  void ParseSpacings(Model& model, const GridExtent& extent);
  void ParseCodes(Model& model);

  // The next field; `what` names it if the file ends before it.
  Field Take(const FieldName& what);
  std::string PlaceOf(const Field& field, const FieldName& what) const;
  [[noreturn]] void Fail(ErrorKind kind, const Field& field, const FieldName& what,
                         const std::string& detail) const;

  double LeadingNumberOf(const Field& field, const FieldName& what) const;
  std::int32_t CountOf(const Field& field, const FieldName& what) const;
  // `value` rounded; `added` is what a loop bound adds to the count (0, 1, 2).
  std::int32_t BoundOf(const Field& field, const FieldName& what, double value,
                       int added = 0) const;
  Cell CellOf(const Field& field, const FieldName& what) const;
  double Conductivity(const Field& field, const FieldName& what) const;
  double Spacing(const Field& field, const FieldName& what) const;
  // Refuses a table that needs more fields than the rest of the file holds.
  void NeedFields(std::uint64_t count, const Field& field, const FieldName& what,
                  const std::string& table) const;

  FieldReader fields_;
  std::string source_;
};

Field InputParser::Take(const FieldName& what) {
  Field field;
  bool more;
  try {
    more = fields_.Next(&field);
  } catch (const RunError& e) {
    // The field reader knows the line and field; add the file and the name.
    throw RunError(e.kind(), source_ + ", " + e.place() + " (" + what.Text() + ")", e.detail());
  }
  if (!more) {
    throw RunError(ErrorKind::kInputEndsEarly,
                   source_ + ", end of file after line " + Str(fields_.LastLine()),
                   "the file ends before the " + what.Text());
  }
  return field;
}

std::string InputParser::PlaceOf(const Field& field, const FieldName& what) const {
  return source_ + ", line " + Str(field.line) + ", field " + Str(field.index_in_line) +
         " (" + what.Text() + ")";
}

void InputParser::Fail(ErrorKind kind, const Field& field, const FieldName& what,
                       const std::string& detail) const {
  throw RunError(kind, PlaceOf(field, what), detail);
}

double InputParser::LeadingNumberOf(const Field& field, const FieldName& what) const {
  std::optional<double> value = LeadingNumber(field.text);
  if (!value) {
    Fail(ErrorKind::kOverflow, field, what,
         Quoted(field.text) + " lies beyond the range of a 64-bit number");
  }
  return *value;
}

std::int32_t InputParser::BoundOf(const Field& field, const FieldName& what, double value,
                                  int added) const {
  std::optional<std::int32_t> rounded = RoundToInt32(value);
  if (!rounded) {
    std::string subject = Quoted(field.text);
    if (added > 0) subject += " + " + std::to_string(added) + ", the extent of the code block,";
    Fail(ErrorKind::kOverflow, field, what, subject + " lies beyond the 32-bit integer range");
  }
  return *rounded;
}

std::int32_t InputParser::CountOf(const Field& field, const FieldName& what) const {
  std::int32_t count = BoundOf(field, what, LeadingNumberOf(field, what));
  if (count < 0) {
    Fail(ErrorKind::kNegativeCount, field, what,
         Quoted(field.text) + " gives " + Str(count) + "; a count must be 0 or more");
  }
  return count;
}

Cell InputParser::CellOf(const Field& field, const FieldName& what) const {
  if (field.quoted) return Cell::Text(field.text);
  if (field.text.empty()) return Cell();
  ParsedNumber parsed = ReadAsNumber(field.text);
  switch (parsed.status) {
    case NumberStatus::kNumber:
      return Cell::Number(parsed.value);
    case NumberStatus::kOverflow:
      Fail(ErrorKind::kOverflow, field, what,
           Quoted(field.text) + " lies beyond the range of a 64-bit number");
    case NumberStatus::kNotANumber:
      break;
  }
  return Cell::Text(field.text);
}

// Read directly as a number: the field must be one.
double InputParser::Conductivity(const Field& field, const FieldName& what) const {
  ParsedNumber parsed = ReadAsNumber(field.text);
  if (parsed.status == NumberStatus::kOverflow) {
    Fail(ErrorKind::kOverflow, field, what,
         Quoted(field.text) + " lies beyond the range of a 64-bit number");
  }
  if (parsed.status == NumberStatus::kNotANumber) {
    Fail(ErrorKind::kTypeMismatch, field, what,
         field.text.empty() ? std::string("the field is empty, a number is needed")
                            : Quoted(field.text) + " is not a number");
  }
  return parsed.value;
}

// Millimetres in the file, metres in the model. The conversion reads the
// field as a cell's text, so a number passes through its 15-digit form.
double InputParser::Spacing(const Field& field, const FieldName& what) const {
  Field as_text = field;
  as_text.text = CellOf(field, what).AsText();
  return MillimetreToMetre(LeadingNumberOf(as_text, what));
}

void InputParser::NeedFields(std::uint64_t count, const Field& field, const FieldName& what,
                             const std::string& table) const {
  std::uint64_t at_most = fields_.FieldsAtMost();
  if (count > at_most) {
    Fail(ErrorKind::kInputEndsEarly, field, what,
         table + " need " + std::to_string(count) + " more fields, but the rest of the file " +
             "holds at most " + std::to_string(at_most));
  }
}

Model InputParser::Parse() {
  Model model;
  model.Header = Take("header").text;
  ParseMaterials(model);
  ParseConditions(model);
  ParseFixedTemperatures(model);
  const GridExtent extent = ParseGridSize(model);
  ParseSpacings(model, extent);
  ParseCodes(model);
  return model;
}

void InputParser::ParseMaterials(Model& model) {
  Field field = Take("number of materials");
  std::int32_t count = CountOf(field, "number of materials");
  NeedFields(2 * static_cast<std::uint64_t>(count), field, "number of materials",
             Str(count) + " materials");
  model.MaterialTable.assign(static_cast<std::size_t>(count) + 1, Material());
  for (std::int32_t i = 1; i <= count; ++i) {
    Material& m = model.MaterialTable[i];
    m.Name = Take(FieldName("name of material ", i)).text;
    FieldName what("conductivity of material ", i);
    m.ConductivityX = Conductivity(Take(what), what);
    m.ConductivityY = m.ConductivityX;
  }
}

void InputParser::ParseConditions(Model& model) {
  Field field = Take("number of convection conditions");
  std::int32_t count = CountOf(field, "number of convection conditions");
  NeedFields(2 * static_cast<std::uint64_t>(count), field, "number of convection conditions",
             Str(count) + " convection conditions");
  model.ConvectionTable.assign(static_cast<std::size_t>(count) + 1, Convection());
  for (std::int32_t i = 1; i <= count; ++i) {
    Convection& c = model.ConvectionTable[i];
    FieldName ambient("ambient temperature of condition ", i);
    c.AmbientTemperature = LeadingNumberOf(Take(ambient), ambient);
    FieldName coefficient("heat-transfer coefficient of condition ", i);
    Field f = Take(coefficient);
    c.HeatTransferCoefficient = LeadingNumberOf(f, coefficient);
  }
}

void InputParser::ParseFixedTemperatures(Model& model) {
  Field field = Take("number of fixed temperatures");
  std::int32_t count = CountOf(field, "number of fixed temperatures");
  NeedFields(static_cast<std::uint64_t>(count), field, "number of fixed temperatures",
             Str(count) + " fixed temperatures");
  model.FixedTemperatureTable.assign(static_cast<std::size_t>(count) + 1, 0.0);
  for (std::int32_t i = 1; i <= count; ++i) {
    FieldName what("fixed temperature ", i);
    model.FixedTemperatureTable[i] = LeadingNumberOf(Take(what), what);
  }
}

// The column and row counts, with the bounds of the loops that read the
// spacings and the codes; the code block is made once it is known to fit.
InputParser::GridExtent InputParser::ParseGridSize(Model& model) {
  Field column_field = Take("number of columns");
  double columns = LeadingNumberOf(column_field, "number of columns");
  CountOf(column_field, "number of columns");
  Field row_field = Take("number of rows");
  double rows = LeadingNumberOf(row_field, "number of rows");
  CountOf(row_field, "number of rows");
  const std::int32_t last_column = BoundOf(column_field, "number of columns", columns + 2, 2);
  const std::int32_t last_row = BoundOf(row_field, "number of rows", rows + 2, 2);
  GridExtent extent;
  extent.last_width = BoundOf(column_field, "number of columns", columns + 1, 1);
  extent.last_height = BoundOf(row_field, "number of rows", rows + 1, 1);

  auto spacings = [](std::int32_t last) {
    return last >= 2 ? static_cast<std::uint64_t>(last) - 1 : 0;
  };
  std::uint64_t widths = spacings(extent.last_width);
  std::uint64_t heights = spacings(extent.last_height);
  std::uint64_t codes =
      static_cast<std::uint64_t>(last_column) * static_cast<std::uint64_t>(last_row);
  NeedFields(widths + heights + codes, row_field, "number of rows",
             "the widths, heights and codes of a grid of " + column_field.text + " x " +
                 row_field.text + " cells");
  std::uint64_t grid_points = (static_cast<std::uint64_t>(last_column) + 1) *
                              (static_cast<std::uint64_t>(last_row) + 1);
  if (grid_points > 2147483647u) {
    Fail(ErrorKind::kOverflow, row_field, "number of rows",
         "a grid of " + column_field.text + " x " + row_field.text +
             " cells has more grid points than the 32-bit range holds");
  }
  try {
    RequireMemory(grid_points * sizeof(BlockCode), "the model grid");
  } catch (RunError& e) {
    e.AddOuterPlace(PlaceOf(row_field, "number of rows"));
    throw;
  }
  MakeCodeBlock(model, last_column, last_row);
  return extent;
}

// Width i is that of cell column i. A count that is no whole number may
// read more spacings than the code block has columns, or fewer: the extra
// ones are read and dropped, the missing ones stay 0.
void InputParser::ParseSpacings(Model& model, const GridExtent& extent) {
  for (std::int32_t i = 2; i <= extent.last_width; ++i) {
    FieldName what("column width ", i - 1);
    const double width = Spacing(Take(what), what);
    if (i - 1 <= model.LastColumn() - 2) model.ColumnWidths[i - 1] = width;
  }
  for (std::int32_t j = 2; j <= extent.last_height; ++j) {
    FieldName what("row height ", j - 1);
    const double height = Spacing(Take(what), what);
    if (j - 1 <= model.LastRow() - 2) model.RowHeights[j - 1] = height;
  }
}

// Each code is read as the solver reads it; one the file wrote otherwise
// than its letter and number is kept as written, for messages.
void InputParser::ParseCodes(Model& model) {
  for (std::int32_t j = 1; j <= model.LastRow(); ++j) {
    for (std::int32_t i = 1; i <= model.LastColumn(); ++i) {
      FieldName what("code at code row ", j, ", column ", i);
      const Cell cell = CellOf(Take(what), what);
      const BlockCode code = SplitCellCode(cell);
      model.Codes(i - 1, j - 1) = code;
      std::string text = cell.AsText();
      if (text != CanonicalText(code)) {
        model.WrittenCodes.emplace_back(
            static_cast<std::uint64_t>(j - 1) * static_cast<std::uint64_t>(model.LastColumn()) +
                static_cast<std::uint64_t>(i - 1),
            std::move(text));
      }
    }
  }
}

}  // namespace

Model ParseInput(std::string_view text, const std::string& source_name) {
  return InputParser(text, source_name).Parse();
}

Model ReadInputFile(const std::string& path) { return ParseInput(ReadWholeFile(path), path); }

}  // namespace kelvane
