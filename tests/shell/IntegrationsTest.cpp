// The login item added at the first launch and the mailing-list offer.
#include "shell/MailingListManager.h"
#include "shell/MainController.h"
#include "shell/SandboxHelper.h"
#include "shell/ShellContext.h"
#include "shell/StandardHooks.h"

#include "platform/files/LoginItems.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestUrlOpener.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kr;

namespace {

// Counts the changes made to the login items.
class CountingLoginItems final : public LoginItems {
public:
  std::optional<QString> itemForThisProgram() const override {
    return on ? std::optional<QString>(QStringLiteral("entry")) : std::nullopt;
  }
  bool addThisProgram(QString*) override {
    ++adds;
    on = true;
    return true;
  }
  bool removeThisProgram(QString* error) override {
    if (failRemoval) {
      *error = QStringLiteral("read-only");
      return false;
    }
    on = false;
    return true;
  }
  bool on = false;
  bool failRemoval = false;
  int adds = 0;
};

TEST(LoginItemAtFirstLaunch, AddedOnceAndNotAgainAfterTheUserRemovedIt) {
  CountingLoginItems items;
  SandboxHelper::installLoginItems(&items);
  ShellContext context;
  context.defaults = &UserDefaults::standard();
  StandardHooks::installIntegrationHooks(context.hooks);
  UserDefaults::standard().setValue(QStringLiteral("firstLaunch"), true);

  MainController::initializeClass(context);
  EXPECT_EQ(items.adds, 1);
  EXPECT_TRUE(SandboxHelper::isLaunchAtStartup());
  EXPECT_EQ(SandboxHelper::itemRefInLoginItems(), std::optional<QString>(QStringLiteral("entry")));

  // The user removes it; the next launch is no first launch.
  ASSERT_TRUE(SandboxHelper::toggleLaunchAtStartup());
  MainController::initializeClass(context);
  EXPECT_EQ(items.adds, 1);
  EXPECT_FALSE(SandboxHelper::isLaunchAtStartup());

  // A first launch with the item already there adds nothing.
  ASSERT_TRUE(SandboxHelper::toggleLaunchAtStartup());
  UserDefaults::standard().setValue(QStringLiteral("firstLaunch"), true);
  MainController::initializeClass(context);
  EXPECT_EQ(items.adds, 2) << "only the toggle added";

  // A failed toggle says so and changes nothing.
  items.failRemoval = true;
  test::ExpectWarnings warning({QStringLiteral("could not be turned off")});
  QString error;
  EXPECT_FALSE(SandboxHelper::toggleLaunchAtStartup(&error));
  EXPECT_EQ(error, QStringLiteral("read-only"));
  EXPECT_TRUE(SandboxHelper::isLaunchAtStartup());
  EXPECT_FALSE(SandboxHelper::isSandboxOn());
  SandboxHelper::installLoginItems(nullptr);
}

// A bookmark here is the path of a file or folder that exists, used while it
// is there; access is the system's own test.
TEST(SandboxBookmarks, AreThePathsOfWhatExists) {
  QTemporaryDir folder(test::temporaryHome() + QStringLiteral("/bookmarks-XXXXXX"));
  const QUrl url = QUrl::fromLocalFile(folder.path());
  const QUrl gone = QUrl::fromLocalFile(folder.path() + QStringLiteral("/gone"));
  const QUrl web(QStringLiteral("https://korvaner.io/"));
  const std::optional<QByteArray> bookmark =
      SandboxHelper::getApplicationSecurityScopedBookmark(url);
  ASSERT_TRUE(bookmark);
  EXPECT_EQ(SandboxHelper::resolveSecurityScopedBookmark(bookmark), url);
  EXPECT_FALSE(SandboxHelper::getApplicationSecurityScopedBookmark(gone));
  EXPECT_FALSE(SandboxHelper::getApplicationSecurityScopedBookmark(web));
  EXPECT_FALSE(SandboxHelper::resolveSecurityScopedBookmark(std::nullopt));

  const QString key = QStringLiteral("testFolderBookmark");
  SandboxHelper::archiveSecurityBookmark(bookmark, key);
  SandboxHelper::archiveSecurityBookmark(std::nullopt, key); // keeps what is stored
  EXPECT_EQ(UserDefaults::standard().string(key), folder.path());
  EXPECT_EQ(SandboxHelper::unarchiveSecurityBookmarkFromUserDefaultsKey(key), bookmark);
  EXPECT_FALSE(SandboxHelper::unarchiveSecurityBookmarkFromUserDefaultsKey(QStringLiteral("none")));

  EXPECT_TRUE(SandboxHelper::securityBookmarksAreAvailable());
  EXPECT_TRUE(SandboxHelper::startUsingSecurityScopedBookmark(url));
  EXPECT_TRUE(SandboxHelper::isUsingSecurityScopedBookmark(url));
  EXPECT_TRUE(SandboxHelper::stopUsingSecurityScopedBookmark(url));
  EXPECT_FALSE(SandboxHelper::isUsingSecurityScopedBookmark(url));
  EXPECT_FALSE(SandboxHelper::startUsingSecurityScopedBookmark(gone));
  EXPECT_FALSE(SandboxHelper::stopUsingSecurityScopedBookmark(web));

  QFile plain(folder.path() + QStringLiteral("/plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  const struct {
    QString path;
    int kind;
    bool accessible;
  } cases[] = {{folder.path(), F_OK, true},
               {folder.path(), R_OK | X_OK, true},
               {plain.fileName(), R_OK, true},
               {plain.fileName(), X_OK, false},
               {gone.toLocalFile(), F_OK, false}};
  for (const auto& c : cases)
    EXPECT_EQ(SandboxHelper::isPathAccessible(c.path, c.kind), c.accessible)
        << c.path.toStdString();
}

TEST(LoginItemAtFirstLaunch, TheStandardItemIsTheAutostartEntryOfTheRunningProgram) {
  QTemporaryDir config;
  const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  EXPECT_FALSE(SandboxHelper::isLaunchAtStartup());
  ASSERT_TRUE(SandboxHelper::toggleLaunchAtStartup());
  EXPECT_TRUE(QFile::exists(config.path() + QStringLiteral("/autostart/korvane-r.desktop")));
  EXPECT_TRUE(SandboxHelper::isLaunchAtStartup());
  ASSERT_TRUE(SandboxHelper::toggleLaunchAtStartup());
  EXPECT_FALSE(QFile::exists(config.path() + QStringLiteral("/autostart/korvane-r.desktop")));
  qputenv("XDG_CONFIG_HOME", previous);
}

class MailingListTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }
  QTemporaryDir folder;
  UserDefaults defaults{folder.filePath(QStringLiteral("settings.plist"))};
  TestAlertPresenter alerts;
  ScopedAlertPresenter installedAlerts{alerts};
  TestUrlOpener opener;
  ScopedUrlOpener installedOpener{opener};
};

