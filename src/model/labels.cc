#include "model/labels.h"

namespace kelvane {

ModelLabels GridFileLabels(const Model& model) {
  ModelLabels labels;
  labels.title = model.Header;
  for (const Material& m : model.MaterialTable) labels.materials.push_back(m.Name);
  labels.conditions.resize(model.ConvectionTable.size());
  for (std::size_t v = 1; v < labels.conditions.size(); ++v) {
    labels.conditions[v] = "B" + std::to_string(v);
  }
  labels.fixed.resize(model.FixedTemperatureTable.size());
  for (std::size_t i = 1; i < labels.fixed.size(); ++i) labels.fixed[i] = "C" + std::to_string(i);
  return labels;
}

}  // namespace kelvane
