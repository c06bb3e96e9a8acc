#include "effects/EffectsServices.h"
#include "effects/LiveEventOutputs.h"
#include "effects/OverlayScreenFadingHelper.h"
#include "effects/ScriptLauncher.h"
#include "effects/StandAloneNoiseMachine.h"
#include "engine/Clock.h"
#include "engine/DataModel.h"
#include "platform/DefaultsStorageAPI.h"
#include "platform/MacOSVersion.h"
#include "platform/QMessageBoxAlertPresenter.h"
#include "platform/QnLog.h"
#include "platform/UserDefaults.h"
#include "platform/linux/IdleTimeBackendFactory.h"
#include "platform/linux/UnixSignalWatcher.h"
#include "platform/linux/dbus/FreedesktopNotifier.h"
#include "platform/linux/dbus/SingleInstance.h"
#include "platform/linux/media/QtAudioOutput.h"
#include "platform/linux/media/QtSpeechSynthesizer.h"
#include "platform/linux/tray/TrayStatusItem.h"
#include "shell/ActivityMonitor.h"
#include "shell/ApplicationShell.h"
#include "shell/StandardHooks.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>
#include <cstdio>
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
  parser.addOption(QCommandLineOption(
      QStringLiteral("perform"),
      QStringLiteral("Performs one of the main actions (as the desktop file's entries do)."),
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

void describeService(const QString& service, bool available, const QString& reason) {
  kr::platformLog(available ? QStringLiteral("%1: available").arg(service)
                            : QStringLiteral("%1: not available (%2)").arg(service, reason));
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

  // One process per session: a later launch hands its arguments over and ends.
  kr::SingleInstance singleInstance;
  QString why;
  switch (singleInstance.claim(&why)) {
  case kr::SingleInstance::Claim::running: {
    QString error;
    if (singleInstance.handOver(QApplication::arguments().mid(1), &error))
      return 0;
    std::fprintf(stderr, "Korvane-R is already running but did not answer: %s\n",
                 qPrintable(error));
    return 1;
  }
  case kr::SingleInstance::Claim::unavailable:
    std::fprintf(stderr, "Korvane-R: later launches cannot be forwarded (%s)\n", qPrintable(why));
    break;
  case kr::SingleInstance::Claim::first:
    break;
  }

  kr::DateProvider dateProvider;
  kr::QMessageBoxAlertPresenter alertPresenter;
  kr::ShellContext context;
  context.defaults = &kr::UserDefaults::standard();
  context.defaultsStorage = &kr::StandardUserDefaultsStorage::shared();
  context.dateProvider = &dateProvider;
  context.alertPresenter = &alertPresenter;
  context.makeActivityMonitor = [] {
    QStringList reasons;
    auto backend = kr::IdleTimeBackendFactory::create(&reasons);
    return std::make_unique<kr::ActivityMonitor>(std::move(backend),
                                                 reasons.join(QStringLiteral("; ")));
  };
  context.makeStatusItem = [] { return std::make_unique<kr::TrayStatusItem>(); };
  // exit(), not quit(): quit() first closes every window and gives up when one
  // refuses, and the main window always refuses (closing it hides).
  context.quitApplication = [] { QApplication::exit(0); };

  kr::StandardHooks::installLogFileHooks(context.hooks);

  // Sound, speech, desktop notifications and the user's script hook drive the
  // notification centre; each back end says what it cannot do.
  kr::QtAudioOutput audio;
  kr::QtSpeechSynthesizer speech;
  kr::FreedesktopNotifier notifier;
  kr::OverlayScreenFadingHelper fading;
  context.screenFading = &fading;
  describeService(QStringLiteral("sound"), audio.isAvailable(), audio.unavailableReason());
  describeService(QStringLiteral("speech"), speech.isAvailable(), speech.unavailableReason());
  kr::EffectsServices::install(std::make_unique<kr::EffectsServices>(
      kr::UserDefaults::standard(), kr::EffectsServices::BackEnds{audio, speech, notifier, &fading},
      kr::ScriptLauncher::sharedScriptLauncher(),
      [] { return kr::LiveEventOutputs::objectiveOf(kr::DataModel::shared()); },
      [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));
  kr::StandardHooks::installStateCues();
  kr::StandardHooks::installProfileTests();

  kr::ApplicationShell shell(std::move(context));
  shell.launch();
  // The user's own continuous sound, played from the "Sounds" menu.
  auto standAloneSound = std::make_unique<kr::StandAloneNoiseMachine>(
      kr::UserDefaults::standard(), kr::EffectsServices::shared().soundManager(), audio);
  shell.attachStandAloneNoiseMachine(*standAloneSound);
  kr::MacOSVersion::singleton(); // starts following the desktop's light or dark palette
  kr::qn_log(QStringLiteral("Korvane-R %1 started").arg(QApplication::applicationVersion()));
  shell.openUrls(parser.positionalArguments());
  shell.performRequestedActions(QApplication::arguments().mid(1));

  QObject::connect(&singleInstance, &kr::SingleInstance::activationRequested, &app,
                   [&shell](const QStringList& arguments) { shell.handOver(arguments); });
  QObject::connect(&app, &QGuiApplication::applicationStateChanged, &app,
                   [&shell](Qt::ApplicationState state) {
                     if (state == Qt::ApplicationActive)
                       shell.becameActive();
                     else
                       shell.resignedActive();
                   });

  kr::UnixSignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP});
  QObject::connect(&signalWatcher, &kr::UnixSignalWatcher::unixSignal, &app, [](int) {
    kr::qn_log(QStringLiteral("Korvane-R quits on a signal"));
    QApplication::exit(0);
  });

  const int result = QApplication::exec();
  kr::UserDefaults::standard().synchronize();
  // The services refer to the back ends above.
  standAloneSound.reset();
  kr::StandardHooks::removeStateCues();
  kr::StandardHooks::removeProfileTests();
  kr::EffectsServices::install(nullptr);
  return result;
}
