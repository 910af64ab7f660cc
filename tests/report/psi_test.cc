#include "report/psi.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace kelvane {
namespace {

using Kind = Environment::Kind;

// Three environments: rooms B1 and B2 and the fixed ground C1, and a
// condition B3 that touches nothing; flows of a symmetric matrix whose rows
// sum to zero.
CouplingMatrix Coupling() {
  CouplingMatrix m;
  m.environments = {{Kind::kConvection, 1, "room", 20, 7.7},
                    {Kind::kConvection, 2, "outside", -10, 25},
                    {Kind::kFixedTemperature, 1, "ground", 5, 0}};
  m.flow = {{1.5, -1.0, -0.5}, {-1.0, 1.25, -0.25}, {-0.5, -0.25, 0.75}};
  return m;
}

FlankingReport Given(double u, double length) {
  FlankingReport f;
  f.u = u;
  f.length = length;
  return f;
}

const EnvironmentLabel kRoom{"room", {1}, {}}, kOutside{"outside", {2}, {}},
    kGround{"ground", {}, {1}}, kAttic{"attic", {3}, {}};
// The room and the ground as one environment.
const EnvironmentLabel kInside{"inside", {1}, {1}};

TEST(Psi, IsTheCouplingLessTheFlankingElementsUTimesLength) {
  struct Case {
    EnvironmentLabel a, b;
    std::vector<FlankingReport> flanking;
    double l2d, sum;
  } cases[] = {
      {kRoom, kOutside, {Given(0.3, 1.2), Given(0.25, 2)}, 1.0, 0.3 * 1.2 + 0.25 * 2},
      {kOutside, kRoom, {}, 1.0, 0},
      {kRoom, kGround, {Given(0.5, 1)}, 0.5, 0.5},
      {kGround, kOutside, {Given(1, 0.1)}, 0.25, 0.1},
      // An environment of several: the entries between their members summed.
      {kInside, kOutside, {}, 1.0 + 0.25, 0},
  };
  for (const Case& c : cases) {
    const PsiReport r = ComputePsi(Coupling(), {"", {c.a, c.b}, c.flanking, "d.toml:9:11"});
    EXPECT_EQ(r.l2d, c.l2d) << c.a.name << " " << c.b.name;
    EXPECT_EQ(r.flanking_sum, c.sum);
    EXPECT_EQ(r.psi, c.l2d - c.sum);
    EXPECT_EQ(r.flanking.size(), c.flanking.size());
  }
  const PsiReport named = ComputePsi(Coupling(), {"internal", {kRoom, kGround}, {}, ""});
  EXPECT_EQ(named.name, "internal");
  EXPECT_EQ(named.between[0], "room");
  EXPECT_EQ(named.between[1], "ground");
}

TEST(Psi, RefusesAnEnvironmentThatTouchesNothing) {
  try {
    ComputePsi(Coupling(), {"", {kRoom, kAttic}, {}, "d.toml:9:11"});
    FAIL();
  } catch (const RunError& e) {
    EXPECT_STREQ(e.what(),
                 "d.toml:9:11: no element: \"attic\" touches the model nowhere, so no heat flows "
                 "through it");
  }
}

}  // namespace
}  // namespace kelvane
