#include "shell/TimeViewsInstaller.h"

#include "states/TimeViewFactory.h"
#include "window/QuickDurationChangingViewController.h"
#include "window/TimeBubbleView.h"

#include "support/TestClock.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

using namespace kr;

TEST(TimeViewsInstaller, GivesThePagesTheWindowsTimeViewsWhileAlive) {
  test::TestClock clock;
  {
    TimeViewsInstaller installer;
    TimeViewFactory& factory = TimeViewFactory::shared();
    int minutes = -1;
    PageSection bubbles =
        TimeViewFactory::make(factory.makeTimeBubbleView, [&](int given) { minutes = given; });
    std::unique_ptr<QWidget> owner(bubbles.widget);
    auto* row = qobject_cast<TimeBubbleView*>(bubbles.widget);
    ASSERT_NE(row, nullptr);
    row->resize(400, 26);
    bubbles.update();
    row->bubbleClicked(row->bubble(0));
    EXPECT_EQ(minutes, row->bubbleDuration(0));

    // Opening the pop-up twice leaves one on screen.
    factory.runQuickDurationDialog(nullptr, 20, [](int) {});
    factory.runQuickDurationDialog(nullptr, 25, [](int) {});
    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
      shown += qobject_cast<QuickDurationChangingViewController*>(widget) && widget->isVisible();
    EXPECT_EQ(shown, 1);
  }
  EXPECT_FALSE(TimeViewFactory::shared().makeTimeBubbleView) << "uninstalled with the installer";
  PageSection placeholder =
      TimeViewFactory::make(TimeViewFactory::shared().makeTimeBubbleView, [](int) {});
  std::unique_ptr<QWidget> owner(placeholder.widget);
  EXPECT_NE(placeholder.widget, nullptr);
}
