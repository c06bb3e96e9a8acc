#include "app/Program.h"

#include "engine/BackingStoreManager.h"

#include "app/QuitRequests.h"

#include "effects/EffectsServices.h"
#include "effects/LiveEventOutputs.h"
#include "effects/OverlayScreenFadingHelper.h"
#include "effects/ScriptLauncher.h"
#include "effects/StandAloneNoiseMachine.h"
#include "engine/Clock.h"
#include "engine/DataModel.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/PadSheetWriter.h"
#include "platform/BundleInfo.h"
#include "platform/CaretBlinkRest.h"
#include "platform/FreedMemory.h"
#include "platform/QnLog.h"
#include "platform/ScreenOverlayWindows.h"
#include "platform/drawing/MacOSVersion.h"
#include "platform/linux/ActiveWindowFactory.h"
#include "platform/linux/CompositingCheck.h"
#include "platform/linux/HotKeyBackendFactory.h"
#include "platform/linux/IdleTimeBackendFactory.h"
#include "platform/linux/UnixSignalWatcher.h"
#include "platform/linux/calendar/IcalCalendarStore.h"
#include "platform/linux/dbus/FreedesktopNotifier.h"
#include "platform/linux/dbus/LogindSleepWatcher.h"
#include "platform/linux/desktop/DesktopFileBrowser.h"
#include "platform/linux/media/QtAudioOutput.h"
#include "platform/linux/media/QtSpeechSynthesizer.h"
#include "platform/linux/spelling/HunspellSpellChecker.h"
#include "platform/linux/tray/TrayStatusItem.h"
#include "platform/linux/web/DeferredHtmlView.h"
#include "platform/linux/x11/X11SendBuffer.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/DesktopUrlOpener.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/services/HtmlView.h"
#include "platform/services/KeyboardLayoutAPI.h"
#include "platform/services/QMessageBoxAlertPresenter.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"
#include "preferences/PreferencesController.h"
#include "preferences/SoundsPane.h"
#include "shell/ActivityMonitor.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "shell/DropboxManager.h"
#include "shell/SandboxHelper.h"
#include "shell/SoftwareUpdater.h"
#include "shell/StandardHooks.h"
#include "shell/UrlHandler.h"
#include "shortcuts/HotKeyCenter.h"
#include "window/CalendarManager.h"
#include "window/HelpManager.h"
#include "window/PadViewController.h"

#include <QApplication>
#include <QLocale>
#include <QSessionManager>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <csignal>

