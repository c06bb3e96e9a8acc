#include "platform/layout/ConstraintLayout.h"

#include "support/TestEnvironment.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace kr;
using A = LayoutAttribute;
using R = LayoutRelation;

namespace {

LayoutConstraint pin(QWidget* a, A aa, QWidget* b, A ba, double c = 0,
                     float p = LayoutPriority::required) {
  return LayoutConstraint(a, aa, R::Equal, b, ba, 1.0, c, p);
}

LayoutConstraint fixed(QWidget* a, A aa, R r, double c, float p = LayoutPriority::required) {
  return LayoutConstraint(a, aa, r, nullptr, A::NotAnAttribute, 1.0, c, p);
}

// A plain view with a fixed intrinsic size.
class Sized : public QWidget {
public:
  Sized(QSize size, QWidget* parent) : QWidget(parent), size_(size) {}
  QSize sizeHint() const override { return size_; }
  void setSize(QSize size) {
    size_ = size;
    updateGeometry();
  }

private:
  QSize size_;
};

} // namespace

TEST(ConstraintLayoutTest, FittingSizeFollowsContentAndIntrinsicChanges) {
  QWidget container;
  auto* a = new Sized(QSize(80, 20), &container);
  auto* layout = ConstraintLayout::of(&container);
  layout->addWidget(a);
  layout->addConstraints(
      {pin(a, A::Left, &container, A::Left, 8), pin(a, A::Top, &container, A::Top, 8),
       pin(a, A::Right, &container, A::Right, -8), pin(a, A::Bottom, &container, A::Bottom, -8)});
  EXPECT_EQ(container.sizeHint(), QSize(96, 36));
  a->setSize(QSize(100, 30));
  EXPECT_EQ(container.sizeHint(), QSize(116, 46));
  container.resize(300, 100);
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  EXPECT_EQ(a->geometry(), QRect(8, 8, 284, 84));
}

TEST(ConstraintLayoutTest, BaselinesOfDifferentFontsLineUp) {
  QWidget container;
  auto* big = new QLabel(QStringLiteral("Large"), &container);
  QFont font = big->font();
  font.setPointSize(24);
  big->setFont(font);
  auto* small = new QLabel(QStringLiteral("small"), &container);
  auto* layout = ConstraintLayout::of(&container);
  layout->addWidget(big);
  layout->addWidget(small);
  layout->addConstraints(
      {pin(big, A::Left, &container, A::Left, 8), pin(big, A::Top, &container, A::Top, 8),
       pin(small, A::Left, big, A::Right, 8), pin(small, A::LastBaseline, big, A::LastBaseline)});
  container.resize(400, 100);
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  const auto baseline = [](QLabel* label) {
    const QFontMetrics m(label->font());
    return label->y() + (label->height() - m.height()) / 2.0 + m.ascent();
  };
  EXPECT_GT(big->height(), small->height());
  EXPECT_NEAR(baseline(big), baseline(small), 1.0);
  EXPECT_EQ(small->x(), big->x() + big->width() + 8);
}

TEST(ConstraintLayoutTest, RequiredMinimumBeatsSmallerIntrinsicWidth) {
  QWidget container;
  auto* button = new QPushButton(QStringLiteral("OK"), &container);
  auto* layout = ConstraintLayout::of(&container);
  layout->addWidget(button);
  ASSERT_LT(button->sizeHint().width(), 200);
  layout->addConstraints({pin(button, A::Left, &container, A::Left),
                          pin(button, A::Top, &container, A::Top),
                          fixed(button, A::Width, R::GreaterThanOrEqual, 200)});
  container.resize(500, 100);
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  EXPECT_EQ(button->width(), 200);
  // Without the minimum the button hugs its intrinsic width.
  layout->removeConstraint(layout->constraints().last());
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  EXPECT_EQ(button->width(), button->sizeHint().width());
}

