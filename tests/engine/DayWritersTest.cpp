// Two programs writing one day of the log, as two copies of the program on
// one home do: each entry lands once after every byte the day held, a start
// keeps the copy of a splice under way, a kill at any step leaves the day
// whole; and a pad's sheet is written once another writer of it is done.
#include "engine/BackingStoreManager.h"
#include "engine/FullDataSet.h"
#include "engine/FullTimeSlice.h"
#include "engine/SplicesUnderWay.h"
#include "platform/files/FileLock.h"
#include "platform/richtext/RtfdPackage.h"

#include "support/SplicedBytes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <optional>
#include <sys/stat.h>

using namespace kr;

namespace {

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The other program (DayWriterProgram.cpp), killed unless it ended.
struct Writer : QProcess {
  explicit Writer(const QStringList& arguments, const QProcessEnvironment& environment =
                                                    QProcessEnvironment::systemEnvironment()) {
    setProcessEnvironment(environment);
    start(QStringLiteral(KR_DAY_WRITER), arguments);
  }
  ~Writer() override { kill(); }
  void kill() {
    QProcess::kill();
    waitForFinished();
  }
  // Reads what it says up to `line`; false when it ends first.
  bool says(const QByteArray& line) {
    while (canReadLine() || waitForReadyRead(test::timeLimit(60000))) {
      if (canReadLine() && readLine().trimmed() == line)
        return true;
    }
    return false;
  }
  void goOn() {
    write("\n");
    waitForBytesWritten();
  }
  bool landed() {
    return waitForFinished(test::timeLimit(60000)) && exitStatus() == NormalExit && exitCode() == 0;
  }
};

class DayWritersTest : public ::testing::Test {
protected:
  // A day LibreOffice saved with a picture, a few megabytes long: copied in
  // several blocks.
  void SetUp() override {
    QDir().mkpath(day);
    QFile file(day + QStringLiteral("/TXT.rtf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(old), old.size());
  }
  QStringList append(const QString& id, const char* stop = "") const {
    return {QStringLiteral("append"), day, id, QString::fromLatin1(stop)};
  }
  // The day's own records and bytes, then each of `ids` once in a group of
  // its own: nothing cut, nothing else.
  void expectWhole(QStringList ids) const {
    QStringList found;
    for (const FullTimeSlicePtr& slice : FullDataSet::loadRTFDFile(day).timeSlices)
      found << slice->uuid();
    EXPECT_TRUE(found.value(1).endsWith(QStringLiteral("3302"))) << "the day's own entries";
    found = found.mid(2);
    found.sort();
    ids.sort();
    EXPECT_EQ(found, ids);
    QByteArray before = bytesOf(day + QStringLiteral("/TXT.rtf"));
    for (qsizetype i = 1; i < ids.size(); ++i) // up to the first group added
      before =
          before.left(before.lastIndexOf('{', before.lastIndexOf("\\pard\\plain\\uc1 "))) + '}';
    EXPECT_TRUE(ids.isEmpty() ? before == old : test::splicedAfter(old, before));
  }

  QTemporaryDir dir;
  const QString day = dir.filePath(QStringLiteral("System Log Day 2020-03-07 (a4836e8b9f2).rtfd"));
  const QByteArray old = [] {
    QByteArray day =
        bytesOf(QStringLiteral(KR_TEST_DATA_DIR "/rtfd-logs-libreoffice/System Log "
                                                "Day 2020-03-07 (a4836e8b9f2).rtfd/TXT.rtf"));
    return day.insert(
        day.lastIndexOf('}'),
        QByteArray("\\par \\pard\\plain {\\loch notes kept with the day}\n").repeated(80000));
  }();
};

TEST_F(DayWritersTest, TwoWritersOfADayGoOneAfterTheOtherAndAStartKeepsTheCopyUnderWay) {
  // Where the first is when the second comes (at "Lock" it may come first),
  // and whether the first has a copy there.
  const std::pair<const char*, int> moments[] = {
      {"Lock", 0}, {"Copy#1", 1}, {"Copy#3", 1}, {"Replace", 1}, {"Replace+", 1}};
  for (const auto& [moment, copies] : moments) {
    SCOPED_TRACE(moment);
    SetUp();
    Writer first(append(QStringLiteral("U-FIRST"), moment));
    ASSERT_TRUE(first.says("stopped"));
    EXPECT_TRUE(Writer({QStringLiteral("start-up")}).says("0")) << "a start removed a live copy";
    EXPECT_EQ(RtfdPackage::spliceCopiesIn(day).size(), copies);
    Writer second(append(QStringLiteral("U-SECOND")));
    ASSERT_TRUE(second.says("Lock"));
    first.goOn();
    EXPECT_TRUE(first.landed());
    EXPECT_TRUE(second.landed());
    expectWhole({QStringLiteral("U-FIRST"), QStringLiteral("U-SECOND")});
    EXPECT_TRUE(RtfdPackage::spliceCopiesIn(day).isEmpty());
  }
}

TEST_F(DayWritersTest, AStartLeavesWhatAWholeWriteUnderWayHasBesideThePackage) {
  const QString sheet = dir.filePath(QStringLiteral("Now Pads 000001.rtfd"));
  const auto leftovers = [this] {
    return QDir(dir.path())
        .entryList({QStringLiteral(".kr-*")}, QDir::AllEntries | QDir::Hidden)
        .join(u' ')
        .toStdString();
  };
  // The writer stopped with its new copy beside the sheet, and with the old
  // sheet set aside and the new one not yet in its place.
  for (const char* step : {"Swap", "Aside"}) {
    SCOPED_TRACE(step);
    ASSERT_TRUE(BackingStoreManager::sharedManager().writeFile(RichText(QStringLiteral("before")),
                                                               sheet, dir.path()));
    Writer first({QStringLiteral("write"), sheet, QStringLiteral("first"), QLatin1String(step)});
    ASSERT_TRUE(first.says("stopped"));
    const std::string left = leftovers();
    ASSERT_EQ(QFileInfo::exists(sheet), step == std::string("Swap"));
    ASSERT_EQ(left.find(".kr-new-") == 0, true) << left;
    ASSERT_EQ(left.find(".kr-old-") != std::string::npos, step == std::string("Aside")) << left;
    EXPECT_TRUE(
        Writer({QStringLiteral("store-start"), dir.path(), QStringLiteral("Now Pads")}).landed());
    EXPECT_EQ(leftovers(), left) << "a start took what the writer has under way";
    Writer second({QStringLiteral("write"), sheet, QStringLiteral("second")});
    first.goOn();
    EXPECT_TRUE(first.landed());
    EXPECT_TRUE(second.landed());
    EXPECT_EQ(RtfdPackage::read(sheet).text.plainText(), QStringLiteral("second"));
    EXPECT_EQ(leftovers(), "");
  }
  // Where no lock file can be made, a start leaves an interrupted write's
  // copy; the sheet's next write puts it right.
  const QString copy = dir.filePath(QStringLiteral(".kr-new-Now Pads 000001.rtfd-a1b2c3"));
  ASSERT_TRUE(QDir().mkpath(copy));
  QProcessEnvironment noLocks = QProcessEnvironment::systemEnvironment();
  noLocks.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/sys/kr-no-such-folder"));
  Writer start({QStringLiteral("store-start"), dir.path(), QStringLiteral("Now Pads")}, noLocks);
  EXPECT_TRUE(start.landed());
  EXPECT_TRUE(start.readAllStandardError().contains("none can be made in /sys/kr-no-such-folder"));
  EXPECT_TRUE(QFileInfo::exists(copy));
  EXPECT_TRUE(Writer({QStringLiteral("write"), sheet, QStringLiteral("third")}, noLocks).landed());
  EXPECT_EQ(leftovers(), "");
}

TEST_F(DayWritersTest, AKillOfEitherWriterAtAnyStepLeavesTheDayWhole) {
  // The first killed while the second waits for it, or the second after the
  // first landed; and where.
  const std::pair<bool, const char*> kills[] = {
      {true, "Lock"},  {true, "Copy#1"},  {true, "Copy#4"},   {true, "Replace+"},
      {false, "Lock"}, {false, "Copy#2"}, {false, "Replace"}, {false, "Replace+"}};
  for (const auto& [first, step] : kills) {
    SCOPED_TRACE(std::string(first ? "first at " : "second at ") + step);
    SetUp();
    std::optional<Writer> one(std::in_place, append(QStringLiteral("U-ONE"), first ? step : ""));
    std::optional<Writer> two;
    if (first) {
      ASSERT_TRUE(one->says("stopped"));
      two.emplace(append(QStringLiteral("U-TWO")));
      ASSERT_TRUE(two->says("Lock"));
      one->kill();
      EXPECT_TRUE(two->landed());
    } else {
      EXPECT_TRUE(one->landed());
      two.emplace(append(QStringLiteral("U-TWO"), step));
      ASSERT_TRUE(two->says("stopped"));
      two->kill();
    }
    const QString survivor = first ? QStringLiteral("U-TWO") : QStringLiteral("U-ONE");
    expectWhole({survivor});
    // What the killed one left goes at the next start; the next entry lands.
    EXPECT_TRUE(Writer({QStringLiteral("start-up")}).landed());
    EXPECT_TRUE(RtfdPackage::spliceCopiesIn(day).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(SplicesUnderWay::notePath()));
    EXPECT_TRUE(Writer(append(QStringLiteral("U-NEXT"))).landed());
    expectWhole({survivor, QStringLiteral("U-NEXT")});
  }
}

// Set once: the sheet's writer found the lock held, or has written.
std::atomic<std::promise<void>*> waitingOrDone{nullptr};
void tell() {
  if (std::promise<void>* promise = waitingOrDone.exchange(nullptr))
    promise->set_value();
}

TEST_F(DayWritersTest, ASheetIsWrittenOnceAnotherWriterOfItIsDone) {
  const QString sheet = dir.filePath(QStringLiteral("Now Pads 000001.rtfd"));
  BackingStoreManager& manager = BackingStoreManager::sharedManager();
  ASSERT_TRUE(manager.writeFile(RichText(QStringLiteral("before\n")), sheet, dir.path()));
  const QString text = sheet + QStringLiteral("/TXT.rtf");
  ASSERT_EQ(::chmod(QFile::encodeName(text).constData(), 0640), 0);
  // Another writer holds the sheet, with a new package of it under way.
  Writer other(
      {QStringLiteral("append"), sheet, QStringLiteral("U-PAD"), QStringLiteral("InPlace+")});
  ASSERT_TRUE(other.says("stopped"));
  const QString itsCopy = dir.filePath(QStringLiteral(".kr-new-Now Pads 000001.rtfd-a1b2c3"));
  ASSERT_TRUE(QDir().mkpath(itsCopy));
  std::promise<void> told;
  waitingOrDone = &told;
  FileLock::setWhenBusyForTesting(tell);
  auto written = std::async(std::launch::async, [&] {
    const bool done = manager.writeFile(RichText(QStringLiteral("after")), sheet, dir.path());
    tell();
    return done;
  });
  ASSERT_EQ(told.get_future().wait_for(std::chrono::seconds(60)), std::future_status::ready);
  FileLock::setWhenBusyForTesting(nullptr);
  EXPECT_NE(written.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_TRUE(QFileInfo::exists(itsCopy)) << "removed while its writer was at it";
  other.goOn();
  EXPECT_TRUE(other.landed());
  EXPECT_TRUE(written.get());
  EXPECT_EQ(RtfdPackage::read(sheet).text.plainText(), QStringLiteral("after"));
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(text).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the new sheet keeps the old one's permissions";
}

} // namespace
