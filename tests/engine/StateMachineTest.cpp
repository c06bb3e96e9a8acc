#include "engine/StateMachine.h"
#include "engine/StateBase.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QStringList>

using namespace kr;

namespace {

// A small state of a test machine: exits "next" and "back", an action of its
// own and one that every state answers.
class TestState : public StateBase {
public:
  TestState(QString name, QStringList* log) : name_(std::move(name)), log_(log) {
    addAction(QStringLiteral("only") + name_,
              [this] { log_->append(name_ + QStringLiteral(" acted")); });
    addAction(QStringLiteral("common"),
              [this] { log_->append(name_ + QStringLiteral(" common")); });
  }
  void activate() override {
    log_->append(name_ + QStringLiteral(" on"));
    StateBase::activate();
  }
  void deactivate() override {
    log_->append(name_ + QStringLiteral(" off"));
    StateBase::deactivate();
  }
  const StateExits& exits() const override {
    static const StateExits table{StateExits::exit(QStringLiteral("next"), &TestState::next),
                                  StateExits::exit(QStringLiteral("back"), &TestState::back)};
    return table;
  }
  QString description() const override { return name_; }

  StateBase* next = nullptr;
  StateBase* back = nullptr;

private:
  QString name_;
  QStringList* log_;
};

// Inherits the exits of TestState and adds one.
class PausingState final : public TestState {
public:
  using TestState::TestState;
  const StateExits& exits() const override {
    static const StateExits table{{StateExits::exit(QStringLiteral("pause"), &PausingState::pause)},
                                  &TestState::exits()};
    return table;
  }
  StateBase* pause = nullptr;
};

class SkipsBaseActivate final : public StateBase {
public:
  void activate() override {}
};

class SkipsBaseDeactivate final : public StateBase {
public:
  void deactivate() override {}
  const StateExits& exits() const override {
    static const StateExits table{
        StateExits::exit(QStringLiteral("next"), &SkipsBaseDeactivate::next)};
    return table;
  }
  StateBase* next = nullptr;
};

// Stands for the main controller at the head of the chain.
class Head final : public Responder {
public:
  explicit Head(QStringList* log) {
    addAction(QStringLiteral("quit"), [log] { log->append(QStringLiteral("head quit")); });
  }
};

class StateMachineTest : public ::testing::Test {
protected:
  StateMachineTest() {
    define.next = &running;
    running.next = &rate;
    running.pause = &paused;
    paused.back = &running;
    rate.next = &define;
  }

