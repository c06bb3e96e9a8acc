// The assembled shell and the notifications: the tray shows what the desktop
// cannot, becoming active withdraws what is still shown, and start-up says
// once whether the tray is there.
#include "shell/ApplicationShell.h"

#include "effects/EffectsServices.h"
#include "effects/QNVisualNotification.h"
#include "effects/ScriptLauncher.h"
#include "platform/services/TestAudioOutput.h"
#include "platform/services/TestDesktopNotifier.h"
#include "platform/services/TestSpeechSynthesizer.h"
#include "platform/services/TestStatusItem.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestEnvironment.h"

#include "LaunchedMachine.h"

#include <gtest/gtest.h>

using namespace kr;

namespace {

class NotificationsInShell : public ::testing::Test {
protected:
  ~NotificationsInShell() override {
    shell.reset();
    EffectsServices::install(nullptr);
  }

  void launch(bool trayAvailable) {
    EffectsServices::install(std::make_unique<EffectsServices>(
        UserDefaults::standard(), EffectsServices::BackEnds{audio, speech, notifier}, scripts,
        [] { return QString(); }, [] { return false; }));
    ShellContext context = machine.context();
    context.makeStatusItem = [this, trayAvailable] {
      auto item = std::make_unique<TestStatusItem>(trayAvailable);
      tray = item.get();
      return item;
    };
    shell = std::make_unique<ApplicationShell>(std::move(context));
    shell->launch();
  }
  static QNVisualNotification& visual() { return EffectsServices::shared().visualNotification(); }

  test::LaunchedMachine machine;
  TestAudioOutput audio;
  TestSpeechSynthesizer speech;
  TestDesktopNotifier notifier;
  ScriptLauncher scripts{QString()};
  TestStatusItem* tray = nullptr;
  std::unique_ptr<ApplicationShell> shell;
};

TEST_F(NotificationsInShell, WithoutANotificationServerTheTrayIconShowsTheMessage) {
  notifier.failWith = QStringLiteral("no notification server");
  test::ConsoleCapture console;
  launch(true);
  EXPECT_EQ(console.lines().filter(QStringLiteral("tray: available")).size(), 1);
  visual().displayNotification(QStringLiteral("Time Slice Elapsed"), QStringLiteral("Rate it"), 0.0,
                               false);
  ASSERT_EQ(tray->messages.size(), 1);
  EXPECT_EQ(tray->messages[0].title, QStringLiteral("Time Slice Elapsed"));
  EXPECT_EQ(tray->messages[0].body, QStringLiteral("Rate it"));
  EXPECT_EQ(tray->messages[0].seconds, 3.0);

  // Once the shell is gone the notifications no longer reach for its tray.
  shell.reset();
  visual().displayNotification(QStringLiteral("later"), QString(), 0.0, false);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No desktop notifications")).size(), 1);
}

TEST_F(NotificationsInShell, WithoutATrayEitherOneConsoleLineSaysSo) {
  notifier.failWith = QStringLiteral("no notification server");
  test::ConsoleCapture console;
  launch(false);
  EXPECT_EQ(console.lines().filter(QStringLiteral("tray: not available")).size(), 1);
  visual().displayNotification(QStringLiteral("a"), QString(), 0.0, false);
  visual().displayNotification(QStringLiteral("b"), QString(), 0.0, false);
  const QStringList said = console.lines().filter(QStringLiteral("No desktop notifications"));
  ASSERT_EQ(said.size(), 1);
  EXPECT_TRUE(said[0].endsWith(QStringLiteral("No desktop notifications: no notification server")));
}

TEST_F(NotificationsInShell, BecomingActiveWithdrawsTheNotificationStillShown) {
  launch(true);
  visual().displayNotification(QStringLiteral("Starting Time Slice"), QString(), 0.0, true);
  ASSERT_EQ(notifier.delivered.size(), 1u);
  EXPECT_TRUE(notifier.closed.empty());
  shell->becameActive();
  EXPECT_EQ(notifier.closed, std::vector<quint32>{1});
  EXPECT_TRUE(tray->messages.isEmpty()) << "the desktop showed it: no balloon";
}

} // namespace
