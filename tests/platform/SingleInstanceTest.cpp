#include "platform/linux/dbus/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSignalSpy>

#include <atomic>
#include <thread>

using namespace kr;

// Two launches in one session: two connections to the private session bus.
TEST(SingleInstance, ALaterLaunchHandsItsArgumentsToTheFirst) {
  SingleInstance first;
  ASSERT_EQ(first.claim(), SingleInstance::Claim::first);
  QSignalSpy activations(&first, &SingleInstance::activationRequested);

  QDBusConnection secondBus =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("later"));
  {
    SingleInstance later(secondBus);
    ASSERT_EQ(later.claim(), SingleInstance::Claim::running);
    bool handedOver = false;
    QString error;
    // The later launch blocks on its call as a separate process would; the
    // first one answers from its event loop.
    std::thread launch(
        [&] { handedOver = later.handOver({QStringLiteral("korvaner2things://x")}, &error); });
    EXPECT_TRUE(activations.wait(5000));
    launch.join();
    EXPECT_TRUE(handedOver) << error.toStdString();
  }
  ASSERT_EQ(activations.size(), 1);
  EXPECT_EQ(activations.at(0).at(0).toStringList(),
            QStringList{QStringLiteral("korvaner2things://x")});
  QDBusConnection::disconnectFromBus(QStringLiteral("later"));
}

// An action that asks the user a question runs a nested event loop until it
// is answered; the later launch has its answer before that.
TEST(SingleInstance, TheLaterLaunchIsAnsweredBeforeAnActionThatAsksAQuestion) {
  SingleInstance first;
  ASSERT_EQ(first.claim(), SingleInstance::Claim::first);
  std::atomic<bool> launchEnded = false;
  bool endedDuringTheAction = false;
  QObject::connect(&first, &SingleInstance::activationRequested, [&] {
    const QDeadlineTimer question(8000);
    while (!launchEnded && !question.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    endedDuringTheAction = launchEnded;
  });
  QSignalSpy activations(&first, &SingleInstance::activationRequested);

  QDBusConnection secondBus =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("asking"));
  {
    SingleInstance later(secondBus);
    ASSERT_EQ(later.claim(), SingleInstance::Claim::running);
    bool handedOver = false;
    QString error;
    std::thread launch([&] {
      handedOver =
          later.handOver({QStringLiteral("--perform"), QStringLiteral("terminate")}, &error);
      launchEnded = true;
    });
    EXPECT_TRUE(activations.wait(10000));
    launch.join();
    EXPECT_TRUE(handedOver) << error.toStdString();
  }
  EXPECT_TRUE(endedDuringTheAction);
  QDBusConnection::disconnectFromBus(QStringLiteral("asking"));
}

TEST(SingleInstance, WithoutABusItRunsAloneAndSaysWhy) {
  SingleInstance alone(QDBusConnection(QStringLiteral("not connected")));
  QString why;
  EXPECT_EQ(alone.claim(&why), SingleInstance::Claim::unavailable);
  EXPECT_FALSE(why.isEmpty());
}
