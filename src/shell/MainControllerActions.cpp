// The main controller's actions: the commands of the menus, the status menu,
// the desktop file's actions and the hot keys.
#include "shell/MainController.h"

#include "preferences/PreferencesController.h"
#include "preferences/UpdatesPane.h"
#include "shell/AppDelegate.h"
#include "shell/MailingListManager.h"
#include "shell/ProductSite.h"
#include "shell/ShellContext.h"

#include "engine/LogFileManager.h"
#include "engine/Logger.h"
#include "engine/StateMachine.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/PadTextSettings.h"
#include "platform/BundleInfo.h"
#include "platform/QnLog.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"
#include "states/BaseState.h"
#include "states/TimeSliceRunningState.h"
#include "window/HelpManager.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"
#include "window/NowAndLaterBoardManager.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace kr {

namespace {

// The pass-through commands of the work cycle: the action and the command the
// current state performs.
const std::pair<const char*, const char*> kWorkCycleCommands[] = {
    {"attemptToTriggerStartTimeSlice", "startTimeSlice"},
    {"attemptToTriggerPauseTimeSlice", "pauseOrResumeTimeSlice"},
    {"attemptToTriggerEndTimeSlice", "stopTimeSlice"},
    {"attemptToTriggerStartTimedBreak", "startTimedBreak"},
};

QString workCycleCommand(const QString& action) {
  for (const auto& [name, command] : kWorkCycleCommands) {
    if (action == QLatin1String(name))
      return QString::fromLatin1(command);
  }
  return {};
}

const QStringList kEditCommands = {QStringLiteral("undo"),  QStringLiteral("redo"),
                                   QStringLiteral("cut"),   QStringLiteral("copy"),
                                   QStringLiteral("paste"), QStringLiteral("selectAll")};

// The focused text editor's own commands.
const char* const kFormatCommands[] = {
    "toggleBoldAttribute", "toggleItalicAttribute", "underline",       "toggleStrikeOutAttribute",
    "makePlainText",       "markAsCompleted",       "selectNextField", "selectPreviousField"};

} // namespace

void MainController::addApplicationActions() {
  addAction(QStringLiteral("orderFrontStandardAboutPanel"), [this] { showAboutBox(); });
  addAction(QStringLiteral("terminate"), [this] { terminate(); });
  addAction(QStringLiteral("hide"), [this] { hideApplication(); });
  addAction(QStringLiteral("performMiniaturize"), [this] {
    if (pseudoAppDelegate_ && pseudoAppDelegate_->mainWindow())
      pseudoAppDelegate_->mainWindow()->showMinimized();
  });
  addAction(QStringLiteral("performZoom"), [this] {
    if (pseudoAppDelegate_ && pseudoAppDelegate_->mainWindow())
      pseudoAppDelegate_->mainWindow()->zoom();
  });
  addAction(QStringLiteral("arrangeInFront"), [this] {
    if (pseudoAppDelegate_)
      pseudoAppDelegate_->makeFront();
  });
  // Editing commands go to the control that has the focus.
  addAction(QStringLiteral("undo"), [this] { sendToFocusWidget("undo"); });
  addAction(QStringLiteral("redo"), [this] { sendToFocusWidget("redo"); });
  addAction(QStringLiteral("cut"), [this] { sendToFocusWidget("cut"); });
  addAction(QStringLiteral("copy"), [this] { sendToFocusWidget("copy"); });
  addAction(QStringLiteral("paste"), [this] { sendToFocusWidget("paste"); });
  addAction(QStringLiteral("selectAll"), [this] { sendToFocusWidget("selectAll"); });
  for (const char* command : kFormatCommands)
    addAction(QString::fromLatin1(command), [this, command] { sendToFocusWidget(command); });

  addAction(QStringLiteral("showPreferencesDialog"), [this] { showPreferencesDialog(); });
  addAction(QStringLiteral("showPreferencesDialogWithDistractionPanePreselected"),
            [this] { showPreferencesDialogWithDistractionPanePreselected(); });
  addAction(QStringLiteral("bringToFront"), [this] { bringToFront(); });
  addAction(QStringLiteral("showInfoWindow"), [this] { showInfoWindow(); });
  addAction(QStringLiteral("activateView"), [this] { showInfoWindow(); });
  addAction(QStringLiteral("toggleKorvaneInterface"), [this] { toggleKorvaneInterface(); });
  addAction(QStringLiteral("closeNowAndLaterBoard"), [] {});
  addAction(QStringLiteral("revealUserLogFolder"),
            [] { Logger::sharedLogger().revealLogFolder(); });
  addAction(QStringLiteral("forceLogRead"), [] { LogFileManager::sharedInstance().update(); });
  addAction(QStringLiteral("exportAsCSV"), [this] { exportAsCSV(); });
  addAction(QStringLiteral("validate"), [this] {
    if (pseudoAppDelegate_)
      pseudoAppDelegate_->validateInputFields();
  });
}

