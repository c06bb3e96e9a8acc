// Moving this computer's log files into the Dropbox folder and back.
#include "shell/DropboxManager.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/Logger.h"
#include "platform/BundleInfo.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "shell/SandboxHelper.h"
#include "support/EditionNameScope.h"
#include "support/StepTimer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <sys/stat.h>
#include <vector>

using namespace kr;

namespace {

class ScopedPanels {
public:
  explicit ScopedPanels(FilePanelPresenter& panels) { FilePanelPresenter::install(&panels); }
  ~ScopedPanels() { FilePanelPresenter::install(nullptr); }
};

class DropboxTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dropbox.isValid());
    defaults().setValue(QStringLiteral("dropboxSync"), false);
    defaults().setValue(QStringLiteral("dropboxLocation"), dropbox.path());
    mac = BackingStoreManager::sharedManager().obtainMACAddress();
    local = manager.getLocalSystemLogsFolderPath();
    QDir(local).removeRecursively();
    QDir(manager.getLocalUserLogsFolderPath()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(local));
    alerts.answer = 0;
  }
  void TearDown() override {
    defaults().setValue(QStringLiteral("dropboxSync"), false);
    Logger::sharedLogger().updateLogFileDescriptors();
  }
  static UserDefaults& defaults() { return UserDefaults::standard(); }

  QString ours(int day) const {
    return QStringLiteral("System Log 2026-12-0%1 (%2).rtfd").arg(day).arg(mac);
  }
  static void makePackage(const QString& path, const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(path));
    QFile file(path + QStringLiteral("/TXT.rtf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  static QByteArray contents(const QString& package) {
    QFile file(package + QStringLiteral("/TXT.rtf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QString box(const QString& sub) const {
    return dropbox.path() + QStringLiteral("/Korvane-R/") + sub;
  }
  QStringList messages() const {
    QStringList texts;
    for (const Alert& alert : alerts.shown)
      texts << alert.messageText;
    return texts;
  }

  QTemporaryDir dropbox;
  DropboxManager manager{UserDefaults::standard()};
  TestAlertPresenter alerts;
  ScopedAlertPresenter installedAlerts{alerts};
  TestFilePanelPresenter panels;
  ScopedPanels installedPanels{panels};
  QString mac;
  QString local;
};

TEST_F(DropboxTest, MovesOnlyThisComputersFilesAndTheWriterFollows) {
  makePackage(local + QLatin1Char('/') + ours(1), "one");
  makePackage(local + QLatin1Char('/') + ours(2), "two");
  makePackage(local + QStringLiteral("/System Log 2026-12-01 (0a0b0c0d0e0f).rtfd"), "other");
  makePackage(manager.getLocalUserLogsFolderPath() + QStringLiteral("/User Log 1.rtfd"), "user");

  ASSERT_TRUE(manager.configureForDropbox());
  EXPECT_TRUE(panels.openRequests.isEmpty()) << "an existing location asks nothing";
  EXPECT_EQ(messages(), (QStringList{alerts.shown.first().messageText,
                                     QStringLiteral("Installation was successful.")}));
  for (const Alert& alert : alerts.shown)
    EXPECT_NE(alert.helpDelegate, nullptr) << alert.messageText.toStdString();
  EXPECT_EQ(contents(box(QStringLiteral("System Logs/")) + ours(1)), "one");
  EXPECT_EQ(contents(box(QStringLiteral("System Logs/")) + ours(2)), "two");
  EXPECT_EQ(contents(box(QStringLiteral("User Logs/User Log 1.rtfd"))), "user");
  EXPECT_FALSE(QFile::exists(local + QLatin1Char('/') + ours(1)));
  EXPECT_TRUE(QFile::exists(local + QStringLiteral("/System Log 2026-12-01 (0a0b0c0d0e0f).rtfd")))
      << "another computer's file stays";
  EXPECT_TRUE(manager.isDropboxSyncActive());
  EXPECT_EQ(Logger::sharedLogger().systemLogBackingStoreDesc().folderPath(),
            box(QStringLiteral("System Logs")));

  // Another computer's file in Dropbox never comes back with ours.
  makePackage(box(QStringLiteral("System Logs/System Log 2026-12-03 (0a0b0c0d0e0f).rtfd")), "x");
  alerts.shown.clear();
  ASSERT_TRUE(manager.revertToLocal());
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(1)), "one");
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(2)), "two");
  EXPECT_TRUE(
      QFile::exists(box(QStringLiteral("System Logs/System Log 2026-12-03 (0a0b0c0d0e0f).rtfd"))));
  EXPECT_FALSE(manager.isDropboxSyncActive());
  EXPECT_EQ(Logger::sharedLogger().systemLogBackingStoreDesc().folderPath(), local);

  // Reverting again finds none of ours: storage stays where it is.
  defaults().setValue(QStringLiteral("dropboxSync"), true);
  alerts.shown.clear();
  EXPECT_FALSE(manager.revertToLocal());
  EXPECT_EQ(messages().last(),
            QStringLiteral("Could not move log files back to local application support folder."));
  EXPECT_TRUE(defaults().boolValue(QStringLiteral("dropboxSync")));
}

