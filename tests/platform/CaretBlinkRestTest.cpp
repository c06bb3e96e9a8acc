#include "platform/CaretBlinkRest.h"

#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace kr;

// The caret blinks at the desktop's rate while the user works, stays shown
// without blinking ten seconds after the last key or click, and blinks again
// at the next one; the desktop's rate comes back when the watcher goes.
TEST(CaretBlinkRest, TheCaretRestsAfterTenQuietSecondsAndBlinksAgainAtTheNextInput) {
  test::TestClock clock;
  QApplication::setCursorFlashTime(1000);
  QLineEdit editor;
  {
    CaretBlinkRest rest;
    clock.advance(9.9);
    EXPECT_FALSE(rest.isResting());
    EXPECT_EQ(QApplication::cursorFlashTime(), 1000);
    QTest::keyClick(&editor, Qt::Key_A);
    clock.advance(9.9);
    EXPECT_FALSE(rest.isResting()) << "a key press starts the ten seconds again";
    clock.advance(0.2);
    EXPECT_TRUE(rest.isResting());
    EXPECT_EQ(QApplication::cursorFlashTime(), 0);
    QTest::mouseClick(&editor, Qt::LeftButton);
    EXPECT_FALSE(rest.isResting());
    EXPECT_EQ(QApplication::cursorFlashTime(), 1000);
    clock.advance(10.0);
    EXPECT_EQ(QApplication::cursorFlashTime(), 0);
  }
  EXPECT_EQ(QApplication::cursorFlashTime(), 1000) << "the desktop's rate is given back";
  EXPECT_EQ(clock.runningTimerCount(), 0);

  // A desktop whose caret never blinks is left alone.
  QApplication::setCursorFlashTime(0);
  CaretBlinkRest still;
  clock.advance(20.0);
  EXPECT_FALSE(still.isResting());
  EXPECT_EQ(clock.runningTimerCount(), 0);
}
