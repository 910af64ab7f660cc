#include "report/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "report/json_reader.h"

namespace kelvane::testing {
namespace {

TEST(JsonText, StringsAreEscapedAndStayValidUtf8) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"plain", "\"plain\""},
      {"a \"b\" \\ c", "\"a \\\"b\\\" \\\\ c\""},
      {"line\nbreak\r\ttab", "\"line\\nbreak\\r\\ttab\""},
      {std::string("nul\0x", 5), "\"nul\\u0000x\""},
      {"\x1f\x7f", "\"\\u001f\x7f\""},
      {"W\xC3\xA4rme \xE2\x84\x83 \xF0\x9F\x94\xA5", "\"W\xC3\xA4rme \xE2\x84\x83 \xF0\x9F\x94\xA5\""},
      // Shift-JIS, a lone continuation byte, a cut sequence, an overlong
      // slash and an encoded surrogate are no UTF-8.
      {"\x8C\x76\x8E\x5A", "\"\\ufffdv\\ufffdZ\""},
      {"\x80", "\"\\ufffd\""},
      {"\xE2\x84", "\"\\ufffd\\ufffd\""},
      {"\xC0\xAF", "\"\\ufffd\\ufffd\""},
      {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
      {"\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JsonString(c.in), c.out) << c.in;
    EXPECT_NO_THROW(ParseJson(JsonString(c.in))) << c.in;
  }
}

TEST(JsonText, RandomBytesAlwaysGiveAStringThatReadsBack) {
  std::mt19937 rng(99);
  for (int trial = 0; trial < 2000; ++trial) {
    std::string bytes(rng() % 12, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() % 256);
    const JsonValue v = ParseJson(JsonString(bytes));
    ASSERT_EQ(v.type, JsonValue::Type::kString);
    // Valid text comes back as it was.
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
      EXPECT_EQ(v.text, bytes);
    }
  }
}

TEST(JsonText, NumbersAreShortestAndReadBackExactly) {
  EXPECT_EQ(JsonNumber(0.1), "0.1");
  EXPECT_EQ(JsonNumber(20), "20");
  EXPECT_EQ(JsonNumber(-0.0), "-0");
  EXPECT_EQ(JsonNumber(1e-15), "1e-15");
  EXPECT_EQ(JsonNumber(1 / 0.11), "9.090909090909092");
  EXPECT_EQ(JsonNumber(std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(JsonNumber(std::nan("")), "null");
  std::mt19937_64 rng(5);
  for (int trial = 0; trial < 10000; ++trial) {
    std::uint64_t bits = rng();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const JsonValue v = ParseJson(JsonNumber(value));
    ASSERT_EQ(v.type, JsonValue::Type::kNumber);
    EXPECT_EQ(v.number, value) << JsonNumber(value);
  }
}

TEST(JsonReader, RefusesWhatJsonDoesNotAllow) {
  for (const char* bad : {"", "{", "[1,]", "{\"a\":1,}", "01", "1.", ".5", "+1", "nan", "inf",
                          "\"a\nb\"", "\"\\x41\"", "\"\\ud800\"", "{\"a\":1,\"a\":2}", "1 2"}) {
    EXPECT_THROW(ParseJson(bad), std::runtime_error) << bad;
  }
  EXPECT_EQ(ParseJson(" {\"a\": [true, null, -1.5e2, \"\\u00e4\"]} ")["a"][2].number, -150);
}

}  // namespace
}  // namespace kelvane::testing
