#include "platform/layout/SimplexSolver.h"

#include <gtest/gtest.h>

#include <random>

using kr::SimplexSolver;
using Rel = SimplexSolver::Relation;

namespace {
constexpr double strong = 1000.0;
constexpr double weak = 1.0;
} // namespace

TEST(SimplexSolverTest, RequiredEqualitiesAndInequalitiesHold) {
  SimplexSolver s;
  const auto x = s.newVariable(), y = s.newVariable();
  // x + y == 10, x >= 7, y >= 1
  ASSERT_TRUE(s.addConstraint({{x, 1}, {y, 1}}, -10, Rel::Equal, SimplexSolver::required));
  ASSERT_TRUE(s.addConstraint({{x, 1}}, -7, Rel::GreaterOrEqual, SimplexSolver::required));
  ASSERT_TRUE(s.addConstraint({{y, 1}}, -1, Rel::GreaterOrEqual, SimplexSolver::required));
  // A weak wish for x == 0 cannot beat x >= 7.
  ASSERT_TRUE(s.addConstraint({{x, 1}}, 0, Rel::Equal, weak));
  s.updateVariables();
  EXPECT_NEAR(s.value(x), 7.0, 1e-9);
  EXPECT_NEAR(s.value(y), 3.0, 1e-9);
}

TEST(SimplexSolverTest, StrongerOptionalConstraintWins) {
  SimplexSolver s;
  const auto x = s.newVariable();
  ASSERT_TRUE(s.addConstraint({{x, 1}}, -100, Rel::Equal, weak));
  const auto strongId = s.addConstraint({{x, 1}}, -40, Rel::Equal, strong);
  ASSERT_TRUE(strongId);
  s.updateVariables();
  EXPECT_NEAR(s.value(x), 40.0, 1e-9);
  // Removing the strong wish lets the weak one decide again.
  s.removeConstraint(*strongId);
  s.updateVariables();
  EXPECT_NEAR(s.value(x), 100.0, 1e-9);
  EXPECT_EQ(s.constraintCount(), 1);
}

TEST(SimplexSolverTest, ContradictingRequiredConstraintIsRefusedAndSolverStaysUsable) {
  SimplexSolver s;
  const auto x = s.newVariable(), y = s.newVariable();
  ASSERT_TRUE(s.addConstraint({{x, 1}}, -100, Rel::Equal, SimplexSolver::required));
  // x == 200 contradicts x == 100 directly (all-dummy row).
  EXPECT_FALSE(s.addConstraint({{x, 1}}, -200, Rel::Equal, SimplexSolver::required));
  ASSERT_TRUE(s.addConstraint({{y, 1}, {x, -1}}, -5, Rel::GreaterOrEqual, SimplexSolver::required));
  // y <= 50 contradicts y >= x + 5 (found through an artificial variable).
  EXPECT_FALSE(s.addConstraint({{y, 1}}, -50, Rel::LessOrEqual, SimplexSolver::required));
  ASSERT_TRUE(s.addConstraint({{y, 1}}, 0, Rel::Equal, weak));
  s.updateVariables();
  EXPECT_NEAR(s.value(x), 100.0, 1e-9);
  EXPECT_NEAR(s.value(y), 105.0, 1e-9);
  EXPECT_EQ(s.constraintCount(), 3);
}

TEST(SimplexSolverTest, EditVariablesFollowSuggestionsWithinRequiredLimits) {
  SimplexSolver s;
  const auto width = s.newVariable(), half = s.newVariable();
  ASSERT_TRUE(s.addConstraint({{half, 2}, {width, -1}}, 0, Rel::Equal, SimplexSolver::required));
  ASSERT_TRUE(s.addConstraint({{half, 1}}, -30, Rel::GreaterOrEqual, SimplexSolver::required));
  s.addEditVariable(width, strong);
  for (double w : {300.0, 120.0, 10.0, 500.0}) {
    s.suggestValue(width, w);
    s.updateVariables();
    const double expected = std::max(w, 60.0);
    EXPECT_NEAR(s.value(width), expected, 1e-9) << w;
    EXPECT_NEAR(s.value(half), expected / 2, 1e-9) << w;
  }
  s.removeEditVariable(width);
  EXPECT_FALSE(s.hasEditVariable(width));
}

