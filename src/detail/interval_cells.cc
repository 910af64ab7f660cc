#include "detail/interval_cells.h"

#include <algorithm>
#include <cmath>

namespace kelvane {
namespace {

// A length that is a whole number of cells (500 mm of 12.5 mm cells) must
// not gain a cell from the rounding of its division.
constexpr double kSlack = 1e-12;

// The series of cells that spans an interval: `levels` cells from each end
// toward the middle, then `middle` cells of size `last` between them.
struct Series {
  std::int64_t levels = 0;
  double last = 0;
  std::int64_t middle = 0;
  double sum = 0;
  std::int64_t count() const { return 2 * levels + middle; }
};

// A lower bound of the count, from sums in closed form: every cell of level
// d (from the ends) is at most start g^d and at most the limit.
double CountAtLeast(double length, double start, const CellRule& rule) {
  const double by_limit = length / rule.limit;
  const double g = rule.growth;
  double levels;
  if (g - 1 < 1e-300) {
    levels = length / (2 * start);
  } else {
    // The number of levels whose sum start (g^k - 1) / (g - 1) reaches half
    // the length; in logarithms where that sum would overflow.
    const double x = length * (g - 1) / (2 * start);
    const double log_reach =
        std::isfinite(x) ? std::log1p(x) : std::log(length) - std::log(2 * start) + std::log(g - 1);
    levels = log_reach / std::log1p(g - 1);
  }
  return std::max(by_limit, 2 * levels - 1) * (1 - 1e-9);
}

// The series for `length`, or nothing once it has more than `most` cells;
// the sizes of its levels into `sizes` unless that is null (a count only).
std::optional<Series> SeriesFor(double length, const CellRule& rule, std::int64_t most,
                                std::vector<double>* sizes) {
  const double start = rule.fine ? std::min(*rule.fine, rule.limit) : rule.limit;
  if (!(CountAtLeast(length, start, rule) <= static_cast<double>(most))) return std::nullopt;
  const double target = length * (1 - kSlack);
  Series series;
  double total = 0;
  double s = start;
  while (true) {
    const double next = std::min(s * rule.growth, rule.limit);
    if (s >= rule.limit || !(next > s)) {
      // From here on every cell has this size: fill the middle at once.
      const double cells = std::ceil((target - total) / s);
      if (!(cells <= static_cast<double>(most - series.count()))) return std::nullopt;
      series.middle = std::max<std::int64_t>(1, static_cast<std::int64_t>(cells));
      break;
    }
    if (total + s >= target || total + 2 * s >= target) {
      series.middle = total + s >= target ? 1 : 2;
      break;
    }
    if (sizes != nullptr) sizes->push_back(s);
    ++series.levels;
    total += 2 * s;
    s = next;
    if (series.count() > most) return std::nullopt;
  }
  series.last = s;
  series.sum = total + static_cast<double>(series.middle) * s;
  if (series.count() > most) return std::nullopt;
  return series;
}

}  // namespace

std::optional<std::int64_t> CountCells(double length, const CellRule& rule, std::int64_t most) {
  std::optional<Series> series = SeriesFor(length, rule, most, nullptr);
  if (!series) return std::nullopt;
  return series->count();
}

std::vector<double> CutInterval(double length, const CellRule& rule) {
  std::vector<double> levels;
  const Series series = *SeriesFor(length, rule, INT64_MAX / 4, &levels);
  const double scale = length / series.sum;
  std::vector<double> cells;
  cells.reserve(static_cast<std::size_t>(series.count()));
  for (double s : levels) cells.push_back(s * scale);
  cells.insert(cells.end(), static_cast<std::size_t>(series.middle), series.last * scale);
  for (auto s = levels.rbegin(); s != levels.rend(); ++s) cells.push_back(*s * scale);
  return cells;
}

}  // namespace kelvane
