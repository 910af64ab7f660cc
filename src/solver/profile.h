// Profile (skyline) storage of the symmetric global matrix K and its load F.
//
// N = NodeCount equations; equation r belongs to node r, 1 <= r <= N. Only
// the lower triangle is stored, row after row, each row ending with its
// diagonal:
//
//   row r holds the columns ProfileStart(r) .. r of K, in ascending order,
//   at the positions DiagonalIndex(r) - r + ProfileStart(r) .. DiagonalIndex(r)
//   of ConductanceProfile; so for ProfileStart(r) <= c <= r
//
//       K(r,c) = ConductanceProfile[DiagonalIndex(r) - r + c],
//       K(r,r) = ConductanceProfile[DiagonalIndex(r)].
//
//   DiagonalIndex(1) = 1,
//   DiagonalIndex(r) = DiagonalIndex(r-1) + (r - ProfileStart(r)) + 1,
//   ProfileLength    = DiagonalIndex(N); position 0 exists and is never used.
//
//   K(c,r) = K(r,c). For c < ProfileStart(r), K(r,c) = 0 and has no position.
//   ProfileStart(r) is the smallest node that shares an element with r (r
//   itself if none is smaller); fixing the temperature of node p cuts its row
//   back to ProfileStart(p) = p, leaving zeros in its old positions.
//
//   F(r) = LoadVector[r], the right-hand side.
//
// The factorisation works in place: afterwards, for ProfileStart(r) <= c < r
// the position of K(r,c) holds L(r,c) of the unit lower triangular factor and
// the position of K(r,r) holds D(r), with K = L D L^T as assembled. The
// factor has no fill outside the profile. The solution then overwrites F(r)
// with the temperature T(r).
#pragma once

#include <algorithm>
#include <cstdint>

namespace kelvane {

// The position of K(r,c), ProfileStart(r) <= c <= r.
inline std::int64_t ProfilePosition(const std::int64_t* diagonal_index, std::int32_t r,
                                    std::int32_t c) {
  return diagonal_index[r] - r + c;
}

// Adds assembled terms into profile storage: Add(r, c, t) is K(r,c) += t
// for nodes r and c, stored once for the pair, in the lower triangle.
struct ProfileTarget {
  double* k;
  const std::int64_t* diagonal;

  void Add(std::int32_t r, std::int32_t c, double t) {
    if (c < r) {
      k[ProfilePosition(diagonal, r, c)] += t;  /* K(r,c) */
    } else {
      k[ProfilePosition(diagonal, c, r)] += t;  /* K(c,r) */
    }
  }
};

// The widest row, max over r of r - ProfileStart(r). Column p has stored
// entries only in the rows p+1 .. p+width, so walks down a column stop there.
inline std::int32_t WidestProfileRow(std::int32_t n, const std::int32_t* start) {
  std::int32_t width = 0;
  for (std::int32_t r = 1; r <= n; ++r) width = width > r - start[r] ? width : r - start[r];
  return width;
}

// Visits the stored entries of row and column p off the diagonal, as
// visit(c, K(p,c)) with K(p,c) a reference into k: row p left of the
// diagonal in ascending c, then column p below it in ascending r (its
// entries stand in rows p+1 .. p+width, width as WidestProfileRow gives it).
template <typename Visit>
void ForEachOffDiagonal(double* k, std::int32_t n, const std::int32_t* start,
                        const std::int64_t* diagonal, std::int32_t width, std::int32_t p,
                        Visit visit) {
  for (std::int32_t c = start[p]; c <= p - 1; ++c) {
    visit(c, k[ProfilePosition(diagonal, p, c)]);  /* K(p,c) */
  }
  const std::int64_t last = std::min<std::int64_t>(n, static_cast<std::int64_t>(p) + width);
  for (std::int32_t r = p + 1; r <= last; ++r) {
    if (start[r] > p) continue;
    visit(r, k[ProfilePosition(diagonal, r, p)]);  /* K(r,p) */
  }
}

}  // namespace kelvane
