// Grid lines, fixed-temperature points and cell codes.

#include <gtest/gtest.h>

#include <sstream>

#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

TEST(GridLines, SumTheSpacings) {
  TestRun run(ModelSketch{{}, {}, {}, {10, 20, 30}, {5, 7}, {". . . . .", ". . . . .", ". . . . .", ". . . . ."}});
  run.RunThrough(SetUpGridLines);
  const SolverState& s = run.s;
  EXPECT_EQ(s.LastColumn, 5);
  EXPECT_EQ(s.LastRow, 4);
  EXPECT_EQ(s.GridPointCount, 30);
  ASSERT_EQ(s.GridX.size(), 8u);
  EXPECT_EQ(s.GridX[1], 0);
  EXPECT_EQ(s.GridX[2], 0.01);
  EXPECT_EQ(s.GridX[3], 0.01 + 0.02);
  EXPECT_EQ(s.GridX[4], 0.01 + 0.02 + 0.03);
  EXPECT_EQ(s.GridY[3], 0.005 + 0.007);
  // The result grid is one larger than the model grid each way, with the
  // spacings copied into row 0 and column 0.
  EXPECT_EQ(run.result.Last1(), 6);
  EXPECT_EQ(run.result.Last2(), 5);
  EXPECT_EQ(run.result(3, 0), Cell::Number(0.02));
  EXPECT_EQ(run.result(0, 3), Cell::Number(0.007));
  EXPECT_TRUE(run.result(1, 1).IsEmpty());
  EXPECT_EQ(s.GaussPoint[1], 0.577350269189626);
  EXPECT_EQ(s.GaussPoint[2], -0.577350269189626);
  EXPECT_EQ(run.phases, std::vector<int>{1});
}

TEST(GridLines, GridPointCountOfATenByTenModel) {
  ModelSketch sketch{{}, {}, {}, std::vector<double>(10, 1), std::vector<double>(10, 1),
                 std::vector<std::string>(12, ". . . . . . . . . . . .")};
  TestRun run(sketch);
  run.RunThrough(SetUpGridLines);
  EXPECT_EQ(run.s.GridPointCount, 169);
}

// FixedIndex of the interior of a model whose code block is `rows`.
Table2<std::int32_t> FixedPoints(const std::vector<std::string>& rows) {
  std::size_t codes_per_row = 0;
  {
    std::istringstream first(rows[0]);
    std::string code;
    while (first >> code) ++codes_per_row;
  }
  ModelSketch sketch{{}, {}, {1, 2, 3, 4, 5},
                 std::vector<double>(codes_per_row - 2, 1),
                 std::vector<double>(rows.size() - 2, 1), rows};
  TestRun run(sketch);
  run.RunThrough(MarkFixedTemperaturePoints);
  return run.s.FixedIndex;
}

TEST(FixedTemperaturePoints, PassesAndPriorities) {
  // C1 beside C2 inside the grid: their two shared points get 2.
  Table2<std::int32_t> f = FixedPoints({". . . .", ". C1 C2 .", ". . . ."});
  EXPECT_EQ(f(1, 1), 1);
  EXPECT_EQ(f(1, 2), 1);
  EXPECT_EQ(f(2, 1), 2);
  EXPECT_EQ(f(2, 2), 2);
  EXPECT_EQ(f(3, 1), 2);

  // The cell (k, j) has the highest priority at its top-left corner.
  f = FixedPoints({". . . .", ". C1 C2 .", ". C3 C4 .", ". . . ."});
  EXPECT_EQ(f(2, 2), 4);
  EXPECT_EQ(f(1, 2), 3);
  EXPECT_EQ(f(2, 1), 2);

  // C5 at the first code: (0,0), (0,1), (1,1), (1,0).
  f = FixedPoints({"C5 . .", ". . .", ". . ."});
  EXPECT_EQ(f(0, 0), 5);
  EXPECT_EQ(f(0, 1), 5);
  EXPECT_EQ(f(1, 1), 5);
  EXPECT_EQ(f(1, 0), 5);
  EXPECT_EQ(f(2, 2), 0);

  // C5 at the last code: its three points, never the outer corner.
  f = FixedPoints({". . .", ". . .", ". . C5"});
  EXPECT_EQ(f(2, 2), 5);
  EXPECT_EQ(f(3, 2), 5);
  EXPECT_EQ(f(2, 3), 5);
  EXPECT_EQ(f(3, 3), 0);

  // The last ring row writes only its corners on row line LastRow - 1, and
  // overrides pass 1 there; the last cell wins at its point.
  f = FixedPoints({". . .", "C1 C1 C1", "C2 C3 C4"});
  EXPECT_EQ(f(0, 2), 2);
  EXPECT_EQ(f(1, 2), 3);
  EXPECT_EQ(f(2, 2), 4);
  EXPECT_EQ(f(3, 2), 4);
  EXPECT_EQ(f(1, 1), 1);

  // C0 removes what an earlier cell gave a shared point; other codes never clear.
  f = FixedPoints({". . . .", ". C1 C0 .", ". A1 . .", ". . . ."});
  EXPECT_EQ(f(1, 1), 1);
  EXPECT_EQ(f(2, 1), 0);
  EXPECT_EQ(f(2, 2), 0);
  EXPECT_EQ(f(1, 2), 1);
}

