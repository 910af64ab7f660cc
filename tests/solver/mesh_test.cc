// Nodes, elements, coordinates, fixed nodes and convection edges.

#include <gtest/gtest.h>

#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

using Corners = std::array<std::int32_t, 5>;

// LastColumn = 4, LastRow = 3: material cells (1, 1) with code 2 and (2, 1)
// with code 1, convection cells (0, 1), (1, 0) and (3, 1).
ModelSketch WideModel() {
  return {{1, 1}, {{5, 2}}, {}, {1000, 1000}, {1000}, {". B1 . .", "B1 A2 A1 B1", ". . . ."}};
}

TEST(Nodes, WideGridIsNumberedColumnByColumn) {
  TestRun run(WideModel());
  run.RunThrough(NumberElements);
  const SolverState& s = run.s;
  EXPECT_EQ(s.NodeCount, 6);
  EXPECT_EQ(s.NodeNumber(1, 1), 1);
  EXPECT_EQ(s.NodeNumber(1, 2), 2);
  EXPECT_EQ(s.NodeNumber(2, 1), 3);
  EXPECT_EQ(s.NodeNumber(2, 2), 4);
  EXPECT_EQ(s.NodeNumber(3, 1), 5);
  EXPECT_EQ(s.NodeNumber(3, 2), 6);
  ASSERT_EQ(s.ElementCount, 2);
  EXPECT_EQ(s.ElementNodes[1], (Corners{0, 1, 2, 4, 3}));
  EXPECT_EQ(s.ElementMaterial[1], 2);
  EXPECT_EQ(s.ElementNodes[2], (Corners{0, 3, 4, 6, 5}));
  EXPECT_EQ(s.ElementMaterial[2], 1);
  EXPECT_TRUE(run.warnings.empty());
}

TEST(Nodes, TallGridIsNumberedRowByRowAndElementsStillColumnByColumn) {
  TestRun run(ModelSketch{{1}, {}, {}, {1000}, {1000, 1000}, {". . .", ". A1 .", ". A1 .", ". . ."}});
  run.RunThrough(NumberElements);
  const SolverState& s = run.s;
  EXPECT_EQ(s.NodeNumber(1, 1), 1);
  EXPECT_EQ(s.NodeNumber(2, 1), 2);
  EXPECT_EQ(s.NodeNumber(1, 2), 3);
  EXPECT_EQ(s.NodeNumber(2, 2), 4);
  EXPECT_EQ(s.NodeNumber(1, 3), 5);
  EXPECT_EQ(s.NodeNumber(2, 3), 6);
  EXPECT_EQ(s.ElementNodes[1], (Corners{0, 1, 3, 4, 2}));
  EXPECT_EQ(s.ElementNodes[2], (Corners{0, 3, 5, 6, 4}));
}

TEST(Nodes, SquareGridIsNumberedRowByRow) {
  TestRun run(ModelSketch{{1}, {}, {}, {1, 1}, {1, 1},
                        {". . . .", ". A1 A1 .", ". A1 A1 .", ". . . ."}});
  run.RunThrough(NumberNodes);
  EXPECT_EQ(run.s.NodeNumber(2, 1), 2);
  EXPECT_EQ(run.s.NodeNumber(1, 2), 4);
}

TEST(Nodes, OnlyPointsTouchingMaterialAreNodes) {
  // A single material cell: its four corners, in the order of visits. A
  // point whose four cells are convection cells is no node.
  TestRun run(ModelSketch{{1}, {{0, 1}}, {}, {1, 1, 1, 1}, {1, 1, 1, 1},
                        {". . . . . .", ". A1 . . . .", ". . . B1 B1 .", ". . . B1 B1 .",
                         ". . . . . .", ". . . . . ."}});
  run.RunThrough(NumberNodes);
  const SolverState& s = run.s;
  EXPECT_EQ(s.NodeCount, 4);
  EXPECT_EQ(s.NodeNumber(1, 1), 1);
  EXPECT_EQ(s.NodeNumber(2, 1), 2);
  EXPECT_EQ(s.NodeNumber(1, 2), 3);
  EXPECT_EQ(s.NodeNumber(2, 2), 4);
  EXPECT_EQ(s.NodeNumber(4, 3), 0);
}

TEST(Nodes, NoMaterialMeansNoNodes) {
  TestRun run(ModelSketch{{1}, {{0, 1}}, {}, {1}, {1}, {"B1 B1 B1", "B1 . B1", "B1 B1 B1"}});
  run.RunThrough(CollectConvectionEdges);
  EXPECT_EQ(run.s.NodeCount, 0);
  EXPECT_EQ(run.s.ElementCount, 0);
  EXPECT_EQ(run.s.ConvEdgeCount, 0);
  EXPECT_EQ(run.ErrorThrough(BuildProfile),
            "no material: the model has no material cell, so no grid point is a node");
}

