#include "platform/drawing/BezierPath.h"

#include <gtest/gtest.h>

using namespace kr;
using Type = BezierPath::ElementType;

namespace {

// A move, a line, a curve and a close, then a line and a curve past the close.
BezierPath moveLineCurveClose() {
  BezierPath path;
  path.moveTo(QPointF(0, 0));
  path.lineTo(QPointF(10, 0));
  path.curveTo(QPointF(10, 10), QPointF(15, 2), QPointF(15, 8));
  path.closePath();
  path.lineTo(QPointF(-5, -5));
  path.curveTo(QPointF(0, 0), QPointF(-5, 0), QPointF(0, -5));
  return path;
}

} // namespace

TEST(BezierPath, KeepsExplicitClosesAndStartsANewSubpathWhereTheClosedOneStarted) {
  const BezierPath path = moveLineCurveClose();
  ASSERT_EQ(path.elementCount(), 7);
  const auto& e = path.elements();
  EXPECT_EQ(e[0].type, Type::moveTo);
  EXPECT_EQ(e[1].type, Type::lineTo);
  EXPECT_EQ(e[2].type, Type::curveTo);
  EXPECT_EQ(e[2].points[0], QPointF(15, 2));  // first control point
  EXPECT_EQ(e[2].points[2], QPointF(10, 10)); // end
  EXPECT_EQ(e[3].type, Type::closePath);
  // The line after the close begins at the closed subpath's start.
  EXPECT_EQ(e[4].type, Type::moveTo);
  EXPECT_EQ(e[4].points[0], QPointF(0, 0));
  EXPECT_EQ(e[5].type, Type::lineTo);
  EXPECT_EQ(path.currentPoint(), QPointF(0, 0));
  // The drawn outline is closed: the closing edge from (10, 10) back to (0, 0) bounds it.
  EXPECT_TRUE(path.contains(QPointF(8, 3)));
  EXPECT_FALSE(path.contains(QPointF(2, 8)));

  // A rectangle is a move, three lines and a close; a move after a move replaces it.
  BezierPath rect = BezierPath::rect(QRectF(1, 2, 3, 4));
  EXPECT_EQ(rect.elementCount(), 5);
  EXPECT_EQ(rect.elements().back().type, Type::closePath);
  rect.moveTo(QPointF(7, 7));
  rect.moveTo(QPointF(8, 8));
  EXPECT_EQ(rect.elementCount(), 6);
  EXPECT_EQ(rect.elements().back().points[0], QPointF(8, 8));

  // Default stroke settings, kept by copies made through editing.
  BezierPath settings;
  EXPECT_EQ(settings.lineWidth(), 1.0);
  EXPECT_EQ(settings.lineJoinStyle(), Qt::MiterJoin);
  EXPECT_EQ(settings.miterLimit(), 10.0);
  settings.moveTo(QPointF(0, 0));
  settings.lineTo(QPointF(1, 1));
  settings.setLineWidth(3);
  settings.setMiterLimit(0);
  settings.setLineJoinStyle(Qt::RoundJoin);
  const BezierPath flipped = settings.pathFromVFlipAtPoint(QPointF(0, 0));
  EXPECT_EQ(flipped.lineWidth(), 3.0);
  EXPECT_EQ(flipped.miterLimit(), 0.0);
  EXPECT_EQ(flipped.lineJoinStyle(), Qt::RoundJoin);
}

TEST(BezierPath, ControlPointsStopAtTheFirstClose) {
  const BezierPath path = moveLineCurveClose();
  EXPECT_EQ(path.numControlPoints(), 5);
  const QList<QPointF> points = path.controlPoints();
  EXPECT_EQ(points, (QList<QPointF>{QPointF(0, 0), QPointF(10, 0), QPointF(15, 2), QPointF(15, 8),
                                    QPointF(10, 10)}));
  // An open path counts every element.
  BezierPath open;
  open.moveTo(QPointF(0, 0));
  open.curveTo(QPointF(3, 3), QPointF(1, 0), QPointF(2, 0));
  open.lineTo(QPointF(4, 4));
  EXPECT_EQ(open.numControlPoints(), 5);
  EXPECT_EQ(BezierPath().numControlPoints(), 0);
}

