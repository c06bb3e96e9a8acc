// The program started over a settings file holding a value that cannot be
// decoded. The settings store is opened once per process: CTest runs each
// case in a program of its own.
#include "StartedProgram.h"
#include "platform/files/SupportPaths.h"
#include "platform/settings/UserDefaults.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <sys/stat.h>

using namespace kr;

namespace {

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DamagedSettings : public ::testing::TestWithParam<mode_t> {};

// The file as it was is kept beside it, and the file itself is written
// without the value only where the user lets it be written, keeping its
// permissions. One made read-only is left as it is for the whole run, and
// the user is told once.
TEST_P(DamagedSettings, AreSetAsideWithoutWritingOverAProtectedFile) {
  static bool started = false;
  if (std::exchange(started, true))
    GTEST_SKIP() << "one case a process: the settings store is read once";
  const mode_t mode = GetParam();
  const bool readOnly = (mode & 0200) == 0;
  const QString settings = SupportPaths::settingsFile();
  const QString damaged = settings + QStringLiteral(".damaged");
  const QByteArray file = "[General]\n"
                          "escaped=\\x40Variant(\\0\\0\\0\\xb\\x40\\0\\0\\0)\n"
                          "durationInSeconds=1500\n";
  {
    QFile f(settings);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).absolutePath()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(file);
  }
  const QByteArray encoded = QFile::encodeName(settings);
  ASSERT_EQ(::chmod(encoded.constData(), mode), 0);
  struct stat before {};
  ASSERT_EQ(::stat(encoded.constData(), &before), 0);
  {
    test::StartedProgram p;
    test::AlertAnswerer ok(QStringLiteral("OK"));
    // The first write, as a second after start.
    UserDefaults::standard().flush();
    QTimer told;
    QObject::connect(&told, &QTimer::timeout, [&] {
      if (!readOnly || !ok.seen.isEmpty())
        std::raise(SIGTERM);
    });
    told.start(10);
    QTimer limit;
    QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    limit.start(5000);
    EXPECT_EQ(p.program->exec(), 0);
    EXPECT_EQ(ok.seen.size(), readOnly ? 1 : 0);
    EXPECT_EQ(ok.seen.value(0).contains(QStringLiteral("read-only")), readOnly);
    EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("durationInSeconds")), 1500);
  }
  struct stat after {};
  ASSERT_EQ(::stat(encoded.constData(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, mode);
  EXPECT_EQ(readAll(damaged), file);
  EXPECT_EQ(QFileInfo(damaged).permissions() & ~QFileInfo(settings).permissions(),
            QFile::Permissions())
      << "the copy is open to no more than the file";
  if (readOnly) {
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(readAll(settings), file);
  } else {
    EXPECT_FALSE(readAll(settings).contains("escaped"));
    EXPECT_TRUE(readAll(settings).contains("firstLaunch"));
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, DamagedSettings, ::testing::Values(mode_t(0444), mode_t(0644)));

} // namespace
