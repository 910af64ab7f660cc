#include "detail/detail_file.h"

#include <gtest/gtest.h>

#include "detail/detail_test_util.h"
#include "platform/error.h"

namespace kelvane::testing {
namespace {

// The shapes come first and the names after: a fill may name what the file
// defines further down, and tables are numbered in file order, not by name.
const char kDetail[] = R"(title = "A wall"
[[shape]]
fill = "z-brick"
rect = [200, 3000, 0, 0]
[[shape]]
fill = "pipe"
circle = [100, 1500, 10]
cell = 0.5
[[shape]]
fill = "void"
polygon = [[0, 0], [100, 0], [100, 50]]

[grid]
max_cell = 10
fine = 1
growth = 1.3

[materials]
z-brick = 0.8
"a wool" = 0.035

[conditions]
outside = { ambient = -10, h = 25 }
inside = { ambient = 20, resistance = 0.125 }

[fixed]
pipe = 45

[probes]
corner = [200, 3000]
)";

TEST(DetailFile, AMaterialAsATableGivesItsConductivityAndColour) {
  const DetailFile d = ParseDetail(
      "[grid]\nmax_cell = 1\n[materials]\nbrick = { lambda = 0.8, colour = \"#B5523b\" }\n"
      "wool = { lambda = 0.035 }\nconcrete = 2.3\n",
      "d.toml");
  ASSERT_EQ(d.materials.size(), 3u);
  EXPECT_EQ(d.materials[0].conductivity, 0.8);
  EXPECT_EQ(d.materials[0].colour, 0xB5523Bu);
  EXPECT_EQ(d.materials[1].conductivity, 0.035);
  EXPECT_FALSE(d.materials[1].colour);
  EXPECT_FALSE(d.materials[2].colour);
}

TEST(DetailFile, ReadsThePictureWindowAndTheReportHeader) {
  const DetailFile d = ParseDetail(
      "[grid]\nmax_cell = 1\n[picture]\nwindow = [-1500, -1500.5, 1500, 1860]\n"
      "[report]\nproject = \"Tower <A>\"\nreference = \"D-12\"\n",
      "d.toml");
  ASSERT_TRUE(d.picture_window);
  EXPECT_EQ(d.picture_window->x0, -1500);
  EXPECT_EQ(d.picture_window->y0, -1500.5);
  EXPECT_EQ(d.picture_window->x1, 1500);
  EXPECT_EQ(d.picture_window->y1, 1860);
  EXPECT_EQ(d.header, (ReportHeader{"Tower <A>", "", "", "D-12"}));
  EXPECT_FALSE(ParseDetail("[grid]\nmax_cell = 1\n[picture]\n", "d.toml").picture_window);
}

TEST(DetailFile, ReadsEveryTableInFileOrder) {
  const DetailFile d = ParseDetail(kDetail, "d.toml");
  EXPECT_EQ(d.title, "A wall");
  EXPECT_EQ(d.grid.max_cell, 10);
  EXPECT_EQ(d.grid.fine, 1);
  EXPECT_EQ(d.grid.growth, 1.3);
  ASSERT_EQ(d.materials.size(), 2u);
  EXPECT_EQ(d.materials[0].name, "z-brick");
  EXPECT_EQ(d.materials[1].name, "a wool");
  EXPECT_EQ(d.materials[1].conductivity, 0.035);
  ASSERT_EQ(d.conditions.size(), 2u);
  EXPECT_EQ(d.conditions[0].name, "outside");
  EXPECT_EQ(d.conditions[0].h, 25);
  EXPECT_FALSE(d.conditions[0].resistance);
  EXPECT_EQ(d.conditions[1].h, 8);  // 1 / 0.125
  EXPECT_EQ(d.conditions[1].resistance, 0.125);
  ASSERT_EQ(d.fixed.size(), 1u);
  EXPECT_EQ(d.fixed[0].temperature, 45);

  ASSERT_EQ(d.shapes.size(), 3u);
  const Shape& rect = d.shapes[0];
  EXPECT_EQ(rect.kind, ShapeKind::kRect);
  EXPECT_EQ(rect.fill.kind, FillKind::kMaterial);
  EXPECT_EQ(rect.fill.index, 0);
  // Any two opposite corners.
  EXPECT_EQ(rect.rect.x0, 0);
  EXPECT_EQ(rect.rect.y0, 0);
  EXPECT_EQ(rect.rect.x1, 200);
  EXPECT_EQ(rect.rect.y1, 3000);
  const Shape& circle = d.shapes[1];
  EXPECT_EQ(circle.kind, ShapeKind::kCircle);
  EXPECT_EQ(circle.fill.kind, FillKind::kFixed);
  EXPECT_EQ(circle.centre.y, 1500);
  EXPECT_EQ(circle.radius, 10);
  EXPECT_EQ(circle.cell, 0.5);
  EXPECT_EQ(d.shapes[2].fill.kind, FillKind::kVoid);
  EXPECT_EQ(d.shapes[2].vertices.size(), 3u);
  EXPECT_EQ(FillName(d, circle.fill), "pipe");
  EXPECT_EQ(FillName(d, d.shapes[2].fill), "void");

  ASSERT_EQ(d.probes.size(), 1u);
  EXPECT_EQ(d.probes[0].point.x, 200);
  EXPECT_EQ(d.probes[0].point.y, 3000);
}

TEST(DetailFile, AcceptsTheEmptiestFileAndInlineShapes) {
  const DetailFile d = ParseDetail(
      "grid = { max_cell = 5 }\nmaterials = { m = 1 }\n"
      "shape = [{ fill = \"m\", rect = [0, 0, 1, 1] }]\n",
      "d.toml");
  EXPECT_EQ(d.title, "");
  EXPECT_FALSE(d.grid.fine);
  ASSERT_EQ(d.shapes.size(), 1u);
  EXPECT_TRUE(d.conditions.empty());
  EXPECT_TRUE(ParseDetail("[grid]\nmax_cell = 1\n", "d.toml").shapes.empty());
}

// Names beyond ASCII stand in quotes; toml++ 3.3 tests such letters for
// blanks on a branch it marks unreachable, which the library's build turns
// into "not a blank".
TEST(DetailFile, ReadsQuotedNamesBeyondAscii) {
  const DetailFile d = ParseDetail(
      "[grid]\nmax_cell = 1\n[materials]\n\"W\xC3\xA4rmed\xC3\xA4mmung \xCE\xBB\" = 0.035\n"
      "[[shape]]\nfill = \"W\xC3\xA4rmed\xC3\xA4mmung \xCE\xBB\"\nrect = [0, 0, 1, 1]\n",
      "d.toml");
  ASSERT_EQ(d.materials.size(), 1u);
  EXPECT_EQ(d.materials[0].name, "W\xC3\xA4rmed\xC3\xA4mmung \xCE\xBB");
  EXPECT_EQ(d.shapes[0].fill.kind, FillKind::kMaterial);
}

std::string ReadError(const std::string& text) {
  try {
    ParseDetail(text, "d.toml");
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

struct Refusal {
  const char* text;
  const char* message;
};

// Every refusal names the file, line and column of what is wrong.
const Refusal kRefusals[] = {
    {"[grid\nmax_cell = 1\n",
     "d.toml:1:6: syntax error: Error while parsing table header: expected ']', saw '\\n'"},
    {"[grid]\nmax_cell = 1\nmax_cell = 2\n",
     "d.toml:3:12: syntax error: Error while parsing key-value pair: cannot redefine existing "
     "integer 'max_cell'"},
    {"[grid]\n# \xC3\xA9t\xC3\xA9\x01\nmax_cell = 1\n",
     "d.toml:2:6: syntax error: the control character 0x01 may stand only as an escape in a "
     "string"},
    {"[grid]\nmax_cell = 1 \xC2\xB0\n",
     "d.toml:2:14: syntax error: Error while parsing key-value pair: expected a comment or "
     "whitespace, saw '\xC2\xB0'"},
    {"", "d.toml: missing key: the file has no [grid] table with max_cell"},
    {"[gird]\nmax_cell = 1\n",
     "d.toml:1:2: unknown key: \"gird\"; a detail file knows title, grid, materials, conditions, "
     "fixed, drawing, shape, probes, environments, psi, case, condensation, cavities, frame, "
     "picture, report"},
    {"psi = 1\ngrid = { max_cell = 1 }\n",
     "d.toml:1:7: type mismatch: psi must be a table [psi] or tables [[psi]], not an integer"},
    {"case = [1]\ngrid = { max_cell = 1 }\n",
     "d.toml:1:9: type mismatch: each [[case]] must be a table, not an integer"},
    {"[grid]\nmax_cell = 1\nmax_cel = 2\n",
     "d.toml:3:1: unknown key: \"max_cel\" in [grid], which knows max_cell, fine, growth"},
    {"title = 3\n", "d.toml:1:9: type mismatch: title must be a string, not an integer"},
    {"grid = 3\n", "d.toml:1:8: type mismatch: grid must be a table, not an integer"},
    {"[grid]\nfine = 1\ngrowth = 1.2\n", "d.toml:1:1: missing key: [grid] needs max_cell"},
    {"[grid]\nmax_cell = \"10\"\n",
     "d.toml:2:12: type mismatch: max_cell must be a number, not a string"},
    {"[grid]\nmax_cell = -1\n", "d.toml:2:12: invalid value: max_cell must be above 0, not -1"},
    {"[grid]\nmax_cell = 0\n", "d.toml:2:12: invalid value: max_cell must be above 0, not 0"},
    {"[grid]\nmax_cell = nan\n",
     "d.toml:2:12: invalid value: max_cell must be a finite number, not nan"},
    {"[grid]\nmax_cell = inf\n",
     "d.toml:2:12: invalid value: max_cell must be a finite number, not inf"},
    {"[grid]\nmax_cell = 1\nfine = 1\n", "d.toml:3:8: missing key: fine needs growth beside it"},
    {"[grid]\nmax_cell = 1\ngrowth = 1.2\n",
     "d.toml:3:10: missing key: growth needs fine beside it"},
    {"[grid]\nmax_cell = 1\nfine = 1\ngrowth = 0.9\n",
     "d.toml:4:10: invalid value: growth must be 1 or more, not 0.9"},
    {"[grid]\nmax_cell = 1\n[materials]\nconcrete = 0\n",
     "d.toml:4:12: invalid value: the conductivity of \"concrete\" must lie between 1E-05 and "
     "100000 W/(m K), not 0"},
    {"[grid]\nmax_cell = 1\n[materials]\nsteel = 1e300\n",
     "d.toml:4:9: invalid value: the conductivity of \"steel\" must lie between 1E-05 and 100000 "
     "W/(m K), not 1E+300"},
    {"[grid]\nmax_cell = 1\n[materials]\nwool = 1e-8\n",
     "d.toml:4:8: invalid value: the conductivity of \"wool\" must lie between 1E-05 and 100000 "
     "W/(m K), not 1E-08"},
    {"[grid]\nmax_cell = 1\n[materials]\nconcrete = true\n",
     "d.toml:4:12: type mismatch: the conductivity of \"concrete\" must be a number, not a "
     "boolean"},
    {"[grid]\nmax_cell = 1\n[materials]\nbrick = { colour = \"#aa0000\" }\n",
     "d.toml:4:9: missing key: material \"brick\" must be one of { lambda = 0.8 }, { x = 0.5, y "
     "= 0.2 }, { library = \"...\" } and { cavity = \"unventilated\" }"},
    {"[grid]\nmax_cell = 1\n[materials]\nbrick = { lambda = 0.8, color = \"#aa0000\" }\n",
     "d.toml:4:25: unknown key: \"color\" in material \"brick\", which knows lambda, x, y, library, cavity, emissivity, colour"},
    {"[grid]\nmax_cell = 1\n[materials]\nbrick = { lambda = 0, colour = \"#aa0000\" }\n",
     "d.toml:4:20: invalid value: the conductivity of \"brick\" must lie between 1E-05 and "
     "100000 W/(m K), not 0"},
    {"[grid]\nmax_cell = 1\n[materials]\nbrick = { lambda = 0.8, colour = 0xaa0000 }\n",
     "d.toml:4:34: type mismatch: colour of material \"brick\" must be a string such as "
     "\"#c05030\", not an integer"},
    {"[grid]\nmax_cell = 1\n[materials]\nbrick = { lambda = 0.8, colour = \"aa0000\" }\n",
     "d.toml:4:34: invalid value: colour of material \"brick\" must be \"#\" and six "
     "hexadecimal digits, as in \"#c05030\", not \"aa0000\""},
    {"[grid]\nmax_cell = 1\n[materials]\nbrick = { lambda = 0.8, colour = \"#aa00\" }\n",
     "d.toml:4:34: invalid value: colour of material \"brick\" must be \"#\" and six "
     "hexadecimal digits, as in \"#c05030\", not \"#aa00\""},
    {"[grid]\nmax_cell = 1\n[materials]\nbrick = { lambda = 0.8, colour = \"#-a0000\" }\n",
     "d.toml:4:34: invalid value: colour of material \"brick\" must be \"#\" and six "
     "hexadecimal digits, as in \"#c05030\", not \"#-a0000\""},
    {"[grid]\nmax_cell = 1\n[materials]\nbrick = { lambda = 0.8, colour = \"#gg0000\" }\n",
     "d.toml:4:34: invalid value: colour of material \"brick\" must be \"#\" and six "
     "hexadecimal digits, as in \"#c05030\", not \"#gg0000\""},
    {"[grid]\nmax_cell = 1\n[picture]\nwindow = [0, 0, 10]\n",
     "d.toml:4:10: invalid value: window must have 4 numbers [x0, y0, x1, y1], not 3"},
    {"[grid]\nmax_cell = 1\n[picture]\nwindow = [0, 10, 10, 5]\n",
     "d.toml:4:10: invalid value: window [x0, y0, x1, y1] must have x1 above x0 and y1 above "
     "y0, not [0, 10, 10, 5]"},
    {"[grid]\nmax_cell = 1\n[picture]\nzoom = 2\n",
     "d.toml:4:1: unknown key: \"zoom\" in [picture], which knows window"},
    {"[grid]\nmax_cell = 1\n[report]\nproject = 7\n",
     "d.toml:4:11: type mismatch: project of [report] must be a string, not an integer"},
    {"[grid]\nmax_cell = 1\n[report]\nengineer = \"A\"\n",
     "d.toml:4:1: unknown key: \"engineer\" in [report], which knows project, client, author, "
     "reference"},
    {"[grid]\nmax_cell = 1\n[materials]\nvoid = 1\n",
     "d.toml:4:1: invalid value: the name \"void\" is kept for regions left empty"},
    {"[grid]\nmax_cell = 1\n[materials]\n\"\" = 1\n",
     "d.toml:4:1: invalid value: a name must not be empty"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = 20\n",
     "d.toml:4:6: type mismatch: condition \"in\" must be a table such as { ambient = 20, "
     "resistance = 0.13 }, not an integer"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { ambient = 20, h = 8, resistance = 0.13 }\n",
     "d.toml:4:6: invalid value: condition \"in\" has both h and resistance; give one"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { ambient = 20 }\n",
     "d.toml:4:6: missing key: condition \"in\" needs h or resistance"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { h = 8 }\n",
     "d.toml:4:6: missing key: condition \"in\" needs ambient"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { ambient = 20, resistance = 0 }\n",
     "d.toml:4:35: invalid value: resistance of condition \"in\" must lie between 1E-07 and "
     "10000 m\xC2\xB2 K/W, not 0"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { ambient = 20, resistance = 1e-300 }\n",
     "d.toml:4:35: invalid value: resistance of condition \"in\" must lie between 1E-07 and "
     "10000 m\xC2\xB2 K/W, not 1E-300"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { ambient = 20, h = 1e14 }\n",
     "d.toml:4:26: invalid value: h of condition \"in\" must be 0 or lie between 0.0001 and "
     "10000000 W/(m\xC2\xB2 K), not 100000000000000"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { ambient = -1e308, h = 8 }\n",
     "d.toml:4:18: invalid value: ambient of condition \"in\" must lie between -10000 and 10000, "
     "not -1E+308"},
    {"[grid]\nmax_cell = 1\n[fixed]\npipe = 1e308\n",
     "d.toml:4:8: invalid value: the temperature of \"pipe\" must lie between -10000 and 10000, "
     "not 1E+308"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { ambient = 20, h = -8 }\n",
     "d.toml:4:26: invalid value: h of condition \"in\" must be 0 or lie between 0.0001 and "
     "10000000 W/(m\xC2\xB2 K), not -8"},
    {"[grid]\nmax_cell = 1\n[conditions]\nin = { ambient = 20, hh = 8 }\n",
     "d.toml:4:22: unknown key: \"hh\" in condition \"in\", which knows ambient, h, resistance"},
    {"[grid]\nmax_cell = 1\n[materials]\npipe = 1\n[fixed]\npipe = 45\n",
     "d.toml:6:1: duplicate name: \"pipe\" names a material already, at line 4, column 1"},
    {"[grid]\nmax_cell = 1\n[fixed]\npipe = 45\n[conditions]\npipe = { ambient = 1, h = 1 }\n",
     "d.toml:6:1: duplicate name: \"pipe\" names a fixed temperature already, at line 4, "
     "column 1"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"concerte\"\nrect = [0, 0, 1, 1]\n",
     "d.toml:4:8: unknown name: fill \"concerte\" names no material, condition or fixed "
     "temperature"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = 1\nrect = [0, 0, 1, 1]\n",
     "d.toml:4:8: type mismatch: fill must be a string, not an integer"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nrect = [0, 0, 1, 1]\n",
     "d.toml:3:1: missing key: [[shape]] needs fill"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\n",
     "d.toml:3:1: missing key: [[shape]] needs one of rect, circle, polygon and layer"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = [0, 0, 1, 1]\ncircle = [0, 0, 1]\n",
     "d.toml:6:1: invalid value: a shape is one of rect, circle, polygon and layer, not both "
     "rect and circle"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = [0, 0, 1, 1]\ncolour = 1\n",
     "d.toml:6:1: unknown key: \"colour\" in [[shape]], which knows fill, rect, circle, polygon, "
     "layer, cell"},
    {"[grid]\nmax_cell = 1\n[shape]\nfill = \"void\"\n",
     "d.toml:3:1: type mismatch: shape must be an array of tables, each one [[shape]], not a "
     "table"},
    {"shape = [1]\n[grid]\nmax_cell = 1\n",
     "d.toml:1:10: type mismatch: each [[shape]] must be a table, not an integer"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = [0, 0, 0, 100]\n",
     "d.toml:5:8: invalid value: the rect has no width: x0 and x1, y0 and y1 must differ"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = [50, 0, 50.0000000000001, 9]\n",
     "d.toml:5:8: invalid value: the rect is 9.9475983006414E-14 mm wide, too little to tell its "
     "sides apart from rounding"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = [0, 5, 100, 5]\n",
     "d.toml:5:8: invalid value: the rect has no height: x0 and x1, y0 and y1 must differ"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = [0, 0, 1]\n",
     "d.toml:5:8: invalid value: rect must have 4 numbers [x0, y0, x1, y1], not 3"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = \"0 0 1 1\"\n",
     "d.toml:5:8: type mismatch: rect must be an array [x0, y0, x1, y1], not a string"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = [0, 0, 1, \"1\"]\n",
     "d.toml:5:18: type mismatch: number 4 of rect must be a number, not a string"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\nrect = [0, 0, 1, 1e12]\n",
     "d.toml:5:18: invalid value: number 4 of rect must lie within 1E+09 mm of 0, not "
     "1000000000000"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\ncircle = [0, 0, 0]\n",
     "d.toml:5:10: invalid value: the circle's radius must be above 0, not 0"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\npolygon = [[0, 0], [1, 1]]\n",
     "d.toml:5:11: invalid value: a polygon needs 3 to 10000 vertices, not 2"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\npolygon = [[0, 0], [1, 1], [1]]\n",
     "d.toml:5:28: invalid value: vertex 3 of the polygon must have 2 numbers [x, y], not 1"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\npolygon = [[0, 0], [1, 0], [1, 1], "
     "[0, 0]]\n",
     "d.toml:5:36: invalid value: vertex 4 of the polygon repeats vertex 1; the outline closes by "
     "itself: leave the last vertex out"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\npolygon = [[0, 0], [1, 0], [1, 0], "
     "[0, 1]]\n",
     "d.toml:5:28: invalid value: vertex 3 of the polygon repeats vertex 2; leave one of them out"},
    {"title = \"wall\n[grid]\nmax_cell = 1\n",
     "d.toml:1:9: syntax error: unterminated string: the string that begins here does not end"},
    {"[grid]\nmax_cell = 1 # \"quoted\nfine = 'x\n",
     "d.toml:3:8: syntax error: unterminated string: the string that begins here does not end"},
    {"title = \"\"\"a\nb\n[grid]\nmax_cell = 1\n",
     "d.toml:1:9: syntax error: unterminated string: the string that begins here does not end"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\npolygon = [[0, 0], [1, 1], [1, 0], "
     "[0, 1]]\n",
     "d.toml:5:11: invalid value: the polygon's sides 1 and 3 meet (side n runs from vertex n to "
     "the next); an outline must not cross itself"},
    {"[grid]\nmax_cell = 1\n[[shape]]\nfill = \"void\"\ncell = 0\nrect = [0, 0, 1, 1]\n",
     "d.toml:5:8: invalid value: cell must be above 0, not 0"},
    {"[grid]\nmax_cell = 1\n[probes]\np = [1, 2, 3]\n",
     "d.toml:4:5: invalid value: probe \"p\" must have 2 numbers [x, y], not 3"},
};

TEST(DetailFile, RefusalsNameTheLineAndColumn) {
  for (const Refusal& r : kRefusals) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(ReadError(r.text), r.message);
  }
}

// The psi and case tables name conditions and fixed temperatures that may
// come further down.
const char kAnswers[] = R"([grid]
max_cell = 10
[psi]
between = ["outside", "inside"]
flanking = [
  { u = 0.35, length = 1000 },
  { from = [-100, 2500], to = [400, 2500.5], length = 1200 },
]
[[case]]
name = "condensation"
outside = { ambient = -5 }
inside = { ambient = 20, resistance = 0.25 }
[[case]]
name = "hot pipe"
pipe = 50
inside = { h = 8 }
[conditions]
inside = { ambient = 20, resistance = 0.13 }
outside = { ambient = -10, h = 25 }
[fixed]
pipe = 45
)";

TEST(DetailFile, ReadsPsiAndCases) {
  const DetailFile d = ParseDetail(kAnswers, "d.toml");
  ASSERT_EQ(d.psi.size(), 1u);
  const PsiEntry& psi = d.psi[0];
  EXPECT_EQ(psi.between[0], (Target{-1, {FillKind::kCondition, 1}}));
  EXPECT_EQ(psi.between[1], (Target{-1, {FillKind::kCondition, 0}}));
  EXPECT_EQ(d.PlaceOf(psi.at), "d.toml:3:1");
  EXPECT_EQ(d.PlaceOf(psi.between_at), "d.toml:4:11");
  ASSERT_EQ(psi.flanking.size(), 2u);
  EXPECT_EQ(psi.flanking[0].u, 0.35);
  EXPECT_FALSE(psi.flanking[0].from);
  EXPECT_EQ(psi.flanking[0].length, 1000);
  EXPECT_EQ(d.PlaceOf(psi.flanking[0].at), "d.toml:6:3");
  EXPECT_FALSE(psi.flanking[1].u);
  EXPECT_EQ(psi.flanking[1].from->x, -100);
  EXPECT_EQ(psi.flanking[1].to->y, 2500.5);
  EXPECT_EQ(psi.flanking[1].length, 1200);

  ASSERT_EQ(d.cases.size(), 2u);
  const CaseEntry& condensation = d.cases[0];
  EXPECT_EQ(condensation.name, "condensation");
  EXPECT_EQ(d.PlaceOf(condensation.at), "d.toml:9:1");
  ASSERT_EQ(condensation.overrides.size(), 2u);
  const CaseOverride& outside = condensation.overrides[0];
  EXPECT_EQ(outside.target, (Target{-1, {FillKind::kCondition, 1}}));
  EXPECT_EQ(outside.ambient, -5);
  EXPECT_FALSE(outside.h || outside.resistance || outside.temperature);
  EXPECT_EQ(d.PlaceOf(outside.at), "d.toml:11:1");
  const CaseOverride& inside = condensation.overrides[1];
  EXPECT_EQ(inside.ambient, 20);
  EXPECT_EQ(inside.resistance, 0.25);
  EXPECT_EQ(inside.h, 4);
  const CaseEntry& hot = d.cases[1];
  ASSERT_EQ(hot.overrides.size(), 2u);
  EXPECT_EQ(hot.overrides[0].target, (Target{-1, {FillKind::kFixed, 0}}));
  EXPECT_EQ(hot.overrides[0].temperature, 50);
  EXPECT_FALSE(hot.overrides[0].ambient);
  EXPECT_EQ(hot.overrides[1].h, 8);
  EXPECT_FALSE(hot.overrides[1].ambient || hot.overrides[1].resistance);

  const DetailFile plain = ParseDetail(
      "grid = { max_cell = 1 }\nfixed = { a = 1, b = 2 }\npsi = { between = [\"b\", \"a\"] }\n",
      "d.toml");
  EXPECT_EQ(plain.psi[0].between[0], (Target{-1, {FillKind::kFixed, 1}}));
  EXPECT_TRUE(plain.psi[0].flanking.empty());
  EXPECT_TRUE(plain.cases.empty());
  EXPECT_TRUE(ParseDetail("[grid]\nmax_cell = 1\n", "d.toml").psi.empty());
}

// Nine lines of names, then the table under test from line 10.
const std::string kNames =
    "[grid]\nmax_cell = 1\n[materials]\nbrick = 1\n[conditions]\nin = { ambient = 20, h = 8 }\n"
    "out = { ambient = 0, h = 25 }\n[fixed]\npipe = 45\n";

struct AnswerRefusal {
  std::string text;  // After kNames.
  std::string message;
};

const AnswerRefusal kAnswerRefusals[] = {
    {"[psi]\nflanking = []\n",
     "d.toml:10:1: missing key: [psi] needs between, such as between = [\"inside\", \"outside\"]"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflank = []\n",
     "d.toml:12:1: unknown key: \"flank\" in [psi], which knows name, between, flanking"},
    {"[psi]\nbetween = \"in\"\n",
     "d.toml:11:11: type mismatch: between must be an array of two names such as [\"inside\", "
     "\"outside\"], not a string"},
    {"[psi]\nbetween = [\"in\"]\n",
     "d.toml:11:11: invalid value: between must name two environments, not 1"},
    {"[psi]\nbetween = [\"in\", 3]\n",
     "d.toml:11:18: type mismatch: name 2 of between must be a string, not an integer"},
    {"[psi]\nbetween = [\"in\", \"ot\"]\n",
     "d.toml:11:18: unknown name: \"ot\" in between names no environment, condition or fixed temperature"},
    {"[psi]\nbetween = [\"void\", \"out\"]\n",
     "d.toml:11:12: unknown name: \"void\" in between names no environment, condition or fixed temperature"},
    {"[psi]\nbetween = [\"brick\", \"out\"]\n",
     "d.toml:11:12: invalid value: \"brick\" in between names a material, not an environment, condition or "
     "fixed temperature"},
    {"[psi]\nbetween = [\"in\", \"in\"]\n",
     "d.toml:11:18: invalid value: between names \"in\" twice; psi lies between two different "
     "environments"},
    {"[psi]\nbetween = [\"in\", \"pipe\"]\nflanking = { u = 1, length = 1 }\n",
     "d.toml:12:12: type mismatch: flanking must be an array of tables such as { u = 0.35, "
     "length = 1000 }, not a table"},
    {"[psi]\nbetween = [\"in\", \"pipe\"]\nflanking = [1]\n",
     "d.toml:12:13: type mismatch: flanking entry 1 must be a table, not an integer"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ u = 1, length = 1, l = 2 }]\n",
     "d.toml:12:34: unknown key: \"l\" in flanking entry 1, which knows u, from, to, length"},
    {"[psi]\nbetween = [\"in\", \"out\"]\n"
     "flanking = [{ u = 1, length = 1 }, { u = 1, to = [0, 0], length = 1 }]\n",
     "d.toml:12:36: invalid value: flanking entry 2 has both u and from/to; give one"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ length = 1 }]\n",
     "d.toml:12:13: missing key: flanking entry 1 needs u, or from and to"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ from = [0, 0], length = 1 }]\n",
     "d.toml:12:22: missing key: flanking entry 1 has from but no to"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ to = [0, 0], length = 1 }]\n",
     "d.toml:12:20: missing key: flanking entry 1 has to but no from"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ u = -0.1, length = 1 }]\n",
     "d.toml:12:19: invalid value: u of flanking entry 1 must be 0 or more, not -0.1"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ u = inf, length = 1 }]\n",
     "d.toml:12:19: invalid value: u of flanking entry 1 must be a finite number, not inf"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ from = [0, 0, 1], to = [0, 0] }]\n",
     "d.toml:12:22: invalid value: from of flanking entry 1 must have 2 numbers [x, y], not 3"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ u = 0.3 }]\n",
     "d.toml:12:13: missing key: flanking entry 1 needs length, mm"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ u = 0.3, length = 0 }]\n",
     "d.toml:12:33: invalid value: length of flanking entry 1 must be above 0, not 0"},
    {"[psi]\nbetween = [\"in\", \"out\"]\nflanking = [{ u = 0.3, length = 1e10 }]\n",
     "d.toml:12:33: invalid value: length of flanking entry 1 must be at most 1E+09 mm, not "
     "10000000000"},
    {"[case]\nname = \"a\"\n",
     "d.toml:10:1: type mismatch: case must be an array of tables, each one [[case]], not a "
     "table"},
    {"[[case]]\nin = { ambient = 1 }\n", "d.toml:10:1: missing key: [[case]] needs name"},
    {"[[case]]\nname = 1\n",
     "d.toml:11:8: type mismatch: the name of a case must be a string, not an integer"},
    {"[[case]]\nname = \"\"\n",
     "d.toml:11:8: invalid value: the name of a case must not be empty"},
    {"[[case]]\nname = \"a\"\n[[case]]\nname = \"a\"\n",
     "d.toml:13:8: duplicate name: \"a\" names a case already, at line 10, column 1"},
    {"[[case]]\nname = \"a\"\nni = { ambient = 1 }\n",
     "d.toml:12:1: unknown name: \"ni\" in case \"a\" names no environment, condition or fixed temperature"},
    {"[[case]]\nname = \"a\"\nbrick = 2\n",
     "d.toml:12:1: invalid value: \"brick\" in case \"a\" names a material, not an environment, condition or "
     "fixed temperature"},
    {"[[case]]\nname = \"a\"\nin = 5\n",
     "d.toml:12:6: type mismatch: condition \"in\" in case \"a\" must be a table such as "
     "{ ambient = -5, resistance = 0.25 }, not an integer"},
    {"[[case]]\nname = \"a\"\nin = { ambient = 1, t = 2 }\n",
     "d.toml:12:21: unknown key: \"t\" in condition \"in\" in case \"a\", which knows ambient, h, "
     "resistance"},
    {"[[case]]\nname = \"a\"\nin = {}\n",
     "d.toml:12:6: missing key: condition \"in\" in case \"a\" changes nothing; give ambient, h "
     "or resistance"},
    {"[[case]]\nname = \"a\"\nin = { h = 8, resistance = 0.25 }\n",
     "d.toml:12:6: invalid value: condition \"in\" in case \"a\" has both h and resistance; give "
     "one"},
    {"[[case]]\nname = \"a\"\nin = { resistance = 0 }\n",
     "d.toml:12:21: invalid value: resistance of condition \"in\" in case \"a\" must lie "
     "between 1E-07 and 10000 m\xC2\xB2 K/W, not 0"},
    {"[[case]]\nname = \"a\"\nin = { ambient = 1e5 }\n",
     "d.toml:12:18: invalid value: ambient of condition \"in\" in case \"a\" must lie between "
     "-10000 and 10000, not 100000"},
    {"[[case]]\nname = \"a\"\npipe = -20000\n",
     "d.toml:12:8: invalid value: fixed temperature \"pipe\" in case \"a\" must lie between "
     "-10000 and 10000, not -20000"},
    {"[[case]]\nname = \"a\"\nin = { h = -1 }\n",
     "d.toml:12:12: invalid value: h of condition \"in\" in case \"a\" must be 0 or lie "
     "between 0.0001 and 10000000 W/(m\xC2\xB2 K), not -1"},
    {"[[case]]\nname = \"a\"\npipe = { ambient = 1 }\n",
     "d.toml:12:8: type mismatch: fixed temperature \"pipe\" in case \"a\" must be a number, not "
     "a table"},
    // Environments.
    {"[environments]\nin = [\"out\"]\n",
     "d.toml:11:1: duplicate name: \"in\" names a condition already, at line 6, column 1"},
    {"[environments]\nroom = \"in\"\n",
     "d.toml:11:8: type mismatch: environment \"room\" must be an array of one or more names of "
     "conditions and fixed temperatures, such as [\"room wall\", \"room floor\"], not a string"},
    {"[environments]\nroom = [\"in\", \"brick\"]\n",
     "d.toml:11:15: invalid value: \"brick\" in environment \"room\" names a material, not an "
     "environment, condition or fixed temperature"},
    {"[environments]\nroom = [\"in\"]\nhall = [\"in\"]\n",
     "d.toml:12:9: duplicate name: \"in\" is in environment \"room\" already; a condition belongs "
     "to one environment"},
    {"[environments]\nroom = [\"in\", \"out\"]\n",
     "d.toml:11:1: invalid value: environment \"room\" joins \"in\" at 20 and \"out\" at 0; the "
     "conditions of one environment share its ambient"},
    {"[environments]\nroom = [\"in\"]\n[psi]\nbetween = [\"room\", \"in\"]\n",
     "d.toml:13:20: invalid value: between names \"room\" and \"in\", which share \"in\"; psi "
     "lies between two different environments"},
    // Several psi.
    {"[[psi]]\nbetween = [\"in\", \"out\"]\n",
     "d.toml:10:1: missing key: [[psi]] needs name, such as name = \"external dimensions\""},
    {"[[psi]]\nname = \"e\"\nbetween = [\"in\", \"out\"]\n[[psi]]\nname = \"e\"\n"
     "between = [\"in\", \"out\"]\n",
     "d.toml:13:1: duplicate name: [[psi]] \"e\" is named already, at line 10, column 1"},
    // Resistances by direction.
    {"[[case]]\nname = \"a\"\nin = { resistance = \"ISO 6947\" }\n",
     "d.toml:12:21: invalid value: resistance of condition \"in\" in case \"a\" must be a number, "
     "\"ISO 6946\" or a table such as { up = 0.10, side = 0.13, down = 0.17 }, not \"ISO 6947\""},
    {"[[case]]\nname = \"a\"\nin = { resistance = { up = 0.1, sides = 0.13 } }\n",
     "d.toml:12:33: unknown key: \"sides\" in resistance of condition \"in\" in case \"a\", which "
     "knows up, side, down"},
    {"[[case]]\nname = \"a\"\nin = { resistance = \"ISO 6946\" }\n",
     "d.toml:12:6: invalid value: condition \"in\" in case \"a\" gives resistances by direction "
     "to \"in\", whose own resistance is one; give it resistances by direction in [conditions] "
     "too"},
    // Condensation.
    {"[condensation]\nfrsi_min = 1.2\n",
     "d.toml:11:12: invalid value: frsi_min must be above 0 and at most 1, not 1.2"},
    {"[condensation]\ncase = \"mould\"\nfrsi_min = 0.7\n",
     "d.toml:11:8: unknown name: case \"mould\" of [condensation] names no [[case]]"},
    {"[condensation]\nfrsi_min = 0.7\ninside = { temperature = 20 }\n",
     "d.toml:11:12: invalid value: [condensation] has both frsi_min and a climate (inside, "
     "outside); give one"},
    {"[condensation]\ninside = { temperature = 20, humidity = [50] }\n"
     "outside = { temperature = [0], humidity = [80] }\n",
     "d.toml:11:41: invalid value: humidity of inside must be 12 monthly values, January first, "
     "not 1 value"},
    {"[condensation]\ninside = { temperature = 20, humidity = [50, 50, 50, 50, 50, 50, 50, 50, "
     "50, 50, 50, 0.5e3] }\noutside = { temperature = 0, humidity = 80 }\n",
     "d.toml:11:86: invalid value: humidity of inside is a relative humidity in %, from 0 to 100, "
     "not 500"},
    {"[condensation]\ninside = { temperature = 20 }\noutside = { temperature = 0 }\n",
     "d.toml:11:10: missing key: inside needs humidity (12 monthly values, %) or vapour_excess (12, "
     "g/m3); give one"},
    {"[[case]]\nname = \"a\"\nfrsi_min = 0\n",
     "d.toml:12:12: invalid value: frsi_min of case \"a\" must be above 0, not 0"},
};

