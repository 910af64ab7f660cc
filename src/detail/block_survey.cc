#include "detail/block_survey.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "detail/geometry.h"

namespace kelvane {
namespace {

constexpr int kDeepest = 10;  // Quartering stops at 1/1024 of a block's side.

struct Range {
  std::size_t first = 0;
  std::size_t end = 0;
};

// The intervals between lines `lines` that lie within [from, to], both of
// which are lines.
Range IntervalsWithin(const std::vector<double>& lines, double from, double to) {
  auto index = [&](double at) {
    return static_cast<std::size_t>(std::lower_bound(lines.begin(), lines.end(), at) -
                                    lines.begin());
  };
  return {index(from), index(to)};
}

// The intervals k, from lines[k] to lines[k + 1], whose closed span meets
// [lo, hi]; only those within `within`.
Range IntervalsMeeting(const std::vector<double>& lines, double lo, double hi, Range within) {
  const auto after = std::lower_bound(lines.begin() + 1, lines.end(), lo);
  const auto end = std::upper_bound(lines.begin(), lines.end(), hi);
  const std::size_t first = static_cast<std::size_t>(after - lines.begin()) - 1;
  return {std::max(first, within.first),
          std::min(static_cast<std::size_t>(end - lines.begin()), within.end)};
}

// The intervals k, from lines[k] to lines[k + 1], whose open span meets
// the open span (lo, hi), or holds lo where lo = hi; only those within
// `within`.
Range IntervalsEntered(const std::vector<double>& lines, double lo, double hi, Range within) {
  const auto after = std::upper_bound(lines.begin() + 1, lines.end(), lo);
  std::size_t first = static_cast<std::size_t>(after - lines.begin()) - 1;
  std::size_t end = first + 1;
  if (lo < hi) {
    end = static_cast<std::size_t>(std::lower_bound(lines.begin(), lines.end(), hi) - lines.begin());
  } else if (lines[first] == lo || after == lines.end()) {
    end = first;  // On a line, or beyond the last: within no interval.
  }
  return {std::max(first, within.first), std::min(end, within.end)};
}

// Marks kPartial the blocks along each side of the outline: those whose
// span `intervals` finds the side's part in, across x and then within
// each column across y.
template <typename At>
void MarkSides(const std::vector<Point>& v, const std::vector<double>& xs,
               const std::vector<double>& ys, Range cols, Range rows,
               Range (*intervals)(const std::vector<double>&, double, double, Range), At at) {
  for (std::size_t e = 0; e < v.size(); ++e) {
    const Point a = v[e], b = v[(e + 1) % v.size()];
    const Range cs = intervals(xs, std::min(a.x, b.x), std::max(a.x, b.x), cols);
    for (std::size_t i = cs.first; i < cs.end; ++i) {
      double y0 = a.y, y1 = b.y;
      if (a.x != b.x) {  // The side's part within the column.
        auto y_at = [&](double x) { return a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x); };
        y0 = y_at(std::clamp(xs[i], std::min(a.x, b.x), std::max(a.x, b.x)));
        y1 = y_at(std::clamp(xs[i + 1], std::min(a.x, b.x), std::max(a.x, b.x)));
      }
      const Range rs = intervals(ys, std::min(y0, y1), std::max(y0, y1), rows);
      for (std::size_t j = rs.first; j < rs.end; ++j) at(i, j) = Overlap::kPartial;
    }
  }
}

// How a polygon, or a region's outlines, lie over each block of the
// extent, `cols` x `rows`, row by row: kPartial where a side meets the
// block's closed box, else kFull or kNone as the outlines hold the block's
// centre by the even-odd rule. For a region, only a side through a block's
// inside makes it kPartial: a side along a block's edge, as every side
// along a grid line is, leaves the blocks beside it whole, as a
// rectangle's sides do. Each side marks the blocks along it and the rows of
// blocks are scanned in rising order, so an outline of many vertices costs
// about what its blocks do.
std::vector<Overlap> OutlinesOverBlocks(std::span<const std::vector<Point>> outlines, bool region,
                                        const std::vector<double>& xs,
                                        const std::vector<double>& ys, Range cols, Range rows) {
  const std::size_t width = cols.end - cols.first;
  std::vector<Overlap> over(width * (rows.end - rows.first), Overlap::kNone);
  auto at = [&](std::size_t i, std::size_t j) -> Overlap& {
    return over[(j - rows.first) * width + (i - cols.first)];
  };
  for (const std::vector<Point>& v : outlines) {
    MarkSides(v, xs, ys, cols, rows, region ? IntervalsEntered : IntervalsMeeting, at);
  }
  OutlineScan scan(outlines);
  for (std::size_t j = rows.first; j < rows.end; ++j) {
    const std::vector<double>& crossings = scan.At((ys[j] + ys[j + 1]) / 2);
    std::size_t passed = 0;
    for (std::size_t i = cols.first; i < cols.end; ++i) {
      const double centre = (xs[i] + xs[i + 1]) / 2;
      while (passed < crossings.size() && crossings[passed] < centre) ++passed;
      if (at(i, j) != Overlap::kPartial) at(i, j) = passed % 2 ? Overlap::kFull : Overlap::kNone;
    }
  }
  return over;
}

class Survey {
 public:
  Survey(const std::vector<Shape>& shapes, std::size_t materials, const std::vector<double>& xs,
         const std::vector<double>& ys)
      : shapes_(shapes), xs_(xs), ys_(ys), columns_(xs.size() - 1) {
    result_.column_has_material.assign(xs.size() - 1, false);
    result_.row_has_material.assign(ys.size() - 1, false);
    result_.block_all_material.assign((xs.size() - 1) * (ys.size() - 1), false);
    result_.drawn_area.assign(materials, 0.0);
  }
  BlockSurvey Run();