TEST(Nodes, RingMaterialMakesNodesButNoElementsOrEdges) {
  // Material in the first and the last ring column; a convection cell beside
  // each. The interior corners become nodes, yet nothing else.
  TestRun run(ModelSketch{{1}, {{0, 1}}, {1}, {1, 1}, {1},
                        {". . . .", "A1 B1 B1 A1", ". . . ."}});
  run.RunThrough(CollectConvectionEdges);
  const SolverState& s = run.s;
  EXPECT_EQ(s.NodeCount, 4);
  EXPECT_EQ(s.ElementCount, 0);
  EXPECT_EQ(s.ConvEdgeCount, 0);
  ASSERT_EQ(run.warnings.size(), 1u);
  EXPECT_EQ(run.warnings[0],
            "2 material cells lie in the outer ring of the code block, which carries conditions "
            "only; left out of the mesh (the first at code row 2, column 1)");
  EXPECT_EQ(run.ErrorThrough(CheckEveryPartIsDetermined),
            "grid point at column line 1, row line 1 (top-left corner of the cell at code row 2, "
            "column 2): undetermined temperatures: this node belongs to no element (it touches "
            "only material cells of the outer ring, which are not part of the mesh) and has no "
            "fixed temperature");
}

TEST(Coordinates, YGrowsUpwardFromTheLastRowLine) {
  TestRun run(ModelSketch{{1}, {}, {}, {10, 20}, {30, 40},
                        {". . . .", ". A1 A1 .", ". A1 A1 .", ". . . ."}});
  run.RunThrough(SetNodeCoordinates);
  const SolverState& s = run.s;
  auto x = [&](int k, int j) { return s.NodeX[s.NodeNumber(k, j)]; };
  auto y = [&](int k, int j) { return s.NodeY[s.NodeNumber(k, j)]; };
  EXPECT_EQ(x(1, 1), 0);
  EXPECT_EQ(x(2, 3), 0.01);
  EXPECT_EQ(x(3, 2), 0.01 + 0.02);
  EXPECT_EQ(y(1, 1), (0.03 + 0.04) - 0);
  EXPECT_EQ(y(2, 2), (0.03 + 0.04) - 0.03);
  EXPECT_EQ(y(3, 3), 0);
}

TEST(FixedNodes, ListedInColumnOrderWithTheirTemperatures) {
  // Row-by-row numbering: node 3 at (1, 2) is listed before node 2 at (2, 1).
  TestRun run(ModelSketch{{1}, {}, {10, 20}, {1000}, {1000, 1000},
                        {". . .", ". A1 C2", "C1 A1 .", ". . ."}});
  run.RunThrough(CollectFixedNodes);
  const SolverState& s = run.s;
  ASSERT_EQ(s.NodeNumber(1, 2), 3);
  ASSERT_EQ(s.NodeNumber(2, 1), 2);
  ASSERT_EQ(s.FixedNodeCount, 4);
  // C1 at cell (0, 2) fixes (1, 2) and (1, 3); C2 at (2, 1) fixes (2, 1), (2, 2).
  EXPECT_EQ(std::vector<std::int32_t>(s.FixedNodeList.begin() + 1, s.FixedNodeList.end()),
            (std::vector<std::int32_t>{3, 5, 2, 4}));
  EXPECT_EQ(std::vector<double>(s.FixedNodeTemperature.begin() + 1, s.FixedNodeTemperature.end()),
            (std::vector<double>{10, 10, 20, 20}));
}

TEST(FixedNodes, MissingTemperatureIsAnErrorOnlyAtANode) {
  // C3 with two fixed temperatures: fine away from the material...
  TestRun away(ModelSketch{{1}, {}, {1, 2}, {1, 1, 1}, {1},
                         {". . . . .", ". A1 . C3 .", ". . . . ."}});
  EXPECT_EQ(away.ErrorThrough(CollectFixedNodes), "no error");
  EXPECT_EQ(away.s.FixedNodeCount, 0);
  // ...an index error at a node.
  TestRun at(ModelSketch{{1}, {}, {1, 2}, {1, 1}, {1}, {". . . .", ". A1 C3 .", ". . . ."}});
  EXPECT_EQ(at.ErrorThrough(CollectFixedNodes),
            "grid point at column line 2, row line 1 (top-left corner of the cell at code row 2, "
            "column 3): index out of range: the code \"C3\" at code row 2, column 3 gives this node "
            "fixed temperature 3, but "
            "the model has 2 fixed temperatures");
}