// A confined build's Dropbox folder, only while the logs are in Dropbox: used
// from its stored bookmark, asked for where none is stored or it has gone,
// and given up at quit.
TEST_F(DropboxTest, TheConfinedBuildsFolderIsUsedFromItsBookmarkOrAskedFor) {
  const QString key = QStringLiteral("dropboxFolderBookmark");
  const QString other = dropbox.path() + QStringLiteral("/Other");
  ASSERT_TRUE(QDir().mkpath(other));
  const struct {
    const char* name;
    bool sync;
    QString stored;
    std::optional<QString> chosen;
    bool asked;
    QString inUse; // and stored afterwards
  } cases[] = {
      {"logs kept here", false, {}, other, false, {}},
      {"stored", true, dropbox.path(), other, false, dropbox.path()},
      {"none stored", true, {}, other, true, other},
      {"stored one gone", true, dropbox.path() + QStringLiteral("/gone"), other, true, other},
      {"panel cancelled", true, {}, std::nullopt, true, {}},
  };
  for (const auto& c : cases) {
    defaults().setValue(QStringLiteral("dropboxSync"), c.sync);
    defaults().setValue(key, c.stored);
    alerts.shown.clear();
    panels.openRequests.clear();
    panels.answer = c.chosen;
    manager.obtainAccessToDropboxFolder();
    ASSERT_EQ(alerts.shown.size(), c.asked ? 1 : 0) << c.name;
    ASSERT_EQ(panels.openRequests.size(), c.asked ? 1 : 0) << c.name;
    if (c.asked) {
      EXPECT_EQ(messages(), QStringList{QStringLiteral("Please locate your Dropbox folder.")});
      EXPECT_EQ(alerts.shown[0].buttons, QStringList{QStringLiteral("OK")});
      EXPECT_TRUE(panels.openRequests[0].choosesFolders);
      EXPECT_EQ(panels.openRequests[0].startFolder, QDir::homePath());
    }
    EXPECT_EQ(defaults().string(key), c.asked ? c.inUse : c.stored) << c.name;
    for (const QString& folder : {dropbox.path(), other}) {
      EXPECT_EQ(SandboxHelper::isUsingSecurityScopedBookmark(QUrl::fromLocalFile(folder)),
                folder == c.inUse)
          << c.name;
    }
    manager.relinquishAccessToDropboxFolder();
    EXPECT_FALSE(SandboxHelper::isUsingSecurityScopedBookmark(QUrl::fromLocalFile(c.inUse)));
  }
  EXPECT_FALSE(manager.getDropboxSystemLogsFolderPath());
}

