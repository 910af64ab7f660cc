#include "report/node_table.h"

#include "platform/number_text.h"

namespace kelvane {

std::string NodeTableText(const SolvedField& field, std::span<const double> temperature,
                          const ModelLabels& labels) {
  std::string text = "x_mm,y_mm,temperature\n";
  text.reserve(text.size() + static_cast<std::size_t>(field.node_count) * 48);
  for (std::int32_t j = 1; j <= field.last_row - 1; ++j) {
    for (std::int32_t k = 1; k <= field.last_column - 1; ++k) {
      const std::int32_t n = field.NodeAt(k, j);
      if (n == 0) continue;
      text += NumberText(labels.PointXmm(k, field.node_x[n]), 15) + ',' +
              NumberText(labels.PointYmm(j, field.node_y[n]), 15) + ',' +
              NumberText(temperature[n], 15) + '\n';
    }
  }
  return text;
}

}  // namespace kelvane
