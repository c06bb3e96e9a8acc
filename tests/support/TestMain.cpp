// The shared main of every test executable: a temporary home, the offscreen
// platform unless the test asks for X11, stand-ins for the desktop's programs,
// no session bus but a private one, and a failed test for every warning nobody
// expected.
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace kr::test {

namespace {
QTemporaryDir* homeDir = nullptr;
ExpectWarnings* currentExpectation = nullptr;
ConsoleCapture* currentCapture = nullptr;

// Platform noise that says nothing about our code.
bool benignPlatformMessage(const QString& message) {
  static const char* const fragments[] = {
      "This plugin does not support",
      "QStandardPaths: ",
      "propagateSizeHints",
      "Qt WebEngine seems to be initialized from a plugin",
      "xkbcommon",
      // Under the sanitizers X11 tests run without OpenGL.
      "Cannot create platform OpenGL context",
      // Qt Multimedia on a machine without a sound server.
      "pa_context_connect",
  };
  for (const char* fragment : fragments) {
    if (message.contains(QLatin1String(fragment)))
      return true;
  }
  return false;
}

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const QString line = context.category && qstrcmp(context.category, "default") != 0
                           ? QString::fromLatin1(context.category) + QStringLiteral(": ") + message
                           : message;
  // Messages may come from several threads at once (the log reload's helpers).
  static std::mutex mutex;
  const std::lock_guard<std::mutex> lock(mutex);
  std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
  ConsoleCapture::record(line);
  if (type != QtWarningMsg && type != QtCriticalMsg)
    return;
  if (benignPlatformMessage(message) || ExpectWarnings::consume(line))
    return;
  ADD_FAILURE() << "Unexpected warning: " << line.toStdString();
}

void prepareHome() {
  homeDir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/kr-test-home-XXXXXX"));
  if (!homeDir->isValid()) {
    std::fprintf(stderr, "cannot create a temporary home\n");
    std::exit(2);
  }
  const QByteArray home = QFile::encodeName(homeDir->path());
  qputenv("HOME", home);
  for (const char* sub : {"config", "data", "cache", "runtime"}) {
    QDir(homeDir->path()).mkpath(QString::fromLatin1(sub));
  }
  QFile::setPermissions(homeDir->path() + QStringLiteral("/runtime"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("XDG_CONFIG_HOME", home + "/config");
  qputenv("XDG_DATA_HOME", home + "/data");
  qputenv("XDG_CACHE_HOME", home + "/cache");
  qputenv("XDG_RUNTIME_DIR", home + "/runtime");
  // The opener, the file manager and the browsers a test reaches are the
  // stand-ins of tests/support/fake-bin, which only write down their calls.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray(KR_FAKE_BIN_DIR) + (path.isEmpty() ? QByteArray() : ':' + path));
  // Only the private bus of a test launcher (scripts/desktop-session, the
  // "dbus" label) is used. Any other, the desktop's or one started on demand
  // for the display, would show notifications and start the programs its
  // machine has installed.
  if (qgetenv("KR_PRIVATE_SESSION_BUS") != "1")
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home + "/runtime/no-session-bus");
  const QByteArray platform = qgetenv("KR_TEST_PLATFORM");
  qputenv("QT_QPA_PLATFORM", platform.isEmpty() ? QByteArray("offscreen") : platform);
}
} // namespace

QString temporaryHome() { return homeDir ? homeDir->path() : QString(); }

ExpectWarnings::ExpectWarnings(QStringList fragments)
    : fragments_(std::move(fragments)), previous_(currentExpectation) {
  currentExpectation = this;
}

ExpectWarnings::~ExpectWarnings() { currentExpectation = previous_; }

bool ExpectWarnings::consume(const QString& message) {
  for (ExpectWarnings* e = currentExpectation; e; e = e->previous_) {
    for (const QString& fragment : e->fragments_) {
      if (message.contains(fragment)) {
        ++e->seen_;
        return true;
      }
    }
  }
  return false;
}

ConsoleCapture::ConsoleCapture() : previous_(currentCapture) { currentCapture = this; }

ConsoleCapture::~ConsoleCapture() { currentCapture = previous_; }

bool ConsoleCapture::contains(const QString& fragment) const {
  for (const QString& line : lines_) {
    if (line.contains(fragment))
      return true;
  }
  return false;
}

void ConsoleCapture::record(const QString& line) {
  for (ConsoleCapture* c = currentCapture; c; c = c->previous_)
    c->lines_.append(line);
}

} // namespace kr::test

int main(int argc, char** argv) {
  kr::test::prepareHome();
  qInstallMessageHandler(kr::test::messageHandler);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
  int result = 0;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane-R"));
    QApplication::setOrganizationName(QStringLiteral("Korvane-R"));
    result = RUN_ALL_TESTS();
  }
  delete kr::test::homeDir;
  return result;
}