TEST_F(DropboxTest, CancellingAnyQuestionChangesNothing) {
  makePackage(local + QLatin1Char('/') + ours(1), "one");
  alerts.answer = 1; // "Cancel"
  EXPECT_FALSE(manager.configureForDropbox());
  EXPECT_EQ(alerts.shown.size(), 1);

  // No Dropbox folder where the settings say: the locate question, cancelled.
  defaults().setValue(QStringLiteral("dropboxLocation"), dropbox.path() + QStringLiteral("/gone"));
  alerts.answers = {0, 0}; // "OK", then "Cancel" in the locate alert
  EXPECT_FALSE(manager.configureForDropbox());
  EXPECT_EQ(alerts.shown.last().messageText,
            QStringLiteral("Korvane-R has not found a dropbox folder at the standard location."));
  EXPECT_TRUE(alerts.shown.last().informativeText.contains(QStringLiteral("on this computer")));
  EXPECT_TRUE(panels.openRequests.isEmpty());

  // The panel cancelled.
  alerts.answers = {0, 1}; // "OK", "Locate Dropbox Folder"
  panels.answer = std::nullopt;
  EXPECT_FALSE(manager.configureForDropbox());
  ASSERT_EQ(panels.openRequests.size(), 1);
  EXPECT_TRUE(panels.openRequests.first().choosesFolders);
  EXPECT_EQ(panels.openRequests.first().startFolder, QDir::homePath());
  EXPECT_FALSE(QFile::exists(dropbox.path() + QStringLiteral("/Korvane-R")));
  EXPECT_TRUE(QFile::exists(local + QLatin1Char('/') + ours(1)));
  EXPECT_FALSE(defaults().boolValue(QStringLiteral("dropboxSync")));

  // The panel finds it: the location is stored.
  alerts.answers = {0, 1};
  panels.answer = dropbox.path();
  EXPECT_TRUE(manager.configureForDropbox());
  EXPECT_EQ(defaults().string(QStringLiteral("dropboxLocation")), dropbox.path());
}

// Storage switched, or the Dropbox folder changed, while a question before
// a move is open (another window, another instance): OK moves nothing.
TEST_F(DropboxTest, AnAnswerGivenAfterStorageChangedMovesNothing) {
  const QString other = dropbox.path() + QStringLiteral("/Other");
  ASSERT_TRUE(QDir().mkpath(other));
  const struct {
    const char* name;
    bool inDropbox;       // where the logs are when asked
    const char* location; // the Dropbox folder, below the test's; "" for itself
    std::vector<int> answers;
    const char* key; // what changes while the first question is open
    QVariant value;
  } cases[] = {
      {"to Dropbox, switched meanwhile", false, "", {0}, "dropboxSync", true},
      {"to Dropbox, another folder meanwhile", false, "", {0}, "dropboxLocation", other},
      {"to Dropbox, switched while it asked where", false, "/gone", {0, 1}, "dropboxSync", true},
      {"back, switched meanwhile", true, "", {0}, "dropboxSync", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(dropbox.path() + QStringLiteral("/Korvane-R")).removeRecursively();
    ASSERT_TRUE(QDir(box(QString())).mkpath(QStringLiteral("System Logs")));
    ASSERT_TRUE(QDir(box(QString())).mkpath(QStringLiteral("User Logs")));
    makePackage(local + QLatin1Char('/') + ours(1), "here");
    makePackage(box(QStringLiteral("System Logs/")) + ours(2), "there");
    defaults().setValue(QStringLiteral("dropboxSync"), c.inDropbox);
    defaults().setValue(QStringLiteral("dropboxLocation"),
                        dropbox.path() + QLatin1String(c.location));
    panels.answer = dropbox.path();
    panels.openRequests.clear();
    alerts.answers.assign(c.answers.begin(), c.answers.end());
    alerts.answer = -1;
    int asked = 0;
    alerts.whileOpen = [&](const Alert&) {
      if (asked++ == int(c.answers.size()) - 1)
        defaults().setValue(QString::fromLatin1(c.key), c.value);
    };
    EXPECT_FALSE(c.inDropbox ? manager.revertToLocal() : manager.configureForDropbox());
    alerts.whileOpen = nullptr;
    EXPECT_EQ(asked, int(c.answers.size()));
    EXPECT_TRUE(panels.openRequests.isEmpty());
    EXPECT_EQ(contents(local + QLatin1Char('/') + ours(1)), "here");
    EXPECT_EQ(contents(box(QStringLiteral("System Logs/")) + ours(2)), "there");
    EXPECT_FALSE(QFile::exists(box(QStringLiteral("System Logs/")) + ours(1)));
    EXPECT_FALSE(QFile::exists(local + QLatin1Char('/') + ours(2)));
    EXPECT_EQ(defaults().object(QString::fromLatin1(c.key)).toString(), c.value.toString())
        << "left as it was changed";
    QDir(local).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(local));
  }
}

