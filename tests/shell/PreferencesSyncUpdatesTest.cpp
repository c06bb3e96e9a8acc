// The Sync and Software Update panes over doubles of the Dropbox storage and
// the updater.
#include "PreferencesFixture.h"

#include "platform/services/TestUrlOpener.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

using namespace kr;

namespace {

class SyncAndUpdates : public test::PreferencesFixture {};

TEST_F(SyncAndUpdates, TheDropboxBoxShowsTheRealStorageAfterACancelledOrFailedMove) {
  TestUrlOpener urls;
  UrlOpenerAPI::install(&urls);
  runWith([&](PreferencesController& c) {
    SyncPane* pane = c.syncPane();
    EXPECT_TRUE(c.toolbarItem("Sync")->isEnabled());
    EXPECT_FALSE(pane->syncBox()->isChecked());
    pane->syncBox()->click();
    EXPECT_TRUE(pane->syncBox()->isChecked());
    EXPECT_EQ(dropbox.log, QStringList{"to dropbox"});

    // Cancelled or failed: the files stay in Dropbox, and the box says so.
    dropbox.succeeds = false;
    pane->syncBox()->click();
    EXPECT_EQ(dropbox.log.last(), QStringLiteral("to local"));
    EXPECT_TRUE(pane->syncBox()->isChecked());

    EXPECT_TRUE(pane->folder()->text().contains(defaults().string("dropboxLocation")));
    defaults().setValue("dropboxLocation", QStringLiteral("/elsewhere/Dropbox"));
    EXPECT_EQ(pane->folder()->text(), QStringLiteral("Dropbox folder: /elsewhere/Dropbox"));
    pane->websiteButton()->click();
    ASSERT_EQ(urls.opened.size(), 1);
    EXPECT_EQ(urls.opened.front(), QUrl("https://www.dropbox.com/"));
  });
  UrlOpenerAPI::install(nullptr);
}

TEST_F(SyncAndUpdates, WithoutTheirBackEndsTheSyncAndUpdatePanesStayClosed) {
  withBackEnds = false;
  runWith([&](PreferencesController& c) {
    EXPECT_FALSE(c.toolbarItem("Sync")->isEnabled());
    EXPECT_FALSE(c.toolbarItem("SoftwareUpdate")->isEnabled());
    EXPECT_FALSE(c.syncPane()->syncBox()->isEnabled());
    EXPECT_FALSE(c.updatesPane()->checkNowButton()->isEnabled());
    EXPECT_FALSE(c.updatesPane()->interval()->isEnabled());
    // Stored as the pane to show, they are not shown.
    c.changePane("Sync");
    EXPECT_EQ(c.shownPane(), QStringLiteral("Notifications"));
  });
}

TEST_F(SyncAndUpdates, CheckNowClosesTheWindowFirstAndAnIntervalChangeReachesTheUpdater) {
  runWith([&](PreferencesController& c) {
    updater.window = c.window();
    EXPECT_TRUE(c.toolbarItem("SoftwareUpdate")->isEnabled());
    c.toolbarItem("SoftwareUpdate")->trigger();
    EXPECT_EQ(c.shownPane(), QStringLiteral("SoftwareUpdate"));
    UpdatesPane* pane = c.updatesPane();
    QComboBox* interval = pane->interval();
    ASSERT_EQ(interval->count(), 4);
    EXPECT_EQ(interval->currentText(), QStringLiteral("Daily"));
    interval->setCurrentIndex(2);
    Q_EMIT interval->activated(2);
    EXPECT_EQ(defaults().integer("SUScheduledCheckInterval"), 604800);
    EXPECT_EQ(updater.log, QStringList{"interval 604800"});
    pane->checkNowButton()->click();
    EXPECT_EQ(updater.log.last(), QStringLiteral("check, window closed"));
  });
}

TEST_F(SyncAndUpdates, AnUnknownStoredIntervalIsListedAsItselfAndNeverRewritten) {
  defaults().setValue("SUScheduledCheckInterval", 7200);
  runWith([&](PreferencesController& c) {
    QComboBox* interval = c.updatesPane()->interval();
    ASSERT_EQ(interval->count(), 5);
    EXPECT_EQ(interval->currentText(), QStringLiteral("Every 7200 seconds"));
    EXPECT_EQ(defaults().integer("SUScheduledCheckInterval"), 7200);
    // Chosen again, it is kept as it is.
    Q_EMIT interval->activated(interval->currentIndex());
    EXPECT_EQ(defaults().integer("SUScheduledCheckInterval"), 7200);
    EXPECT_EQ(updater.log, QStringList{"interval 7200"});
    // A known one again: the extra entry goes.
    defaults().setValue("SUScheduledCheckInterval", 3600);
    EXPECT_EQ(interval->count(), 4);
    EXPECT_EQ(interval->currentText(), QStringLiteral("Hourly"));
  });
}

} // namespace
