#include "olderviews/BreakDurationBottomView.h"
#include "olderviews/CustomBackgroundView.h"
#include "olderviews/GroupTableCell.h"
#include "olderviews/OldDurationView.h"
#include "olderviews/OlderViewRegistry.h"
#include "olderviews/TimeControlBottomView.h"
#include "olderviews/WheelButton.h"
#include "olderviews/WheelButtonCell.h"

#include "window/BubbleViewWithArrowOnTop.h"

#include "art/BezierPathUtility.h"
#include "art/KorvaneStyleKit.h"
#include "engine/DataModel.h"
#include "engine/DateHelper.h"
#include "platform/drawing/GraphicsContext.h"
#include "support/TestClock.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kr;

namespace {

// The settings as the program prepares them: lengths tell their listeners.
DataModel& preparedModel() {
  DataModel::shared().prepare();
  return DataModel::shared();
}

template <typename T> std::unique_ptr<T> made(const char* className) {
  QObject* object = OlderViewRegistry::create(QString::fromLatin1(className));
  auto* typed = qobject_cast<T*>(object);
  EXPECT_NE(typed, nullptr) << className;
  if (!typed)
    delete object;
  return std::unique_ptr<T>(typed);
}

QDateTime at(int hour, int minute) {
  return QDateTime(QDate(2026, 3, 2), QTime(hour, minute), Qt::LocalTime);
}

// A view rendered over an opaque ground, as a window shows it.
QImage rendered(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::darkCyan);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

class LocaleScope {
public:
  explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(OlderViewRegistry, MakesEachClassByItsNameAndNothingElse) {
  const QStringList names = OlderViewRegistry::classNames();
  EXPECT_EQ(names.size(), 7);
  for (const QString& name : names) {
    std::unique_ptr<QObject> object(OlderViewRegistry::create(name));
    ASSERT_NE(object, nullptr) << name.toStdString();
    EXPECT_EQ(QString::fromLatin1(object->metaObject()->className()),
              QStringLiteral("kr::") + name);
  }
  for (const char* unknown : {"", "NSView", "kr::WheelButton", "wheelbutton"})
    EXPECT_EQ(OlderViewRegistry::create(QString::fromLatin1(unknown)), nullptr) << unknown;
  // A wheel button comes with its cell, as its interface file names it.
  auto button = made<WheelButton>("WheelButton");
  ASSERT_NE(button->cell(), nullptr);
  EXPECT_EQ(button->cell()->parent(), button.get());
  QWidget parent;
  QObject* owned = OlderViewRegistry::create(QStringLiteral("CustomBackgroundView"), &parent);
  EXPECT_EQ(owned->parent(), &parent);
}

TEST(TimeControlBottomView, KeepsTheLengthWithinTheSliderAndTheBreakViewSetsTheBreak) {
  auto slice = made<TimeControlBottomView>("TimeControlBottomView");
  auto pause = made<BreakDurationBottomView>("BreakDurationBottomView");
  DataModel& model = preparedModel();
  model.setBreakDurationInMinutes(5);
  struct Case {
    qint64 asked;
    qint64 seconds;
  };
  for (const Case& c : {Case{1, 120}, Case{99, 3600}, Case{25, 1500}, Case{-4, 120}}) {
    slice->attemptToSetDurationTo(c.asked);
    EXPECT_EQ(model.durationInSeconds(), c.seconds) << c.asked;
    EXPECT_EQ(slice->durationInSeconds(), c.seconds);
  }
  pause->attemptToSetDurationTo(99);
  EXPECT_EQ(model.breakDurationInSeconds(), 3600);
  EXPECT_EQ(pause->duration(), 60);
  EXPECT_EQ(model.durationInSeconds(), 120) << "the break view leaves the slice alone";
}

TEST(OldDurationView, DigitsWithinASecondMakeOneNumber) {
  test::TestClock clock;
  auto bottom = made<TimeControlBottomView>("TimeControlBottomView");
  auto view = made<OldDurationView>("OldDurationView");
  view->setTimeControlBottomView(bottom.get());
  DataModel& model = DataModel::shared();
  struct Case {
    double after; // seconds since the previous key
    char key;
    qint64 minutes; // the slice length after the key
  };
  const Case cases[] = {
      {0.0, '4', 4},  {0.5, '5', 45}, // one number
      {1.5, '5', 5},  {1.2, '1', 2},  // more than a second apart: 1, clamped
      {1.0, '7', 7},                  // exactly a second is too late
      {0.3, '9', 60},                 // 79 clamped
      {0.2, 'x', 60},                 // not a digit: left to the parent
  };
  for (const Case& c : cases) {
    clock.advance(c.after);
    QTest::keyClick(view.get(), c.key);
    EXPECT_EQ(model.durationInMinutes(), c.minutes) << c.key;
  }
  EXPECT_EQ(view->lastDigitThatWasAccepted(), 9);
  // With a command modifier a digit is no duration.
  clock.advance(2.0);
  QTest::keyClick(view.get(), '3', Qt::ControlModifier);
  QTest::keyClick(view.get(), '3', Qt::AltModifier);
  EXPECT_EQ(model.durationInMinutes(), 60);
}

TEST(TimeControlBottomView, BubblesStandAtTheNextQuarterHours) {
  test::TestClock clock;
  auto view = made<TimeControlBottomView>("TimeControlBottomView");
  view->resize(420, 60); // (420 - 14) / 58 = 7 points a minute
  view->prepare();
  view->activate();
  EXPECT_TRUE(view->bubble(0)->isHidden()) << "hidden until placed";
  struct Case {
    QDateTime now;
    std::array<qint64, 4> minutes;
    bool fourthShown;
    int firstX;
    double firstArrow;
  };
  const Case cases[] = {
      // 8 minutes: centre 7 + 6 x 7 = 49, the bubble 60 wide.
      {at(10, 52), {8, 23, 38, 53}, true, 19, 30.0},
      {at(10, 59), {16, 31, 46, 61}, false, 7 + 14 * 7 - 30, 30.0},
      // 2 minutes: centred on 7 the bubble would start at -23; it starts at
      // the edge and its arrow still points at 7.
      {at(10, 13), {2, 17, 32, 47}, true, 0, 7.0},
  };
  for (const Case& c : cases) {
    clock.setDate(c.now);
    view->updateState();
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(view->bubbleDuration(k), c.minutes[std::size_t(k)]) << k;
      EXPECT_EQ(view->bubbleTitleDate(k), c.now.addSecs(c.minutes[std::size_t(k)] * 60));
      EXPECT_EQ(view->bubble(k)->title(),
                QLocale().toString(view->bubbleTitleDate(k).time(), QStringLiteral("HH:mm")));
    }
    EXPECT_FALSE(view->bubble(2)->isHidden());
    EXPECT_EQ(!view->bubble(3)->isHidden(), c.fourthShown);
    EXPECT_EQ(view->bubble(0)->x(), c.firstX);
    EXPECT_DOUBLE_EQ(view->bubble(0)->middleX(), c.firstArrow);
  }
  EXPECT_DOUBLE_EQ(view->offset(), 7.0);
  EXPECT_DOUBLE_EQ(view->tickDelta(), 7.0);
  // The last bubble keeps inside the right edge, its arrow moved right.
  clock.setDate(at(10, 0));
  view->updateState();
  EXPECT_EQ(view->bubble(3)->x(), 420 - 60);
  EXPECT_DOUBLE_EQ(view->bubble(3)->middleX(), 45.0);
  EXPECT_EQ(view->bubble(0)->gradient().colors(), BezierPathUtility::purpleGradient().colors());
}

TEST(TimeControlBottomView, TextsFollowTheLength) {
  test::TestClock clock;
  clock.setDate(at(10, 52));
  auto view = made<TimeControlBottomView>("TimeControlBottomView");
  view->activate();
  struct Case {
    int minutes;
    const char* duration;
    const char* motivation;
    const char* resistance;
  };
  for (const Case& c : {Case{19, "19", "Low", "High"}, Case{20, "20", "Normal", "Normal"},
                        Case{30, "30", "High", "Low"}, Case{5, "05", "Low", "High"}}) {
    preparedModel().setDurationInMinutes(c.minutes); // the listener updates the view
    EXPECT_EQ(view->durationTextField()->text(), QLatin1String(c.duration));
    EXPECT_EQ(view->motivationTextField()->text(), QLatin1String(c.motivation)) << c.minutes;
    EXPECT_EQ(view->resistanceTextField()->text(), QLatin1String(c.resistance)) << c.minutes;
    EXPECT_EQ(view->computedEndDate(), at(10, 52).addSecs(c.minutes * 60));
  }
}

TEST(TimeControlBottomView, TheEndTimeKeepsItsDayHalfMarkerInItsOwnFont) {
  test::TestClock clock;
  clock.setDate(at(10, 52));
  auto view = made<TimeControlBottomView>("TimeControlBottomView");
  DataModel::shared().setDurationInMinutes(25);
  {
    LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    view->updateState();
    const QString text = view->endDateField()->text();
    EXPECT_EQ(view->endDateField()->textFormat(), Qt::RichText);
    EXPECT_TRUE(text.startsWith(QStringLiteral("11:17:00"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("font-size:20px"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("AM</span>"))) << text.toStdString();
  }
  LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
  view->updateState();
  EXPECT_EQ(view->endDateField()->textFormat(), Qt::PlainText);
  EXPECT_EQ(view->endDateField()->text(), QStringLiteral("11:17:00"));
}

TEST(BreakDurationBottomView, FollowsTheBreakLength) {
  test::TestClock clock;
  auto view = made<BreakDurationBottomView>("BreakDurationBottomView");
  view->prepare();
  EXPECT_TRUE(view->durationTextField()->isHidden());
  view->activate();
  EXPECT_FALSE(view->durationTextField()->isHidden());
  preparedModel().setBreakDurationInMinutes(15);
  EXPECT_EQ(view->durationTextField()->text(), QStringLiteral("15"));
  EXPECT_EQ(view->computedEndDate(), clock.nowAsDate().addSecs(15 * 60));
  DataModel::shared().setDurationInMinutes(40);
  EXPECT_EQ(view->durationTextField()->text(), QStringLiteral("15"));
  EXPECT_EQ(view->motivationTextField()->text(), QStringLiteral("Low"));
}

TEST(WheelButton, OpensItsMenuBelowItselfAndStaysPressedWhileItIsOpen) {
  QWidget window;
  window.resize(200, 120);
  auto* button =
      qobject_cast<WheelButton*>(OlderViewRegistry::create(QStringLiteral("WheelButton"), &window));
  button->setGeometry(40, 30, 40, 42);
  QMenu menu;
  menu.addAction(QStringLiteral("First"));
  button->setMyMenu(&menu);
  window.show();
  QTest::mousePress(button, Qt::LeftButton);
  EXPECT_TRUE(menu.isVisible());
  EXPECT_TRUE(button->isDown());
  EXPECT_EQ(button->menuOrigin(), window.mapToGlobal(QPoint(40 - 8, 30 + 42 + 4)));
  EXPECT_EQ(menu.activeAction(), nullptr);
  menu.hide();
  EXPECT_FALSE(button->isDown());
}

TEST(OlderViewsDrawing, BackgroundWheelAndGroupRow) {
  // The background view shows the window artwork.
  auto background = made<CustomBackgroundView>("CustomBackgroundView");
  background->resize(200, 100);
  QImage expected(200, 100, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter painter(&expected);
    GraphicsContext context(&painter, 100);
    GraphicsContext::Scope scope(context);
    KorvaneStyleKit::drawBackground(QRectF(0, 0, 200, 100));
  }
  const QImage drawn = rendered(*background);
  for (const QPoint p : {QPoint(100, 2), QPoint(100, 50), QPoint(5, 97)})
    EXPECT_EQ(drawn.pixel(p), expected.pixel(p)) << p.x() << "," << p.y();

  // The wheel button draws the wheel 8 right and 9 down, glowing with focus.
  QWidget window;
  window.resize(60, 60);
  auto* button =
      qobject_cast<WheelButton*>(OlderViewRegistry::create(QStringLiteral("WheelButton"), &window));
  button->setGeometry(0, 0, 40, 42);
  const QImage plain = rendered(*button);
  const QRgb ground = QColor(Qt::darkCyan).rgb();
  EXPECT_EQ(plain.pixel(4, 4), ground);
  EXPECT_GT(qGray(plain.pixel(8 + 12 + 2, 9 + 12)), 160) << "the hub";
  EXPECT_EQ(plain.pixel(8 + 18, 9 + 12), ground) << "between two spokes";
  EXPECT_EQ(plain.pixel(8 + 12, 9 - 2), ground) << "above the rim";
  window.show();
  QApplication::setActiveWindow(&window);
  button->setFocus();
  ASSERT_TRUE(WheelButtonCell::showsFirstResponder(button));
  const QImage focused = rendered(*button);
  EXPECT_GT(qGray(focused.pixel(8 + 12, 9 - 2)), qGray(ground)) << "the glow";

  // A group row is black, one point into the row below, its text white.
  auto cell = made<GroupTableCell>("GroupTableCell");
  QStandardItemModel model(1, 1);
  model.setItem(0, 0, new QStandardItem(QStringLiteral("Monday")));
  QImage row(100, 30, QImage::Format_ARGB32_Premultiplied);
  row.fill(Qt::white);
  {
    QPainter painter(&row);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 100, 20);
    option.font = QApplication::font();
    option.palette = QApplication::palette();
    cell->paint(&painter, option, model.index(0, 0));
  }
  EXPECT_EQ(row.pixel(99, 20), QColor(Qt::black).rgb());
  EXPECT_EQ(row.pixel(50, 21), QColor(Qt::white).rgb());
  int light = 0;
  for (int x = 0; x < 100; ++x)
    light += qGray(row.pixel(x, 10)) > 128;
  EXPECT_GT(light, 0) << "the text drawn over the black";
}
