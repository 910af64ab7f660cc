#include "picture/isotherms.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

namespace kelvane {

IsothermLevels ChooseIsothermLevels(double minimum, double maximum) {
  IsothermLevels chosen;
  const double range = maximum - minimum;
  if (!std::isfinite(range) || !(range > 0)) return chosen;
  const double magnitude = std::max(std::fabs(minimum), std::fabs(maximum));
  // Level i is i * mantissa * 10^exponent, formed so that it is the nearest
  // number to the decimal value.
  auto level = [](long long i, int mantissa, int exponent) {
    const double scaled = static_cast<double>(i * mantissa);
    return exponent >= 0 ? scaled * std::pow(10.0, exponent) : scaled / std::pow(10.0, -exponent);
  };
  const int top = static_cast<int>(std::floor(std::log10(range))) + 1;
  IsothermLevels previous;
  for (int exponent = top; exponent >= top - 3; --exponent) {
    for (int mantissa : {5, 2, 1}) {
      const double step = level(1, mantissa, exponent);
      // Beyond about 2^50 steps the levels would no longer be distinct.
      if (!(step > 0) || magnitude / step > 1e15) return previous;
      const long long first = static_cast<long long>(std::floor(minimum / step)) + 1;
      const long long last = static_cast<long long>(std::ceil(maximum / step)) - 1;
      IsothermLevels candidate;
      candidate.step = step;
      for (long long i = first; i <= last; ++i) {
        const double value = level(i, mantissa, exponent);
        if (value > minimum && value < maximum) candidate.values.push_back(value);
      }
      if (candidate.values.size() >= 8) {
        return candidate.values.size() <= 20 ? candidate : previous;
      }
      previous = std::move(candidate);
    }
  }
  return previous;
}

namespace {

struct Segment {
  std::uint64_t id[2];
  PointMm point[2];
};

// The samples of the subdivided elements: column line k and part i give
// sample X = (k - 1) n + i.
class Lattice {
 public:
  Lattice(const PictureGrid& grid, int n) : grid_(grid), n_(n) {
    columns_ = static_cast<std::uint64_t>(grid.LastColumn() - 2) * n + 1;
  }
  double SampleX(std::int64_t x) const { return Position(x, grid_.LastColumn(), true); }
  double SampleY(std::int64_t y) const { return Position(y, grid_.LastRow(), false); }
  // A side of the lattice: the horizontal one right of sample (x, y), or
  // the vertical one below it.
  std::uint64_t SideId(std::int64_t x, std::int64_t y, bool vertical) const {
    return (static_cast<std::uint64_t>(y) * columns_ + static_cast<std::uint64_t>(x)) * 2 +
           (vertical ? 1 : 0);
  }

 private:
  double Position(std::int64_t sample, int last, bool along_x) const {
    int line = static_cast<int>(1 + sample / n_);
    int part = static_cast<int>(sample % n_);
    if (line > last - 2) {
      line = last - 2;
      part = n_;
    }
    const double a = along_x ? grid_.X(line) : grid_.Y(line);
    const double b = along_x ? grid_.X(line + 1) : grid_.Y(line + 1);
    return a + (b - a) * (static_cast<double>(part) / n_);
  }