TEST(BezierPath, MovingAControlPointReplacesThatPointAndEndsAtTheFirstClose) {
  const BezierPath path = moveLineCurveClose();
  // Point 2 is the curve's first control point.
  const BezierPath moved = path.pathFromMovingControlPoint(2, QPointF(20, 20));
  ASSERT_EQ(moved.elementCount(), 4);
  EXPECT_EQ(moved.elements()[2].points[0], QPointF(20, 20));
  EXPECT_EQ(moved.elements()[2].points[1], QPointF(15, 8));
  EXPECT_EQ(moved.elements()[2].points[2], QPointF(10, 10));
  EXPECT_EQ(moved.elements()[3].type, Type::closePath);
  // Moving the start moves where the close returns to.
  const BezierPath start = path.pathFromMovingControlPoint(0, QPointF(0, 5));
  EXPECT_EQ(start.elements()[3].points[0], QPointF(0, 5));
  EXPECT_TRUE(start.pointInStroke(QPointF(5, 7.5))); // on the new closing edge
  // An index past the end changes nothing.
  const BezierPath same = path.pathFromMovingControlPoint(99, QPointF(1, 1));
  EXPECT_EQ(same.controlPoints(), path.controlPoints());
}

TEST(BezierPath, FlipsMirrorEveryPointAboutTheGivenPoint) {
  const BezierPath path = moveLineCurveClose();
  const BezierPath v = path.pathFromVFlipAtPoint(QPointF(100, 1));
  const BezierPath h = path.pathFromHFlipAtPoint(QPointF(1, 100));
  ASSERT_EQ(v.elementCount(), path.elementCount());
  ASSERT_EQ(h.elementCount(), path.elementCount());
  EXPECT_EQ(v.elements()[2].points[0], QPointF(15, 0));  // y: 2 - 2 = 0
  EXPECT_EQ(v.elements()[2].points[2], QPointF(10, -8)); // y: 2 - 10
  EXPECT_EQ(h.elements()[2].points[1], QPointF(-13, 8)); // x: 2 - 15
  EXPECT_EQ(v.elements()[3].type, Type::closePath);
  EXPECT_EQ(h.elements()[3].type, Type::closePath);
}

TEST(BezierPath, PointInStrokeOnALineACurveAndAClosingSegment) {
  // A closed triangle: a horizontal line, a curve and the closing segment.
  BezierPath path;
  path.moveTo(QPointF(0, 0));
  path.lineTo(QPointF(40, 0));
  path.curveTo(QPointF(40, 40), QPointF(50, 10), QPointF(50, 30));
  path.closePath(); // back along y = x
  // On the line: the path's bounds grown by half the width limit it to 0.5
  // below the line.
  EXPECT_TRUE(path.pointInStroke(QPointF(20, 0)));
  EXPECT_TRUE(path.pointInStroke(QPointF(20, 2.4)));
  EXPECT_FALSE(path.pointInStroke(QPointF(20, 2.6)));
  EXPECT_FALSE(path.pointInStroke(QPointF(20, -0.6)));
  // On the curve, whose rightmost point is x = 47.5 at t = 0.5.
  EXPECT_TRUE(path.pointInStroke(QPointF(47.5, 20)));
  EXPECT_TRUE(path.pointInStroke(QPointF(45.1, 20)));
  EXPECT_FALSE(path.pointInStroke(QPointF(44.5, 20)));
  // On the closing segment from (40, 40) to (0, 0): within 2.5 vertically.
  EXPECT_TRUE(path.pointInStroke(QPointF(10, 12.4)));
  EXPECT_FALSE(path.pointInStroke(QPointF(10, 12.6)));
  // Inside but away from every edge.
  EXPECT_FALSE(path.pointInStroke(QPointF(30, 10)));
  // A wider line widens the tolerance.
  path.setLineWidth(6);
  EXPECT_TRUE(path.pointInStroke(QPointF(10, 14.9)));
  EXPECT_FALSE(path.pointInStroke(QPointF(10, 15.1)));

  // The second subpath closes to its own start.
  BezierPath two = BezierPath::polygon({QPointF(0, 0), QPointF(10, 0), QPointF(10, 10)});
  two.append(BezierPath::polygon({QPointF(100, 0), QPointF(110, 0), QPointF(110, 10)}));
  EXPECT_TRUE(two.pointInStroke(QPointF(105, 5)));
  EXPECT_FALSE(two.pointInStroke(QPointF(55, 5)));
}

TEST(BezierPath, TransformAndConversionKeepTheElements) {
  QPainterPath painterPath;
  painterPath.addRect(QRectF(0, 0, 2, 2));
  painterPath.moveTo(5, 5);
  painterPath.cubicTo(QPointF(6, 5), QPointF(7, 6), QPointF(7, 7));
  const BezierPath path = BezierPath::fromPainterPath(painterPath);
  // The rectangle returns to its start and so is closed; the curve stays open.
  int closes = 0;
  for (const BezierPath::Element& e : path.elements())
    closes += e.type == Type::closePath;
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(path.elements().back().type, Type::curveTo);

  BezierPath moved = path;
  moved.transform(QTransform::fromTranslate(10, -1));
  EXPECT_EQ(moved.elementCount(), path.elementCount());
  EXPECT_EQ(moved.elements().back().points[2], QPointF(17, 6));
  EXPECT_EQ(moved.bounds(), path.bounds().translated(10, -1));
}
