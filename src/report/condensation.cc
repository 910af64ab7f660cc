#include "report/condensation.h"

#include <cmath>

#include "platform/error.h"

namespace kelvane {
namespace {

// The Magnus-type constants of EN ISO 13788, over water and over ice.
constexpr double kP0 = 610.5;  // Pa, at 0 °C
constexpr double kWaterA = 17.269, kWaterB = 237.3;
constexpr double kIceA = 21.875, kIceB = 265.5;
// The gas constant of water vapour, J/(kg K).
constexpr double kVapourConstant = 462;
// Mould: the surface's relative humidity stays at or below this.
constexpr double kMouldHumidity = 0.8;

}  // namespace

double SaturationPressure(double theta) {
  if (theta >= 0) return kP0 * std::exp(kWaterA * theta / (kWaterB + theta));
  return kP0 * std::exp(kIceA * theta / (kIceB + theta));
}

double DewPoint(double p) {
  const double l = std::log(p / kP0);
  if (p >= kP0) return kWaterB * l / (kWaterA - l);
  return kIceB * l / (kIceA - l);
}

CondensationReport MonthlyCondensation(const Climate& climate) {
  CondensationReport report;
  double design = -INFINITY;
  for (std::size_t m = 0; m < 12; ++m) {
    CondensationMonth month;
    month.outside_temperature = climate.outside_temperature[m];
    month.outside_humidity = climate.outside_humidity[m];
    month.inside_temperature = climate.inside_temperature[m];
    const double theta_e = month.outside_temperature, theta_i = month.inside_temperature;
    if (climate.inside_humidity) {
      month.inside_pressure = (*climate.inside_humidity)[m] / 100 * SaturationPressure(theta_i);
    } else {
      // p_i = p_e + dv R_v T, T the mean of inside and outside in K, dv in kg/m3.
      const double p_e = month.outside_humidity / 100 * SaturationPressure(theta_e);
      const double mean_kelvin = (theta_i + theta_e) / 2 + 273.15;
      month.inside_pressure =
          p_e + (*climate.vapour_excess)[m] / 1000 * kVapourConstant * mean_kelvin;
    }
    month.surface_minimum = DewPoint(month.inside_pressure / kMouldHumidity);
    if (theta_i > theta_e) {
      month.frsi_min = (month.surface_minimum - theta_e) / (theta_i - theta_e);
      if (*month.frsi_min > design) {
        design = *month.frsi_min;
        report.design_month = m;
      }
    }
    report.months.push_back(month);
  }
  return report;
}

namespace {

void Judge(SolutionReport& solution, double frsi_min, const std::string& basis) {
  if (!solution.frsi) return;
  const double margin = solution.frsi->value - frsi_min;
  solution.verdict = FactorVerdict{frsi_min, basis, margin >= 0, margin};
}

const char* const kMonthNames[] = {"January", "February", "March",     "April",
                                   "May",     "June",     "July",      "August",
                                   "September", "October", "November", "December"};

}  // namespace

void JudgeFactors(ModelReport& report, const std::optional<CondensationRequest>& request,
                  const std::vector<std::optional<double>>& case_minimum) {
  for (std::size_t i = 0; i < report.cases.size() && i < case_minimum.size(); ++i) {
    if (case_minimum[i]) Judge(report.cases[i].solution, *case_minimum[i], "the case's frsi_min");
  }
  if (!request) return;
  SolutionReport* judged = &report.base;
  std::string whose = "the model's own values";
  for (CaseReport& c : report.cases) {
    if (c.name != request->case_name) continue;
    judged = &c.solution;
    whose = "case " + Quoted(c.name);
  }
  if (request->frsi_min) {
    Judge(*judged, *request->frsi_min, "frsi_min of [condensation], judged on " + whose);
    return;
  }
  report.condensation = MonthlyCondensation(*request->climate);
  report.condensation->judged = whose;
  if (const std::optional<std::size_t> m = report.condensation->design_month) {
    Judge(*judged, *report.condensation->months[*m].frsi_min,
          std::string("EN ISO 13788, ") + kMonthNames[*m] + ", judged on " + whose);
  }
}

}  // namespace kelvane