void MainController::addWorkCycleActions() {
  for (const auto& [action, command] : kWorkCycleCommands) {
    const QString name = QString::fromLatin1(command);
    addAction(QString::fromLatin1(action), [this, name] { passToCurrentState(name); });
  }
  addAction(QStringLiteral("takeDefaultAction"), [this] {
    if (auto* state = dynamic_cast<BaseState*>(stateMachine_.currentState()))
      state->simulateDefaultButtonPress();
  });
}

void MainController::exportAsCSV() {
  if (!validateAction(QStringLiteral("exportAsCSV")))
    return;
  const QFileInfo suggested(context_.defaults->string(QStringLiteral("exportAsCSVPath")));
  FilePanelRequest request;
  request.title = exportPanelTitle();
  request.allowedExtensions = {QStringLiteral("csv")};
  request.allowsOtherFileTypes = true;
  request.startFolder = suggested.dir().exists() && !suggested.filePath().isEmpty()
                            ? suggested.absolutePath()
                            : QDir::homePath();
  request.suggestedName =
      suggested.fileName().isEmpty() ? QStringLiteral("Korvane-R Log.csv") : suggested.fileName();
  const std::optional<QString> chosen = FilePanelPresenter::shared().savePanel(request);
  if (!chosen)
    return;
  // The exporter says why a write failed; one alert is enough.
  context_.hooks.exportLogsAsCSV(*chosen);
}

void MainController::addHelpActions() {
  // Asked for while the window is hidden or behind another (a later launch,
  // the desktop's own shortcut), the help comes forward with the window, as
  // a pad does by its hot key.
  addAction(QStringLiteral("showHelp"), [this] {
    if (!applicationIsActive())
      bringToFront();
    HelpManager::showWelcome();
  });
  addAction(QStringLiteral("showHelpPad"), [this] { showHelpPad(); });
  // The integrations' pages, in the help pad.
  addAction(QStringLiteral("showOmniFocusIntegrationHelp"),
            [] { HelpManager::showOmniFocusHelp(false); });
  addAction(QStringLiteral("showThingsIntegrationHelp"),
            [] { HelpManager::showThingsHelp(false); });
  addAction(QStringLiteral("showHushboxIntegrationHelp"),
            [] { HelpManager::showHushboxIntegrationHelp(false); });
  // The maker's pages, in the browser.
  addAction(QStringLiteral("showJoinMailingListDialog"),
            [] { MailingListManager::sharedInstance().openMailingListLink(); });
  addAction(QStringLiteral("showContactLink"), [] {
    UrlOpenerAPI::shared().open(ProductSite::makerPage(QStringLiteral("/contact.html")));
  });
  addAction(QStringLiteral("openUserManual"), [] {
    UrlOpenerAPI::shared().open(
        ProductSite::makerPage(QStringLiteral("/download/Korvane_R_User_Manual.pdf")));
  });
  addAction(QStringLiteral("checkForUpdates"), [] {
    if (SoftwareUpdaterAPI* updater = SoftwareUpdaterAPI::installed())
      updater->checkForUpdates();
  });
  addAction(QStringLiteral("showIPhoneVersionInfo"), [] {
    UrlOpenerAPI::shared().open(
        ProductSite::makerPage(QStringLiteral("/iphone/Korvane-R/mac.html")));
  });
  addAction(QStringLiteral("setRemainingSecondsTo15"), [this] {
    if (auto* running = dynamic_cast<TimeSliceRunningState*>(stateMachine_.currentState()))
      running->setRemainingSecondsForDebuggingOnly(15.0);
  });
}

HelpViewController* MainController::showHelpPad() {
  MainWindow* window = pseudoAppDelegate_ ? pseudoAppDelegate_->mainWindow() : nullptr;
  if (!window)
    return nullptr;
  return &window->controller().showHelpPad();
}

