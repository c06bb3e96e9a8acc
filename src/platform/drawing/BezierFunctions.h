#pragma once

#include <QPointF>

#include <array>
#include <vector>

// Two-dimensional vector helpers and the nearest point of a cubic curve,
// on points of two doubles.
namespace kr {

// The four control points of a cubic curve: start, first control point,
// second control point, end.
using CubicCurve = std::array<QPointF, 4>;
// The six control points of a curve of degree five in Bezier form.
using QuinticCurve = std::array<QPointF, 6>;

double V2SquaredLength(QPointF v);
double V2Length(QPointF v);
QPointF V2Add(QPointF a, QPointF b);
QPointF V2Sub(QPointF a, QPointF b);
double V2Dot(QPointF a, QPointF b);
// `v` scaled to `newLength`; a vector of length 0 stays as it is.
QPointF V2Scale(QPointF v, double newLength);
QPointF V2ScaleII(QPointF v, double s);
double V2DistanceBetween2Points(QPointF a, QPointF b);

// Mirror the point about the horizontal (V) or vertical (H) line through `center`.
void FlipPointV(QPointF& point, QPointF center);
void FlipPointH(QPointF& point, QPointF center);

// The point at parameter `t` of the curve of `degree` over `controlPoints`
// (degree + 1 of them), by repeated linear interpolation. When asked, `left`
// and `right` (degree + 1 points each) get the control points of the two
// halves split at `t`.
QPointF Bezier(const QPointF* controlPoints, int degree, double t, QPointF* left = nullptr,
               QPointF* right = nullptr);

// The deepest subdivision of the root search, and the flatness below which a
// control polygon counts as its chord.
constexpr int kFindRootsMaxDepth = 64;
double findRootsFlatness(); // 2^-65

// Appends to `roots` the parameters at which the curve crosses y = 0, left
// ones first; answers how many it found. Stops subdividing at the maximum
// depth, where a span still crossing y = 0 gives its middle.
int FindRoots(const QuinticCurve& curve, std::vector<double>& roots, int depth = 0);

// The point of the cubic curve nearest to `point`.
QPointF NearestPointOnCurve(QPointF point, const CubicCurve& curve);
// Whether `point` lies within `tolerance` of the curve.
bool IsPointOnCurve(const CubicCurve& curve, QPointF point, float tolerance);
// Whether `point` lies within `tolerance` of the segment: inside the
// segment's box grown by the tolerance and within it vertically of the line
// (horizontally for an upright segment).
bool IsPointOnLine(QPointF point, QPointF start, QPointF end, float tolerance);

} // namespace kr