namespace kr {

namespace {

ShellContext makeContext(const DateProviderAPI& dateProvider, ScreenFadingHelper& fading,
                         ActiveWindowAPI& activeWindow, QuitRequests& quits) {
  ShellContext context;
  context.defaults = &UserDefaults::standard();
  context.defaultsStorage = &StandardUserDefaultsStorage::shared();
  context.dateProvider = &dateProvider;
  context.makeActivityMonitor = [] {
    QStringList reasons;
    auto backend = IdleTimeBackendFactory::create(&reasons);
    auto monitor =
        std::make_unique<ActivityMonitor>(std::move(backend), reasons.join(QStringLiteral("; ")));
    monitor->setSleepWatcher(LogindSleepWatcher::watch(QDBusConnection::systemBus(),
                                                       [m = monitor.get()](bool goingToSleep) {
                                                         if (goingToSleep)
                                                           m->onSleep();
                                                         else
                                                           m->onWake();
                                                       }));
    return monitor;
  };
  context.makeStatusItem = [] { return std::make_unique<TrayStatusItem>(); };
  context.screenFading = &fading;
  context.activeWindow = &activeWindow;
  context.quitApplication = [&quits] { quits.request(); };
  context.quitPending = [&quits] { return quits.isPending(); };
  StandardHooks::installLogFileHooks(context.hooks);
  StandardHooks::installIntegrationHooks(context.hooks);
  StandardHooks::installStatisticsHooks(context.hooks);
  return context;
}

} // namespace

// How long a thread of the shared pool waits for more work before it ends.
constexpr int kIdlePoolThreadMs = 2000;
// How long after launch start-up's work is done (the window shown, the log read).
constexpr int kStartSettledMs = 5000;

struct Program::Parts {
  DateProvider systemDate;
  QMessageBoxAlertPresenter alerts;
  DesktopFileBrowser fileBrowser;
  QFileDialogPanelPresenter filePanels;
  DropboxSyncService dropboxSync;
  DesktopUrlOpener urlOpener;
  HunspellSpellChecker spelling{QLocale::system().name()};
  QtAudioOutput audio;
  QtSpeechSynthesizer speech;
  FreedesktopNotifier notifier;
  // The window in front before the rest screen, active again after it (just
  // behind the define page, which the end of every break brings forward).
  std::unique_ptr<ActiveWindowAPI> activeWindow = ActiveWindowFactory::create();
  OverlayScreenFadingHelper fading{&CompositingCheck::translucentWindowsShow, activeWindow.get()};
  std::unique_ptr<HotKeyBackend> hotKeyBackend;
  std::unique_ptr<HotKeyCenter> hotKeyCenter;
  IcalCalendarStore calendarStore;
  std::unique_ptr<ApplicationShell> shell;
  std::unique_ptr<SoftwareUpdater> updater;
  // The user's own continuous sound, played from the "Sounds" menu.
  std::unique_ptr<StandAloneNoiseMachine> standAloneSound;
  UnixSignalWatcher signalWatcher{SIGTERM, SIGINT, SIGHUP};
  // A caret left alone stops blinking, so an idle window stays still.
  CaretBlinkRest caretBlinkRest;
  std::unique_ptr<QuitRequests> quits;
  // The alert that the settings cannot be read is up: it is start-up's news,
  // so it blocks no window and the program can be quit from under it.
  bool settingsAlertShows = false;
  // Receives the application's signals for as long as this program lives (a
  // process, a test, may build one program after another).
  QObject receiver;
};

void Program::describeServices() {
  // One line per service; the tray and the idle time say theirs as the shell makes them.
  Parts& p = *parts_;
  // Sound and speech are set up when first used (the sound server's connection,
  // the speech server): until then only what is installed is said.
  platformLog(QStringLiteral("sound: set up at the first sound"));
  if (QtSpeechSynthesizer::isEngineInstalled())
    platformLog(QStringLiteral("speech: set up when something is first said"));
  else
    describeService(QStringLiteral("speech"), false, p.speech.unavailableReason());
  describeService(QStringLiteral("notifications"), p.notifier.isAvailable(),
                  p.notifier.unavailableReason());
  QString noTint;
  const bool tints = p.fading.canTint(&noTint);
  describeService(QStringLiteral("screen fading"), tints,
                  tints ? QString()
                        : noTint + QStringLiteral("; dimming and flashes are skipped, the rest "
                                                  "screen still shows"));
  const bool activates = p.activeWindow->isAvailable();
  describeService(QStringLiteral("the window in front before the rest screen"), activates,
                  activates ? QStringLiteral("made active again when the rest screen goes; the "
                                             "define page the break ends on then comes in "
                                             "front of it")
                            : p.activeWindow->unavailableReason() +
                                  QStringLiteral("; after the rest screen Korvane-R is in front"));
  describeService(QStringLiteral("spelling"), p.spelling.isAvailable(),
                  p.spelling.unavailableReason());
  QString scriptsFolder;
  const bool scripts = ScriptLauncher::sharedScriptLauncher().isAvailable(&scriptsFolder);
  describeService(QStringLiteral("scripts folder"), scripts, scriptsFolder);
}

void Program::describeApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("Korvane-R"));
  QCoreApplication::setOrganizationName(QStringLiteral("Korvane-R"));
  QCoreApplication::setApplicationVersion(BundleInfo::versionNumber());
  QGuiApplication::setDesktopFileName(QStringLiteral("korvane-r"));
}