void MainController::setMenuShortcutActions(Action update, Action disable) {
  addAction(QStringLiteral("updateMenuShortcuts"), std::move(update));
  addAction(QStringLiteral("disableMenuShortcuts"), std::move(disable));
}

void MainController::passToCurrentState(const QString& command) {
  // The chain runs from here through the machine to the current state; the
  // controller itself has none of these commands.
  if (Responder* next = nextResponder())
    next->tryToPerform(command);
}

bool MainController::validateAction(const QString& action) const {
  const QString command = workCycleCommand(action);
  if (!command.isEmpty()) {
    // Valid exactly when the current state has the command.
    const Responder* next = nextResponder();
    return next && next->canPerform(command);
  }
  if (action == QLatin1String("hide"))
    return applicationIsActive();
  if (kEditCommands.contains(action))
    return focusWidgetCanPerform(action);
  for (const char* command : kFormatCommands) {
    if (action == QLatin1String(command))
      return focusEditorCanPerform(action);
  }
  MainWindow* window = pseudoAppDelegate_ ? pseudoAppDelegate_->mainWindow() : nullptr;
  if (action == QLatin1String("performMiniaturize"))
    return window && window->isVisible() && !window->isMinimized();
  if (action == QLatin1String("performZoom"))
    return window && window->isVisible() && !window->isMinimized();
  if (action == QLatin1String("arrangeInFront") || action == QLatin1String("bringToFront"))
    return pseudoAppDelegate_ != nullptr;
  if (action == QLatin1String("readObjectiveAloudHotKey"))
    return NowAndLaterBoardManager::sharedManager().canReadObjectiveAloud();
  // Only a running slice has a remaining time to set.
  if (action == QLatin1String("setRemainingSecondsTo15"))
    return dynamic_cast<TimeSliceRunningState*>(stateMachine_.currentState()) != nullptr;
  if (action == QLatin1String("takeDefaultAction"))
    return dynamic_cast<BaseState*>(stateMachine_.currentState()) != nullptr;
  if (action == QLatin1String("checkForUpdates"))
    return SoftwareUpdaterAPI::installed() != nullptr;
  // The export is there once something can write the file, and waits while
  // one is being written.
  if (action == QLatin1String("exportAsCSV"))
    return context_.hooks.exportLogsAsCSV &&
           !(context_.hooks.exportingLogs && context_.hooks.exportingLogs());
  return true;
}

bool MainController::focusEditorCanPerform(const QString& action) {
  auto* editor = qobject_cast<QTextEdit*>(editingFocusWidget());
  const QByteArray signature = action.toLatin1() + "()";
  if (!editor || editor->isReadOnly() ||
      editor->metaObject()->indexOfMethod(signature.constData()) < 0)
    return false;
  const QTextCursor cursor = editor->textCursor();
  // Moving between placeholders needs one in that direction; marking as
  // completed a line with text. The items are checked at every key that
  // matches a shortcut: the placeholders are looked up, the text not copied,
  // and a very long text is not searched at all (the move finds out itself).
  const bool toField =
      action == QLatin1String("selectNextField") || action == QLatin1String("selectPreviousField");
  if (toField && editor->document()->characterCount() > NowAndLaterBoardTextView::kTypeAheadFrom)
    return true;
  if (action == QLatin1String("selectNextField"))
    return PadTextSettings::findMarkedText(editor->document(), cursor.selectionEnd(), true)
        .has_value();
  if (action == QLatin1String("selectPreviousField"))
    return PadTextSettings::findMarkedText(editor->document(), cursor.selectionStart(), false)
        .has_value();
  if (action == QLatin1String("markAsCompleted"))
    return !cursor.block().text().trimmed().isEmpty();
  if (action == QLatin1String("makePlainText")) {
    // Decided as the editor's key decides: only when the selection, or what
    // is typed next, is not plain already.
    auto* pad = qobject_cast<NowAndLaterBoardTextView*>(editor);
    return pad && pad->canMakePlainText();
  }
  return true;
}

