#include "states/BaseState.h"

#include "states/StateEventPoster.h"
#include "states/StateHost.h"

#include <QAbstractButton>
#include <QPushButton>

namespace kr {

const QString BaseState::kEventNamePrefix = QStringLiteral("Korvane_R_3.");

BaseState::BaseState()
    : infoWall_(std::make_unique<Wall>()),
      buttonWall_(std::make_unique<Wall>(QRect(0, 0, 440, 34))) {
  infoWall_->setObjectName(QStringLiteral("InfoWall"));
  buttonWall_->setObjectName(QStringLiteral("ButtonWall"));
  buttonWall_->setFixedSize(440, 34);
}

BaseState::~BaseState() = default;

bool BaseState::simulateDefaultButtonPress() {
  // In the order of the wall's subviews, rows included.
  const auto buttons = buttonWall_->findChildren<QPushButton*>();
  for (QPushButton* button : buttons) {
    if (button->isDefault() && button->isEnabled()) {
      button->click();
      return true;
    }
  }
  return false;
}

void BaseState::activate() {
  StateBase::activate();
  performActivationNotification();
  updateMenuItem();
  StateHost::instance().activateView(*this);
}

void BaseState::deactivate() {
  StateBase::deactivate();
  performDeactivationNotification();
}

void BaseState::performActivationNotification() {
  postEvent(eventName(QStringLiteral(".start")), 0, 0);
}

void BaseState::performDeactivationNotification() {
  postEvent(eventName(QStringLiteral(".end")), 0, 0);
}

void BaseState::updateMenuItem() {
  const QString text = menuItemText();
  const QString title = text.isEmpty() ? QString() : QStringLiteral(" ") + text;
  StateHost::instance().setStatusItem(title, menuItemState());
}

QString BaseState::eventName(const QString& suffix) const {
  return kEventNamePrefix + className() + suffix;
}

void BaseState::postEvent(const QString& event, int value, int maxValue) {
  StateEventPoster::instance().triggerNotificationForEvent(event, value, maxValue);
}

} // namespace kr
