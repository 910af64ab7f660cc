// The page's style sheet and script as compiled in: the bytes of their files
// under src/report/page/, nothing in them that would end their element of
// the page early, and a script that node's parser takes, where node is
// installed. The embedding itself on a file of awkward bytes.

#include "report/html_assets.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "app/process.h"

namespace kelvane {

// Made by the tests' build from tests/report/embed_awkward.txt.
const char* EmbeddedAwkwardText();

namespace {

using testing::ReadFile;

const std::string kPageFiles = std::string(KELVANE_SOURCE_DIR) + "/src/report/page/";

TEST(HtmlAssets, AreTheirFilesByteForByte) {
  EXPECT_EQ(std::string(PageStyle()), ReadFile(kPageFiles + "page.css"));
  EXPECT_EQ(std::string(PageScript()), ReadFile(kPageFiles + "page.js"));
}

TEST(HtmlAssets, EmbeddingKeepsEveryByte) {
  const std::string file = ReadFile(std::string(KELVANE_SOURCE_DIR) + "/tests/report/embed_awkward.txt");
  ASSERT_NE(file.find(")\""), std::string::npos);
  ASSERT_NE(file.find("\r\n"), std::string::npos);
  EXPECT_EQ(std::string(EmbeddedAwkwardText()), file);
}

// A browser ends a <style> or <script> element at the first "</style" or
// "</script", in any case, wherever it stands; "<!--" in a script changes
// how the rest is read.
TEST(HtmlAssets, NothingEndsTheirElementEarly) {
  auto lower = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  };
  const std::string style = lower(PageStyle()), script = lower(PageScript());
  EXPECT_EQ(style.find("</style"), std::string::npos);
  EXPECT_EQ(script.find("</script"), std::string::npos);
  EXPECT_EQ(script.find("<!--"), std::string::npos);
}

std::string FindNode() {
  for (const char* path : {"/usr/bin/node", "/usr/bin/nodejs", "/usr/local/bin/node"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return "";
}

TEST(HtmlAssets, ScriptParses) {
  const std::string node = FindNode();
  if (node.empty()) {
    GTEST_SKIP() << "node is not installed (apt-get install nodejs); "
                    "the page's script is not syntax-checked";
  }
  testing::TemporaryFolder folder;
  auto check = [&](const std::string& script) {
    testing::WriteFile(folder / "page.js", script);
    return testing::RunProgram(node, {"--check", folder / "page.js"},
                               {{"PATH", "/usr/bin:/bin"}, {"HOME", folder.path()}},
                               folder.path());
  };
  const testing::Outcome page = check(PageScript());
  EXPECT_EQ(page.status, 0) << page.err;
  // One brace too many is refused: the check can fail.
  EXPECT_NE(check(std::string(PageScript()) + "}\n").status, 0);
}

}  // namespace
}  // namespace kelvane
