// Fixed temperatures, the whole solution, and physical checks on models.

#include <gtest/gtest.h>

#include <cmath>

#include "output/result_writer.h"
#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

// A two-equation system K(1,1) = 4, K(2,1) = 2, K(2,2) = 3 in a bare state.
struct TwoEquations {
  TwoEquations(double f1, double f2, std::int32_t fixed_node, double t) : s(model, &observer) {
    s.NodeCount = 2;
    s.ProfileStart = {0, 1, 1};
    s.DiagonalIndex = {0, 1, 3};
    s.ConductanceProfile = {0, 4, 2, 3};
    s.LoadVector = {0, f1, f2};
    s.FixedNodeCount = 1;
    s.FixedNodeList = {0, fixed_node};
    s.FixedNodeTemperature = {0, t};
  }
  Model model;
  SolverObserver observer;
  SolverState s;
};

TEST(FixedTemperatures, EliminationKeepsTheMatrixSymmetric) {
  TwoEquations second(1, 0, 2, 10);
  ImposeFixedTemperatures(second.s);
  EXPECT_EQ(second.s.LoadVector, (LargeTable<double>{0, -19, 10}));
  EXPECT_EQ(second.s.ConductanceProfile, (LargeTable<double>{0, 4, 0, 1}));
  EXPECT_EQ(second.s.ProfileStart[2], 2);
  FactorProfile(second.s);
  SolveProfile(second.s);
  EXPECT_EQ(second.s.LoadVector, (LargeTable<double>{0, -4.75, 10}));

  TwoEquations first(0, 1, 1, 10);
  ImposeFixedTemperatures(first.s);
  EXPECT_EQ(first.s.LoadVector, (LargeTable<double>{0, 10, -19}));
  EXPECT_EQ(first.s.ConductanceProfile, (LargeTable<double>{0, 1, 0, 3}));
  FactorProfile(first.s);
  SolveProfile(first.s);
  EXPECT_EQ(first.s.LoadVector[1], 10);
  EXPECT_EQ(first.s.LoadVector[2], -19.0 / 3);
}

TEST(FixedTemperatures, OrderOfTheListDoesNotChangeTheMatrix) {
  // Two coupled fixed nodes: the same matrix whichever comes first, each
  // with its own temperature as its load.
  TwoEquations a(1, 1, 1, 10), b(1, 1, 1, 10);
  for (TwoEquations* t : {&a, &b}) {
    t->s.FixedNodeCount = 2;
    t->s.FixedNodeTemperature = {0, 10, 20};
  }
  a.s.FixedNodeList = {0, 1, 2};
  b.s.FixedNodeList = {0, 2, 1};
  b.s.FixedNodeTemperature = {0, 20, 10};
  ImposeFixedTemperatures(a.s);
  ImposeFixedTemperatures(b.s);
  EXPECT_EQ(a.s.ConductanceProfile, b.s.ConductanceProfile);
  EXPECT_EQ(a.s.LoadVector, (LargeTable<double>{0, 10, 20}));
  EXPECT_EQ(b.s.LoadVector, (LargeTable<double>{0, 10, 20}));
}

std::string Solve(const ModelSketch& sketch) {
  TestRun run(sketch);
  run.RunThrough(FillResultGrid);
  return ResultFileText(run.result);
}

TEST(Solution, WorkedExampleToTheLastDigit) {
  ModelSketch sketch{{50}, {{20, 10}}, {100}, {10, 20}, {5}, {"B1 B1 B1 B1", "C1 A1 A1 B1", ". . . ."}};
  EXPECT_EQ(Solve(sketch),
            " 4 ,  5 \r\n"
            "100,99.0334408723144,98.0988354738635,,\r\n"
            "100,99.0796113038465,98.1347165644368,,\r\n"
            ",,,,\r\n"
            ",,,,\r\n");
}

TEST(Solution, EveryNodeFixedGivesExactlyThePrescribedTemperatures) {
  TestRun run(ModelSketch{{3}, {{50, 9}}, {7.25, -3.5}, {10, 10}, {10},
                        {"B1 C1 C2 B1", "C1 A1 A1 C2", "C1 C1 C2 C2"}});
  run.RunThrough(FillResultGrid);
  for (int j = 1; j <= 2; ++j) {
    EXPECT_EQ(run.result(1, j), Cell::Number(7.25));
    EXPECT_EQ(run.result(3, j), Cell::Number(-3.5));
  }
}