  const PictureGrid& grid_;
  int n_;
  std::uint64_t columns_ = 0;
};

// The marching-squares pieces of one part: sides 0 top, 1 right, 2 bottom,
// 3 left; corners a top left, b top right, c bottom right, d bottom left.
// Saddles (5 and 10) depend on the centre and are handled apart.
constexpr int kPieces[16][2][2] = {
    {{-1, -1}, {-1, -1}}, {{3, 0}, {-1, -1}}, {{0, 1}, {-1, -1}}, {{3, 1}, {-1, -1}},
    {{1, 2}, {-1, -1}},   {{-1, -1}, {-1, -1}}, {{0, 2}, {-1, -1}}, {{2, 3}, {-1, -1}},
    {{2, 3}, {-1, -1}},   {{0, 2}, {-1, -1}}, {{-1, -1}, {-1, -1}}, {{1, 2}, {-1, -1}},
    {{3, 1}, {-1, -1}},   {{0, 1}, {-1, -1}}, {{3, 0}, {-1, -1}},   {{-1, -1}, {-1, -1}},
};

// The field at the (n + 1) x (n + 1) samples of element (k, j), row by row.
void SampleElement(const PictureGrid& grid, int k, int j, int n, std::vector<double>& samples) {
  const double t00 = *grid.Temperature(k, j);
  const double t10 = *grid.Temperature(k + 1, j);
  const double t01 = *grid.Temperature(k, j + 1);
  const double t11 = *grid.Temperature(k + 1, j + 1);
  const int side = n + 1;
  for (int l = 0; l <= n; ++l) {
    const double v = static_cast<double>(l) / n;
    for (int i = 0; i <= n; ++i) {
      const double u = static_cast<double>(i) / n;
      samples[static_cast<std::size_t>(l) * side + i] =
          (1 - u) * (1 - v) * t00 + u * (1 - v) * t10 + (1 - u) * v * t01 + u * v * t11;
    }
  }
}

// The sides that the contour at `level` crosses in a part with corners a
// (top left), b, c, d: up to two pieces, -1 where there is none.
std::array<std::array<int, 2>, 2> PartPieces(double a, double b, double c, double d,
                                             double level) {
  const int index = (a >= level ? 1 : 0) | (b >= level ? 2 : 0) | (c >= level ? 4 : 0) |
                    (d >= level ? 8 : 0);
  if (index != 5 && index != 10) {
    return {{{kPieces[index][0][0], kPieces[index][0][1]},
             {kPieces[index][1][0], kPieces[index][1][1]}}};
  }
  const bool centre_above = (a + b + c + d) / 4 >= level;
  // The corners that the centre does not join to their diagonal partner
  // are cut off one by one.
  const bool cut_b_and_d = (index == 5) == centre_above;
  if (cut_b_and_d) return {{{0, 1}, {2, 3}}};
  return {{{3, 0}, {1, 2}}};
}

// The samples of one element and where they lie in the lattice.
struct ElementSamples {
  const Lattice& lattice;
  const std::vector<double>& samples;
  int n;
  std::int64_t x0;  // the lattice sample of the element's top-left corner
  std::int64_t y0;

  double Value(int i, int l) const { return samples[static_cast<std::size_t>(l) * (n + 1) + i]; }

  // The crossing at `level` on a lattice side, always interpolated from its
  // lower sample to its higher one, so that both parts beside it agree
  // exactly.
  void Crossing(int i, int l, bool vertical, double level, Segment& segment, int end) const {
    const double a = Value(i, l);
    const double b = vertical ? Value(i, l + 1) : Value(i + 1, l);
    const double t = (level - a) / (b - a);
    const std::int64_t x = x0 + i, y = y0 + l;
    segment.id[end] = lattice.SideId(x, y, vertical);
    if (vertical) {
      const double ya = lattice.SampleY(y), yb = lattice.SampleY(y + 1);
      segment.point[end] = {lattice.SampleX(x), ya + (yb - ya) * t};
    } else {
      const double xa = lattice.SampleX(x), xb = lattice.SampleX(x + 1);
      segment.point[end] = {xa + (xb - xa) * t, lattice.SampleY(y)};
    }
  }

