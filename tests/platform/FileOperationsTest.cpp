#include "platform/files/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using kr::FileOperations;

namespace {

QStringList sorted(QStringList names) {
  names.sort();
  return names;
}

} // namespace

TEST(FileOperationsTest, EntryNamesListsEveryKindOfEntryByPrefixWithoutTheDots) {
  QTemporaryDir dir;
  const QDir folder(dir.path());
  ASSERT_TRUE(folder.mkdir(QStringLiteral("System Log Day 2020-01-01 (ab).rtfd")));
  QFile file(folder.filePath(QStringLiteral("System Log 2008.txt")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  ASSERT_TRUE(folder.mkdir(QStringLiteral(".hidden")));
  ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("nowhere")),
                          folder.filePath(QStringLiteral("System Log dangling"))));
  ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("System Log fifo"))), 0600),
            0);
  ASSERT_TRUE(folder.mkdir(QStringLiteral("Systemic")));
  // Not valid UTF-8: still listed (decoded as well as it goes).
  const QByteArray odd = QFile::encodeName(dir.path()) + "/System Log \xff";
  ASSERT_EQ(::mkdir(odd.constData(), 0700), 0);

  const QStringList all = FileOperations::entryNames(dir.path());
  EXPECT_EQ(all.size(), 7);
  EXPECT_FALSE(all.contains(QStringLiteral(".")));
  EXPECT_FALSE(all.contains(QStringLiteral("..")));
  EXPECT_TRUE(all.contains(QStringLiteral(".hidden")));

  const QStringList logs = FileOperations::entryNames(dir.path(), QStringLiteral("System Log"));
  EXPECT_EQ(logs.size(), 5);
  QStringList named = logs.filter(QStringLiteral("System Log "));
  EXPECT_EQ(
      sorted(named).mid(0, 4),
      (QStringList{QStringLiteral("System Log 2008.txt"),
                   QStringLiteral("System Log Day 2020-01-01 (ab).rtfd"),
                   QStringLiteral("System Log dangling"), QStringLiteral("System Log fifo")}));
  EXPECT_EQ(FileOperations::entryNames(dir.path(), QStringLiteral("Systemic")),
            QStringList{QStringLiteral("Systemic")});
  EXPECT_TRUE(FileOperations::entryNames(dir.path(), QStringLiteral("none")).isEmpty());

  // A folder that is missing, or a file: nothing.
  EXPECT_TRUE(FileOperations::entryNames(folder.filePath(QStringLiteral("missing"))).isEmpty());
  EXPECT_TRUE(
      FileOperations::entryNames(folder.filePath(QStringLiteral("System Log 2008.txt"))).isEmpty());
  // Which the temporary folder cannot name.
  ::rmdir(odd.constData());
}

// A file is read whole, however its size falls against the reads, and the
// stamps taken before and after an unchanged file's read agree. A file whose
// size says less than it holds (as the kernel's own files do) is still read
// to its end.
TEST(FileOperationsTest, ReadRegularFileReadsToTheEndWithTheStampsOfTheFileRead) {
  QTemporaryDir dir;
  for (const qsizetype size : {0, 1, 4095, 4096, 4097, 70000}) {
    const QString path = dir.filePath(QStringLiteral("f%1").arg(size));
    QByteArray content(size, 'x');
    for (qsizetype i = 0; i < size; ++i)
      content[i] = char('a' + i % 26);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), size);
    file.close();
    std::optional<kr::FileStamp> before;
    std::optional<kr::FileStamp> after;
    FileOperations::ReadOptions options;
    options.stampBeforeRead = &before;
    options.stampAfterRead = &after;
    EXPECT_EQ(FileOperations::readRegularFile(path, nullptr, options), content) << size;
    ASSERT_TRUE(before && after) << size;
    EXPECT_EQ(*after, *before) << size;
    EXPECT_EQ(after->size, size);
    EXPECT_EQ(FileOperations::readRegularFile(path), content) << size;
  }
  const QString status = QStringLiteral("/proc/self/status");
  if (QFileInfo(status).size() == 0 && QFile::exists(status)) {
    std::optional<kr::FileStamp> after;
    FileOperations::ReadOptions options;
    options.stampAfterRead = &after;
    const std::optional<QByteArray> read =
        FileOperations::readRegularFile(status, nullptr, options);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->contains("Name:")) << read->constData();
    EXPECT_TRUE(read->endsWith('\n'));
  }
}

// The guarded writer replaces only regular files, whole, and copies only
// regular files: what else stands at a path is left as it is.
TEST(FileOperationsTest, WritesAndCopiesOnlyRegularFilesAndNeverThroughALink) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath(QStringLiteral("entry"));
  ASSERT_TRUE(FileOperations::writeRegularFile(file, "one"));
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
  ASSERT_TRUE(FileOperations::writeRegularFile(file, "two"));
  EXPECT_EQ(FileOperations::readRegularFile(file).value_or("?"), QByteArray("two"));
  EXPECT_EQ(QFileInfo(file).permissions() & QFile::ReadOther, QFile::Permissions());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("entry")}); // nothing left beside
  // Its owner and group too, where this user may give them (as root), and
  // other permissions where asked for.
  const QByteArray encoded = QFile::encodeName(file);
  struct stat info {};
  if (::chown(encoded.constData(), 65534, 65534) == 0) {
    ASSERT_TRUE(FileOperations::writeRegularFile(file, "two"));
    ASSERT_EQ(::stat(encoded.constData(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
  }
  kr::RegularFileWriteOptions narrower;
  narrower.permissions = 0400;
  ASSERT_TRUE(FileOperations::writeRegularFile(file, "two", nullptr, narrower));
  ASSERT_EQ(::stat(encoded.constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0400u);

  const QString fifo = dir.filePath(QStringLiteral("fifo"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString link = dir.filePath(QStringLiteral("link"));
  ASSERT_TRUE(QFile::link(file, link));
  QString error;
  for (const QString& path : {fifo, link, dir.path()}) {
    EXPECT_FALSE(FileOperations::writeRegularFile(path, "three", &error)) << path.toStdString();
    EXPECT_FALSE(
        FileOperations::copyRegularFile(path, dir.filePath(QStringLiteral("copy")), &error))
        << path.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("copy"))));
  }
  EXPECT_EQ(FileOperations::readRegularFile(file).value_or("?"), QByteArray("two"));

  ASSERT_TRUE(FileOperations::copyRegularFile(file, dir.filePath(QStringLiteral("copy"))));
  EXPECT_EQ(FileOperations::readRegularFile(dir.filePath(QStringLiteral("copy"))).value_or("?"),
            QByteArray("two"));
  EXPECT_FALSE(FileOperations::copyRegularFile(file, dir.filePath(QStringLiteral("copy")), &error))
      << "a copy never replaces what exists";
}