  test::TestClock clock{5000.0};
  QStringList log;
  TestState define{QStringLiteral("define"), &log};
  PausingState running{QStringLiteral("running"), &log};
  TestState paused{QStringLiteral("paused"), &log};
  TestState rate{QStringLiteral("rate"), &log};
  StateMachine machine;
};

TEST_F(StateMachineTest, TransitionsFollowEachStatesTable) {
  EXPECT_EQ(&StateMachine::sharedStateMachine(), &machine);
  EXPECT_EQ(machine.currentState(), nullptr);
  EXPECT_EQ(machine.nextResponder(), nullptr);
  machine.setInitialState(&define);
  machine.start();
  EXPECT_EQ(machine.currentState(), &define);
  EXPECT_EQ(machine.nextResponder(), &define);

  clock.advance(12.5);
  EXPECT_DOUBLE_EQ(machine.timeIntervalSinceLastTransition(), 12.5);
  machine.triggerTransition(QStringLiteral("next"));
  machine.triggerTransition(QStringLiteral("pause")); // an inherited table holds it
  machine.triggerTransition(QStringLiteral("back"));
  machine.triggerTransition(QStringLiteral("next"));
  EXPECT_EQ(log, (QStringList{"define on", "define off", "running on", "running off", "paused on",
                              "paused off", "running on", "running off", "rate on"}));
  EXPECT_EQ(machine.currentState(), &rate);
  EXPECT_EQ(machine.nextResponder(), &rate);
  EXPECT_DOUBLE_EQ(machine.lastTransitionTime(), 5012.5);

  bool declared = true;
  EXPECT_EQ(rate.exitNamed(QStringLiteral("pause"), &declared), nullptr);
  EXPECT_FALSE(declared);
  EXPECT_EQ(running.exitNamed(QStringLiteral("back"), &declared), nullptr);
  EXPECT_TRUE(declared);
  running.setExit(QStringLiteral("back"), &define);
  EXPECT_EQ(running.back, &define);
}

TEST_F(StateMachineTest, ActionsReachOnlyTheCurrentState) {
  Head head(&log);
  head.setNextResponder(&machine);
  EXPECT_FALSE(head.tryToPerform(QStringLiteral("onlydefine"))) << "no state before start";
  machine.setInitialState(&define);
  machine.start();
  log.clear();

  EXPECT_TRUE(head.tryToPerform(QStringLiteral("onlydefine")));
  EXPECT_TRUE(head.tryToPerform(QStringLiteral("common")));
  EXPECT_TRUE(head.tryToPerform(QStringLiteral("quit")));
  EXPECT_FALSE(head.tryToPerform(QStringLiteral("onlyrunning")));
  EXPECT_EQ(log, (QStringList{"define acted", "define common", "head quit"}));

  machine.triggerTransition(QStringLiteral("next"));
  log.clear();
  EXPECT_FALSE(head.tryToPerform(QStringLiteral("onlydefine")));
  EXPECT_TRUE(head.tryToPerform(QStringLiteral("onlyrunning")));
  EXPECT_TRUE(head.tryToPerform(QStringLiteral("common")));
  EXPECT_FALSE(head.tryToPerform(QStringLiteral("unknownAction")));
  EXPECT_EQ(log, (QStringList{"running acted", "running common"}));
}

// Not declared, and declared but not linked: the line is logged and the
// state stays current and active, its page and its actions as they were.
TEST_F(StateMachineTest, AnUnlinkedNameIsLoggedAndTheStateStays) {
  machine.setInitialState(&define);
  machine.start();
  clock.advance(5.0);
  for (const char* name : {"nowhere", "back"}) {
    SCOPED_TRACE(name);
    const AskedAbout asked = StateMachine::currentActivation();
    log.clear();
    {
      test::ExpectWarnings expected({QStringLiteral("[StateMachine triggerTransition: '%1'] - "
                                                    "transition target state is not defined!")
                                         .arg(QLatin1String(name))});
      machine.triggerTransition(QString::fromLatin1(name));
      EXPECT_EQ(expected.seen(), 1);
    }
    EXPECT_TRUE(log.isEmpty()) << log.join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(machine.currentState(), &define);
    EXPECT_EQ(machine.nextResponder(), &define);
    EXPECT_TRUE(machine.tryToPerform(QStringLiteral("onlydefine")));
    EXPECT_DOUBLE_EQ(machine.timeIntervalSinceLastTransition(), 5.0);
    EXPECT_TRUE(asked.stillHolds()) << "nothing happened to the page";
  }
  machine.triggerTransition(QStringLiteral("next"));
  EXPECT_EQ(machine.currentState(), &running);
}

// The line fails any test that meets it unexpectedly, as a warning does.
TEST_F(StateMachineTest, AnUnlinkedNameFailsTheTestThatMeetsIt) {
  static StateMachine* shared = nullptr;
  shared = &machine;
  machine.setInitialState(&define);
  machine.start();
  EXPECT_NONFATAL_FAILURE(shared->triggerTransition(QStringLiteral("nowhere")),
                          "transition target state is not defined!");
  shared = nullptr;
}

using StateMachineDeathTest = StateMachineTest;

TEST_F(StateMachineDeathTest, ProgrammingErrorsStopTheProgram) {
  EXPECT_DEATH(machine.triggerTransition(QStringLiteral("next")),
               "\\[StateMachine triggerTransition: 'next'\\] - the machine has not started");
  machine.setInitialState(&define);
  machine.start();
  EXPECT_DEATH(define.setExit(QStringLiteral("pause"), &rate), "TestState has no exit named");

  SkipsBaseActivate lazy;
  define.next = &lazy;
  EXPECT_DEATH(machine.triggerTransition(QStringLiteral("next")),
               "SkipsBaseActivate class does not call \\[super activate\\] correctly");

  SkipsBaseDeactivate stubborn;
  stubborn.next = &define;
  StateMachine other;
  other.setInitialState(&stubborn);
  other.start();
  EXPECT_DEATH(other.triggerTransition(QStringLiteral("next")),
               "SkipsBaseDeactivate class does not call \\[super deactivate\\] correctly");
  EXPECT_DEATH(other.start(), "started twice");
}

TEST(ResponderDeathTest, ALoopInTheChainStopsTheProgram) {
  Responder a;
  Responder b;
  a.setNextResponder(&b);
  EXPECT_DEATH(b.setNextResponder(&a), "cannot follow itself");
}

} // namespace
