#pragma once

#include "engine/StateBase.h"
#include "kit/walls/Wall.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace kr {

// The base of every state of the work cycle. It owns the two walls of the
// state's page (the info wall above, the button wall below), names the
// control that takes the focus when the page is shown, posts the state's
// activation and deactivation events and keeps the status item in step.
class BaseState : public StateBase {
public:
  // Prefix of every state event name, followed by the class name.
  static const QString kEventNamePrefix;

  BaseState();
  ~BaseState() override;

  // The walls stay owned by the state; the main window only borrows them.
  Wall* infoWall() const { return infoWall_.get(); }
  Wall* buttonWall() const { return buttonWall_.get(); }

  // Builds the page into the two walls; called once at start-up.
  virtual void build() {}
  // Clicks the first button of the button wall that is the default button
  // (Return). Only one: one key press never fires two transitions. Returns
  // whether a button was clicked.
  virtual bool simulateDefaultButtonPress();

  QWidget* firstResponder() const { return firstResponder_.data(); }
  void setFirstResponder(QWidget* responder) { firstResponder_ = responder; }

  void activate() override;
  void deactivate() override;
  virtual void performActivationNotification();
  virtual void performDeactivationNotification();

  virtual int menuItemState() const { return 0; }
  virtual QString menuItemText() const { return {}; }
  void updateMenuItem();
  // Asked when the user quits: true makes the quit ask the user first.
  virtual bool shouldConfirmTerminationWithUser() const { return false; }

  // The name of this state's event with the given suffix (".start", ...).
  QString eventName(const QString& suffix) const;

protected:
  static void postEvent(const QString& event, int value, int maxValue);

private:
  std::unique_ptr<Wall> infoWall_;
  std::unique_ptr<Wall> buttonWall_;
  QPointer<QWidget> firstResponder_;
};

} // namespace kr