  // The crossing on side `side` (0 top, 1 right, 2 bottom, 3 left) of part (i, l).
  void PartCrossing(int i, int l, int side, double level, Segment& segment, int end) const {
    switch (side) {
      case 0: Crossing(i, l, false, level, segment, end); break;
      case 1: Crossing(i + 1, l, true, level, segment, end); break;
      case 2: Crossing(i, l + 1, false, level, segment, end); break;
      default: Crossing(i, l, true, level, segment, end); break;
    }
  }
};

void TraceElement(const PictureGrid& grid, const Lattice& lattice, int k, int j, int n,
                  double level, std::vector<double>& samples, std::vector<Segment>& out) {
  SampleElement(grid, k, j, n, samples);
  const ElementSamples element{lattice, samples, n, static_cast<std::int64_t>(k - 1) * n,
                               static_cast<std::int64_t>(j - 1) * n};
  for (int l = 0; l < n; ++l) {
    for (int i = 0; i < n; ++i) {
      const auto pieces = PartPieces(element.Value(i, l), element.Value(i + 1, l),
                                     element.Value(i + 1, l + 1), element.Value(i, l + 1), level);
      for (const auto& piece : pieces) {
        if (piece[0] < 0) continue;
        Segment segment;
        for (int end = 0; end < 2; ++end) {
          element.PartCrossing(i, l, piece[end], level, segment, end);
        }
        out.push_back(segment);
      }
    }
  }
}

// Joins pieces that share a lattice side into lines: open lines first, in
// the order of their first piece, then closed ones.
std::vector<Isotherm> Join(const std::vector<Segment>& segments, double level) {
  const std::size_t ends = segments.size() * 2;
  std::vector<std::pair<std::uint64_t, std::size_t>> by_id(ends);
  for (std::size_t e = 0; e < ends; ++e) by_id[e] = {segments[e / 2].id[e % 2], e};
  std::sort(by_id.begin(), by_id.end());
  std::vector<std::int64_t> partner(ends, -1);
  for (std::size_t i = 0; i + 1 < ends; ++i) {
    if (by_id[i].first == by_id[i + 1].first) {
      partner[by_id[i].second] = static_cast<std::int64_t>(by_id[i + 1].second);
      partner[by_id[i + 1].second] = static_cast<std::int64_t>(by_id[i].second);
      ++i;
    }
  }
  std::vector<char> used(segments.size(), 0);
  std::vector<Isotherm> lines;
  auto walk = [&](std::size_t start_end) {
    Isotherm line;
    line.level = level;
    line.points.push_back(segments[start_end / 2].point[start_end % 2]);
    std::size_t e = start_end;
    while (true) {
      used[e / 2] = 1;
      const std::size_t other = e ^ 1;
      line.points.push_back(segments[other / 2].point[other % 2]);
      const std::int64_t next = partner[other];
      if (next < 0 || used[static_cast<std::size_t>(next) / 2]) break;
      e = static_cast<std::size_t>(next);
    }
    lines.push_back(std::move(line));
  };
  for (std::size_t e = 0; e < ends; ++e) {
    if (!used[e / 2] && partner[e] < 0) walk(e);
  }
  for (std::size_t s = 0; s < segments.size(); ++s) {
    if (!used[s]) walk(s * 2);
  }
  return lines;
}

}  // namespace

std::vector<Isotherm> TraceIsotherms(const PictureGrid& grid, double level, int subdivisions) {
  const int n = std::max(1, subdivisions);
  Lattice lattice(grid, n);
  std::vector<double> samples(static_cast<std::size_t>(n + 1) * (n + 1));
  std::vector<Segment> segments;
  for (int j = 1; j <= grid.LastRow() - 2; ++j) {
    for (int k = 1; k <= grid.LastColumn() - 2; ++k) {
      if (!grid.IsElement(k, j)) continue;
      TraceElement(grid, lattice, k, j, n, level, samples, segments);
    }
  }
  return Join(segments, level);
}

std::vector<PointMm> SimplifyLine(const std::vector<PointMm>& points, double tolerance) {
  if (points.size() <= 2) return points;
  std::vector<char> keep(points.size(), 0);
  keep.front() = keep.back() = 1;
  std::vector<std::pair<std::size_t, std::size_t>> spans = {{0, points.size() - 1}};
  while (!spans.empty()) {
    auto [first, last] = spans.back();
    spans.pop_back();
    const PointMm& a = points[first];
    const PointMm& b = points[last];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    double worst = -1;
    std::size_t worst_at = first;
    for (std::size_t i = first + 1; i < last; ++i) {
      const double px = points[i].x - a.x, py = points[i].y - a.y;
      // Distance to the chord, or to its start when the chord has no length
      // (a closed line).
      const double distance =
          length > 0 ? std::fabs(px * dy - py * dx) / length : std::sqrt(px * px + py * py);
      if (distance > worst) {
        worst = distance;
        worst_at = i;
      }
    }
    if (worst > tolerance) {
      keep[worst_at] = 1;
      spans.push_back({first, worst_at});
      spans.push_back({worst_at, last});
    }
  }
  std::vector<PointMm> kept;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (keep[i]) kept.push_back(points[i]);
  }
  return kept;
}

}  // namespace kelvane
