#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
#include "engine/SequenceNumberNamingStrategy.h"
#include "engine/WeeklyNamingStrategy.h"

#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kr;

namespace {

class BackingStoreTest : public ::testing::Test {
protected:
  void SetUp() override {
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting(
        QStringLiteral("a4836e8b9f2"));
    clock.setDate(QDateTime(QDate(2020, 3, 7), QTime(10, 0), Qt::LocalTime));
  }
  void TearDown() override {
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting({});
  }

  QString folder(const QString& name = QStringLiteral("store")) const { return dir.filePath(name); }
  void touch(const QString& name, const QByteArray& content = "x") {
    QDir().mkpath(folder());
    QFile file(folder() + u'/' + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  std::unique_ptr<BackingStoreDescriptor> makeStore(const QString& root,
                                                    std::unique_ptr<BackingStoreNamingStrategy> s) {
    auto store = std::make_unique<BackingStoreDescriptor>();
    store->setFolderPath(folder());
    store->setRoot(root);
    store->setNamingStrategy(std::move(s));
    store->finishInitialization();
    return store;
  }
  std::unique_ptr<BackingStoreDescriptor> padStore() {
    return makeStore(QStringLiteral("Now Pads"), std::make_unique<SequenceNumberNamingStrategy>());
  }
  QStringList names(const BackingStoreDescriptor& store) const {
    QStringList result;
    for (const QString& path : store.index().indexOfIDs())
      result << QFileInfo(path).fileName();
    return result;
  }

  QTemporaryDir dir;
  test::TestClock clock;
};

TEST_F(BackingStoreTest, NewLogFolderIsCreatedAndIndexesTodaysFileInGregorianDigits) {
  // A locale with another calendar and other digits changes nothing in names.
  QLocale::setDefault(QLocale(QLocale::Thai, QLocale::Thailand));
  auto store = makeStore(QStringLiteral("System Log"), std::make_unique<DailyNamingStrategy>());
  QLocale::setDefault(QLocale::c());

  EXPECT_TRUE(QFileInfo(folder()).isDir());
  const QString today = folder() + QStringLiteral("/System Log Day 2020-03-07 (a4836e8b9f2).rtfd");
  EXPECT_EQ(store->index().indexOfIDs(), QStringList{today});
  EXPECT_EQ(store->index().selectedID(), today);
  EXPECT_EQ(store->getPathToCurrentFile(), today);
  EXPECT_FALSE(QFileInfo::exists(today));

  clock.setDate(QDateTime(QDate(987, 12, 31), QTime(12, 0), Qt::LocalTime));
  EXPECT_TRUE(
      store->getPathToCurrentFile().endsWith(QStringLiteral("Day 987-12-31 (a4836e8b9f2).rtfd")));
}

TEST_F(BackingStoreTest, RescanKeepsRootPrefixedNamesInPlainOrderAndAnnounces) {
  touch(QStringLiteral("System Log Day 2020-03-08 (aa).rtfd"));
  touch(QStringLiteral("System Log Day 2020-03-07 (bb).rtfd"));
  touch(QStringLiteral("System Log Day 2020-03-07 (aa).rtfd"));
  touch(QStringLiteral("Old System Log 2020.rtfd"));
  touch(QStringLiteral("System Logs backup.rtfd"));
  touch(QStringLiteral("system log lower case.rtfd"));
  auto store = makeStore(QStringLiteral("System Log"), std::make_unique<DailyNamingStrategy>());

  const QStringList expected = {QStringLiteral("System Log Day 2020-03-07 (aa).rtfd"),
                                QStringLiteral("System Log Day 2020-03-07 (bb).rtfd"),
                                QStringLiteral("System Log Day 2020-03-08 (aa).rtfd"),
                                QStringLiteral("System Logs backup.rtfd")};
  EXPECT_EQ(names(*store), expected);
  EXPECT_EQ(store->index().selectedID(), folder() + QStringLiteral("/System Logs backup.rtfd"));

  // A selection that disappears from the folder stays selected.
  store->pointToFileWithID(folder() + QStringLiteral("/System Log Day 2020-03-08 (aa).rtfd"));
  QFile::remove(folder() + QStringLiteral("/System Log Day 2020-03-08 (aa).rtfd"));
  QSignalSpy changed(&store->index(), &BackingStoreIndex::indexChanged);
  QSignalSpy selection(&store->index(), &BackingStoreIndex::selectedIDChanged);
  store->index().refreshIndexFromDisk();
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(selection.count(), 0);
  EXPECT_EQ(names(*store).size(), 3);
  EXPECT_EQ(store->index().selectedID(),
            folder() + QStringLiteral("/System Log Day 2020-03-08 (aa).rtfd"));
}

TEST_F(BackingStoreTest, NextAndPreviousStopAtTheEndsAndAnswerNoneForAnUnlistedSelection) {
  for (const char* name : {"Now Pads 000001.rtfd", "Now Pads 000002.rtfd", "Now Pads 000003.rtfd"})
    touch(QString::fromLatin1(name));
  auto store = padStore();
  BackingStoreIndex& index = store->index();
  const QStringList paths = index.indexOfIDs();

  EXPECT_EQ(index.selectedID(), paths.last());
  EXPECT_FALSE(index.nextID());
  EXPECT_FALSE(index.hasNextID());
  EXPECT_EQ(index.previousID(), paths.at(1));

  store->pointToFirstFile();
  EXPECT_FALSE(index.previousID());
  EXPECT_FALSE(index.hasPreviousID());
  EXPECT_EQ(index.nextID(), paths.at(1));
  EXPECT_EQ(index.selectedID(), paths.first()); // asking does not move

  store->pointToFileWithID(folder() + QStringLiteral("/Now Pads 000099.rtfd"));
  EXPECT_FALSE(index.nextID());
  EXPECT_FALSE(index.previousID());
  EXPECT_FALSE(index.hasNextID() || index.hasPreviousID());
  store->pointToLastFile();
  EXPECT_EQ(index.selectedID(), paths.last());
}

TEST_F(BackingStoreTest, NewPageIsOneMoreThanTheHighestConformingNumber) {
  touch(QStringLiteral("Now Pads 000003.rtfd"));
  touch(QStringLiteral("Now Pads 000010.rtfd"));
  touch(QStringLiteral("Now Pads notes.rtfd"));      // sorts last: not a page number
  touch(QStringLiteral("Now Pads 12.rtfd"));         // too few digits
  touch(QStringLiteral("Now Pads 000050.rtfd.bak")); // not a package name
  auto store = padStore();
  EXPECT_EQ(store->index().lastID(), folder() + QStringLiteral("/Now Pads notes.rtfd"));

  const QString created = BackingStoreManager::sharedManager().newFile(*store);
  EXPECT_EQ(created, folder() + QStringLiteral("/Now Pads 000011.rtfd"));
  EXPECT_FALSE(QFileInfo::exists(created));

  // A page that arrived since the last rescan is never handed out again.
  touch(QStringLiteral("Now Pads 000011.rtfd"));
  EXPECT_EQ(store->getPathToNewFile(), folder() + QStringLiteral("/Now Pads 000012.rtfd"));
}

TEST_F(BackingStoreTest, EmptyPadFolderIndexesPageZeroAndOffersPageOne) {
  auto store = padStore();
  EXPECT_EQ(names(*store), QStringList{QStringLiteral("Now Pads 000000.rtfd")});
  EXPECT_EQ(store->getPathToNewFile(), folder() + QStringLiteral("/Now Pads 000001.rtfd"));
}

TEST_F(BackingStoreTest, RemovingAPageDeletesThePackageAndRescans) {
  QDir().mkpath(folder() + QStringLiteral("/Now Pads 000001.rtfd"));
  touch(QStringLiteral("Now Pads 000001.rtfd/TXT.rtf"));
  touch(QStringLiteral("Now Pads 000002.rtfd"));
  auto store = padStore();
  BackingStoreManager::sharedManager().removeSheetFromDescriptor(
      *store, folder() + QStringLiteral("/Now Pads 000001.rtfd"));
  EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("/Now Pads 000001.rtfd")));
  EXPECT_EQ(names(*store), QStringList{QStringLiteral("Now Pads 000002.rtfd")});
  // Removing what is not there is quietly ignored.
  BackingStoreManager::sharedManager().removeSheetFromDescriptor(
      *store, folder() + QStringLiteral("/Now Pads 000001.rtfd"));
}

TEST_F(BackingStoreTest, FolderThatCannotBeCreatedIsReportedNotFatal) {
  QFile blocker(dir.filePath(QStringLiteral("blocked")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  test::ExpectWarnings expected({QStringLiteral("Could not create folder path at:")});
  auto store = std::make_unique<BackingStoreDescriptor>();
  store->setFolderPath(dir.filePath(QStringLiteral("blocked/System Logs")));
  store->setRoot(QStringLiteral("System Log"));
  store->setNamingStrategy(std::make_unique<DailyNamingStrategy>());
  store->finishInitialization();
  EXPECT_EQ(expected.seen(), 1);
  EXPECT_EQ(store->index().indexOfIDs().size(), 1);
}

TEST_F(BackingStoreTest, WeeklyNamesUseTheMondayOfTheWeek) {
  auto store = makeStore(QStringLiteral("Week Log"), std::make_unique<WeeklyNamingStrategy>());
  const QDateTime sunday(QDate(2020, 3, 8), QTime(23, 0), Qt::LocalTime);
  EXPECT_EQ(store->namingStrategy()->generateIDFor(sunday, 0),
            folder() + QStringLiteral("/Week Log Week starting 2020-03-02 (a4836e8b9f2).rtfd"));
}

TEST_F(BackingStoreTest, UUIDsAreCanonicalUpperCaseAndFresh) {
  static const QRegularExpression form(
      QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
  const QString a = BackingStoreManager::createUUID();
  EXPECT_TRUE(form.match(a).hasMatch()) << a.toStdString();
  EXPECT_NE(a, BackingStoreManager::createUUID());
}

using BackingStoreDeathTest = BackingStoreTest;

TEST_F(BackingStoreDeathTest, StoreWithoutStrategyOrTemplateStops) {
  BackingStoreDescriptor store;
  store.setFolderPath(folder());
  EXPECT_DEATH(store.getPathToCurrentFile(), "backingstoredescriptor without naming strategy!");
  EXPECT_DEATH(
      BackingStoreManager::sharedManager().loadTemplateDataFromBundle(QStringLiteral("nope")),
      "could not load now and later board template: 'nope'");
}

} // namespace