Program::Program(Options options) : parts_(std::make_unique<Parts>()) {
  describeApplication();
  // The window's pictures come and go with its size and pages; their memory
  // goes back to the system with them.
  keepLargeBlocksOutOfTheHeap();
  // The program lives in the tray and hides its window: it ends only when asked.
  QApplication::setQuitOnLastWindowClosed(false);
  // Qt paints large areas with the shared pool's threads, which otherwise
  // stay 30 s after each use: a timer that waits all day keeps none.
  QThreadPool::globalInstance()->setExpiryTimeout(kIdlePoolThreadMs);
  // A repaint of the rest screen's dial is written to the X server at once,
  // without sleeping until the server has read its first part.
  X11SendBuffer::widen();
  Parts& p = *parts_;
  AlertPresenterAPI::install(&p.alerts);
  FileBrowserAPI::install(&p.fileBrowser);
  FilePanelPresenter::install(&p.filePanels);
  UrlOpenerAPI::install(&p.urlOpener);
  SpellCheckerAPI::install(&p.spelling);
  DropboxSyncAPI::install(&p.dropboxSync);
  // The preferences' help buttons show their pages in the browser.
  PreferencesController::setHelpPageOpener(
      [](const QString& page) { HelpManager::showPage(page, /*inBrowser=*/true); });
  // Web pages (statistics, help) show in Qt WebEngine; its module is loaded,
  // and its engine started, when the first view is shown.
  if (options.htmlViews)
    HtmlView::installFactory(options.htmlViews);
  else
    HtmlView::installFactory([](QWidget* parent) { return new DeferredHtmlView(parent); });

  // Sound, speech, desktop notifications and the user's script hook drive the
  // notification centre; each back end says what it cannot do.
  describeServices();
  EffectsServices::install(std::make_unique<EffectsServices>(
      UserDefaults::standard(), EffectsServices::BackEnds{p.audio, p.speech, p.notifier, &p.fading},
      ScriptLauncher::sharedScriptLauncher(),
      [] { return LiveEventOutputs::objectiveOf(DataModel::shared()); },
      [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));
  StandardHooks::installStateCues();
  StandardHooks::installProfileTests();
  // The calendar strip reads the .ics files chosen under "calendarFiles".
  CalendarManager::sharedInstance().setCalendarEventStore(&p.calendarStore);

  // Global shortcuts: grabbed on X11; where the desktop allows none, said once.
  const KeyboardLayoutAPI* layout = nullptr;
  p.hotKeyBackend = HotKeyBackendFactory::create(&layout);
  KeyboardLayoutAPI::install(layout);
  p.hotKeyCenter = std::make_unique<HotKeyCenter>(*p.hotKeyBackend);
  HotKeyCenter::install(p.hotKeyCenter.get());
  if (p.hotKeyBackend->isAvailable())
    describeService(QStringLiteral("global shortcuts"), true, {});
  if (!p.hotKeyBackend->notice().isEmpty())
    platformLog(p.hotKeyBackend->notice());

  const DateProviderAPI& date = options.dateProvider ? *options.dateProvider : p.systemDate;
  // The end of the session quits as a signal does, the pads saved first.
  p.quits = std::make_unique<QuitRequests>(
      [this] { quitWithoutAsking(QStringLiteral("the end of the session")); });
  // Alerts shown while the program starts leave the tray usable: its menu can
  // quit the program from under them.
  p.alerts.setStartingUp([&p] { return !p.quits->isLoopRunning() || p.settingsAlertShows; });
  p.shell =
      std::make_unique<ApplicationShell>(makeContext(date, p.fading, *p.activeWindow, *p.quits));
  // Ctrl+Q on the rest screen quits as the menu's key does.
  p.fading.overlays().setQuitKeyAction([this] { quit(); });

  QObject::connect(&p.signalWatcher, &UnixSignalWatcher::unixSignal, qApp, [this](int number) {
    quitWithoutAsking(QStringLiteral("signal %1").arg(number));
  });
  // Keys typed ahead into a long pad sheet wait while a signal to quit is served.
  NowAndLaterBoardTextView::setBeforeTypedAhead([this] { parts_->signalWatcher.servePending(); });
  // Logging out: the pads are written before the session ends the program.
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, &p.receiver,
                   [this](QSessionManager&) {
                     qn_log(QStringLiteral("the session ends: saving the pads"));
                     if (parts_->shell)
                       parts_->shell->saveForSessionEnd();
                   });
  QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &p.receiver,
                   [this](Qt::ApplicationState state) {
                     if (!parts_->shell)
                       return;
                     if (state == Qt::ApplicationActive)
                       parts_->shell->becameActive();
                     else
                       parts_->shell->resignedActive();
                   });
}

