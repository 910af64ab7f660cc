#include "detail/dxf_drawing.h"

#include <gtest/gtest.h>

#include "detail/dxf_test_util.h"
#include "platform/error.h"

namespace kelvane::testing {
namespace {

std::string DxfError(const std::string& text) {
  try {
    ParseDxf(text, "f.dxf");
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

const std::string kStart = "0\nSECTION\n2\nENTITIES\n";
const std::string kEnd = "0\nENDSEC\n0\nEOF\n";

struct Refusal {
  const char* what;
  std::string text;
  std::string message;
};

TEST(DxfDrawing, RefusesWhatIsNoDrawingOrWouldRunTheLibraryAway) {
  const std::string prefix = "f.dxf: syntax error: ";
  const Refusal kRefusals[] = {
      {"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "\x00\x01",
       "f.dxf: invalid value: a binary DXF file, which is not read: save the drawing as ASCII "
       "DXF"},
      {"a detail file", "[grid]\nmax_cell = 10\n",
       prefix + "not a DXF drawing: line 1 holds no group code, where a DXF file begins with 0 "
                "and SECTION"},
      {"empty", "", prefix + "not a DXF drawing: it does not begin with the group code 0 and "
                             "SECTION"},
      {"comments only", "999\nhello\n",
       prefix + "not a DXF drawing: it does not begin with the group code 0 and SECTION"},
      {"an entity first", "0\nLINE\n8\n0\n",
       prefix + "not a DXF drawing: it does not begin with the group code 0 and SECTION"},
      {"NUL", kStart + std::string("0\nLI\0NE\n", 8) + kEnd,
       prefix + "not a DXF drawing: line 6 holds a NUL byte, which no text file does"},
      {"long line", kStart + "0\nTEXT\n1\n" + std::string(1001, 'x') + "\n" + kEnd,
       prefix + "line 8 is longer than 1000 bytes, more than a DXF line holds"},
      {"no code", kStart + "0\nLINE\nten\n5\n" + kEnd,
       prefix + "line 7 holds \"ten\" where a group code (a whole number) belongs"},
      {"value missing", kStart + "0\nLINE\n10", prefix + "the file ends after the group code on "
                                                         "line 7, without its value"},
      {"vertex count too large",
       kStart + "0\nLWPOLYLINE\n90\n1000000000\n10\n0\n20\n0\n" + kEnd,
       prefix + "line 7: the LWPOLYLINE's vertex count 1000000000 is not the 1 that follow"},
      {"vertex count below 0", kStart + "0\nLWPOLYLINE\n90\n-5\n" + kEnd,
       prefix + "line 7: the LWPOLYLINE's vertex count -5 is not the 0 that follow"},
      {"two counts", kStart + "0\nLWPOLYLINE\n90\n1\n10\n0\n20\n0\n90\n1\n" + kEnd,
       prefix + "line 13: a second vertex count in one LWPOLYLINE"},
      {"data before its count", kStart + "0\nSPLINE\n10\n0\n73\n1\n" + kEnd,
       prefix + "line 7: SPLINE data before its control point count"},
      {"knot count", kStart + "0\nSPLINE\n72\n99\n40\n0\n" + kEnd,
       prefix + "line 7: the SPLINE's knot count 99 is not the 1 that follow"},
      {"leader", kStart + "0\nLEADER\n76\n3\n10\n0\n" + kEnd,
       prefix + "line 7: the LEADER's vertex count 3 is not the 1 that follow"},
  };
  for (const Refusal& r : kRefusals) EXPECT_EQ(DxfError(r.text), r.message) << r.what;
}

TEST(DxfDrawing, ReadsEntitiesLayersBlocksAndUnits) {
  const std::string blocks = DxfBlock("B", 5, 6, DxfCircle("0", 1, 2, 3));
  const std::string entities =
      DxfLine("A", 0, 0, 10, 0) + DxfArc("A", 1, 2, 3, 10, 80) +
      DxfPolyline("B", {{0, 0, 0.5}, {10, 0}, {10, 10}}, true, true) + DxfText("NOTES", "hello") +
      DxfInsert("C", "B", 100, 200, 2, 3, 45) +
      DxfHatch("H", {{{0, 0}, {4, 0}, {4, 4, 1}}}) +
      "0\nLINE\n8\nPAPER\n67\n1\n10\n0\n20\n0\n11\n1\n21\n1\n";
  const DxfDrawing d = ParseDxf(DxfFile(entities, blocks, 6, {"0", "A", "B"}), "f.dxf");
  EXPECT_EQ(d.insunits, 6);
  EXPECT_EQ(d.table_layers, (std::vector<std::string>{"0", "A", "B"}));
  ASSERT_EQ(d.entities.size(), 7u);
  const DxfEntity& line = d.entities[0];
  EXPECT_EQ(line.kind, DxfKind::kLine);
  EXPECT_EQ(line.layer, "A");
  EXPECT_EQ(line.points[1].x, 10);
  const DxfEntity& arc = d.entities[1];
  EXPECT_EQ(arc.kind, DxfKind::kArc);
  EXPECT_EQ(arc.radius, 3);
  EXPECT_EQ(arc.end, 80);
  const DxfEntity& polyline = d.entities[2];
  EXPECT_EQ(polyline.kind, DxfKind::kPolyline);
  EXPECT_TRUE(polyline.closed);
  EXPECT_TRUE(polyline.mirrored);
  EXPECT_EQ(polyline.bulges, (std::vector<double>{0.5, 0, 0}));
  EXPECT_EQ(d.entities[3].kind, DxfKind::kOther);
  EXPECT_EQ(d.entities[3].what, "TEXT");
  const DxfEntity& insert = d.entities[4];
  EXPECT_EQ(insert.kind, DxfKind::kInsert);
  EXPECT_EQ(insert.block, "B");
  EXPECT_EQ(insert.scale.y, 3);
  EXPECT_EQ(insert.rotation, 45);
  // The hatch's one path, its seed point left out.
  const DxfEntity& hatch = d.entities[5];
  EXPECT_EQ(hatch.kind, DxfKind::kHatch);
  std::size_t edges = 0;
  for (const auto& loop : hatch.loops) edges += loop.size();
  ASSERT_EQ(edges, 1u);
  const DxfEntity& path = hatch.loops.back().front();
  EXPECT_EQ(path.points.size(), 3u);
  EXPECT_EQ(path.bulges[2], 1);
  EXPECT_EQ(d.entities[6].what, "a paper-space entity");
  ASSERT_EQ(d.blocks.count("B"), 1u);
  EXPECT_EQ(d.blocks.at("B").base.y, 6);
  ASSERT_EQ(d.blocks.at("B").entities.size(), 1u);
  EXPECT_EQ(d.blocks.at("B").entities[0].kind, DxfKind::kCircle);
}

}  // namespace
}  // namespace kelvane::testing