TEST_F(MailingListTest, TheSixthLaunchInvitesAndJoiningOpensThePageAndItReturns) {
  MailingListManager manager(defaults);
  EXPECT_EQ(defaults.integer(MailingListManager::kLaunchCounterKey), 0);
  EXPECT_FALSE(defaults.boolValue(MailingListManager::kSuppressedKey));
  for (int launch = 1; launch <= 5; ++launch)
    manager.doIt();
  EXPECT_TRUE(alerts.shown.isEmpty());
  EXPECT_EQ(defaults.integer(MailingListManager::kLaunchCounterKey), 5);

  alerts.answer = 0; // "Join"
  manager.doIt();
  ASSERT_EQ(alerts.shown.size(), 1);
  const Alert& offer = alerts.shown.first();
  EXPECT_EQ(offer.messageText, QStringLiteral("Would you like to join our mailing list?"));
  EXPECT_TRUE(offer.informativeText.startsWith(QStringLiteral("Be the first to hear")));
  EXPECT_EQ(offer.buttons, (QStringList{QStringLiteral("Join"), QStringLiteral("Not Now")}));
  EXPECT_TRUE(offer.showsSuppressionButton);
  EXPECT_EQ(offer.escapeButton, 1);
  ASSERT_EQ(opener.opened.size(), 1);
  EXPECT_EQ(opener.opened.first(),
            QUrl(QStringLiteral("https://korvaner.io/support/subscribe.html")));

  manager.doIt();
  EXPECT_EQ(alerts.shown.size(), 2) << "joining does not end the invitations";
  EXPECT_EQ(defaults.integer(MailingListManager::kLaunchCounterKey), 7);
}

TEST_F(MailingListTest, NotNowWithTheBoxEndsItAndEscapeIsNotNow) {
  MailingListManager manager(defaults);
  defaults.setValue(MailingListManager::kLaunchCounterKey, 5);
  alerts.answers = {TestAlertPresenter::pressEscape};
  manager.doIt();
  EXPECT_EQ(alerts.shown.size(), 1);
  EXPECT_TRUE(opener.opened.isEmpty()) << "Escape answers Not Now";
  EXPECT_FALSE(defaults.boolValue(MailingListManager::kSuppressedKey));

  alerts.answer = 1; // "Not Now"
  alerts.tickSuppression = true;
  manager.doIt();
  EXPECT_EQ(alerts.shown.size(), 2);
  EXPECT_TRUE(defaults.boolValue(MailingListManager::kSuppressedKey));
  for (int launch = 0; launch < 3; ++launch)
    manager.doIt();
  EXPECT_EQ(alerts.shown.size(), 2) << "never again";
  EXPECT_TRUE(opener.opened.isEmpty());

  // Forced for testing it shows even on an early or suppressed launch.
  manager.setForceActivationForTesting(true);
  manager.doIt();
  EXPECT_EQ(alerts.shown.size(), 3);
}

} // namespace