// A control whose minimum and maximum fix its size keeps that size, not the
// one its text asks for; a length fixed along one axis only leaves the other
// to the text.
TEST(ConstraintLayoutTest, FixedSizeIsTheIntrinsicSize) {
  QWidget container;
  auto* round = new QPushButton(QStringLiteral("A title much wider than the button"), &container);
  auto* wide = new QPushButton(QStringLiteral("Wide"), &container);
  round->setFixedSize(22, 22);
  wide->setFixedWidth(150);
  ASSERT_GT(round->sizeHint().width(), 22);
  auto* layout = ConstraintLayout::of(&container);
  layout->addConstraints(
      {pin(round, A::Left, &container, A::Left), pin(round, A::Top, &container, A::Top),
       pin(wide, A::Left, round, A::Right, 4), pin(wide, A::Top, &container, A::Top),
       pin(wide, A::Right, &container, A::Right), pin(wide, A::Bottom, &container, A::Bottom)});
  EXPECT_EQ(container.sizeHint(), QSize(22 + 4 + 150, wide->sizeHint().height()));
  container.resize(container.sizeHint());
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  EXPECT_EQ(round->geometry(), QRect(0, 0, 22, 22));
  EXPECT_EQ(wide->size(), QSize(150, wide->sizeHint().height()));

  // A new fixed size is taken up at the next pass.
  round->setFixedSize(30, 30);
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  EXPECT_EQ(round->size(), QSize(30, 30));
  EXPECT_EQ(container.sizeHint(), QSize(30 + 4 + 150, wide->sizeHint().height()));
}

TEST(ConstraintLayoutTest, ContradictionIsReportedOnceAndLayoutGoesOn) {
  QWidget container;
  container.setObjectName(QStringLiteral("page"));
  auto* box = new Sized(QSize(10, 10), &container);
  box->setObjectName(QStringLiteral("box"));
  auto* layout = ConstraintLayout::of(&container);
  layout->addWidget(box);
  test::ExpectWarnings expected({QStringLiteral("Unable to satisfy the required constraints")});
  test::ConsoleCapture console;
  layout->addConstraints(
      {pin(box, A::Left, &container, A::Left, 4), pin(box, A::Top, &container, A::Top, 4),
       fixed(box, A::Width, R::Equal, 100), fixed(box, A::Width, R::Equal, 150)});
  container.resize(300, 200);
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  container.resize(320, 200);
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  EXPECT_EQ(expected.seen(), 1);
  EXPECT_TRUE(console.contains(QStringLiteral("box\".width == 150")));
  EXPECT_TRUE(console.contains(QStringLiteral("box\".width == 100")));
  EXPECT_FALSE(console.contains(QStringLiteral("box\".top"))); // another axis
  EXPECT_EQ(box->geometry(), QRect(4, 4, 100, 10));
  // Removing the constraint that won lets the other one in, without a new report.
  layout->removeConstraint(layout->constraints().at(2));
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  EXPECT_EQ(box->width(), 150);
  EXPECT_EQ(expected.seen(), 1);
}

TEST(ConstraintLayoutTest, DeletedChildTakesItsConstraintsAlong) {
  QWidget container;
  auto* a = new Sized(QSize(40, 20), &container);
  auto* b = new Sized(QSize(40, 20), &container);
  auto* layout = ConstraintLayout::of(&container);
  layout->addWidget(a);
  layout->addWidget(b);
  layout->addConstraints({pin(a, A::Left, &container, A::Left), pin(b, A::Left, a, A::Right, 5),
                          pin(b, A::Top, &container, A::Top, 3)});
  // A child that was never added to the layout by hand is adopted by its constraints.
  auto* c = new Sized(QSize(10, 10), &container);
  layout->addConstraint(pin(c, A::Left, b, A::Left, 1));
  delete a;
  delete c;
  ASSERT_EQ(layout->constraints().size(), 1);
  container.resize(200, 50);
  ConstraintLayout::layoutSubtreeIfNeeded(&container);
  EXPECT_EQ(b->geometry(), QRect(0, 3, 40, 20));
}
