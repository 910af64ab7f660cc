#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace kelvane
