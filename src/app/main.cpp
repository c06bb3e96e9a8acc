#include "platform/MacOSVersion.h"
#include "platform/QnLog.h"
#include "platform/UserDefaults.h"
#include "platform/ValueTransformer.h"
#include "platform/linux/UnixSignalWatcher.h"
#include "shell/DebugManager.h"
#include "shell/RegisteredDefaults.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>
#include <cstring>

namespace {

void describeApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("Korvane-R"));
  QCoreApplication::setOrganizationName(QStringLiteral("Korvane-R"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KR_VERSION));
}

void configure(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Korvane-R: a focus timer that logs your time slices."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("url"),
                               QStringLiteral("A korvaner2things:// link to open."),
                               QStringLiteral("[url]"));
}

// --help and --version answer without a display.
bool asksOnlyForInformation(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
      if (std::strcmp(argv[i], option) == 0)
        return true;
    }
  }
  return false;
}

} // namespace

int main(int argc, char** argv) {
  if (asksOnlyForInformation(argc, argv)) {
    QCoreApplication info(argc, argv);
    describeApplication();
    QCommandLineParser parser;
    configure(parser);
    parser.process(info); // prints and exits
    return 0;
  }

  QApplication app(argc, argv);
  describeApplication();
  QApplication::setDesktopFileName(QStringLiteral("korvane-r"));
  QApplication::setQuitOnLastWindowClosed(false);

  QCommandLineParser parser;
  configure(parser);
  parser.process(app);

  // The console stays silent until the debug manager exists, so these two
  // lines only show when something switched the logger on earlier.
  kr::qn_log(QStringLiteral("Korvane-R Launching"));
  kr::qn_log(QStringLiteral("*******************"));
  kr::transformers::registerNamedTransformers();
  kr::RegisteredDefaults::registerAll();

  // From here on the console log follows "loggerIsOn".
  kr::DebugManager debugManager(kr::UserDefaults::standard());
  kr::MacOSVersion::singleton(); // starts following the desktop's light or dark palette
  kr::qn_log(QStringLiteral("Korvane-R %1 started").arg(QApplication::applicationVersion()));

  kr::UnixSignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP});
  QObject::connect(&signalWatcher, &kr::UnixSignalWatcher::unixSignal, &app, [](int) {
    kr::qn_log(QStringLiteral("Korvane-R quits on a signal"));
    QApplication::quit();
  });

  const int result = QApplication::exec();
  kr::UserDefaults::standard().synchronize();
  return result;
}
