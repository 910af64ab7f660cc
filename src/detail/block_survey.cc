#include "detail/block_survey.h"

#include <algorithm>
#include <cstdint>

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
    return static_cast<std::size_t>(std::lower_bound(lines.begin(), lines.end(), at) - lines.begin());
  };
  return {index(from), index(to)};
}

class Survey {
 public:
  Survey(const DetailFile& detail, const std::vector<double>& xs, const std::vector<double>& ys)
      : detail_(detail), xs_(xs), ys_(ys), columns_(xs.size() - 1) {
    result_.column_has_material.assign(xs.size() - 1, false);
    result_.row_has_material.assign(ys.size() - 1, false);
    result_.drawn_area.assign(detail.materials.size(), 0.0);
  }
  BlockSurvey Run();

 private:
  Box BlockBox(std::size_t block) const {
    const std::size_t i = block % columns_, j = block / columns_;
    return {xs_[i], ys_[j], xs_[i + 1], ys_[j + 1]};
  }
  // Calls visit(block) for every block within the shape's extent.
  template <typename Visit>
  void ForBlocksOf(const Shape& shape, Visit visit) const;
  void FindTops();
  std::vector<std::pair<std::size_t, int>> FindPartials() const;
  void Add(const Fill& fill, double area);
  void Paint(const Box& box, Fill base, const std::vector<int>& shapes, int depth);
  void Quarter(const Box& box, Fill base, const std::vector<int>& shapes, int depth);

  const DetailFile& detail_;
  const std::vector<double>& xs_;
  const std::vector<double>& ys_;
  std::size_t columns_;
  std::vector<int> top_;  // Per block, the last shape over all of it; -1 for none.
  BlockSurvey result_;
};

template <typename Visit>
void Survey::ForBlocksOf(const Shape& shape, Visit visit) const {
  const Box bounds = Bounds(shape);
  const Range x = IntervalsWithin(xs_, bounds.x0, bounds.x1);
  const Range y = IntervalsWithin(ys_, bounds.y0, bounds.y1);
  for (std::size_t j = y.first; j < y.end; ++j) {
    for (std::size_t i = x.first; i < x.end; ++i) visit(j * columns_ + i);
  }
}

void Survey::FindTops() {
  top_.assign(columns_ * (ys_.size() - 1), -1);
  for (std::size_t s = 0; s < detail_.shapes.size(); ++s) {
    const Shape& shape = detail_.shapes[s];
    ForBlocksOf(shape, [&](std::size_t block) {
      if (shape.kind == ShapeKind::kRect || Classify(shape, BlockBox(block)) == Overlap::kFull) {
        top_[block] = static_cast<int>(s);
      }
    });
  }
}

// The (block, shape) pairs of polygons and circles over part of a block and
// not under a shape that covers all of it; by block, then painting order.
std::vector<std::pair<std::size_t, int>> Survey::FindPartials() const {
  std::vector<std::pair<std::size_t, int>> partials;
  for (std::size_t s = 0; s < detail_.shapes.size(); ++s) {
    const Shape& shape = detail_.shapes[s];
    if (shape.kind == ShapeKind::kRect) continue;
    ForBlocksOf(shape, [&](std::size_t block) {
      if (static_cast<int>(s) > top_[block] &&
          Classify(shape, BlockBox(block)) == Overlap::kPartial) {
        partials.emplace_back(block, static_cast<int>(s));
      }
    });
  }
  std::stable_sort(partials.begin(), partials.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return partials;
}

void Survey::Add(const Fill& fill, double area) {
  if (fill.kind == FillKind::kMaterial) result_.drawn_area[fill.index] += area;
}

// Adds the areas of `box` to the fills that paint them: `base` under
// `shapes`, which lie over part of the box or all of it, in painting order.
void Survey::Paint(const Box& box, Fill base, const std::vector<int>& shapes, int depth) {
  std::vector<int> kept;
  for (int s : shapes) {
    const Overlap overlap = Classify(detail_.shapes[s], box);
    if (overlap == Overlap::kFull) {
      base = detail_.shapes[s].fill;
      kept.clear();
    } else if (overlap == Overlap::kPartial) {
      kept.push_back(s);
    }
  }
  const double area = (box.x1 - box.x0) * (box.y1 - box.y0);
  if (kept.empty()) {
    Add(base, area);
  } else if (kept.size() == 1) {
    const Shape& shape = detail_.shapes[kept[0]];
    const double covered = std::clamp(OverlapArea(shape, box), 0.0, area);
    Add(shape.fill, covered);
    Add(base, area - covered);
  } else if (depth == kDeepest) {
    const Point centre{(box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2};
    Fill fill = base;
    for (int s : kept) {
      if (Contains(detail_.shapes[s], centre)) fill = detail_.shapes[s].fill;
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
  FindTops();
  const std::vector<std::pair<std::size_t, int>> partials = FindPartials();
  std::size_t next = 0;
  std::vector<int> over;
  for (std::size_t block = 0; block < top_.size(); ++block) {
    over.clear();
    for (; next < partials.size() && partials[next].first == block; ++next) {
      over.push_back(partials[next].second);
    }
    const Fill base = top_[block] >= 0 ? detail_.shapes[top_[block]].fill : Fill{};
    bool material = base.kind == FillKind::kMaterial;
    for (int s : over) material = material || detail_.shapes[s].fill.kind == FillKind::kMaterial;
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
  return Survey(detail, xs, ys).Run();
}

}  // namespace kelvane
