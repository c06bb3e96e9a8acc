// The settings file's lock and writes that cannot be done: what is in the
// way is named once, nothing waits on it, and the changes are kept until
// they can be written.
#include "platform/settings/SettingsFile.h"
#include "platform/files/FileLock.h"
#include "platform/settings/UserDefaults.h"

#include "support/StepTimer.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utime.h>

using kr::SettingsFile;
using kr::UserDefaults;
using namespace std::chrono_literals;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("settings.conf")); }
  QString lock() const { return SettingsFile::lockPath(path()); }
  QByteArray encodedLock() const { return QFile::encodeName(lock()); }
  void writeLock(const QByteArray& text) {
    QFile file(lock());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  // A change made with the obstacle in place: kept, said once, written
  // once the obstacle is gone.
  void expectKeptUntilWritable(const char* obstacle, const QString& named,
                               const std::function<void()>& clear) {
    SCOPED_TRACE(obstacle);
    QFile::remove(path());
    kr::test::ConsoleCapture console;
    UserDefaults defaults(path());
    QSignalSpy told(&defaults, &UserDefaults::cannotWrite);
    defaults.setValue(QStringLiteral("count"), 5);
    kr::test::StepTimer took;
    EXPECT_FALSE(defaults.flush());
    EXPECT_LT(took.elapsed(), took.limit(UserDefaults::kFlushLimitMilliseconds + 200));
    defaults.setValue(QStringLiteral("other"), 6);
    EXPECT_FALSE(defaults.flush());
    EXPECT_EQ(defaults.integer(QStringLiteral("count")), 5) << "kept in memory";
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0][0].toString().contains(named)) << told[0][0].toString().toStdString();
    EXPECT_EQ(console.lines().filter(QStringLiteral("cannot be kept")).size(), 1);
    EXPECT_TRUE(console.lines()
                    .filter(QStringLiteral("not written"))
                    .last()
                    .contains(QStringLiteral("count, other")));
    EXPECT_FALSE(QFile::exists(path()));
    clear();
    EXPECT_TRUE(defaults.flush());
    EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("other")), 6);
    EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 5);
  }
};

TEST_F(SettingsFileTest, ALockInTheWayIsNamedAndNeverWaitedOn) {
  // A pipe there would stop an opener that waits for a writer.
  ASSERT_EQ(::mkfifo(encodedLock().constData(), 0600), 0);
  expectKeptUntilWritable("pipe", lock(), [&] { QFile::remove(lock()); });

  ASSERT_TRUE(QDir().mkdir(lock()));
  expectKeptUntilWritable("folder", lock(), [&] { QDir().rmdir(lock()); });

  // A device of the test's own (the zero device's numbers): read, it never ends.
  const QString zero = dir.filePath(QStringLiteral("zero"));
  const bool ownDevice =
      ::mknod(QFile::encodeName(zero).constData(), S_IFCHR | 0666, makedev(1, 5)) == 0;
  ASSERT_TRUE(QFile::link(ownDevice ? zero : QStringLiteral("/dev/zero"), lock()));
  expectKeptUntilWritable("link to a device", lock(), [&] { QFile::remove(lock()); });

  // Another user's lock (one left by a run as root) is not ours to take.
  writeLock("1\nKorvane-R\n\n");
  ASSERT_EQ(::chown(encodedLock().constData(), 65534, 65534), 0);
  expectKeptUntilWritable("another user's", QStringLiteral("another user"),
                          [&] { QFile::remove(lock()); });

  // A lock a running writer holds: the quit does not wait for it, and says
  // what it leaves unwritten; the write goes on once the lock is free.
  QFile::remove(path());
  writeLock(QByteArray::number(qint64(::getpid())) + "\nKorvane-R\n\n");
  const int held = ::open(encodedLock().constData(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  {
    kr::test::ConsoleCapture console;
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("count"), 8);
    kr::test::StepTimer took;
    EXPECT_FALSE(defaults.flush());
    EXPECT_LT(took.elapsed(), took.limit(UserDefaults::kFlushLimitMilliseconds + 200));
    EXPECT_TRUE(console.lines()
                    .filter(QStringLiteral("not written"))
                    .value(0)
                    .contains(QStringLiteral(": count")));
    ::close(held);
  }
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 8);
  EXPECT_FALSE(QFileInfo::exists(lock())) << "the lock is given back";
}

