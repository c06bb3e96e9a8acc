#include "platform/settings/UserDefaults.h"
#include "platform/settings/DefaultsStorageAPI.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using kr::UserDefaults;

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("settings.conf")); }
};

TEST_F(UserDefaultsTest, RegisteredValuesAreReadButNeverWritten) {
  {
    UserDefaults defaults(path());
    defaults.registerDefaults({{QStringLiteral("count"), 7},
                               {QStringLiteral("name"), QStringLiteral("pink_noise")},
                               {QStringLiteral("on"), true}});
    EXPECT_EQ(defaults.integer(QStringLiteral("count")), 7);
    EXPECT_EQ(defaults.string(QStringLiteral("name")), QStringLiteral("pink_noise"));
    EXPECT_TRUE(defaults.boolValue(QStringLiteral("on")));
    EXPECT_TRUE(defaults.defined(QStringLiteral("count")));
    EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("count")));
    EXPECT_FALSE(defaults.defined(QStringLiteral("neverSeen")));
    defaults.setValue(QStringLiteral("other"), 1);
  }
  QFile file(path());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray content = file.readAll();
  EXPECT_TRUE(content.contains("other"));
  EXPECT_FALSE(content.contains("count"));
  EXPECT_FALSE(content.contains("pink_noise"));
}

TEST_F(UserDefaultsTest, StoredValuesSurviveAndKeepTheirRegisteredType) {
  {
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("duration"), 1500);
    defaults.setValue(QStringLiteral("alpha"), 0.6);
    defaults.setValue(QStringLiteral("hidden"), true);
    defaults.setValue(QStringLiteral("tags"), QStringLiteral("12"));
    defaults.setValue(QStringLiteral("list"),
                      QVariantList{QVariantMap{{QStringLiteral("path"), QStringLiteral("/a")}}});
  }
  UserDefaults reopened(path());
  reopened.registerDefault(QStringLiteral("tags"), QString());
  EXPECT_NE(reopened.object(QStringLiteral("duration")).metaType().id(), QMetaType::QString);
  EXPECT_EQ(reopened.integer(QStringLiteral("duration")), 1500);
  EXPECT_DOUBLE_EQ(reopened.doubleValue(QStringLiteral("alpha")), 0.6);
  EXPECT_EQ(reopened.object(QStringLiteral("hidden")).metaType().id(), QMetaType::Bool);
  // A text setting keeps being text even when it looks like a number.
  EXPECT_EQ(reopened.object(QStringLiteral("tags")).metaType().id(), QMetaType::QString);
  const QVariantList list = reopened.array(QStringLiteral("list"));
  ASSERT_EQ(list.size(), 1);
  EXPECT_EQ(list.first().toMap().value(QStringLiteral("path")).toString(), QStringLiteral("/a"));
}

TEST_F(UserDefaultsTest, TypedReadsCoerce) {
  UserDefaults defaults(path());
  defaults.setValue(QStringLiteral("d"), 2.5);
  defaults.setValue(QStringLiteral("neg"), -2.7);
  defaults.setValue(QStringLiteral("yes"), QStringLiteral("YES"));
  defaults.setValue(QStringLiteral("numText"), QStringLiteral("42"));
  defaults.setValue(QStringLiteral("word"), QStringLiteral("abc"));
  EXPECT_EQ(defaults.integer(QStringLiteral("d")), 2);
  EXPECT_EQ(defaults.integer(QStringLiteral("neg")), -2);
  EXPECT_TRUE(defaults.boolValue(QStringLiteral("d")));
  EXPECT_TRUE(defaults.boolValue(QStringLiteral("yes")));
  EXPECT_EQ(defaults.integer(QStringLiteral("numText")), 42);
  EXPECT_EQ(defaults.integer(QStringLiteral("word")), 0);
  EXPECT_FALSE(defaults.boolValue(QStringLiteral("word")));
  EXPECT_EQ(defaults.string(QStringLiteral("d")), QStringLiteral("2.5"));
  // Unset keys read as nothing of each type.
  EXPECT_EQ(defaults.integer(QStringLiteral("unset")), 0);
  EXPECT_FALSE(defaults.boolValue(QStringLiteral("unset")));
  EXPECT_EQ(defaults.string(QStringLiteral("unset")), QString());
  EXPECT_EQ(defaults.doubleValue(QStringLiteral("unset")), 0.0);
  EXPECT_TRUE(defaults.array(QStringLiteral("unset")).isEmpty());
}

