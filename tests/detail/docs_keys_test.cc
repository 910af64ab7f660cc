// The detail format's page, docs/detail-files.md, names every key the reader
// knows: a key added to the reader without its line in the page fails here.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "detail/detail_file.h"
#include "platform/file_io.h"

namespace kelvane::testing {
namespace {

// Whether `page` names `key` as code: `key`, or for a top-level key also
// `[key]` or `[[key]]`, as a table or an array of tables is written.
bool Names(const std::string& page, std::string_view key, bool top_level) {
  const std::string k(key);
  if (page.find("`" + k + "`") != std::string::npos) return true;
  return top_level && (page.find("`[" + k + "]`") != std::string::npos ||
                       page.find("`[[" + k + "]]`") != std::string::npos);
}

TEST(DetailDocs, NamesAKeyOnlyAsCode) {
  struct Case {
    const char* page;
    const char* key;
    bool top_level;
    bool named;
  };
  const Case cases[] = {
      {"| `[grid]` | `max_cell` |", "max_cell", false, true},
      {"no cell is larger than max_cell", "max_cell", false, false},
      {"`max_cells`", "max_cell", false, false},
      {"`[grid]`", "grid", true, true},
      {"`[[shape]]`", "shape", true, true},
      {"`[[shape]]`", "shape", false, false},
      {"`[grid]` `fine`", "grid", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Names(c.page, c.key, c.top_level), c.named) << c.page << " / " << c.key;
  }
}

TEST(DetailDocs, DetailFilesPageNamesEveryKeyTheReaderKnows) {
  const std::string page =
      ReadWholeFile(std::string(KELVANE_SOURCE_DIR) + "/docs/detail-files.md");
  std::size_t keys = 0;
  for (const DetailKeys& table : DetailFileKeys()) {
    for (std::string_view key : table.keys) {
      ++keys;
      EXPECT_TRUE(Names(page, key, table.table.empty()))
          << "docs/detail-files.md does not name the key `" << key << "` of "
          << (table.table.empty() ? std::string_view("the top level") : table.table);
    }
  }
  // The reader's tables as they stand; more is fine, fewer means a table lost.
  EXPECT_GE(keys, 27u);
}

}  // namespace
}  // namespace kelvane::testing
