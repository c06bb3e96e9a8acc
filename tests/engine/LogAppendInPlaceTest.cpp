// An entry appended to a day this program wrote goes to the end of the day's
// text in place and reads back as if the whole day had been written again;
// every other day keeps every byte before the entry, or stays as it is.
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
#include "engine/FullDataSet.h"
#include "engine/LogFile.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/richtext/RtfdPackage.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/TestAlertPresenter.h"

#include "support/LogFormats.h"
#include "support/SplicedBytes.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"
#include "support/TodaysLogFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kr;
using kr::test::helvetica;

namespace {

// An entry as the log template makes it, with some of the objective's own
// formatting.
RichText entry(int n, const QString& objective = QStringLiteral("Write the report")) {
  RichText text;
  auto line = [&text](const QString& keyword, const QString& value) {
    text.append(keyword + u'\n', helvetica(true));
    text.append(value + u'\n', helvetica());
  };
  line(QStringLiteral("#TimeSlice"),
       QStringLiteral("0E4A3C1B-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')));
  text.append(QStringLiteral("#objective\n"), helvetica(true));
  text.append(objective + u' ', helvetica());
  CharFormat link = helvetica();
  link.link = QStringLiteral("https://example.org/task/%1").arg(n);
  text.append(QStringLiteral("task \u00e9\U0001F4DD"), link);
  text.append(QStringLiteral("\n"), helvetica());
  line(QStringLiteral("#duration"), QStringLiteral("1500"));
  line(QStringLiteral("#tags"), QStringLiteral("writing"));
  return text;
}

RichText joined(RichText first, const RichText& second) {
  first.append(second);
  return first;
}

class LogAppendInPlaceTest : public test::TodaysLogFixture {
protected:
  bool append(const RichText& added) {
    return BackingStoreManager::sharedManager().append(added, store);
  }
  // The text file's identity: the same after an append in place, another
  // one after the day was written anew.
  ino_t inode() const {
    struct stat info {};
    return ::stat(QFile::encodeName(text).constData(), &info) == 0 ? info.st_ino : 0;
  }
  static void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
  }
  static QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  RichText readDay() const {
    const RtfdPackage::ReadResult read = RtfdPackage::read(day);
    EXPECT_EQ(read.status, RtfdPackage::Status::Ok) << read.error.toStdString();
    EXPECT_TRUE(read.wellFormed);
    return read.text;
  }
};

TEST_F(LogAppendInPlaceTest, OrdinaryDayTakesEntriesInPlaceAndReadsAsIfWrittenAnew) {
  // The same entries, once through the append and once by writing the whole
  // day each time.
  QTemporaryDir other;
  const QString rewritten = other.path() + QStringLiteral("/day.rtfd");
  RichText whole;
  ASSERT_TRUE(append(entry(1)));
  whole.append(entry(1));
  ASSERT_TRUE(RtfdPackage::write(rewritten, whole));
  // A picture the user put into the package stays as it is, untouched.
  writeFile(day + QStringLiteral("/picture.png"), "png bytes");
  const ino_t first = inode();
  for (int n = 2; n <= 6; ++n) {
    const RichText added =
        n == 4 ? RichText(QStringLiteral("a line without any format\n")) : entry(n);
    ASSERT_TRUE(append(added)) << n;
    EXPECT_EQ(inode(), first) << "entry " << n << " was not added in place";
    whole.append(added);
    ASSERT_TRUE(RtfdPackage::write(rewritten, whole));
    EXPECT_EQ(readDay(), RtfdPackage::read(rewritten).text) << n;
  }
  EXPECT_EQ(readDay(), whole);
  EXPECT_EQ(bytesOf(day + QStringLiteral("/picture.png")), "png bytes");
  const FullDataSet::FileContents slices = FullDataSet::loadRTFDFile(day);
  EXPECT_TRUE(slices.problem.isEmpty()) << slices.problem.toStdString();
  EXPECT_EQ(slices.timeSlices.size(), 5u);
  EXPECT_EQ(FullDataSet::loadRTFDFile(rewritten).timeSlices.size(), 5u);
  EXPECT_EQ(
      QDir(store.folderPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
      QStringList{QFileInfo(day).fileName()});
  EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(LogAppendInPlaceTest, UnusualDaysKeepEveryByteBeforeTheEntryOrStayAsTheyAre) {
  // A day another program wrote: the entry is spliced in after its text,
  // every byte before it kept, entry after entry.
  QDir().mkpath(day);
  QFile::copy(QStringLiteral(KR_TEST_DATA_DIR
                             "/rtfd-logs/System Log Day 2020-03-07 (a4836e8b9f2).rtfd/TXT.rtf"),
              text);
  RichText expected = readDay();
  // The last in a colour the day has no number for, added to its table.
  RichText red(QStringLiteral("red\n"), helvetica());
  CharFormat redFormat = helvetica();
  redFormat.foreground = RgbColor{200, 0, 0};
  red.setFormat(0, 3, redFormat);
  for (const RichText& added : {entry(1), entry(2), red}) {
    const QByteArray before = bytesOf(text);
    ASSERT_TRUE(append(added));
    expected.append(added);
    EXPECT_TRUE(test::splicedAfter(before, bytesOf(text)));
    EXPECT_EQ(readDay(), expected);
  }

  // A text file with a second name, which must not change with it.
  const QString secondName = dir.path() + QStringLiteral("/backup TXT.rtf");
  ASSERT_EQ(::link(QFile::encodeName(text).constData(), QFile::encodeName(secondName).constData()),
            0);
  const QByteArray backedUp = bytesOf(secondName);
  ASSERT_TRUE(append(entry(3)));
  expected.append(entry(3));
  EXPECT_EQ(bytesOf(secondName), backedUp);
  EXPECT_EQ(readDay(), expected);

  // Text after the end of a day from elsewhere: where the entry would go is
  // not certain, and the day stays byte for byte; the entry goes beside it.
  const QByteArray cut = bytesOf(text) + "{{\\b #TimeSlice\n}\\par\n0E4";
  writeFile(text, cut);
  {
    test::ExpectWarnings aside({QStringLiteral("follows the document's end")});
    ASSERT_TRUE(append(entry(4)));
  }
  EXPECT_EQ(bytesOf(text), cut);
  EXPECT_EQ(FullDataSet::loadRTFDFile(LogFile::writtenAsidePath(day, 1)).timeSlices.size(), 1u);

  // What an append of ours killed before it was done left after the end of
  // one of our days: the next entry goes in place, in its stead.
  QDir(day).removeRecursively();
  ASSERT_TRUE(append(entry(5)));
  const QByteArray ours = bytesOf(text);
  writeFile(text, ours + "{{\\b #TimeSlice\n}\\par\n0E4");
  const ino_t inPlace = inode();
  ASSERT_TRUE(append(entry(6)));
  EXPECT_EQ(inode(), inPlace);
  EXPECT_EQ(readDay(), joined(entry(5), entry(6)));
  EXPECT_TRUE(bytesOf(text).startsWith(ours.chopped(2) + "\n\n")); // its brace now a line end
  EXPECT_FALSE(bytesOf(text).contains("0E4\n"));
  EXPECT_TRUE(alerts.shown.isEmpty());
}

// A disk that fills up during the append (here: a file size limit just past
// the day's end): the entry is reported as not written, and the day is left
// exactly as it was, with nothing beside it.
TEST_F(LogAppendInPlaceTest, FullDiskLeavesTheDayAsItWasAndSaysSo) {
  ASSERT_TRUE(append(entry(1)));
  const QByteArray before = bytesOf(text);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit saved = limit;
  limit.rlim_cur = rlim_t(before.size() + 20);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  bool written = true;
  {
    test::ExpectWarnings expected(
        {QStringLiteral("could not add the entry at the end"), QStringLiteral("could not write")});
    written = append(entry(2));
    EXPECT_EQ(expected.seen(), 2);
  }
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(bytesOf(text), before);
  EXPECT_EQ(
      QDir(store.folderPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
      QStringList{QFileInfo(day).fileName()});
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown.first().messageText,
            QStringLiteral("Could not write to log file folder!"));
  // The alert keeps its advice and names what the system said.
  const QString said = alerts.shown.first().informativeText;
  EXPECT_TRUE(said.contains(QStringLiteral("sufficient access privileges"))) << said.toStdString();
  EXPECT_TRUE(said.endsWith(QStringLiteral(" The system gave this reason: %1.")
                                .arg(QString::fromLocal8Bit(std::strerror(EFBIG)))))
      << said.toStdString();

  // With room again, the next entry goes in place.
  const ino_t inPlace = inode();
  ASSERT_TRUE(append(entry(3)));
  EXPECT_EQ(inode(), inPlace);
  EXPECT_EQ(readDay(), joined(entry(1), entry(3)));
}

TEST_F(LogAppendInPlaceTest, OwnDayCutOffIsSetAsideNotAppendedTo) {
  ASSERT_TRUE(append(entry(1)));
  ASSERT_TRUE(append(entry(2)));
  const QByteArray whole = bytesOf(text);
  const QByteArray cut = whole.left(whole.size() - 40);
  writeFile(text, cut);

  test::ExpectWarnings expected({QStringLiteral("it was moved unchanged to")});
  ASSERT_TRUE(append(entry(3)));
  EXPECT_EQ(expected.seen(), 1);
  EXPECT_EQ(readDay(), entry(3));
  const QString aside =
      store.folderPath() + QStringLiteral("/System Log Day 2026-12-07 (%1) (damaged 2026-12-07 "
                                          "10.15.02).rtfd/TXT.rtf")
                               .arg(kMachine);
  EXPECT_EQ(bytesOf(aside), cut);
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown.first().messageText, QStringLiteral("A damaged log file was set aside"));
}

} // namespace
