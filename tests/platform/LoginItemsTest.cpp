// The autostart entry that starts the program at login.
#include "platform/files/LoginItems.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace kr;

namespace {

class LoginItemsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(config.isValid());
    previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    programFolder = config.filePath(QStringLiteral("my programs"));
    ASSERT_TRUE(QDir().mkpath(programFolder));
    program = programFolder + QStringLiteral("/korvane-r");
    installed = config.filePath(QStringLiteral("installed.desktop"));
    write(installed, "[Desktop Entry]\nType=Application\nName=Korvane-R\nExec=korvane-r %u\n"
                     "MimeType=x-scheme-handler/korvaner2things;\nActions=Start;\n\n"
                     "[Desktop Action Start]\nName=Start\nExec=korvane-r --perform x\n");
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", previous); }

  static void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  static QString read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  QTemporaryDir config;
  QByteArray previous;
  QString programFolder;
  QString program;
  QString installed;
};

TEST_F(LoginItemsTest, AddingWritesTheRunningProgramQuotedAndRemovingTurnsItOff) {
  XdgAutostartLoginItems items(program, installed);
  const QString entry = config.path() + QStringLiteral("/autostart/korvane-r.desktop");
  EXPECT_EQ(XdgAutostartLoginItems::entryPath(), entry);
  EXPECT_FALSE(items.containsThisProgram());

  QString error;
  ASSERT_TRUE(items.addThisProgram(&error)) << error.toStdString();
  const QString text = read(entry);
  EXPECT_TRUE(text.contains(QStringLiteral("Exec=\"") + program + QStringLiteral("\"\n")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Name=Korvane-R")));
  EXPECT_FALSE(text.contains(QStringLiteral("%u"))) << "started with no link to open";
  EXPECT_FALSE(text.contains(QStringLiteral("Desktop Action")));
  EXPECT_FALSE(text.contains(QStringLiteral("MimeType")));
  EXPECT_EQ(items.itemForThisProgram(), std::optional<QString>(entry));

  ASSERT_TRUE(items.removeThisProgram(&error));
  EXPECT_FALSE(QFile::exists(entry));
  EXPECT_FALSE(items.containsThisProgram());
  EXPECT_TRUE(items.removeThisProgram(&error)) << "nothing to remove is no failure";
}

TEST_F(LoginItemsTest, HiddenEntriesAndOtherProgramsAreNoLoginItem) {
  XdgAutostartLoginItems items(program, installed);
  const QString entry = XdgAutostartLoginItems::entryPath();
  const QByteArray exec = XdgAutostartLoginItems::execOfProgram(program).toUtf8();
  write(entry, "[Desktop Entry]\nType=Application\nExec=" + exec + "\nHidden=true\n");
  EXPECT_FALSE(items.containsThisProgram());
  write(entry, "[Desktop Entry]\nType=Application\nExec=/usr/bin/korvane-r\n");
  EXPECT_FALSE(items.containsThisProgram());
  write(entry, "[Desktop Entry]\nType=Application\nExec=\"" + program.toUtf8());
  EXPECT_FALSE(items.containsThisProgram()) << "an unclosed quote starts nothing";
  write(entry, "[Desktop Entry]\nType=Application\nExec=" + exec + " --flag\n");
  EXPECT_TRUE(items.containsThisProgram());
  // Hidden in another group does not hide the entry.
  write(entry, "[Desktop Entry]\nExec=" + exec + "\n[Other]\nHidden=true\n");
  EXPECT_TRUE(items.containsThisProgram());
  // Adding over a hidden entry makes it count.
  write(entry, "[Desktop Entry]\nType=Application\nExec=" + exec + "\nHidden=true\n");
  ASSERT_TRUE(items.addThisProgram(nullptr));
  EXPECT_TRUE(items.containsThisProgram());
  EXPECT_FALSE(read(entry).contains(QStringLiteral("Hidden")));
}

TEST_F(LoginItemsTest, ExecQuotingRoundTripsAwkwardPaths) {
  const QStringList paths = {QStringLiteral("/opt/my programs/korvane-r"),
                             QStringLiteral("/opt/a\"b/$HOME/`x`/korvane-r"),
                             QStringLiteral("/opt/100%/back\\slash/korvane-r")};
  for (const QString& path : paths) {
    const QString exec = XdgAutostartLoginItems::execOfProgram(path);
    QString unquoted = XdgAutostartLoginItems::programOfExec(exec);
    unquoted.replace(QStringLiteral("%%"), QStringLiteral("%"));
    EXPECT_EQ(unquoted, path) << exec.toStdString();
    XdgAutostartLoginItems items(path, installed);
    ASSERT_TRUE(items.addThisProgram(nullptr));
    EXPECT_TRUE(items.containsThisProgram()) << path.toStdString();
  }
  EXPECT_EQ(XdgAutostartLoginItems::programOfExec(QStringLiteral("korvane-r %u")),
            QStringLiteral("korvane-r"));
}

TEST_F(LoginItemsTest, WithoutAnInstalledEntryAPlainOneIsWrittenAndAFolderInTheWayFails) {
  XdgAutostartLoginItems items(program, config.filePath(QStringLiteral("missing.desktop")));
  ASSERT_TRUE(items.addThisProgram(nullptr));
  const QString text = read(XdgAutostartLoginItems::entryPath());
  EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("Type=Application")));
  EXPECT_TRUE(items.containsThisProgram());

  // A file where the autostart folder belongs.
  ASSERT_TRUE(items.removeThisProgram(nullptr));
  QDir(config.path() + QStringLiteral("/autostart")).removeRecursively();
  write(config.path() + QStringLiteral("/autostart"), "not a folder");
  QString error;
  EXPECT_FALSE(items.addThisProgram(&error));
  EXPECT_TRUE(error.contains(QStringLiteral("autostart"))) << error.toStdString();
  EXPECT_FALSE(items.containsThisProgram());
}

// Whatever a user or another program puts where the entry belongs is read
// without blocking and within bounds, and never written through.
TEST_F(LoginItemsTest, AnEntryThatIsNoFileIsNoLoginItemAndIsLeftAsItIs) {
  const QString path = XdgAutostartLoginItems::entryPath();
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
  XdgAutostartLoginItems items(program, installed);

  ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  EXPECT_FALSE(items.containsThisProgram()); // a pipe: no writer ever comes
  QString error;
  EXPECT_FALSE(items.addThisProgram(&error));
  EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << error.toStdString();
  EXPECT_TRUE(QFileInfo(path).exists() && !QFileInfo(path).isFile());
  ASSERT_TRUE(QFile::remove(path));

  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
  EXPECT_FALSE(items.containsThisProgram()); // endless: never read whole

  // A link to a file elsewhere is read through, but never written through.
  ASSERT_TRUE(QFile::remove(path));
  const QString elsewhere = config.filePath(QStringLiteral("elsewhere.desktop"));
  write(elsewhere,
        "[Desktop Entry]\nExec=" + XdgAutostartLoginItems::execOfProgram(program).toUtf8() + "\n");
  ASSERT_TRUE(QFile::link(elsewhere, path));
  EXPECT_TRUE(items.containsThisProgram());
  EXPECT_FALSE(items.addThisProgram(&error));
  EXPECT_TRUE(error.contains(QStringLiteral("is a link"))) << error.toStdString();
  EXPECT_TRUE(QFileInfo(path).isSymLink());
}

} // namespace
