#include "platform/drawing/BezierFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace kr;

TEST(BezierFunctions, VectorHelpers) {
  EXPECT_EQ(V2Scale(QPointF(0, 0), 5.0), QPointF(0, 0));
  const QPointF scaled = V2Scale(QPointF(3, 4), 10.0);
  EXPECT_DOUBLE_EQ(scaled.x(), 6.0);
  EXPECT_DOUBLE_EQ(scaled.y(), 8.0);
  EXPECT_EQ(V2ScaleII(QPointF(3, -4), 0.5), QPointF(1.5, -2));
  EXPECT_DOUBLE_EQ(V2SquaredLength(QPointF(3, 4)), 25.0);
  EXPECT_DOUBLE_EQ(V2Length(QPointF(3, 4)), 5.0);
  EXPECT_DOUBLE_EQ(V2Dot(QPointF(1, 2), QPointF(3, 4)), 11.0);
  EXPECT_EQ(V2Add(QPointF(1, 2), QPointF(3, 4)), QPointF(4, 6));
  EXPECT_EQ(V2Sub(QPointF(1, 2), QPointF(3, 5)), QPointF(-2, -3));
  EXPECT_DOUBLE_EQ(V2DistanceBetween2Points(QPointF(1, 1), QPointF(4, 5)), 5.0);
  QPointF p(3, 7);
  FlipPointV(p, QPointF(100, 5));
  EXPECT_EQ(p, QPointF(3, 3));
  FlipPointH(p, QPointF(1, 100));
  EXPECT_EQ(p, QPointF(-1, 3));
}

TEST(BezierFunctions, BezierEvaluatesAndSplitsIntoHalvesThatMeet) {
  const CubicCurve curve{QPointF(0, 0), QPointF(0, 10), QPointF(10, 10), QPointF(10, 0)};
  QPointF left[4], right[4];
  const QPointF middle = Bezier(curve.data(), 3, 0.5, left, right);
  EXPECT_EQ(middle, QPointF(5, 7.5));
  EXPECT_EQ(left[0], curve[0]);
  EXPECT_EQ(left[3], middle);
  EXPECT_EQ(right[0], middle);
  EXPECT_EQ(right[3], curve[3]);
  // A point of the left half at u is the curve's point at u / 2.
  const QPointF quarter = Bezier(curve.data(), 3, 0.25);
  const QPointF fromLeft = Bezier(left, 3, 0.5);
  EXPECT_NEAR(quarter.x(), fromLeft.x(), 1e-12);
  EXPECT_NEAR(quarter.y(), fromLeft.y(), 1e-12);
}

// The degree-five Bezier form over x = i / 5 of y = a t^2 + b t + c.
QuinticCurve quadraticAsQuintic(double a, double b, double c) {
  QuinticCurve curve;
  for (int i = 0; i <= 5; ++i)
    curve[size_t(i)] = QPointF(i / 5.0, a * i * (i - 1) / 20.0 + b * i / 5.0 + c);
  return curve;
}

TEST(BezierFunctions, FindRootsFindsTheCrossingsAndEndsOnACurveTouchingZero) {
  std::vector<double> roots;
  // y = t - 0.4: one crossing, found on the flat control polygon at once.
  EXPECT_EQ(FindRoots(quadraticAsQuintic(0, 1, -0.4), roots), 1);
  ASSERT_EQ(roots.size(), 1u);
  EXPECT_NEAR(roots[0], 0.4, 1e-12);

  // y = (t - 0.3)(t - 0.7): two crossings, the left one first.
  roots.clear();
  EXPECT_EQ(FindRoots(quadraticAsQuintic(1, -1, 0.21), roots), 2);
  ASSERT_EQ(roots.size(), 2u);
  EXPECT_NEAR(roots[0], 0.3, 1e-12);
  EXPECT_NEAR(roots[1], 0.7, 1e-12);

  // y = t^2 + 1: none.
  roots.clear();
  EXPECT_EQ(FindRoots(quadraticAsQuintic(1, 0, 1), roots), 0);
  EXPECT_TRUE(roots.empty());

  // y = (t - 1/3)^2 touches y = 0 between the halving points: every span
  // around it keeps two sign changes, so only the depth limit ends the search.
  roots.clear();
  const int found = FindRoots(quadraticAsQuintic(1, -2.0 / 3, 1.0 / 9), roots);
  EXPECT_GE(found, 1);
  EXPECT_EQ(size_t(found), roots.size());
  for (double t : roots)
    EXPECT_NEAR(t, 1.0 / 3, 1e-6);
}

