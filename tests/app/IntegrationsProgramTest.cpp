// The integrations in the program as main() starts it: the Help menu's pages,
// the mailing-list offer, the login item and the Debug menu.
#include "StartedProgram.h"

#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestUrlOpener.h"
#include "platform/settings/UserDefaults.h"
#include "preferences/PreferencesController.h"
#include "preferences/SyncPane.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "shell/MainController.h"
#include "shell/SoftwareUpdater.h"
#include "window/MainMenu.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace kr;
using namespace kr::test;

namespace {

QMenu* topMenu(MainMenu& menu, const QString& title) {
  for (QAction* top : menu.menu()->actions()) {
    if (top->menu() && top->text() == title)
      return top->menu();
  }
  return nullptr;
}

QString autostartEntry() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/autostart/korvane-r.desktop");
}

TEST(IntegrationsProgram, TheHelpMenuOpensTheMakersPagesAndThereIsNoDebugMenu) {
  StartedProgram p;
  TestUrlOpener opener;
  ScopedUrlOpener installed(opener);
  MainMenu& menu = p.program->shell().mainMenu();
  EXPECT_EQ(topMenu(menu, QStringLiteral("Debug")), nullptr) << "no Debug menu by default";
  EXPECT_EQ(menu.itemSending(QStringLiteral("setRemainingSecondsTo15")), nullptr);
  QMenu* help = topMenu(menu, QStringLiteral("Help"));
  ASSERT_NE(help, nullptr);
  Q_EMIT help->aboutToShow();
  const std::vector<std::pair<QString, QString>> items = {
      {QStringLiteral("Korvane-R User Manual"),
       QStringLiteral("https://korvaner.io/download/Korvane_R_User_Manual.pdf")},
      {QStringLiteral("Korvane-R for iPhone"),
       QStringLiteral("https://korvaner.io/iphone/Korvane-R/mac.html")},
      {QStringLiteral("Join the Mailing List\u2026"),
       QStringLiteral("https://korvaner.io/support/subscribe.html")},
      {QStringLiteral("Contact the Developer"),
       QStringLiteral("https://korvaner.io/contact.html")}};
  for (const auto& [title, address] : items) {
    QAction* item = nullptr;
    for (QAction* candidate : help->actions()) {
      if (candidate->text() == title)
        item = candidate;
    }
    ASSERT_NE(item, nullptr) << title.toStdString();
    EXPECT_TRUE(item->isEnabled()) << title.toStdString();
    opener.opened.clear();
    item->trigger();
    ASSERT_EQ(opener.opened.size(), 1) << title.toStdString();
    EXPECT_EQ(opener.opened.first(), QUrl(address));
  }
  opener.opened.clear();
  ASSERT_TRUE(p.program->shell().mainController().tryToPerform(QStringLiteral("showContactLink")));
  ASSERT_EQ(opener.opened.size(), 1);
  EXPECT_EQ(opener.opened.first(), QUrl(QStringLiteral("https://korvaner.io/contact.html")));

  // The launch was counted; a launch that is no first one adds no login item.
  EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("mailing_list_launchCounter")), 1);
  EXPECT_FALSE(QFile::exists(autostartEntry()));

  // The Sync pane's switch is the Dropbox manager's.
  ASSERT_NE(DropboxSyncAPI::installed(), nullptr);
  UserDefaults::standard().setValue(QStringLiteral("dropboxSync"), true);
  EXPECT_TRUE(DropboxSyncAPI::installed()->isDropboxSyncActive());
  UserDefaults::standard().setValue(QStringLiteral("dropboxSync"), false);
  EXPECT_FALSE(DropboxSyncAPI::installed()->isDropboxSyncActive());
}

TEST(IntegrationsProgram, TheSixthLaunchOffersTheMailingListAndTheFirstAddsTheLoginItem) {
  QFile::remove(autostartEntry());
  {
    AlertAnswerer notNow(QStringLiteral("Not Now"));
    StartedProgram p({{QStringLiteral("mailing_list_launchCounter"), 5}});
    ASSERT_EQ(notNow.seen.size(), 1);
    EXPECT_TRUE(
        notNow.seen.first().startsWith(QStringLiteral("Would you like to join our mailing list?")));
    EXPECT_FALSE(UserDefaults::standard().boolValue(
        QStringLiteral("mailing_list_haveShownJoinMailingListDialog")));
  }
  StartedProgram first({{QStringLiteral("firstLaunch"), true}});
  EXPECT_TRUE(QFile::exists(autostartEntry()));
  QFile entry(autostartEntry());
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(entry.readAll()).contains(QStringLiteral("Exec=\"")));
  QFile::remove(autostartEntry());
}