TEST_F(SettingsFileTest, AStaleLockOfThisUserIsTakenOver) {
  // Its process is gone.
  writeLock("2147483646\nKorvane-R\n\n");
  {
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("count"), 1);
    EXPECT_TRUE(defaults.flush());
  }
  EXPECT_FALSE(QFileInfo::exists(lock()));
  // Its process runs (the pid came round again), but no write takes minutes.
  writeLock("1\nKorvane-R\n\n");
  const struct utimbuf old { std::time(nullptr) - 600, std::time(nullptr) - 600 };
  ASSERT_EQ(::utime(encodedLock().constData(), &old), 0);
  {
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("count"), 2);
    EXPECT_TRUE(defaults.flush());
  }
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 2);
  // An empty one may be another writer's, made and about to be locked: it is
  // left behind only once it is older than that takes.
  QFile::remove(lock());
  writeLock("");
  EXPECT_TRUE(SettingsFile::write(path(), {{QStringLiteral("count"), 3}}, 50ms).lockInTheWay);
  ASSERT_EQ(::utime(encodedLock().constData(), &old), 0);
  EXPECT_TRUE(SettingsFile::write(path(), {{QStringLiteral("count"), 4}}, 50ms).written);
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 4);
}

// A write the held lock stopped is tried again before anything is said; the
// alert comes when the retry finds it held too.
TEST_F(SettingsFileTest, AWriteTheLockHeldUpIsTriedAgainBeforeItIsSaid) {
  // Events until `done`, or a minute.
  const auto until = [](const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < kr::test::timeLimit(60000))
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  };
  for (const bool freedBeforeTheRetry : {true, false}) {
    SCOPED_TRACE(freedBeforeTheRetry);
    kr::test::ConsoleCapture console;
    writeLock(QByteArray::number(qint64(::getpid())) + "\nKorvane-R\n\n");
    const int held = ::open(encodedLock().constData(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    UserDefaults defaults(path());
    QSignalSpy told(&defaults, &UserDefaults::cannotWrite);
    defaults.setValue(QStringLiteral("count"), 9);
    defaults.flush();
    until([&] { return console.contains(QStringLiteral("tried again")) || !told.isEmpty(); });
    EXPECT_TRUE(told.isEmpty()) << "said before it was tried again";
    if (freedBeforeTheRetry) {
      ::close(held);
      EXPECT_TRUE(defaults.flush());
      EXPECT_TRUE(told.isEmpty());
      continue;
    }
    defaults.flush();
    until([&] { return !told.isEmpty(); });
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0][0].toString().contains(QStringLiteral("held by another running")));
    ::close(held);
    EXPECT_TRUE(defaults.flush());
  }
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 9);
}

int noLocks(int, int) {
  errno = ENOLCK;
  return -1;
}

int lockFails(int, int) {
  errno = EIO;
  return -1;
}

// Where files cannot be locked, the lock file made exclusively is the lock;
// where none may be made, the write goes ahead without one. Each is said
// once, for the reason it is.
TEST_F(SettingsFileTest, WithoutFlockALockFileStillTakesTurns) {
  kr::test::ConsoleCapture console;
  kr::FileLock::setLockCallForTesting(noLocks);
  const std::shared_ptr<void> restore(nullptr,
                                      [](void*) { kr::FileLock::setLockCallForTesting(nullptr); });
  QString why;
  {
    kr::FileLock first(lock());
    kr::FileLock second(lock());
    ASSERT_TRUE(first.acquire(0ms, &why)) << why.toStdString();
    EXPECT_FALSE(second.acquire(0ms, &why));
    EXPECT_TRUE(why.startsWith(QStringLiteral("is held by another running program")));
    first.release();
    EXPECT_FALSE(QFileInfo::exists(lock()));
    EXPECT_TRUE(second.acquire(0ms, &why)) << why.toStdString();
  }
  // Left by a process that is gone, and empty for longer than any writer
  // takes to fill it; an empty one just made is a writer's.
  writeLock("2147483646\nKorvane-R\n" + QSysInfo::machineHostName().toUtf8() + '\n');
  EXPECT_TRUE(kr::FileLock(lock()).acquire(0ms, &why)) << why.toStdString();
  writeLock("");
  EXPECT_FALSE(kr::FileLock(lock()).acquire(0ms, &why));
  const struct utimbuf old { std::time(nullptr) - 600, std::time(nullptr) - 600 };
  ASSERT_EQ(::utime(encodedLock().constData(), &old), 0);
  {
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("count"), 3);
    EXPECT_TRUE(defaults.flush());
  }
  EXPECT_EQ(console.lines().filter(QStringLiteral("cannot lock files (No locks")).size(), 1);
  // Any other failure is a refusal, and leaves no empty lock file.
  kr::FileLock::setLockCallForTesting(lockFails);
  EXPECT_FALSE(kr::FileLock(lock()).acquire(1s, &why));
  EXPECT_EQ(why, QStringLiteral("cannot be locked (Input/output error)"));
  EXPECT_FALSE(QFileInfo::exists(lock()));
  kr::FileLock::setLockCallForTesting(nullptr);
  // No folder may be made there.
  for (int i = 0; i < 2; ++i) {
    kr::FileLock none(QStringLiteral("/sys/kr-no-such-folder/settings.lock"));
    EXPECT_TRUE(none.acquire(0ms, &why));
    EXPECT_TRUE(none.isWithoutLock());
  }
  EXPECT_EQ(console.lines().filter(QStringLiteral("none can be made")).size(), 1);
}

