// The profile layout, element conduction matrices and convection terms.

#include <gtest/gtest.h>

#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

// The two unit cells of the wide example: corners 1, 2, 4, 3 and 3, 4, 6, 5.
ModelSketch TwoUnitCells() {
  return {{1}, {{0, 1}}, {}, {1000, 1000}, {1000}, {". B1 . .", ". A1 A1 .", ". . . ."}};
}

TEST(Profile, LayoutOfTheTwoElementExample) {
  TestRun run(TwoUnitCells());
  run.RunThrough(BuildProfile);
  const SolverState& s = run.s;
  EXPECT_EQ(std::vector<std::int32_t>(s.ProfileStart.begin() + 1, s.ProfileStart.end()),
            (std::vector<std::int32_t>{1, 1, 1, 1, 3, 3}));
  EXPECT_EQ(std::vector<std::int64_t>(s.DiagonalIndex.begin() + 1, s.DiagonalIndex.end()),
            (std::vector<std::int64_t>{1, 3, 6, 10, 13, 17}));
  EXPECT_EQ(s.ProfileLength, 17);
  EXPECT_EQ(s.ConductanceProfile.size(), 18u);
  for (double v : s.ConductanceProfile) EXPECT_EQ(v, 0);
  // Every phase through the profile yields once, in the table's order.
  EXPECT_EQ(run.phases, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(PhaseNumber(BuildProfile), 10);
}

// K(r, c) of the assembled matrix, either triangle.
double K(const SolverState& s, int r, int c) {
  if (c > r) std::swap(r, c);
  return s.ConductanceProfile[s.DiagonalIndex[r] - r + c];
}

struct ElementCase {
  const char* name;
  double width_mm, height_mm, kx, ky;
  double diagonal, vertical_side, horizontal_side, diagonal_pair;
};

TEST(ElementMatrix, RectanglesAndConductivities) {
  const ElementCase cases[] = {
      {"unit square", 1000, 1000, 1, 1, 2.0 / 3, -1.0 / 6, -1.0 / 6, -1.0 / 3},
      {"kx = 2", 1000, 1000, 2, 1, 1, 0, -0.5, -0.5},
      {"ky = 2", 1000, 1000, 1, 2, 1, -0.5, 0, -0.5},
      {"2 x 1 cell", 2000, 1000, 1, 1, 5.0 / 6, -7.0 / 12, 1.0 / 6, -5.0 / 12},
  };
  for (const ElementCase& c : cases) {
    TestRun run(ModelSketch{{1}, {{0, 1}}, {}, {c.width_mm}, {c.height_mm}, {". B1 .", ". A1 .", ". . ."}});
    run.model.MaterialTable[1].ConductivityX = c.kx;
    run.model.MaterialTable[1].ConductivityY = c.ky;
    run.RunThrough(AssembleConduction);
    const SolverState& s = run.s;
    const auto& n = s.ElementNodes[1];
    for (int i = 1; i <= 4; ++i) EXPECT_NEAR(K(s, n[i], n[i]), c.diagonal, 1e-15) << c.name;
    // Vertical sides join 1-2 and 3-4; horizontal sides 1-4 and 2-3.
    EXPECT_NEAR(K(s, n[1], n[2]), c.vertical_side, 1e-15) << c.name;
    EXPECT_NEAR(K(s, n[3], n[4]), c.vertical_side, 1e-15) << c.name;
    EXPECT_NEAR(K(s, n[1], n[4]), c.horizontal_side, 1e-15) << c.name;
    EXPECT_NEAR(K(s, n[2], n[3]), c.horizontal_side, 1e-15) << c.name;
    EXPECT_NEAR(K(s, n[1], n[3]), c.diagonal_pair, 1e-15) << c.name;
    EXPECT_NEAR(K(s, n[2], n[4]), c.diagonal_pair, 1e-15) << c.name;
    // A uniform field carries no heat: every full row sums to zero.
    for (int i = 1; i <= 4; ++i) {
      double row = 0;
      for (int l = 1; l <= 4; ++l) row += K(s, n[i], n[l]);
      EXPECT_NEAR(row, 0, 1e-15) << c.name;
    }
  }
}

TEST(ElementMatrix, TwoElementsAccumulateIntoTheProfile) {
  TestRun run(TwoUnitCells());
  run.RunThrough(AssembleConduction);
  const double expected[17] = {2.0 / 3,  -1.0 / 6, 2.0 / 3,  -1.0 / 6, -1.0 / 3, 4.0 / 3,
                               -1.0 / 3, -1.0 / 6, -1.0 / 3, 4.0 / 3,  -1.0 / 6, -1.0 / 3,
                               2.0 / 3,  -1.0 / 3, -1.0 / 6, -1.0 / 6, 2.0 / 3};
  for (int i = 0; i < 17; ++i) {
    EXPECT_NEAR(run.s.ConductanceProfile[i + 1], expected[i], 1e-15) << "position " << i + 1;
  }
}

TEST(ElementMatrix, ZeroOrNegativeSizeIsRefusedNamingTheCell) {
  TestRun zero(ModelSketch{{1}, {{0, 1}}, {}, {10, 0}, {5}, {". B1 B1 .", ". A1 A1 .", ". . . ."}});
  EXPECT_EQ(zero.ErrorThrough(AssembleConduction),
            "code row 2, column 3: division by zero: the material cell has zero width (column "
            "width 2 is 0 m), so its element matrix divides by zero");
  TestRun negative(ModelSketch{{1}, {{0, 1}}, {}, {10}, {-5}, {". B1 .", ". A1 .", ". . ."}});
  EXPECT_EQ(negative.ErrorThrough(AssembleConduction),
            "code row 2, column 2: negative size: the material cell has a negative height (row "
            "height 1 is -0.005 m)");
  // A width lost against its grid line's coordinate is zero as well.
  TestRun lost(ModelSketch{{1}, {{0, 1}}, {}, {1e20, 1e-3}, {5}, {". B1 B1 .", ". A1 A1 .", ". . . ."}});
  EXPECT_EQ(lost.ErrorThrough(AssembleConduction),
            "code row 2, column 3: division by zero: the material cell has zero width (column "
            "width 2 is 1E-06 m, too small to move its grid line's coordinate), so its element "
            "matrix divides by zero");
  // A zero spacing where no element lies is harmless.
  TestRun harmless(ModelSketch{{1}, {{0, 1}}, {}, {10, 0}, {5}, {". B1 . .", ". A1 . .", ". . . ."}});
  EXPECT_EQ(harmless.ErrorThrough(FillResultGrid), "no error");
}

TEST(Convection, SingleEdgeTerms) {
  // An edge of length 2 m with h = 3 and ambient 10 above one cell.
  TestRun run(ModelSketch{{1}, {{10, 3}}, {}, {2000}, {1000}, {". B1 .", ". A1 .", ". . ."}});
  run.RunThrough(AssembleConduction);
  std::vector<double> k_before(run.s.ConductanceProfile.begin(), run.s.ConductanceProfile.end());
  run.RunThrough(AddConvectionTerms);
  const SolverState& s = run.s;
  ASSERT_EQ(s.ConvEdgeCount, 1);
  int a = s.ConvEdgeNode1[1], b = s.ConvEdgeNode2[1];
  int i = std::min(a, b), j = std::max(a, b);
  auto at = [&](int r, int c) { return s.DiagonalIndex[r] - r + c; };
  for (std::size_t p = 0; p < k_before.size(); ++p) {
    double added = s.ConductanceProfile[p] - k_before[p];
    if (static_cast<std::int64_t>(p) == at(j, i)) {
      EXPECT_EQ(added, 1);
    } else if (static_cast<std::int64_t>(p) == at(i, i) || static_cast<std::int64_t>(p) == at(j, j)) {
      EXPECT_EQ(added, 2);
    } else {
      EXPECT_EQ(added, 0) << p;
    }
  }
  for (int r = 1; r <= s.NodeCount; ++r) EXPECT_EQ(s.LoadVector[r], r == i || r == j ? 30 : 0);
}

TEST(Convection, EdgeDirectionDoesNotMatter) {
  // An edge listed with its larger node first touches the same entries with
  // the same values.
  ModelSketch sketch{{1}, {{10, 3}}, {}, {1000, 700}, {1000}, {". B1 B1 .", "B1 A1 A1 B1", ". B1 . ."}};
  TestRun forward(sketch);
  TestRun reversed(sketch);
  forward.RunThrough(AddConvectionTerms);
  reversed.RunThrough(CollectConvectionEdges);
  ASSERT_EQ(reversed.s.ConvEdgeCount, 5);
  std::swap(reversed.s.ConvEdgeNode1, reversed.s.ConvEdgeNode2);
  reversed.RunThrough(AddConvectionTerms);
  EXPECT_EQ(forward.s.ConductanceProfile, reversed.s.ConductanceProfile);
  EXPECT_EQ(forward.s.LoadVector, reversed.s.LoadVector);
}

}  // namespace
}  // namespace kelvane::testing
