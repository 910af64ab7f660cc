#include "report/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace kelvane::testing {
namespace {

struct RoundingCase {
  std::string (*round)(double);
  double value;
  std::string expected;
};

TEST(Rounding, EachQuantityShowsWhatItsReaderNeeds) {
  const RoundingCase cases[] = {
      {TemperatureValue, 18.925191035294773, "18.93"},
      {TemperatureValue, -9.994999, "-9.99"},
      {TemperatureValue, 20, "20.00"},
      {TemperatureValue, -0.001, "0.00"},  // No cold zero.
      {TemperatureValue, -0.005001, "-0.01"},
      {FlowValue, 12.345678, "12.35"},
      {FlowValue, -0.00123456, "-0.001235"},
      {FlowValue, 9.99961, "10.00"},  // The rounding carries into a new digit.
      {FlowValue, 123456.7, "123457"},
      {FlowValue, 0, "0"},
      {FlowValue, -3.5527136788005009e-15, "-3.553E-15"},  // A balance of rounding.
      {FlowValue, 0.000123456, "0.0001235"},
      {CoefficientValue, 0.9264017810409411, "0.926"},
      {CoefficientValue, 0.0123456, "0.012"},
      {CoefficientValue, 0.00123456, "0.001235"},
      {CoefficientValue, -0.00987654, "-0.009877"},
      {CoefficientValue, 0, "0.000"},
      {CoefficientValue, -0.0004, "-0.0004000"},
      {FactorValue, 0.7499, "0.750"},
      {FactorValue, -0.0002, "0.000"},
      {LengthValue, 1090.4147490549, "1090.4"},
      {LengthValue, 0.04, "0.0"},
      {AsWrittenValue, 1 / (1 / 0.13), "0.13"},
      {AsWrittenValue, 7.692307692307692, "7.69230769231"},
      {AsWrittenValue, 25, "25"},
      {SignedPercentValue, 0.3412, "+0.34"},
      {SignedPercentValue, -1.005, "-1.00"},
      {SignedPercentValue, -0.001, "0.00"},
      {SignedPercentValue, 0, "0.00"},
  };
  for (const RoundingCase& c : cases) {
    EXPECT_EQ(c.round(c.value), c.expected) << c.value;
  }
}

// A plane wall's psi is L2D less the same U l: what is left is rounding,
// and shows as 0; a psi of a thousandth of L2D does not.
TEST(Rounding, ADifferenceWithinRoundingOfZeroIsZero) {
  EXPECT_EQ(DifferenceValue(1.21e-14, 0.300), "0.000");
  EXPECT_EQ(DifferenceValue(-7.27196e-15, 0.3), "0.000");
  EXPECT_EQ(DifferenceValue(0.0003, 0.3), "0.0003000");
  EXPECT_EQ(DifferenceValue(0.0766, 1.23847), "0.077");
}

TEST(Rounding, NumbersThatAreNotFiniteStaySpelledOut) {
  EXPECT_EQ(Decimals(std::numeric_limits<double>::infinity(), 2),
            Significant(std::numeric_limits<double>::infinity(), 4));
  EXPECT_FALSE(Decimals(std::nan(""), 2).empty());
}

TEST(Rounding, DecimalsAndDigitsStayInTheirRange) {
  EXPECT_EQ(Decimals(1.5, -3), "2");
  EXPECT_EQ(Decimals(0.125, 5), "0.12500");
  EXPECT_EQ(Decimals(0.125, 1000).size(), 352u);
  EXPECT_EQ(Decimals(-1e300, 2), "-1E+300");
  EXPECT_EQ(Significant(1.487e287, 4), "1.487E+287");
  EXPECT_EQ(Decimals(123456789012345.6, 1), "123456789012345.6");
  EXPECT_EQ(Significant(0.125, 0), "0.1");
}

}  // namespace
}  // namespace kelvane::testing