TEST_F(DropboxTest, ATakenNameFailsTheMoveAndNothingSwitchesWhenNoneMoved) {
  makePackage(local + QLatin1Char('/') + ours(1), "mine");
  makePackage(box(QStringLiteral("System Logs/")) + ours(1), "theirs");
  ASSERT_TRUE(QDir().mkpath(box(QStringLiteral("User Logs"))));
  EXPECT_FALSE(manager.configureForDropbox());
  EXPECT_EQ(messages().last(), QStringLiteral("Installation failed."));
  EXPECT_EQ(alerts.shown.last().informativeText,
            QStringLiteral("Your Dropbox folder could be found but none of your current log "
                           "files could be moved."));
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(1)), "mine");
  EXPECT_EQ(contents(box(QStringLiteral("System Logs/")) + ours(1)), "theirs") << "never replaced";
  EXPECT_FALSE(defaults().boolValue(QStringLiteral("dropboxSync")));

  // With one more that moves: a partial failure, and the switch.
  makePackage(local + QLatin1Char('/') + ours(2), "two");
  alerts.shown.clear();
  EXPECT_TRUE(manager.configureForDropbox());
  EXPECT_EQ(messages().mid(1), (QStringList{QStringLiteral("Some log files could not be moved."),
                                            QStringLiteral("Installation was successful.")}));
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(1)), "mine");
  EXPECT_TRUE(defaults().boolValue(QStringLiteral("dropboxSync")));
}

TEST_F(DropboxTest, AFileWhereAFolderBelongsShowsItsOwnError) {
  makePackage(local + QLatin1Char('/') + ours(1), "one");
  QFile blocker(dropbox.path() + QStringLiteral("/Korvane-R"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_FALSE(manager.configureForDropbox());
  ASSERT_EQ(alerts.shown.size(), 2);
  EXPECT_TRUE(
      alerts.shown.last().messageText.contains(dropbox.path() + QStringLiteral("/Korvane-R")))
      << alerts.shown.last().messageText.toStdString();
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(1)), "one");
  EXPECT_FALSE(defaults().boolValue(QStringLiteral("dropboxSync")));

  // "~" in the location is the home folder.
  defaults().setValue(QStringLiteral("dropboxLocation"), QStringLiteral("~/Dropbox"));
  EXPECT_EQ(manager.dropboxAppFolderPath(),
            QDir::homePath() + QStringLiteral("/Dropbox/Korvane-R"));
}

