// The EN ISO 10211 reference cases, class A, through the real program.

#include "app/validation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvane::testing {
namespace {

TEST(Validation, AnalyticalSolutionOfCase1MatchesTheStandardsExamples) {
  EXPECT_NEAR(HalfSquareColumn(1 / 8.0, 7 / 8.0), 9.658, 5e-4);
  EXPECT_NEAR(HalfSquareColumn(4 / 8.0, 4 / 8.0), 5.000, 5e-4);
  // The edges: 0 at the left and the bottom, and an adiabatic right edge.
  EXPECT_NEAR(HalfSquareColumn(0, 0.5), 0, 1e-12);
  EXPECT_NEAR(HalfSquareColumn(0.3, 0), 0, 1e-12);
  EXPECT_NEAR(HalfSquareColumn(0.5 - 1e-6, 0.7), HalfSquareColumn(0.5 + 1e-6, 0.7), 1e-9);
}

TEST(Validation, BothCasesPassClassAAndHalvingTheCellsChangesLessThanTheTolerance) {
  const std::vector<ValidationRow> rows = RunValidation(KELVANE2D_BINARY, KELVANE_SOURCE_DIR);
  ASSERT_EQ(rows.size(), 28u + 9u + 1u + 1u);
  for (const ValidationRow& r : rows) {
    SCOPED_TRACE(r.case_name + " " + r.quantity);
    EXPECT_LE(std::fabs(r.deviation()), r.tolerance) << r.computed;
    EXPECT_LE(std::fabs(r.change()), r.tolerance) << r.halved;
  }
  // The analytical case is met far inside its tolerance.
  for (std::size_t i = 0; i < 28; ++i) EXPECT_LE(std::fabs(rows[i].deviation()), 0.005);
}

// The frame D.7 of EN ISO 10077-2 Annex D: L2D within 3 % of 0.285 W/(m K),
// which is what the standard asks of a program.
TEST(Validation, FrameD7MeetsItsReferenceWithinThreePercent) {
  const std::vector<ValidationRow> rows = RunValidation(KELVANE2D_BINARY, KELVANE_SOURCE_DIR);
  const ValidationRow& d7 = rows.back();
  ASSERT_EQ(d7.case_name, "D.7");
  EXPECT_EQ(d7.reference, 0.285);
  EXPECT_NEAR(d7.tolerance, 0.00855, 1e-12);
  EXPECT_TRUE(d7.passes()) << d7.computed << " / " << d7.halved;
  EXPECT_LE(std::fabs(d7.deviation()) / d7.reference, 0.03);
}

}  // namespace
}  // namespace kelvane::testing