TEST(DetailFile, ReadsEnvironmentsResistancesByDirectionSeveralPsiAndCondensation) {
  const DetailFile d = ParseDetail(
      kNames +
          "[conditions.floor]\nambient = 20\nresistance = \"ISO 6946\"\n"
          "[conditions.attic]\nambient = 5\nresistance = { up = 0.1, down = 0.2 }\n"
          "[environments]\nroom = [\"in\", \"floor\"]\n"
          "[[psi]]\nname = \"external\"\nbetween = [\"room\", \"out\"]\n"
          "[[psi]]\nname = \"wall only\"\nbetween = [\"in\", \"out\"]\n"
          "[[case]]\nname = \"mould\"\nfrsi_min = 0.75\nroom = { ambient = 18 }\n"
          "[condensation]\nfrsi_min = 0.7\ncase = \"mould\"\n",
      "d.toml");
  ASSERT_EQ(d.conditions.size(), 4u);
  EXPECT_EQ(d.conditions[2].by_direction, (DirectedResistance{0.10, 0.13, 0.17, true}));
  EXPECT_EQ(d.conditions[2].h, 1 / 0.13);
  EXPECT_EQ(d.conditions[3].by_direction, (DirectedResistance{0.1, 0.13, 0.2, false}));
  ASSERT_EQ(d.environments.size(), 1u);
  EXPECT_EQ(d.environments[0].members,
            (std::vector<Fill>{{FillKind::kCondition, 0}, {FillKind::kCondition, 2}}));
  EXPECT_EQ(EnvironmentOf(d, {FillKind::kCondition, 2}).environment, 0);
  EXPECT_EQ(EnvironmentOf(d, {FillKind::kCondition, 1}), (Target{-1, {FillKind::kCondition, 1}}));
  ASSERT_EQ(d.psi.size(), 2u);
  EXPECT_EQ(d.psi[0].name, "external");
  EXPECT_EQ(d.psi[0].between[0], (Target{0, {}}));
  EXPECT_EQ(d.psi[1].between[0], (Target{-1, {FillKind::kCondition, 0}}));
  ASSERT_EQ(d.cases.size(), 1u);
  EXPECT_EQ(d.cases[0].frsi_min, 0.75);
  EXPECT_EQ(d.cases[0].overrides[0].target, (Target{0, {}}));
  ASSERT_TRUE(d.condensation);
  EXPECT_EQ(d.condensation->frsi_min, 0.7);
  EXPECT_EQ(d.condensation->case_name, "mould");
}