TEST_F(UserDefaultsTest, ChangedFiresOnlyWhenWhatAKeyReadsChanges) {
  UserDefaults defaults(path());
  QSignalSpy spy(&defaults, &UserDefaults::changed);
  defaults.registerDefault(QStringLiteral("k"), 5);
  ASSERT_EQ(spy.count(), 1);
  defaults.setValue(QStringLiteral("k"), 5); // reads 5 already
  EXPECT_EQ(spy.count(), 1);
  defaults.setValue(QStringLiteral("k"), 6);
  EXPECT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.last().first().toString(), QStringLiteral("k"));
  defaults.registerDefault(QStringLiteral("k"), 9); // hidden by the stored 6
  EXPECT_EQ(spy.count(), 2);
  defaults.remove(QStringLiteral("k")); // back to the registered 9
  EXPECT_EQ(spy.count(), 3);
  EXPECT_EQ(defaults.integer(QStringLiteral("k")), 9);
}

TEST_F(UserDefaultsTest, WritesThroughAnyTypedViewReachObservers) {
  UserDefaults& standard = UserDefaults::standard();
  QSignalSpy spy(&standard, &UserDefaults::changed);
  kr::StandardUserDefaultsStorage::shared().store(true, QStringLiteral("viaStorage"));
  kr::StandardUserDefaultsStorage::shared().store(qint64{3}, QStringLiteral("viaStorageInt"));
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.at(0).first().toString(), QStringLiteral("viaStorage"));
  EXPECT_TRUE(standard.boolValue(QStringLiteral("viaStorage")));
  EXPECT_EQ(kr::StandardUserDefaultsStorage::shared().getInteger(QStringLiteral("viaStorageInt")),
            3);
  // The standard store lives in the temporary home, never in the real one.
  EXPECT_TRUE(standard.filePath().startsWith(kr::test::temporaryHome()));
}

TEST(DefaultsStorageTest, StandardStorageRegistersAndDefines) {
  auto& storage = kr::StandardUserDefaultsStorage::shared();
  EXPECT_FALSE(storage.defined(QStringLiteral("onlyRegistered")));
  storage.registerDefault(12, QStringLiteral("onlyRegistered"));
  EXPECT_TRUE(storage.defined(QStringLiteral("onlyRegistered")));
  EXPECT_EQ(storage.getInteger(QStringLiteral("onlyRegistered")), 12);
  storage.registerDefault(2.5, QStringLiteral("interval"));
  EXPECT_DOUBLE_EQ(storage.getTimeInterval(QStringLiteral("interval")), 2.5);
  // Registering never overwrites what the user stored.
  storage.store(qint64{4}, QStringLiteral("userSet"));
  storage.registerDefault(8, QStringLiteral("userSet"));
  EXPECT_EQ(storage.getInteger(QStringLiteral("userSet")), 4);
}

TEST(DefaultsStorageTest, TestStorageAnswersMinusOneForOtherTypes) {
  kr::TestDefaultsStorage storage;
  storage.store(true, QStringLiteral("flag"));
  storage.store(qint64{5}, QStringLiteral("count"));
  EXPECT_EQ(storage.getInteger(QStringLiteral("flag")), -1);
  EXPECT_EQ(storage.getInteger(QStringLiteral("count")), 5);
  EXPECT_EQ(storage.getTimeInterval(QStringLiteral("count")), -1.0);
  EXPECT_EQ(storage.getInteger(QStringLiteral("missing")), -1);
  EXPECT_TRUE(storage.defined(QStringLiteral("flag")));
  EXPECT_FALSE(storage.defined(QStringLiteral("missing")));
  EXPECT_TRUE(storage.getBoolean(QStringLiteral("flag")));
}

} // namespace

TEST_F(UserDefaultsTest, ChangesAreSeenAtOnceAndWrittenLaterInOneGoAwayFromTheCaller) {
  UserDefaults defaults(path());
  const QString pasted(5 * 1024 * 1024, QChar(u'o')); // a pasted 5 MB objective
  for (int i = 0; i < 20; ++i) {
    defaults.setValue(QStringLiteral("objective"), pasted + QString::number(i));
    defaults.setValue(QStringLiteral("count"), i);
  }
  defaults.setValue(QStringLiteral("gone"), 1);
  defaults.remove(QStringLiteral("gone"));
  // Every reader sees the changes at once; none of them has touched the file.
  EXPECT_EQ(defaults.string(QStringLiteral("objective")), pasted + QStringLiteral("19"));
  EXPECT_EQ(defaults.integer(QStringLiteral("count")), 19);
  EXPECT_FALSE(defaults.hasStoredValue(QStringLiteral("gone")));
  EXPECT_EQ(defaults.storedKeys(),
            (QStringList{QStringLiteral("count"), QStringLiteral("objective")}));
  EXPECT_FALSE(QFile::exists(path()));
  defaults.synchronize(); // asks for the write; does not wait for it

  // Megabytes under the sanitizers on a busy machine can take longer than
  // a quit waits for them (flush's limit, held elsewhere).
  defaults.waitForWritesForTesting();
  ASSERT_TRUE(defaults.flush());
  UserDefaults reopened(path());
  EXPECT_EQ(reopened.integer(QStringLiteral("count")), 19);
  EXPECT_EQ(reopened.string(QStringLiteral("objective")).size(), pasted.size() + 2);
  EXPECT_FALSE(reopened.hasStoredValue(QStringLiteral("gone")));
  // Written by replacing the file: nothing else is left beside it.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("settings.conf")});

  // What is still pending when the store goes is written then.
  {
    UserDefaults last(path());
    last.setValue(QStringLiteral("count"), 200);
  }
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 200);
}

