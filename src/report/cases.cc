#include "report/cases.h"

namespace kelvane {

bool ChangesCoefficients(const CaseDefinition& c, const Model& model) {
  for (std::size_t v = 1; v < model.ConvectionTable.size(); ++v) {
    if (c.values.conditions[v].HeatTransferCoefficient !=
        model.ConvectionTable[v].HeatTransferCoefficient) {
      return true;
    }
  }
  return false;
}

Model ModelForCase(const Model& model, const CaseDefinition& c) {
  Model case_model = model;
  case_model.ConvectionTable = c.values.conditions;
  case_model.FixedTemperatureTable = c.values.fixed;
  return case_model;
}

}  // namespace kelvane