TEST_F(DropboxTest, ACrossDeviceMoveThatFailsLeavesTheSourceWhole) {
  makePackage(local + QLatin1Char('/') + ours(1), "one");
  makePackage(local + QLatin1Char('/') + ours(2), "two");
  DropboxManager::FileMoves moves = DropboxManager::standardFileMoves();
  moves.sameFileSystem = [](const QString&, const QString&) { return false; };
  const auto copy = moves.copy;
  int copies = 0;
  moves.copy = [&copies, copy](const QString& from, const QString& to, QString* error) {
    // The second copy breaks half-way.
    if (++copies == 2) {
      QDir().mkpath(to);
      *error = QStringLiteral("device full");
      return false;
    }
    return copy(from, to, error);
  };
  manager.setFileMoves(moves);
  EXPECT_TRUE(manager.configureForDropbox());
  EXPECT_EQ(contents(box(QStringLiteral("System Logs/")) + ours(1)), "one");
  EXPECT_FALSE(QFile::exists(local + QLatin1Char('/') + ours(1)));
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(2)), "two") << "the source stays whole";
  EXPECT_FALSE(QFile::exists(box(QStringLiteral("System Logs/")) + ours(2)));
  const QStringList left = QDir(box(QStringLiteral("System Logs")))
                               .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  EXPECT_EQ(left, QStringList{ours(1)}) << "no hidden copy is left";
}

TEST_F(DropboxTest, ASourceThatCannotBeRemovedKeepsTheCompleteCopyAndIsNamed) {
  makePackage(local + QLatin1Char('/') + ours(1), "one");
  QFile picture(local + QLatin1Char('/') + ours(1) + QStringLiteral("/picture.png"));
  ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
  picture.write("png");
  picture.close();
  makePackage(local + QLatin1Char('/') + ours(2), "two");
  DropboxManager::FileMoves moves = DropboxManager::standardFileMoves();
  moves.sameFileSystem = [](const QString&, const QString&) { return false; };
  const auto rename = moves.rename;
  // The first source's removal stops half-way; the second cannot leave its name.
  moves.remove = [](const QString& path) {
    if (!path.contains(QStringLiteral(".moved.")))
      return QDir(path).removeRecursively() || QFile::remove(path);
    QFile::remove(path + QStringLiteral("/TXT.rtf"));
    return false;
  };
  moves.rename = [this, rename](const QString& from, const QString& to, QString* error) {
    if (from.endsWith(ours(2)) && to.contains(QStringLiteral(".moved."))) {
      *error = QStringLiteral("read-only folder");
      return false;
    }
    return rename(from, to, error);
  };
  manager.setFileMoves(moves);
  ASSERT_TRUE(manager.configureForDropbox());
  const QString logs = box(QStringLiteral("System Logs/"));
  EXPECT_EQ(contents(logs + ours(1)), "one") << "the complete copy stays";
  EXPECT_TRUE(QFile::exists(logs + ours(1) + QStringLiteral("/picture.png")));
  EXPECT_EQ(contents(logs + ours(2)), "two");
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(2)), "two");
  EXPECT_FALSE(QFile::exists(local + QLatin1Char('/') + ours(1)))
      << "what is left never keeps a log's name";
  const QStringList hidden = QDir(local).entryList(QDir::Hidden | QDir::AllEntries |
                                                   QDir::NoDotAndDotDot | QDir::NoSymLinks);
  ASSERT_EQ(hidden.size(), 2);
  const QString leftover = hidden.first().startsWith(u'.') ? hidden.first() : hidden.last();
  EXPECT_EQ(messages().mid(1),
            (QStringList{QStringLiteral("Some log files were moved, but what is left at their "
                                        "old place could not be removed."),
                         QStringLiteral("Installation was successful.")}));
  const QString told = alerts.shown[1].informativeText;
  EXPECT_TRUE(told.contains(local + QLatin1Char('/') + leftover)) << told.toStdString();
  EXPECT_TRUE(told.contains(local + QLatin1Char('/') + ours(2))) << told.toStdString();
  EXPECT_TRUE(manager.isDropboxSyncActive());
}