 private:
  Box BlockBox(std::size_t block) const {
    const std::size_t i = block % columns_, j = block / columns_;
    return {xs_[i], ys_[j], xs_[i + 1], ys_[j + 1]};
  }
  // Calls visit(block, overlap) for every block within the shape's extent.
  template <typename Visit>
  void ForOverlaps(const Shape& shape, Visit visit) const;
  void FindOverlaps();
  void Add(const Fill& fill, double area);
  void Paint(const Box& box, Fill base, const std::vector<int>& shapes, int depth);
  void Quarter(const Box& box, Fill base, const std::vector<int>& shapes, int depth);

  const std::vector<Shape>& shapes_;
  const std::vector<double>& xs_;
  const std::vector<double>& ys_;
  std::size_t columns_;
  std::vector<int> top_;  // Per block, the last shape over all of it; -1 for none.
  // The (block, shape) pairs of shapes over part of a block and not under a
  // shape over all of it; by block, then in painting order.
  std::vector<std::pair<std::size_t, int>> partials_;
  BlockSurvey result_;
};

template <typename Visit>
void Survey::ForOverlaps(const Shape& shape, Visit visit) const {
  const Box bounds = Bounds(shape);
  const Range cols = IntervalsWithin(xs_, bounds.x0, bounds.x1);
  const Range rows = IntervalsWithin(ys_, bounds.y0, bounds.y1);
  std::vector<Overlap> outlined;
  if (shape.kind == ShapeKind::kPolygon || shape.kind == ShapeKind::kRegion) {
    outlined = OutlinesOverBlocks(Outlines(shape), shape.kind == ShapeKind::kRegion, xs_, ys_,
                                  cols, rows);
  }
  std::size_t n = 0;
  for (std::size_t j = rows.first; j < rows.end; ++j) {
    for (std::size_t i = cols.first; i < cols.end; ++i, ++n) {
      const std::size_t block = j * columns_ + i;
      switch (shape.kind) {
        case ShapeKind::kRect:
          visit(block, Overlap::kFull);
          break;
        case ShapeKind::kCircle:
          visit(block, Classify(shape, BlockBox(block)));
          break;
        case ShapeKind::kPolygon:
        case ShapeKind::kRegion:
          visit(block, outlined[n]);
          break;
      }
    }
  }
}

void Survey::FindOverlaps() {
  top_.assign(columns_ * (ys_.size() - 1), -1);
  for (std::size_t s = 0; s < shapes_.size(); ++s) {
    ForOverlaps(shapes_[s], [&](std::size_t block, Overlap overlap) {
      if (overlap == Overlap::kFull) top_[block] = static_cast<int>(s);
      if (overlap == Overlap::kPartial) partials_.emplace_back(block, static_cast<int>(s));
    });
  }
  std::erase_if(partials_, [&](const auto& p) { return p.second < top_[p.first]; });
  std::stable_sort(partials_.begin(), partials_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

void Survey::Add(const Fill& fill, double area) {
  if (fill.kind == FillKind::kMaterial) result_.drawn_area[fill.index] += area;
}

// Adds the areas of `box` to the fills that paint them: `base` under
// `shapes`, which lie over part of the box or all of it, in painting order.
void Survey::Paint(const Box& box, Fill base, const std::vector<int>& shapes, int depth) {
  std::vector<int> kept;
  for (int s : shapes) {
    const Overlap overlap = Classify(shapes_[s], box);
    if (overlap == Overlap::kFull) {
      base = shapes_[s].fill;
      kept.clear();
    } else if (overlap == Overlap::kPartial) {
      kept.push_back(s);
    }
  }
  const double area = (box.x1 - box.x0) * (box.y1 - box.y0);
  if (kept.empty()) {
    Add(base, area);
  } else if (kept.size() == 1) {
    const Shape& shape = shapes_[kept[0]];
    const double covered = std::clamp(OverlapArea(shape, box), 0.0, area);
    Add(shape.fill, covered);
    Add(base, area - covered);
  } else if (depth == kDeepest) {
    const Point centre{(box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2};
    Fill fill = base;
    for (int s : kept) {
      if (Contains(shapes_[s], centre)) fill = shapes_[s].fill;
    }
    Add(fill, area);
  } else {
    Quarter(box, base, kept, depth);
  }
}

void Survey::Quarter(const Box& box, Fill base, const std::vector<int>& shapes, int depth) {
  const double xm = (box.x0 + box.x1) / 2, ym = (box.y0 + box.y1) / 2;
  Paint({box.x0, box.y0, xm, ym}, base, shapes, depth + 1);
  Paint({xm, box.y0, box.x1, ym}, base, shapes, depth + 1);
  Paint({box.x0, ym, xm, box.y1}, base, shapes, depth + 1);
  Paint({xm, ym, box.x1, box.y1}, base, shapes, depth + 1);
}

BlockSurvey Survey::Run() {
  FindOverlaps();
  const std::vector<std::pair<std::size_t, int>>& partials = partials_;
  std::size_t next = 0;
  std::vector<int> over;
  for (std::size_t block = 0; block < top_.size(); ++block) {
    over.clear();
    for (; next < partials.size() && partials[next].first == block; ++next) {
      over.push_back(partials[next].second);
    }
    const Fill base = top_[block] >= 0 ? shapes_[top_[block]].fill : Fill{};
    bool material = base.kind == FillKind::kMaterial;
    bool all_material = material;
    for (int s : over) {
      const bool of_material = shapes_[s].fill.kind == FillKind::kMaterial;
      material = material || of_material;
      all_material = all_material && of_material;
    }
    result_.block_all_material[block] = all_material;
    if (material) {
      result_.column_has_material[block % columns_] = true;
      result_.row_has_material[block / columns_] = true;
    }
    Paint(BlockBox(block), base, over, 0);
  }
  return std::move(result_);
}

}  // namespace

BlockSurvey SurveyBlocks(const DetailFile& detail, const std::vector<double>& xs,
                         const std::vector<double>& ys) {
  return SurveyBlocks(detail.shapes, detail.materials.size(), xs, ys);
}

BlockSurvey SurveyBlocks(const std::vector<Shape>& shapes, std::size_t materials,
                         const std::vector<double>& xs, const std::vector<double>& ys) {
  return Survey(shapes, materials, xs, ys).Run();
}

}  // namespace kelvane
