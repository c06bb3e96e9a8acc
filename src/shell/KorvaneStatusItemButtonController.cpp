#include "shell/KorvaneStatusItemButtonController.h"

#include "shell/AppDelegate.h"

#include "platform/QnLog.h"
#include "platform/services/StatusItem.h"
#include "platform/settings/UserDefaults.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace kr {

using Outcome = StatusItemClickRules::Outcome;

KorvaneStatusItemButtonController::KorvaneStatusItemButtonController(AppDelegate& appDelegate,
                                                                     UserDefaults& defaults,
                                                                     Environment environment)
    : appDelegate_(appDelegate), defaults_(defaults), environment_(std::move(environment)) {
  if (!environment_.mouseLocation)
    environment_.mouseLocation = [] { return QCursor::pos(); };
  if (!environment_.applicationIsActive)
    environment_.applicationIsActive = [] {
      return QGuiApplication::applicationState() == Qt::ApplicationActive;
    };
  if (!environment_.keyboardModifiers)
    environment_.keyboardModifiers = [] { return QGuiApplication::queryKeyboardModifiers(); };
}

void KorvaneStatusItemButtonController::attach(StatusItem& item) {
  item.setClickHandler([this, &item](StatusItem::Click click) {
    const bool right = click == StatusItem::Click::right;
    if (!StatusItemClickRules::popsMenu(right, environment_.keyboardModifiers()))
      leftButtonDown(item);
    else
      rightButtonDown(right ? nullptr : &item);
  });
}

void KorvaneStatusItemButtonController::rightButtonDown(StatusItem* popUp) {
  qn_log(QStringLiteral("rightButtonDown"));
  if (popUp)
    popUp->popUpMenu();
}

void KorvaneStatusItemButtonController::leftButtonDown(const StatusItem& item) {
  qn_log(QStringLiteral("KorvaneStatusItemButtonController leftButtonDown"));
  MainWindow* window = appDelegate_.mainWindow();
  if (!window)
    return;
  StatusItemClickRules::Situation situation;
  situation.clickMovesWindowBelowIcon =
      defaults_.boolValue(QStringLiteral("clickMovesWindowBelowIcon"));
  QPointF location = environment_.mouseLocation();
  situation.applicationIsActive = environment_.applicationIsActive() && !appDelegate_.isHidden();
  qn_log(QStringLiteral("applicationIsAtFront: %1").arg(situation.applicationIsActive ? 1 : 0));
  QScreen* clickScreen = QGuiApplication::screenAt(location.toPoint());
  QScreen* windowScreen = QGuiApplication::screenAt(window->frameGeometry().topLeft());
  const QRect icon = item.geometry();
  // A tray that does not tell where the icon is: the click is on the icon.
  QScreen* buttonScreen = icon.isEmpty() ? clickScreen : QGuiApplication::screenAt(icon.topLeft());
  situation.sameScreen = clickScreen == buttonScreen;
  if (situation.sameScreen) {
    qn_log(QStringLiteral("clicked screen and status item button are the same"));
    const QPointF atIcon = StatusItemClickRules::locationAtIcon(icon, location);
    qn_log(QStringLiteral("changing mouse location from: %1,%2 to %3,%4:")
               .arg(location.x())
               .arg(location.y())
               .arg(atIcon.x())
               .arg(atIcon.y()));
    location = atIcon;
  }
  situation.clickOnOtherScreenThanWindow = clickScreen != windowScreen;
  situation.windowIsMinimized = window->isMinimized();
  situation.windowIsVisible = window->isVisible();
  situation.modalWindowRuns = QApplication::activeModalWidget() != nullptr;
  if (situation.clickMovesWindowBelowIcon && situation.applicationIsActive)
    qn_log(QStringLiteral("   application was at front already"));
  perform(StatusItemClickRules::decide(situation), location);
}

void KorvaneStatusItemButtonController::perform(Outcome outcome, const QPointF& location) {
  MainWindow& window = *appDelegate_.mainWindow();
  switch (outcome) {
  case Outcome::hide:
    if (defaults_.boolValue(QStringLiteral("clickMovesWindowBelowIcon")))
      qn_log(QStringLiteral("   the click was on the same screen as the popup window & it was not "
                            "minimized, so just hide"));
    appDelegate_.hide();
    break;
  case Outcome::bringToFront:
    appDelegate_.makeFront();
    break;
  case Outcome::moveWindow:
    qn_log(QStringLiteral("   the click was on a different screen, so move the popup window"));
    temporaryHint_ = location;
    window.controller().repositionMainWindowAccordingToSettingsWithHint(temporaryHint_);
    break;
  case Outcome::restore:
    qn_log(QStringLiteral("   the click was on the same screen as the popup window, but the window "
                          "was minimized, so just un-minimize it"));
    appDelegate_.makeFront();
    break;
  case Outcome::moveAndBringToFront:
    qn_log(QStringLiteral(" we were not active, so activate and place popup window next to status "
                          "bar item"));
    temporaryHint_ = location;
    window.controller().repositionMainWindowAccordingToSettingsWithHint(temporaryHint_);
    appDelegate_.makeFront();
    break;
  }
}

} // namespace kr
