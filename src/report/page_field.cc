#include "report/page_field.h"

#include <algorithm>
#include <limits>

#include "model/units.h"

namespace kelvane {
namespace {

// The cell's entry in the page's list of names.
std::uint32_t CellEntry(const SolvedField& field, std::int32_t k, std::int32_t j) {
  const CellRole role = field.CellAt(k, j);
  const auto materials = static_cast<std::uint32_t>(field.MaterialCount());
  const auto conditions = static_cast<std::uint32_t>(field.ConvectionCount());
  switch (role.kind) {
    case CellKind::kMaterial: return static_cast<std::uint32_t>(role.number);
    case CellKind::kConvection: return materials + static_cast<std::uint32_t>(role.number);
    case CellKind::kFixed:
      if (role.number < 1 || role.number > field.FixedTemperatureCount()) return 0;
      return materials + conditions + static_cast<std::uint32_t>(role.number);
    case CellKind::kVoid: break;
  }
  return 0;
}

void CaptureLines(const SolvedField& field, const ModelLabels& labels, PageField& page) {
  const double bottom = field.line_y_mm[field.last_row - 1];
  for (std::int32_t k = 1; k <= field.last_column - 1; ++k) {
    page.picture_x_mm.push_back(field.line_x_mm[k]);
    page.x_mm.push_back(labels.PointXmm(k, MillimetreToMetre(field.line_x_mm[k])));
  }
  for (std::int32_t j = 1; j <= field.last_row - 1; ++j) {
    page.picture_y_mm.push_back(field.line_y_mm[j]);
    page.y_mm.push_back(labels.PointYmm(j, MillimetreToMetre(bottom - field.line_y_mm[j])));
  }
}

}  // namespace

PageField CapturePageField(const SolvedField& field, std::span<const double> t,
                           const ModelLabels& labels) {
  PageField page;
  CaptureLines(field, labels, page);
  const std::size_t columns = page.Columns(), rows = page.Rows();
  page.temperature.assign(columns * rows, std::numeric_limits<float>::quiet_NaN());
  std::size_t at = 0;
  for (std::int32_t j = 1; j <= field.last_row - 1; ++j) {
    for (std::int32_t k = 1; k <= field.last_column - 1; ++k, ++at) {
      const std::int32_t n = field.NodeAt(k, j);
      if (n > 0) page.temperature[at] = static_cast<float>(t[n]);
    }
  }
  page.cells.reserve(static_cast<std::size_t>(std::max(0, field.last_column - 2)) *
                     static_cast<std::size_t>(std::max(0, field.last_row - 2)));
  for (std::int32_t j = 1; j <= field.last_row - 2; ++j) {
    for (std::int32_t k = 1; k <= field.last_column - 2; ++k) {
      page.cells.push_back(CellEntry(field, k, j));
    }
  }
  return page;
}

}  // namespace kelvane