TEST(CellCodes, LettersAndNumbers) {
  ModelSketch sketch{{1, 1, 1, 1}, {{0, 1}, {0, 1}}, {}, {1, 1, 1, 1, 1}, {1, 1},
                 {"A3 B2 QUOTED A3x A2.5 A3.5 A",
                  "A0 a1 b1 c1 7 B1 C1",
                  "D1 . x A4 B1 . ."," . . . . . . ."}};
  // The third code is "A 3", quoted in the file; the rest is plain.
  std::string text = InputText(sketch);
  text.replace(text.find("QUOTED"), 6, "\"A 3\"");
  TestRun run(text);
  run.RunThrough(ReadCellCodes);
  const Table2<std::int32_t>& c = run.s.CellCode;
  int expected[3][7] = {{3, 6, 3, 3, 2, 4, 0}, {0, 0, 0, 0, 0, 5, 0}, {0, 0, 0, 4, 5, 0, 0}};
  for (int j = 0; j < 3; ++j) {
    for (int k = 0; k < 7; ++k) EXPECT_EQ(c(k, j), expected[j][k]) << k << "," << j;
  }
}

TEST(CellCodes, CodesThatNameNoRecordAreRefused) {
  struct Case {
    const char* code;
    const char* message;
  } cases[] = {
      {"A3", "code row 2, column 2: index out of range: the code \"A3\" names material 3, but the model has 2 materials"},
      // Nine digits take the short reading, ten the general one: the same number.
      {"A000000003", "code row 2, column 2: index out of range: the code \"A000000003\" names material 3, but the model has 2 materials"},
      {"A0000000003", "code row 2, column 2: index out of range: the code \"A0000000003\" names material 3, but the model has 2 materials"},
      {"A-1", "code row 2, column 2: index out of range: the code \"A-1\" names material -1, but the model has 2 materials"},
      {"B", "code row 2, column 2: index out of range: the code \"B\" names convection condition 0, but the model has 1 condition"},
      {"B0", "code row 2, column 2: index out of range: the code \"B0\" names convection condition 0, but the model has 1 condition"},
      {"B2", "code row 2, column 2: index out of range: the code \"B2\" names convection condition 2, but the model has 1 condition"},
      {"A99999999999", "code row 2, column 2: overflow: the number in the code \"A99999999999\" lies beyond the 32-bit integer range"},
      {"C1e10", "code row 2, column 2: overflow: the number in the code \"C1e10\" lies beyond the 32-bit integer range"},
  };
  for (const Case& c : cases) {
    TestRun run(ModelSketch{{1, 1}, {{0, 1}}, {}, {1}, {1},
                          {". . .", std::string(". ") + c.code + " .", ". . ."}});
    EXPECT_EQ(run.ErrorThrough(ReadCellCodes), c.message) << c.code;
  }
  // A number cell of eleven digits: its text's number part overflows too.
  TestRun run(ModelSketch{{1}, {}, {}, {1}, {1}, {". . .", ". 12345678901 .", ". . ."}});
  EXPECT_EQ(run.ErrorThrough(ReadCellCodes).substr(0, 32), "code row 2, column 2: overflow: ");
  // "A" alone and A0 stay void.
  TestRun ok(ModelSketch{{1}, {}, {}, {1}, {1}, {". . .", "A A0 .", ". . ."}});
  EXPECT_EQ(ok.ErrorThrough(ReadCellCodes), "no error");
}

}  // namespace
}  // namespace kelvane::testing