Program::~Program() {
  NowAndLaterBoardTextView::setBeforeTypedAhead({});
  // Saves left by a quit whose event loop never ran.
  PadSheetWriter::shared().finish();
  UserDefaults::standard().synchronize();
  SoftwareUpdaterAPI::install(nullptr);
  parts_->updater.reset();
  // The shell's states and views go first; the services they call go after.
  SoundsPane::setBackgroundPlayer(nullptr);
  parts_->standAloneSound.reset();
  parts_->urlOpener.routeScheme({}, {});
  parts_->shell.reset();
  // Every grab is given back before the connection goes.
  parts_->hotKeyCenter.reset();
  HotKeyCenter::install(nullptr);
  KeyboardLayoutAPI::install(nullptr);
  parts_->hotKeyBackend.reset();
  CalendarManager::sharedInstance().setCalendarEventStore(nullptr);
  StandardHooks::removeStateCues();
  StandardHooks::removeProfileTests();
  StandardHooks::removeStatisticsHooks();
  EffectsServices::install(nullptr);
  HtmlView::installFactory(nullptr);
  DropboxSyncAPI::install(nullptr);
  UrlOpenerAPI::install(nullptr);
  SpellCheckerAPI::install(nullptr);
  FilePanelPresenter::install(nullptr);
  FileBrowserAPI::install(nullptr);
  PreferencesController::setHelpPageOpener({});
  AlertPresenterAPI::install(nullptr);
  parts_->alerts.setStartingUp({});
  parts_->quits.reset();
}

void Program::launch(const QStringList& arguments) {
  ApplicationShell& shell = *parts_->shell;
  // A confined build reaches the logs in Dropbox only through the folder the
  // user chose; this one reaches every folder.
  if (SandboxHelper::isSandboxOn())
    DropboxManager::sharedInstance().obtainAccessToDropboxFolder();
  shell.launch();
  // The menu's "Check for Updates…" and the Software Update pane use it; the
  // feed is the application delegate's.
  parts_->updater = std::make_unique<SoftwareUpdater>(
      UserDefaults::standard(), QUrl(shell.appDelegate().appDescription().sparkleFeedURL));
  SoftwareUpdaterAPI::install(parts_->updater.get());
  parts_->updater->startAutomaticChecks();
  // Links of our own (a task link in the log book) come straight back to the
  // link handler instead of going round the desktop.
  parts_->urlOpener.routeScheme(QStringLiteral("korvaner2things"), [this](const QUrl& url) {
    parts_->shell->openUrls({QString::fromUtf8(url.toEncoded())});
  });
  parts_->standAloneSound = std::make_unique<StandAloneNoiseMachine>(
      UserDefaults::standard(), EffectsServices::shared().soundManager(), parts_->audio);
  shell.attachStandAloneNoiseMachine(*parts_->standAloneSound);
  SoundsPane::setBackgroundPlayer(parts_->standAloneSound.get());
  MacOSVersion::singleton(); // starts following the desktop's light or dark palette
  qn_log(QStringLiteral("Korvane-R %1 started").arg(QCoreApplication::applicationVersion()));
  shell.openUrls(arguments);
  shell.performRequestedActions(arguments);
  tellUnreadableSettings();
  // A move of the log files that the last quit cut short goes on once the
  // window is up.
  QTimer::singleShot(0, &parts_->receiver,
                     [] { DropboxManager::sharedInstance().finishUnfinishedMove(); });
  // What start-up built and dropped (parsed resources, first layouts, the
  // first paint's buffers) goes back to the system once the first page is
  // up, rather than staying with the program all day.
  returnFreedMemoryToSystemSoon(kStartSettledMs);
}

