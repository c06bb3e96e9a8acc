#include "app/Program.h"
#include "app/Sanitizers.h"
#include "platform/ConsoleText.h"
#include "platform/linux/dbus/SingleInstance.h"
#include "platform/linux/web/DeferredHtmlView.h"
#include "platform/settings/UserDefaults.h"
#include "shell/ApplicationShell.h"
#include "shell/PerformArguments.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Under the sanitizers the program is taken down piece by piece at the end,
// so that LeakSanitizer sees what is left.
#define KR_FULL_TEARDOWN KR_ADDRESS_SANITIZER

namespace {

void configure(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Korvane-R: a focus timer that logs your time slices."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption(QCommandLineOption(
      QStringLiteral("perform"),
      QStringLiteral("Performs one of the main actions (as the desktop file's entries do): %1.")
          .arg(kr::ApplicationShell::kDesktopActions.join(QStringLiteral(", "))),
      QStringLiteral("action")));
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

// An action that does not exist is refused before anything starts: no
// window, no settings or login item written, nothing handed to a running
// program. Says which, and which there are; true when one was refused.
bool refusesUnknownActions(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i)
    arguments.append(QString::fromLocal8Bit(argv[i]));
  QStringList unknown;
  kr::PerformArguments::actions(arguments, kr::ApplicationShell::kDesktopActions, &unknown);
  for (const QString& action : unknown)
    std::fprintf(stderr, "Korvane-R: there is no action \"%s\"; the actions are: %s\n",
                 qPrintable(kr::consoleSafe(action)),
                 qPrintable(kr::ApplicationShell::kDesktopActions.join(QStringLiteral(", "))));
  return !unknown.isEmpty();
}

} // namespace

int main(int argc, char** argv) {
  if (asksOnlyForInformation(argc, argv)) {
    QCoreApplication info(argc, argv);
    kr::Program::describeApplication();
    QCommandLineParser parser;
    configure(parser);
    parser.process(info); // prints and exits
    return 0;
  }
  // With the status of a command line the parser refuses.
  if (refusesUnknownActions(argc, argv))
    return EXIT_FAILURE;

  kr::DeferredHtmlView::prepareApplication(); // before the application object
  // Repaints travel to the X server over the connection, not through shared
  // memory: there, each repaint of a region painted before first waits for a
  // round trip to the server, which wakes the program twice more for every
  // change of a read-out. A user's own setting stands.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
    qputenv("QT_XCB_NO_MITSHM", "1");
  QApplication app(argc, argv);
  kr::Program::describeApplication();

  QCommandLineParser parser;
  configure(parser);
  parser.process(app);

  // One process per session: a later launch hands its arguments over and ends.
  kr::SingleInstance singleInstance;
  QString why;
  switch (singleInstance.claim(&why)) {
  case kr::SingleInstance::Claim::running: {
    QString error;
    if (singleInstance.handOver(QApplication::arguments().mid(1), &error))
      return 0;
    std::fprintf(stderr, "Korvane-R is already running but did not answer: %s\n",
                 qPrintable(kr::consoleSafe(error)));
    return 1;
  }
  case kr::SingleInstance::Claim::unavailable:
    std::fprintf(stderr, "Korvane-R: later launches cannot be forwarded (%s)\n",
                 qPrintable(kr::consoleSafe(why)));
    break;
  case kr::SingleInstance::Claim::first:
    break;
  }

  kr::Program program;
  program.launch(QApplication::arguments().mid(1));
  QObject::connect(&singleInstance, &kr::SingleInstance::activationRequested, &app,
                   [&program](const QStringList& arguments) { program.handOver(arguments); });
  const int status = program.exec();
#if !KR_FULL_TEARDOWN
  // What the user made is on disk by now: the pads were saved when the quit
  // was asked for, an append under way finished before the event loop ended,
  // and the settings are written here. Taking the rest down one piece at a
  // time (the web engine and its processes, the log book's documents, the
  // worker threads) would only keep the user waiting; the system takes it all
  // back with the process, the tray icon and the bus name included.
  kr::UserDefaults::standard().flush();
  std::fflush(nullptr);
  std::_Exit(status);
#else
  return status;
#endif
}
