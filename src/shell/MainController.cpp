#include "shell/MainController.h"

#include "shell/AppDelegate.h"
#include "shell/RegisteredDefaults.h"
#include "shell/SandboxHelper.h"
#include "shell/ShellContext.h"
#include "shell/UrlHandler.h"

#include "engine/StateMachine.h"
#include "platform/BundleInfo.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/TaskManagerBridge.h"
#include "platform/settings/UserDefaults.h"
#include "platform/settings/ValueTransformer.h"
#include "states/BaseState.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QMetaObject>

namespace kr {

namespace {
MainController* sharedController = nullptr;
}

const QString MainController::kQuitMessage =
    QStringLiteral("Are you sure you want to quit Korvane-R?");
const QString MainController::kQuitInformativeText =
    QStringLiteral("Your timeslice will not be logged.");

MainController& MainController::sharedInstance() {
  KR_ASSERT(sharedController != nullptr, QStringLiteral("no main controller"));
  return *sharedController;
}

bool MainController::hasSharedInstance() { return sharedController != nullptr; }

void MainController::setSharedInstance(MainController* controller) {
  sharedController = controller;
}

void MainController::initializeClass(ShellContext& context) {
  qn_log(QStringLiteral("Korvane-R Launching"));
  qn_log(QStringLiteral("*******************"));
  context.record(QStringLiteral("MainController class: launch banner"));
  transformers::registerNamedTransformers();
  context.record(QStringLiteral("MainController class: value transformers"));
  prepareDefaults();
  context.record(QStringLiteral("MainController class: defaults"));
  UserDefaults& defaults = *context.defaults;
  if (defaults.boolValue(QStringLiteral("firstLaunch"))) {
    defaults.setValue(QStringLiteral("firstLaunch"), false);
    defaults.synchronize();
    syncOldPreferences();
    if (!(context.hooks.isLoginItem && context.hooks.isLoginItem()))
      ShellHooks::call(context.hooks.addLoginItem);
    context.record(QStringLiteral("MainController class: first launch"));
  }
}

void MainController::prepareDefaults() { RegisteredDefaults::registerAll(); }

MainController::MainController(ShellContext& context, StateMachine& stateMachine)
    : context_(context), stateMachine_(stateMachine) {
  context_.record(QStringLiteral("MainController init"));
  taskManagerBridge_ = TaskManagerBridge::create();
  urlHandler_ = std::make_unique<UrlHandler>(*taskManagerBridge_);
  addApplicationActions();
  addWorkCycleActions();
  addHelpActions();
  addPadActions();
}

MainController::~MainController() {
  if (sharedController == this) {
    sharedController = nullptr;
    ErrorPresentation::install(nullptr);
  }
}

void MainController::awakeFromNib() {
  setSharedInstance(this);
  ErrorPresentation::install([this](const PresentedError& error) { willPresentError(error); });
  ShellHooks::call(context_.hooks.createStatusItem);
  context_.record(QStringLiteral("MainController awakeFromNib: shared instance, status item"));
}

void MainController::applicationWillFinishLaunching() {
  context_.record(QStringLiteral("MainController will finish: link handler"));
  ShellHooks::call(context_.hooks.upgradeEverything);
  context_.record(QStringLiteral("MainController will finish: upgrade log files"));
  qn_log(
      QStringLiteral("reading time slice data to guarantee that tags are initialized properly."));
  ShellHooks::call(context_.hooks.prepareStatisticsDataSet);
  context_.record(QStringLiteral("MainController will finish: statistics data set"));
}

void MainController::applicationDidFinishLaunching() {
  SandboxHelper::dealWithLaunchFromDiskImage();
  context_.record(QStringLiteral("MainController did finish: launch path"));
  context_.defaults->setValue(QStringLiteral("version"), BundleInfo::buildNumber());
  context_.record(QStringLiteral("MainController did finish: version"));
  ShellHooks::call(context_.hooks.registerAllHotKeys);
  context_.record(QStringLiteral("MainController did finish: hot keys"));
  setNextResponder(&stateMachine_);
  context_.record(QStringLiteral("MainController did finish: responder chain"));
  ShellHooks::call(context_.hooks.mailingListDoIt);
  context_.record(QStringLiteral("MainController did finish: mailing list"));
  stateMachine_.start();
  context_.record(QStringLiteral("MainController did finish: state machine started"));
}

std::optional<PresentedError> MainController::willPresentError(const PresentedError& error) {
  const bool recovered = !error.recoveryAttempter || error.recoveryAttempter(0);
  if (recovered) {
    Alert alert = error.alert;
    if (alert.buttons.isEmpty())
      alert.buttons = {QStringLiteral("OK")};
    AlertPresenterAPI::shared().runModal(alert);
    didPresentErrorWithRecovery(recovered);
  }
  return std::nullopt;
}

void MainController::didPresentErrorWithRecovery(bool) {
  qn_log(QStringLiteral("didPresentErrorWithRecovery called!"));
}

void MainController::applicationDidBecomeActive() {
  qn_log(QStringLiteral("applicationDidBecomeActive"));
  ShellHooks::call(context_.hooks.removeDeliveredNotifications);
  context_.record(QStringLiteral("MainController did become active"));
}

MainController::TerminateReply MainController::applicationShouldTerminate() {
  auto* state = dynamic_cast<BaseState*>(stateMachine_.currentState());
  if (state && state->shouldConfirmTerminationWithUser()) {
    const Alert alert{
        kQuitMessage, kQuitInformativeText, {QStringLiteral("OK"), QStringLiteral("Cancel")}};
    // Asked about quitting on this page: a slice or break that ends behind
    // the question leaves another page, about which nothing was asked.
    if (AlertPresenterAPI::shared().runModal(alert, StateMachine::currentActivation()) != 0) {
      context_.record(QStringLiteral("quit cancelled"));
      return TerminateReply::cancel;
    }
  }
  setPadsQuitting(ShellHooks::Quitting::asking);
  const QStringList failures = saveBeforeQuitting();
  if (!failures.isEmpty()) {
    // The pads show their text while the user decides.
    setPadsQuitting(ShellHooks::Quitting::cancelled);
    const Alert alert{kPadsNotSavedMessage,
                      QStringLiteral("%1\n\nIf you quit now, what was typed since the last "
                                     "save is lost.")
                          .arg(failures.join(QLatin1Char('\n'))),
                      {QStringLiteral("Quit Anyway"), QStringLiteral("Cancel")}};
    if (AlertPresenterAPI::shared().runModal(alert) != 0) {
      context_.record(QStringLiteral("quit cancelled: pads not saved"));
      return TerminateReply::cancel;
    }
  }
  return TerminateReply::now;
}

const QString MainController::kPadsNotSavedMessage = QStringLiteral("Some pads could not be saved");

QStringList MainController::saveBeforeQuitting() {
  QStringList failures;
  if (context_.hooks.saveAllPads)
    failures = context_.hooks.saveAllPads();
  context_.record(failures.isEmpty() ? QStringLiteral("pads saved")
                                     : QStringLiteral("pads not saved"));
  return failures;
}

bool MainController::saveAllPadsWithoutAsking() {
  const QStringList failures = saveBeforeQuitting();
  for (const QString& failure : failures)
    platformLog(QStringLiteral("A pad could not be saved before quitting: %1").arg(failure));
  return failures.isEmpty();
}

bool MainController::terminate() {
  if (applicationShouldTerminate() != TerminateReply::now)
    return false;
  qn_log(QStringLiteral("Korvane-R quits on the user's request"));
  endEventLoop();
  return true;
}

void MainController::setPadsQuitting(ShellHooks::Quitting quitting) {
  if (context_.hooks.padsQuitting)
    context_.hooks.padsQuitting(quitting);
}

void MainController::terminateWithoutAsking() {
  setPadsQuitting(ShellHooks::Quitting::withoutAsking);
  saveAllPadsWithoutAsking();
  endEventLoop();
}

void MainController::endEventLoop() {
  context_.record(QStringLiteral("quit"));
  if (context_.quitApplication)
    context_.quitApplication();
}

void MainController::activateView(BaseState& state) {
  KR_ASSERT(pseudoAppDelegate_ != nullptr,
            QStringLiteral("the main controller has no application delegate"));
  pseudoAppDelegate_->showState(state);
}

void MainController::getUrl(const QString& url) { urlHandler_->getUrl(url); }

QWidget* MainController::editingFocusWidget() {
  QWidget* focus = QApplication::focusWidget();
  if (!focus || focus->window()->windowType() != Qt::Popup)
    return focus;
  QWidget* active = QApplication::activeWindow();
  return active ? active->focusWidget() : nullptr;
}

void MainController::sendToFocusWidget(const char* slot) {
  QWidget* focus = editingFocusWidget();
  if (!focus)
    return;
  // A read-only control (such as the rating page's objective while it is
  // locked) takes no command that changes its text. Qt's text editors run
  // undo and redo whatever their read-only flag says.
  const bool changesText = qstrcmp(slot, "copy") != 0 && qstrcmp(slot, "selectAll") != 0;
  if (changesText && focus->property("readOnly").toBool())
    return;
  const QByteArray signature = QByteArray(slot) + "()";
  if (focus->metaObject()->indexOfMethod(signature.constData()) >= 0)
    QMetaObject::invokeMethod(focus, slot);
}

} // namespace kr