void Program::tellUnreadableSettings() {
  UserDefaults& settings = UserDefaults::standard();
  // Changes that cannot be written are kept for the run; the user hears why.
  QObject::connect(
      &settings, &UserDefaults::cannotWrite, &parts_->receiver, [this](const QString& why) {
        tellAboutSettings(QStringLiteral("Changes to the settings cannot be kept for now."),
                          QStringLiteral("Korvane-R cannot write its settings, as %1. Your changes "
                                         "are kept while it runs, and written as soon as that "
                                         "can be done.")
                              .arg(why));
      });
  const QString why = settings.unreadableReason();
  if (why.isEmpty())
    return;
  tellAboutSettings(
      QStringLiteral("The settings file \u201c%1\u201d cannot be read.").arg(settings.filePath()),
      QStringLiteral("Korvane-R runs on its standard settings (%1). No setting will be kept "
                     "until the file can be read, and the file is left as it is.")
          .arg(why));
}

void Program::tellAboutSettings(const QString& message, const QString& information) {
  // Once the event loop runs, so that the window is up and a signal still
  // ends the program while the alert waits.
  QTimer::singleShot(0, &parts_->receiver, [this, message, information] {
    Alert alert;
    alert.messageText = message;
    alert.informativeText = information;
    alert.buttons = {QStringLiteral("OK")};
    parts_->settingsAlertShows = true;
    AlertPresenterAPI::shared().runModal(alert);
    parts_->settingsAlertShows = false;
  });
}

int Program::exec() {
  const int status = parts_->quits->exec();
  // Keys held for a long sheet still being read go nowhere: the console says
  // how many.
  PadViewController::dropKeysHeldAtQuit();
  // An entry still being written into a large day, or waiting for another
  // writer of its day, is waited for half a second at most: one whose worker
  // is by then in its last, short step (the copy replacing the day's text,
  // the entry's end in place, the entry beside the day or as a new day) lands
  // where the worker puts it; any other goes beside the day, which stays as
  // it was. The entry is written once either way.
  BackingStoreManager::sharedManager().finishAppendsAtQuit();
  // The pads saved as the program quit reach the disk before it goes on;
  // meanwhile it shows no window. So do the sheets left earlier whose writes
  // are still under way: the program ends without waiting for its threads.
  if (PadSheetWriter::shared().hasDeferredSaves()) {
    for (QWidget* window : QApplication::topLevelWidgets())
      window->hide();
  }
  PadSheetWriter::shared().finish();
  UserDefaults::standard().synchronize();
  // A hook script still running is asked to end, and killed after a short
  // grace; what a hook left running when it ended is the user's and stays.
  ScriptLauncher::sharedScriptLauncher().stopAllRuns();
  if (SandboxHelper::isSandboxOn())
    DropboxManager::sharedInstance().relinquishAccessToDropboxFolder();
  return status;
}

void Program::handOver(const QStringList& arguments) { parts_->shell->handOver(arguments); }

bool Program::quit() { return parts_->shell->quit(); }

void Program::quitWithoutAsking(const QString& why) {
  qn_log(QStringLiteral("Korvane-R quits on %1").arg(why));
  if (parts_->shell)
    parts_->shell->quitWithoutAsking();
  else
    parts_->quits->request();
}

ApplicationShell& Program::shell() { return *parts_->shell; }

} // namespace kr