// A chain of boxes with optional sizes: every required relation holds after
// many incremental additions and removals.
TEST(SimplexSolverTest, IncrementalChainStaysConsistent) {
  SimplexSolver s;
  const int n = 40;
  std::vector<SimplexSolver::Variable> left(n), width(n);
  std::vector<SimplexSolver::ConstraintId> wishes;
  for (int i = 0; i < n; ++i) {
    left[i] = s.newVariable();
    width[i] = s.newVariable();
    if (i == 0)
      ASSERT_TRUE(s.addConstraint({{left[0], 1}}, 0, Rel::Equal, SimplexSolver::required));
    else
      ASSERT_TRUE(s.addConstraint({{left[i], 1}, {left[i - 1], -1}, {width[i - 1], -1}}, -8,
                                  Rel::Equal, SimplexSolver::required));
    ASSERT_TRUE(
        s.addConstraint({{width[i], 1}}, -10, Rel::GreaterOrEqual, SimplexSolver::required));
    wishes.push_back(*s.addConstraint({{width[i], 1}}, -(20 + i), Rel::Equal, weak));
  }
  for (int i = 0; i < n; i += 2)
    s.removeConstraint(wishes[size_t(i)]);
  s.updateVariables();
  double expectedLeft = 0;
  for (int i = 0; i < n; ++i) {
    EXPECT_NEAR(s.value(left[i]), expectedLeft, 1e-6) << i;
    const double w = i % 2 == 0 ? 10.0 : 20.0 + i;
    EXPECT_NEAR(s.value(width[i]), w, 1e-6) << i;
    expectedLeft += w + 8;
  }
}

// Random required differences (satisfied by a hidden solution) and weighted
// wishes, added and removed at random: the incremental solution always
// satisfies the required constraints and equals a solver built afresh from the
// constraints that remain.
TEST(SimplexSolverTest, IncrementalChangesMatchASolveFromScratch) {
  std::mt19937 random(20261206);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  const int n = 12;
  std::vector<double> hidden(n);
  for (double& h : hidden)
    h = uniform(0, 100);
  struct Spec {
    std::vector<SimplexSolver::Term> terms;
    double constant;
    Rel relation;
    double weight;
  };
  for (int round = 0; round < 20; ++round) {
    SimplexSolver incremental;
    std::vector<SimplexSolver::Variable> vars(n);
    for (auto& v : vars)
      v = incremental.newVariable();
    std::vector<std::pair<SimplexSolver::ConstraintId, Spec>> live;
    std::vector<Spec> anchors; // one wish per variable keeps every optimum unique
    for (int v = 0; v < n; ++v) {
      anchors.push_back({{{vars[size_t(v)], 1}}, -uniform(0, 100), Rel::Equal, uniform(1, 1000)});
      ASSERT_TRUE(incremental.addConstraint(anchors.back().terms, anchors.back().constant,
                                            anchors.back().relation, anchors.back().weight));
    }
    for (int step = 0; step < 60; ++step) {
      if (!live.empty() && uniform(0, 1) < 0.3) {
        const size_t victim = size_t(uniform(0, double(live.size())));
        incremental.removeConstraint(live[victim].first);
        live.erase(live.begin() + long(victim));
        continue;
      }
      const int i = int(uniform(0, n)), j = int(uniform(0, n));
      Spec spec;
      if (uniform(0, 1) < 0.5 && i != j) {
        // x_i - x_j >= slack below the hidden difference
        spec = {{{vars[size_t(i)], 1}, {vars[size_t(j)], -1}},
                -(hidden[size_t(i)] - hidden[size_t(j)] - uniform(0, 10)),
                Rel::GreaterOrEqual,
                SimplexSolver::required};
      } else {
        spec = {{{vars[size_t(i)], 1}}, -uniform(0, 100), Rel::Equal, uniform(1, 1000)};
      }
      const auto id =
          incremental.addConstraint(spec.terms, spec.constant, spec.relation, spec.weight);
      ASSERT_TRUE(id);
      live.emplace_back(*id, spec);
    }
    incremental.updateVariables();
    SimplexSolver fresh;
    for (int v = 0; v < n; ++v)
      fresh.newVariable();
    for (const Spec& spec : anchors)
      ASSERT_TRUE(fresh.addConstraint(spec.terms, spec.constant, spec.relation, spec.weight));
    for (const auto& [id, spec] : live)
      ASSERT_TRUE(fresh.addConstraint(spec.terms, spec.constant, spec.relation, spec.weight));
    fresh.updateVariables();
    for (const auto& [id, spec] : live) {
      if (spec.weight < SimplexSolver::required)
        continue;
      double value = spec.constant;
      for (const auto& term : spec.terms)
        value += term.coefficient * incremental.value(term.variable);
      EXPECT_GE(value, -1e-6) << "round " << round;
    }
    for (int v = 0; v < n; ++v)
      EXPECT_NEAR(incremental.value(vars[size_t(v)]), fresh.value(v), 1e-6) << "round " << round;
  }
}
