#include "states/BaseState.h"
#include "states/ModernUIState.h"
#include "states/UpdatedViewType.h"

#include "StateTestDoubles.h"
#include "engine/StateMachine.h"
#include "kit/Label.h"
#include "kit/walls/TitleFragment.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include <cstring>

using namespace kr;

namespace {

class TextState final : public BaseState {
public:
  QString menuItemText() const override { return text; }
  int menuItemState() const override { return 1; }
  QString text;
};

class CountingView final : public UpdatedViewType {
public:
  void updateState() override { ++count; }
  int count = 0;
};

class PageState final : public ModernUIState {};

} // namespace

TEST(BaseState, PostsStartAndEndWithZeroValuesAndShowsItsPage) {
  test::TestClock clock;
  test::RecordingStateHost host;
  TextState state;
  state.activate();
  state.deactivate();
  ASSERT_EQ(host.events.size(), 2u);
  EXPECT_EQ(host.events[0].name, QStringLiteral("Korvane_R_3.TextState.start"));
  EXPECT_EQ(host.events[1].name, QStringLiteral("Korvane_R_3.TextState.end"));
  for (const auto& event : host.events) {
    EXPECT_EQ(event.value, 0);
    EXPECT_EQ(event.maxValue, 0);
  }
  EXPECT_EQ(host.shownStates, std::vector<BaseState*>{&state});
  EXPECT_EQ(state.buttonWall()->size(), QSize(440, 34));
  EXPECT_EQ(state.infoWall()->objectName(), QStringLiteral("InfoWall"));
}

TEST(BaseState, StatusTitleHasOneLeadingBlankOnlyWhenThereIsText) {
  test::TestClock clock;
  test::RecordingStateHost host;
  TextState state;
  state.updateMenuItem();
  state.text = QStringLiteral("12:00");
  state.updateMenuItem();
  EXPECT_EQ(host.statusTitles, (QStringList{QString(), QStringLiteral(" 12:00")}));
  EXPECT_EQ(host.statusState, 1);
}

TEST(BaseState, DefaultActionClicksOnlyTheFirstDefaultButton) {
  TextState state;
  EXPECT_FALSE(state.simulateDefaultButtonPress());
  QStringList clicked;
  for (const char* title : {"Plain", "First", "Second"}) {
    auto* button = new QPushButton(QString::fromLatin1(title), state.buttonWall());
    button->setDefault(std::strcmp(title, "Plain") != 0);
    QObject::connect(button, &QPushButton::clicked,
                     [&clicked, button] { clicked.append(button->text()); });
  }
  EXPECT_TRUE(state.simulateDefaultButtonPress());
  EXPECT_EQ(clicked, QStringList{QStringLiteral("First")});
}

TEST(ModernUIState, RefreshesOnActivationAndEverySecondUntilDeactivated) {
  test::TestClock clock;
  test::RecordingStateHost host;
  PageState state;
  state.deactivate(); // never activated: only the base deactivation runs
  EXPECT_EQ(clock.runningTimerCount(), 0);
  CountingView first, second;
  state.addUpdatableView(first);
  state.addUpdatableView(second);
  state.activate();
  EXPECT_EQ(first.count, 1);
  clock.advance(0.9);
  EXPECT_EQ(first.count, 1);
  clock.advance(2.1);
  EXPECT_EQ(first.count, 4);
  EXPECT_EQ(second.count, 4);
  state.deactivate();
  clock.advance(5.0);
  EXPECT_EQ(first.count, 4);
  EXPECT_EQ(clock.runningTimerCount(), 0);
}

TEST(ModernUIState, StackViewFillsTheInfoWallAndTakesSections) {
  PageState state;
  state.createStackView();
  state.createAndInstallTitleFragment(QStringLiteral("Title"));
  ASSERT_NE(state.fragmentStackView(), nullptr);
  EXPECT_EQ(state.fragmentStackView()->parentWidget(), state.infoWall());
  EXPECT_EQ(state.titleFragment()->label()->text(), QStringLiteral("Title"));
  EXPECT_EQ(state.titleFragment()->parentWidget(), state.fragmentStackView());
}