TEST(Solution, LayeredWallIsExactInOneDimension) {
  // Inside 20 with h = 7.69, outside -10 with h = 25; plaster 15 mm (0.7),
  // brick 240 mm in two cells (0.8), insulation 100 mm (0.035), three rows.
  ModelSketch sketch{{0.7, 0.8, 0.035}, {{20, 7.69}, {-10, 25}}, {},
                 {15, 120, 120, 100}, {100, 50, 100},
                 {". . . . . .", "B1 A1 A2 A2 A3 B2", "B1 A1 A2 A2 A3 B2", "B1 A1 A2 A2 A3 B2",
                  ". . . . . ."}};
  TestRun run(sketch);
  run.RunThrough(FillResultGrid);
  const double r[] = {1 / 7.69, 0.015 / 0.7, 0.12 / 0.8, 0.12 / 0.8, 0.1 / 0.035, 1 / 25.0};
  double total = 0;
  for (double x : r) total += x;
  const double q = 30 / total;
  double t = 20 - q * r[0];
  for (int k = 1; k <= 5; ++k) {
    for (int j = 1; j <= 4; ++j) {
      ASSERT_TRUE(run.result(k, j).IsNumber());
      EXPECT_NEAR(run.result(k, j).number(), t, 1e-9) << k << "," << j;
    }
    if (k < 5) t -= q * r[k];
  }
}

TEST(Solution, UniformAmbientGivesAUniformField) {
  ModelSketch sketch{{1, 40}, {{15, 3}, {15, 200}}, {}, {10, 30, 5}, {20, 7},
                 {"B1 B1 B2 B2 .", "B1 A1 A2 A1 B2", "B1 A2 . A2 B2", ". B2 B2 B2 ."}};
  TestRun run(sketch);
  run.RunThrough(FillResultGrid);
  for (int k = 1; k <= 4; ++k) {
    for (int j = 1; j <= 3; ++j) {
      if (run.result(k, j).IsNumber()) {
        EXPECT_NEAR(run.result(k, j).number(), 15, 1e-12);
      }
    }
  }
}

TEST(Solution, MirroredModelGivesMirroredTemperatures) {
  ModelSketch sketch{{1.5, 0.2}, {{20, 8}, {-5, 20}}, {},
                 {10, 25, 40, 25, 10}, {30, 20, 10},
                 {"B1 B1 B1 B1 B1 B1 B1", ". A1 A1 A1 A1 A1 .", ". A1 A2 A2 A2 A1 .",
                  ". A1 . A2 . A1 .", ". B2 B2 B2 B2 B2 ."}};
  TestRun run(sketch);
  run.RunThrough(FillResultGrid);
  const int last = run.s.LastColumn;
  for (int j = 1; j <= run.s.LastRow - 1; ++j) {
    for (int k = 1; k <= last - 1; ++k) {
      const Cell& a = run.result(k, j);
      const Cell& b = run.result(last - k, j);
      ASSERT_EQ(a.IsNumber(), b.IsNumber()) << k << "," << j;
      if (a.IsNumber()) {
        EXPECT_NEAR(a.number(), b.number(), 1e-12) << k << "," << j;
      }
    }
  }
}

TEST(Solution, ZeroPivotNamesTheNode) {
  // A material of zero conductivity held only at its left side.
  TestRun run(ModelSketch{{0}, {}, {5}, {10}, {10}, {". . .", "C1 A1 .", ". . ."}});
  EXPECT_EQ(run.ErrorThrough(FillResultGrid),
            "grid point at column line 2, row line 1 (top-left corner of the cell at code row 2, "
            "column 3): division by zero: the pivot of this node's equation is zero (is the node "
            "joined to the rest only through material of zero conductivity?)");
}

TEST(Solution, FloatingPointOverflowIsNamedByItsPhase) {
  TestRun run(ModelSketch{{1}, {{1e300, 1e300}}, {}, {1000}, {1000}, {". B1 .", ". A1 .", ". . ."}});
  EXPECT_EQ(run.ErrorThrough(FillResultGrid),
            "phase 12 (convection terms): floating-point overflow: a result exceeded the range of "
            "a 64-bit number");
}

TEST(Solution, ResultGridOutsideTheMaterialStaysEmpty) {
  TestRun run(ModelSketch{{1}, {{0, 1}}, {4}, {10, 10, 10}, {10},
                        {". . . . .", "B1 A1 . C1 .", ". . . . ."}});
  run.RunThrough(FillResultGrid);
  EXPECT_TRUE(run.result(1, 1).IsNumber());
  EXPECT_TRUE(run.result(2, 1).IsNumber());
  // Fixed but no node: empty, as is everything on and beyond the last lines.
  EXPECT_TRUE(run.result(3, 1).IsEmpty());
  EXPECT_TRUE(run.result(4, 1).IsEmpty());
  EXPECT_TRUE(run.result(5, 2).IsEmpty());
  EXPECT_EQ(run.result(2, 0), Cell::Number(0.01));
}

}  // namespace
}  // namespace kelvane::testing
