#include "detail/material_library.h"

#include <gtest/gtest.h>

#include <set>

namespace kelvane::testing {
namespace {

TEST(MaterialLibrary, EveryEntryHasAValueASourceAndAName) {
  std::set<std::string_view> names;
  for (const LibraryMaterial& m : MaterialLibrary()) {
    SCOPED_TRACE(std::string(m.name));
    EXPECT_GT(m.conductivity, 0);
    EXPECT_FALSE(m.source.empty());
    EXPECT_TRUE(names.insert(m.name).second) << "twice";
    EXPECT_EQ(FindLibraryMaterial(m.name), &m);
  }
}

TEST(MaterialLibrary, ValuesAsTheirStandardsTabulateThem) {
  struct Case {
    const char* name;
    double conductivity;
    const char* source;
  };
  const Case cases[] = {
      {"reinforced concrete, 2 % steel", 2.5, "EN ISO 10456:2007, Table 3"},
      {"reinforced concrete, 1 % steel", 2.3, "EN ISO 10456:2007, Table 3"},
      {"gypsum plasterboard", 0.25, "EN ISO 10456:2007, Table 3"},
      {"PVC, rigid", 0.17, "EN ISO 10077-2:2017, Annex A"},
      {"polyamide 6.6 with 25 % glass fibre", 0.30, "EN ISO 10077-2:2017, Annex A"},
      {"EPDM", 0.25, "EN ISO 10077-2:2017, Annex A"},
      {"sand or gravel", 2.0, "EN ISO 13370:2007, Table 1"},
  };
  for (const Case& c : cases) {
    const LibraryMaterial* m = FindLibraryMaterial(c.name);
    ASSERT_NE(m, nullptr) << c.name;
    EXPECT_EQ(m->conductivity, c.conductivity) << c.name;
    EXPECT_EQ(m->source, c.source) << c.name;
  }
  // Exact names only: no case folding, no trimming.
  EXPECT_EQ(FindLibraryMaterial("pvc, rigid"), nullptr);
  EXPECT_EQ(FindLibraryMaterial("EPDM "), nullptr);
}

TEST(MaterialLibrary, SuggestsTheNearestNames) {
  EXPECT_EQ(NearestLibraryNames("reinforced concrete, 2% steel", 1).front(),
            "reinforced concrete, 2 % steel");
  EXPECT_EQ(NearestLibraryNames("pvc", 1).front(), "PVC, rigid");
  EXPECT_EQ(NearestLibraryNames("stell", 2),
            (std::vector<std::string_view>{"steel", "air"}));
  EXPECT_EQ(NearestLibraryNames(std::string(100000, 'x')).size(), 3u);
}

TEST(MaterialLibrary, ListsOneLinePerEntryWithValueAndSource) {
  const std::string text = MaterialLibraryText();
  EXPECT_NE(text.find("\nreinforced concrete, 2 % steel           2.5 W/(m K)  EN ISO 10456:2007, "
                      "Table 3\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
            MaterialLibrary().size() + 1);
}

}  // namespace
}  // namespace kelvane::testing
