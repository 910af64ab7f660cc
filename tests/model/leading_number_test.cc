#include "model/leading_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelvane {
namespace {

TEST(LeadingNumber, ReadsTheLongestLeadingNumber) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},          {"abc", 0},        {"3", 3},          {"A3", 0},
      {"3x", 3},        {" 3", 3},         {"1 2 3", 123},    {"1\t2\n3", 123},
      {"-5", -5},       {"+5", 5},         {"- 5", -5},       {"--5", 0},
      {"2.5", 2.5},     {".5", 0.5},       {"5.", 5},         {".", 0},
      {"1E3", 1000},    {"1e3", 1000},     {"1D3", 1000},     {"1d-3", 0.001},
      {"1E", 1},        {"1E+", 1},        {"1Ex", 1},        {"2.5E1.5", 25},
      {"12abc34", 12},  {"1,5", 1},        {"0.1", 0.1},      {"1e-400", 0},
      {"3 materials", 3},
  };
  for (const Case& c : cases) {
    std::optional<double> value = LeadingNumber(c.text);
    ASSERT_TRUE(value.has_value()) << c.text;
    EXPECT_EQ(*value, c.value) << '"' << c.text << '"';
  }
}

TEST(LeadingNumber, BeyondTheDoubleRangeIsNothing) {
  EXPECT_FALSE(LeadingNumber("1e400").has_value());
  EXPECT_FALSE(LeadingNumber("-1D999").has_value());
  EXPECT_TRUE(LeadingNumber("1.7976931348623157e308").has_value());
}

TEST(LeadingNumber, CarriageReturnIsNotSkipped) {
  // Only blanks, tabs and line feeds are passed over.
  EXPECT_EQ(*LeadingNumber("1\r2"), 1);
}

TEST(ReadAsNumber, WholeTextMustBeANumber) {
  struct Case {
    const char* text;
    NumberStatus status;
    double value;
  } cases[] = {
      {"25", NumberStatus::kNumber, 25},       {" 25 ", NumberStatus::kNumber, 25},
      {"-1.5e2", NumberStatus::kNumber, -150}, {"1D2", NumberStatus::kNumber, 100},
      {".5", NumberStatus::kNumber, 0.5},      {"5.", NumberStatus::kNumber, 5},
      {"+7", NumberStatus::kNumber, 7},        {"", NumberStatus::kNotANumber, 0},
      {"A2", NumberStatus::kNotANumber, 0},    {"1 2", NumberStatus::kNotANumber, 0},
      {"1e", NumberStatus::kNotANumber, 0},    {"10mm", NumberStatus::kNotANumber, 0},
      {".", NumberStatus::kNotANumber, 0},     {"-", NumberStatus::kNotANumber, 0},
      {"inf", NumberStatus::kNotANumber, 0},   {"nan", NumberStatus::kNotANumber, 0},
      {"0x10", NumberStatus::kNotANumber, 0},  {"1e999", NumberStatus::kOverflow, 0},
  };
  for (const Case& c : cases) {
    ParsedNumber parsed = ReadAsNumber(c.text);
    EXPECT_EQ(parsed.status, c.status) << '"' << c.text << '"';
    if (c.status == NumberStatus::kNumber) {
      EXPECT_EQ(parsed.value, c.value) << c.text;
    }
  }
}

TEST(RoundToInt32, HalvesGoToTheEvenNeighbour) {
  struct Case {
    double value;
    std::int32_t rounded;
  } cases[] = {{2.5, 2},   {3.5, 4},   {-2.5, -2}, {0.5, 0},         {1.5, 2},
               {2.4, 2},   {2.6, 3},   {-0.4, 0},  {2147483647, 2147483647},
               {-2147483648.0, INT32_MIN}, {2147483647.4, 2147483647}};
  for (const Case& c : cases) {
    ASSERT_TRUE(RoundToInt32(c.value).has_value()) << c.value;
    EXPECT_EQ(*RoundToInt32(c.value), c.rounded) << c.value;
  }
  EXPECT_FALSE(RoundToInt32(2147483647.5).has_value());
  EXPECT_FALSE(RoundToInt32(-2147483649.0).has_value());
  EXPECT_FALSE(RoundToInt32(std::numeric_limits<double>::quiet_NaN()).has_value());
}

}  // namespace
}  // namespace kelvane
