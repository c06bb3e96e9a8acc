#include "engine/UpgradeManager.h"
#include "platform/files/FileOperations.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kr;

namespace {

const QString kRoot = QStringLiteral("System Log");
const QString kId = QStringLiteral("a4836e8b9f2");

class UpgradeManagerTest : public ::testing::Test {
protected:
  QString path(const QString& name) const { return dir.filePath(name); }
  void writeFile(const QString& name, const QByteArray& content) {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  void writePackage(const QString& name, const QByteArray& content) {
    QDir().mkpath(path(name));
    writeFile(name + QStringLiteral("/TXT.rtf"), content);
  }
  QByteArray read(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  QStringList entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
  }
  QTemporaryDir dir;
};

TEST_F(UpgradeManagerTest, OldNamesGainTheMachineIdentifierOnce) {
  writeFile(QStringLiteral("System Log 2008-01-01.txt"), "old text log");
  writePackage(QStringLiteral("System Log Day 2020-03-07.rtfd"), "old package");
  writePackage(QStringLiteral("System Log Day 2020-03-08 (a4836e8b9f2).rtfd"), "current");
  writeFile(QStringLiteral("notes.txt"), "not a log");

  UpgradeManager& upgrade = UpgradeManager::sharedInstance();
  EXPECT_EQ(upgrade.upgradeLogFolder(dir.path(), kRoot, kId), 2);
  const QStringList expected = {QStringLiteral("System Log 2008-01-01 (a4836e8b9f2).txt"),
                                QStringLiteral("System Log Day 2020-03-07 (a4836e8b9f2).rtfd"),
                                QStringLiteral("System Log Day 2020-03-08 (a4836e8b9f2).rtfd"),
                                QStringLiteral("notes.txt")};
  EXPECT_EQ(entries(), expected);
  EXPECT_EQ(read(QStringLiteral("System Log Day 2020-03-07 (a4836e8b9f2).rtfd/TXT.rtf")),
            "old package");
  // A second launch finds nothing left to do.
  EXPECT_EQ(upgrade.upgradeLogFolder(dir.path(), kRoot, kId), 0);
  EXPECT_EQ(entries(), expected);
  // An empty or missing folder is no error.
  EXPECT_EQ(upgrade.upgradeLogFolder(dir.filePath(QStringLiteral("none")), kRoot, kId), 0);
}

TEST_F(UpgradeManagerTest, ATakenNameIsNeverReplaced) {
  writePackage(QStringLiteral("System Log Day 2020-03-07.rtfd"), "old package");
  writePackage(QStringLiteral("System Log Day 2020-03-07 (a4836e8b9f2).rtfd"), "newer entries");
  writeFile(QStringLiteral("System Log 2008-01-01.txt"), "old text");
  writeFile(QStringLiteral("System Log 2008-01-01 (a4836e8b9f2).txt"), "other text");

  test::ExpectWarnings failures({QStringLiteral("failed to migrate file:")});
  EXPECT_EQ(UpgradeManager::sharedInstance().upgradeLogFolder(dir.path(), kRoot, kId), 0);
  EXPECT_EQ(failures.seen(), 2);
  EXPECT_EQ(read(QStringLiteral("System Log Day 2020-03-07.rtfd/TXT.rtf")), "old package");
  EXPECT_EQ(read(QStringLiteral("System Log Day 2020-03-07 (a4836e8b9f2).rtfd/TXT.rtf")),
            "newer entries");
  EXPECT_EQ(read(QStringLiteral("System Log 2008-01-01.txt")), "old text");
  EXPECT_EQ(read(QStringLiteral("System Log 2008-01-01 (a4836e8b9f2).txt")), "other text");
}

TEST_F(UpgradeManagerTest, ANonHexIdentifierRenamesNothing) {
  writeFile(QStringLiteral("System Log 2008-01-01.txt"), "old");
  test::ExpectWarnings refused({QStringLiteral("is not hexadecimal")});
  EXPECT_EQ(UpgradeManager::sharedInstance().upgradeLogFolder(dir.path(), kRoot,
                                                              QStringLiteral("default")),
            0);
  EXPECT_EQ(refused.seen(), 1);
  EXPECT_EQ(entries(), QStringList{QStringLiteral("System Log 2008-01-01.txt")});
}

TEST_F(UpgradeManagerTest, RenameWithoutReplacingRefusesFilesAndFolders) {
  writeFile(QStringLiteral("a"), "A");
  writeFile(QStringLiteral("b"), "B");
  QString error;
  EXPECT_FALSE(FileOperations::renameNoReplace(path(QStringLiteral("a")), path(QStringLiteral("b")),
                                               &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(read(QStringLiteral("b")), "B");
  QDir().mkpath(path(QStringLiteral("empty")));
  EXPECT_FALSE(
      FileOperations::renameNoReplace(path(QStringLiteral("a")), path(QStringLiteral("empty"))));
  EXPECT_TRUE(QFileInfo(path(QStringLiteral("empty"))).isDir());
  EXPECT_TRUE(
      FileOperations::renameNoReplace(path(QStringLiteral("a")), path(QStringLiteral("c"))));
  EXPECT_EQ(read(QStringLiteral("c")), "A");
}

} // namespace
