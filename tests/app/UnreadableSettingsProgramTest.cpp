// The program started over a settings file it cannot read. A test program
// of its own: the settings store is opened once per process.
#include "StartedProgram.h"
#include "platform/files/SupportPaths.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <csignal>

using namespace kr;

TEST(UnreadableSettings, AreToldOnceAndTheFileIsLeftAsItIs) {
  const QString settings = SupportPaths::settingsFile();
  QFile::remove(settings);
  ASSERT_TRUE(QDir().mkpath(settings));
  test::ConsoleCapture console;
  {
    test::StartedProgram p({{QStringLiteral("durationInSeconds"), 120}});
    test::AlertAnswerer ok(QStringLiteral("OK"));
    QTimer::singleShot(300, [] { std::raise(SIGTERM); });
    QTimer limit;
    QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    limit.start(5000);
    EXPECT_EQ(p.program->exec(), 0);
    ASSERT_EQ(ok.seen.size(), 1);
    EXPECT_TRUE(ok.seen[0].contains(settings)) << ok.seen[0].toStdString();
    EXPECT_TRUE(ok.seen[0].contains(QStringLiteral("No setting will be kept")));
    EXPECT_EQ(UserDefaults::standard().integer(QStringLiteral("durationInSeconds")), 120)
        << "changes last the run";
  }
  EXPECT_EQ(console.lines().filter(QStringLiteral("cannot be read")).size(), 1);
  EXPECT_TRUE(QFileInfo(settings).isDir());
  EXPECT_TRUE(QDir(settings).isEmpty());
}