TEST(ConvectionEdges, OrderAndEnds) {
  TestRun run(WideModel());
  run.RunThrough(CollectConvectionEdges);
  const SolverState& s = run.s;
  ASSERT_EQ(s.ConvEdgeCount, 3);
  EXPECT_EQ(s.ConvEdgeNode1[1], 1);
  EXPECT_EQ(s.ConvEdgeNode2[1], 2);
  EXPECT_EQ(s.ConvEdgeNode1[2], 1);
  EXPECT_EQ(s.ConvEdgeNode2[2], 3);
  EXPECT_EQ(s.ConvEdgeNode1[3], 5);
  EXPECT_EQ(s.ConvEdgeNode2[3], 6);
  EXPECT_EQ(s.ConvEdgeCoefficient[2], 2);
  EXPECT_EQ(s.ConvEdgeAmbient[2], 5);
}

TEST(ConvectionEdges, BothSidesAndDifferentConditions) {
  // B1 between two material cells gives two edges, the left one first; B2
  // above the right cell gives that cell a second condition. B3 (above the
  // conditions' count) is refused earlier, so only listed codes reach here.
  TestRun run(ModelSketch{{1}, {{1, 10}, {2, 20}}, {}, {1, 1, 1}, {1, 1},
                        {". . . B2 .", ". A1 B1 A1 .", ". . . . .", ". . . . ."}});
  run.RunThrough(CollectConvectionEdges);
  const SolverState& s = run.s;
  ASSERT_EQ(s.ConvEdgeCount, 3);
  // Cell (2, 1) first (k outer): left side of it is the right side of (1, 1).
  EXPECT_EQ(s.ConvEdgeNode1[1], s.NodeNumber(2, 1));
  EXPECT_EQ(s.ConvEdgeNode2[1], s.NodeNumber(2, 2));
  EXPECT_EQ(s.ConvEdgeNode1[2], s.NodeNumber(3, 1));
  EXPECT_EQ(s.ConvEdgeCoefficient[2], 10);
  EXPECT_EQ(s.ConvEdgeNode1[3], s.NodeNumber(3, 1));
  EXPECT_EQ(s.ConvEdgeNode2[3], s.NodeNumber(4, 1));
  EXPECT_EQ(s.ConvEdgeCoefficient[3], 20);
  EXPECT_EQ(s.ConvEdgeAmbient[3], 2);
}

TEST(ConvectionEdges, CheckerboardHasMoreEdgesThanGridPoints) {
  const int n = 12;
  ModelSketch sketch{{1}, {{0, 1}}, {}, std::vector<double>(n, 1), std::vector<double>(n, 1), {}};
  for (int j = 0; j < n + 2; ++j) {
    std::string row;
    for (int k = 0; k < n + 2; ++k) {
      bool ring = k == 0 || j == 0 || k == n + 1 || j == n + 1;
      row += ring || (k + j) % 2 ? "B1 " : "A1 ";
    }
    sketch.rows.push_back(row);
  }
  TestRun run(sketch);
  run.RunThrough(FillResultGrid);
  // Each interior A cell has four B neighbours; ring cells are no elements.
  EXPECT_EQ(run.s.ConvEdgeCount, 4 * (n * n / 2));
  EXPECT_GT(run.s.ConvEdgeCount, run.s.GridPointCount);
}

TEST(DeterminedCheck, EveryPartNeedsAFixedNodeOrConvection) {
  // Two separate blocks: the left one cooled, the right one floating.
  TestRun run(ModelSketch{{1}, {{0, 5}}, {}, {1, 1, 1, 1}, {1},
                        {". B1 . . . .", ". A1 . A1 A1 .", ". . . . . ."}});
  EXPECT_EQ(run.ErrorThrough(CheckEveryPartIsDetermined),
            "grid point at column line 3, row line 1 (top-left corner of the cell at code row 2, "
            "column 4): undetermined temperatures: the part of the mesh that holds this point has "
            "no fixed temperature and no convection side with a non-zero coefficient");
  // A coefficient of zero determines nothing; a fixed point does.
  TestRun zero(ModelSketch{{1}, {{0, 0}}, {}, {1}, {1}, {". B1 .", ". A1 .", ". . ."}});
  EXPECT_NE(zero.ErrorThrough(CheckEveryPartIsDetermined), "no error");
  TestRun fixed(ModelSketch{{1}, {}, {3}, {1, 1}, {1}, {". . . .", ". A1 A1 C1", ". . . ."}});
  EXPECT_EQ(fixed.ErrorThrough(CheckEveryPartIsDetermined), "no error");
}

}  // namespace
}  // namespace kelvane::testing