TEST_F(DropboxTest, ARevertIsAllOrNothing) {
  defaults().setValue(QStringLiteral("dropboxSync"), true);
  Logger::sharedLogger().updateLogFileDescriptors();
  const QString logs = box(QStringLiteral("System Logs/"));
  ASSERT_TRUE(QDir().mkpath(box(QStringLiteral("User Logs"))));
  for (int day = 1; day <= 3; ++day)
    makePackage(logs + ours(day), QByteArray::number(day));
  DropboxManager::FileMoves moves = DropboxManager::standardFileMoves();
  moves.sameFileSystem = [](const QString&, const QString&) { return false; };
  const auto copy = moves.copy;
  moves.copy = [this, copy](const QString& from, const QString& to, QString* error) {
    if (from == box(QStringLiteral("System Logs/")) + ours(2)) {
      *error = QStringLiteral("device full");
      return false;
    }
    return copy(from, to, error);
  };
  manager.setFileMoves(moves);
  EXPECT_FALSE(manager.revertToLocal());
  for (int day = 1; day <= 3; ++day) {
    EXPECT_EQ(contents(logs + ours(day)), QByteArray::number(day)) << day;
    EXPECT_FALSE(QFile::exists(local + QLatin1Char('/') + ours(day))) << day;
  }
  EXPECT_TRUE(defaults().boolValue(QStringLiteral("dropboxSync")));
  EXPECT_EQ(Logger::sharedLogger().systemLogBackingStoreDesc().folderPath(),
            box(QStringLiteral("System Logs")));
  EXPECT_EQ(messages().last(),
            QStringLiteral("Could not move log files back to local application support folder."));
  EXPECT_TRUE(alerts.shown.last().informativeText.contains(ours(2)));
  EXPECT_FALSE(alerts.shown.last().informativeText.contains(ours(1)));
}

// What another computer's sync can put in a log folder (a pipe, in a package
// or as one) is never read: those days stay where they are and are named.
TEST_F(DropboxTest, ADayHoldingAnythingButFilesAndFoldersStaysAndIsNamed) {
  for (int day = 1; day <= 24; ++day) {
    const QString package = local + QLatin1Char('/') + ours(day);
    makePackage(package, "pipe");
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(package + QStringLiteral("/picture.png")).constData(), 0600), 0);
  }
  ASSERT_EQ(::mkfifo(QFile::encodeName(local + QLatin1Char('/') + ours(25)).constData(), 0600), 0);
  makePackage(local + QLatin1Char('/') + ours(26), "whole");
  DropboxManager::FileMoves moves = DropboxManager::standardFileMoves();
  moves.sameFileSystem = [](const QString&, const QString&) { return false; };
  manager.setFileMoves(moves);
  ASSERT_TRUE(manager.configureForDropbox());
  EXPECT_TRUE(manager.isDropboxSyncActive());
  const QString logs = box(QStringLiteral("System Logs"));
  EXPECT_EQ(QDir(logs).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{ours(26)});
  for (int day = 1; day <= 24; ++day)
    EXPECT_EQ(contents(local + QLatin1Char('/') + ours(day)), "pipe") << day;
  ASSERT_TRUE(messages().contains(QStringLiteral("Some log files could not be moved.")));
  const QString told =
      alerts.shown[messages().indexOf(QStringLiteral("Some log files could not be moved."))]
          .informativeText;
  EXPECT_TRUE(told.contains(local)) << told.toStdString();
  EXPECT_EQ(told.count(QStringLiteral(" (") + mac + QLatin1Char(')')), 20) << told.toStdString();
  EXPECT_TRUE(told.endsWith(QStringLiteral("and 5 more"))) << told.toStdString();
}