TEST(IntegrationsProgram,
     TheDebugMenuSwitchesLoggingAndSpeedsAndSetsFifteenSecondsOnlyWhenRunning) {
  StartedProgram p({{QStringLiteral("debug_menu"), true}, {QStringLiteral("loggerIsOn"), true}});
  MainMenu& menu = p.program->shell().mainMenu();
  QMenu* debug = topMenu(menu, QStringLiteral("Debug"));
  ASSERT_NE(debug, nullptr);
  Q_EMIT debug->aboutToShow();
  QAction* logging = menu.itemSending(QStringLiteral("toggleLogging"));
  ASSERT_NE(logging, nullptr);
  EXPECT_TRUE(logging->isChecked());
  logging->trigger();
  EXPECT_FALSE(UserDefaults::standard().boolValue(QStringLiteral("loggerIsOn")));
  menu.itemSending(QStringLiteral("warpSpeed"))->trigger();
  EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("debug_speed")), 2);
  Q_EMIT debug->aboutToShow();
  EXPECT_FALSE(logging->isChecked());
  EXPECT_TRUE(menu.itemSending(QStringLiteral("warpSpeed"))->isChecked());
  EXPECT_FALSE(menu.itemSending(QStringLiteral("normalSpeed"))->isChecked());
  menu.itemSending(QStringLiteral("normalSpeed"))->trigger();
  EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("debug_speed")), 0);
  for (const char* dump :
       {"logCurrentResponderChainFromApplicationDownwards",
        "logCurrentResponderChainUpFromFirstResponderOfWindow", "logKeyLoopForView"})
    EXPECT_TRUE(menu.itemSending(QString::fromLatin1(dump))->isEnabled()) << dump;

  QAction* fifteen = menu.itemSending(QStringLiteral("setRemainingSecondsTo15"));
  ASSERT_NE(fifteen, nullptr);
  EXPECT_FALSE(fifteen->isEnabled()) << "no slice runs";
  UserDefaults::standard().setValue(QStringLiteral("loggerIsOn"), true);
}

TEST(IntegrationsProgram, TheUpdaterReadsTheAppsFeedFromTheMenuAndFromThePreferences) {
  StartedProgram p;
  auto* updater = dynamic_cast<SoftwareUpdater*>(SoftwareUpdaterAPI::installed());
  ASSERT_NE(updater, nullptr);
  EXPECT_EQ(updater->feedURL(),
            QUrl(p.program->shell().appDelegate().appDescription().sparkleFeedURL));
  ASSERT_TRUE(updater->nextCheckTime()) << "automatic checks run after the launch";
  const double last = UserDefaults::standard().doubleValue(QStringLiteral("SULastCheckTime"));
  EXPECT_DOUBLE_EQ(*updater->nextCheckTime(), last + 86400);

  // A feed on plain http elsewhere is refused before any network use; the
  // failure shows that the whole way ran.
  updater->setFeedURL(QUrl(QStringLiteral("http://192.0.2.1/app/korvane3.xml")));
  TestAlertPresenter alerts;
  ScopedAlertPresenter scopedAlerts(alerts);
  MainMenu& menu = p.program->shell().mainMenu();
  QAction* item = menu.itemSending(QStringLiteral("checkForUpdates"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), QStringLiteral("Check for Updates\u2026"));
  Q_EMIT topMenu(menu, QStringLiteral("Korvane-R"))->aboutToShow();
  EXPECT_TRUE(item->isEnabled());
  QSignalSpy checks(updater, &SoftwareUpdater::checkFinished);
  item->trigger();
  ASSERT_TRUE(checks.wait(10000));
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown.first().messageText,
            QStringLiteral("Korvane-R could not check for updates."));

  bool closedBeforeTheCheck = false;
  PreferencesController::setModalRunnerForTesting([&](PreferencesController& c) {
    c.toolbarItem("SoftwareUpdate")->trigger();
    UpdatesPane* pane = c.updatesPane();
    ASSERT_TRUE(pane->checkNowButton()->isEnabled());
    pane->interval()->setCurrentIndex(0);
    Q_EMIT pane->interval()->activated(0);
    pane->checkNowButton()->click();
    closedBeforeTheCheck = !c.window()->isVisible() && updater->isChecking();
  });
  p.program->shell().mainController().tryToPerform(QStringLiteral("showPreferencesDialog"));
  PreferencesController::setModalRunnerForTesting({});
  EXPECT_TRUE(closedBeforeTheCheck);
  ASSERT_TRUE(checks.size() == 2 || checks.wait(10000));
  EXPECT_EQ(alerts.shown.size(), 2);
  // Hourly now, counted from the last check.
  EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("SUScheduledCheckInterval")), 3600);
  EXPECT_DOUBLE_EQ(*updater->nextCheckTime(),
                   UserDefaults::standard().doubleValue(QStringLiteral("SULastCheckTime")) + 3600);
}

} // namespace
