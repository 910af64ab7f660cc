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

ModelLabels Labels() {
  ModelLabels labels;
  labels.conditions = {"", "room", "outside", "attic"};
  labels.fixed = {"", "ground"};
  return labels;
}

FlankingReport Given(double u, double length) {
  FlankingReport f;
  f.u = u;
  f.length = length;
  return f;
}

TEST(Psi, IsTheCouplingLessTheFlankingElementsUTimesLength) {
  struct Case {
    EnvironmentRef a, b;
    std::vector<FlankingReport> flanking;
    double l2d, sum;
  } cases[] = {
      {{Kind::kConvection, 1}, {Kind::kConvection, 2}, {Given(0.3, 1.2), Given(0.25, 2)}, 1.0,
       0.3 * 1.2 + 0.25 * 2},
      {{Kind::kConvection, 2}, {Kind::kConvection, 1}, {}, 1.0, 0},
      {{Kind::kConvection, 1}, {Kind::kFixedTemperature, 1}, {Given(0.5, 1)}, 0.5, 0.5},
      {{Kind::kFixedTemperature, 1}, {Kind::kConvection, 2}, {Given(1, 0.1)}, 0.25, 0.1},
  };
  for (const Case& c : cases) {
    const PsiReport r = ComputePsi(Coupling(), {{c.a, c.b}, c.flanking, "d.toml:9:11"}, Labels());
    EXPECT_EQ(r.l2d, c.l2d);
    EXPECT_EQ(r.flanking_sum, c.sum);
    EXPECT_EQ(r.psi, c.l2d - c.sum);
    EXPECT_EQ(r.flanking.size(), c.flanking.size());
  }
  const PsiReport named =
      ComputePsi(Coupling(), {{{Kind::kConvection, 1}, {Kind::kFixedTemperature, 1}}, {}, ""},
                 Labels());
  EXPECT_EQ(named.between[0], "room");
  EXPECT_EQ(named.between[1], "ground");
}

TEST(Psi, RefusesAnEnvironmentThatTouchesNothing) {
  try {
    ComputePsi(Coupling(), {{{Kind::kConvection, 1}, {Kind::kConvection, 3}}, {}, "d.toml:9:11"},
               Labels());
    FAIL();
  } catch (const RunError& e) {
    EXPECT_STREQ(e.what(),
                 "d.toml:9:11: no element: \"attic\" touches the model nowhere, so no heat flows "
                 "through it");
  }
}

}  // namespace
}  // namespace kelvane