TEST(BezierFunctions, NearestPointOnCurveAgreesWithDenseSampling) {
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
  for (int trial = 0; trial < 200; ++trial) {
    CubicCurve curve;
    for (QPointF& p : curve)
      p = QPointF(coordinate(random), coordinate(random));
    const QPointF point(coordinate(random), coordinate(random));
    const QPointF nearest = NearestPointOnCurve(point, curve);
    const double found = V2DistanceBetween2Points(point, nearest);
    // The answer lies on the curve.
    double onCurve = 1e300;
    double sampled = 1e300;
    constexpr int samples = 20000;
    for (int i = 0; i <= samples; ++i) {
      const QPointF p = Bezier(curve.data(), 3, double(i) / samples);
      onCurve = std::min(onCurve, V2DistanceBetween2Points(p, nearest));
      sampled = std::min(sampled, V2DistanceBetween2Points(p, point));
    }
    EXPECT_LT(onCurve, 0.05) << "trial " << trial;
    // No sample is nearer, and the answer is no farther than the best sample.
    EXPECT_LE(found, sampled + 1e-9) << "trial " << trial;
    EXPECT_GE(found, sampled - 0.05) << "trial " << trial;
  }
  // The ends win when nothing between them is nearer.
  const CubicCurve arc{QPointF(0, 0), QPointF(1, 1), QPointF(2, 1), QPointF(3, 0)};
  EXPECT_EQ(NearestPointOnCurve(QPointF(-5, -1), arc), QPointF(0, 0));
  EXPECT_EQ(NearestPointOnCurve(QPointF(8, -1), arc), QPointF(3, 0));
  EXPECT_TRUE(IsPointOnCurve(arc, QPointF(1.5, 0.75), 0.01f));
  EXPECT_FALSE(IsPointOnCurve(arc, QPointF(1.5, 0.5), 0.2f));
}

TEST(BezierFunctions, IsPointOnLineMeasuresVerticallyAndUprightSegmentsHorizontally) {
  // An upright segment: only the horizontal distance counts.
  EXPECT_TRUE(IsPointOnLine(QPointF(11.9, 5), QPointF(10, 0), QPointF(10, 10), 2.0f));
  EXPECT_FALSE(IsPointOnLine(QPointF(12.1, 5), QPointF(10, 0), QPointF(10, 10), 2.0f));
  EXPECT_TRUE(IsPointOnLine(QPointF(10, 11.9), QPointF(10, 0), QPointF(10, 10), 2.0f));
  EXPECT_FALSE(IsPointOnLine(QPointF(10, 12.1), QPointF(10, 0), QPointF(10, 10), 2.0f));
  // A rising segment, either way round.
  EXPECT_TRUE(IsPointOnLine(QPointF(5, 6.9), QPointF(0, 0), QPointF(10, 10), 2.0f));
  EXPECT_TRUE(IsPointOnLine(QPointF(5, 6.9), QPointF(10, 10), QPointF(0, 0), 2.0f));
  EXPECT_FALSE(IsPointOnLine(QPointF(5, 7.1), QPointF(0, 0), QPointF(10, 10), 2.0f));
  // A falling segment: the vertical distance from y = 10 - x.
  EXPECT_TRUE(IsPointOnLine(QPointF(4, 4.1), QPointF(0, 10), QPointF(10, 0), 2.0f));
  EXPECT_FALSE(IsPointOnLine(QPointF(4, 3.9), QPointF(0, 10), QPointF(10, 0), 2.0f));
  // Beyond the segment's box grown by the tolerance.
  EXPECT_FALSE(IsPointOnLine(QPointF(12.5, 12.5), QPointF(0, 0), QPointF(10, 10), 2.0f));
}
