// The checks of what a drawing most often gets wrong: each finding with its
// place and words, and none on a plain drawing.

#include "detail/drawing_checks.h"

#include <gtest/gtest.h>

#include "detail_test_util.h"

namespace kelvane::testing {
namespace {

Warnings ChecksOf(const std::string& text) {
  const DetailFile detail = ParseDetail(text, "d.toml");
  return CheckDrawing(detail, MakeGrid(detail));
}

// A wall of "a" (lambda 1) and "b" (2), 100 mm high, with air on its left
// and the hot fixed temperature on its right; `middle` between them.
std::string Wall(const std::string& middle, const std::string& materials = "a = 1\nb = 2") {
  return "[grid]\nmax_cell = 10\n[materials]\n" + materials +
         "\n[conditions]\nair = { ambient = 20, h = 8 }\n[fixed]\nhot = 50\n"
         "[[shape]]\nfill = \"a\"\nrect = [0, 0, 100, 100]\n" + middle +
         "[[shape]]\nfill = \"air\"\nrect = [-10, 0, 0, 100]\n"
         "[[shape]]\nfill = \"hot\"\nrect = [200, 0, 210, 100]\n";
}

std::string B(const std::string& rect) { return "[[shape]]\nfill = \"b\"\nrect = " + rect + "\n"; }

TEST(DrawingChecks, NameWhatIsSuspiciousWithItsPlace) {
  const struct {
    const char* name;
    std::string text;
    Warning found;
  } cases[] = {
      {"a gap across the wall", Wall(B("[101, 0, 200, 100]")),
       {"d.toml:10:1",
        "a void of 1 \xC3\x97 100 mm between \"a\" and \"b\" at x 100 mm: void is adiabatic; draw "
        "the gap's fill"}},
      {"a void that material encloses",
       Wall(B("[100, 0, 200, 100]") + "[[shape]]\nfill = \"void\"\nrect = [120, 40, 150, 60]\n"),
       {"d.toml:16:1",
        "a void of 30 \xC3\x97 20 mm enclosed by \"b\" at x 120, y 40 mm: void is adiabatic; draw "
        "its fill (an air cavity, say)"}},
      {"a condition away from the wall",
       "[grid]\nmax_cell = 10\n[materials]\na = 1\n[conditions]\nair = { ambient = 20, h = 8 }\n"
       "[fixed]\nhot = 50\n[[shape]]\nfill = \"a\"\nrect = [0, 0, 100, 100]\n"
       "[[shape]]\nfill = \"air\"\nrect = [-40, 0, -20, 100]\n"
       "[[shape]]\nfill = \"hot\"\nrect = [100, 0, 110, 100]\n",
       {"d.toml:6:1",
        "condition \"air\" touches no material: none of its cells borders one, so it takes no "
        "heat; draw it against the surface"}},
      {"a condition strip narrower than the grid keeps",
       "[grid]\nmax_cell = 50\n[materials]\na = 1\n[conditions]\nair = { ambient = 20, h = 8 }\n"
       "[fixed]\nhot = 50\n[[shape]]\nfill = \"a\"\nrect = [0, 0, 100, 100]\n"
       "[[shape]]\nfill = \"air\"\nrect = [-1, 0, 0, 100]\n"
       "[[shape]]\nfill = \"hot\"\nrect = [100, 0, 110, 100]\n",
       {"d.toml:6:1",
        "condition \"air\" has no cell: no shape is filled with it, later shapes cover it, or its "
        "shapes are narrower than a fiftieth of the cells there, which the grid merges away"}},
      {"a conductivity too large", Wall(B("[100, 0, 200, 100]"), "a = 1\nb = 2000"),
       {"d.toml:5:1",
        "the conductivity of \"b\", 2000 W/(m K), is above 500 W/(m K), more than any building "
        "material's (copper's is 380): a unit slip?"}},
      {"a resistance given as h",
       "[grid]\nmax_cell = 10\n[materials]\na = 1\n[conditions]\nair = { ambient = 20, h = 0.13 }\n"
       "[fixed]\nhot = 50\n[[shape]]\nfill = \"a\"\nrect = [0, 0, 100, 100]\n"
       "[[shape]]\nfill = \"air\"\nrect = [-10, 0, 0, 100]\n"
       "[[shape]]\nfill = \"hot\"\nrect = [100, 0, 110, 100]\n",
       {"d.toml:6:1",
        "h of \"air\", 0.13 W/(m\xC2\xB2 K), is below 1 W/(m\xC2\xB2 K): a surface resistance given "
        "as h?"}},
      {"an h of 0",
       "[grid]\nmax_cell = 10\n[materials]\na = 1\n[conditions]\nair = { ambient = 20, h = 0 }\n"
       "[fixed]\nhot = 50\n[[shape]]\nfill = \"a\"\nrect = [0, 0, 100, 100]\n"
       "[[shape]]\nfill = \"air\"\nrect = [-10, 0, 0, 100]\n"
       "[[shape]]\nfill = \"hot\"\nrect = [100, 0, 110, 100]\n",
       {"d.toml:6:1", "h of \"air\" is 0: its surfaces pass no heat, as void does; give its h, or "
                      "draw void"}},
      {"an h given as a resistance",
       "[grid]\nmax_cell = 10\n[materials]\na = 1\n[conditions]\nair = { ambient = 20, "
       "resistance = 7.7 }\n[fixed]\nhot = 50\n[[shape]]\nfill = \"a\"\nrect = [0, 0, 100, 100]\n"
       "[[shape]]\nfill = \"air\"\nrect = [-10, 0, 0, 100]\n"
       "[[shape]]\nfill = \"hot\"\nrect = [100, 0, 110, 100]\n",
       {"d.toml:6:1",
        "the surface resistance of \"air\", 7.7 m\xC2\xB2 K/W, is above 1 m\xC2\xB2 K/W (EN ISO 6946 "
        "gives 0.04 to 0.17): an h given as a resistance?"}},
      {"a drawing in metres",
       "[grid]\nmax_cell = 0.01\n[materials]\na = 1\n[conditions]\nair = { ambient = 20, h = 8 }\n"
       "[[shape]]\nfill = \"a\"\nrect = [0, 0, 0.3, 1]\n[[shape]]\nfill = \"air\"\n"
       "rect = [-0.02, 0, 0, 1]\n",
       {"d.toml:9:8",
        "the drawing is 1 mm across, under 10 mm: a detail file is drawn in millimetres; a "
        "drawing in metres?"}},
      {"a pipe's radius in metres",
       Wall(B("[100, 0, 200, 100]") + "[[shape]]\nfill = \"hot\"\ncircle = [150, 50, 0.0085]\n"),
       {"d.toml:18:10", "this circle's radius, 0.0085 mm, is under 0.1 mm: a radius in metres?"}},
      {"a foil thinner than a tenth of a millimetre",
       Wall(B("[100, 0, 200, 100]") + B("[150, 0, 150.05, 100]")),
       {"d.toml:18:8",
        "this shape of \"b\" is 0.05 mm thick, under 0.1 mm: a layer that thin is better given as "
        "a resistance, or a unit slip?"}},
      {"a flanking length in metres",
       Wall(B("[100, 0, 200, 100]")) +
           "[psi]\nbetween = [\"air\", \"hot\"]\nflanking = [{ u = 1, length = 0.5 }]\n",
       {"d.toml:24:13",
        "the flanking length, 0.5 mm, is under 1 % of the drawing's 220 mm: lengths are in "
        "millimetres; a length in metres?"}},
      {"a frame's width in metres",
       Wall(B("[100, 0, 200, 100]")) +
           "[frame]\nbetween = [\"air\", \"hot\"]\npanel = { u = 1, visible = 190 }\n"
           "width = 0.048\n",
       {"d.toml:22:1",
        "the frame's width b_f, 0.048 mm, is under 1 % of the drawing's 220 mm: widths are in "
        "millimetres; a width in metres?"}},
      {"a panel's visible width in metres",
       Wall(B("[100, 0, 200, 100]")) +
           "[frame]\nbetween = [\"air\", \"hot\"]\npanel = { u = 1, visible = 0.19 }\n"
           "width = 48\n",
       {"d.toml:24:9",
        "the panel's visible width b_p, 0.19 mm, is under 1 % of the drawing's 220 mm: widths "
        "are in millimetres; a width in metres?"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Warnings found = ChecksOf(c.text);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front(), c.found) << found.front().place << ": " << found.front().text;
  }
}

// A perforated block with its holes left void names ten and counts the rest.
TEST(DrawingChecks, ManyVoidsAreNamedTenAndCounted) {
  std::string holes;
  for (int i = 0; i < 12; ++i) {
    const int x = 105 + 8 * i;
    holes += "[[shape]]\nfill = \"void\"\nrect = [" + std::to_string(x) + ", 40, " +
             std::to_string(x + 4) + ", 60]\n";
  }
  const Warnings found = ChecksOf(Wall(B("[100, 0, 200, 100]") + holes));
  ASSERT_EQ(found.size(), 11u);
  EXPECT_EQ(found[9].place, "d.toml:" + std::to_string(16 + 3 * 9) + ":1");
  EXPECT_EQ(found[10], (Warning{"d.toml", "2 more voids as these: each is adiabatic"}));
}

TEST(DrawingChecks, NoPathBetweenEnvironmentsAtDifferentTemperatures) {
  // The gap parts the wall: air and hot touch material, but no one piece.
  const Warnings found = ChecksOf(Wall(B("[101, 0, 200, 100]")));
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[1].place, "d.toml:7:1");
  EXPECT_EQ(found[1].text,
            "\"air\" and \"hot\" are at different temperatures, but no piece of material joins "
            "them: their coupling is zero; a gap, or a layer left undrawn?");
}

TEST(DrawingChecks, NameAVoidFarFromTheOriginToTheTenthOfAMillimetre) {
  // The wall of Wall(), 12345.6 mm right and 1000.25 mm up.
  const std::string text =
      "[grid]\nmax_cell = 10\n[materials]\na = 1\nb = 2\n[conditions]\n"
      "air = { ambient = 20, h = 8 }\n[fixed]\nhot = 50\n"
      "[[shape]]\nfill = \"a\"\nrect = [12345.6, 1000.25, 12445.6, 1100.25]\n"
      "[[shape]]\nfill = \"b\"\nrect = [12446.6, 1000.25, 12545.6, 1100.25]\n"
      "[[shape]]\nfill = \"void\"\nrect = [12475.6, 1040.25, 12505.6, 1060.25]\n"
      "[[shape]]\nfill = \"air\"\nrect = [12335.6, 1000.25, 12345.6, 1100.25]\n"
      "[[shape]]\nfill = \"hot\"\nrect = [12545.6, 1000.25, 12555.6, 1100.25]\n";
  const Warnings found = ChecksOf(text);
  ASSERT_GE(found.size(), 2u);
  EXPECT_NE(found[0].text.find(" at x 12445.6 mm:"), std::string::npos) << found[0].text;
  EXPECT_NE(found[1].text.find(" at x 12475.6, y 1040.25 mm:"), std::string::npos)
      << found[1].text;
}

TEST(DrawingChecks, FindNothingInAPlainWallOrANarrowNotch) {
  EXPECT_TRUE(ChecksOf(Wall(B("[100, 0, 200, 100]"))).empty());
  // A notch of void open to the wall's edge, three rows deep: not a strip.
  EXPECT_TRUE(ChecksOf(Wall(B("[100, 0, 200, 100]") +
                            "[[shape]]\nfill = \"void\"\nrect = [120, 70, 125, 100]\n"))
                  .empty());
}

}  // namespace
}  // namespace kelvane::testing
