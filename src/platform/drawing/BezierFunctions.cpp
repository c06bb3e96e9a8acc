#include "platform/drawing/BezierFunctions.h"

#include "platform/FatalError.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

namespace kr {

double V2SquaredLength(QPointF v) { return v.x() * v.x() + v.y() * v.y(); }

double V2Length(QPointF v) { return std::sqrt(V2SquaredLength(v)); }

QPointF V2Add(QPointF a, QPointF b) { return QPointF(a.x() + b.x(), a.y() + b.y()); }

QPointF V2Sub(QPointF a, QPointF b) { return QPointF(a.x() - b.x(), a.y() - b.y()); }

double V2Dot(QPointF a, QPointF b) { return a.x() * b.x() + a.y() * b.y(); }

QPointF V2Scale(QPointF v, double newLength) {
  const double length = V2Length(v);
  if (length == 0.0)
    return v;
  return QPointF(v.x() * newLength / length, v.y() * newLength / length);
}

QPointF V2ScaleII(QPointF v, double s) { return QPointF(v.x() * s, v.y() * s); }

double V2DistanceBetween2Points(QPointF a, QPointF b) { return V2Length(V2Sub(a, b)); }

void FlipPointV(QPointF& point, QPointF center) { point.setY(2 * center.y() - point.y()); }

void FlipPointH(QPointF& point, QPointF center) { point.setX(2 * center.x() - point.x()); }

QPointF Bezier(const QPointF* controlPoints, int degree, double t, QPointF* left, QPointF* right) {
  // The triangle of de Casteljau: row j holds degree + 1 - j points.
  constexpr int maxDegree = 5;
  KR_ASSERT(degree >= 0 && degree <= maxDegree, QStringLiteral("Bezier: degree out of range"));
  QPointF triangle[maxDegree + 1][maxDegree + 1];
  for (int i = 0; i <= degree; ++i)
    triangle[0][i] = controlPoints[i];
  for (int j = 1; j <= degree; ++j)
    for (int i = 0; i <= degree - j; ++i)
      triangle[j][i] = (1.0 - t) * triangle[j - 1][i] + t * triangle[j - 1][i + 1];
  if (left)
    for (int j = 0; j <= degree; ++j)
      left[j] = triangle[j][0];
  if (right)
    for (int j = 0; j <= degree; ++j)
      right[j] = triangle[degree - j][j];
  return triangle[degree][0];
}

double findRootsFlatness() { return std::ldexp(1.0, -(kFindRootsMaxDepth + 1)); }

namespace {

constexpr int kDegree = 3;
constexpr int kSearchDegree = 5;

int sign(double value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

int crossingCount(const QuinticCurve& curve) {
  int crossings = 0;
  int previous = sign(curve[0].y());
  for (int i = 1; i <= kSearchDegree; ++i) {
    const int current = sign(curve[size_t(i)].y());
    if (current != previous)
      ++crossings;
    previous = current;
  }
  return crossings;
}

// Whether the control points lie so close to the chord from the first to the
// last one that the chord's crossing with y = 0 is the root: the lines
// parallel to the chord through the farthest points on either side cross
// y = 0 within the flatness of each other.
bool controlPolygonFlatEnough(const QuinticCurve& curve) {
  const QPointF first = curve[0], last = curve[kSearchDegree];
  // The chord as a x + b y + c = 0.
  const double a = first.y() - last.y();
  const double b = last.x() - first.x();
  const double c = first.x() * last.y() - last.x() * first.y();
  double above = 0.0, below = 0.0;
  for (int i = 1; i < kSearchDegree; ++i) {
    const double distance = a * curve[size_t(i)].x() + b * curve[size_t(i)].y() + c;
    above = std::max(above, distance);
    below = std::min(below, distance);
  }
  if (a == 0.0) // a chord along y = 0: flat when every point lies on it
    return above == 0.0 && below == 0.0;
  // The line a x + b y + c - d = 0 crosses y = 0 at x = (d - c) / a.
  const double crossingAbove = (above - c) / a;
  const double crossingBelow = (below - c) / a;
  const double error = 0.5 * std::fabs(crossingAbove - crossingBelow);
  return error < findRootsFlatness();
}

// Where the chord from the first to the last control point crosses y = 0.
double chordCrossing(const QuinticCurve& curve) {
  const QPointF first = curve[0], last = curve[kSearchDegree];
  const double dy = last.y() - first.y();
  if (dy == 0.0)
    return 0.5 * (first.x() + last.x());
  return first.x() - first.y() * (last.x() - first.x()) / dy;
}

// The curve of degree five whose roots are the parameters at which
// (point - curve(t)) . curve'(t) = 0, in Bezier form over x = i / 5.
QuinticCurve distanceCondition(QPointF point, const CubicCurve& curve) {
  static const double z[kDegree][kDegree + 1] = {
      {1.0, 0.6, 0.3, 0.1},
      {0.4, 0.6, 0.6, 0.4},
      {0.1, 0.3, 0.6, 1.0},
  };
  QPointF c[kDegree + 1];
  for (int i = 0; i <= kDegree; ++i)
    c[i] = V2Sub(curve[size_t(i)], point);
  QPointF d[kDegree];
  for (int i = 0; i < kDegree; ++i)
    d[i] = V2ScaleII(V2Sub(curve[size_t(i + 1)], curve[size_t(i)]), 3.0);
  QuinticCurve w;
  for (int i = 0; i <= kSearchDegree; ++i)
    w[size_t(i)] = QPointF(double(i) / kSearchDegree, 0.0);
  for (int k = 0; k <= kSearchDegree; ++k) {
    const int low = std::max(0, k - (kDegree - 1));
    const int high = std::min(k, kDegree);
    for (int i = low; i <= high; ++i) {
      const int j = k - i;
      w[size_t(i + j)].ry() += V2Dot(d[j], c[i]) * z[j][i];
    }
  }
  return w;
}

} // namespace

int FindRoots(const QuinticCurve& curve, std::vector<double>& roots, int depth) {
  const int crossings = crossingCount(curve);
  if (crossings == 0)
    return 0;
  // A span that still crosses at the deepest level gives its middle, however
  // many crossings it shows: a curve touching y = 0 would split for ever.
  if (depth >= kFindRootsMaxDepth) {
    roots.push_back(0.5 * (curve[0].x() + curve[kSearchDegree].x()));
    return 1;
  }
  if (crossings == 1 && controlPolygonFlatEnough(curve)) {
    roots.push_back(chordCrossing(curve));
    return 1;
  }
  QuinticCurve left, right;
  Bezier(curve.data(), kSearchDegree, 0.5, left.data(), right.data());
  const int found = FindRoots(left, roots, depth + 1);
  return found + FindRoots(right, roots, depth + 1);
}

QPointF NearestPointOnCurve(QPointF point, const CubicCurve& curve) {
  std::vector<double> candidates;
  FindRoots(distanceCondition(point, curve), candidates, 0);
  double best = V2SquaredLength(V2Sub(point, curve[0]));
  double bestT = 0.0;
  for (double t : candidates) {
    const double distance = V2SquaredLength(V2Sub(point, Bezier(curve.data(), kDegree, t)));
    if (distance < best) {
      best = distance;
      bestT = t;
    }
  }
  if (V2SquaredLength(V2Sub(point, curve[kDegree])) < best)
    bestT = 1.0;
  return Bezier(curve.data(), kDegree, bestT);
}

bool IsPointOnCurve(const CubicCurve& curve, QPointF point, float tolerance) {
  return V2DistanceBetween2Points(point, NearestPointOnCurve(point, curve)) <= tolerance;
}

bool IsPointOnLine(QPointF point, QPointF start, QPointF end, float tolerance) {
  const QPointF corner(std::min(start.x(), end.x()), std::min(start.y(), end.y()));
  const float width = float(std::fabs(end.x() - start.x()));
  const float height = float(std::fabs(end.y() - start.y()));
  const bool rises = corner == start || corner == end;
  const QRectF grown(corner.x() - tolerance, corner.y() - tolerance, width + 2.0 * tolerance,
                     height + 2.0 * tolerance);
  if (point.x() < grown.left() || point.x() > grown.right() || point.y() < grown.top() ||
      point.y() > grown.bottom())
    return false;
  if (width == 0.0f)
    return std::fabs(corner.x() - point.x()) <= tolerance;
  const double slope = rises ? double(height) / width : -double(height) / width;
  const double baseY = rises ? corner.y() : corner.y() + height;
  return std::fabs(slope * (point.x() - corner.x()) - (point.y() - baseY)) <= tolerance;
}

} // namespace kr