// A quit while the files move ends the wait at once; one whole copy of every
// day is left, and the next start finishes the move.
TEST_F(DropboxTest, AQuitDuringAMoveEndsItAndTheNextStartFinishesIt) {
  makePackage(local + QLatin1Char('/') + ours(1), "one");
  makePackage(local + QLatin1Char('/') + ours(2), "two");
  DropboxManager::FileMoves moves = DropboxManager::standardFileMoves();
  moves.sameFileSystem = [](const QString&, const QString&) { return false; };
  const auto copy = moves.copy;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  auto copies = std::make_shared<std::atomic_int>(0);
  moves.copy = [copy, released, copies](const QString& from, const QString& to, QString* error) {
    if ((*copies)++ == 0) {
      // The first copy is slow: the program is asked to quit meanwhile.
      QMetaObject::invokeMethod(
          qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
      released.wait();
    }
    return copy(from, to, error);
  };
  manager.setFileMoves(moves);
  kr::test::StepTimer quitting;
  EXPECT_FALSE(manager.configureForDropbox());
  EXPECT_LT(quitting.elapsed(), quitting.limit(1000));
  EXPECT_FALSE(manager.isDropboxSyncActive());
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(1)), "one") << "the source is whole";
  // The move let go finishes the package under way and stops there.
  release.set_value();
  const QString first = box(QStringLiteral("System Logs/")) + ours(1);
  for (int wait = 0;
       wait < 500 && (contents(first) != "one" || QFile::exists(local + u'/' + ours(1))); ++wait)
    QThread::msleep(10);
  QThread::msleep(50);
  EXPECT_EQ(copies->load(), 1);
  // The quit is over: the next start's event loops run again.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  // A hidden copy a kill left half-made goes with the next start.
  makePackage(box(QStringLiteral("System Logs/.")) + ours(2) +
                  QStringLiteral(".copy.0123456789abcdef0123456789abcdef"),
              "t");
  manager.finishUnfinishedMove();
  EXPECT_TRUE(manager.isDropboxSyncActive());
  EXPECT_EQ(QDir(box(QStringLiteral("System Logs")))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{ours(1), ours(2)}));
  EXPECT_EQ(contents(box(QStringLiteral("System Logs/")) + ours(2)), "two");
  const int shown = int(alerts.shown.size());
  manager.finishUnfinishedMove();
  EXPECT_EQ(alerts.shown.size(), shown) << "nothing is left to finish";
}

} // namespace

// Built as "Korvane-C", the move, the revert and the log writer all use that
// edition's folders, in Dropbox and locally, and never the other edition's.
TEST_F(DropboxTest, TheSiblingEditionMovesAndRevertsUnderItsOwnName) {
  const test::EditionNameScope edition(QStringLiteral("Korvane-C"));
  const QString siblingLocal = manager.getLocalSystemLogsFolderPath();
  // Beside this edition's support folder, under the sibling's name.
  const QString dataFolder = QFileInfo(QFileInfo(local).path()).path();
  EXPECT_EQ(siblingLocal, dataFolder + QStringLiteral("/Korvane-C/System Logs"));
  ASSERT_TRUE(QDir().mkpath(siblingLocal));
  makePackage(siblingLocal + QLatin1Char('/') + ours(1), "sibling");
  makePackage(local + QLatin1Char('/') + ours(2), "this edition's own");
  const QString sibling = dropbox.path() + QStringLiteral("/Korvane-C/System Logs/");

  ASSERT_TRUE(manager.configureForDropbox());
  EXPECT_TRUE(alerts.shown.first().messageText.contains(QStringLiteral("called \"Korvane-C\"")));
  EXPECT_EQ(contents(sibling + ours(1)), "sibling");
  EXPECT_FALSE(QFile::exists(box(QString())));
  EXPECT_EQ(contents(local + QLatin1Char('/') + ours(2)), "this edition's own");
  EXPECT_EQ(Logger::sharedLogger().systemLogBackingStoreDesc().folderPath(),
            QDir::cleanPath(sibling));

  ASSERT_TRUE(manager.revertToLocal());
  EXPECT_EQ(contents(siblingLocal + QLatin1Char('/') + ours(1)), "sibling");
  EXPECT_FALSE(QFile::exists(sibling + ours(1)));
  EXPECT_EQ(Logger::sharedLogger().systemLogBackingStoreDesc().folderPath(), siblingLocal);
  QDir(siblingLocal).removeRecursively();
}