// Two programs writing the settings at once, as fast as they can: each write
// is made under the lock from the file as the other left it, so no key is
// lost, also when one finds the lock file the other just made still empty,
// and where files cannot be locked. A writer that writes without a pause may
// keep the lock from the other for most of its run (whoever waits looks again
// every few milliseconds, and the one writing takes the lock again at once),
// so each write may wait for the lock as long as the test may take: on a busy
// machine the other writer's whole run can take minutes.
TEST_F(SettingsFileTest, TwoWritersAtOnceLoseNothing) {
  constexpr int kKeys = 200;
  // In memory where the system has a folder there: the disk's syncs of the
  // file and of the private copies would take most of the time.
  const QTemporaryDir memory(QStringLiteral("/dev/shm/kr-settings-XXXXXX"));
  const QString folder = memory.isValid() ? memory.path() : dir.path();
  const QString file = folder + QStringLiteral("/settings.conf");
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("TMPDIR"), folder);
  for (const char* option : {"--slow-lock", "--no-flock"}) {
    SCOPED_TRACE(option);
    QFile::remove(file);
    QProcess writers[2];
    const QString prefixes[2] = {QStringLiteral("first"), QStringLiteral("second")};
    for (int i = 0; i < 2; ++i) {
      writers[i].setProcessEnvironment(environment);
      writers[i].start(QStringLiteral(KR_SETTINGS_WRITER),
                       {file, prefixes[i], QString::number(kKeys), QLatin1String(option)});
    }
    for (QProcess& writer : writers) {
      ASSERT_TRUE(writer.waitForFinished(240000));
      EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    }
    const UserDefaults written(file);
    QStringList lost;
    for (const QString& prefix : prefixes) {
      for (int i = 0; i < kKeys; ++i) {
        if (written.integer(prefix + QString::number(i)) != i)
          lost << prefix + QString::number(i);
      }
    }
    EXPECT_TRUE(lost.isEmpty()) << lost.size() << " lost, among them "
                                << lost.mid(0, 10).join(u' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(SettingsFile::lockPath(file)));
  }
}

// A read-only file or folder is the user's word: nothing is written there,
// and the changes wait in memory until it can be.
TEST_F(SettingsFileTest, ASettingsFileOrFolderThatIsReadOnlyIsNamedAndWaitedFor) {
  const QByteArray file = QFile::encodeName(path());
  {
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("first"), 1);
    ASSERT_TRUE(defaults.flush());
  }
  ASSERT_EQ(::chmod(file.constData(), 0444), 0);
  kr::test::ConsoleCapture console;
  {
    UserDefaults defaults(path());
    QSignalSpy told(&defaults, &UserDefaults::cannotWrite);
    defaults.setValue(QStringLiteral("count"), 5);
    EXPECT_FALSE(defaults.flush());
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0][0].toString().contains(QStringLiteral("read-only")));
    EXPECT_TRUE(told[0][0].toString().contains(path()));
    ASSERT_EQ(::chmod(file.constData(), 0644), 0);
    EXPECT_TRUE(defaults.flush());
  }
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 5);
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("first")), 1);

  const QByteArray folder = QFile::encodeName(dir.path());
  ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
  {
    UserDefaults defaults(path());
    QSignalSpy told(&defaults, &UserDefaults::cannotWrite);
    defaults.setValue(QStringLiteral("count"), 7);
    EXPECT_FALSE(defaults.flush());
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0][0].toString().contains(QStringLiteral("folder")));
    ASSERT_EQ(::chmod(folder.constData(), 0755), 0);
    EXPECT_TRUE(defaults.flush());
  }
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 7);
  EXPECT_EQ(console.lines().filter(QStringLiteral("cannot be kept")).size(), 2);
}

// A file that is not an INI file at all is kept as it was before a new one
// is written.
TEST_F(SettingsFileTest, AFileOfRandomBytesIsKeptBeforeItIsWrittenAnew) {
  QByteArray noise(4096, '\0');
  QRandomGenerator random(56);
  for (char& byte : noise)
    byte = char(random.bounded(256));
  {
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(noise);
  }
  kr::test::ConsoleCapture console;
  {
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("count"), 3);
    EXPECT_TRUE(defaults.flush());
  }
  QFile kept(path() + QStringLiteral(".damaged"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), noise);
  EXPECT_EQ(console.lines().filter(kept.fileName()).size(), 1);
  EXPECT_EQ(UserDefaults(path()).integer(QStringLiteral("count")), 3);
}

} // namespace
