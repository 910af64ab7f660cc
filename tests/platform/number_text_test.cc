#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace kelvane {
namespace {

TEST(NumberText, FormsOfTheResultFile) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {100, "100"},
      {0.5, "0.5"},
      {-0.5, "-0.5"},
      {0.0, "0"},
      {-0.0, "0"},
      {1e-5, "1E-05"},
      {1.5e20, "1.5E+20"},
      {0.0001, "0.0001"},
      {123456789012345, "123456789012345"},
      {1234567890123456, "1.23456789012346E+15"},
      {99.0334408723144, "99.0334408723144"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {0.025, "0.025"},
      {1e100, "1E+100"},
      {-2.5e-300, "-2.5E-300"},
  };
  for (const Case& c : cases) EXPECT_EQ(NumberText(c.value), c.text) << c.value;
}

// Every value reads back to itself, in no more digits than it needs.
TEST(ExactNumberText, ShortestTextThatReadsBack) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0"},
      {20, "20"},
      {0.13, "0.13"},
      {1.0 / 0.13, "7.692307692307692"},
      {0.1 + 0.2, "0.30000000000000004"},
      {9.494072193847561, "9.494072193847561"},
      {1.0 / 3.0, "0.3333333333333333"},
      {100000, "100000"},
      {1.2051e-10, "1.2051E-10"},
      {-2.5e-300, "-2.5E-300"},
      {1234567890123456, "1234567890123456"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExactNumberText(c.value), c.text) << c.value;
    EXPECT_EQ(std::strtod(ExactNumberText(c.value).c_str(), nullptr), c.value) << c.value;
  }
}

}  // namespace
}  // namespace kelvane
