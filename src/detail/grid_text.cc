#include "detail/grid_text.h"

#include <charconv>

#include "platform/number_text.h"

namespace kelvane {
namespace {

// The shortest text that reads back to the same double: conductivities,
// temperatures and coefficients keep every bit.
std::string Exact(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// Spacings in their 15-digit text, which is what the maker's model holds;
// a line break after every 20 keeps lines readable.
void AppendSpacings(const std::vector<double>& spacings, std::string& text) {
  for (std::size_t i = 0; i < spacings.size(); ++i) {
    if (i > 0) text += i % 20 == 0 ? "\n" : ",";
    text += NumberText(spacings[i]);
  }
  text += "\n";
}

}  // namespace

std::string GridInputText(const MadeGrid& grid) {
  const Model& model = grid.model;
  std::string text = "\"" + model.Header + "\"\n";
  text += std::to_string(model.MaterialCount()) + "\n";
  for (int i = 1; i <= model.MaterialCount(); ++i) {
    const Material& m = model.MaterialTable[i];
    text += "\"" + m.Name + "\"," + Exact(m.ConductivityX) + "\n";
  }
  text += std::to_string(model.ConvectionCount()) + "\n";
  for (int i = 1; i <= model.ConvectionCount(); ++i) {
    const Convection& c = model.ConvectionTable[i];
    text += Exact(c.AmbientTemperature) + "," + Exact(c.HeatTransferCoefficient) + "\n";
  }
  text += std::to_string(model.FixedTemperatureCount()) + "\n";
  for (int i = 1; i <= model.FixedTemperatureCount(); ++i) {
    text += Exact(model.FixedTemperatureTable[i]) + "\n";
  }
  text += std::to_string(grid.widths.size()) + "," + std::to_string(grid.heights.size()) + "\n";
  AppendSpacings(grid.widths, text);
  AppendSpacings(grid.heights, text);
  for (int j = 0; j < model.LastRow(); ++j) {
    for (int k = 0; k < model.LastColumn(); ++k) {
      if (k > 0) text += ",";
      text += model.CodeText(k, j);
    }
    text += "\n";
  }
  return text;
}

}  // namespace kelvane
