// The main controller's actions: the commands of the menus, the status menu,
// the desktop file's actions and the hot keys.
#include "shell/MainController.h"

#include "shell/AppDelegate.h"
#include "shell/ShellContext.h"

#include "engine/LogFileManager.h"
#include "engine/Logger.h"
#include "engine/StateMachine.h"
#include "platform/QnLog.h"
#include "states/BaseState.h"
#include "window/MainWindow.h"

#include <QGuiApplication>

namespace kr {

void MainController::addApplicationActions() {
  addAction(QStringLiteral("terminate"), [this] { terminate(); });
  addAction(QStringLiteral("hide"), [this] { hideApplication(); });
  addAction(QStringLiteral("performMiniaturize"), [this] {
    if (pseudoAppDelegate_ && pseudoAppDelegate_->mainWindow())
      pseudoAppDelegate_->mainWindow()->showMinimized();
  });
  addAction(QStringLiteral("performZoom"), [this] {
    if (pseudoAppDelegate_ && pseudoAppDelegate_->mainWindow())
      pseudoAppDelegate_->mainWindow()->toggleFullScreen();
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

  addAction(QStringLiteral("bringToFront"), [this] { bringToFront(); });
  addAction(QStringLiteral("showInfoWindow"), [this] { showInfoWindow(); });
  addAction(QStringLiteral("activateView"), [this] { showInfoWindow(); });
  addAction(QStringLiteral("toggleKorvaneInterface"), [this] { toggleKorvaneInterface(); });
  addAction(QStringLiteral("closeNowAndLaterBoard"), [] {});
  addAction(QStringLiteral("revealUserLogFolder"),
            [] { Logger::sharedLogger().revealLogFolder(); });
  addAction(QStringLiteral("forceLogRead"), [] { LogFileManager::sharedInstance().update(); });
  addAction(QStringLiteral("validate"), [this] {
    if (pseudoAppDelegate_)
      pseudoAppDelegate_->validateInputFields();
  });
}

void MainController::addWorkCycleActions() {
  const std::pair<const char*, const char*> commands[] = {
      {"attemptToTriggerStartTimeSlice", "startTimeSlice"},
      {"attemptToTriggerPauseTimeSlice", "pauseOrResumeTimeSlice"},
      {"attemptToTriggerEndTimeSlice", "stopTimeSlice"},
      {"attemptToTriggerStartTimedBreak", "startTimedBreak"},
  };
  for (const auto& [action, command] : commands) {
    const QString name = QString::fromLatin1(command);
    addAction(QString::fromLatin1(action), [this, name] { passToCurrentState(name); });
  }
  addAction(QStringLiteral("takeDefaultAction"), [this] {
    if (auto* state = dynamic_cast<BaseState*>(stateMachine_.currentState()))
      state->simulateDefaultButtonPress();
  });
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
  if (!pseudoAppDelegate_ || !pseudoAppDelegate_->mainWindow())
    return;
  MainWindow& window = *pseudoAppDelegate_->mainWindow();
  if (window.isMinimized())
    window.showNormal();
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
