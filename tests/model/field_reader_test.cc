#include "model/field_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"

namespace kelvane {
namespace {

struct Got {
  std::string text;
  bool quoted;
  int line;
  int index;
  friend bool operator==(const Got&, const Got&) = default;
};

std::ostream& operator<<(std::ostream& os, const Got& g) {
  return os << "{\"" << g.text << "\", " << g.quoted << ", " << g.line << ", " << g.index << "}";
}

std::vector<Got> Fields(std::string_view text) {
  FieldReader reader(text);
  std::vector<Got> got;
  Field field;
  while (reader.Next(&field)) {
    got.push_back({field.text, field.quoted, field.line, field.index_in_line});
  }
  return got;
}

TEST(FieldReader, SeparatorsAndLines) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<Got> fields;
  } cases[] = {
      {"empty text", "", {}},
      {"one field", "a", {{"a", false, 1, 1}}},
      {"commas", "a,b", {{"a", false, 1, 1}, {"b", false, 1, 2}}},
      {"final line break ends", "a\n", {{"a", false, 1, 1}}},
      {"final comma gives an empty field", "a,", {{"a", false, 1, 1}, {"", false, 1, 2}}},
      {"LF CRLF and lone CR", "a\nb\r\nc\rd",
       {{"a", false, 1, 1}, {"b", false, 2, 1}, {"c", false, 3, 1}, {"d", false, 4, 1}}},
      {"empty line is an empty field", "a\n\nb",
       {{"a", false, 1, 1}, {"", false, 2, 1}, {"b", false, 3, 1}}},
      {"blanks and tabs around are dropped", " \ta b \t,c",
       {{"a b", false, 1, 1}, {"c", false, 1, 2}}},
      {"quoted keeps commas and breaks", "\"a,b\nc\",d",
       {{"a,b\nc", true, 1, 1}, {"d", false, 2, 1}}},
      {"text after the closing quote is ignored", " \"a\"xyz,b",
       {{"a", true, 1, 1}, {"b", false, 1, 2}}},
      {"a quote inside an unquoted field is kept", "ab\"c,d",
       {{"ab\"c", false, 1, 1}, {"d", false, 1, 2}}},
      {"empty fields between commas", ",,", {{"", false, 1, 1}, {"", false, 1, 2}, {"", false, 1, 3}}},
  };
  for (const Case& c : cases) EXPECT_EQ(Fields(c.text), c.fields) << c.name;
}

TEST(FieldReader, UnclosedQuoteEndsTheInput) {
  FieldReader reader("a\n\"title, without end");
  Field field;
  ASSERT_TRUE(reader.Next(&field));
  try {
    reader.Next(&field);
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(std::string(e.what()),
              "line 2, field 1: input ends early: the quoted field has no closing quote");
  }
}

TEST(FieldReader, FieldsAtMostBoundsWhatIsLeft) {
  // Every remaining field but a final empty one takes at least one byte.
  FieldReader reader("a,,,");
  Field field;
  ASSERT_TRUE(reader.Next(&field));
  EXPECT_EQ(reader.FieldsAtMost(), 3u);
  int left = 0;
  while (reader.Next(&field)) ++left;
  EXPECT_EQ(left, 3);
}

}  // namespace
}  // namespace kelvane