namespace {

TEST_F(UserDefaultsTest, ASettingsFileThatIsNotARegularFileIsSaidOnceAndNeverWritten) {
  const QString real = dir.filePath(QStringLiteral("real.conf"));
  {
    QFile file(real);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\ncount=3\n");
  }
  // A link to a regular file is read, and written, through.
  ASSERT_TRUE(QFile::link(real, path()));
  {
    kr::test::ConsoleCapture console;
    UserDefaults defaults(path());
    EXPECT_TRUE(defaults.unreadableReason().isEmpty());
    EXPECT_EQ(defaults.integer(QStringLiteral("count")), 3);
    defaults.setValue(QStringLiteral("count"), 4);
    EXPECT_TRUE(defaults.flush());
    EXPECT_FALSE(console.contains(QStringLiteral("cannot be read")));
  }
  EXPECT_TRUE(QFileInfo(path()).isSymLink());
  EXPECT_EQ(UserDefaults(real).integer(QStringLiteral("count")), 4);
  QFile::remove(path());

  const QString fifo = dir.filePath(QStringLiteral("fifo.conf"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString folder = dir.filePath(QStringLiteral("folder.conf"));
  ASSERT_TRUE(QDir().mkdir(folder));
  // A device of the test's own (the zero device's numbers), so a fault that
  // wrote through the link could never replace the machine's /dev/zero.
  const QString zero = dir.filePath(QStringLiteral("zero"));
  const bool ownDevice =
      ::mknod(QFile::encodeName(zero).constData(), S_IFCHR | 0666, makedev(1, 5)) == 0;
  const QString device = dir.filePath(QStringLiteral("device.conf"));
  ASSERT_TRUE(QFile::link(ownDevice ? zero : QStringLiteral("/dev/zero"), device));
  const QString dangling = dir.filePath(QStringLiteral("dangling.conf"));
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone")), dangling));
  // Far larger than any settings file (and sparse, so it costs no disk).
  const QString huge = dir.filePath(QStringLiteral("huge.conf"));
  {
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\ncount=3\n");
    ASSERT_TRUE(file.resize(UserDefaults::kLargestSettingsFile + 1));
  }
  for (const QString& unreadable : {fifo, folder, device, dangling, huge}) {
    const QFileInfo before(unreadable);
    kr::test::ConsoleCapture console;
    {
      UserDefaults defaults(unreadable); // a pipe would block here if it were opened
      EXPECT_FALSE(defaults.unreadableReason().isEmpty()) << unreadable.toStdString();
      defaults.registerDefault(QStringLiteral("count"), 7);
      EXPECT_EQ(defaults.integer(QStringLiteral("count")), 7);
      defaults.setValue(QStringLiteral("count"), 8);
      EXPECT_EQ(defaults.integer(QStringLiteral("count")), 8) << "kept for the run";
      EXPECT_FALSE(defaults.flush()) << "nothing is written";
    }
    EXPECT_EQ(console.lines().filter(QStringLiteral("cannot be read")).size(), 1)
        << unreadable.toStdString();
    EXPECT_TRUE(console.contains(unreadable));
    const QFileInfo after(unreadable);
    EXPECT_EQ(after.isSymLink(), before.isSymLink());
    EXPECT_EQ(after.isDir(), before.isDir());
    EXPECT_EQ(after.lastModified(), before.lastModified());
    EXPECT_EQ(after.size(), before.size());
  }

  // A link read as a settings file and then turned to a pipe is not written
  // through: the pipe stays a pipe.
  const QString target = dir.filePath(QStringLiteral("target.conf"));
  QFile(target).open(QIODevice::WriteOnly);
  const QString turned = dir.filePath(QStringLiteral("turned.conf"));
  ASSERT_TRUE(QFile::link(target, turned));
  {
    UserDefaults defaults(turned);
    ASSERT_TRUE(defaults.unreadableReason().isEmpty());
    ASSERT_TRUE(QFile::remove(target));
    ASSERT_EQ(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    defaults.setValue(QStringLiteral("count"), 9);
    EXPECT_FALSE(defaults.flush()) << "nothing is written over the pipe";
  }
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_TRUE(QDir(folder).isEmpty());
}

} // namespace
