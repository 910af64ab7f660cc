#include "report/html_summary.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvane::testing {
namespace {

ModelReport WithFigures() {
  ModelReport r;
  PsiReport psi;
  psi.psi = 0.0043329;
  r.psi.push_back(psi);
  psi.name = "sill & head";
  psi.psi = 0.9264017810409411;
  r.psi.push_back(psi);
  TemperatureFactor f;
  f.value = 0.75049;
  r.base.frsi = f;
  r.base.verdict = FactorVerdict{0.7, "DIN 4108-2", true, 0.05049};
  CaseReport mould{"mould", true, {}};
  f.value = 0.68;
  mould.solution.frsi = f;
  mould.solution.verdict = FactorVerdict{0.7, "", false, -0.02};
  r.cases.push_back(mould);
  r.cases.push_back({"summer", false, {}});  // No verdict: not in the box.
  GridCheckReport g;
  g.relative_difference = 0.0123;
  g.passes = false;
  r.grid_check = g;
  r.warnings.push_back({"w.toml:3:1", "a gap"});
  FrameReport frame;
  frame.u_f = 1.26313;
  r.frame = frame;
  return r;
}

// Each figure as the box shows it, its link and how it reads.
TEST(Summary, EachFigureLinksToItsTableRoundedAsTheTablesHaveIt) {
  const std::string box = SummarySection(WithFigures());
  const char* const figures[] = {
      "<a href=\"#k-psi\"><span class=\"k-what\">&psi;</span> <span class=\"k-value\" "
      "data-figure=\"k-psi\">0.004333 W/(m K)</span></a>",
      "<a href=\"#k-psi-2\"><span class=\"k-what\">&psi; sill &amp; head</span> <span "
      "class=\"k-value\" data-figure=\"k-psi-2\">0.926 W/(m K)</span></a>",
      "<a href=\"#k-base-frsi\"><span class=\"k-what\">f<sub>Rsi</sub></span> <span "
      "class=\"k-value k-pass\" data-figure=\"k-base-frsi\">0.750, met (&ge; 0.700)",
      "data-figure=\"k-case-1-frsi\">0.680, NOT MET (&ge; 0.700)",
      "data-figure=\"k-grid-check\">NOT MET (+1.23 %)",
      "data-figure=\"k-warnings\">1</span>",
      "<a href=\"#k-frame\"><span class=\"k-what\">U<sub>f</sub></span> <span "
      "class=\"k-value\" data-figure=\"k-frame\">1.263 W/(m\xC2\xB2 K)</span></a>",
  };
  for (const char* figure : figures) {
    EXPECT_NE(box.find(figure), std::string::npos) << figure << "\n" << box;
  }
  EXPECT_EQ(box.find("summer"), std::string::npos);
}

TEST(Summary, LeavesOutWhatWasNotComputed) {
  EXPECT_EQ(SummarySection(ModelReport()), "");
  ModelReport r;
  GridCheckReport g;
  g.no_flow = true;
  r.grid_check = g;
  const std::string box = SummarySection(r);
  EXPECT_NE(box.find("data-figure=\"k-grid-check\">met (0.00 %)"), std::string::npos) << box;
  EXPECT_EQ(box.find("k-psi"), std::string::npos);
  EXPECT_EQ(box.find("k-base-frsi"), std::string::npos);
  EXPECT_EQ(box.find("k-warnings"), std::string::npos);
  EXPECT_EQ(box.find("k-frame"), std::string::npos);
}

TEST(Summary, HeaderFactsAreEscapedAndOnlyThoseGiven) {
  EXPECT_EQ(HeaderFacts({}), "");
  const std::string facts = HeaderFacts({"<b>Tower</b>", "", "A. & B.", "D-12"});
  EXPECT_EQ(facts,
            "<dt>Project</dt><dd>&lt;b&gt;Tower&lt;/b&gt;</dd>\n"
            "<dt>Author</dt><dd>A. &amp; B.</dd>\n<dt>Reference</dt><dd>D-12</dd>\n");
}

}  // namespace
}  // namespace kelvane::testing
