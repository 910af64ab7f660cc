// A two-dimensional table indexed (0..Last1, 0..Last2), first index the
// column (x, left to right), second the row (top to bottom). At() checks its
// indices; operator() is for loops whose bounds are already known valid.
// The tables of a large grid are large tables (platform/large_table.h).
#pragma once

#include <cassert>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/large_table.h"

namespace kelvane {

template <typename T>
class Table2 {
 public:
  Table2() = default;
  // A table with last indices `last1` and `last2`, every entry `fill`.
  Table2(int last1, int last2, const T& fill = T())
      : last1_(last1),
        last2_(last2),
        entries_(static_cast<std::size_t>(last1 + 1) * static_cast<std::size_t>(last2 + 1),
                 fill) {}

  int Last1() const { return last1_; }
  int Last2() const { return last2_; }

  T& At(int i, int j) { return entries_[Checked(i, j)]; }
  const T& At(int i, int j) const { return entries_[Checked(i, j)]; }

  T& operator()(int i, int j) {
    assert(i >= 0 && i <= last1_ && j >= 0 && j <= last2_);
    return entries_[Offset(i, j)];
  }
  const T& operator()(int i, int j) const {
    assert(i >= 0 && i <= last1_ && j >= 0 && j <= last2_);
    return entries_[Offset(i, j)];
  }

  friend bool operator==(const Table2& a, const Table2& b) = default;

 private:
  std::size_t Offset(int i, int j) const {
    return static_cast<std::size_t>(j) * static_cast<std::size_t>(last1_ + 1) +
           static_cast<std::size_t>(i);
  }
  std::size_t Checked(int i, int j) const {
    if (i < 0 || i > last1_ || j < 0 || j > last2_) {
      throw RunError(ErrorKind::kIndexOutOfRange, "",
                     "(" + std::to_string(i) + ", " + std::to_string(j) +
                         ") lies outside the table (0.." + std::to_string(last1_) +
                         ", 0.." + std::to_string(last2_) + ")");
    }
    return Offset(i, j);
  }

  int last1_ = -1;
  int last2_ = -1;
  LargeTable<T> entries_;
};

}  // namespace kelvane
