// --html and --html=FILE as a user runs them.

#include <gtest/gtest.h>

#include "app/process.h"
#include "platform/sha256.h"

namespace kelvane::testing {
namespace {

const char kPlate[] =
    "\"Steel plate\"\n1\nSteel,50\n1\n20,10\n1\n100\n2,1\n10,20\n5\n"
    "B1,B1,B1,B1\nC1,A1,A1,B1\n,,,\n";

// The plate and the wall-and-slab detail in a folder of their own.
class HtmlRun : public ::testing::Test {
 protected:
  void SetUp() override { Fill(folder_); }
  static void Fill(const TemporaryFolder& folder) {
    WriteFile(folder / "plate.inp", kPlate);
    WriteFile(folder / "wall.toml",
              ReadFile(std::string(KELVANE_SOURCE_DIR) + "/examples/wall_slab.toml"));
  }
  static Outcome Run(const std::vector<std::string>& args, const TemporaryFolder& folder) {
    return RunProgram(KELVANE2D_BINARY, args, {{"PATH", "/usr/bin:/bin"}, {"HOME", folder.path()}},
                      folder.path());
  }
  Outcome Run(const std::vector<std::string>& args) { return Run(args, folder_); }
  TemporaryFolder folder_;
};

TEST_F(HtmlRun, PageGoesBesideEachResultWhichStaysAsItWas) {
  ASSERT_EQ(Run({"-q", "wall.toml", "plate.inp"}).status, 0);
  const std::string wall = ReadFile(folder_ / "wall.otp.csv");
  const std::string plate = ReadFile(folder_ / "plate.otp.csv");
  Outcome o = Run({"-q", "--html", "wall.toml", "plate.inp"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(ReadFile(folder_ / "wall.otp.csv"), wall);
  EXPECT_EQ(ReadFile(folder_ / "plate.otp.csv"), plate);
  const std::string page = ReadFile(folder_ / "wall.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_NE(page.find("<h1>Masonry wall with external insulation at an intermediate floor "
                      "slab</h1>"),
            std::string::npos);
  EXPECT_NE(page.find("<td>EPS insulation</td>"), std::string::npos);
  EXPECT_NE(ReadFile(folder_ / "plate.html").find("<h1>Steel plate</h1>"), std::string::npos);
}

TEST_F(HtmlRun, OneModelsPageGoesWhereHtmlFileSaysAndAPageNotWrittenFailsTheRun) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* err;
    const char* page;  // Written, or none.
  } cases[] = {
      {{"-q", "--html=page.html", "plate.inp"}, 0, "", "page.html"},
      {{"-q", "--html=page.html", "plate.inp", "wall.toml"},
       2,
       "kelvane2d: usage error: --html=FILE names the file of one model, but 2 were given\n"
       "Try 'kelvane2d --help'.\n",
       nullptr},
      {{"-q", "--html=missing/page.html", "plate.inp"}, 1, "file not writable", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[1]);
    TemporaryFolder folder;
    Fill(folder);
    Outcome o = Run(c.args, folder);
    EXPECT_EQ(o.status, c.status);
    if (c.status == 1) {
      EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
    } else {
      EXPECT_EQ(o.err, c.err);
    }
    EXPECT_EQ(Exists(folder / "plate.otp.csv"), c.status == 0);
    EXPECT_FALSE(Exists(folder / "plate.html"));
    if (c.page) {
      EXPECT_TRUE(Exists(folder / c.page));
    }
  }
}

TEST_F(HtmlRun, GridCheckAndCouplingGoIntoThePageWithoutAPrintedReport) {
  Outcome o = Run({"-q", "--html", "--check-grid", "--coupling", "wall.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "");
  const std::string page = ReadFile(folder_ / "wall.html");
  for (const char* id : {"k-coupling", "k-grid-check", "k-base-probes"}) {
    EXPECT_NE(page.find("id=\"" + std::string(id) + "\""), std::string::npos) << id;
  }
  o = Run({"-q", "--html", "--report", "wall.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out.rfind("Report for wall.toml: ", 0), 0u) << o.out;
  EXPECT_EQ(ReadFile(folder_ / "wall.html").find("id=\"k-grid-check\""), std::string::npos);
}

// The page names what made it: the header of the detail file, the input's
// SHA-256 on screen and at the foot of every printed sheet; and it carries
// both views, while --svg=materials writes the materials view alone.
TEST_F(HtmlRun, PageNamesItsInputAndCarriesBothViews) {
  Outcome o = Run({"-q", "--html", "--svg=materials", "--svg=wall-materials.svg", "wall.toml"});
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string page = ReadFile(folder_ / "wall.html");
  const std::string sha = Sha256Hex(ReadFile(folder_ / "wall.toml"));
  for (const std::string& shown :
       {std::string("<dt>Project</dt><dd>Example details</dd>"),
        std::string("<dt>Reference</dt><dd>WS-01</dd>"), "<code>" + sha + "</code>",
        "@bottom-left { content: \"wall.toml, SHA-256 " + sha + "\"",
        std::string("counter(page) \" of \" counter(pages)"),
        std::string("id=\"k-view-temperature\""), std::string("id=\"k-view-materials\""),
        std::string("id=\"k-summary\"")}) {
    EXPECT_NE(page.find(shown), std::string::npos) << shown;
  }
  EXPECT_EQ(page.find("<dt>Client</dt>"), std::string::npos);
  const std::string svg = ReadFile(folder_ / "wall-materials.svg");
  EXPECT_NE(svg.find(">Materials</text>"), std::string::npos);
  EXPECT_EQ(svg.find("id=\"bar\""), std::string::npos);  // No colour bar in this view.
  EXPECT_NE(svg.find("class=\"k-critical\""), std::string::npos);
}

}  // namespace
}  // namespace kelvane::testing