TEST(DetailFile, PsiAndCaseRefusalsNameTheLineAndColumn) {
  for (const AnswerRefusal& r : kAnswerRefusals) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(ReadError(kNames + r.text), r.message);
  }
}

}  // namespace
}  // namespace kelvane::testing

namespace kelvane::testing {
namespace {

TEST(DetailFile, ReadsMaterialsByDirectionByNameAndCavities) {
  const DetailFile d = ParseDetail(
      "[grid]\nmax_cell = 1\n[materials]\nosb = { x = 0.13, y = 0.09 }\n"
      "slab = { library = \"reinforced concrete, 2 % steel\" }\n"
      "air = { cavity = \"unventilated\" }\n"
      "gap = { cavity = \"slightly ventilated\", emissivity = [0.9, 0.2, 0.9, 0.9] }\n"
      "metal = { cavity = \"unventilated\", emissivity = 0.3 }\n"
      "[cavities]\ntemperature_difference = 15\nmean_temperature = 5\n",
      "d.toml");
  ASSERT_EQ(d.materials.size(), 5u);
  EXPECT_EQ(d.materials[0].conductivity, 0.13);
  EXPECT_EQ(d.materials[0].conductivity_y, 0.09);
  EXPECT_TRUE(d.materials[0].Anisotropic());
  EXPECT_EQ(d.materials[1].conductivity, 2.5);
  EXPECT_EQ(d.materials[1].conductivity_y, 2.5);
  EXPECT_EQ(d.materials[1].library, "reinforced concrete, 2 % steel");
  EXPECT_EQ(d.materials[1].source, "EN ISO 10456:2007, Table 3");
  EXPECT_EQ(d.materials[2].cavity, (CavityFill{CavityKind::kUnventilated, {0.9, 0.9, 0.9, 0.9}}));
  EXPECT_EQ(d.materials[3].cavity,
            (CavityFill{CavityKind::kSlightlyVentilated, {0.9, 0.2, 0.9, 0.9}}));
  EXPECT_EQ(d.materials[4].cavity->emissivity, (std::array<double, 4>{0.3, 0.3, 0.3, 0.3}));
  EXPECT_EQ(d.cavities.temperature_difference, 15);
  EXPECT_EQ(d.cavities.mean_temperature, 5);
  // A plain number stays isotropic; without [cavities], the standard's values.
  const DetailFile plain = ParseDetail(kDetail, "d.toml");
  EXPECT_EQ(plain.materials[1].conductivity_y, 0.035);
  EXPECT_FALSE(plain.materials[1].cavity);
  EXPECT_EQ(plain.cavities.temperature_difference, 10);
  EXPECT_EQ(plain.cavities.mean_temperature, 10);
}

TEST(DetailFile, ReadsTheFrame) {
  const DetailFile d = ParseDetail(kNames +
                                       "[environments]\nroom = [\"in\"]\n[frame]\n"
                                       "between = [\"room\", \"out\"]\n"
                                       "panel = { from = [250, 74], to = [250, 100], visible = 190 }\n"
                                       "width = 48\n",
                                   "d.toml");
  ASSERT_TRUE(d.frame);
  EXPECT_EQ(d.frame->between[0], (Target{0, {}}));
  EXPECT_EQ(d.frame->between[1], (Target{-1, {FillKind::kCondition, 1}}));
  EXPECT_EQ(d.frame->panel.from->x, 250);
  EXPECT_EQ(d.frame->panel.to->y, 100);
  EXPECT_FALSE(d.frame->panel.u);
  EXPECT_EQ(d.frame->panel.length, 190);
  EXPECT_EQ(d.frame->width, 48);
  const DetailFile given = ParseDetail(
      kNames + "[frame]\nbetween = [\"in\", \"out\"]\npanel = { u = 1.03, visible = 190 }\nwidth = 48\n",
      "d.toml");
  EXPECT_EQ(given.frame->panel.u, 1.03);
  EXPECT_FALSE(given.frame->panel.from);
  EXPECT_FALSE(ParseDetail(kNames, "d.toml").frame);
}

// Line 4 holds the material under test.
const std::string kMaterials = "[grid]\nmax_cell = 1\n[materials]\n";

const Refusal kMaterialRefusals[] = {
    {"osb = { x = 0.13, y = 0 }\n",
     "d.toml:4:23: invalid value: y of material \"osb\" must lie between 1E-05 and 100000 W/(m K), "
     "not 0"},
    {"osb = { x = -0.13, y = 0.09 }\n",
     "d.toml:4:13: invalid value: x of material \"osb\" must lie between 1E-05 and 100000 W/(m K), "
     "not -0.13"},
    {"osb = { x = 0.13 }\n",
     "d.toml:4:7: missing key: material \"osb\" needs both x and y, its conductivities along each, "
     "W/(m K)"},
    {"osb = { x = 0.13, z = 0.1 }\n",
     "d.toml:4:19: unknown key: \"z\" in material \"osb\", which knows lambda, x, y, "
     "library, cavity, emissivity, colour"},
    {"osb = { x = \"0.13\", y = 0.1 }\n",
     "d.toml:4:13: type mismatch: x of material \"osb\" must be a number, not a string"},
    {"osb = {}\n",
     "d.toml:4:7: missing key: material \"osb\" must be one of { lambda = 0.8 }, { x = 0.5, y = 0.2 }, { library = "
     "\"...\" } and { cavity = \"unventilated\" }"},
    {"osb = { x = 1, y = 1, library = \"steel\" }\n",
     "d.toml:4:7: invalid value: material \"osb\" must be one of { lambda = 0.8 }, { x = 0.5, y = 0.2 }, { library = "
     "\"...\" } and { cavity = \"unventilated\" }, not several"},
    {"c = { library = \"reinforced concrete 2 % steel\" }\n",
     "d.toml:4:17: unknown name: library \"reinforced concrete 2 % steel\" names no entry of "
     "kelvane2d --materials; the nearest are \"reinforced concrete, 2 % steel\", \"reinforced "
     "concrete, 1 % steel\", \"concrete, 2000 kg/m3\""},
    {"c = { library = 2.3 }\n",
     "d.toml:4:17: type mismatch: library must be the name of an entry of kelvane2d --materials, "
     "not a floating-point number"},
    {"air = { cavity = \"ventilated\" }\n",
     "d.toml:4:18: invalid value: cavity of material \"air\" must be \"unventilated\" or \"slightly "
     "ventilated\" (a well-ventilated cavity is drawn as the outside condition), not "
     "\"ventilated\""},
    {"air = { cavity = true }\n",
     "d.toml:4:18: type mismatch: cavity of material \"air\" must be \"unventilated\" or \"slightly "
     "ventilated\" (a well-ventilated cavity is drawn as the outside condition), not a boolean"},
    {"air = { cavity = \"unventilated\", emissivity = 0 }\n",
     "d.toml:4:47: invalid value: emissivity of material \"air\" must be above 0, not 0"},
    {"air = { cavity = \"unventilated\", emissivity = 1.2 }\n",
     "d.toml:4:47: invalid value: emissivity of material \"air\" must be above 0 and at most 1, not "
     "1.2"},
    {"air = { cavity = \"unventilated\", emissivity = [0.9, 0.9, -0.1, 0.9] }\n",
     "d.toml:4:58: invalid value: bottom emissivity of material \"air\" must be above 0, not -0.1"},
    {"air = { cavity = \"unventilated\", emissivity = [0.9, 0.9] }\n",
     "d.toml:4:47: invalid value: emissivity of material \"air\" must be one number or 4 [left, "
     "right, bottom, top], not 2"},
    {"wood = { x = 0.13, y = 0.13, emissivity = 0.9 }\n",
     "d.toml:4:43: invalid value: emissivity of material \"wood\" belongs to a cavity, which it is "
     "not"},
    {"a = 1\n[cavities]\ntemperature_difference = 0\n",
     "d.toml:6:26: invalid value: temperature_difference must be above 0, not 0"},
    {"a = 1\n[cavities]\nmean_temperature = -300\n",
     "d.toml:6:20: invalid value: mean_temperature must lie above -273.15 and at most 1000 °C, not "
     "-300"},
    {"a = 1\n[cavities]\nmean = 10\n",
     "d.toml:6:1: unknown key: \"mean\" in [cavities], which knows temperature_difference, "
     "mean_temperature"},
};

TEST(DetailFile, MaterialAndCavityRefusalsNameTheLineAndColumn) {
  for (const Refusal& r : kMaterialRefusals) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(ReadError(kMaterials + r.text), r.message);
  }
}

const AnswerRefusal kFrameRefusals[] = {
    {"[frame]\nbetween = [\"in\", \"out\"]\nwidth = 48\n",
     "d.toml:10:1: missing key: [frame] needs panel, such as panel = { u = 1.03, visible = 190 }"},
    {"[frame]\nbetween = [\"in\", \"out\"]\npanel = { u = 1 , visible = 190 }\n",
     "d.toml:10:1: missing key: [frame] needs width, the frame's projected width b_f in mm"},
    {"[frame]\npanel = { u = 1 , visible = 190 }\nwidth = 48\n",
     "d.toml:10:1: missing key: [frame] needs between, such as between = [\"inside\", \"outside\"]"},
    {"[frame]\nbetween = [\"in\", \"out\"]\npanel = { u = 1 }\nwidth = 48\n",
     "d.toml:12:9: missing key: panel of [frame] needs visible, the panel's visible width b_p in mm"},
    {"[frame]\nbetween = [\"in\", \"out\"]\npanel = { visible = 190 }\nwidth = 48\n",
     "d.toml:12:9: missing key: panel of [frame] needs u, or from and to across the panel's layers"},
    {"[frame]\nbetween = [\"in\", \"out\"]\npanel = { u = 1, from = [0, 0], visible = 1 }\nwidth = 1\n",
     "d.toml:12:9: invalid value: panel of [frame] has both u and from/to; give one"},
    {"[frame]\nbetween = [\"in\", \"out\"]\npanel = { u = 0, visible = 190 }\nwidth = 48\n",
     "d.toml:12:15: invalid value: u of panel of [frame] must be above 0, not 0"},
    {"[frame]\nbetween = [\"in\", \"out\"]\npanel = { u = 1, visible = 190, b = 1 }\nwidth = 48\n",
     "d.toml:12:33: unknown key: \"b\" in panel of [frame], which knows u, from, to, visible"},
    {"[frame]\nbetween = [\"in\", \"out\"]\npanel = { u = 1, visible = 190 }\nwidth = -48\n",
     "d.toml:13:9: invalid value: width of [frame] must be above 0, not -48"},
    {"[frame]\nbetween = [\"in\", \"in\"]\npanel = { u = 1, visible = 190 }\nwidth = 48\n",
     "d.toml:11:18: invalid value: between names \"in\" twice; psi lies between two different "
     "environments"},
    {"[frame]\nbetween = [\"in\", \"brick\"]\npanel = { u = 1, visible = 190 }\nwidth = 48\n",
     "d.toml:11:18: invalid value: \"brick\" in between names a material, not an environment, "
     "condition or fixed temperature"},
    {"[frame]\nbetween = [\"in\", \"out\"]\npanel = { u = 1, visible = 190 }\nwidth = 48\nu = 1\n",
     "d.toml:14:1: unknown key: \"u\" in [frame], which knows between, panel, width"},
};

TEST(DetailFile, FrameRefusalsNameTheLineAndColumn) {
  for (const AnswerRefusal& r : kFrameRefusals) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(ReadError(kNames + r.text), r.message);
  }
}

}  // namespace
}  // namespace kelvane::testing
