// Two programs writing one day of the log, as two copies of the program on
// one home do: each entry lands once after every byte the day held, a start
// keeps the copy of a splice under way, a kill at any step leaves the day
// whole; and a pad's sheet is written once another writer of it is done.
#include "engine/BackingStoreManager.h"
#include "engine/FullDataSet.h"
#include "engine/FullTimeSlice.h"
#include "engine/LogFile.h"
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

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <future>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <tuple>
#include <unistd.h>

using namespace kr;

namespace {

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The extended attributes of the file at `path`, by name.
std::map<QByteArray, QByteArray> attributesOf(const QByteArray& path) {
  std::map<QByteArray, QByteArray> attributes;
  QByteArray names(4096, '\0');
  const ssize_t size = ::llistxattr(path.constData(), names.data(), size_t(names.size()));
  for (const QByteArray& name : names.left(qsizetype(std::max<ssize_t>(size, 0))).split('\0')) {
    QByteArray value(4096, '\0');
    const ssize_t n = ::lgetxattr(path.constData(), name.constData(), value.data(), 4096);
    if (!name.isEmpty() && n >= 0)
      attributes[name] = value.left(qsizetype(n));
  }
  return attributes;
}

// A POSIX ACL in the kernel's form: the owner reads and writes, the user
// `uid` and the group read.
QByteArray aclLettingRead(quint32 uid) {
  QByteArray acl;
  auto add = [&acl](quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
      acl.append(char((value >> (8 * i)) & 0xff));
  };
  add(2, 4); // the form's version
  const quint32 none = 0xffffffff;
  for (const auto& [tag, permissions, id] : {std::tuple{0x01u, 6u, none},
                                             {0x02u, 4u, uid},
                                             {0x04u, 4u, none},
                                             {0x10u, 4u, none},
                                             {0x20u, 0u, none}}) {
    add(tag, 2);
    add(permissions, 2);
    add(id, 4);
  }
  return acl;
}

// The other program (DayWriterProgram.cpp), killed unless it ended.
struct Writer : QProcess {
  explicit Writer(const QStringList& arguments, const QProcessEnvironment& environment =
                                                    QProcessEnvironment::systemEnvironment()) {
    setProcessEnvironment(environment);
    start(QStringLiteral(KR_DAY_WRITER), arguments);
  }
  // Started by `launcher` (another user's, say) in `environment`.
  Writer(const QStringList& launcher, const QStringList& arguments,
         const QProcessEnvironment& environment) {
    setProcessEnvironment(environment);
    if (launcher.isEmpty())
      start(QStringLiteral(KR_DAY_WRITER), arguments);
    else
      start(launcher[0], launcher.mid(1) + QStringList{QStringLiteral(KR_DAY_WRITER)} + arguments);
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

TEST_F(DayWritersTest, ADayKeepsItsAclAndAttributesOrStaysAsItIsWithTheEntryBeside) {
  const QByteArray text = QFile::encodeName(day + QStringLiteral("/TXT.rtf"));
  const QByteArray acl = aclLettingRead(65534);
  if (::setxattr(text.constData(), "system.posix_acl_access", acl.constData(), size_t(acl.size()),
                 0) != 0 ||
      ::setxattr(text.constData(), "user.probe", "1", 1, 0) != 0)
    GTEST_SKIP() << "the file system of " << qPrintable(dir.path())
                 << " keeps no ACL or user attribute: " << std::strerror(errno);
  const uid_t self = ::geteuid();
  const uid_t nobody = 65534;
  // Where an ACL is: on the text, or the package's for its new files.
  enum Acl { None, OnText, ForFiles };
  struct Case {
    const char* what;
    Acl acl;
    const char* attribute; // a user attribute the text has
    const char* refused;   // one that cannot be given to a file
    bool asNobody;         // the writer runs as user nobody, the day being that user's
    uid_t owner;
    mode_t mode;
    bool spliced; // else the day is left as it is and the entry goes beside it
  };
  const Case cases[] = {
      {"its ACL kept", OnText, "", "", false, self, 0640, true},
      {"no ACL of the package's given", ForFiles, "", "", false, self, 0640, true},
      {"its user attribute kept", None, "user.kept", "", false, self, 0600, true},
      {"an attribute a copy cannot get", OnText, "user.kept", "user.kept", false, self, 0640,
       false},
      {"its own user's ACL kept", OnText, "user.kept", "", true, nobody, 0640, true},
      {"another user's text, read-only to it", None, "", "", true, 0, 0644, false},
      {"another user's text it may write", None, "", "", true, 0, 0666, false}};
  const QString aside = LogFile::writtenAsidePath(day, 1);
  const QString home = dir.filePath(QStringLiteral("home"));
  for (const Case& row : cases) {
    SCOPED_TRACE(row.what);
    if (row.asNobody && self != 0) {
      std::printf("skipped \"%s\": only root may give a day to user nobody\n", row.what);
      continue;
    }
    QDir(day).removeRecursively();
    QDir(aside).removeRecursively();
    SetUp();
    if (row.acl != None) {
      const bool onText = row.acl == OnText;
      ASSERT_EQ(::setxattr(onText ? text.constData() : QFile::encodeName(day).constData(),
                           onText ? "system.posix_acl_access" : "system.posix_acl_default",
                           acl.constData(), size_t(acl.size()), 0),
                0);
    }
    if (*row.attribute) {
      ASSERT_EQ(::setxattr(text.constData(), row.attribute, "a tag", 5, 0), 0);
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DAY_WRITER_REFUSES"), QString::fromLatin1(row.refused));
    QStringList launcher;
    if (row.asNobody) {
      // That user's own home for the locks, and the day's folder and package.
      QDir().mkpath(home);
      for (const QString& path : {dir.path(), home, day})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody, nobody), 0);
      environment.insert(QStringLiteral("HOME"), home);
      environment.insert(QStringLiteral("XDG_DATA_HOME"), home);
      launcher = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                             QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
    }
    ASSERT_EQ(::chown(text.constData(), row.owner, row.owner), 0);
    ASSERT_EQ(::chmod(text.constData(), row.mode), 0);
    const std::map<QByteArray, QByteArray> attributes = attributesOf(text);

    Writer writer(launcher, append("U-ACL"), environment);
    EXPECT_TRUE(writer.landed()) << writer.readAll().constData();
    struct stat info {};
    ASSERT_EQ(::stat(text.constData(), &info), 0);
    EXPECT_EQ(info.st_uid, row.owner);
    EXPECT_EQ(info.st_mode & 07777, row.mode);
    EXPECT_EQ(attributesOf(text), attributes) << "the ACL and attributes the text had";
    EXPECT_EQ(attributes.count("system.posix_acl_access"), row.acl == OnText ? 1u : 0u);
    EXPECT_TRUE(RtfdPackage::spliceCopiesIn(day).isEmpty());
    if (row.spliced) {
      expectWhole({QStringLiteral("U-ACL")});
      EXPECT_FALSE(QFileInfo::exists(aside));
    } else {
      EXPECT_EQ(bytesOf(day + QStringLiteral("/TXT.rtf")), old) << "the day byte for byte";
      QStringList beside;
      for (const FullTimeSlicePtr& slice : FullDataSet::loadRTFDFile(aside).timeSlices)
        beside << slice->uuid();
      EXPECT_EQ(beside, QStringList{QStringLiteral("U-ACL")});
    }
  }

  // A sheet written anew whole keeps them too, its folder's and its text's.
  const QString sheet = dir.filePath(QStringLiteral("Now Pads 000001.rtfd"));
  BackingStoreManager& manager = BackingStoreManager::sharedManager();
  ASSERT_TRUE(manager.writeFile(RichText(QStringLiteral("before\n")), sheet, dir.path()));
  const QByteArray sheetText = QFile::encodeName(sheet + QStringLiteral("/TXT.rtf"));
  ASSERT_EQ(::setxattr(sheetText.constData(), "system.posix_acl_access", acl.constData(),
                       size_t(acl.size()), 0),
            0);
  ASSERT_EQ(::setxattr(sheetText.constData(), "user.kept", "a tag", 5, 0), 0);
  ASSERT_EQ(::setxattr(QFile::encodeName(sheet).constData(), "user.kept", "a tag", 5, 0), 0);
  const std::map<QByteArray, QByteArray> textAttributes = attributesOf(sheetText);
  ASSERT_TRUE(manager.writeFile(RichText(QStringLiteral("after")), sheet, dir.path()));
  EXPECT_EQ(RtfdPackage::read(sheet).text.plainText(), QStringLiteral("after"));
  EXPECT_EQ(attributesOf(sheetText), textAttributes);
  EXPECT_EQ(attributesOf(QFile::encodeName(sheet)).count("user.kept"), 1u);
}

} // namespace
