// Surface condensation and mould by EN ISO 13788, month by month: from the
// inside temperature and humidity (or its moisture excess over the outside)
// and the outside's monthly means, the lowest surface temperature at which
// the surface's relative humidity stays at 80 %, and the temperature factor
// that asks for, fRsi,min = (theta_si,min - theta_e) / (theta_i - theta_e).
// The design value is the largest of the twelve; a detail passes where its
// fRsi (at the inside surface resistance the standard asks, 0.25 m2 K/W on
// opaque surfaces) reaches it.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "report/report.h"

namespace kelvane {

using MonthlyMeans = std::array<double, 12>;

struct Climate {
  MonthlyMeans inside_temperature{};  // °C
  // The inside's moisture: relative humidity (%), or the vapour excess over
  // the outside (g/m3).
  std::optional<MonthlyMeans> inside_humidity;
  std::optional<MonthlyMeans> vapour_excess;
  MonthlyMeans outside_temperature{};  // °C
  MonthlyMeans outside_humidity{};     // %
};

// What fRsi is asked to reach: frsi_min, or that of a climate; judged on
// the solution of the case `case_name` ("" for the model's own values).
struct CondensationRequest {
  std::optional<double> frsi_min;
  std::optional<Climate> climate;
  std::string case_name;
};

// The saturation vapour pressure over water (theta >= 0 °C) or ice, Pa:
// 610.5 exp(17.269 theta / (237.3 + theta)), or 610.5 exp(21.875 theta /
// (265.5 + theta)) below 0.
double SaturationPressure(double theta);
// The temperature at which it is p, °C: the inverse of the above.
double DewPoint(double p);

// The twelve months of a climate.
CondensationReport MonthlyCondensation(const Climate& climate);

// Judges fRsi where it is asked to reach a value: the solution `request`
// names against its frsi_min or its climate's design value (which goes into
// the report's condensation table), and every case against its own
// frsi_min (`case_minimum`, entry i for the report's case i).
void JudgeFactors(ModelReport& report, const std::optional<CondensationRequest>& request,
                  const std::vector<std::optional<double>>& case_minimum);

}  // namespace kelvane