bool MainController::focusWidgetCanPerform(const QString& action) {
  QWidget* focus = editingFocusWidget();
  if (!focus)
    return false;
  const bool changesText = action != QLatin1String("copy") && action != QLatin1String("selectAll");
  if (changesText && focus->property("readOnly").toBool())
    return false;
  const QByteArray signature = action.toLatin1() + "()";
  if (focus->metaObject()->indexOfMethod(signature.constData()) < 0)
    return false;
  const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
  const bool canPaste = clipboard && !clipboard->formats().isEmpty();
  if (auto* line = qobject_cast<QLineEdit*>(focus)) {
    if (action == QLatin1String("undo"))
      return line->isUndoAvailable();
    if (action == QLatin1String("redo"))
      return line->isRedoAvailable();
    if (action == QLatin1String("cut") || action == QLatin1String("copy"))
      return line->hasSelectedText();
    if (action == QLatin1String("paste"))
      return canPaste;
    return line->selectedText().size() < line->text().size();
  }
  QTextDocument* document = nullptr;
  QTextCursor cursor;
  if (auto* text = qobject_cast<QTextEdit*>(focus)) {
    document = text->document();
    cursor = text->textCursor();
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
    document = plain->document();
    cursor = plain->textCursor();
  }
  if (!document)
    return true;
  if (action == QLatin1String("undo"))
    return document->isUndoAvailable();
  if (action == QLatin1String("redo"))
    return document->isRedoAvailable();
  if (action == QLatin1String("cut") || action == QLatin1String("copy"))
    return cursor.hasSelection();
  if (action == QLatin1String("paste"))
    return canPaste;
  // Select All: something is left to select.
  const int end = document->characterCount() - 1;
  return end > 0 && !(cursor.selectionStart() == 0 && cursor.selectionEnd() == end);
}

bool MainController::applicationIsActive() const {
  if (pseudoAppDelegate_ && pseudoAppDelegate_->isHidden())
    return false;
  if (context_.applicationIsActive)
    return context_.applicationIsActive();
  return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void MainController::showInfoWindow() {
  if (auto* state = dynamic_cast<BaseState*>(stateMachine_.currentState()))
    activateView(*state);
}

void MainController::bringToFront() {
  if (!pseudoAppDelegate_)
    return;
  pseudoAppDelegate_->makeFront();
  showInfoWindow();
}

void MainController::showAboutBox() {
  Alert about;
  about.style = Alert::Style::informational;
  about.messageText = QStringLiteral("Korvane-R");
  about.informativeText = QStringLiteral("Version %1\n\nA focus timer that logs your time slices.")
                              .arg(BundleInfo::versionNumber());
  about.buttons = {QStringLiteral("OK")};
  AlertPresenterAPI::shared().runModal(about);
}

void MainController::showPreferencesDialog() {
  static bool open = false;
  // A second request while the window runs (a hot key, the tray) finds it open.
  if (open)
    return;
  open = true;
  auto preferences = std::make_unique<PreferencesController>();
  preferences->setMainController(this);
  MainWindow* window = pseudoAppDelegate_ ? pseudoAppDelegate_->mainWindow() : nullptr;
  preferences->run(window && window->isVisible() ? window : nullptr);
  preferences.reset();
  open = false;
}

void MainController::showPreferencesDialogWithDistractionPanePreselected() {
  UserDefaults& defaults = context_.defaults ? *context_.defaults : UserDefaults::standard();
  defaults.setValue(QStringLiteral("preferencesTabViewItemIdentifier"),
                    QStringLiteral("Distractions"));
  defaults.synchronize();
  showPreferencesDialog();
}

void MainController::hideApplication() {
  qn_log(QStringLiteral("hide button pressed"));
  if (!pseudoAppDelegate_ || !applicationIsActive())
    return;
  qn_log(QStringLiteral("isActive -> hide app"));
  pseudoAppDelegate_->hide();
  qn_log(QStringLiteral("should now be hidden (actual hidden = %1)")
             .arg(pseudoAppDelegate_->isHidden() ? 1 : 0));
}

void MainController::toggleKorvaneInterface() {
  qn_log(QStringLiteral("--"));
  qn_log(QStringLiteral("toggleKorvaneInterface"));
  // A minimised window is shown normal again by makeFront(), as on every way
  // it is brought forward.
  if (!pseudoAppDelegate_ || !pseudoAppDelegate_->mainWindow())
    return;
  if (applicationIsActive()) {
    qn_log(QStringLiteral("isActive -> hide"));
    hideApplication();
    qn_log(QStringLiteral("application is hidden: %1").arg(pseudoAppDelegate_->isHidden() ? 1 : 0));
  } else {
    qn_log(QStringLiteral("hidden -> activate"));
    pseudoAppDelegate_->makeFront();
    showInfoWindow();
  }
}

} // namespace kr
